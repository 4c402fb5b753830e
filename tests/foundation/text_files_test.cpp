#include "foundation_fixture.h"

#include "foundation/errors.h"
#include "foundation/text_files.h"

#include <QDir>
#include <functional>

using namespace orvix;

class TextFiles : public orvix::test::SandboxTest {};

TEST_F(TextFiles, WritesMarkAndCrLfAndReadsBack)
{
    WriteTextToNewFile(path("new/t.txt"), "a\nb\r\nÉ");
    EXPECT_EQ(readBytes(path("new/t.txt")), QByteArray("\xEF\xBB\xBF") + "a\r\nb\r\nÉ\r\n");
    EXPECT_EQ(ReadTextFile(path("new/t.txt")), "a\r\nb\r\nÉ");
    EXPECT_EQ(LoadTextList(path("new/t.txt")), QStringList({"a", "b", "É"}));
    EXPECT_TRUE(LoadTextList(path("none.txt")).isEmpty());
    EXPECT_THROW(ReadTextFile(path("none.txt")), EFileError);

    WriteToNewFile_5x(path("new/t.txt"), "replaced");
    EXPECT_EQ(ReadFromFile_s_5x(path("new/t.txt")), "replaced");
    EXPECT_EQ(ReadFromFile_sl_5x(path("new/t.txt")), QStringList{"replaced"});
}

TEST_F(TextFiles, AppendsCreateTheFileWithOneMarkAndStartLinesOnTheirOwn)
{
    AppendTextUtf8(path("a/app.txt"), "x");
    AppendToFile_5x(path("a/app.txt"), "y");
    // A line never continues a last line that lacks its end (two records would become one).
    AppendLineUtf8(path("a/app.txt"), "é");
    AppendToFileLn_5x(path("a/app.txt"), "z");
    AppendTextUtf8(path("a/app.txt"), "w");
    AppendTextUtf8(path("a/app.txt"), "r|e|c\r\n");
    EXPECT_EQ(readBytes(path("a/app.txt")), QByteArray("\xEF\xBB\xBF") + "xy\r\né\r\nz\r\nw\r\nr|e|c\r\n");

    // A file cut after its mark, or holding a whole last line, gets no empty line.
    writeBytes(path("b.txt"), "\xEF\xBB\xBF");
    AppendLineUtf8(path("b.txt"), "1");
    writeBytes(path("c.txt"), "\xEF\xBB\xBF" "0\n");
    AppendLineUtf8(path("c.txt"), "1");
    EXPECT_EQ(readBytes(path("b.txt")), QByteArray("\xEF\xBB\xBF" "1\r\n"));
    EXPECT_EQ(readBytes(path("c.txt")), QByteArray("\xEF\xBB\xBF" "0\n1\r\n"));
}

TEST_F(TextFiles, RetryingFormsNameThemselvesWhenTheyGiveUp)
{
    writeBytes(path("file"), "x");
    QDir().mkdir(path("dir"));
    const QString underFile = path("file/t.txt");
    struct Case {
        const char *name;
        QString target;
        std::function<void(const QString &)> call;
    };
    const Case cases[] = {
        {"ReadFromFile_s_5x", path("missing.txt"), [](const QString &f) { ReadFromFile_s_5x(f); }},
        {"WriteToNewFile_5x", path("dir"), [](const QString &f) { WriteToNewFile_5x(f, "t"); }},
        {"AppendToFile_5x", underFile, [](const QString &f) { AppendToFile_5x(f, "t"); }},
        {"AppendToFileLn_5x", underFile, [](const QString &f) { AppendToFileLn_5x(f, "t"); }},
    };
    for (const Case &c : cases) {
        try {
            c.call(c.target);
            ADD_FAILURE() << c.name << " did not fail";
        } catch (const EFileError &e) {
            EXPECT_EQ(e.message(), QString(c.name) + " failed: " + c.target);
        }
    }
    AppendLineUtf8(underFile, "lost quietly");
    EXPECT_TRUE(QDir(path("dir")).isEmpty());
}
