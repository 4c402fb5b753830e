#include "e2e_support.h"

#include "engine/picture_file.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>

namespace orvix::test {

void CliSandbox::SetUp()
{
    ASSERT_TRUE(m_dir.isValid());
    QDir().mkpath(m_dir.filePath(QStringLiteral("runtime")));
}

void CliSandbox::TearDown()
{
    m_site.reset();
}

void CliSandbox::startSite(photosite::ServerOptions options)
{
    m_site = std::make_unique<photosite::PhotoSiteServer>(options);
    m_site->start();
}

photosite::ServerOptions CliSandbox::smallSite()
{
    photosite::ServerOptions o;
    o.site.owners = 2;
    o.site.photosPerOwner = 12;
    o.site.perPage = 5;
    o.site.largestFileBytes = 48 * 1024;
    return o;
}

QProcessEnvironment CliSandbox::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("ORVIX_SITE"));
    env.remove(QStringLiteral("ORVIX_SETTINGS"));
    // Session slots of this test only, never a running program's.
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.filePath(QStringLiteral("runtime")));
    env.insert(QStringLiteral("ORVIX_WORKER_TIMING"), timing);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
    env.insert(QStringLiteral("HOME"), m_dir.filePath(QStringLiteral("home")));
    env.insert(moreEnvironment);
    return env;
}

QStringList CliSandbox::commonOptions() const
{
    QStringList options;
    if (m_site)
        options << QStringLiteral("--site=") + m_site->host();
    if (withSettings)
        options << QStringLiteral("--settings=") + settings();
    if (withOut)
        options << QStringLiteral("--out=") + pictures();
    return options;
}

std::unique_ptr<QProcess> CliSandbox::startCli(const QStringList &args)
{
    auto p = std::make_unique<QProcess>();
    p->setProcessEnvironment(environment());
    if (!startFolder.isEmpty())
        p->setWorkingDirectory(startFolder);
    QStringList all = args;
    if (!all.isEmpty()) {
        const QStringList options = commonOptions();
        for (qsizetype i = options.size() - 1; i >= 0; --i)
            all.insert(1, options[i]);
    }
    if (launcher.isEmpty())
        p->start(QStringLiteral(ORVIX_CLI_PATH), all);
    else
        p->start(launcher.first(), launcher.mid(1) + QStringList{QStringLiteral(ORVIX_CLI_PATH)} + all);
    return p;
}

CliResult CliSandbox::runCli(const QStringList &args, int timeoutMs)
{
    std::unique_ptr<QProcess> p = startCli(args);
    p->closeWriteChannel();
    CliResult r;
    if (!p->waitForFinished(timeoutMs)) {
        p->kill();
        p->waitForFinished();
    } else if (p->exitStatus() == QProcess::NormalExit) {
        r.exitCode = p->exitCode();
    }
    r.err = QString::fromUtf8(p->readAllStandardError());
    r.out = QString::fromUtf8(p->readAllStandardOutput());
    return r;
}

QString CliSandbox::writeLines(const QString &name, const QStringList &lines) const
{
    QFile f(file(name));
    f.open(QIODevice::WriteOnly);
    f.write(lines.join(u'\n').toUtf8() + '\n');
    return f.fileName();
}

QStringList CliSandbox::filesBelow(const QString &folder)
{
    QStringList names;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        names << QDir(folder).relativeFilePath(it.next());
    names.sort();
    return names;
}

QString CliSandbox::sha256(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256).toHex());
}

QStringList CliSandbox::itemFiles() const
{
    QStringList names;
    for (const char *queue : {"q1", "q2"})
        for (const QString &name : QDir(settings() + QStringLiteral("/orvix_sessions/") + QLatin1String(queue))
                                       .entryList(QDir::Files | QDir::Hidden))
            names << QLatin1String(queue) + u'/' + name;
    return names;
}

QList<const photosite::ManifestPicture *> CliSandbox::firstPublicPictures(int count)
{
    QList<const photosite::ManifestPicture *> chosen;
    for (const auto &p : site().manifest().pictures)
        if (!p.isPrivate && chosen.size() < count)
            chosen << &p;
    return chosen;
}

QString CliSandbox::sessionFolder(const char *queue) const
{
    return settings() + QStringLiteral("/orvix_sessions/") + QLatin1String(queue) + u'/';
}

void CliSandbox::leaveItemFile(const char *queue, const QString &name, const QByteArray &bytes) const
{
    QDir().mkpath(sessionFolder(queue));
    QFile marker(settings() + QStringLiteral("/orvix_sessions/orvixsession_1.session"));
    marker.open(QIODevice::WriteOnly | QIODevice::Append);
    QFile f(sessionFolder(queue) + name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QString CliSandbox::savedName(const photosite::ManifestPicture &p)
{
    return PictureFileStem(p.idX + u' ' + p.imageName) + PictureExtension(p.largestFileUrl);
}

void CliSandbox::expectSavedOnce(const QString &folder, const QList<const photosite::ManifestPicture *> &pictures)
{
    const QStringList present = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    for (const photosite::ManifestPicture *p : pictures) {
        EXPECT_EQ(present.filter(p->idX).size(), 1) << p->idX.toStdString();
        EXPECT_TRUE(present.contains(savedName(*p))) << savedName(*p).toStdString();
        EXPECT_EQ(sha256(folder + savedName(*p)), p->largestSha256) << savedName(*p).toStdString();
    }
    EXPECT_EQ(present.size(), pictures.size()) << present.join(u'\n').toStdString();
}

} // namespace orvix::test
