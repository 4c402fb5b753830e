#include "messages_panel.h"

#include "foundation/main_thread_call.h"
#include "foundation/log.h"

#include <QDateTime>
#include <QLocale>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

namespace orvix {

TMessagesPanel::TMessagesPanel(QWidget *parent)
    : TCaptionPanelK(QStringLiteral("Messages"), parent)
{
    setObjectName(QStringLiteral("panelMessages"));
    m_edErrorLog = new QPlainTextEdit(this);
    m_edErrorLog->setObjectName(QStringLiteral("edErrorLog"));
    m_edErrorLog->setReadOnly(true);
    m_edErrorLog->setLineWrapMode(QPlainTextEdit::NoWrap);
    contentLayout()->addWidget(m_edErrorLog);
    resize(460, 220);
    hide();
    connect(this, &TCaptionPanelK::OnButtonClick, this, &TMessagesPanel::Dismiss);
}

void TMessagesPanel::LogMessageInternal(const QString &s, TLog *log)
{
    ORVIX_ASSERT_MAIN_THREAD();
    const QString line = QLocale().toString(QDateTime::currentDateTime(), QLocale::ShortFormat)
                         + QStringLiteral(": ") + s;
    QTextCursor cursor(m_edErrorLog->document());
    cursor.movePosition(QTextCursor::Start);
    cursor.insertText(m_edErrorLog->document()->isEmpty() ? line : line + QLatin1Char('\n'));
    // A message may hold line breaks of its own, so trim by blocks, not by calls.
    while (m_edErrorLog->document()->blockCount() > kMaxLines) {
        QTextCursor last(m_edErrorLog->document()->lastBlock());
        last.select(QTextCursor::BlockUnderCursor);
        last.removeSelectedText();
    }
    m_edErrorLog->moveCursor(QTextCursor::Start);
    ShowInFront();
    if (log)
        log->Write(s);
}

void TMessagesPanel::Dismiss()
{
    ORVIX_ASSERT_MAIN_THREAD();
    m_edErrorLog->clear();
    hide();
    MakeHeaderVisible();
}

QStringList TMessagesPanel::lines() const
{
    const QString text = m_edErrorLog->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

} // namespace orvix
