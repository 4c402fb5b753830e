// orvix-cli search after a real download: it prints the saved pictures whose names hold the
// word, in the order they were saved, and says by its exit code whether it found any.

#include "e2e_support.h"

#include "library/library_search.h"

#include <QDir>
#include <QFile>

using namespace orvix;
using namespace orvix::test;

namespace {

class CliSearch : public CliSandbox
{
};

// The paths "pd_files.db" lists, in its order.
QStringList listedFiles(const QString &settingsFolder)
{
    QFile f(settingsFolder + QStringLiteral("/pd_files.db"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QString text = QString::fromUtf8(f.readAll());
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
}

TEST_F(CliSearch, PrintsExactlyTheSavedFilesWhoseNamesHoldTheWord)
{
    startSite(smallSite());
    const CliResult got = runCli({QStringLiteral("get"), QStringLiteral("--pages=1-2"), site().manifest().sampleSetUrl});
    ASSERT_EQ(got.exitCode, 0) << got.err.toStdString();

    QStringList saved;
    for (const QString &name : filesBelow(pictures()))
        saved << pictures() + name;
    QStringList withWord;
    for (const QString &path : listedFiles(settings()))
        if (QFileInfo(path).fileName().contains(QStringLiteral("lake"), Qt::CaseInsensitive))
            withWord << path;
    ASSERT_GE(withWord.size(), 2) << saved.join(u'\n').toStdString();
    ASSERT_LT(withWord.size(), saved.size()); // the word picks some of them, not all
    for (const QString &path : withWord)
        EXPECT_TRUE(saved.contains(path)) << path.toStdString();

    // Only what search takes: the settings folder, given by hand.
    withSettings = false;
    withOut = false;
    const CliResult found = runCli({QStringLiteral("search"), QStringLiteral("LAKE"),
                                    QStringLiteral("--settings=") + settings()});
    EXPECT_EQ(found.exitCode, 0) << found.err.toStdString();
    EXPECT_EQ(found.out.split(u'\n', Qt::SkipEmptyParts), withWord);

    const CliResult none = runCli({QStringLiteral("search"), QStringLiteral("no such word"),
                                   QStringLiteral("--settings=") + settings()});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_EQ(none.out, QString());

    for (const QStringList &bad : {QStringList{QStringLiteral("search")},
                                   QStringList{QStringLiteral("search"), QStringLiteral("a"), QStringLiteral("b")},
                                   QStringList{QStringLiteral("search"), QStringLiteral("  ")},
                                   QStringList{QStringLiteral("search"), QStringLiteral("a"), QStringLiteral("--bogus")}})
        EXPECT_EQ(runCli(bad).exitCode, 2) << bad.join(u' ').toStdString();
}

TEST_F(CliSearch, ShowsAtMost101UnlessAll)
{
    withSettings = false;
    withOut = false;
    QDir().mkpath(settings());
    QStringList lines;
    for (int i = 0; i < 140; ++i) {
        const QString path = file(QStringLiteral("pics/%1_x Tree %1_o.jpg").arg(i));
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        lines << path;
    }
    QFile db(settings() + QStringLiteral("/pd_files.db"));
    ASSERT_TRUE(db.open(QIODevice::WriteOnly));
    db.write("\xEF\xBB\xBF" + lines.join(QStringLiteral("\r\n")).toUtf8() + "\r\n");
    db.close();

    const QString settingsOption = QStringLiteral("--settings=") + settings();
    const CliResult shown = runCli({QStringLiteral("search"), QStringLiteral("tree"), settingsOption});
    EXPECT_EQ(shown.exitCode, 0) << shown.err.toStdString();
    EXPECT_EQ(shown.out.split(u'\n', Qt::SkipEmptyParts), lines.mid(0, kLibrarySearchShown));
    const CliResult all = runCli({QStringLiteral("search"), QStringLiteral("tree"), QStringLiteral("--all"), settingsOption});
    EXPECT_EQ(all.out.split(u'\n', Qt::SkipEmptyParts), lines);
}

} // namespace
