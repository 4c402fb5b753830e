#include "form_install.h"

#include "desktop_entries.h"
#include "process_table.h"

#include "app/program_version.h"
#include "foundation/paths.h"
#include "services/maker_posts.h"
#include "ui/widgets/directory_edit.h"
#include "ui/widgets/link_label.h"
#include "ui/widgets/page_control_k.h"
#include "ui/widgets/tab_sheet_x.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QProcess>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <unistd.h>

namespace orvix {

namespace {

const QString kSettingsLocal = QStringLiteral("Application Data - Local");
const QString kSettingsRoaming = QStringLiteral("Application Data - Roaming");
const QString kSettingsExeFolder = QStringLiteral(".exe folder");
constexpr int kHintMs = 10000;

QLabel *textLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

} // namespace

InstallerSystem InstallerSystem::ForThisProcess(const InstallerPaths &paths)
{
    InstallerSystem s;
    s.isAdmin = ::geteuid() == 0;
    s.programFilesFolders = ProgramFilesFolders();
    s.isProgramRunning = [name = paths.InstallExeName] { return IsProgramRunning(name); };
    s.runElevated = [](const QString &file, const QStringList &arguments) {
        return RunElevated(file, arguments, QString(), true);
    };
    s.startProgram = [](const QString &program, const QString &folder) {
        return QProcess::startDetached(program, {}, folder);
    };
    return s;
}

TFormInstall::TFormInstall(InstallerPaths paths, InstallSwitches switches, InstallerSystem system,
                           bool uninstallMode, QWidget *parent)
    : QDialog(parent), m_paths(std::move(paths)), m_switches(std::move(switches)), m_system(std::move(system))
{
    setObjectName(QStringLiteral("FormInstall"));
    setWindowTitle(QStringLiteral("Installation Wizard"));
    setWindowFlag(Qt::Window);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowIcon(ProgramIcon(true));
    setFixedSize(536, 326);
    buildWindow();
    applySwitches();
    if (uninstallMode)
        setUninstallMode();
    else
        showPage(tsWelcome);
}

TFormInstall::~TFormInstall() = default;

void TFormInstall::buildWindow()
{
    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    auto *header = new QWidget(this);
    header->setAutoFillBackground(true);
    QPalette white = header->palette();
    white.setColor(QPalette::Window, Qt::white);
    header->setPalette(white);
    auto *headerLayout = new QHBoxLayout(header);
    headerLayout->setContentsMargins(14, 10, 14, 10);
    lblHeader = new QLabel(QStringLiteral("Installing %PROGRAM_NAME%").replace(QStringLiteral("%PROGRAM_NAME%"), m_paths.ProgramDisplayName), header);
    QFont headerFont = lblHeader->font();
    headerFont.setBold(true);
    headerFont.setPointSizeF(headerFont.pointSizeF() * 1.25);
    lblHeader->setFont(headerFont);
    headerLayout->addWidget(lblHeader);
    root->addWidget(header);

    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    root->addWidget(line);

    auto *middle = new QHBoxLayout;
    middle->setContentsMargins(0, 0, 10, 0);
    auto *imagePanel = new QLabel(this);
    imagePanel->setObjectName(QStringLiteral("panelImage"));
    imagePanel->setFixedWidth(130);
    imagePanel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    imagePanel->setContentsMargins(0, 18, 0, 0);
    imagePanel->setPixmap(QPixmap(ProgramIconResource(128, true)).scaled(96, 96, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    imagePanel->setAutoFillBackground(true);
    QPalette side = imagePanel->palette();
    side.setColor(QPalette::Window, QColor(0xe8, 0xf0, 0xfa));
    imagePanel->setPalette(side);
    middle->addWidget(imagePanel);

    pcPages = new TPageControlK(this);
    pcPages->TabBar()->hide();
    middle->addSpacing(12);
    middle->addWidget(pcPages, 1);
    root->addLayout(middle, 1);

    buildWelcomePage();
    buildOtherPages();
    pcPages->Loaded();

    auto *line2 = new QFrame(this);
    line2->setFrameShape(QFrame::HLine);
    line2->setFrameShadow(QFrame::Sunken);
    root->addWidget(line2);
    buildBottomBar();
}

void TFormInstall::buildWelcomePage()
{
    tsWelcome = new TTabSheetX(QStringLiteral("tsWelcome"), pcPages);
    tsWelcome->setObjectName(QStringLiteral("tsWelcome"));
    auto *layout = new QVBoxLayout(tsWelcome);
    layout->setContentsMargins(0, 8, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(new QLabel(QStringLiteral("Installation path:"), tsWelcome));
    edInstallationPath1 = new TVarnelDirectoryEdit(tsWelcome);
    edInstallationPath1->setObjectName(QStringLiteral("edInstallationPath1"));
    edInstallationPath1->setText(m_paths.InstallFolder);
    layout->addWidget(edInstallationPath1);
    layout->addSpacing(2);

    cbDesktopIcon = new QCheckBox(QStringLiteral("create desktop icon"), tsWelcome);
    cbDesktopIcon->setChecked(true);
    cbQuickLaunchIcon = new QCheckBox(QStringLiteral("create quick launch icon"), tsWelcome);
    // No quick-launch bar on this desktop: the box stays for the switch, and makes nothing.
    cbQuickLaunchIcon->setEnabled(false);
    cbQuickLaunchIcon->setToolTip(QStringLiteral("This desktop has no quick launch bar"));
    cbQuickLaunchIcon->setToolTipDuration(kHintMs);
    cbStartMenuIcon = new QCheckBox(QStringLiteral("create start menu entry"), tsWelcome);
    cbStartMenuIcon->setChecked(true);
    for (QCheckBox *box : {cbDesktopIcon, cbQuickLaunchIcon, cbStartMenuIcon})
        layout->addWidget(box);

    lblAdvanced = new TVarnelLinkLabel(QStringLiteral("<x>advanced >>"), tsWelcome);
    layout->addWidget(lblAdvanced);
    panelAdvanced = new QWidget(tsWelcome);
    panelAdvanced->setObjectName(QStringLiteral("panelAdvanced"));
    auto *advanced = new QGridLayout(panelAdvanced);
    advanced->setContentsMargins(0, 0, 0, 0);
    advanced->setVerticalSpacing(2);
    lblSettingsLocationCaption = new QLabel(QStringLiteral("Store Settings in:"), panelAdvanced);
    advanced->addWidget(lblSettingsLocationCaption, 0, 0);
    cbSettingsLocation = new QComboBox(panelAdvanced);
    cbSettingsLocation->addItems({kSettingsLocal, kSettingsRoaming, kSettingsExeFolder});
    cbSettingsLocation->setEnabled(false);
    advanced->addWidget(cbSettingsLocation, 0, 1);
    cbRoaming = new QCheckBox(QStringLiteral("use roaming profile"), panelAdvanced);
    cbRoaming->setChecked(QFileInfo::exists(m_paths.RoamingMarker()));
    advanced->addWidget(cbRoaming, 1, 1);
    advanced->setColumnStretch(2, 1);
    panelAdvanced->hide();
    layout->addWidget(panelAdvanced);
    layout->addStretch(1);

    connect(lblAdvanced, &TVarnelLinkLabel::clicked, this, &TFormInstall::lblAdvancedClick);
    connect(edInstallationPath1, &QLineEdit::textChanged, this, &TFormInstall::UpdateSettingsLocation);
    connect(edInstallationPath1, &QLineEdit::editingFinished, this, &TFormInstall::UpdateSettingsLocation);
    connect(cbRoaming, &QCheckBox::clicked, this, &TFormInstall::UpdateSettingsLocation);
}

void TFormInstall::buildOtherPages()
{
    tsInstalling = new TTabSheetX(QStringLiteral("tsInstalling"), pcPages);
    auto *installing = new QVBoxLayout(tsInstalling);
    installing->setContentsMargins(0, 12, 0, 0);
    installing->addWidget(textLabel(QStringLiteral("Installation in progress. Please wait..."), tsInstalling));
    installing->addStretch(1);

    tsError = new TTabSheetX(QStringLiteral("tsError"), pcPages);
    auto *error = new QVBoxLayout(tsError);
    error->setContentsMargins(0, 12, 0, 0);
    error->addWidget(textLabel(QStringLiteral("Problems encountered during the Installation."), tsError));
    error->addWidget(textLabel(QStringLiteral("Please make sure other program instances are not running."), tsError));
    error->addWidget(textLabel(QStringLiteral("If the problem persists, you may need to restart the computer and try again."), tsError));
    lblErrorText = textLabel(QString(), tsError);
    lblErrorText->setObjectName(QStringLiteral("lblErrorText"));
    lblErrorText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    error->addSpacing(8);
    error->addWidget(lblErrorText);
    error->addStretch(1);

    tsCompleted = new TTabSheetX(QStringLiteral("tsCompleted"), pcPages);
    auto *completed = new QVBoxLayout(tsCompleted);
    completed->setContentsMargins(0, 0, 0, 0);
    lblCompleted = textLabel(QString(), tsCompleted);
    lblCompleted->setObjectName(QStringLiteral("lblCompleted"));
    completed->addWidget(lblCompleted);
    completed->addStretch(1);

    tsUninstall = new TTabSheetX(QStringLiteral("tsUninstall"), pcPages);
    auto *uninstall = new QVBoxLayout(tsUninstall);
    uninstall->setContentsMargins(0, 12, 0, 0);
    uninstall->addWidget(new QLabel(QStringLiteral("Installation path:"), tsUninstall));
    edUninstallPath = new QLineEdit(tsUninstall);
    edUninstallPath->setReadOnly(true);
    uninstall->addWidget(edUninstallPath);
    uninstall->addSpacing(8);
    uninstall->addWidget(textLabel(QStringLiteral("Welcome to the installation wizard. This will uninstall the program from your "
                                                  "computer.\n\nClick uninstall to start the procedure."),
                                   tsUninstall));
    cbUninstallProgramSettings = new QCheckBox(QStringLiteral("also delete program settings"), tsUninstall);
    cbUninstallProgramSettings->setEnabled(false);
    uninstall->addWidget(cbUninstallProgramSettings);
    uninstall->addStretch(1);

    tsManual = new TTabSheetX(QStringLiteral("tsManual"), pcPages);
    auto *manual = new QVBoxLayout(tsManual);
    manual->setContentsMargins(0, 8, 0, 4);
    manual->addWidget(textLabel(QStringLiteral("Drag and drop the following files into a folder of your choice."), tsManual));
    manual->addWidget(textLabel(QStringLiteral("A portable exe, will keep all settings in the destination folder.\n"
                                               "rathen than in the application data folder or in the registry."),
                                tsManual));
    lblManualWait = new QLabel(QStringLiteral("Please Wait..."), tsManual);
    lblManualWait->hide();
    manual->addWidget(lblManualWait);
    lvPortableFiles = new QListView(tsManual);
    lvPortableFiles->setObjectName(QStringLiteral("lvPortableFiles"));
    lvPortableFiles->setViewMode(QListView::IconMode);
    lvPortableFiles->setIconSize(QSize(48, 48));
    lvPortableFiles->setGridSize(QSize(140, 80));
    lvPortableFiles->setDragEnabled(true);
    lvPortableFiles->setDragDropMode(QAbstractItemView::DragOnly);
    lvPortableFiles->setDefaultDropAction(Qt::CopyAction);
    manual->addWidget(lvPortableFiles, 1);
}

void TFormInstall::buildBottomBar()
{
    auto *bar = new QHBoxLayout;
    bar->setContentsMargins(10, 6, 10, 8);
    lblVersion = new QLabel(ProgramVersionText() + (UserIsAdministrator() ? QStringLiteral(" (A)") : QStringLiteral(" (S)")), this);
    lblVersion->setEnabled(false);
    bar->addWidget(lblVersion);
    bar->addSpacing(8);
    lblManual = new TVarnelLinkLabel(QStringLiteral("<x>Manual Installation"), this);
    lblManual->setToolTip(QStringLiteral("Prepare a portable copy that keeps its settings beside itself"));
    lblManual->setToolTipDuration(kHintMs);
    lblUninstall = new TVarnelLinkLabel(QStringLiteral("<x>Uninstall"), this);
    bar->addWidget(lblManual);
    bar->addSpacing(8);
    bar->addWidget(lblUninstall);
    bar->addStretch(1);
    bManualBack = new QPushButton(QStringLiteral("<< Back"), this);
    bTryAgain = new QPushButton(QStringLiteral("Try again"), this);
    bLaunchProgram = new QPushButton(QStringLiteral("Launch program"), this);
    bInstall = new QPushButton(QStringLiteral("Install >>"), this);
    bUninstall = new QPushButton(QStringLiteral("Uninstall"), this);
    bExit = new QPushButton(QStringLiteral("Exit"), this);
    for (QPushButton *b : {bManualBack, bTryAgain, bLaunchProgram, bInstall, bUninstall, bExit}) {
        b->setAutoDefault(false);
        bar->addWidget(b);
    }
    // Enter in the folder field presses it (the field leaves Enter to the dialog).
    bInstall->setDefault(true);
    for (QPushButton *b : {bManualBack, bTryAgain, bLaunchProgram, bUninstall})
        b->hide();
    static_cast<QVBoxLayout *>(layout())->addLayout(bar);

    connect(bInstall, &QPushButton::clicked, this, &TFormInstall::bInstallClick);
    connect(bUninstall, &QPushButton::clicked, this, &TFormInstall::bUninstallClick);
    connect(bTryAgain, &QPushButton::clicked, this, &TFormInstall::bTryAgainClick);
    connect(bLaunchProgram, &QPushButton::clicked, this, &TFormInstall::bLaunchProgramClick);
    connect(bManualBack, &QPushButton::clicked, this, &TFormInstall::bManualBackClick);
    connect(bExit, &QPushButton::clicked, this, &QDialog::reject);
    connect(lblManual, &TVarnelLinkLabel::clicked, this, &TFormInstall::lblManualClick);
    connect(lblUninstall, &TVarnelLinkLabel::clicked, this, &TFormInstall::lblUninstallClick);
}

void TFormInstall::applySwitches()
{
    if (m_switches.installationPath)
        edInstallationPath1->setText(*m_switches.installationPath);
    if (m_switches.desktopIcon)
        cbDesktopIcon->setChecked(*m_switches.desktopIcon);
    if (m_switches.quickLaunchIcon)
        cbQuickLaunchIcon->setChecked(*m_switches.quickLaunchIcon);
    if (m_switches.startMenuEntry)
        cbStartMenuIcon->setChecked(*m_switches.startMenuEntry);
    if (m_switches.roaming)
        cbRoaming->setChecked(*m_switches.roaming);
    if (m_switches.removeSettings)
        cbUninstallProgramSettings->setChecked(*m_switches.removeSettings);
    UpdateSettingsLocation();
}

bool TFormInstall::folderNeedsRoot(const QString &folder) const
{
    return PathUnderProgramFiles(folder, m_system.programFilesFolders);
}

void TFormInstall::UpdateSettingsLocation()
{
    if (folderNeedsRoot(edInstallationPath1->text())) {
        cbRoaming->show();
        cbSettingsLocation->setCurrentText(cbRoaming->isChecked() ? kSettingsRoaming : kSettingsLocal);
    } else {
        cbRoaming->hide();
        cbSettingsLocation->setCurrentText(kSettingsExeFolder);
    }
}

void TFormInstall::lblAdvancedClick()
{
    panelAdvanced->setVisible(!panelAdvanced->isVisible());
    UpdateSettingsLocation();
}

InstallOptions TFormInstall::options() const
{
    InstallOptions o;
    o.desktopIcon = cbDesktopIcon->isChecked();
    o.quickLaunchIcon = cbQuickLaunchIcon->isChecked();
    o.startMenuEntry = cbStartMenuIcon->isChecked();
    o.roaming = cbRoaming->isChecked();
    return o;
}

void TFormInstall::showPage(TTabSheetX *page)
{
    pcPages->setActivePage(page);
    const bool welcome = page == tsWelcome;
    lblManual->setVisible(welcome && !m_uninstallMode);
    lblUninstall->setVisible(welcome && !m_uninstallMode);
    bInstall->setVisible(welcome && !m_uninstallMode);
    bManualBack->setVisible(page == tsManual);
    bTryAgain->setVisible(page == tsError && !m_uninstallMode);
    bUninstall->setVisible(page == tsUninstall);
    if (page != tsCompleted)
        bLaunchProgram->hide();
}

void TFormInstall::setUninstallMode()
{
    m_uninstallMode = true;
    setWindowTitle(QStringLiteral("Uninstall/Remove"));
    lblHeader->setText(QStringLiteral("Removing ") + m_paths.ProgramDisplayName);
    edUninstallPath->setText(m_paths.InstallFolder);
    showPage(tsUninstall);
    bUninstall->setDefault(true);
}

void TFormInstall::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_switches.autoStart && !m_autoStarted) {
        m_autoStarted = true;
        QTimer::singleShot(100, this, [this] {
            if (m_uninstallMode || m_switches.uninstall)
                bUninstallClick();
            else
                bInstallClick();
        });
    }
}

void TFormInstall::closeEvent(QCloseEvent *event)
{
    removeStagingFolder();
    QDialog::closeEvent(event);
}

void TFormInstall::done(int result)
{
    removeStagingFolder();
    QDialog::done(result);
}

void TFormInstall::endProcess(int code)
{
    m_endProcessCode = code;
    done(code == 0 ? Accepted : Rejected);
}

} // namespace orvix
