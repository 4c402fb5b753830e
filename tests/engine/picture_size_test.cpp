// ResolvePictureFileUrl on hand-made sizes pages with markers the simulated site never leaves
// out, and with no server at all; the choice among listed sizes.

#include "engine/picture_size.h"
#include "engine_fixture.h"
#include "local_servers.h"

#include <gtest/gtest.h>

using namespace orvix;
using orvix::test::EngineFixture;
using orvix::test::LocalHttpServer;

namespace {

const QString kPrefix = QStringLiteral("URL failed (L/O): 7_ab: , error= ");

QString resolve(const RunControl &run, const QString &pageUrl)
{
    return ResolvePictureFileUrl(run, QStringLiteral("7"), QStringLiteral("ab"), u'L', pageUrl);
}

class PictureSizeTest : public EngineFixture {};

} // namespace

TEST_F(PictureSizeTest, MissingMarkersGiveTheirMessages)
{
    struct Case { const char *name; const char *page; QString message; };
    const Case cases[] = {
        {"no sizes", "<ul class=\"sizes-list\"><li>Medium</li></ul><div id=\"allsizes-photo\"><img src=\"x.jpg\">",
         QStringLiteral(" no image resolutions found")},
        {"no picture address",
         "<ol class=\"sizes-list\"><li>Medium <small>(500 x 375)</small></li></ol>\n"
         "<div id=\"allsizes-photo\"><img data=\"http://img.test/7_ab.jpg\"></div>",
         QStringLiteral("image src not found")},
    };
    for (const Case &c : cases) {
        LocalHttpServer server;
        server.server().Get("/photos/o/7/sizes/", [&](const httplib::Request &, httplib::Response &res) {
            res.set_content(c.page, "text/html");
        });
        server.start();
        EXPECT_EQ(resolve(runControl(), server.url(QStringLiteral("/photos/o/7/in/photostream/"))), QString()) << c.name;
        EXPECT_EQ(takeMessages(), QStringList(kPrefix + c.message)) << c.name;
    }
}

TEST_F(PictureSizeTest, UnreachableSizesPageReportsThroughTheFetch)
{
    const QString origin = QStringLiteral("http://127.0.0.1:%1").arg(orvix::test::UnusedPort());
    EXPECT_EQ(resolve(runControl(), origin + QStringLiteral("/photos/o/7/in/set-1")), QString());
    const QStringList messages = takeMessages();
    ASSERT_EQ(messages.size(), 7) << messages.join(u'\n').toStdString(); // five attempts, the fetch's verdict, the lookup's
    EXPECT_EQ(messages.first(), kPrefix + QStringLiteral("Wininet error # 12029 : (Cannot connect)"));
    EXPECT_EQ(messages.last(), kPrefix + QStringLiteral(" allsizes-photo not found"));
    EXPECT_TRUE(orvixLog().contains(QStringLiteral("URL failed (L/O): ") + origin + QStringLiteral("/photos/o/7/sizes/")));
}

TEST(ChooseListedSize, EachChoiceTakesTheLargestThatFitsOrElseTheSmallest)
{
    const auto item = [](int w, int h) { return QStringLiteral("Size (%1 x %2)").arg(w).arg(h); };
    const QStringList regular{item(75, 75), item(240, 180), item(500, 375), item(1024, 768), item(3000, 2000)};
    const QStringList onlyLarge{item(1280, 960), item(2048, 1536)};
    const QStringList portrait{item(180, 240), item(375, 501), item(768, 1024)};
    struct Case { const char *name; QStringList sizes; QChar letter; int expected; };
    const Case cases[] = {
        {"original", regular, u'O', 4},
        {"large at its limit", regular, u'L', 3},
        {"current at its limit", regular, u'M', 2},
        {"nothing fits: the smallest", onlyLarge, u'M', 0},
        {"nothing fits large either", onlyLarge, u'L', 0},
        {"the longer side counts", portrait, u'M', 0},
        {"portrait large", portrait, u'L', 2},
        {"no dimensions count as too large", {item(100, 100), QStringLiteral("Huge")}, u'L', 0},
        {"empty list", {}, u'M', -1},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ChooseListedSize(c.sizes, c.letter), c.expected) << c.name;
}
