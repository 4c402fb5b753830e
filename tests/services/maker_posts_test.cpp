// Feedback and page reports as the stand-in service receives them.
#include "services/maker_posts.h"

#include "app/maker_host.h"
#include "app/program_version.h"
#include "makerservice/maker_service.h"

#include <gtest/gtest.h>

using namespace orvix;
using namespace orvix::makerservice;

namespace {

class MakerPosts : public ::testing::Test
{
protected:
    void SetUp() override
    {
        maker.start();
        SetMakerHost(maker.host());
    }
    void TearDown() override { SetMakerHost(QString()); }
    MakerService maker;
};

} // namespace

TEST_F(MakerPosts, FeedbackRepliesGiveThanksOrTheNumberedMessage)
{
    struct Case { const char *reply; int outcome; };
    const Case cases[] = {{"FEEDBACK_OK", 0}, {"feedback_ok, warning: slow", 1}, {"Error: no", 1}, {"saved", 2}};
    for (const Case &c : cases) {
        maker.setFeedbackReply(c.reply);
        EXPECT_EQ(SendFeedback({QStringLiteral("Ann"), QStringLiteral("a@b.example"), QStringLiteral("Hi & bye")}),
                  c.outcome) << c.reply;
    }
    const RecordedRequest r = maker.requests().first();
    EXPECT_EQ(r.fieldNames(), (QStringList{"name", "username", "email", "comments", "version", "program_id"}));
    EXPECT_EQ(r.field(QStringLiteral("comments")), QByteArray("Hi & bye"));
    EXPECT_EQ(QString::fromUtf8(r.field(QStringLiteral("version"))), ProgramVersionText());
    EXPECT_EQ(QString::fromUtf8(r.field(QStringLiteral("username"))), LoggedOnUserName());

    maker.stop();
    EXPECT_EQ(SendFeedback({}), 3);
    EXPECT_EQ(FeedbackFailureMessage(3), QStringLiteral("An error occured while sending your feedback.\r\nPlease try again later. (3)"));
}

TEST_F(MakerPosts, PageReportSendsItsFieldsInOrder)
{
    ASSERT_TRUE(SubmitPageReport(QStringLiteral("http://site/photos/a/"), QStringLiteral("<html>é</html>"),
                                 QStringLiteral("<div>late</div>"), 108));
    const QList<RecordedRequest> posts = maker.requests(QStringLiteral("/OrvixSubmitPage.aspx"));
    ASSERT_EQ(posts.size(), 1);
    EXPECT_EQ(posts[0].fieldNames(), (QStringList{"app_version", "page_url", "page_source", "page_ajax", "ie_version"}));
    EXPECT_EQ(posts[0].field(QStringLiteral("page_url")), QByteArray("http://site/photos/a/"));
    EXPECT_EQ(QString::fromUtf8(posts[0].field(QStringLiteral("page_source"))), QStringLiteral("<html>é</html>"));
    EXPECT_EQ(posts[0].field(QStringLiteral("ie_version")), QByteArray("108"));

    maker.setReply(QStringLiteral("/OrvixSubmitPage.aspx"), CannedReply{503, "busy", "text/plain", {}, 0});
    EXPECT_FALSE(SubmitPageReport(QStringLiteral("u"), {}, {}, 1));
    maker.stop();
    EXPECT_FALSE(SubmitPageReport(QStringLiteral("u"), {}, {}, 1));
}
