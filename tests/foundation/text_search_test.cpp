#include "foundation/text_search.h"

#include <QRandomGenerator>
#include <QString>
#include <gtest/gtest.h>

namespace orvix {
namespace {

// The vectorised search must agree with the general one everywhere: at block edges, near the
// end, with overlapping and repeated candidates.
TEST(FindText, AgreesWithIndexOf)
{
    QRandomGenerator rng(20240611);
    const char16_t alphabet[] = u"<a/>\"=b é";
    const int letters = int(std::size(alphabet)) - 1;
    for (int round = 0; round < 3000; ++round) {
        QString hay;
        const int h = rng.bounded(0, 70);
        for (int i = 0; i < h; ++i)
            hay += QChar(alphabet[rng.bounded(letters)]);
        QString needle;
        const int n = rng.bounded(1, 6);
        if (h > 0 && rng.bounded(2)) {
            needle = hay.mid(rng.bounded(h), n); // often present
        } else {
            for (int i = 0; i < n; ++i)
                needle += QChar(alphabet[rng.bounded(letters)]);
        }
        const qsizetype from = rng.bounded(0, h + 2);
        ASSERT_EQ(FindText(hay, needle, from), QStringView(hay).indexOf(needle, from))
            << hay.toStdString() << " / " << needle.toStdString() << " from " << from;
    }
}

TEST(FindText, EdgesAndCuts)
{
    EXPECT_EQ(FindText(u"abc", u""), -1);
    EXPECT_EQ(FindText(u"", u"a"), -1);
    EXPECT_EQ(FindText(u"abc", u"abcd"), -1);
    EXPECT_EQ(FindText(u"abc", u"c", -5), 2);
    const QString page = QString(40, u'x') + QStringLiteral("</a>") + QString(3, u'y');
    EXPECT_EQ(FindText(page, u"</a>"), 40);
    EXPECT_EQ(FindText(page, u"</a>", 41), -1);
}

} // namespace
} // namespace orvix
