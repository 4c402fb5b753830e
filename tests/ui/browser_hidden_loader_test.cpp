// The hidden browser the page worker reads listing pages with.

#include "browser_fixture.h"

#include "pages/page_parser.h"
#include "test_support.h"
#include "browser/hidden_page_loader.h"

namespace orvix::test {
namespace {

using HiddenPageLoader = BrowserTest;

TEST_F(HiddenPageLoader, ReturnsTheThumbnailsAListingBuildsByScript)
{
    const photosite::ManifestListingPage &stream = listingPage(QStringLiteral("photostream"));
    const photosite::ManifestListingPage &set = listingPage(QStringLiteral("set"));
    ASSERT_TRUE(stream.scriptBuilt);
    THiddenPageLoader loader;
    IPageLoader &worker = loader;

    worker.Navigate3(set.url);
    ASSERT_TRUE(waitUntil([&] { return !worker.ReadDocument().isEmpty(); }, 20000));

    // Right after the next request, the previous page's text is not handed out as the new one's.
    worker.Navigate3(stream.url);
    EXPECT_EQ(worker.ReadDocument(), QString());
    QString text;
    ASSERT_TRUE(waitUntil(
        [&] {
            text = worker.ReadDocument();
            return text.contains(QStringLiteral("</body>"));
        },
        20000));

    TPageWorkerContext context;
    context.WorkerPageText = text;
    EXPECT_EQ(ParseWorkerMatrixPage(context), 5);
    QStringList targets;
    for (const QString &line : context.WorkerPageEntries)
        targets.append(line.section(QLatin1Char('|'), 0, 0));
    QStringList expected;
    for (const photosite::ExpectedEntry &e : stream.entries)
        expected.append(e.PhotoTargetUrl);
    EXPECT_EQ(targets, expected);
}

} // namespace
} // namespace orvix::test
