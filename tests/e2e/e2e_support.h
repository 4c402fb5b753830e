#pragma once

// orvix-cli as a user runs it, against the simulated photo site served by the test process: a
// private settings folder, pictures folder and lock folder per test, and short worker waits.

#include "photosite/photo_site_server.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace orvix::test {

struct CliResult
{
    int exitCode = -1; // -1: it did not end in time or crashed
    QString err;
    QString out;
};

class CliSandbox : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the site; call once per test before anything that needs it.
    void startSite(photosite::ServerOptions options);
    static photosite::ServerOptions smallSite();
    photosite::PhotoSiteServer &site() { return *m_site; }

    // Waits shortened for the run ("poll=0,pause=100,..."); the hidden browser keeps enough
    // time for a listing page's scripts.
    QString timing = QStringLiteral("poll=0,pause=100,disk=100,browser=1500,check=20,fetchpause=100");

    // Added to (or replacing) the environment of the runs.
    QProcessEnvironment moreEnvironment;
    // A program that runs orvix-cli, given first (as "strace" and its options); none when empty.
    QStringList launcher;
    // Without it the runs get no --out (a test gives its own).
    bool withOut = true;
    // Without it the runs get no --settings (commands that keep no settings refuse it).
    bool withSettings = true;
    // The folder orvix-cli starts in; the test process's when empty.
    QString startFolder;

    QProcessEnvironment environment() const;
    // Runs orvix-cli with the site, settings and pictures options added.
    CliResult runCli(const QStringList &args, int timeoutMs = 240000);
    std::unique_ptr<QProcess> startCli(const QStringList &args);
    QStringList commonOptions() const;

    QString settings() const { return m_dir.filePath(QStringLiteral("settings")); }
    QString pictures() const { return m_dir.filePath(QStringLiteral("pictures")) + u'/'; }
    QString file(const QString &name) const { return m_dir.filePath(name); }
    // Writes the lines to a file in the sandbox; returns its path.
    QString writeLines(const QString &name, const QStringList &lines) const;

    // Every file below the folder, hidden ones too, relative to it.
    static QStringList filesBelow(const QString &folder);
    static QString sha256(const QString &path);
    // The session's item files left in the queue folders.
    QStringList itemFiles() const;
    // The folder of queue "q1" or "q2" in the sessions folder, with a final "/".
    QString sessionFolder(const char *queue) const;
    // An item file as a run that ended left it (the bytes as given), with the slot's marker.
    void leaveItemFile(const char *queue, const QString &name, const QByteArray &bytes) const;
    // The bytes of an item file holding line: the mark, the line and a line end.
    static QByteArray itemBytes(const QString &line) { return "\xEF\xBB\xBF" + line.toUtf8() + "\r\n"; }

    // The first count pictures of the site that are not private.
    QList<const photosite::ManifestPicture *> firstPublicPictures(int count);
    // The file a picture is saved as in folder, by the program's naming.
    static QString savedName(const photosite::ManifestPicture &p);
    // Every picture of the list is in folder exactly once, with the site's bytes.
    void expectSavedOnce(const QString &folder, const QList<const photosite::ManifestPicture *> &pictures);

private:
    QTemporaryDir m_dir;
    std::unique_ptr<photosite::PhotoSiteServer> m_site;
};

} // namespace orvix::test
