#include "exception_dialog.h"

#include "maker_look.h"

#include "app/maker_host.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace orvix {

TExceptionDialog::TExceptionDialog(const QString &message, const QString &details, std::atomic<int> &openCount,
                                   QWidget *parent)
    : QDialog(parent), m_openCount(openCount)
{
    ++m_openCount;
    setObjectName(QStringLiteral("TExceptionDialog"));
    setWindowTitle(QStringLiteral("VarnelExcept"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    resize(684, 258);
    setMinimumWidth(200);

    QWidget *side = MakerSidePanel(QColor(0x80, 0, 0), MakerHost(), MakerRoot(), this);
    side->setFixedSize(176, 211);

    m_text = new QPlainTextEdit(message, this);
    m_text->setObjectName(QStringLiteral("TextMemo"));
    m_text->setReadOnly(true);
    m_text->setFrameShape(QFrame::NoFrame);
    m_text->setToolTip(QStringLiteral("Use Ctrl+C to copy the report to the clipboard"));
    m_text->setMaximumHeight(56);

    m_details = new QPlainTextEdit(details, this);
    m_details->setObjectName(QStringLiteral("DetailsMemo"));
    m_details->setReadOnly(true);
    m_details->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont mono(QStringLiteral("Courier New"));
    mono.setStyleHint(QFont::Monospace);
    m_details->setFont(mono);

    auto *copy = new QPushButton(QStringLiteral("Copy"), this);
    copy->setObjectName(QStringLiteral("btnCopyToClipboard"));
    copy->setToolTip(QStringLiteral("Show or hide additional information|"));
    copy->setAutoDefault(false);
    connect(copy, &QPushButton::clicked, this, &TExceptionDialog::CopyReportToClipboard);
    auto *ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("btnClose"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    // Ctrl+C anywhere in the dialog copies the whole report, not a selection.
    auto *copyKey = new QShortcut(QKeySequence::Copy, this);
    copyKey->setContext(Qt::WidgetWithChildrenShortcut);
    connect(copyKey, &QShortcut::activated, this, &TExceptionDialog::CopyReportToClipboard);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(copy);
    buttons->addWidget(ok);
    auto *right = new QVBoxLayout;
    right->addWidget(m_text);
    right->addWidget(m_details, 1);
    right->addLayout(buttons);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(side, 0, Qt::AlignTop);
    layout->addLayout(right, 1);
}

TExceptionDialog::~TExceptionDialog()
{
    --m_openCount;
}

void TExceptionDialog::CopyReportToClipboard()
{
    QApplication::clipboard()->setText(m_details->toPlainText());
}

void TExceptionDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_details->setFocus();
    m_details->moveCursor(QTextCursor::Start);
}

} // namespace orvix
