// Sessions between real processes: other copies of the program are played by the session
// holder, which takes a slot, queues lines on request and is killed with SIGKILL.

#include "queue_fixture.h"

#include "foundation/named_mutex.h"
#include "foundation/text.h"
#include "queue/download_session.h"
#include "queue/incomplete_session.h"
#include "queue/queue_line.h"
#include "queue/queue_state.h"

#include <QProcess>
#include <QThread>

#include <memory>

using namespace orvix;
using namespace orvix::test;

namespace {

// What the holder tagged tag queues as its n-th media line and n-th page line.
QString holderMedia(const QString &tag, int n)
{
    return QStringLiteral("http://img/%1-%2.jpg|%2_s%2 %1 picture %2||http://h/photos/%1/%2/|/pics/").arg(tag).arg(n);
}
QString holderPage(const QString &tag, int n)
{
    return QStringLiteral("http://h/photos/%1/set/%2/|id:2|2|tags|/pics/").arg(tag).arg(n);
}

class Holder
{
public:
    Holder(const QString &tag, const QString &settings, const QString &runtime)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ORVIX_SETTINGS"), settings);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        m_process.setProcessEnvironment(env);
        m_process.start(QStringLiteral(ORVIX_SESSION_HOLDER), {tag});
        m_slot = TextAfter(readLine(), u"slot ");
    }
    ~Holder() { kill(); }

    const QString &slot() const { return m_slot; }

    // The holder's answer to command, up to its "ok".
    QStringList ask(const QString &command)
    {
        m_process.write(command.toUtf8() + '\n');
        QStringList answer;
        for (QString line = readLine(); line != u"ok" && !line.isEmpty(); line = readLine())
            answer.append(line);
        return answer;
    }
    void kill()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.kill(); // SIGKILL: no clean-up of any kind
        m_process.waitForFinished(10000);
    }

private:
    QString readLine()
    {
        while (!m_process.canReadLine())
            if (!m_process.waitForReadyRead(20000))
                return QString();
        return QString::fromUtf8(m_process.readLine()).trimmed();
    }

    QProcess m_process;
    QString m_slot;
};

class SessionProcessTest : public QueueSandbox
{
protected:
    std::unique_ptr<Holder> holder(const QString &tag)
    {
        return std::make_unique<Holder>(tag, settings(), runtime());
    }
    void start()
    {
        ASSERT_TRUE(session.Start());
        queues = std::make_unique<QueueState>(runControl(), session.folders(), view, pictures);
    }
    std::unique_ptr<FoundSession> find() { return FindIncompleteSession(sessions(), queues->itemFiles()); }
    static QStringList foundAnswer(const QString &name, const QStringList &entries)
    {
        QStringList answer;
        for (const QString &e : entries)
            answer.append("entry " + e);
        answer.append("found " + name);
        return answer;
    }

    DownloadSession session;
    RecordingView view;
    FakePictures pictures;
    std::unique_ptr<QueueState> queues;
};

} // namespace

TEST_F(SessionProcessTest, TwoRunningCopiesNeverOfferEachOthersLines)
{
    auto a = holder("A");
    ASSERT_EQ(a->slot(), "orvixsession_1");
    a->ask("media 2");
    a->ask("page 1");
    auto b = holder("B");
    ASSERT_EQ(b->slot(), "orvixsession_2");
    EXPECT_EQ(b->ask("search"), QStringList({"found -"}));
    b->ask("media 1");
    EXPECT_EQ(a->ask("search"), QStringList({"found -"}));

    // Only the slot's lock hid them: once B is gone, A offers B's line.
    b->kill();
    EXPECT_EQ(a->ask("search"), foundAnswer("orvixsession_2", {holderMedia("B", 1)}));
}

TEST_F(SessionProcessTest, AKilledCopysLinesAreResumedUnderTheNextSession)
{
    auto a = holder("A");
    a->ask("media 3");
    a->ask("page 1");
    start(); // slot 2, while A still runs
    ASSERT_EQ(session.SessionName, "orvixsession_2");
    EXPECT_EQ(find(), nullptr);
    a->kill();

    auto found = find();
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->name(), "orvixsession_1");
    const QStringList media = {holderMedia("A", 1), holderMedia("A", 2), holderMedia("A", 3)};
    EXPECT_EQ(found->entries(), media + QStringList{holderPage("A", 1)});

    found->Resume(*queues);
    EXPECT_EQ(lines(queues->MediaQueue), media);
    EXPECT_EQ(lines(queues->PageQueue), QStringList({holderPage("A", 1)}));
    EXPECT_EQ(namesIn(q1()), QStringList({"orvixsession_2_q1.txt", "orvixsession_2_q1_00001.txt",
                                          "orvixsession_2_q1_00002.txt"}));
    EXPECT_EQ(namesIn(q2()), QStringList({"orvixsession_2_q2.txt"}));
    EXPECT_FALSE(MutexExists(SessionSlotMutexName(sessions(), "orvixsession_1")));
    EXPECT_TRUE(dialogs.shown().isEmpty());
}

TEST_F(SessionProcessTest, AKilledCopysLinesAreDiscardedInTheSameSlot)
{
    auto a = holder("A");
    a->ask("media 3");
    a->ask("page 1");
    a->kill();
    start();
    ASSERT_EQ(session.SessionName, "orvixsession_1");

    auto found = find();
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->name(), "orvixsession_1");
    EXPECT_EQ(found->entries().size(), 4);
    EXPECT_EQ(found->entries().first(), holderMedia("A", 1));
    EXPECT_EQ(namesIn(q1()).size() + namesIn(q2()).size(), 4);
    found->Discard(queues->itemFiles());
    EXPECT_TRUE(namesIn(q1()).isEmpty());
    EXPECT_TRUE(namesIn(q2()).isEmpty());
    EXPECT_EQ(find(), nullptr);
}

// Killed while it writes item files as fast as it can: every file left is a whole line. A kill
// lands inside a write only now and then, so the copy is killed a few times.
TEST_F(SessionProcessTest, AKillDuringWritesLeavesOnlyWholeLines)
{
    for (int round = 0; round < 4; ++round) {
        auto a = holder("A");
        a->ask("flood");
        QThread::msleep(100 + 37 * round);
        a->kill();
    }

    start();
    QStringList complete;
    for (const QString &name : namesIn(q1())) {
        if (name.startsWith(u'.'))
            continue;
        const QByteArray bytes = readBytes(q1() + name);
        ASSERT_TRUE(bytes.startsWith("\xEF\xBB\xBF") && bytes.endsWith("\r\n")) << name.toStdString();
        const QString line = QString::fromUtf8(bytes.mid(3)).trimmed();
        const auto media = ParseMediaLine(line);
        ASSERT_TRUE(media.has_value()) << line.toStdString();
        EXPECT_EQ(line, holderMedia("A", TextAfter(media->pageUrl, u"/photos/A/").remove(u'/').toInt()));
        complete.append(line);
    }
    EXPECT_GT(complete.size(), 10);
    auto found = find();
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->entries().size(), complete.size());
    EXPECT_TRUE(namesIn(q1()).filter(QStringLiteral(".part")).isEmpty()); // cleared when the slot was taken
}
