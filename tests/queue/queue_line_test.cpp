#include "queue_fixture.h"

#include "queue/queue_line.h"

using namespace orvix;

TEST(QueueLine, FiveFieldRule)
{
    struct Case
    {
        const char *line;
        bool wellFormed;
    };
    const Case cases[] = {
        {"http://h/p/1 | id:1 | 2 |  | /pics/", true},
        {"http://h/p/1|id:1|2|tags|/pics/sub", true},
        {"http://h/p/1|id:1|2|/pics/", false},           // four fields
        {"http://h/p/1|id:1|2|a|b|/pics/", false},       // a "|" in the tags adds one
        {"", false},
        // A folder that climbs out with ".." is never followed; dots within a name are fine.
        {"http://h/p/1|id:1|2||/pics/../etc", false},
        {"http://h/p/1|id:1|2||/pics/sub/..", false},
        {"http://img/1.jpg|1_s t||http://h/p/1/|../x", false},
        {"http://h/p/1|id:1|2||/pics/a..b/...", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(SplitQueueLine(QString::fromUtf8(c.line)).has_value(), c.wellFormed);
    }
    const auto page = ParsePageLine(QStringLiteral("http://h/p/1 | id:2 | x | my tags | /pics/"));
    ASSERT_TRUE(page);
    EXPECT_EQ(page->url, "http://h/p/1");
    EXPECT_TRUE(page->isThumbnailsPage());
    EXPECT_EQ(page->sizeIndex(), 0); // not a number
    EXPECT_EQ(PictureLineSuffix(*page), "|id:1|x|my tags|/pics/");
    EXPECT_EQ(page->line(), "http://h/p/1|id:2|x|my tags|/pics/");
    EXPECT_FALSE(ParsePageLine(QStringLiteral("http://h/p/1|id:7|1||/p/"))->isThumbnailsPage());
}

TEST(QueueLine, KeysAndSizeLetters)
{
    const QString media = QStringLiteral("http://img/1.jpg|1_s t||http://h/photos/u/1/|/pics/");
    EXPECT_EQ(MediaLineKey(media), "http://h/photos/u/1/");
    EXPECT_EQ(MediaLineKey(QStringLiteral("broken|line")), "broken|line");
    EXPECT_EQ(FirstLineField(media), "http://img/1.jpg");
    EXPECT_EQ(FirstLineField(QStringLiteral("no bar")), "no bar");
    EXPECT_EQ(ParseMediaLine(media)->pageUrl, "http://h/photos/u/1/");
    EXPECT_EQ(QStringList({SizeLetter(0), SizeLetter(1), SizeLetter(2), SizeLetter(7)}),
              QStringList({"M", "L", "O", "M"}));
}

TEST(QueueLine, MediaFileBase)
{
    struct Case
    {
        const char *title;
        const char *tags;
        const char *base;
    };
    const Case cases[] = {
        {"a|b", "my_tag", "123_abc a_b [tags] my tag"},
        {"Sunset", "", "123_abc Sunset"},
        {"x", "red/blue:sky", "123_abc x [tags] red blue sky"},
        {"x", "a||b", "123_abc x [tags] a b"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.title);
        EXPECT_EQ(MediaFileBase(QStringLiteral("123"), QStringLiteral("abc"), QString::fromUtf8(c.title),
                                QString::fromUtf8(c.tags)),
                  QString::fromUtf8(c.base));
    }
}

TEST(QueueLine, MakeSiteUrlAbsolute)
{
    SetSiteHost(QStringLiteral("127.0.0.1:8080"));
    EXPECT_EQ(MakeSiteUrlAbsolute(QStringLiteral("/photos/u/1/")), "http://127.0.0.1:8080/photos/u/1/");
    EXPECT_EQ(MakeSiteUrlAbsolute(QStringLiteral("photos/u/1/")), "http://127.0.0.1:8080/photos/u/1/");
    EXPECT_EQ(MakeSiteUrlAbsolute(QStringLiteral("http://127.0.0.1:8080/photos/u/1/")),
              "http://127.0.0.1:8080/photos/u/1/");
    SetSiteHost(QString());
}
