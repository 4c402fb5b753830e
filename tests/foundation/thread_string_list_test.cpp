#include "foundation_fixture.h"

#include "foundation/errors.h"
#include "foundation/thread_string_list.h"

#include <QBuffer>
#include <QThread>
#include <atomic>
#include <thread>
#include <vector>

using namespace orvix;

TEST(ThreadStringList, DeleteFirstExactRemovesOnlyTheFirstExactLine)
{
    struct Case {
        QStringList before;
        QString line;
        QStringList after;
    };
    const Case cases[] = {
        {{"a", "b", "b"}, "b", {"a", "b"}},
        {{"a", "B"}, "b", {"a", "B"}},  // case-sensitive
        {{"ab"}, "a", {"ab"}},          // whole line only
        {{}, "a", {}},
    };
    for (const Case &c : cases) {
        TThreadStringList list;
        list.AddStrings(c.before);
        list.DeleteFirstExact(c.line);
        EXPECT_EQ(list.LockList(), c.after) << c.line.toStdString();
        list.UnlockList();
    }
}

// The owner shuts down while a worker holds the lock: once destruction has begun the worker
// sees an empty list and its changes are ignored, instead of touching freed memory.
TEST(ThreadStringList, DestructionStartedMeansEmptyAndInert)
{
    auto *list = new TThreadStringList;
    list->AddStrings({"a", "b"});
    list->LockList();
    std::thread owner([list] { delete list; }); // blocks on the lock after setting the flag
    while (!list->isDestroying())
        QThread::yieldCurrentThread();
    EXPECT_EQ(list->Count(), 0);
    list->Delete(0);
    list->Clear();
    list->Insert(0, "x");
    list->AddStrings({"y"});
    list->DeleteFirstExact("a");
    EXPECT_EQ(list->LockList().size(), 2); // nothing changed underneath
    list->UnlockList();
    list->UnlockList();
    owner.join();
}

TEST(ThreadStringList, LockedSequencesAreAtomicAcrossThreads)
{
    TThreadStringList list;
    constexpr int kPerThread = 2000;
    std::atomic<int> taken{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 2; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < kPerThread; ++i)
                list.Add(QStringLiteral("x"));
        });
    for (int t = 0; t < 2; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < kPerThread; ++i) {
                TThreadStringList::Locker lock(list);
                if (list.Count() > 0) { // re-entrant: the list's own operations lock again
                    list.Delete(0);
                    ++taken;
                }
            }
        });
    for (auto &t : threads)
        t.join();
    EXPECT_EQ(taken + list.Count(), 2 * kPerThread);
}

TEST(ThreadStringList, NamesValuesAndIndexes)
{
    TThreadStringList list;
    list.SetText("Path=/x\r\nsize=10\nplain\n");
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Names(0), "Path");
    EXPECT_EQ(list.Names(2), "");
    EXPECT_EQ(list.Values("path"), "/x");
    EXPECT_EQ(list.IndexOfName("SIZE"), 1);
    EXPECT_EQ(list.IndexOf("PLAIN"), 2);
    list.SetValues("size", "");
    list.SetValues("new", "1");
    EXPECT_EQ(list.Text(), "Path=/x\r\nplain\r\nnew=1\r\n");
    EXPECT_THROW(list.Strings(5), EListError);
    EXPECT_THROW(list.Delete(-1), EListError);
}

TEST(ThreadStringList, SortAndFindAgree)
{
    TThreadStringList list;
    list.AddStrings({"pear", "Apple", "banana", "apple"});
    list.Sort();
    int index = -1;
    EXPECT_TRUE(list.Find("APPLE", index));
    EXPECT_EQ(index, 0);
    EXPECT_FALSE(list.Find("cherry", index));
    EXPECT_EQ(index, 3);
}

TEST(ThreadStringList, DelimitedTextRoundTripsAndParses)
{
    const QStringList items{"a", "b c", "q\"uote", "", "x,y"};
    const QString text = ListToDelimitedText(items, u',');
    EXPECT_EQ(text, "a,\"b c\",\"q\"\"uote\",,\"x,y\"");
    EXPECT_EQ(DelimitedTextToList(text, u','), items);

    struct Case {
        const char *text;
        QStringList items;
    };
    const Case cases[] = {
        {"", {}},
        {"\"\"", {""}},
        {"a b", {"a", "b"}},       // blanks separate unquoted items
        {"a,", {"a", ""}},         // a final delimiter adds an empty item
        {" a , b ", {"a", "b"}},
        {"\"a\"\"b\",c", {"a\"b", "c"}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(DelimitedTextToList(QString::fromUtf8(c.text), u','), c.items) << c.text;

    // A NUL outside quotes ends the text (it used to stall the parser for ever); inside quotes
    // it is part of the item.
    const char16_t withNul[] = u"a,b\0c,d";
    EXPECT_EQ(DelimitedTextToList(QStringView(withNul, 7), u','), (QStringList{"a", "b"}));
    const char16_t quotedNul[] = u"\"x\0y\",z";
    EXPECT_EQ(DelimitedTextToList(QStringView(quotedNul, 7), u','),
              (QStringList{QStringView(u"x\0y", 3).toString(), "z"}));

    TThreadStringList list;
    list.SetDelimiter(u';');
    list.SetDelimitedText("x;\"y z\"");
    EXPECT_EQ(list.CommaText(), "x,\"y z\"");
}

class ThreadStringListFiles : public orvix::test::SandboxTest {};

TEST_F(ThreadStringListFiles, FilesAndStreamsKeepLines)
{
    TThreadStringList list;
    list.AddStrings({"Été", "b"});
    list.SaveToFile(path("sub/l.txt"));
    EXPECT_EQ(readBytes(path("sub/l.txt")), QByteArray("\xEF\xBB\xBF") + "Été\r\nb\r\n");

    TThreadStringList back;
    back.LoadFromFile(path("sub/l.txt"));
    EXPECT_EQ(back.Text(), list.Text());
    EXPECT_THROW(back.LoadFromFile(path("missing.txt")), EFileError);
    EXPECT_EQ(back.Count(), 2); // a failed load leaves the list alone

    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    list.SaveToStream(buffer);
    buffer.seek(0);
    TThreadStringList fromStream;
    fromStream.LoadFromStream(buffer);
    EXPECT_EQ(fromStream.Strings(0), "Été");
}
