#include "foundation_fixture.h"

#include "foundation/run_control.h"
#include "foundation/alerts.h"
#include "foundation/errors.h"
#include "foundation/log.h"
#include "foundation/message_quote.h"
#include "foundation/posix_file.h"
#include "foundation/thread_string_list.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <cstdio>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

using namespace orvix;

namespace {

const QRegularExpression kStampedLine(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d: (.*)$)");

QString utf16le(const QByteArray &bytes)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t *>(bytes.constData()), bytes.size() / 2);
}

class FakeListBox : public ILogListBox
{
public:
    void insertTop(const QString &line) override { lines.prepend(line); }
    int count() const override { return int(lines.size()); }
    void clear() override { lines.clear(); }
    void repaintNow() override { ++repaints; }
    QStringList lines;
    int repaints = 0;
};

} // namespace

class Logging : public orvix::test::SandboxTest
{
protected:
    void TearDown() override
    {
        pendingLogMessages().Clear();
        SetProgramLog(nullptr);
        SandboxTest::TearDown();
    }
};

TEST_F(Logging, ProgramLogIsUtf16WithMarkAndStampedLines)
{
    TLog log;
    EXPECT_EQ(log.logFileName, path("OrvixDownloader.log"));
    log.Write("first");
    log.Write("Été");
    const QByteArray bytes = readBytes(log.logFileName);
    ASSERT_TRUE(bytes.startsWith("\xFF\xFE"));
    const QStringList lines = utf16le(bytes.mid(2)).split("\r\n");
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(kStampedLine.match(lines[0]).captured(1), "first");
    EXPECT_EQ(kStampedLine.match(lines[1]).captured(1), "Été");
}

TEST_F(Logging, MirrorsReceiveEveryLine)
{
    QStringList text;
    TThreadStringList shared;
    TLog toText(&text), toShared(&shared);
    toText.Write("a");
    toText.Write("b");
    toShared.Write("c");
    ASSERT_EQ(text.size(), 2);
    EXPECT_TRUE(text[0].endsWith(": b")); // newest first
    ASSERT_EQ(shared.Count(), 1);
    EXPECT_TRUE(shared.Strings(0).endsWith(": c"));
}

TEST_F(Logging, ListBoxEmptiesPastAThousandLines)
{
    FakeListBox box;
    TLog log(&box);
    log.logToFile = false;
    for (int i = 1; i <= 1000; ++i)
        log.Write(QString::number(i));
    EXPECT_EQ(box.count(), 1000);
    log.Write("1001");
    EXPECT_EQ(box.count(), 0);
    log.Write("later");
    ASSERT_EQ(box.count(), 1);
    EXPECT_TRUE(box.lines[0].endsWith(": later"));
    EXPECT_EQ(box.repaints, 1002);
}

TEST_F(Logging, UnopenableLogLosesTheLineEverywhere)
{
    writeBytes(path("file"), "x");
    QStringList text;
    TLog log(&text);
    log.logFileName = path("file/OrvixDownloader.log");
    log.Write("lost");
    EXPECT_TRUE(text.isEmpty());
}

TEST_F(Logging, DrainPassesMessagesInOrderAndKeepsTheOneThatFailed)
{
    LogMessage("one");
    LogMessage("two");
    LogMessage("three");
    QStringList seen;
    EXPECT_THROW(DrainLogMessages([&](const QString &m) {
                     if (m == "two")
                         throw std::runtime_error("window busy");
                     seen << m;
                 }),
                 std::runtime_error);
    EXPECT_EQ(seen, QStringList{"one"});
    EXPECT_EQ(pendingLogMessages().Count(), 2);
    EXPECT_EQ(DrainLogMessages([&](const QString &m) { seen << m; }), 2);
    EXPECT_EQ(seen, QStringList({"one", "two", "three"}));
    EXPECT_EQ(pendingLogMessages().Count(), 0);
}

TEST_F(Logging, DebugMsgWritesOnlyInDebugMode)
{
    QStringList text;
    TLog log(&text);
    log.logToFile = false;
    SetProgramLog(&log);
    RunControl run(path(QString()));
    DebugMsg(run, "hidden");
    run.debugMode = true;
    DebugMsg(run, "shown");
    ASSERT_EQ(text.size(), 1);
    EXPECT_TRUE(text[0].endsWith(": shown"));
}

TEST_F(Logging, NamedLogFileIsUtf8WithMarkInTheSettingsFolder)
{
    LogToFile("orvix.log", "URL failed (M): http://x/é");
    LogToFile("orvix.log", "second");
    const QByteArray bytes = readBytes(path("orvix.log"));
    ASSERT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    const QStringList lines = QString::fromUtf8(bytes.mid(3)).split("\r\n");
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(kStampedLine.match(lines[0]).captured(1), "URL failed (M): http://x/é");
    EXPECT_EQ(kStampedLine.match(lines[1]).captured(1), "second");

    LogToFile(path("elsewhere/q.log"), "full path kept");
    EXPECT_TRUE(readBytes(path("elsewhere/q.log")).endsWith(": full path kept\r\n"));
}

TEST_F(Logging, NamedLogFileThatStaysUnwritableRaisesAfterRetries)
{
    writeBytes(path("plainfile"), "x");
    QDir().mkdir(path("adir"));
    writeBytes(path("locked.log"), "\xEF\xBB\xBF");
    PosixFile holder; // another writer holding the file
    ASSERT_TRUE(holder.open(path("locked.log"), O_RDWR));
    ASSERT_TRUE(holder.lock(true, 0));

    for (const QString &target : {path("plainfile/q.log"), path("adir"), path("locked.log")}) {
        try {
            LogToFile(target, "text");
            ADD_FAILURE() << "no error for " << target.toStdString();
        } catch (const EFileError &e) {
            EXPECT_EQ(e.message(), "AppendToFileLn_5x failed: " + target);
        }
    }
    EXPECT_EQ(readBytes(path("locked.log")), QByteArray("\xEF\xBB\xBF"));
}

TEST_F(Logging, AlertsGoToThePendingFileWhileAFullScreenProgramIsInFront)
{
    struct Alerts : IAlerts {
        bool fullScreen = true;
        QStringList popups;
        bool fullScreenInFront() override { return fullScreen; }
        void showPopup(const QString &text, int ms) override { popups << text + "/" + QString::number(ms); }
    } alerts;
    IAlerts *previous = SetAlerts(&alerts);
    ShowAlert("during film");
    alerts.fullScreen = false;
    ShowAlert("after");
    SetAlerts(previous);
    EXPECT_EQ(alerts.popups, QStringList{"after/3000"});
    const QString pending = QString::fromUtf8(readBytes(path("pending_alerts.log")).mid(3));
    EXPECT_TRUE(kStampedLine.match(pending.trimmed()).captured(1) == "during film") << pending.toStdString();
}

TEST(AlertSlotsTest, LowestFreeSlotAndTheEleventhSharesTheFirst)
{
    AlertSlots slots;
    for (int i = 1; i <= 10; ++i)
        EXPECT_EQ(slots.take(), i);
    EXPECT_EQ(slots.take(), 1);
    slots.release(4);
    EXPECT_EQ(slots.take(), 4);
    EXPECT_EQ(AlertSlots::topFor(1, 1000), 940);
}

// Text for a terminal shows control characters escaped: a box without a window often quotes
// input, and a terminal obeys what it is sent.
TEST(TerminalText, ControlCharactersAreShownEscaped)
{
    struct Case {
        QString in, out, keepingLines;
    };
    const Case cases[] = {
        {QStringLiteral("\x1b]0;title\x07"), QStringLiteral("\\x1b]0;title\\x07"), QStringLiteral("\\x1b]0;title\\x07")},
        {QStringLiteral("a\tb\r\nc\nd\re"), QStringLiteral("a\\tb\\r\\nc\\nd\\re"), QStringLiteral("a\\tb\nc\nd\\re")},
        {QString::fromUtf8("\xC2\x9B" "2J \x7F \xE2\x80\xAE" "evil"), QStringLiteral("\\x9b2J \\x7f \\u202eevil"),
         QStringLiteral("\\x9b2J \\x7f \\u202eevil")},
        {QString::fromUtf8("Été 😀 \\x1b"), QString::fromUtf8("Été 😀 \\x1b"), QString::fromUtf8("Été 😀 \\x1b")},
        {QString(QChar(0xD800)) + u'x', QStringLiteral("\\ud800x"), QStringLiteral("\\ud800x")},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(TerminalText(c.in), c.out) << c.out.toStdString();
        EXPECT_EQ(TerminalText(c.in, true), c.keepingLines) << c.out.toStdString();
    }
}

TEST_F(Logging, TextWithoutAWindowReachesTheTerminalEscaped)
{
    const QString captured = path(QStringLiteral("stderr.txt"));
    std::fflush(stderr);
    const int saved = ::dup(STDERR_FILENO);
    const int fd = ::open(QFile::encodeName(captured).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    ::dup2(fd, STDERR_FILENO);
    ::close(fd);
    TellWithoutWindow(QStringLiteral("Could not create folder: /p/\x1b[2J\r\nsecond line"));
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    QFile f(captured);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("Could not create folder: /p/\\x1b[2J\nsecond line\n"));
}
