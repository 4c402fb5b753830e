#include "queue_fixture.h"

#include "foundation/named_mutex.h"
#include "queue/download_session.h"
#include "queue/incomplete_session.h"
#include "queue/queue_line.h"
#include "queue/queue_state.h"

#include <memory>

using namespace orvix;
using namespace orvix::test;

namespace {

QString mediaLine(int n)
{
    return QStringLiteral("http://img/%1.jpg|%1_s title %1||http://h/photos/u/%1/|/pics/").arg(n);
}
QString pageLine(int n)
{
    return QStringLiteral("http://h/photos/u/%1/|id:1|2|tags|/pics/").arg(n);
}

class SessionTest : public QueueSandbox
{
protected:
    // What a copy of the program had queued when it ended: its item files under name.
    void leaveBehind(const QString &name, const QStringList &media, const QStringList &pages)
    {
        writeBytes(sessions() + name + ".session", {});
        QueueItemFiles earlier({name, q1(), q2()});
        for (const QString &line : media)
            earlier.WriteItemFile(QueueKind::Media, kMediaItemSuffix, line);
        for (const QString &line : pages)
            earlier.WriteItemFile(QueueKind::Page, kPageItemSuffix, line);
    }
    void start(const QString &sessionsFolder = SessionsFolder())
    {
        ASSERT_TRUE(session.Start(sessionsFolder));
        queues = std::make_unique<QueueState>(runControl(), session.folders(), view, pictures);
    }
    std::unique_ptr<FoundSession> find()
    {
        return FindIncompleteSession(session.sessionsFolder(), queues->itemFiles());
    }

    DownloadSession session;
    RecordingView view;
    FakePictures pictures;
    std::unique_ptr<QueueState> queues;
};

} // namespace

TEST_F(SessionTest, FirstStartTakesSlotOneAndFindsNothing)
{
    start();
    EXPECT_EQ(session.SessionName, "orvixsession_1");
    EXPECT_EQ(session.SessionFile, sessions() + "orvixsession_1.session");
    EXPECT_TRUE(QFileInfo::exists(session.SessionFile));
    EXPECT_TRUE(QFileInfo(session.MediaQueueFolder).isDir());
    EXPECT_EQ(session.PageQueueFolder, sessions() + "q2/");
    EXPECT_TRUE(MutexExists(SessionSlotMutexName(sessions(), "orvixsession_1")));
    EXPECT_EQ(find(), nullptr);
    EXPECT_TRUE(dialogs.shown().isEmpty());
}

TEST_F(SessionTest, WithAllTenSlotsHeldNoSessionStarts)
{
    std::vector<std::unique_ptr<DownloadSession>> running;
    for (int i = 1; i <= kSessionSlots; ++i) {
        running.push_back(std::make_unique<DownloadSession>());
        ASSERT_TRUE(running.back()->Start());
        EXPECT_EQ(running.back()->SessionName, SessionSlotName(i));
    }
    EXPECT_FALSE(session.Start());
    EXPECT_EQ(dialogs.shown(), QStringList({"error: Could not initialize session"}));

    running[3].reset(); // slot 4 ends
    EXPECT_TRUE(session.Start());
    EXPECT_EQ(session.SessionName, "orvixsession_4");
}

// The last copy in this slot crashed; this copy has queued a line of its own meanwhile.
TEST_F(SessionTest, OwnSlotLeftoversAreResumedInOrderWithoutTheLiveLines)
{
    // Never processed: named as such and kept, outside the entries.
    writeBytes(q2() + "orvixsession_1_x.txt", itemBytes("https://h/photos/u/5/|id:1|2||/p/"));
    writeBytes(q2() + "orvixsession_1_y.txt", itemBytes("garbage"));
    leaveBehind(QStringLiteral("orvixsession_1"), {mediaLine(1), mediaLine(2), mediaLine(3)}, {pageLine(4)});
    start(settings() + "./orvix_sessions//"); // however the folder is written, live lines are known
    queues->QueuePage(QStringLiteral("live"), pageLine(9));

    auto found = find();
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->name(), "orvixsession_1");
    EXPECT_EQ(found->entries(), QStringList({mediaLine(1), mediaLine(2), mediaLine(3), pageLine(4)}));
    const QStringList problems{
        "line without \"http://\" (only such lines are resumed), in " + q2()
            + "orvixsession_1_x.txt: \"https://h/photos/u/5/|id:1|2||/p/\"",
        "line that can never be processed, in " + q2() + "orvixsession_1_y.txt: \"garbage\""};
    EXPECT_EQ(found->problems(), problems);
    // Every leftover is shown before the user decides, those resume cannot take with the reason.
    QStringList shown;
    for (const LeftoverLine &l : found->leftovers())
        shown << l.text + (l.resumable() ? QString() : " / " + l.reason);
    EXPECT_EQ(shown, QStringList({mediaLine(1), mediaLine(2), mediaLine(3),
                                  "https://h/photos/u/5/|id:1|2||/p/ / line without \"http://\" (only such lines "
                                  "are resumed)",
                                  "garbage / line that can never be processed", pageLine(4)}));
    found->Resume(*queues);
    EXPECT_EQ(lines(queues->MediaQueue), QStringList({mediaLine(1), mediaLine(2), mediaLine(3)}));
    EXPECT_EQ(lines(queues->PageQueue), QStringList({pageLine(9), pageLine(4)}));
    EXPECT_EQ(view.rows.mid(1), QStringList({"http://img/1.jpg => " + mediaLine(1), "http://img/2.jpg => " + mediaLine(2),
                                             "http://img/3.jpg => " + mediaLine(3),
                                             "Q2: http://h/photos/u/4/ => " + pageLine(4)}));
    EXPECT_EQ(namesIn(q1()), QStringList({"orvixsession_1_q1.txt", "orvixsession_1_q1_00001.txt",
                                          "orvixsession_1_q1_00002.txt"}));
    EXPECT_EQ(readBytes(q1() + "orvixsession_1_q1_00002.txt"), itemBytes(mediaLine(3)));
    EXPECT_EQ(namesIn(q2()).size(), 4); // the live line, the resumed one and the two kept files
    EXPECT_TRUE(dialogs.shown().isEmpty());

    // The kept files make the session incomplete again; discard ends that.
    found = find();
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->entries(), QStringList());
    EXPECT_EQ(found->problems(), problems);
    found->Discard(queues->itemFiles());
    EXPECT_EQ(find(), nullptr);
    EXPECT_EQ(namesIn(q2()).size(), 2);
}

TEST_F(SessionTest, AnotherSlotsLeftoversComeUnderThisSessionAndTheSlotIsLetGo)
{
    leaveBehind(QStringLiteral("orvixsession_3"), {mediaLine(1)}, {pageLine(2)});
    start();
    auto found = find();
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->name(), "orvixsession_3");
    EXPECT_TRUE(MutexExists(SessionSlotMutexName(sessions(), "orvixsession_3"))); // held while the panel is open

    found->Resume(*queues);
    EXPECT_FALSE(MutexExists(SessionSlotMutexName(sessions(), "orvixsession_3")));
    EXPECT_EQ(namesIn(q1()), QStringList({"orvixsession_1_q1.txt"}));
    EXPECT_EQ(namesIn(q2()), QStringList({"orvixsession_1_q2.txt"}));
    EXPECT_EQ(readBytes(q2() + "orvixsession_1_q2.txt"), itemBytes(pageLine(2)));
    EXPECT_TRUE(dialogs.shown().isEmpty());
    EXPECT_EQ(find(), nullptr);
}

TEST_F(SessionTest, ResumeWhileCancelingKeepsTheMediaLinesForLater)
{
    leaveBehind(QStringLiteral("orvixsession_3"), {mediaLine(1)}, {pageLine(2)});
    start();
    auto found = find();
    ASSERT_NE(found, nullptr);
    runControl().CancelMediaQueue = true;
    found->Resume(*queues);
    EXPECT_EQ(dialogs.shown(), QStringList({"info: queue is being canceled. please try again in 5 seconds."}));
    EXPECT_EQ(queues->MediaQueue.Count(), 0);
    EXPECT_EQ(lines(queues->PageQueue), QStringList({pageLine(2)}));
    EXPECT_EQ(namesIn(q1()), QStringList({"orvixsession_3_1.txt"}));
}

// An item file being written when its copy died is never taken for a line.
TEST_F(SessionTest, ATemporaryFileOfADeadCopyIsNeitherFoundNorKept)
{
    writeBytes(sessions() + "orvixsession_1.session", {});
    writeBytes(q1() + ".orvix-99999999-x.part", itemBytes(mediaLine(1)).left(20));
    start();
    EXPECT_EQ(find(), nullptr);
    EXPECT_TRUE(namesIn(q1()).isEmpty());
}

TEST_F(SessionTest, AnItemFileLongerThanAnyLineIsNeitherReadNorResumed)
{
    const QString tooLong = QStringLiteral("http://img/1.jpg|") + QString(kMaxItemLineBytes, u'x')
                            + QStringLiteral("||http://h/photos/u/1/|/pics/");
    const QString atLimit = mediaLine(2) + QString(kMaxItemLineBytes - mediaLine(2).size() - 16, u'y');
    leaveBehind(QStringLiteral("orvixsession_3"), {tooLong, atLimit}, {pageLine(3)});
    start();
    auto found = find();
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->entries(), QStringList({atLimit, pageLine(3)}));
    found->Resume(*queues);
    EXPECT_EQ(queues->MediaQueue.Count(), 1);
    EXPECT_EQ(ReadItemFileText(q1() + QStringLiteral("orvixsession_1_q1.txt")), atLimit);
}

// Slots are locked per settings folder: a copy holding slot 1 of another folder neither takes
// this folder's slot 1 nor hides what its last holder left here.
TEST_F(SessionTest, ASlotHeldForAnotherSettingsFolderHidesNothingHere)
{
    leaveBehind("orvixsession_1", {mediaLine(1)}, {});
    DownloadSession elsewhere;
    ASSERT_TRUE(elsewhere.Start(path("other/orvix_sessions/")));
    EXPECT_EQ(elsewhere.SessionName, "orvixsession_1");

    start();
    EXPECT_EQ(session.SessionName, "orvixsession_1");
    const auto found = find();
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->entries(), QStringList{mediaLine(1)});
}
