#include "edit_tags_panel.h"

#include "widgets/image_x.h"

#include "foundation/dialogs.h"
#include "foundation/text.h"
#include "library/picture_match.h"
#include "library/tags.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace orvix {

namespace {
constexpr int kPreviewWidth = 200;
constexpr int kPreviewHeight = 150;
} // namespace

TEditTagsPanel::TEditTagsPanel(QWidget *parent, std::function<void()> update, std::function<void()> openPicture)
    : TCaptionPanelK(QStringLiteral("Edit tags"), parent), m_onUpdate(std::move(update)),
      m_openPicture(std::move(openPicture))
{
    setObjectName(QStringLiteral("panelEditTags"));
    m_image = new TImageX(this);
    m_image->setObjectName(QStringLiteral("ImageEditTag"));
    m_image->setCursor(Qt::PointingHandCursor);
    m_image->setFixedSize(kPreviewWidth, kPreviewHeight);
    m_image->installEventFilter(this);
    m_edit3 = new QLineEdit(this);
    m_edit3->setObjectName(QStringLiteral("Edit3"));
    m_edit3->setReadOnly(true);
    m_newTags = new QLineEdit(this);
    m_newTags->setObjectName(QStringLiteral("ed_NewTags"));
    m_newTags->setPlaceholderText(QStringLiteral("tags, separated by blanks"));
    m_newTags->installEventFilter(this);
    m_fileName = new QLineEdit(this);
    m_fileName->setObjectName(QStringLiteral("edEditingTagsFilename"));
    m_fileName->hide();
    m_update = new QPushButton(QStringLiteral("Update"), this);
    m_update->setObjectName(QStringLiteral("bUpdateTags"));
    auto *close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("bCloseEditTags"));

    auto *fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("File:"), this), 0, 0);
    fields->addWidget(m_edit3, 0, 1);
    fields->addWidget(new QLabel(QStringLiteral("Tags:"), this), 1, 0);
    fields->addWidget(m_newTags, 1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_update);
    buttons->addWidget(close);
    fields->addLayout(buttons, 2, 0, 1, 2);
    fields->setRowStretch(3, 1);
    auto *row = new QHBoxLayout;
    row->addWidget(m_image, 0, Qt::AlignTop);
    row->addLayout(fields, 1);
    contentLayout()->addLayout(row);

    connect(m_update, &QPushButton::clicked, this, [this] { m_onUpdate(); });
    connect(close, &QPushButton::clicked, this, &TEditTagsPanel::bCloseEditTagsClick);
    connect(this, &TCaptionPanelK::OnButtonClick, this, &TEditTagsPanel::bCloseEditTagsClick);
    resize(kPreviewWidth + 400, kPreviewHeight + kCaptionHeight + 40);
    m_startHeight = height();
    hide();
}

void TEditTagsPanel::ShowEditTags(const QString &fileName, int mode)
{
    m_mode = mode;
    const QString problem = TagEditProblem(fileName);
    if (!problem.isEmpty()) {
        InfoBox(problem);
        return;
    }
    m_edit3->setText(FileNameOf(fileName).toString());
    m_edit3->setCursorPosition(0);
    m_newTags->setText(TextTrim(ExtractTags(FileNameOf(fileName))));
    m_fileName->setText(fileName);
    // Free to take the picture's size, and no earlier picture left behind when this one fails.
    m_image->setMinimumSize(0, 0);
    m_image->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    m_image->setBitmap(QImage());
    m_image->resize(kPreviewWidth, kPreviewHeight);
    m_image->LoadAndResampleImage(fileName, TResampleModeX::RESAMPLE_BF);
    m_image->setFixedSize(m_image->size());
    const bool wasHidden = isHidden();
    resize(m_image->width() + 400, m_startHeight);
    if (wasHidden)
        CenterInParent();
    ShowInFront();
    m_newTags->setFocus();
}

void TEditTagsPanel::bCloseEditTagsClick()
{
    hide();
}

bool TEditTagsPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_newTags && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            m_onUpdate();
            return true;
        }
    } else if (watched == m_image && event->type() == QEvent::MouseButtonRelease && m_openPicture) {
        m_openPicture();
    }
    return TCaptionPanelK::eventFilter(watched, event);
}

} // namespace orvix
