#include "listing_range.h"

#include "cli_browser.h"
#include "cli_command.h"

#include "engine/page_loader.h"
#include "engine/worker_thread.h"
#include "foundation/text.h"
#include "pages/page_numbering.h"
#include "pages/parse_reports.h"
#include "queue/queue_line.h"

#include <QEventLoop>
#include <QRegularExpression>
#include <QTimer>

namespace orvix::cli {

namespace {

constexpr int kReadAttempts = 5;

// The page's text once it has loaded and run its scripts, as the page worker reads it.
QString readListing(IPageLoader &loader, const QString &url, const WorkerTiming &timing)
{
    loader.Navigate3(url);
    QString text;
    for (int attempt = 1; attempt <= kReadAttempts; ++attempt) {
        QEventLoop wait;
        QTimer::singleShot(timing.browserWaitMs, &wait, &QEventLoop::quit);
        wait.exec();
        text = loader.ReadDocument();
        if (TextContainsNoCase(text, u"/body"))
            break;
    }
    return text;
}

} // namespace

bool ParsePageRange(const QString &text, TPageRange &range)
{
    if (text == QLatin1String("all")) {
        range.all = true;
        return true;
    }
    static const QRegularExpression pattern(QStringLiteral("^([0-9]{1,6})-([0-9]{1,6})$"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch())
        return false;
    range.all = false;
    range.first = m.captured(1).toInt();
    range.last = m.captured(2).toInt();
    return range.first >= 1 && range.first <= range.last;
}

QStringList ListingPageUrls(const QString &url, const TPageRange &range, const WorkerTiming &timing, TCliIo &io)
{
    IPageLoader *loader = CliPageLoader();
    if (!loader)
        return {url};
    const QString text = readListing(*loader, url, timing);
    TPageNumbering numbering;
    TLogParseReports reports;
    CreatePageNextPrev(text, url, url, numbering, reports);
    const int first = range.all ? 1 : range.first;
    const int last = range.all ? numbering.LastPageNo : range.last;
    if (numbering.PageUrlTemplate.isEmpty() || last < first) {
        io.err << "orvix-cli get: no page numbers on " << url << ": it is queued alone\n";
        return {url};
    }
    QStringList urls;
    for (int n = first; n <= last; ++n)
        urls << MakeSiteUrlAbsolute(PageUrlForNumber(numbering, n));
    return urls;
}

} // namespace orvix::cli
