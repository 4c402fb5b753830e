// Classification and extraction of generated 500-picture listings in every layout, against one
// full indexOf scan of the same text (the reference). bench/pages_bench.sh runs it and prints
// the medians and ratios.
#include "pages/page_mode.h"
#include "pages/page_parser.h"
#include "pages/parse_reports.h"

#include <QString>
#include <benchmark/benchmark.h>

using namespace orvix;

namespace {

constexpr int kPictures = 500;

enum class Layout { Set, Paragraphs, Pool, ContainerPool, ListData, Containers, Search };

class CountingReports : public IParseReports
{
public:
    void alert(const QString &) override { ++count; }
    void infoBox(const QString &) override { ++count; }
    void message(const QString &) override { ++count; }
    int count = 0;
};

QString thumb(int i, char size)
{
    return QStringLiteral("http://farm%1.static.photosite.example/%2/%3_%4_%5.jpg")
        .arg(i % 9 + 1).arg(1000 + i % 97).arg(5000000 + i).arg(0xabc000 + i * 7, 0, 16).arg(QChar(size));
}

QString target(int i, const QString &context)
{
    return QStringLiteral("/photos/owner%1/%2/%3").arg(i % 17).arg(5000000 + i).arg(context);
}

// Markup around each picture that the parsers must skip, as a real listing has.
QString filler(int i)
{
    return QStringLiteral(
               "<div class=\"meta\" data-views=\"%1\" data-faves=\"%2\"><span class=\"by\">by "
               "<a class=\"owner\" href=\"/people/owner%3/\">Owner number %3</a></span>"
               "<span class=\"stats\">%1 views, %2 faves, %4 comments</span>"
               "<ul class=\"tags\"><li><a href=\"/photos/tags/sea/\">sea</a></li><li><a "
               "href=\"/photos/tags/light%5/\">light %5</a></li><li><a href=\"/photos/tags/walk/\">"
               "walk</a></li></ul><p class=\"desc\">Taken on a long walk along the shore in the "
               "early light; the tide was out and the sand still wet, number %6 of the series.</p>"
               "</div>\n")
        .arg(i * 13).arg(i % 41).arg(i % 17).arg(i % 5).arg(i % 11).arg(i);
}

QString paginator(bool legacy)
{
    if (legacy)
        return QStringLiteral(
            "<DIV class=Paginator><SPAN class=this-page>1</SPAN> <A href=\"/search/?q=sea&amp;page=2\">2"
            "</A> <A class=Next href=\"/search/?q=sea&amp;page=2\">next</A> </DIV>\n");
    return QStringLiteral(
        "<div class=\"Paginator\"><a href=\"/photos/x/page1/\" class=\"Prev\">prev</a>"
        "<a href=\"/photos/x/page1/\">1</a><span class=\"this-page\">2</span>"
        "<a href=\"/photos/x/page3/\">3</a><a href=\"/photos/x/page40/\">40</a>"
        "<a href=\"/photos/x/page3/\" class=\"Next\">next</a></div>\n");
}

QString listData(int rows)
{
    QString s = QStringLiteral("<script>Y.listData = {\"page\":2,\"rows\":[");
    for (int i = 0; i < rows; ++i)
        s += QStringLiteral("{\"name\":\"Shore walk %1\",\"photo_url\":\"%2\",\"url\":\"%3\",\"id\":\"%4\"},")
                 .arg(i)
                 .arg(QString(target(i, QString())).replace(u'/', QStringLiteral("\\/")))
                 .arg(QString(thumb(i, 'm')).replace(u'/', QStringLiteral("\\/")))
                 .arg(5000000 + i);
    return s + QStringLiteral("]};</script>\n");
}

QString makePage(Layout layout)
{
    QString s = QStringLiteral("<!DOCTYPE html>\n<html><head><title>A listing</title></head><body>\n");
    switch (layout) {
    case Layout::Set:
        s += QStringLiteral("<div id=\"setThumbs\" class=\"vsThumbs\">\n");
        for (int i = 0; i < kPictures; ++i)
            s += QStringLiteral("<a href=\"%1\" title=\"Shore walk %2\" class=\"image_link\"><img src=\"%3\" "
                                "alt=\"Shore walk %2\" width=\"75\" height=\"75\" /></a>\n")
                     .arg(target(i, QStringLiteral("in/set-72157600/")), QString::number(i), thumb(i, 's'))
                + filler(i);
        s += QStringLiteral("</div>\n<div id=\"vsPagination\">") + paginator(false) + QStringLiteral("</div>\n");
        break;
    case Layout::Paragraphs:
    case Layout::Pool:
    case Layout::ContainerPool:
        if (layout == Layout::Pool)
            s += QStringLiteral("<div class=\"HoldPhotos\">\n");
        if (layout == Layout::ContainerPool)
            s += QStringLiteral("<span class=\"photo_container pc_m\"><a href=\"/photos/a/1/\"><img "
                                "src=\"x_m.jpg\" alt=\"Featured\"></a></span>\n");
        for (int i = 0; i < kPictures; ++i) {
            const QString open = layout == Layout::Paragraphs ? QStringLiteral("<p class=\"Photo\">")
                                                              : QStringLiteral("<p id=\"pool_%1\">").arg(i);
            s += open
                + QStringLiteral("<a data-track=\"photo-click\" href=\"%1\"><img src=\"%2\" alt=\"Shore walk %3\" "
                                 "width=\"100\" /></a></p>\n")
                      .arg(target(i, QString()), thumb(i, 't'), QString::number(i))
                + filler(i);
        }
        s += QStringLiteral("</div>\n") + paginator(false);
        break;
    case Layout::ListData:
    case Layout::Containers:
        for (int i = 0; i < kPictures; ++i) {
            const bool deferred = layout == Layout::Containers && i % 2;
            const QString img = deferred ? QStringLiteral("<img src=\"/images/spaceball.gif\" data-defer-src=\"%1\"")
                                               .arg(thumb(i, 'm'))
                                         : QStringLiteral("<img src=\"%1\"").arg(thumb(i, 'm'));
            s += QStringLiteral("<span class=\"photo_container pc_m\"><a href=\"%1\" title=\"Shore walk %2\">%3 "
                                "alt=\"Shore walk %2\" class=\"pc_img\" /></a></span>\n")
                     .arg(target(i, QString()), QString::number(i), img)
                + filler(i);
        }
        s += paginator(false) + listData(layout == Layout::ListData ? kPictures : 1);
        break;
    case Layout::Search:
        s = QStringLiteral("<HTML><HEAD><TITLE>Search</TITLE></HEAD><BODY>\n"
                           "<DIV id=ResultsThumbsDiv class=ResultsThumbs>\n");
        for (int i = 0; i < kPictures; ++i)
            s += QStringLiteral("<DIV %1class=ResultsThumbsChild><A href=\"%2\"><IMG src=\"%3\" alt=\"Shore walk %4\" "
                                "width=75 height=75></A></DIV>\n")
                     .arg(i % 3 ? QString() : QStringLiteral("style=\"DISPLAY: block\" "), target(i, QString()),
                          thumb(i, 't'), QString::number(i))
                + filler(i).toUpper();
        s += QStringLiteral("</DIV>\n") + paginator(true);
        break;
    }
    return s + QStringLiteral("</body></html>\n");
}

void BM_Parse(benchmark::State &state, Layout layout)
{
    CountingReports reports;
    TPageWorkerContext ctx;
    ctx.Reports = &reports;
    ctx.WorkerPageText = makePage(layout);
    for (auto _ : state) {
        const int mode = ParseWorkerMatrixPage(ctx);
        benchmark::DoNotOptimize(mode);
    }
    if (ctx.WorkerPageEntries.size() != kPictures || reports.count)
        state.SkipWithError("the listing was not read whole");
    state.counters["entries"] = double(ctx.WorkerPageEntries.size());
    state.counters["kB"] = double(ctx.WorkerPageText.size()) / 1000.0;
}

// The reference: one scan of the whole text for a marker it does not hold, as classification
// does for every marker a listing lacks.
void BM_Scan(benchmark::State &state, Layout layout)
{
    const QString page = makePage(layout);
    for (auto _ : state) {
        const qsizetype at = QStringView(page).indexOf(u"page_photo_id");
        benchmark::DoNotOptimize(at);
    }
    state.counters["kB"] = double(page.size()) / 1000.0;
}

} // namespace

#define LAYOUT_BENCH(name, layout)                                                                 \
    BENCHMARK_CAPTURE(BM_Parse, name, layout)->Unit(benchmark::kMicrosecond);                      \
    BENCHMARK_CAPTURE(BM_Scan, name, layout)->Unit(benchmark::kMicrosecond);

LAYOUT_BENCH(set, Layout::Set)
LAYOUT_BENCH(paragraphs, Layout::Paragraphs)
LAYOUT_BENCH(pool, Layout::Pool)
LAYOUT_BENCH(container_pool, Layout::ContainerPool)
LAYOUT_BENCH(list_data, Layout::ListData)
LAYOUT_BENCH(containers, Layout::Containers)
LAYOUT_BENCH(search, Layout::Search)

BENCHMARK_MAIN();
