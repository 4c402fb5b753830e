#include "foundation_fixture.h"

#include "foundation/errors.h"
#include "foundation/text_list.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <thread>

using namespace orvix;

TEST(CompareTextNoCase, IgnoresCaseOnly)
{
    EXPECT_EQ(CompareTextNoCase(u"abc", u"ABC"), 0);
    EXPECT_EQ(CompareTextNoCase(u"Été", u"été"), 0);
    EXPECT_EQ(CompareTextNoCase(u"a", u"B"), -1);
    EXPECT_EQ(CompareTextNoCase(u"B", u"a"), 1);
    EXPECT_EQ(CompareTextNoCase(u"ab", u"abc"), -1);
    EXPECT_NE(CompareTextNoCase(u"e", u"é"), 0); // accents still count
}

TEST(CompareTextNoCase, SameAnswersOnSeveralThreads)
{
    auto work = [](int &mismatches) {
        for (int i = 0; i < 2000; ++i)
            if (CompareTextNoCase(QString::number(i) + "x", QString::number(i) + "X") != 0)
                ++mismatches;
    };
    int m1 = 0, m2 = 0;
    std::thread t1(work, std::ref(m1)), t2(work, std::ref(m2));
    t1.join();
    t2.join();
    EXPECT_EQ(m1 + m2, 0);
}

TEST(SortedList, SortThenInsertAndFindStayConsistent)
{
    // The large list takes the path that builds the collation keys on several threads.
    for (const int size : {500, 30000}) {
        QStringList list;
        auto *rng = QRandomGenerator::global();
        for (int i = 0; i < size; ++i) {
            QString s;
            for (int k = 0, n = rng->bounded(1, 6); k < n; ++k)
                s += QChar(u"aAbBcC_|1é"[rng->bounded(10)]);
            list.append(s);
        }
        const QStringList before = list; // shared while it is sorted
        SortListNoCase(list);
        for (int i = 1; i < list.size(); ++i)
            ASSERT_LE(CompareTextNoCase(list[i - 1], list[i]), 0) << i;
        QStringList a = before, b = list;
        a.sort();
        b.sort();
        ASSERT_EQ(a, b) << "the sort must keep every item";
        if (size > 500)
            continue;
        for (const QString &probe : {QString("b"), QString("B|"), QString("zz"), QString()}) {
            QStringList copy = list;
            SortedInsert(copy, probe);
            for (int i = 1; i < copy.size(); ++i)
                ASSERT_LE(CompareTextNoCase(copy[i - 1], copy[i]), 0) << probe.toStdString();
        }
    }
    QStringList empty;
    SortListNoCase(empty);
    EXPECT_TRUE(empty.isEmpty());
}

TEST(SortedList, InsertPositionsAndPrefixSearch)
{
    QStringList list{"a", "b", "c"};
    SortedInsert(list, "B");
    EXPECT_EQ(list, QStringList({"a", "b", "B", "c"})); // after equal items
    QStringList none;
    EXPECT_EQ(SortedInsertPos(none, u"x"), 0);
    SortedInsert(none, "x");
    EXPECT_EQ(none, QStringList{"x"});

    const QStringList db{"12_ab|x", "13_cd|y", "14_ef"};
    struct Case {
        const char *key;
        int index;
    };
    const Case cases[] = {
        {"12_ab", 0},
        {"13_cd|", 1},
        {"14_ef", -1}, // equal to an item: the position is after it, and nothing follows
        {"12_AB", -1}, // prefix test is case-sensitive
        {"99", -1},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(FindSortedPrefix(db, QString::fromUtf8(c.key)), c.index) << c.key;
        EXPECT_EQ(GetSortedPrefixLine(db, QString::fromUtf8(c.key)), c.index < 0 ? QString() : db[c.index]);
    }
}

class ListFiles : public orvix::test::SandboxTest {};

TEST_F(ListFiles, SaveWritesMarkAndLinesDroppingTrailingBlanks)
{
    struct Case {
        QStringList list;
        QByteArray body;
    };
    const Case cases[] = {
        {{"a", ""}, "a\r\n"},
        {{"a", "", "", ""}, "a\r\n\r\n"}, // at most two dropped
        {{"", "b"}, "\r\nb\r\n"},
        {{}, ""},
        {{"Été"}, "Été\r\n"},
    };
    for (const Case &c : cases) {
        const QStringList before = c.list;
        SaveListUtf8(c.list, path("l.txt"));
        EXPECT_EQ(readBytes(path("l.txt")), QByteArray("\xEF\xBB\xBF") + c.body);
        EXPECT_EQ(c.list, before);
    }
}

TEST_F(ListFiles, LoadHonoursMarksAndClearsForMissingFile)
{
    struct Case {
        QByteArray bytes;
        QStringList lines;
    };
    const Case cases[] = {
        {"\xEF\xBB\xBF" "a\r\nb\r\n", {"a", "b"}},
        {QByteArray("\xFF\xFE" "a\0\r\0\n\0\xE9\0", 10), {"a", "é"}},
        {"plain\nlast", {"plain", "last"}},
        {"caf\xE9\r\n", {"café"}}, // not UTF-8: one byte per character
        {"a\r\n\r\n", {"a", ""}},
    };
    for (const Case &c : cases) {
        writeBytes(path("in.txt"), c.bytes);
        QStringList list{"old"};
        EXPECT_TRUE(LoadListRetry(list, path("in.txt")));
        EXPECT_EQ(list, c.lines);
    }
    QStringList list{"old"};
    EXPECT_TRUE(LoadListRetry(list, path("missing.txt")));
    EXPECT_TRUE(list.isEmpty());
}

TEST_F(ListFiles, SaveRetryGivesUpWithTheError)
{
    writeBytes(path("blocker"), "x");
    EXPECT_THROW(SaveListUtf8Retry({"a"}, path("blocker/l.txt")), EFileError);

    QDir().mkdir(path("keep.txt")); // a folder where the file should be
    EXPECT_THROW(SaveListUtf8Retry({"two"}, path("keep.txt")), EFileError);
}
