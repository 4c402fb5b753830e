// ResolveLargestSizeUrl on hand-made sizes pages: each marker the lookup depends on, missing
// in turn.

#include "engine/largest_size.h"
#include "engine_fixture.h"
#include "local_servers.h"
#include "pages/site.h"
#include "queue/control_flags.h"

#include <gtest/gtest.h>

using namespace orvix;
using orvix::test::EngineFixture;
using orvix::test::LocalHttpServer;

namespace {

const char kShownPage[] =
    "<html><body>\n<div class=\"sizes-list\"><ul>\n"
    "\t<li><a href=\"/photos/o/7/sizes/s/\">Small</a> <small>(240 x 180)</small></li>\n"
    "\t<li>Medium <small>(500 x 375)</small></li>\n"
    "</ul></div>\n"
    "<div id=\"allsizes-photo\"><img alt=\"\" src=\"http://IMG.test/7_Ab_M.jpg\"></div>\n</body></html>";

const char kLinkedPage[] =
    "<div class=\"sizes-list\"><ul>\n"
    "<li>Medium <small>(500 x 375)</small></li>\n"
    "<li><a href=\"/photos/o/7/sizes/l/\">Large</a>\n<small>(1024 x 768)</small></li>\n"
    "</ul></div>\n"
    "<div id=\"allsizes-photo\"><img src=\"http://IMG.test/7_Ab_M.jpg\"></div>";

const char kLargePage[] =
    "<div class=\"sizes-list\"><ul><li>Large (1024 x 768)</li></ul></div>"
    "<div id=\"allsizes-photo\"><img src=\"http://IMG.test/7_Ab_L.JPG\"></div>";

const QString kPrefix = QStringLiteral("URL failed (L/O): 7_ab: , error= ");

class LargestSizeTest : public EngineFixture
{
protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        m_server.server().Get(R"(/photos/o/7/sizes/(\w?)/?)", [this](const httplib::Request &req, httplib::Response &res) {
            const std::string which = req.matches[1];
            ++m_fetches;
            res.set_content(which.empty() ? m_sizesPage : m_largePage, "text/html");
        });
        m_server.start();
        m_previousHost = SiteHost();
        SetSiteHost(QStringLiteral("127.0.0.1:%1").arg(m_server.port()));
    }
    void TearDown() override
    {
        SetSiteHost(m_previousHost);
        EngineFixture::TearDown();
    }
    QString resolve() { return resolveFor(m_server.url(QStringLiteral("/photos/o/7/in/photostream/"))); }
    static QString resolveFor(const QString &pageUrl)
    {
        return ResolveLargestSizeUrl(QStringLiteral("7"), QStringLiteral("ab"), u'L', pageUrl);
    }

    LocalHttpServer m_server;
    std::string m_sizesPage;
    std::string m_largePage = kLargePage;
    int m_fetches = 0;
    QString m_previousHost;
};

} // namespace

TEST_F(LargestSizeTest, ShownLargestSizeIsReadFromTheFirstPage)
{
    m_sizesPage = kShownPage;
    EXPECT_EQ(resolve(), QStringLiteral("http://img.test/7_ab_m.jpg"));
    EXPECT_EQ(m_fetches, 1);
    EXPECT_EQ(takeMessages(), QStringList());
}

TEST_F(LargestSizeTest, LargestSizeBehindASiteRelativeLinkIsFetched)
{
    m_sizesPage = kLinkedPage;
    EXPECT_EQ(resolve(), QStringLiteral("http://img.test/7_ab_l.jpg"));
    EXPECT_EQ(m_fetches, 2);
    EXPECT_EQ(takeMessages(), QStringList());
}

TEST_F(LargestSizeTest, MissingMarkersGiveTheirMessages)
{
    struct Case { const char *name; std::string sizes; std::string large; QString message; };
    const std::string noSrc = std::string(kShownPage).replace(std::string(kShownPage).find("src="), 4, "data=");
    const Case cases[] = {
        {"no picture block", "<html>Sign in</html>", kLargePage, QStringLiteral(" allsizes-photo not found")},
        {"no sizes", "<ul class=\"sizes-list\"><li>Medium</li></ul><div id=\"allsizes-photo\">",
         kLargePage, QStringLiteral(" no image resolutions found")},
        {"no picture block on the linked page", kLinkedPage, "<html>busy</html>",
         QStringLiteral(" allsizes-photo not found (L2)")},
        {"no picture address", noSrc, kLargePage, QStringLiteral("image src not found")},
    };
    for (const Case &c : cases) {
        m_sizesPage = c.sizes;
        m_largePage = c.large;
        EXPECT_EQ(resolve(), QString()) << c.name;
        EXPECT_EQ(takeMessages(), QStringList(kPrefix + c.message)) << c.name;
    }
}

TEST_F(LargestSizeTest, CancelingAQueueGivesNothing)
{
    m_sizesPage = kLinkedPage;
    for (std::atomic<bool> *flag : {&CancelPageQueue, &CancelMediaQueue}) {
        *flag = true;
        EXPECT_EQ(resolve(), QString());
        *flag = false;
    }
    EXPECT_EQ(takeMessages(), QStringList());
}

TEST_F(LargestSizeTest, UnreachableSizesPageReportsThroughTheFetch)
{
    const QString origin = QStringLiteral("http://127.0.0.1:%1").arg(orvix::test::UnusedPort());
    EXPECT_EQ(resolveFor(origin + QStringLiteral("/photos/o/7/in/set-1")), QString());
    const QStringList messages = takeMessages();
    ASSERT_EQ(messages.size(), 7) << messages.join(u'\n').toStdString(); // five attempts, the fetch's verdict, the lookup's
    EXPECT_EQ(messages.first(), kPrefix + QStringLiteral("Wininet error # 12029 : (Cannot connect)"));
    EXPECT_EQ(messages.last(), kPrefix + QStringLiteral(" allsizes-photo not found"));
    EXPECT_TRUE(orvixLog().contains(QStringLiteral("URL failed (L/O): ") + origin + QStringLiteral("/photos/o/7/sizes/")));
}
