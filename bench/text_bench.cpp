// The text helpers against the plain QString operations they wrap, on a page-sized text.
// Each pair runs on the same 1 MB text; text_bench.sh prints helper / plain for each pair.

#include "foundation/text.h"

#include <QString>
#include <benchmark/benchmark.h>

namespace {

// About 1 MB of page-like text: lines of thumbnail markup with one rare marker at the end.
const QString &page()
{
    static const QString text = [] {
        QString s;
        const QString line = QStringLiteral(
            "<div class=\"thumb\"><a href=\"/photos/someone/%1/\" title=\"Picture %1\">"
            "<img src=\"https://img.example/%1_abcdef_m.jpg\" width=\"240\"></a></div>\r\n");
        for (int i = 0; s.size() < 1024 * 1024 / 2; ++i)
            s += line.arg(i);
        s += QStringLiteral("<span id=\"last-marker\">end</span>\r\n");
        return s;
    }();
    return text;
}

const QString kRare = QStringLiteral("id=\"last-marker\"");
const QString kLineEnd = QStringLiteral("\r\n");
const QString kOld = QStringLiteral("_abcdef_m.jpg");
const QString kNew = QStringLiteral("_abcdef_b.jpg");

void TextPosHelper(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(orvix::TextPos(page(), kRare));
}

void TextPosPlain(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(QStringView(page()).indexOf(kRare));
}

void TextSplitHelper(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(orvix::TextSplit(page(), kLineEnd));
}

void TextSplitPlain(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(page().split(kLineEnd));
}

void TextReplaceAllHelper(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(orvix::TextReplaceAll(page(), kOld, kNew));
}

void TextReplaceAllPlain(benchmark::State &state)
{
    for (auto _ : state) {
        QString copy = page();
        benchmark::DoNotOptimize(copy.replace(kOld, kNew));
    }
}

} // namespace

BENCHMARK(TextPosHelper);
BENCHMARK(TextPosPlain);
BENCHMARK(TextSplitHelper);
BENCHMARK(TextSplitPlain);
BENCHMARK(TextReplaceAllHelper);
BENCHMARK(TextReplaceAllPlain);

BENCHMARK_MAIN();
