// The maker-service windows as a user meets them, against the stand-in service: the update
// window's statuses and its cancel question during a download, and the feedback window keeping
// the texts when the service cannot be reached.
#include "ui/feedback_form.h"
#include "ui/upgrade_form.h"

#include "app/maker_host.h"
#include "app/program_version.h"
#include "foundation/paths.h"
#include "services/maker_posts.h"
#include "foundation/dialogs.h"
#include "makerservice/maker_service.h"
#include "test_support.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

using namespace orvix;
using namespace orvix::makerservice;

namespace {

class MakerWindows : public ::testing::Test
{
protected:
    void SetUp() override
    {
        maker.start();
        SetMakerHost(maker.host());
    }
    void TearDown() override { SetMakerHost(QString()); }

    void setLatest(int build)
    {
        maker.setUpdate({{QStringLiteral("latest version"), QStringLiteral("9.9.9 build:%1").arg(build)}});
    }
    std::unique_ptr<TFormUpgrade> updateWindow()
    {
        return std::make_unique<TFormUpgrade>(UpdateServiceUrl(), QString::fromLatin1(UpdateWindowTitle), false, QString(),
                                              settings.path() + u'/');
    }

    MakerService maker;
    QTemporaryDir settings;
    ScriptedDialogs dialogs;
    ScopedDialogs installed{dialogs};
};

} // namespace

TEST_F(MakerWindows, UpdateWindowShowsTheStatusOfTheServicesBuild)
{
    const int own = BuildNumberOf(ProgramVersionText());
    struct Case { int build; const char *status; bool offersDownload; };
    const Case cases[] = {
        {own + 1, "New version available", true},
        {own, "You already have the latest version", false},
        {own - 1, "You are using a special pre-release version", false},
    };
    for (const Case &c : cases) {
        setLatest(c.build);
        auto window = updateWindow();
        window->show();
        EXPECT_EQ(window->errorCode(), 0);
        EXPECT_EQ(window->statusText(), QString::fromLatin1(c.status)) << c.build;
        auto *download = window->findChild<QPushButton *>(QStringLiteral("bDownload"));
        ASSERT_NE(download, nullptr);
        EXPECT_EQ(download->isVisible(), c.offersDownload) << c.build;
    }
}

TEST_F(MakerWindows, ClosingDuringADownloadAsksAndOnlyYesStopsIt)
{
    const QByteArray installer(200000, 'x');
    maker.setInstaller(QStringLiteral("setup-slow.bin"), installer);
    setLatest(BuildNumberOf(ProgramVersionText()) + 1);
    CannedReply slow;
    slow.body = installer;
    slow.contentType = "application/octet-stream";
    slow.stallMs = 1500;
    maker.setReply(QStringLiteral("/files/setup-slow.bin"), slow);

    auto window = updateWindow();
    window->show();
    bool stayedOpen = false;
    QTimer::singleShot(300, window.get(), [&] {
        dialogs.answerOk = false; // "No"
        static_cast<QDialog *>(window.get())->reject(); // as Escape does
        stayedOpen = window->isVisible();
        dialogs.answerOk = true; // "Yes"
        static_cast<QDialog *>(window.get())->reject(); // as Escape does
    });
    window->bDownloadClick();

    EXPECT_TRUE(stayedOpen);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(dialogs.shown(), QStringList(2, QStringLiteral("question: Are you sure you want to cancel the current download?")));
    EXPECT_FALSE(QFile::exists(TempPath(QStringLiteral("setup-slow.bin"))));
    EXPECT_FALSE(QFile::exists(settings.path() + QStringLiteral("/OrvixDownloader.delete_temp")));
}

TEST_F(MakerWindows, FeedbackThatCannotBeSentKeepsTheTexts)
{
    QTcpServer closed; // a port nobody answers on once closed
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close();
    SetMakerHost(QStringLiteral("127.0.0.1:%1").arg(port));

    TFormFeedback window;
    window.show();
    window.findChild<QLineEdit *>(QStringLiteral("edName"))->setText(QStringLiteral("Ann"));
    window.findChild<QLineEdit *>(QStringLiteral("edEmail"))->setText(QStringLiteral("ann@example.org"));
    window.findChild<QPlainTextEdit *>(QStringLiteral("edComments"))->setPlainText(QStringLiteral("The queue stops."));
    window.bSendFeedbackClick();

    EXPECT_FALSE(window.thanksShown());
    EXPECT_EQ(dialogs.shown(), QStringList{QStringLiteral("info: ") + FeedbackFailureMessage(3)});
    EXPECT_EQ(window.findChild<QPlainTextEdit *>(QStringLiteral("edComments"))->toPlainText(), QStringLiteral("The queue stops."));
    EXPECT_TRUE(window.findChild<QPushButton *>(QStringLiteral("bSendFeedback"))->isEnabled());

    // Closing with texts asks first; Cancel keeps the window.
    dialogs.answerOk = false;
    static_cast<QDialog &>(window).reject();
    EXPECT_TRUE(window.isVisible());
    dialogs.answerOk = true;
    static_cast<QDialog &>(window).reject();
    EXPECT_FALSE(window.isVisible());
}
