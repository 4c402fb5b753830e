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
        QString lastUrl, address, source, html;
        bool parse;
    };
    const Step steps[] = {
        {"http://s/a/", "http://s/a/", "src1", "dom1", true},   // first report
        {"http://s/a/", "http://s/a/", "src1", "dom1b", false}, // same source, page rewritten by script
        {"http://s/a/", "http://s/a/", "src2", "dom2", true},   // the source changed
        {"http://s/b/", "http://s/b/", "src2", "dom2", true},   // another address, same texts
        // Search pages compare the serialisation, whatever the source says.
        {"http://s/search/?q=x", "http://s/SEARCH/?q=x", "s", "<DIV class=ResultsThumbsChild>a</DIV>", true},
        {"http://s/search/?q=x", "http://s/SEARCH/?q=x", "s", hover, false}, // hover only
        {"http://s/search/?q=x", "http://s/SEARCH/?q=x", "s", hover + "<DIV>b</DIV>", true},
        {"http://s/search/?q=x", "http://s/SEARCH/?q=x", "s2", hover + "<DIV>b</DIV>", false},
    };
    NewHtmlFilter filter;
    for (const Step &s : steps)
        EXPECT_EQ(filter.ShouldParse(s.lastUrl, s.address, s.source, s.html), s.parse)
            << s.lastUrl.toStdString() << " " << s.source.toStdString() << " " << s.html.toStdString();
    EXPECT_EQ(filter.LastUrl(), QStringLiteral("http://s/search/?q=x"));
}

TEST(NewHtmlFilter, GoParsesTheSamePageAgain)
{
    NewHtmlFilter filter;
    EXPECT_TRUE(filter.ShouldParse("http://s/a/", "http://s/a/", "src", "dom"));
    EXPECT_FALSE(filter.ShouldParse("http://s/a/", "http://s/a/", "src", "dom"));
    filter.ForgetLastHtml();
    EXPECT_TRUE(filter.ShouldParse("http://s/a/", "http://s/a/", "src", "dom"));
}

} // namespace
} // namespace orvix
