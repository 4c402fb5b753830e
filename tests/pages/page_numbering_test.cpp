#include "pages/page_numbering.h"
#include "pages/site.h"

#include "foundation/command_line.h"

#include "recording_reports.h"
#include "test_support.h"

#include "foundation/errors.h"

#include <gtest/gtest.h>

namespace orvix {
namespace {

struct NumberingCase
{
    const char *file;
    const char *address;
    TPageNumbering state;
    bool prev, next;
    const char *prevCaption, *nextCaption;
    int gotoItems;
    bool hrefFirst = false;
};

class PageNumberingTest : public ::testing::Test
{
protected:
    void SetUp() override { SetSiteHost(QString()); }
};

TEST_F(PageNumberingTest, FixturePaginatorsInEveryLinkStyle)
{
    const NumberingCase cases[] = {
        {"set.html", "http://www.photosite.example/photos/alice/sets/72157600/page2/",
         {"/photos/alice/sets/72157600/page1/", "/photos/alice/sets/72157600/page3/",
          "/photos/alice/sets/72157600/page1/", "/photos/alice/sets/72157600/page4/", 2, 4,
          "/photos/alice/sets/72157600/page[PAGE_NO]/"},
         true, true, "< 1", "3 >", 4},
        {"photo_paragraphs.html", "http://www.photosite.example/photos/tags/harbour/?page=3",
         {"/photos/tags/harbour/?page=2", "/photos/tags/harbour/?page=4",
          "/photos/tags/harbour/?page=1", "/photos/tags/harbour/?page=5", 3, 5,
          "/photos/tags/harbour/?page=[PAGE_NO]"},
         true, true, "< 2", "4 >", 5},
        {"pool.html", "http://www.photosite.example/groups/tide/pool/?view=list&page=2",
         {"/groups/tide/pool/?view=list&page=1", "/groups/tide/pool/?view=list&page=3",
          "/groups/tide/pool/?view=list&page=1", "/groups/tide/pool/?view=list&page=3", 2, 3,
          "/groups/tide/pool/?view=list&page=[PAGE_NO]"},
         true, true, "< 1", "3 >", 3},
        // "&amp;page=" links are matched by the ";page=" style; the template decodes them.
        {"container_pool.html", "http://www.photosite.example/groups/trains/pool/?view=md",
         {"", "/groups/trains/pool/?view=md&page=2", "/groups/trains/pool/?view=md&amp;page=1",
          "/groups/trains/pool/?view=md&page=3", 1, 3,
          "/groups/trains/pool/?view=md&page=[PAGE_NO]"},
         false, true, "<", "2 >", 3},
        {"photostream.html", "http://www.photosite.example/photos/dave/page3/",
         {"/photos/dave/page2/", "/photos/dave/page4/", "/photos/dave/page1/",
          "/photos/dave/page9/", 3, 9, "/photos/dave/page[PAGE_NO]/"},
         true, true, "< 2", "4 >", 9},
        // Page 1: the first page is made from the next-page link.
        {"photostream_one_row.html", "http://www.photosite.example/photos/erin/",
         {"", "/photos/erin/page2/", "/photos/erin/page1/", "/photos/erin/page3/", 1, 3,
          "/photos/erin/page[PAGE_NO]/"},
         false, true, "<", "2 >", 3},
        // Legacy serialisation; a search always has 100 pages and its "page2" link is rebuilt
        // from the address.
        {"search.html", "http://www.photosite.example/search/?q=kite&w=all",
         {"", "http://www.photosite.example/search/?q=kite&w=all&page=2",
          "http://www.photosite.example/search/?q=kite&w=all&page=1",
          "http://www.photosite.example/search/?q=kite&w=all&page=100", 1, 100,
          "http://www.photosite.example/search/?q=kite&w=all&page=[PAGE_NO]"},
         false, true, "<", "2 >", 100},
        // The same page as a browser serialises it: the next link's href before its class.
        {"search.html", "http://www.photosite.example/search/?q=kite&w=all",
         {"", "http://www.photosite.example/search/?q=kite&w=all&page=2",
          "http://www.photosite.example/search/?q=kite&w=all&page=1",
          "http://www.photosite.example/search/?q=kite&w=all&page=100", 1, 100,
          "http://www.photosite.example/search/?q=kite&w=all&page=[PAGE_NO]"},
         false, true, "<", "2 >", 100, true},
    };
    for (const NumberingCase &c : cases) {
        QString text = test::readFixtureLatin1(QStringLiteral("pages/") + c.file);
        if (c.hrefFirst) // as a browser serialises the page the site sent: attributes in its order
            text.replace(QStringLiteral("<A class=Next href=\"http://www.photosite.example/search/page2/\">"),
                         QStringLiteral("<A href=\"http://www.photosite.example/search/page2/\" class=Next>"));
        TPageNumbering state;
        test::RecordingReports reports;
        const TPagingView view = CreatePageNextPrev(text, QString::fromUtf8(c.address),
                                                    QString::fromUtf8(c.address), state, reports);
        EXPECT_EQ(state.PrevPageUrl, c.state.PrevPageUrl) << c.file;
        EXPECT_EQ(state.NextPageUrl, c.state.NextPageUrl) << c.file;
        EXPECT_EQ(state.FirstPageUrl, c.state.FirstPageUrl) << c.file;
        EXPECT_EQ(state.LastPageUrl, c.state.LastPageUrl) << c.file;
        EXPECT_EQ(state.CurrentPageNo, c.state.CurrentPageNo) << c.file;
        EXPECT_EQ(state.LastPageNo, c.state.LastPageNo) << c.file;
        EXPECT_EQ(state.PageUrlTemplate, c.state.PageUrlTemplate) << c.file;
        EXPECT_EQ(view.PrevEnabled, c.prev) << c.file;
        EXPECT_EQ(view.NextEnabled, c.next) << c.file;
        EXPECT_EQ(view.PrevCaption, QString::fromUtf8(c.prevCaption)) << c.file;
        EXPECT_EQ(view.NextCaption, QString::fromUtf8(c.nextCaption)) << c.file;
        EXPECT_EQ(view.CurrentPageText, QString::number(c.state.CurrentPageNo)) << c.file;
        EXPECT_EQ(view.GotoPageItems.size(), c.gotoItems) << c.file;
        EXPECT_TRUE(view.PagesMenusEnabled) << c.file;
        EXPECT_FALSE(view.SubmitPageVisible) << c.file;
        EXPECT_TRUE(reports.messages.isEmpty()) << c.file;
    }
}

TEST_F(PageNumberingTest, MenusAndCaptions)
{
    TPageNumbering state;
    test::RecordingReports reports;
    const TPagingView view =
        CreatePageNextPrev(test::readFixtureLatin1(QStringLiteral("pages/set.html")),
                           QStringLiteral("http://www.photosite.example/photos/alice/sets/72157600/page2/"),
                           QString(), state, reports);
    EXPECT_EQ(view.GotoPageItems, (QStringList{"1", "> 2 <", "3", "4"}));
    EXPECT_EQ(view.LastPageCaption, QStringLiteral("Goto Last page (4)"));
    EXPECT_EQ(view.SavePagesBeforeCaption, QStringLiteral("Save pages 1 to 2"));
    EXPECT_EQ(view.SavePagesAfterCaption, QStringLiteral("Save pages 2 to 4"));
    EXPECT_EQ(PageUrlForNumber(state, 3),
              QStringLiteral("http://www.photosite.example/photos/alice/sets/72157600/page3/"));
}

TEST_F(PageNumberingTest, PagesWithoutAUsablePaginator)
{
    TPageNumbering previous;
    previous.PageUrlTemplate = QStringLiteral("/photos/x/page[PAGE_NO]/");
    previous.CurrentPageNo = 7;
    previous.NextPageUrl = QStringLiteral("/photos/x/page8/");
    const struct
    {
        const char *name;
        const char *text;
    } cases[] = {
        {"no paginator", "<div id=\"setThumbs\"></div>"},
        {"prev link without its end", "<div class=\"Paginator\"><a href=\"/p/page1/\" class=\"Prev\">prev"},
        {"span without its end", "<div class=\"Paginator\"><span class=\"this-page\">3"},
    };
    for (const auto &c : cases) {
        TPageNumbering state = previous;
        test::RecordingReports reports;
        const TPagingView view =
            CreatePageNextPrev(QString::fromUtf8(c.text), QString(), QString(), state, reports);
        EXPECT_FALSE(view.PrevEnabled || view.NextEnabled || view.PagesMenusEnabled) << c.name;
        EXPECT_TRUE(view.SubmitPageVisible) << c.name;
        EXPECT_TRUE(view.GotoPageItems.isEmpty()) << c.name;
        EXPECT_EQ(view.PrevCaption, QStringLiteral("<")) << c.name;
        EXPECT_EQ(state.PageUrlTemplate, previous.PageUrlTemplate) << c.name;
        EXPECT_EQ(state.CurrentPageNo, 7) << c.name;
    }
}

TEST_F(PageNumberingTest, LinksWithoutDigitsAndHugeNumbers)
{
    TPageNumbering state;
    test::RecordingReports reports;
    // The arrow links hold no digits and count as -1; an absurd page number stays a number the
    // menu can bear.
    const QString text = QStringLiteral(
        "<div class=\"Paginator\"><a href=\"/p/page1/\" class=\"Prev\">&larr;</a>"
        "<span class=\"this-page\">page two</span><a href=\"/p/page99999999999/\">99999999999</a>"
        "<a href=\"/p/page3/\" class=\"Next\">&rarr;</a></div>");
    const TPagingView view = CreatePageNextPrev(text, QString(), QString(), state, reports);
    EXPECT_EQ(state.CurrentPageNo, -1);
    EXPECT_EQ(state.LastPageNo, -1);
    EXPECT_EQ(view.PrevCaption, QStringLiteral("< -2"));
    EXPECT_EQ(view.NextCaption, QStringLiteral("0 >"));

    const QString many = QStringLiteral(
        "<div class=\"Paginator\"><span class=\"this-page\">1</span>"
        "<a href=\"/p/page2000000/\">2000000</a><a href=\"/p/page2/\" class=\"Next\">next</a></div>");
    const TPagingView big = CreatePageNextPrev(many, QString(), QString(), state, reports);
    EXPECT_EQ(state.LastPageNo, 2000000);
    EXPECT_EQ(big.GotoPageItems.size(), 10000);
    EXPECT_EQ(state.PageUrlTemplate, QStringLiteral("/p/page[PAGE_NO]/"));
}

TEST_F(PageNumberingTest, UnknownPageStyleIsLogged)
{
    TPageNumbering state;
    test::RecordingReports reports;
    const QString text = QStringLiteral(
        "<div class=\"Paginator\"><span class=\"this-page\">1</span>"
        "<a href=\"/p/next/\" class=\"Next\">2</a></div>");
    const TPagingView view =
        CreatePageNextPrev(text, QStringLiteral("http://x/p/"), QStringLiteral("http://x/p/"), state, reports);
    EXPECT_EQ(reports.messages, QStringList{QStringLiteral("unknown page type: url: http://x/p/")});
    EXPECT_EQ(state.PageUrlTemplate, QString());
    EXPECT_FALSE(view.PagesMenusEnabled);
    EXPECT_EQ(view.GotoPageItems.size(), 2); // the menu itself is still filled
}

TEST(ReplacePageNumber, StylesAndNeighbours)
{
    const struct
    {
        const char *url;
        int current, target;
        const char *result;
    } cases[] = {
        {"/photos/x/page3/", 2, 1, "/photos/x/page1/"},
        {"/photos/x/page1/", 2, 9, "/photos/x/page9/"},
        {"/photos/x/page5/", 2, 9, "/photos/x/page5/"}, // only current - 1 .. current + 1
        {"/photos/x/page12/", 1, 7, "/photos/x/page12/"}, // "/pageN/" needs its closing slash
        {"/t/?page=12", 1, 5, "/t/?page=12"},           // numbers count only as a whole
        {"/s/?q=a&w=all&page=9", 9, 100, "/s/?q=a&w=all&page=100"}, // not rescanned as 10
        {"/s/?q=a&page=10&x=page=10", 9, 1, "/s/?q=a&page=1&x=page=10"},
        {"/t/?a=1&page=2", 1, 4, "/t/?a=1&page=4"},
        {"/t/?a=1&amp;page=2", 1, 4, "/t/?a=1&amp;page=4"},
        {"/t/?page=0", -1, 3, "/t/?page=3"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ReplacePageNumber(QString::fromUtf8(c.url), c.current, c.target), QString::fromUtf8(c.result))
            << c.url;
}

TEST(MakePageUrlTemplate, FromLastOrNextLink)
{
    const struct
    {
        const char *last, *next;
        int lastPage;
        const char *templ;
    } cases[] = {
        {"/photos/x/page7/", "", 7, "/photos/x/page[PAGE_NO]/"},
        {"", "/t/?p=1;page=2", 9, "/t/?p=1;page=[PAGE_NO]"}, // page 1: its next-page link
        {"/g/?a=1&amp;page=4", "", 4, "/g/?a=1&page=[PAGE_NO]"},
        {"/g/?page=4", "", 4, "/g/?page=[PAGE_NO]"},
        {"/g/?page=100", "", 10, "/g/?page=100"}, // "page=10" is not inside "page=100"
        {"", "/t/?p=1;page=25", 30, "/t/?p=1;page=25"},
    };
    for (const auto &c : cases) {
        TPageNumbering state;
        state.LastPageUrl = QString::fromUtf8(c.last);
        state.NextPageUrl = QString::fromUtf8(c.next);
        test::RecordingReports reports;
        MakePageUrlTemplate(state, c.lastPage, QString(), reports);
        EXPECT_EQ(state.PageUrlTemplate, QString::fromUtf8(c.templ)) << c.last << c.next;
        EXPECT_TRUE(reports.messages.isEmpty());
    }
}

TEST(PageUrls, AbsoluteWithTheSiteRoot)
{
    SetSiteHost(QStringLiteral("127.0.0.1:8080"));
    const struct
    {
        const char *url;
        const char *normalized;
    } cases[] = {
        {"/photos/x/1/", "http://127.0.0.1:8080/photos/x/1/"},
        {"photos/x/1/", "http://127.0.0.1:8080/photos/x/1/"},
        {"/photos//x/1/", "http://127.0.0.1:8080/photos/x/1/"},
        {"https://other.example/p/1/", "https://other.example/p/1/"},
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(NormalizePhotoUrl(QString::fromUtf8(c.url)), QString::fromUtf8(c.normalized)) << c.url;

    TPageNumbering state;
    state.PageUrlTemplate = QStringLiteral("/photos/x/page[PAGE_NO]/");
    EXPECT_EQ(PageUrlForNumber(state, 12), QStringLiteral("http://127.0.0.1:8080/photos/x/page12/"));
    QString stored = QStringLiteral("/g/?a=1&amp;page=2");
    EXPECT_EQ(NavigablePageUrl(stored), QStringLiteral("http://127.0.0.1:8080/g/?a=1&page=2"));
    EXPECT_EQ(stored, QStringLiteral("/g/?a=1&page=2"));
    SetSiteHost(QString());
}

TEST(SiteHost, SettingAndNames)
{
    const struct
    {
        const char *given;
        const char *host, *name;
    } cases[] = {
        {"", "www.photosite.example", "photosite.example"},
        {" 127.0.0.1:8080 ", "127.0.0.1:8080", "127.0.0.1:8080"},
        {"http://www.example.test/", "www.example.test", "example.test"},
    };
    for (const auto &c : cases) {
        SetSiteHost(QString::fromUtf8(c.given));
        EXPECT_EQ(SiteHost(), QString::fromUtf8(c.host)) << c.given;
        EXPECT_EQ(SiteName(), QString::fromUtf8(c.name)) << c.given;
        EXPECT_EQ(SiteRoot(), QStringLiteral("http://") + QString::fromUtf8(c.host)) << c.given;
    }
    // Any other scheme is refused with the reason, never read as a host named "https".
    SetSiteHost(QStringLiteral("127.0.0.1:8080"));
    for (const char *given : {"https://127.0.0.1:8443", " HTTPS://www.example.test/", "ftp://host"}) {
        try {
            SetSiteHost(QString::fromUtf8(given));
            ADD_FAILURE() << given << " was taken as " << SiteRoot().toStdString();
        } catch (const EOrvix &e) {
            EXPECT_TRUE(e.message().contains(QStringLiteral("http:// only"))) << e.message().toStdString();
        }
        EXPECT_EQ(SiteRoot(), QStringLiteral("http://127.0.0.1:8080")) << given;
    }
    qputenv(SiteEnvironmentVariable, "localhost:9");
    EXPECT_TRUE(SetSiteHostFromEnvironment());
    EXPECT_EQ(SiteHost(), QStringLiteral("localhost:9"));
    SetCommandLineArgs({QStringLiteral("debug"), QStringLiteral("/site:127.0.0.1:8080")});
    ChooseSiteHost(); // the switch wins over the environment
    EXPECT_EQ(SiteHost(), QStringLiteral("127.0.0.1:8080"));
    qunsetenv(SiteEnvironmentVariable);
    EXPECT_FALSE(SetSiteHostFromEnvironment());
    SetCommandLineArgs({});
    SetSiteHost(QString());
}

} // namespace
} // namespace orvix
