#include "upgrade_form.h"

#include "widgets/tab_sheet_x.h"
#include "widgets/varnel_page_control_x.h"

#include "app/program_version.h"
#include "foundation/dialogs.h"
#include "foundation/errors.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QGridLayout>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace orvix {

namespace {

QPushButton *button(const char *name, const QString &text, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

QLabel *label(const char *name, const QString &text, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    if (name)
        l->setObjectName(QLatin1String(name));
    return l;
}

} // namespace

QPlainTextEdit *TFormUpgrade::notesMemo(QWidget *page, const char *name)
{
    auto *memo = new QPlainTextEdit(page);
    memo->setObjectName(QLatin1String(name));
    memo->setReadOnly(true);
    memo->setFrameShape(QFrame::NoFrame);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_notes << memo;
    return memo;
}

TFormUpgrade::TFormUpgrade(const QString &latestVersionUrl, const QString &windowTitle, bool showProgress,
                           const QString &responseStr, const QString &settingsFolder, QWidget *parent)
    : QDialog(parent), m_latestVersionUrl(latestVersionUrl), m_responseStr(responseStr), m_settingsFolder(settingsFolder)
{
    setObjectName(QStringLiteral("TFormUpgrade"));
    setWindowTitle(QStringLiteral("Live Update"));
    setFixedSize(616, 283);
    setAttribute(Qt::WA_DeleteOnClose);

    auto *title = label("labelTitle", QStringLiteral("LiveUpdate - %program_name%").replace(QStringLiteral("%program_name%"), windowTitle), this);
    QFont bold = title->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 2);
    title->setFont(bold);

    m_pages = new TVarnelPageControlX(this);
    TTabSheetX *tsStatus = m_pages->AddPage(QStringLiteral("Status"));
    TTabSheetX *tsDownload = m_pages->AddPage(QStringLiteral("Download"));
    TTabSheetX *tsInstall = m_pages->AddPage(QStringLiteral("Install"));
    tsStatus->setObjectName(QStringLiteral("tsStatus"));
    tsDownload->setObjectName(QStringLiteral("tsDownload"));
    tsInstall->setObjectName(QStringLiteral("tsInstall"));
    m_pages->setHideAllTabs(true);
    m_pages->Loaded();

    // Status page.
    m_labelStatus = label("labelStatus", QString(), tsStatus);
    QFont statusFont = m_labelStatus->font();
    statusFont.setBold(true);
    m_labelStatus->setFont(statusFont);
    m_labelThisVersion = label("labelThisVersion", QStringLiteral("-"), tsStatus);
    m_labelRemoteVersion = label("labelRemoteVersion", QStringLiteral("-"), tsStatus);
    m_labelRemoteUrl = label("labelRemoteUrl", QStringLiteral("-"), tsStatus);
    m_progressCheck = new QProgressBar(tsStatus);
    m_progressCheck->setObjectName(QStringLiteral("progressCheckNewVersion"));
    m_progressCheck->setRange(0, 20);
    m_progressCheck->setVisible(showProgress);
    QPlainTextEdit *memo1 = notesMemo(tsStatus, "Memo1");
    memo1->hide();
    m_labelManualDownload = label("LabelManualDownload", QStringLiteral("<a href=\"#\">If you have problems downloading click here</a>"), tsStatus);
    m_labelManualDownload->hide();
    connect(m_labelManualDownload, &QLabel::linkActivated, this,
            [this] { QDesktopServices::openUrl(QUrl(m_reply.url)); });
    m_bDownload = button("bDownload", QStringLiteral("Download"), tsStatus);
    m_bDownload->hide();
    connect(m_bDownload, &QPushButton::clicked, this, &TFormUpgrade::bDownloadClick);
    auto *bClose = button("bClose", QStringLiteral("Close"), tsStatus);
    connect(bClose, &QPushButton::clicked, this, &TFormUpgrade::reject);
    auto *grid = new QGridLayout(tsStatus);
    grid->addWidget(m_labelStatus, 0, 0, 1, 3);
    grid->addWidget(label(nullptr, QStringLiteral("your version:"), tsStatus), 1, 0);
    grid->addWidget(m_labelThisVersion, 1, 1, 1, 2);
    grid->addWidget(label(nullptr, QStringLiteral("latest version:"), tsStatus), 2, 0);
    grid->addWidget(m_labelRemoteVersion, 2, 1, 1, 2);
    grid->addWidget(label(nullptr, QStringLiteral("url:"), tsStatus), 3, 0);
    grid->addWidget(m_labelRemoteUrl, 3, 1, 1, 2);
    grid->addWidget(m_progressCheck, 4, 0, 1, 3);
    grid->addWidget(memo1, 5, 0, 1, 3);
    grid->setRowStretch(5, 1);
    grid->addWidget(m_labelManualDownload, 6, 0);
    grid->addWidget(m_bDownload, 6, 1, Qt::AlignRight);
    grid->addWidget(bClose, 6, 2);
    grid->setColumnStretch(1, 1);

    // Download page.
    m_labelDownloadProgress = label("labelDownloadProgress", QStringLiteral("--"), tsDownload);
    m_labelDownloadPerc = label("labelDownloadPerc", QStringLiteral("0%"), tsDownload);
    m_progressDownload = new QProgressBar(tsDownload);
    m_progressDownload->setObjectName(QStringLiteral("progressDownload"));
    m_progressDownload->setTextVisible(false);
    auto *bCancel = button("bCancelDownload", QStringLiteral("Cancel"), tsDownload);
    auto *bCloseDownload = button("bCloseDownload", QStringLiteral("Close"), tsDownload);
    connect(bCancel, &QPushButton::clicked, this, &TFormUpgrade::reject);
    connect(bCloseDownload, &QPushButton::clicked, this, &TFormUpgrade::reject);
    auto *dl = new QGridLayout(tsDownload);
    dl->addWidget(label(nullptr, QStringLiteral("Status:"), tsDownload), 0, 0);
    dl->addWidget(label(nullptr, QStringLiteral("Downloading"), tsDownload), 0, 1);
    dl->addWidget(m_labelDownloadProgress, 1, 0, 1, 2);
    dl->addWidget(m_labelDownloadPerc, 1, 2, Qt::AlignRight);
    dl->addWidget(m_progressDownload, 2, 0, 1, 3);
    dl->addWidget(notesMemo(tsDownload, "Memo3"), 3, 0, 1, 3);
    dl->setRowStretch(3, 1);
    dl->addWidget(bCancel, 4, 1, Qt::AlignRight);
    dl->addWidget(bCloseDownload, 4, 2);

    // Install page.
    m_bInstall = button("bInstall", QStringLiteral("Install"), tsInstall);
    connect(m_bInstall, &QPushButton::clicked, this, &TFormUpgrade::bInstallClick);
    auto *bCloseInstall = button("bCloseInstall", QStringLiteral("Close"), tsInstall);
    connect(bCloseInstall, &QPushButton::clicked, this, &TFormUpgrade::reject);
    auto *inst = new QGridLayout(tsInstall);
    inst->addWidget(label(nullptr, QStringLiteral("Release notes"), tsInstall), 0, 0, 1, 3);
    inst->addWidget(notesMemo(tsInstall, "Memo2"), 1, 0, 1, 3);
    inst->addWidget(label(nullptr, QStringLiteral("The program has been downloaded and it is ready to be installed."), tsInstall), 2, 0, 1, 3);
    inst->setRowStretch(1, 1);
    inst->addWidget(m_bInstall, 3, 1, Qt::AlignRight);
    inst->addWidget(bCloseInstall, 3, 2);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(m_pages, 1);

    m_labelThisVersion->setText(ProgramVersionText());
    if (showProgress)
        show();
    CheckForUpdate();
}

QString TFormUpgrade::statusText() const
{
    return m_labelStatus->text();
}

void TFormUpgrade::CheckForUpdate()
{
    m_pages->SetTab(0);
    m_labelStatus->setText(QStringLiteral("Checking for Updates..."));
    m_progressCheck->setValue(5);
    QString text = m_responseStr;
    TUpdateCheck check;
    if (text.isEmpty()) {
        check = FetchUpdateReply(WindowUpdateRequestUrl(m_latestVersionUrl, ProgramVersionText()), 4, 1000, nullptr, false);
        text = check.replyLines.join(QStringLiteral("\r\n"));
    }
    m_progressCheck->setValue(20);
    m_reply = ParseUpdateReply(text);
    if (m_reply.latestVersion.isEmpty()) {
        m_errorCode = 2;
        ErrorBox(UpdateContactError(check.errorDetail));
        close();
        return;
    }
    m_labelManualDownload->show();
    m_progressCheck->hide();
    m_labelRemoteVersion->setText(m_reply.latestVersion + QStringLiteral(", ") + UpdateSizeText(m_reply.size));
    m_labelRemoteUrl->setText(m_reply.url);
    for (QPlainTextEdit *memo : std::as_const(m_notes))
        memo->setPlainText(m_reply.releaseNotes);
    m_notes.first()->setVisible(!m_reply.releaseNotes.isEmpty());

    const TUpdateStatus status = CompareBuilds(ProgramVersionText(), m_reply.latestVersion);
    m_labelStatus->setText(UpdateStatusText(status));
    const QColor colour = status == TUpdateStatus::PreRelease ? QColor(Qt::blue)
                          : status == TUpdateStatus::Latest    ? QColor(Qt::darkGreen)
                                                               : QColor(Qt::red);
    QPalette pal = m_labelStatus->palette();
    pal.setColor(QPalette::WindowText, colour);
    m_labelStatus->setPalette(pal);
    if (status == TUpdateStatus::NewVersion) {
        m_newVersionFound = true;
        m_bDownload->show();
        m_bDownload->setFocus();
    }
}

void TFormUpgrade::bDownloadClick()
{
    m_pages->SetTab(1);
    m_progressDownload->setValue(0);
    m_labelDownloadProgress->setText(QStringLiteral("--"));
    m_labelDownloadPerc->setText(QStringLiteral("0%"));
    const QLocale english(QLocale::English);
    m_downloading = true;
    m_stopDownload = false;
    try {
        m_newFilename = DownloadInstaller(m_reply, m_settingsFolder, [this, &english](qint64 read, qint64 total) {
            total = std::max<qint64>(total, 1);
            m_labelDownloadProgress->setText(english.toString(double(read) / 1024.0, 'f', 0) + QStringLiteral(" KB of ")
                                             + english.toString(double(total) / 1024.0, 'f', 0) + QStringLiteral(" KB downloaded"));
            const int percent = int(std::lround(100.0 * double(read) / double(total)));
            m_labelDownloadPerc->setText(QString::number(percent) + u'%');
            m_progressDownload->setValue(std::min(percent, 100));
        }, &m_stopDownload, false);
    } catch (const EOrvix &e) {
        m_downloading = false;
        m_labelDownloadProgress->setText(e.message());
        ErrorBox(e.message());
        return;
    }
    m_downloading = false;
    if (m_newFilename.isEmpty())
        return; // canceled
    m_pages->SetTab(2);
    m_bInstall->show();
    m_bInstall->setFocus();
    m_labelDownloadProgress->setText(QStringLiteral("Update downloaded, click install to continue."));
    m_progressDownload->setValue(100);
}

void TFormUpgrade::bInstallClick()
{
    // Only what passed the size and hash checks was kept; it is run as a program.
    QFile::setPermissions(m_newFilename, QFile::permissions(m_newFilename) | QFile::ExeOwner);
    const QString folder = QCoreApplication::applicationDirPath();
    // One argument, read by no shell: the folder goes without quotes.
    if (!QProcess::startDetached(m_newFilename, {QStringLiteral("/InstallationPath=") + folder})) {
        ErrorBox(QStringLiteral("Could not start ") + m_newFilename);
        return;
    }
    if (QWidget *main = parentWidget())
        main->close();
    QApplication::quit();
}

void TFormUpgrade::done(int result)
{
    m_stopDownload = true;
    QDialog::done(result);
}

void TFormUpgrade::reject()
{
    if (m_downloading) {
        if (!AskYesNoCancel(this, QStringLiteral("Are you sure you want to cancel the current download?"), windowTitle()))
            return;
        m_stopDownload = true;
    }
    QDialog::reject();
}

} // namespace orvix
