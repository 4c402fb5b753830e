#include "about_form.h"

#include "maker_look.h"

#include "app/maker_host.h"
#include "app/program_version.h"
#include "foundation/desktop.h"
#include "foundation/errors.h"
#include "foundation/paths.h"
#include "foundation/thread_x.h"
#include "services/maker_posts.h"

#include <QAction>
#include <QCoreApplication>
#include <QDate>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvix {

namespace {

QString aboutDate(const QDateTime &when)
{
    return QLocale(QLocale::English).toString(when, QStringLiteral("dd/MMM/yy hh:mm:ss"));
}

// The build's time: the moment this unit was compiled, read as UTC and shown 3 hours on.
QDateTime buildTime()
{
    const QDateTime compiled = QLocale(QLocale::English).toDateTime(
        QString::fromLatin1(__DATE__ " " __TIME__).simplified(), QStringLiteral("MMM d yyyy hh:mm:ss"));
    if (!compiled.isValid())
        return QDateTime(QDate(1899, 12, 30), QTime(0, 0));
    return QDateTime(compiled.date(), compiled.time(), Qt::UTC).addSecs(3 * 3600).toUTC();
}

} // namespace

QString TFormAbout::VersionText()
{
    const QFileInfo program(QCoreApplication::applicationFilePath());
    const QDateTime modified = program.exists() ? program.lastModified() : QDateTime(QDate(1899, 12, 30), QTime(0, 0));
    return ProgramVersionText() + u'\n' + QStringLiteral("Program Date : ") + aboutDate(buildTime()) + u'\n'
           + QStringLiteral("Installation Date : ") + aboutDate(modified);
}

QString TFormAbout::UserText()
{
    return QStringLiteral("user ") + LoggedOnUserName() + (UserIsAdministrator() ? QStringLiteral(" (A)") : QStringLiteral(" (S)"));
}

TFormAbout::TFormAbout(const QString &appId, ThreadRegistry &threads, QWidget *parent)
    : QDialog(parent), m_threads(threads)
{
    setObjectName(QStringLiteral("TFormAbout"));
    setWindowTitle(QStringLiteral("About Varnel Orvix Downloader"));
    setFixedSize(522, 263);
    setAttribute(Qt::WA_DeleteOnClose);

    QWidget *side = MakerSidePanel(Qt::black, MakerHost(), MakerSiteUrl(appId), this);
    side->setFixedWidth(150);

    auto *title = new QLabel(QStringLiteral("Orvix Downloader 1.0"), this);
    title->setObjectName(QStringLiteral("labelTitle"));
    QFont big = title->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    title->setFont(big);
    auto *notice = new QLabel(QStringLiteral("Copyright \u00A9 [year] Varnel Software. All rights reserved.\n"
                                             "This program downloads pictures you choose from the photo site.")
                                  .replace(QStringLiteral("[year]"), QString::number(QDate::currentDate().year())),
                              this);
    notice->setObjectName(QStringLiteral("labelNotice"));
    notice->setWordWrap(true);
    auto *version = new QLabel(VersionText(), this);
    version->setObjectName(QStringLiteral("labelVersion"));
    auto *user = new QLabel(UserText(), this);
    user->setObjectName(QStringLiteral("labelUser"));
    auto *tool = new QLabel(QStringLiteral("Built with Qt %1").arg(QString::fromLatin1(qVersion())), this);
    tool->setObjectName(QStringLiteral("imgTool"));
    tool->setEnabled(false);
    auto *close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("bClose"));
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(tool);
    bottom->addStretch(1);
    bottom->addWidget(close);
    auto *right = new QVBoxLayout;
    right->addWidget(title);
    right->addWidget(notice);
    right->addSpacing(8);
    right->addWidget(version);
    right->addWidget(user);
    right->addStretch(1);
    right->addLayout(bottom);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 8, 8);
    layout->addWidget(side);
    layout->addLayout(right, 1);

    auto key = [this](const char *name, QKeySequence seq, std::function<void()> fn) {
        auto *a = new QAction(this);
        a->setObjectName(QLatin1String(name));
        a->setShortcut(seq);
        connect(a, &QAction::triggered, this, std::move(fn));
        addAction(a);
    };
    key("acOpenSettingsFolder", QKeySequence(Qt::CTRL | Qt::Key_S), [] { ShellOpen(GetSettingsFolder()); });
    // Both go through the exception reports like any other exception.
    key("acTestGuiException", QKeySequence(Qt::CTRL | Qt::Key_B), [] { throw EOrvix(QStringLiteral("test gui exception")); });
    key("acTestThreadException", QKeySequence(Qt::CTRL | Qt::Key_N), [this] {
        TThreadX::StartNew([] { throw EOrvix(QStringLiteral("test thread exception x1")); }, &m_threads);
    });
}

} // namespace orvix
