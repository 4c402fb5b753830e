#include "app/settings_file.h"
#include "app/settings_values.h"

#include "library/qt_print.h"

#include <gtest/gtest.h>

using namespace orvix;

namespace {

// Writes value under name the way a save does and reads it back the way a load does.
QString roundTrip(const QString &name, const QString &stored)
{
    QStringList lines{QStringLiteral("[other]"), QStringLiteral(">x")};
    SetSectionValue(lines, name, stored);
    lines.append(QStringLiteral("[after]"));
    lines.append(QStringLiteral("1"));
    // What reaches the disk is one text; read it back as lines.
    const QStringList reread = lines.join(QStringLiteral("\r\n")).split(QStringLiteral("\r\n"));
    return GetSectionValue(reread, name);
}

} // namespace

TEST(SettingsFile, SectionLookupRules)
{
    const QStringList lines{
        QStringLiteral("[a]"), QStringLiteral(""), QStringLiteral("  one  "), QStringLiteral(""),
        QStringLiteral("two"), QStringLiteral("   "),
        QStringLiteral("[A]"), QStringLiteral("upper"),
        QStringLiteral("[a] "), QStringLiteral("trailing blank is another header"),
        QStringLiteral("[a]"), QStringLiteral("second occurrence"),
        QStringLiteral("[empty]"),
        QStringLiteral("[last]"), QStringLiteral("end"),
    };
    // Blank lines dropped, the whole value trimmed, the first occurrence wins.
    EXPECT_EQ(GetSectionValue(lines, "a"), "one  \r\ntwo");
    EXPECT_EQ(GetSectionValue(lines, "A"), "upper");      // case matters
    EXPECT_EQ(GetSectionValue(lines, "empty"), "");
    EXPECT_TRUE(HasSection(lines, "empty"));
    EXPECT_EQ(GetSectionValue(lines, "missing"), "");
    EXPECT_FALSE(HasSection(lines, "missing"));
    EXPECT_EQ(GetSectionValue(lines, "last"), "end");
}

TEST(SettingsFile, SetSectionReplacesFirstOrAppends)
{
    QStringList lines{"[a]", "old1", "", "old2", "[b]", "keep", "[a]", "dup"};
    SetSectionValue(lines, "a", "new1\r\nnew2");
    EXPECT_EQ(lines, QStringList({"[a]", "new1", "new2", "[b]", "keep", "[a]", "dup"}));
    SetSectionValue(lines, "c", "3");
    EXPECT_EQ(lines.mid(7), QStringList({"[c]", "3"}));
    SetSectionValue(lines, "b", "");
    EXPECT_EQ(lines.mid(3, 2), QStringList({"[b]", "[a]"}));
}

TEST(SettingsFile, EscapedTextRoundTrips)
{
    struct Case {
        const char *value;
        const char *readBack;
    } cases[] = {
        {"plain", "plain"},
        {"[looks like a header]", "[looks like a header]"},
        {"first\r\n\r\n\r\nafter blanks\r\nlast", "first\r\n\r\n\r\nafter blanks\r\nlast"},
        {">quoted", ">quoted"},
        {"  padded  ", "padded"},          // outer blanks are not kept
        {"unix\nline ends", "unix\r\nline ends"},
        {"", ""},
        {"Été ✓", "Été ✓"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(Unescape(roundTrip("edX.Text", Escape(QString::fromUtf8(c.value)))),
                  QString::fromUtf8(c.readBack));
    }
    EXPECT_EQ(Unescape("386.00000"), "386.00000"); // bare values pass through
}

TEST(SettingsValues, ScalarKinds)
{
    EXPECT_EQ(FormatSpinValue(386), "386.00000");
    EXPECT_EQ(FormatSpinValue(0.1), "0.10000");
    EXPECT_DOUBLE_EQ(ParseSpinValue(Unescape(roundTrip("multiqueue_left.Value", "386.00000"))), 386);
    EXPECT_DOUBLE_EQ(ParseSpinValue("12.5"), 12.5);
    EXPECT_DOUBLE_EQ(ParseSpinValue("12,5"), 0);
    EXPECT_DOUBLE_EQ(ParseSpinValue("x"), 0);

    EXPECT_EQ(ParseItemIndex("2"), 2);
    EXPECT_EQ(ParseItemIndex(""), -1);
    EXPECT_EQ(ParseItemIndex("two"), -1);

    EXPECT_TRUE(ParseChecked("1"));
    for (const char *v : {"0", "", "true", "11", " 1"})
        EXPECT_FALSE(ParseChecked(v)) << v;
}

TEST(SettingsValues, ListViewEncodings)
{
    const QList<ListViewItem> items{
        {"http://h/photos/u/1/", {"A title", "2024-01-02 10:11:12"}, false, false},
        {"http://h/sets/7", {}, true, false},
    };
    const QString encoded = EncodeListView(items);
    EXPECT_EQ(encoded.split("\r\n").first(),
              "<checked>0<caption>http://h/photos/u/1/<FF>A title<FF>2024-01-02 10:11:12");
    EXPECT_EQ(DecodeListView(Unescape(roundTrip("lvFavorites.Items", Escape(encoded)))), items);

    // The older form: caption#checked#selected, sub-items as before.
    const auto older = DecodeListView("http://h/a#1#1<FF>t\r\n\r\nhttp://h/b#0");
    ASSERT_EQ(older.size(), 2);
    EXPECT_EQ(older[0], (ListViewItem{"http://h/a", {"t"}, true, true}));
    EXPECT_EQ(older[1], (ListViewItem{"http://h/b", {}, false, false}));
}
