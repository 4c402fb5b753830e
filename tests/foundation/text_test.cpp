#include "foundation/errors.h"
#include "foundation/text.h"

#include <gtest/gtest.h>

using namespace orvix;

namespace {

struct CutCase {
    const char *s;
    const char *marker;
    const char *after, *from, *upTo, *before;
};

} // namespace

TEST(TextCuts, MarkerCutsTable)
{
    const CutCase cases[] = {
        {"abc", "x", "abc", "abc", "abc", "abc"},     // absent marker keeps the text
        {"abc", "", "abc", "abc", "abc", "abc"},      // empty marker too
        {"a=b=c", "=", "b=c", "=b=c", "a=", "a"},
        {"=abc", "=", "abc", "=abc", "=", ""},        // marker at position 1
        {"abc=", "=", "", "=", "abc=", "abc"},        // marker at the end
        {"", "=", "", "", "", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.s) + " / " + c.marker);
        const QString s = QString::fromUtf8(c.s), m = QString::fromUtf8(c.marker);
        EXPECT_EQ(TextAfter(s, m), QString::fromUtf8(c.after));
        EXPECT_EQ(TextFrom(s, m), QString::fromUtf8(c.from));
        EXPECT_EQ(TextUpTo(s, m), QString::fromUtf8(c.upTo));
        EXPECT_EQ(TextBefore(s, m), QString::fromUtf8(c.before));
        EXPECT_EQ(TextAfterView(s, m), QString::fromUtf8(c.after));
        EXPECT_EQ(TextBeforeView(s, m), QString::fromUtf8(c.before));
    }
}

TEST(TextBasics, PositionsAndCopies)
{
    EXPECT_EQ(TextPos(u"abcabc", u"c"), 3);
    EXPECT_EQ(TextPos(u"abc", u""), 0);
    EXPECT_EQ(TextPos(u"", u"a"), 0);
    EXPECT_EQ(TextPos(u"abcabc", u"c", 4), 6);
    EXPECT_EQ(TextLastPos(u"a.b.c", u"."), 4);
    EXPECT_EQ(TextLastPos(u"aaa", u"aa"), 2);
    EXPECT_EQ(TextCopy(u"abcdef", 0, 3), u"abc");
    EXPECT_EQ(TextCopy(u"abc", 2, 1000), u"bc");
    EXPECT_EQ(TextCopy(u"abc", 4, 1), u"");
    EXPECT_EQ(TextCopy(u"abc", 1, 0), u"");
    EXPECT_EQ(TextDelete(u"abc", 0, 1), u"abc");
    EXPECT_EQ(TextDelete(u"abc", 2, 100), u"a");
    EXPECT_EQ(TextDelete(u"abc", 2, 1), u"ac");
    EXPECT_EQ(TextInsert(u"abc", u"X", 0), u"Xabc");
    EXPECT_EQ(TextInsert(u"abc", u"X", 3), u"abXc");
    EXPECT_EQ(TextInsert(u"abc", u"X", 9), u"abcX");
    EXPECT_EQ(TextTrim(u"\t a b \r\n"), u"a b");
    EXPECT_EQ(TextTrim(u" \x01 "), u"");
    EXPECT_EQ(TextLower(u"ÀB"), u"Àb");
    EXPECT_EQ(TextUpper(u"àb"), u"àB");
    EXPECT_EQ(TextReverse(u"abc"), u"cba");
}

TEST(TextBasics, IntegerConversion)
{
    EXPECT_EQ(TextToInt(u"42"), 42);
    EXPECT_EQ(TextToInt(u"-7"), -7);
    EXPECT_EQ(TextToInt(u"$1F"), 31);
    EXPECT_EQ(TextToInt64(u"9000000000"), 9000000000LL);
    EXPECT_EQ(TextToInt(u"-2147483648"), INT32_MIN);
    for (const char16_t *bad : {u"", u"abc", u"12a", u"2147483648", u"-", u"1 "})
        EXPECT_THROW(TextToInt(bad), EConvertError) << QString::fromUtf16(bad).toStdString();
    EXPECT_EQ(TextToIntDef(u"x", 5), 5);
}

TEST(TextTests, ContainsStartsEnds)
{
    EXPECT_FALSE(TextContains(u"abc", u""));
    EXPECT_FALSE(TextStartsWith(u"abc", u""));
    EXPECT_FALSE(TextEndsWith(u"abc", u""));
    EXPECT_TRUE(TextContainsNoCase(u"ABC", u"b"));
    EXPECT_FALSE(TextContainsNoCase(u"À", u"à")); // only ASCII letters fold
    EXPECT_TRUE(TextStartsWith(u"abc", u"ab"));
    EXPECT_TRUE(TextEndsWith(u"abc", u"bc"));
    EXPECT_FALSE(TextEndsWith(u"c", u"bc"));
    EXPECT_TRUE(TextNotContains(u"abc", u"x"));
}

TEST(TextReplace, AllOccurrencesWithoutRescan)
{
    EXPECT_EQ(TextReplaceAll(u"aaa", u"aa", u"b"), u"ba");
    EXPECT_EQ(TextReplaceAll(u"abab", u"a", u"aa"), u"aabaab");
    EXPECT_EQ(TextReplaceAll(u"a-b-c", u"-", u""), u"abc");
    EXPECT_EQ(TextReplaceAllNoCase(u"Été été", u"éTÉ", u"x"), u"x x");
    EXPECT_EQ(TextRemoveSuffix(u" dir/ ", u"/"), u"dir");
    EXPECT_EQ(TextRemoveSuffix(u"dir", u"/"), u"dir");
    EXPECT_EQ(TextRemoveSuffix(u"a//", u"/"), u"a/");
    EXPECT_EQ(TextRemoveSuffix(u"   ", u"/"), u"");
}

TEST(TextSplitting, ItemsAndSeparators)
{
    struct Case {
        const char16_t *s, *sep;
        bool trim;
        QStringList expected;
    };
    const Case cases[] = {
        {u"", u",", false, {}},
        {u",", u",", false, {u""_qs, u""_qs}},
        {u"a,,b", u",", false, {u"a"_qs, u""_qs, u"b"_qs}},
        {u"a|b||c|", u"|", false, {u"a"_qs, u"b"_qs, u""_qs, u"c"_qs, u""_qs}},
        {u" a | b ", u"|", true, {u"a"_qs, u"b"_qs}},
        {u"abc", u"|", false, {u"abc"_qs}},
        {u"a<>b<", u"<>", false, {u"a"_qs, u"b<"_qs}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(TextSplit(c.s, c.sep, c.trim), c.expected) << QString::fromUtf16(c.s).toStdString();
    EXPECT_EQ(TextFilterContaining({u"ab"_qs, u"cd"_qs, u"xb"_qs}, u"b"), QStringList({u"ab"_qs, u"xb"_qs}));
}

TEST(TextFormatting, BracesAreFilledInOrder)
{
    EXPECT_EQ(TextFormatBraces(u"{0} of {1}", {u"3"_qs, u"7"_qs}), u"3 of 7");
    EXPECT_EQ(TextFormatBraces(u"{0}-{5}", {u"a{1}"_qs, u"b"_qs}), u"ab-{5}");
    EXPECT_EQ(TextFormatBraces(u"n={0}", 12), u"n=12");
}

TEST(TextBytes, ByteVariants)
{
    QByteArray b("hello world");
    EXPECT_EQ(ByteLength(b), 11);
    EXPECT_EQ(BytePos(b, "world"), 7);
    EXPECT_EQ(ByteDelete(b, 6, 6), QByteArray("hello"));
    EXPECT_TRUE(ByteStartsWith(QByteArray("\xEF\xBB\xBFx"), QByteArray("\xEF\xBB\xBF")));
    ByteSetLength(b, 5);
    EXPECT_EQ(b, QByteArray("hello"));
}
