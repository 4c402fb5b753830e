// The update check's reading of replies and its handling of the downloaded installer.
#include "services/update_check.h"

#include "app/maker_host.h"
#include "foundation/errors.h"
#include "makerservice/maker_service.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orvix;
using namespace orvix::makerservice;

TEST(UpdateReply, StatusByBuild)
{
    struct Case { const char *latest; TUpdateStatus status; const char *text; };
    const Case cases[] = {
        {"1.3.0 build:151", TUpdateStatus::NewVersion, "New version available"},
        {"1.2.0 build:150", TUpdateStatus::Latest, "You already have the latest version"},
        {"1.2.0 build: 149 ", TUpdateStatus::PreRelease, "You are using a special pre-release version"},
        {"1.3.0", TUpdateStatus::PreRelease, "You are using a special pre-release version"},
        {"1.3.0 build:next", TUpdateStatus::PreRelease, "You are using a special pre-release version"},
    };
    for (const Case &c : cases) {
        const TUpdateStatus s = CompareBuilds(QStringLiteral("1.2.0 build:150"), QString::fromLatin1(c.latest));
        EXPECT_EQ(s, c.status) << c.latest;
        EXPECT_EQ(UpdateStatusText(s), QString::fromLatin1(c.text)) << c.latest;
    }
}

TEST(UpdateReply, SectionsSizesAndAddresses)
{
    struct SizeCase { const char *section; const char *text; };
    const SizeCase sizes[] = {{"1,572,864", "1.50 MB"}, {"524288", "512 KB"}, {"about 2 MB", "0 KB"},
                              {"", "0 KB"}, {"1048575", "1,024 KB"}, {"3,221,225,472", "3,072.00 MB"}};
    for (const SizeCase &c : sizes)
        EXPECT_EQ(UpdateSizeText(ParseUpdateSize(QString::fromLatin1(c.section))),
                  QString::fromLatin1(c.text)) << c.section;
    EXPECT_EQ(ParseUpdateSize(QStringLiteral("none")), -1);

    const TUpdateReply r = ParseUpdateReply(QStringLiteral(
        "[latest version]\r\n1.3.0 build:151\r\n[size]\r\n1,572,864\r\n[url]\r\nhttp://h/files/setup.bin\r\nhttp://h/other\r\n"
        "[release notes]\r\nFaster.\r\n\r\nFewer faults.\r\n"));
    EXPECT_TRUE(r.usable);
    EXPECT_EQ(r.latestVersion, QStringLiteral("1.3.0 build:151"));
    EXPECT_EQ(r.size, 1572864);
    EXPECT_EQ(r.url, QStringLiteral("http://h/files/setup.bin"));
    EXPECT_EQ(r.releaseNotes, QStringLiteral("Faster.\r\nFewer faults."));

    // Headers match exactly.
    const TUpdateReply wrongCase = ParseUpdateReply(QStringLiteral("[Latest Version]\r\n1.3.0 build:151\r\n"));
    EXPECT_FALSE(wrongCase.usable);
    EXPECT_TRUE(wrongCase.latestVersion.isEmpty());

    EXPECT_EQ(WindowUpdateRequestUrl(QStringLiteral("http://m/CheckUpdates.aspx?app=x"), QStringLiteral("1.2.0 build:150")),
              QStringLiteral("http://m/CheckUpdates.aspx?app=x&build=1.2.0%20build:150"));
    EXPECT_EQ(WindowUpdateRequestUrl(QStringLiteral("http://m/c"), QStringLiteral("1 build:2")),
              QStringLiteral("http://m/c?build=1%20build:2"));
}

class InstallerDownload : public ::testing::Test
{
protected:
    void SetUp() override
    {
        maker.setInstaller(QStringLiteral("setup-test.bin"), installer);
        maker.start();
        SetMakerHost(maker.host());
    }
    void TearDown() override { SetMakerHost(QString()); }
    TUpdateReply reply() const { return ParseUpdateReply(QString::fromUtf8(maker.updateReply())); }

    QByteArray installer = QByteArray(300000, 'i') + "end";
    MakerService maker;
    QTemporaryDir settings;
    QString folder() const { return settings.path() + u'/'; }
};

TEST_F(InstallerDownload, IsSavedUnderItsNameWithAMarkerAndRemovedAtTheNextStart)
{
    qint64 lastRead = 0;
    const QString path = DownloadInstaller(reply(), folder(), [&lastRead](qint64 read, qint64) { lastRead = read; });
    EXPECT_EQ(QFileInfo(path).fileName(), QStringLiteral("setup-test.bin"));
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), installer);
    saved.close();
    EXPECT_EQ(lastRead, installer.size());
    QFile marker(CleanupMarkerPath(folder()));
    ASSERT_TRUE(marker.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(marker.readAll()).trimmed(), path);
    marker.close();

    QStringList told;
    CleanupDownloadedInstaller(folder(), [&told](const QString &m) { told << m; });
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_FALSE(marker.exists());
    EXPECT_TRUE(told.isEmpty());
}

TEST_F(InstallerDownload, OtherSizeOrHashIsRefusedAndNothingIsKept)
{
    struct Case { const char *name; const char *section; QString value; const char *reason; };
    const Case cases[] = {
        {"size", "size", QString::number(installer.size() + 1), "instead of"},
        {"hash", "sha256", QString::fromLatin1(QCryptographicHash::hash("other", QCryptographicHash::Sha256).toHex()), "SHA-256"},
    };
    for (const Case &c : cases) {
        maker.setUpdate({{QStringLiteral("latest version"), QStringLiteral("9.0.0 build:900")},
                         {QString::fromLatin1(c.section), c.value}});
        const TUpdateReply r = reply();
        try {
            DownloadInstaller(r, folder());
            ADD_FAILURE() << c.name << ": no refusal";
        } catch (const EOrvix &e) {
            EXPECT_TRUE(e.message().contains(QLatin1String(c.reason))) << e.message().toStdString();
        }
        EXPECT_FALSE(QFile::exists(InstallerPathFor(r.url))) << c.name;
        EXPECT_FALSE(QFile::exists(CleanupMarkerPath(folder()))) << c.name;
    }
}
