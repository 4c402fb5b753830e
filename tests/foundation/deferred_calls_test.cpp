#include "test_support.h"

#include "foundation/integer_list.h"
#include "foundation/late_execute.h"
#include "foundation/log.h"
#include "foundation/thread_string_list.h"
#include "foundation/thread_x.h"
#include "foundation/errors.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>

using namespace orvix;

namespace {
void flushDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
} // namespace

TEST(LateExecute, CallsOnceLaterOnTheMainThreadAndIsGone)
{
    int calls = 0;
    QThread *calledOn = nullptr;
    QElapsedTimer clock;
    clock.start();
    qint64 firedAfter = -1;
    QPointer<TLateExecute> late = TLateExecute::Create(
        [&] {
            ++calls;
            calledOn = QThread::currentThread();
            firedAfter = clock.elapsed();
        },
        100);
    ASSERT_TRUE(orvix::test::waitUntil([&] { flushDeferredDeletes(); return late.isNull(); }, 5000));
    EXPECT_EQ(calls, 1);
    EXPECT_GE(firedAfter, 90);
    EXPECT_EQ(calledOn, QCoreApplication::instance()->thread());
    orvix::test::waitUntil([] { return false; }, 150);
    EXPECT_EQ(calls, 1);
}

TEST(LateExecute, CreatedOnAWorkerStillRunsOnTheMainThread)
{
    std::atomic<QThread *> calledOn{nullptr};
    QObject *sender = reinterpret_cast<QObject *>(1);
    std::thread worker([&] {
        TLateExecute::Create(
            [&](QObject *s) {
                sender = s;
                calledOn = QThread::currentThread();
            },
            10);
    });
    worker.join();
    ASSERT_TRUE(orvix::test::waitUntil([&] { return calledOn.load() != nullptr; }, 5000));
    EXPECT_EQ(calledOn.load(), QCoreApplication::instance()->thread());
    EXPECT_EQ(sender, nullptr);
}

TEST(ThreadX, RunsElsewhereAndReportsEscapedErrors)
{
    std::atomic<QThread *> ranOn{nullptr};
    TThreadX::StartNew([&] { ranOn = QThread::currentThread(); });
    TThreadX::StartNew([] { throw EOrvix("background failed"); });
    ASSERT_TRUE(orvix::test::waitUntil(
        [&] { return ranOn.load() != nullptr && pendingLogMessages().Count() > 0; }, 5000));
    EXPECT_NE(ranOn.load(), QThread::currentThread());
    EXPECT_EQ(pendingLogMessages().Strings(0), "background failed");
    pendingLogMessages().Clear();
}

TEST(IntegerList, ReportsEveryChange)
{
    TIntegerListX list;
    QStringList events;
    list.FOnChange = [&](TIntegerListX *, qint32 item, ListNotification action) {
        const char *names[] = {"added", "extracted", "deleted"};
        events << QString("%1 %2").arg(names[int(action)]).arg(item);
    };
    list.Add(5);
    list.Insert(0, 7);
    list.SetItems(1, 6);
    EXPECT_EQ(list.Extract(7), 7);
    EXPECT_EQ(list.Extract(99), 0);
    list.Add(8);
    EXPECT_EQ(list.Remove(6), 0);
    list.Clear();
    EXPECT_EQ(events, QStringList({"added 5", "added 7", "deleted 5", "added 6", "extracted 7", "added 8",
                                   "deleted 6", "deleted 8"}));
    EXPECT_THROW(list.First(), EListError);
}

TEST(IntegerList, SortsAndPersists)
{
    TIntegerListX list;
    for (qint32 v : {300, -5, 70000, 0, -200, 127, -2147483647 - 1})
        list.Add(v);
    list.Sort([](qint32 a, qint32 b) { return a < b ? -1 : a > b; });
    EXPECT_EQ(list.First(), -2147483647 - 1);
    EXPECT_EQ(list.Last(), 70000);

    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    list.WriteData(buffer);
    buffer.seek(0);
    TIntegerListX back;
    back.Add(42); // cleared by ReadData
    bool loadingSeen = false;
    back.FOnChange = [&](TIntegerListX *sender, qint32, ListNotification a) {
        if (a == ListNotification::Added)
            loadingSeen = sender->Loading();
    };
    back.ReadData(buffer);
    EXPECT_TRUE(loadingSeen);
    EXPECT_FALSE(back.Loading());
    ASSERT_EQ(back.Count(), list.Count());
    for (int i = 0; i < list.Count(); ++i)
        EXPECT_EQ(back.Items(i), list.Items(i));

    for (const QByteArray &bad : {QByteArray("\x02"), QByteArray("\x01\x04\x01"), QByteArray("\x01\x09\x00", 3),
                                  QByteArray("\x01\x02\x05")}) {
        QBuffer in;
        in.setData(bad);
        in.open(QIODevice::ReadOnly);
        EXPECT_THROW(back.ReadData(in), EOrvix);
        EXPECT_FALSE(back.Loading());
    }
}
