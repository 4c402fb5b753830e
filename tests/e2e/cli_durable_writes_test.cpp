// Every file a download run gives a name (pictures, item files, the picture database)
// reaches the disk before its name does: traced with strace, each rename or link must follow a
// sync of the file it names, and a sync of the folder must follow it.

#include "e2e_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

using namespace orvix::test;

namespace {

struct Naming
{
    QString from;
    QString to;
    qsizetype at = 0; // line in the trace
};

struct Trace
{
    QList<Naming> namings;
    QStringList unlinked;
    QMultiHash<QString, qsizetype> syncs; // path -> lines where it was synced
};

Trace readTrace(const QString &file)
{
    QFile f(file);
    f.open(QIODevice::ReadOnly);
    const QStringList lines = QString::fromUtf8(f.readAll()).split(u'\n');
    static const QRegularExpression sync(QStringLiteral("\\b(?:fdatasync|fsync)\\(\\d+<([^>]*)>"));
    static const QRegularExpression unlink(QStringLiteral("\\bunlink(?:at)?\\((?:[^,\"]*, )?\"([^\"]*)\""));
    static const QRegularExpression naming(QStringLiteral(
        "\\b(?:rename|renameat|renameat2|link|linkat)\\((?:[^,\"]*, )?\"([^\"]*)\", (?:[^,\"]*, )?\"([^\"]*)\""));
    Trace trace;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (const auto m = sync.match(lines[i]); m.hasMatch())
            trace.syncs.insert(m.captured(1), i);
        else if (const auto n = naming.match(lines[i]); n.hasMatch())
            trace.namings.append({n.captured(1), n.captured(2), i});
        else if (const auto u = unlink.match(lines[i]); u.hasMatch())
            trace.unlinked.append(u.captured(1));
    }
    return trace;
}

bool syncedBetween(const Trace &trace, const QString &path, qsizetype from, qsizetype to)
{
    const QList<qsizetype> at = trace.syncs.values(path);
    return std::any_of(at.begin(), at.end(), [&](qsizetype i) { return i > from && i < to; });
}

class CliDurableWrites : public CliSandbox
{
};

TEST_F(CliDurableWrites, EveryNameGivenFollowsASyncOfItsFileAndIsFollowedByASyncOfItsFolder)
{
    const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
    if (strace.isEmpty() || QProcess::execute(strace, {QStringLiteral("-qq"), QStringLiteral("-o"),
                                                       QStringLiteral("/dev/null"), QStringLiteral("true")}) != 0)
        GTEST_SKIP() << "strace is missing or may not trace here";
    startSite(smallSite());
    QStringList urls;
    for (const auto &p : site().manifest().pictures)
        if (!p.isPrivate && urls.size() < 3)
            urls << p.pageUrl;
    const QString list = writeLines(QStringLiteral("urls.txt"), urls);
    const QString traceFile = file(QStringLiteral("trace.txt"));
    launcher = {strace, QStringLiteral("-f"), QStringLiteral("-qq"), QStringLiteral("-y"), QStringLiteral("-o"), traceFile,
                QStringLiteral("-e"), QStringLiteral("trace=fdatasync,fsync,rename,renameat,renameat2,link,linkat,unlink,unlinkat"),
                // The leak checker cannot run under a tracer and would fail the traced run.
                QStringLiteral("-E"), QStringLiteral("ASAN_OPTIONS=%1:detect_leaks=0").arg(qEnvironmentVariable("ASAN_OPTIONS"))};

    const CliResult r = runCli({QStringLiteral("paste"), list});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();

    const Trace trace = readTrace(traceFile);
    QStringList named;
    for (const Naming &n : trace.namings) {
        EXPECT_TRUE(syncedBetween(trace, n.from, -1, n.at))
            << "named without a sync of its bytes: " << n.from.toStdString() << " -> " << n.to.toStdString();
        EXPECT_TRUE(syncedBetween(trace, QFileInfo(n.to).path(), n.at, std::numeric_limits<qsizetype>::max()))
            << "folder not synced after naming " << n.to.toStdString();
        named << QDir(file(QString())).relativeFilePath(n.to);
    }
    // The run named what it must keep: the pictures, their item files and the database.
    EXPECT_EQ(named.filter(QRegularExpression(QStringLiteral("^pictures/[^/]+\\.(jpg|png)$"))).size(), 3)
        << named.join(u'\n').toStdString();
    EXPECT_GE(named.filter(QStringLiteral("orvix_sessions/q2/")).size(), 3) << named.join(u'\n').toStdString();
    EXPECT_GE(named.filter(QStringLiteral("orvix_sessions/q1/")).size(), 3) << named.join(u'\n').toStdString();
    // The list of files is replaced in one step, never deleted first.
    EXPECT_TRUE(named.contains(QStringLiteral("settings/pd_files.db"))) << named.join(u'\n').toStdString();
    EXPECT_EQ(trace.unlinked.filter(QStringLiteral("pd_files.db")), QStringList());
}

} // namespace
