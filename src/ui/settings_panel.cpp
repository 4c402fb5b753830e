#include "settings_panel.h"

#include "widgets/directory_edit.h"
#include "widgets/nav_bar.h"
#include "widgets/tab_sheet_x.h"
#include "widgets/varnel_page_control_x.h"

#include "app/output_folder.h"
#include "app/program_context.h"
#include "foundation/desktop.h"
#include "foundation/dialogs.h"
#include "foundation/errors.h"
#include "foundation/files.h"
#include "foundation/log.h"
#include "foundation/main_thread_call.h"
#include "library/picture_db.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace orvix {

TSettingsPanel::TSettingsPanel(ProgramContext &context, std::function<void(int)> imageSizeChosen, QWidget *parent)
    : TCaptionPanelK(QStringLiteral("Settings"), parent), m_context(context),
      m_imageSizeChosen(std::move(imageSizeChosen))
{
    setObjectName(QStringLiteral("panelSettings"));
    setTag(kNoSizingFrameTag);

    m_pages = new TVarnelPageControlX(this);
    m_pages->setObjectName(QStringLiteral("pcSettings"));
    buildGeneral();
    buildBrowsing();
    buildOther();
    m_pages->setHideAllTabs(true);

    m_navBar = new TVarnelNavBar(this);
    m_navBar->setObjectName(QStringLiteral("VarnelNavBar1"));
    m_navBar->setPagecontrol(m_pages);
    m_navBar->setKind(navTree);
    m_navBar->setFixedWidth(110);
    m_pages->Loaded();

    auto *body = new QHBoxLayout;
    body->addWidget(m_navBar);
    body->addWidget(m_pages, 1);

    // Checked after the first start; kept with the other settings, never shown.
    auto *marker = new QCheckBox(QStringLiteral("version 1.0.0.10 initialized"), this);
    marker->setObjectName(QStringLiteral("cbVersion1_0_0_10_initialized"));
    marker->hide();
    m_bCloseSettings = new QPushButton(QStringLiteral("Close"), this);
    m_bCloseSettings->setObjectName(QStringLiteral("bCloseSettings"));
    connect(m_bCloseSettings, &QPushButton::clicked, this, &TSettingsPanel::bCloseSettingsClick);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(marker);
    bottom->addStretch(1);
    bottom->addWidget(m_bCloseSettings);

    contentLayout()->addLayout(body, 1);
    contentLayout()->addLayout(bottom);
    connect(this, &TCaptionPanelK::OnButtonClick, this, &TSettingsPanel::bCloseSettingsClick);
    resize(600, 390);
    hide();
}

QString TSettingsPanel::SettingsMutexName(const QString &settingsFolder)
{
    return FolderMutexName(QStringLiteral("orvix_settings"), settingsFolder);
}

TSettingsPanel::~TSettingsPanel()
{
    if (!m_mutex.isNull())
        UnSetMutex(m_mutex);
}

QPlainTextEdit *TSettingsPanel::memo(const QString &name, const QString &text, QWidget *parent)
{
    auto *m = new QPlainTextEdit(text, parent);
    m->setObjectName(name);
    m->setReadOnly(true);
    m->setFrameShape(QFrame::NoFrame);
    m->setStyleSheet(QStringLiteral("QPlainTextEdit { background: #dcebfa; }"));
    m->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m->setFocusPolicy(Qt::NoFocus);
    const int lines = int(text.count(QLatin1Char('\n'))) + 1;
    m->setFixedHeight(m->fontMetrics().lineSpacing() * lines + 12);
    m_memos.append(m);
    return m;
}

TTabSheetX *TSettingsPanel::buildGeneral()
{
    TTabSheetX *page = m_pages->AddPage(QStringLiteral("General"));
    page->setObjectName(QStringLiteral("TabSheetX1"));
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(memo(QStringLiteral("memoSettingsTop"),
                           QStringLiteral("  Select the preferred image quality. If you have a slow\n"
                                          "connection please use the medium size.  "),
                           page));

    m_rgImageSize = new QGroupBox(QStringLiteral("Download picture size"), page);
    m_rgImageSize->setObjectName(QStringLiteral("rg_ImageSizeToSave"));
    auto *sizes = new QVBoxLayout(m_rgImageSize);
    const QString captions[] = {QStringLiteral("Medium size (as displayed) (e.g. ~ 500 x 375 pixels)"),
                                QStringLiteral("Large size (e.g. ~ 1024 x 768 pixels)"),
                                QStringLiteral("Original size (larger) (e.g. ~ 2272 x 1704 pixels)")};
    for (int i = 0; i < 3; ++i) {
        auto *item = new QRadioButton(captions[i], m_rgImageSize);
        item->setChecked(i == 0);
        connect(item, &QRadioButton::clicked, this, &TSettingsPanel::rg_ImageSizeToSaveClick);
        sizes->addWidget(item);
    }
    layout->addWidget(m_rgImageSize);

    layout->addWidget(memo(QStringLiteral("memoSettingsMiddle"),
                           QStringLiteral("Select the folder you want to store the pictures you save."), page));
    auto *folderBox = new QGroupBox(QStringLiteral("Pictures output folder"), page);
    auto *folderRow = new QHBoxLayout(folderBox);
    m_edOutputPath = new TVarnelDirectoryEdit(folderBox);
    m_edOutputPath->setObjectName(QStringLiteral("edOutputPath"));
    auto *open = new QPushButton(QStringLiteral("Open"), folderBox);
    open->setObjectName(QStringLiteral("bOpenOutputFolder"));
    connect(open, &QPushButton::clicked, this, &TSettingsPanel::bOpenOutputFolderClick);
    folderRow->addWidget(m_edOutputPath, 1);
    folderRow->addWidget(open);
    layout->addWidget(folderBox);
    layout->addStretch(1);
    return page;
}

TTabSheetX *TSettingsPanel::buildBrowsing()
{
    TTabSheetX *page = m_pages->AddPage(QStringLiteral("Browsing"));
    page->setObjectName(QStringLiteral("TabSheetX2"));
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(memo(QStringLiteral("Memo1"), QStringLiteral("Start Page"), page));

    m_rbStartPage1 = new QRadioButton(QStringLiteral("Resume fom last page"), page);
    m_rbStartPage1->setObjectName(QStringLiteral("rbStartPage1"));
    m_rbStartPage1->setChecked(true);
    m_rbStartPage2 = new QRadioButton(QStringLiteral("Go to this page:"), page);
    m_rbStartPage2->setObjectName(QStringLiteral("rbStartPage2"));
    auto *edStartPage = new QLineEdit(page);
    edStartPage->setObjectName(QStringLiteral("edStartPage"));
    m_edStartUrlIdx = new QLineEdit(QStringLiteral("0"), page);
    m_edStartUrlIdx->setObjectName(QStringLiteral("edStartUrlIdx"));
    m_edStartUrlIdx->hide();
    connect(m_rbStartPage1, &QRadioButton::clicked, this, [this] { m_edStartUrlIdx->setText(QStringLiteral("0")); });
    connect(m_rbStartPage2, &QRadioButton::clicked, this, [this] { m_edStartUrlIdx->setText(QStringLiteral("1")); });
    layout->addWidget(m_rbStartPage1);
    auto *row = new QHBoxLayout;
    row->addWidget(m_rbStartPage2);
    row->addWidget(edStartPage, 1);
    layout->addLayout(row);

    layout->addWidget(memo(QStringLiteral("memo11"),
                           QStringLiteral("Web Panel: Never automatically offer to download multiples images\n"
                                          "from these URLs (allows substrings, e.g. /photos/friends/)"),
                           page));
    auto *urls = new QPlainTextEdit(page);
    urls->setObjectName(QStringLiteral("edMinimizedWebPanelUrls"));
    urls->setLineWrapMode(QPlainTextEdit::NoWrap);
    layout->addWidget(urls, 1);
    return page;
}

TTabSheetX *TSettingsPanel::buildOther()
{
    TTabSheetX *page = m_pages->AddPage(QStringLiteral("Other"));
    page->setObjectName(QStringLiteral("tsSettingsOther"));
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(memo(QStringLiteral("memoCaching"), QStringLiteral("Caching"), page));
    auto *cache = new QCheckBox(QStringLiteral("Cache thumbnails"), page);
    cache->setObjectName(QStringLiteral("cbCacheThumbnails"));
    cache->setChecked(true);
    layout->addWidget(cache);
    auto *showLast = new QCheckBox(QStringLiteral("Show the last saved picture"), page);
    showLast->setObjectName(QStringLiteral("cbShowLastSaved"));
    showLast->setChecked(true);
    layout->addWidget(showLast);
    layout->addStretch(1);
    return page;
}

void TSettingsPanel::TrimMemos()
{
    for (QPlainTextEdit *m : std::as_const(m_memos))
        m->setPlainText(m->toPlainText().trimmed());
}

bool TSettingsPanel::miGeneralSettingsClick(int page)
{
    ORVIX_ASSERT_MAIN_THREAD();
    if (isHidden()) {
        if (MutexExists(SettingsMutexName(m_context.settingsFolder()))) {
            InfoBox(QStringLiteral("Another instance of the orvix downloader options is already open."));
            return false;
        }
        m_mutex = SetMutex(SettingsMutexName(m_context.settingsFolder()));
        CenterInParent();
        show();
    }
    ShowInFront();
    if (page >= 0)
        m_navBar->SelectTab(page);
    return true;
}

void TSettingsPanel::bCloseSettingsClick()
{
    ORVIX_ASSERT_MAIN_THREAD();
    const QString typed = m_edOutputPath->text();
    // The dots go here already, so no folder with them is made on the way.
    const QString folder = WithoutTrailingDots(typed);
    if (folder.isEmpty() || !QDir().mkpath(folder)) {
        InfoBox(QStringLiteral("Could not create directory: ") + typed);
        return;
    }
    if (!QFileInfo(folder).isDir()) {
        InfoBox(QStringLiteral("Invalid directory: ") + typed);
        return;
    }
    if (!CanWriteToFolder(folder)) {
        InfoBox(QStringLiteral("You have no access right to write to: ") + typed
                + QStringLiteral("\r\nPlease select another folder."));
        return;
    }

    hide();
    UnSetMutex(m_mutex);
    try {
        m_edOutputPath->setText(m_context.EnsurePicturesFolder(typed));
    } catch (const EOrvix &) {
        // "Could not create folder" has been said.
        keepOpen();
        return;
    }
    try {
        m_context.pictures().RebuildFilesDb(m_context.outputFolder());
    } catch (const std::exception &e) {
        // The list of files is rebuilt again later; the settings are saved all the same.
        LogMessage(exceptionMessage(e));
    }
    m_context.setCacheThumbnails(findChild<QCheckBox *>(QStringLiteral("cbCacheThumbnails"))->isChecked());
    TVarnelProject &settings = m_context.ApplicationSettings();
    if (settings.ProjectModifiedExternally())
        InfoBox(QStringLiteral("Another instance has already modified the settings. "
                               "The old settings will be discarded."));
    if (!settings.SaveProjectX())
        keepOpen(); // the values stay in the panel for another try
}

void TSettingsPanel::keepOpen()
{
    if (m_mutex.isNull() && !MutexExists(SettingsMutexName(m_context.settingsFolder())))
        m_mutex = SetMutex(SettingsMutexName(m_context.settingsFolder()));
    ShowInFront();
}

void TSettingsPanel::rg_ImageSizeToSaveClick()
{
    if (!m_imageSizeChosen)
        return;
    const QList<QRadioButton *> items = m_rgImageSize->findChildren<QRadioButton *>();
    for (int i = 0; i < items.size(); ++i)
        if (items[i]->isChecked())
            m_imageSizeChosen(i);
}

void TSettingsPanel::bOpenOutputFolderClick()
{
    ShellOpen(QLatin1Char('"') + m_context.outputFolder() + QLatin1Char('"'));
}

void TSettingsPanel::ShowStartPageChoice()
{
    const bool page2 = m_edStartUrlIdx->text() == QLatin1String("1");
    m_rbStartPage2->setChecked(page2);
    m_rbStartPage1->setChecked(!page2);
}

void TSettingsPanel::FormResize()
{
    if (isVisible())
        CenterInParent();
}

} // namespace orvix
