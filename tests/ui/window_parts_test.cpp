// The window's parts that need no browser: input filters, the search address, the messages
// panel, alerts, and calls from worker threads onto the main thread.
#include "test_support.h"

#include "ui/alert_popup.h"
#include "foundation/main_thread_call.h"
#include "ui/messages_panel.h"
#include "ui/qt_dialogs.h"
#include "ui/resume_panel.h"
#include "ui/site_search.h"
#include "foundation/url_encode.h"
#include "ui/subfolder_edit.h"

#include "foundation/dialogs.h"
#include "foundation/errors.h"
#include "foundation/log.h"
#include "foundation/run_control.h"
#include "pages/site.h"
#include "queue/download_session.h"
#include "queue/incomplete_session.h"
#include "queue/picture_records.h"
#include "queue/queue_state.h"
#include "queue/queue_view.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QKeyEvent>
#include <QListWidget>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <sys/mount.h>
#include <thread>

using namespace orvix;

TEST(SubfolderFilter, TypingKeepsOneFolderLevelOfSafeCharacters)
{
    struct Case { QString typed; QString kept; };
    const Case cases[] = {
        {QStringLiteral("a/b\\c"), QStringLiteral("abc")},
        {QStringLiteral("x:y*z?\"<>|"), QStringLiteral("xyz")},
        {QStringLiteral("Holiday 2024 [best]_v1.2~^'+,-"), QStringLiteral("Holiday 2024 [best]_v1.2~^'+,-")},
        {QStringLiteral("Été à Zürich"), QStringLiteral("Été à Zürich")},
        {QStringLiteral("%$#@!&(){}=;`"), QString()},
    };
    for (const Case &c : cases) {
        TSubfolderEdit edit(QStringLiteral("edOutputPathInner"), nullptr);
        for (QChar ch : c.typed) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(&edit, &press);
        }
        EXPECT_EQ(edit.text(), c.kept) << c.typed.toStdString();
    }
}

TEST(SubfolderFilter, PastedTextLosesOnlyTheForbiddenCharacters)
{
    TSubfolderEdit edit(QStringLiteral("edOutputPathInner"), nullptr);
    QApplication::clipboard()->setText(QStringLiteral("../trip/2024"));
    edit.paste();
    EXPECT_EQ(edit.text(), QStringLiteral("..trip2024"));
}

TEST(SiteSearch, ValuesAreEncodedForTheAddress)
{
    struct Case { QString value; QString encoded; };
    const Case cases[] = {
        {QStringLiteral("lake"), QStringLiteral("lake")},
        {QStringLiteral("red lake"), QStringLiteral("red%20lake")},
        {QStringLiteral("100%"), QStringLiteral("100%25")},
        // Kept as they are, these would split the value into further fields or the query.
        {QStringLiteral("a&b=c?d@e+f-g.h_i~"), QStringLiteral("a%26b%3Dc%3Fd@e%2Bf-g.h_i~")},
        {QStringLiteral("x/y#z"), QStringLiteral("x%2Fy%23z")},
        {QStringLiteral("café"), QStringLiteral("caf%C3%A9")},
        {QString::fromUtf8("\xF0\x9F\x98\x80"), QStringLiteral("%F0%9F%98%80")},
    };
    for (const Case &c : cases)
        EXPECT_EQ(UrlEncodeValue(c.value), c.encoded) << c.value.toStdString();

    SetSiteHost(QStringLiteral("127.0.0.1:8080"));
    EXPECT_EQ(SiteSearchUrl(QStringLiteral("old boat")),
              QStringLiteral("http://127.0.0.1:8080/search/?q=old%20boat&w=all"));
    SetSiteHost(QString());
}

TEST(MessagesPanel, NewestFirstKeepsTheLatestTenThousandAndLogsTheBareText)
{
    QWidget window;
    TMessagesPanel panel(&window);
    QStringList mirror;
    TLog log(&mirror);
    log.logToFile = false;

    const int total = TMessagesPanel::kMaxLines + 5;
    for (int i = 1; i <= total; ++i)
        panel.LogMessageInternal(QStringLiteral("message %1").arg(i), i == total ? &log : nullptr);

    const QStringList lines = panel.lines();
    ASSERT_EQ(lines.size(), TMessagesPanel::kMaxLines);
    EXPECT_TRUE(lines.first().endsWith(QStringLiteral(": message %1").arg(total)));
    EXPECT_TRUE(lines.last().endsWith(QStringLiteral(": message 6"))); // 1 to 5 went first
    EXPECT_TRUE(panel.isVisibleTo(&window));

    ASSERT_EQ(mirror.size(), 1);
    EXPECT_TRUE(mirror.first().endsWith(QStringLiteral(": message %1").arg(total)));
    EXPECT_EQ(mirror.first().count(QStringLiteral(": ")), 1); // no display time of its own

    panel.Dismiss();
    EXPECT_TRUE(panel.lines().isEmpty());
    EXPECT_FALSE(panel.isVisibleTo(&window));
}

TEST(AlertPopup, NeverTakesTheFocusAndSharesSlotOneWhenAllTenAreTaken)
{
    AlertSlots slots;
    std::vector<std::unique_ptr<TAlertPopup>> popups;
    for (int i = 0; i < AlertSlots::kCount + 1; ++i)
        popups.push_back(std::make_unique<TAlertPopup>(QStringLiteral("alert %1").arg(i), 60000, slots));
    for (int i = 0; i < AlertSlots::kCount; ++i)
        EXPECT_EQ(popups[size_t(i)]->slot(), i + 1);
    EXPECT_EQ(popups.back()->slot(), 1);

    const TAlertPopup &p = *popups.front();
    EXPECT_TRUE(p.testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_TRUE(p.windowFlags() & Qt::WindowDoesNotAcceptFocus);
    EXPECT_EQ(p.parentWidget(), nullptr);
    EXPECT_EQ(p.height(), TAlertPopup::kHeight);
    EXPECT_GE(p.width(), 110);
}

TEST(AlertPopup, FadesOutAndFreesItsSlot)
{
    AlertSlots slots;
    QPointer<TAlertPopup> popup = new TAlertPopup(QStringLiteral("saved"), 0, slots);
    popup->show();
    EXPECT_EQ(popup->slot(), 1);
    ASSERT_TRUE(test::waitUntil([&] { return popup && popup->windowOpacity() < 0.9; }, 2000));
    ASSERT_TRUE(test::waitUntil([&] { return popup.isNull(); }, 5000));
    EXPECT_EQ(slots.take(), 1); // free again
}

TEST(MainThreadCall, RunsOnTheMainThreadAndCarriesFailuresBack)
{
    QThread *const mainThread = QThread::currentThread();
    // On the main thread itself the call runs at once instead of waiting for itself.
    QThread *ranOn = nullptr;
    RunOnMainThread([&] { ranOn = QThread::currentThread(); });
    EXPECT_EQ(ranOn, mainThread);

    std::atomic<bool> done{false};
    QThread *workerRanOn = nullptr;
    QString failure;
    std::thread worker([&] {
        RunOnMainThread([&] { workerRanOn = QThread::currentThread(); });
        try {
            RunOnMainThread([] { throw EOrvix(QStringLiteral("box failed")); });
        } catch (const EOrvix &e) {
            failure = e.message();
        }
        done = true;
    });
    EXPECT_TRUE(test::waitUntil([&] { return done.load(); }, 5000));
    worker.join();
    EXPECT_EQ(workerRanOn, mainThread);
    EXPECT_EQ(failure, QStringLiteral("box failed"));
}

TEST(QtDialogs, AQuestionFromAWorkerIsAskedOnTheMainThreadAndAnswered)
{
    TQtDialogs dialogs;
    QString asked;
    QThread *boxThread = nullptr;
    // Answers the first box that appears: OK, on the thread that shows it.
    QTimer answer;
    answer.setInterval(20);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        asked = box->text();
        boxThread = box->thread();
        box->button(QMessageBox::Ok)->click();
    });
    answer.start();

    std::atomic<int> result{-1};
    std::thread worker([&] {
        result = dialogs.okCancel(nullptr, QStringLiteral("Discard incomplete session?"), QString()) ? 1 : 0;
    });
    EXPECT_TRUE(test::waitUntil([&] { return result.load() >= 0; }, 10000));
    worker.join();
    EXPECT_EQ(result.load(), 1);
    EXPECT_EQ(asked, QStringLiteral("Discard incomplete session?"));
    EXPECT_EQ(boxThread, QThread::currentThread());
}

namespace {

struct NoPictures : IPictureRecords
{
    bool IsAlreadyDownloaded(const QString &) override { return false; }
    void RecordQueuedPicture(const TImageData &) override {}
    void RecordFoundPicture(const TImageData &, const QString &) override {}
};

// This copy's session and queues over a sessions folder, with scripted boxes.
struct ResumeRun
{
    explicit ResumeRun(const QString &folder) : run(folder) {}
    bool start(const QString &sessions)
    {
        if (!session.Start(sessions))
            return false;
        queues = std::make_unique<QueueState>(run, session.folders(), view, pictures);
        return true;
    }
    std::unique_ptr<FoundSession> find() { return FindIncompleteSession(session.sessionsFolder(), queues->itemFiles()); }
    // Offers the session found to the panel; false when there is none.
    bool offer(TResumePanel &panel, std::function<void(const QString &)> openUrl = {})
    {
        std::unique_ptr<FoundSession> found = find();
        if (!found)
            return false;
        panel.Offer(std::move(found), *queues, std::move(openUrl));
        return true;
    }

    ScriptedDialogs dialogs;
    ScopedDialogs installed{dialogs};
    DownloadSession session;
    NullQueueView view;
    NoPictures pictures;
    RunControl run;
    std::unique_ptr<QueueState> queues;
};

// An item file as a run that ended left it.
void writeItemFile(const QString &path, const QString &line)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    if (!line.isEmpty())
        f.write("\xEF\xBB\xBF" + line.toUtf8() + "\r\n");
}

} // namespace

// A resume whose new item file cannot be written is told in a box: the failure never leaves the
// button's slot, and the leftover file stays for the next try.
TEST(ResumePanel, ItemFileThatCannotBeWrittenIsToldNotThrown)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir.path()));
    const QString sessions = dir.filePath(QStringLiteral("orvix_sessions/"));
    const QString q1 = sessions + QStringLiteral("q1/");
    QDir().mkpath(q1);
    QDir().mkpath(sessions + QStringLiteral("q2/"));
    // Room for the leftover file and not one more.
    const QByteArray target = QFile::encodeName(q1);
    if (::mount("tmpfs", target.constData(), "tmpfs", 0, "nr_inodes=2,size=64k") != 0) {
        qputenv("XDG_RUNTIME_DIR", savedRuntime);
        GTEST_SKIP() << "mounting a tmpfs is not permitted here";
    }
    struct Restore
    {
        QByteArray target, runtime;
        ~Restore()
        {
            ::umount2(target.constData(), MNT_DETACH);
            qputenv("XDG_RUNTIME_DIR", runtime);
        }
    } restore{target, savedRuntime};
    QFile(sessions + QStringLiteral("orvixsession_2.session")).open(QIODevice::WriteOnly);
    const QString leftover = q1 + QStringLiteral("orvixsession_2_1.txt");
    writeItemFile(leftover, QStringLiteral("http://img/1.jpg|1_s title||http://h/photos/u/1/|/pics/"));

    ResumeRun r(dir.path());
    ASSERT_TRUE(r.start(sessions));
    QWidget window;
    TResumePanel panel(&window);
    ASSERT_TRUE(r.offer(panel));
    panel.findChild<QPushButton *>(QStringLiteral("bSessionResume"))->click();

    ASSERT_EQ(r.dialogs.shown().size(), 1) << r.dialogs.shown().join(u'\n').toStdString();
    EXPECT_TRUE(r.dialogs.shown().first().startsWith(QStringLiteral("error: The session could not be taken up whole: ")));
    EXPECT_TRUE(QFileInfo::exists(leftover));
    EXPECT_FALSE(panel.isVisible());
}

// Leftovers resume cannot take (an "https://" line, an empty file) are listed with the reason, so
// the panel never shows an empty list; discard removes them. A double click still opens the
// line's address.
TEST(ResumePanel, LinesThatCannotBeResumedAreListedWithTheReasonAndDiscarded)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir.path()));
    struct Restore
    {
        QByteArray runtime;
        ~Restore() { qputenv("XDG_RUNTIME_DIR", runtime); }
    } restore{savedRuntime};
    const QString sessions = dir.filePath(QStringLiteral("orvix_sessions/"));
    const QString q2 = sessions + QStringLiteral("q2/");
    QDir().mkpath(q2);
    QDir().mkpath(sessions + QStringLiteral("q1/"));
    QFile(sessions + QStringLiteral("orvixsession_2.session")).open(QIODevice::WriteOnly);
    const QString https = QStringLiteral("https://h/photos/u/1/|id:1|2||/pics/");
    writeItemFile(q2 + QStringLiteral("orvixsession_2_q2.txt"), https);
    writeItemFile(q2 + QStringLiteral("orvixsession_2_q2_00001.txt"), QString());

    ResumeRun r(dir.path());
    ASSERT_TRUE(r.start(sessions));
    QWidget window;
    TResumePanel panel(&window);
    QString opened;
    ASSERT_TRUE(r.offer(panel, [&](const QString &url) { opened = url; }));

    auto *list = panel.findChild<QListWidget *>(QStringLiteral("lbResumeSession"));
    ASSERT_NE(list, nullptr);
    QStringList shown;
    for (int i = 0; i < list->count(); ++i)
        shown << list->item(i)->text();
    EXPECT_EQ(shown, QStringList({https + QStringLiteral("   (cannot be resumed: line without \"http://\" (only such "
                                                         "lines are resumed))"),
                                  QStringLiteral("orvixsession_2_q2_00001.txt   (cannot be resumed: empty item "
                                                 "file)")}));
    list->setCurrentRow(0);
    Q_EMIT list->itemDoubleClicked(list->item(0));
    EXPECT_EQ(opened, QStringLiteral("https://h/photos/u/1/"));

    panel.findChild<QPushButton *>(QStringLiteral("bSessionDiscard"))->click();
    EXPECT_TRUE(QDir(q2).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(r.find(), nullptr);
}
