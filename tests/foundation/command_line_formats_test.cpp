#include "foundation/command_line.h"
#include "foundation/formats.h"
#include "foundation/stopwatch.h"
#include "foundation/time_stamps.h"

#include <QLocale>
#include <QThread>
#include <gtest/gtest.h>

using namespace orvix;

TEST(CommandLine, SwitchesAndValues)
{
    SetCommandLineArgs({"/debug", "url:http://x/a:b", "/dest=/tmp/a=b", "plain", "DEBUG", "/url2:a:b"});
    struct Case {
        const char *name;
        int index;
        const char *value;
    };
    const Case cases[] = {
        {"debug", 1, ""},   // found with the leading "/" added on both sides
        {"/debug", 1, ""},
        {"DEBUG", 5, ""},   // case-sensitive: the exact one
        {"Debug", -1, ""},
        {"plain", 4, ""},
        {"", -1, ""},
        {"url", -1, "http://x/a:b"}, // only the first ":" counts as "="
        {"url2", -1, "a:b"},
        {"/dest", -1, "/tmp/a=b"},
        {"des", -1, ""},    // the "=" must follow the name directly
    };
    for (const Case &c : cases) {
        EXPECT_EQ(SwitchIndex(c.name), c.index) << c.name;
        EXPECT_EQ(HasSwitch(c.name), c.index != -1) << c.name;
        EXPECT_EQ(GetSwitchValue(c.name), c.value) << c.name;
    }
    SetCommandLineArgs({});
    EXPECT_FALSE(HasSwitch("debug"));
}

class Formats : public ::testing::Test
{
protected:
    void TearDown() override { QLocale::setDefault(QLocale::c()); }
};

TEST_F(Formats, NumbersInTheUsersFormat)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(FormatCount(1234567), "1,234,567");
    EXPECT_EQ(FormatCount(12), "12");
    EXPECT_EQ(FormatSize(1023), "1,023b");
    EXPECT_EQ(FormatSize(1536), "1.50KB");
    EXPECT_EQ(FormatSize(5 * 1024 * 1024 + 1024 * 1024 / 4), "5.25MB");
    EXPECT_EQ(FormatSize(3LL * 1024 * 1024 * 1024), "3.00GB");
    EXPECT_EQ(FormatKB(1536 * 1024), "1,536KB");
    EXPECT_EQ(FormatKB(1535), "1KB");

    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(FormatCount(1234567), "1,234,567"); // German "." written as ","
    EXPECT_EQ(FormatSize(1536), "1,50KB");
}

TEST_F(Formats, DurationsAndPadding)
{
    const double sec = 1.0 / 86400;
    struct Case {
        double days;
        const char *text;
    };
    const Case cases[] = {
        {0, "0s"},
        {59.6 * sec, "1m"},
        {3661 * sec, "1h 1m 1s"},
        {1 + 5 * sec, "1d 5s"},
        {-90 * sec, "(-)1m 30s"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FormatDuration(c.days), c.text) << c.text;
    EXPECT_EQ(ZeroPad("7", 3), "007");
    EXPECT_EQ(ZeroPad("1234", 3), "1234");
}

TEST(TimeStamps, FormatsAndParsing)
{
    const QDateTime t(QDate(2024, 3, 5), QTime(7, 8, 9, 45));
    EXPECT_EQ(FormatTimeStampMs(t), "2024-03-05 07:08:09.045");
    EXPECT_EQ(FormatTimeStamp(t), "2024-03-05 07:08:09");
    EXPECT_EQ(FormatFileNameStamp(t), "20240305_070809_045");
    EXPECT_EQ(ParseTimeStamp(u"2024-03-05 07:08:09.045"), t);
    EXPECT_EQ(ParseTimeStamp(u"2024-03-05T07:08:09.045"), t);
    EXPECT_EQ(ParseTimeStamp(u"2024-03-05T07:08:09"), t.addMSecs(-45));
    for (const char16_t *bad : {u"", u"2024-13-05 07:08:09", u"05.03.2024 07:08", u"2024-03-05"})
        EXPECT_FALSE(ParseTimeStamp(bad).isValid());
}

TEST(Stopwatch, AccumulatesSinceStart)
{
    StopwatchStart();
    QThread::msleep(20);
    const qint64 first = StopwatchElapsed();
    const qint64 second = StopwatchElapsed();
    EXPECT_GE(first, 20);
    EXPECT_GE(second, first);
    EXPECT_TRUE(StopwatchElapsedText().endsWith(" ms"));
}
