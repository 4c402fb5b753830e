// The window's repeat filter on its own: which reports of the browser count as new content.

#include "ui/new_html_filter.h"

#include <gtest/gtest.h>

namespace orvix {
namespace {

TEST(NewHtmlFilter, ParsesEachContentOnce)
{
    const QString hover = QStringLiteral("<DIV class=\"ResultsThumbsChild ResultsThumbsChild_hover\">a</DIV>");
    struct Step
    {
        QString lastUrl, html;
        bool parse;
    };
    const Step steps[] = {
        {"http://s/a/", "<div id=setThumbs></div>", true},                 // first report, half loaded
        {"http://s/a/", "<div id=setThumbs></div>", false},                // the same again
        {"http://s/a/", "<div id=setThumbs><a>1</a></div>", true},         // complete, or appended by script
        {"http://s/b/", "<div id=setThumbs><a>1</a></div>", true},         // another address, same text
        {"http://s/search/?q=x", "<DIV class=ResultsThumbsChild>a</DIV>", true},
        {"http://s/search/?q=x", hover, false},                            // hover only
        {"http://s/search/?q=x", hover + "<DIV>b</DIV>", true},            // more results
        {"http://s/search/?q=x", "<DIV class=ResultsThumbsChild>a</DIV><DIV>b</DIV>", false}, // hover gone
    };
    NewHtmlFilter filter;
    for (const Step &s : steps)
        EXPECT_EQ(filter.ShouldParse(s.lastUrl, s.html), s.parse) << s.lastUrl.toStdString() << " " << s.html.toStdString();
    EXPECT_EQ(filter.LastUrl(), QStringLiteral("http://s/search/?q=x"));
}

TEST(NewHtmlFilter, GoParsesTheSamePageAgain)
{
    NewHtmlFilter filter;
    EXPECT_TRUE(filter.ShouldParse("http://s/a/", "dom"));
    EXPECT_FALSE(filter.ShouldParse("http://s/a/", "dom"));
    filter.ForgetLastHtml();
    EXPECT_TRUE(filter.ShouldParse("http://s/a/", "dom"));
}

} // namespace
} // namespace orvix
