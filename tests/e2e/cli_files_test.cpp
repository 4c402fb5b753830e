// orvix-cli and the files and terminals around it: the pictures folder the user chose used as it
// is, pages it does not recognise, input text shown on the terminal, leftovers resume cannot take,
// the folders a resume saved into, the options common to every command, and what --help says of
// exit codes.

#include "e2e_support.h"

#include "makerservice/maker_service.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

using namespace orvix;
using namespace orvix::test;
using orvix::photosite::ManifestPicture;

namespace {

class CliFiles : public CliSandbox
{
protected:
    QString emptyList() const { return writeLines(QStringLiteral("none.txt"), {}); }
};

// Control characters in a text as it came from the terminal, besides line ends and the tabs
// between columns.
QString rawControls(const QString &text)
{
    QString found;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\n' && u != u'\t') || (u >= 0x7F && u <= 0x9F) || u == 0x202E)
            found += QStringLiteral("U+%1 ").arg(uint(u), 4, 16, QLatin1Char('0'));
    }
    return found;
}

TEST_F(CliFiles, PicturesFolderIsUsedAsItIsWhateverItsName)
{
    startSite(smallSite());
    withOut = false;
    const auto chosen = firstPublicPictures(3);
    const QString home = file(QStringLiteral("h@me (x) & #1"));
    const QString ini = settings() + QStringLiteral("/OrvixDownloader.ini");
    const struct
    {
        const char *name;
        QString folder;      // where the pictures must be
        QStringList options; // how it was chosen
        QByteArray settings; // the settings file, when it names the folder
        QString lookAlike;   // the folder made safe, which must not appear
    } cases[] = {
        {"--out",
         file(QStringLiteral("Photos (2024) & #1 @home")) + u'/',
         {QStringLiteral("--out=") + file(QStringLiteral("Photos (2024) & #1 @home"))},
         {},
         file(QStringLiteral("Photos _2024_ _ _1 _home"))},
        {"the home folder's pictures folder",
         home + QStringLiteral("/Pictures/Orvix Images/"),
         {},
         {},
         file(QStringLiteral("h_me _x_ _ _1"))},
        {"the settings' pictures folder",
         file(QStringLiteral("Photos (2024) & more")) + u'/',
         {},
         QByteArray("[edOutputPath.Text]\r\n>") + QFile::encodeName(file(QStringLiteral("Photos (2024) & more"))),
         file(QStringLiteral("Photos _2024_ _ more"))},
    };
    moreEnvironment.insert(QStringLiteral("HOME"), home);
    moreEnvironment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    int n = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const ManifestPicture *picture = chosen[n++];
        QFile::remove(ini);
        if (!c.settings.isEmpty()) {
            QDir().mkpath(settings());
            QFile f(ini);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(c.settings);
        }
        const CliResult r = runCli(QStringList{QStringLiteral("get")} + c.options + QStringList{picture->pageUrl});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        expectSavedOnce(c.folder, {picture});
        EXPECT_TRUE(r.err.contains(QStringLiteral("1 pictures saved in ") + QDir::cleanPath(c.folder)))
            << r.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(c.lookAlike));

        // The library list rebuilt from the folder finds the picture where it is.
        QFile::remove(settings() + QStringLiteral("/pd_files.db"));
        ASSERT_EQ(runCli(QStringList{QStringLiteral("paste")} + c.options + QStringList{emptyList()}).exitCode, 0);
        const CliResult found = runCli({QStringLiteral("search"), picture->idX});
        EXPECT_EQ(found.exitCode, 0) << found.err.toStdString();
        EXPECT_EQ(found.out, c.folder + savedName(*picture) + u'\n');
    }
}

// A page that is neither a picture page nor a listing the program reads is a failure, whatever
// its address holds (a page number made it pass for the end of a listing), and the message says
// what kind of page it was.
TEST_F(CliFiles, PageThatIsNotRecognisedFailsAndSaysWhatItWas)
{
    startSite(smallSite());
    for (const QString &url : {site().baseUrl() + QStringLiteral("/?page=1"), site().baseUrl() + u'/'}) {
        SCOPED_TRACE(url.toStdString());
        const CliResult r = runCli({QStringLiteral("get"), url});
        EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("No images found in page: ") + url
                                   + QStringLiteral(" (a page the program does not recognise: neither a picture page "
                                                    "nor a listing, titled \"Photo Site\")")))
            << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("failed: ") + url)) << r.err.toStdString();
        ASSERT_EQ(runCli({QStringLiteral("discard")}).exitCode, 0);
    }
}

// Leftover item files may hold anything; what pending, resume and discard show of them reaches
// the terminal with its control characters escaped.
TEST_F(CliFiles, ControlCharactersOfLeftoversReachTheTerminalEscaped)
{
    startSite(smallSite());
    const QString title = QStringLiteral("\x1b]0;owned\x07");
    leaveItemFile("q2", QStringLiteral("orvixsession_1_q2.txt"),
                  itemBytes(site().baseUrl() + QStringLiteral("/photos/nobody/") + title + QStringLiteral("/|id:1|2||")
                            + pictures()));
    leaveItemFile("q2", QStringLiteral("orvixsession_1_q2_00001.txt"),
                  itemBytes(QStringLiteral("https://x/\x1b[2J\r|id:1|2||") + pictures()));
    leaveItemFile("q1", QStringLiteral("orvixsession_1_1.txt"),
                  itemBytes(QString::fromUtf8("gar\x1b[31mbage\xC2\x9B"
                                              "2J\xE2\x80\xAE")));

    for (const char *command : {"pending", "resume", "discard"}) {
        SCOPED_TRACE(command);
        const CliResult r = runCli({QLatin1String(command)});
        EXPECT_NE(r.exitCode, 2) << r.err.toStdString();
        EXPECT_EQ(rawControls(r.out), QString()) << r.out.toStdString();
        EXPECT_EQ(rawControls(r.err), QString()) << r.err.toStdString();
        // Discard names only what it removes without resuming.
        if (QLatin1String(command) != QLatin1String("discard"))
            EXPECT_TRUE((r.out + r.err).contains(QStringLiteral("\\x1b]0;owned\\x07")))
                << (r.out + r.err).toStdString();
        EXPECT_TRUE((r.out + r.err).contains(QStringLiteral("gar\\x1b[31mbage\\x9b2J\\u202e")))
            << (r.out + r.err).toStdString();
    }
    const CliResult pending = runCli({QStringLiteral("pending")});
    EXPECT_TRUE(pending.err.contains(QStringLiteral("0 lines pending"))) << pending.err.toStdString();
}

// Lines with "https://" addresses cannot be resumed; they are listed with the reason, keep the
// run from exit code 0, and discard removes them.
TEST_F(CliFiles, LeftoversResumeCannotTakeAreListedWithTheReasonAndDiscarded)
{
    startSite(smallSite());
    const QString reason
        = QStringLiteral("(cannot be resumed: line without \"http://\" (only such lines are resumed))");
    QStringList lines;
    for (int i = 1; i <= 2; ++i) {
        lines << QStringLiteral("https://%1/photos/a/%2/|id:1|2||").arg(site().host()).arg(i) + pictures();
        leaveItemFile("q2", QStringLiteral("orvixsession_1_q2_0000%1.txt").arg(i), itemBytes(lines.last()));
    }

    const CliResult pending = runCli({QStringLiteral("pending")});
    EXPECT_EQ(pending.exitCode, 0) << pending.err.toStdString();
    EXPECT_EQ(pending.out,
              QStringLiteral("orvixsession_1\tpage\t") + lines[0] + u'\t' + reason
                  + QStringLiteral("\norvixsession_1\tpage\t") + lines[1] + u'\t' + reason + u'\n');

    const CliResult resumed = runCli({QStringLiteral("resume")});
    EXPECT_EQ(resumed.exitCode, 1) << resumed.err.toStdString();
    EXPECT_TRUE(resumed.err.contains(
        QStringLiteral("Incomplete session found: orvixsession_1 (2 lines, 2 of them cannot be resumed)")))
        << resumed.err.toStdString();
    EXPECT_EQ(resumed.err.count(QStringLiteral("line without \"http://\" (only such lines are resumed), in ")), 2)
        << resumed.err.toStdString();
    for (const QString &line : lines)
        EXPECT_TRUE(resumed.err.contains(u'"' + line + u'"')) << line.toStdString();
    EXPECT_EQ(itemFiles().size(), 2);

    const CliResult discarded = runCli({QStringLiteral("discard")});
    EXPECT_EQ(discarded.exitCode, 0) << discarded.err.toStdString();
    EXPECT_TRUE(discarded.err.contains(QStringLiteral("(2 lines, 2 of them cannot be resumed)")))
        << discarded.err.toStdString();
    EXPECT_TRUE(discarded.err.contains(QStringLiteral("Discarded.")));
    EXPECT_EQ(itemFiles(), QStringList());
}

// Resumed lines keep their target folders; the summary names the folders the pictures went to,
// not the pictures folder of this run.
TEST_F(CliFiles, ResumeSummaryNamesTheFoldersThePicturesWentTo)
{
    startSite(smallSite());
    const auto chosen = firstPublicPictures(2);
    const QString elsewhere = file(QStringLiteral("elsewhere"));
    leaveItemFile("q2", QStringLiteral("orvixsession_1_q2.txt"),
                  itemBytes(chosen[0]->pageUrl + QStringLiteral("|id:1|2||") + elsewhere));
    const CliResult one = runCli({QStringLiteral("resume")});
    ASSERT_EQ(one.exitCode, 0) << one.err.toStdString();
    expectSavedOnce(elsewhere + u'/', {chosen[0]});
    EXPECT_TRUE(one.err.contains(QStringLiteral("1 pictures saved in ") + elsewhere + u'\n')) << one.err.toStdString();

    leaveItemFile("q2", QStringLiteral("orvixsession_1_q2.txt"),
                  itemBytes(chosen[1]->pageUrl + QStringLiteral("|id:1|2||") + elsewhere + QStringLiteral("/sub")));
    leaveItemFile("q2", QStringLiteral("orvixsession_1_q2_00001.txt"),
                  itemBytes(firstPublicPictures(3)[2]->pageUrl + QStringLiteral("|id:1|2||") + pictures()));
    const CliResult two = runCli({QStringLiteral("resume")});
    ASSERT_EQ(two.exitCode, 0) << two.err.toStdString();
    const QRegularExpression summary(QStringLiteral("2 pictures saved in (.*)\n"));
    const QRegularExpressionMatch m = summary.match(two.err);
    ASSERT_TRUE(m.hasMatch()) << two.err.toStdString();
    QStringList folders = m.captured(1).split(QStringLiteral(", "));
    folders.sort();
    EXPECT_EQ(
        folders,
        QStringList({elsewhere + QStringLiteral("/sub (1)"), QDir::cleanPath(pictures()) + QStringLiteral(" (1)")}));
}

// A script may give every command the same common options: each takes those it uses and ignores
// the others.
TEST_F(CliFiles, EveryCommandTakesTheCommonOptions)
{
    startSite(smallSite());
    makerservice::MakerService maker;
    maker.start();
    withOut = false;
    const QString unused = file(QStringLiteral("not-made"));
    const QStringList common{QStringLiteral("--maker=") + maker.host(), QStringLiteral("--retries=2"),
                             QStringLiteral("--size=1")};
    const QString page = fixturePath(QStringLiteral("pages/picture.html"));
    const auto chosen = firstPublicPictures(1);
    const struct
    {
        QStringList args;
        bool saves; // uses --out
        int exitCode;
    } cases[] = {
        {{QStringLiteral("get"), chosen[0]->pageUrl}, true, 0},
        {{QStringLiteral("paste"), emptyList()}, true, 0},
        {{QStringLiteral("resume")}, true, 0},
        {{QStringLiteral("discard")}, false, 0},
        {{QStringLiteral("pending")}, false, 0},
        {{QStringLiteral("search"), QStringLiteral("no such picture")}, false, 1},
        {{QStringLiteral("inspect"), page}, false, 0},
        {{QStringLiteral("update-check")}, false, 0},
        {{QStringLiteral("feedback"), QStringLiteral("--name=a"), QStringLiteral("--email=b@c.example"),
          QStringLiteral("--comments=d")},
         false,
         0},
        {{QStringLiteral("test-report")}, false, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        const QString out = QStringLiteral("--out=") + (c.saves ? pictures() : unused);
        const CliResult r = runCli(c.args + common + QStringList{out}, 90000);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err.toStdString();
        EXPECT_FALSE(r.err.contains(QStringLiteral("unknown"))) << r.err.toStdString();
    }
    expectSavedOnce(pictures(), chosen);
    EXPECT_FALSE(QFileInfo::exists(unused));
}

// The exit codes as --help gives them are the README's, word for word.
TEST_F(CliFiles, HelpAndReadmeGiveTheSameExitCodes)
{
    withOut = false;
    withSettings = false;
    const CliResult help = runCli({QStringLiteral("--help")});
    ASSERT_EQ(help.exitCode, 0);
    const qsizetype at = help.out.indexOf(QStringLiteral("exit codes:"));
    ASSERT_GE(at, 0) << help.out.toStdString();
    QFile readme(fixturePath(QStringLiteral("../../README.md")));
    ASSERT_TRUE(readme.open(QIODevice::ReadOnly));
    const auto words = [](const QString &text) { return text.simplified(); };
    EXPECT_TRUE(words(QString::fromUtf8(readme.readAll())).contains(words(help.out.mid(at))))
        << help.out.mid(at).toStdString();
}

} // namespace
