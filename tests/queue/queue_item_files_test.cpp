#include "queue_fixture.h"

#include "queue/queue_item_files.h"

using namespace orvix;
using namespace orvix::test;

namespace {

// Addresses without a final "/": the one of picture 1 is a part of those of pictures 10 to 14.
QString pageUrl(int id)
{
    return QStringLiteral("http://h/photos/u/%1").arg(id);
}
QString pageLine(int id)
{
    return pageUrl(id) + QStringLiteral("|id:1|2||/pics/");
}
QString mediaLine(int id)
{
    return QStringLiteral("http://img/%1|%1_s title||%2|/pics/").arg(id).arg(pageUrl(id));
}
const int kIds[] = {10, 11, 12, 13, 14, 1};

// With the index, with the plain scan, and for files an earlier run wrote (not in the index).
enum class Lookup { Index, Scan, EarlierRun };

class ItemFileKeys : public QueueSandbox, public ::testing::WithParamInterface<Lookup>
{
protected:
    SessionFolders folders() const { return {QStringLiteral("orvixsession_1"), q1(), q2()}; }

    std::unique_ptr<QueueItemFiles> writeAll()
    {
        auto files = std::make_unique<QueueItemFiles>(folders());
        for (int id : kIds) {
            files->WriteItemFile(QueueKind::Page, kPageItemSuffix, pageLine(id));
            files->WriteItemFile(QueueKind::Media, kMediaItemSuffix, mediaLine(id));
        }
        if (GetParam() == Lookup::Scan)
            files->setIndexEnabled(false);
        if (GetParam() == Lookup::EarlierRun)
            return std::make_unique<QueueItemFiles>(folders());
        return files;
    }
    QStringList contents(const QString &folder) const
    {
        QStringList out;
        for (const QString &name : namesIn(folder))
            out.append(QString::fromUtf8(readBytes(folder + name).mid(3)).trimmed());
        out.sort();
        return out;
    }
    static QStringList allBut(QString (*line)(int), int gone)
    {
        QStringList out;
        for (int id : kIds)
            if (id != gone)
                out.append(line(id));
        out.sort();
        return out;
    }
};

} // namespace

// A URL that is the beginning of other URLs must not take one of their files: the file found
// is one whose line has the key as a whole field.
TEST_P(ItemFileKeys, EachKeyDeletesItsOwnLinesFile)
{
    struct Case
    {
        QueueKind queue;
        QString key;
        int gone;
    };
    const Case cases[] = {
        {QueueKind::Page, pageLine(1), 1},                       // a finished page line
        {QueueKind::Page, pageUrl(1), 1},                        // the remove command, a dropped page
        {QueueKind::Page, pageUrl(12), 12},
        {QueueKind::Media, pageUrl(1), 1},                       // a finished media line
        {QueueKind::Media, QStringLiteral("http://img/1"), 1},   // the remove command
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.key.toStdString());
        auto files = writeAll();
        EXPECT_TRUE(files->DeleteQueueItemFile(c.queue, c.key));
        if (c.queue == QueueKind::Page)
            EXPECT_EQ(contents(q2()), allBut(pageLine, c.gone));
        else
            EXPECT_EQ(contents(q1()), allBut(mediaLine, c.gone));
        EXPECT_FALSE(files->DeleteQueueItemFile(QueueKind::Media, QStringLiteral("http://nowhere/")));
        EXPECT_FALSE(files->DeleteQueueItemFile(QueueKind::Page, QString())); // matches nothing
        files->DeleteSessionQueueFiles();
    }
}

// A key that is no whole field still finds a line containing it.
TEST_P(ItemFileKeys, APartialKeyFindsALineContainingIt)
{
    auto files = writeAll();
    EXPECT_TRUE(files->DeleteQueueItemFile(QueueKind::Page, QStringLiteral("photos/u/13|")));
    EXPECT_EQ(contents(q2()), allBut(pageLine, 13));
}

std::string lookupName(const ::testing::TestParamInfo<Lookup> &info)
{
    const char *names[] = {"Index", "Scan", "EarlierRun"};
    return names[int(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Lookups, ItemFileKeys, ::testing::Values(Lookup::Index, Lookup::Scan, Lookup::EarlierRun),
                         lookupName);

TEST_F(QueueSandbox, DeleteSessionQueueFilesLeavesOtherSessionsAlone)
{
    writeBytes(q1() + "orvixsession_2_1.txt", itemBytes(mediaLine(1)));
    writeBytes(q2() + "orvixsession_10_q2.txt", itemBytes(pageLine(1)));
    QueueItemFiles files({QStringLiteral("orvixsession_1"), q1(), q2()});
    files.WriteItemFile(QueueKind::Media, kMediaItemSuffix, mediaLine(1));
    files.WriteItemFile(QueueKind::Media, kResumedMediaItemSuffix, mediaLine(12));
    files.WriteItemFile(QueueKind::Page, kPageItemSuffix, pageLine(1));
    EXPECT_EQ(namesIn(q1()), QStringList({"orvixsession_1_1.txt", "orvixsession_1_q1.txt", "orvixsession_2_1.txt"}));

    files.DeleteSessionQueueFiles();
    EXPECT_EQ(namesIn(q1()), QStringList({"orvixsession_2_1.txt"}));
    EXPECT_EQ(namesIn(q2()), QStringList({"orvixsession_10_q2.txt"}));
    // Names start over afterwards.
    files.WriteItemFile(QueueKind::Page, kPageItemSuffix, pageLine(1));
    EXPECT_EQ(namesIn(q2()), QStringList({"orvixsession_10_q2.txt", "orvixsession_1_q2.txt"}));
}
