// "Locate in explorer" on this desktop: the file manager's ShowItems call over the session bus
// with the file's address, answered here by a stand-in file manager on a private bus; without
// a file manager on the bus the file's folder is opened instead.

#include "test_support.h"

#include "ui/qt_desktop.h"

#include "foundation/desktop.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

#include <gtest/gtest.h>

using namespace orvix;

namespace {

// The stand-in file manager. It lives on a thread of its own: the program's call blocks the
// main thread until the answer comes.
class FakeFileManager : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QStringList shown()
    {
        QMutexLocker lock(&m_mutex);
        return m_shown;
    }

public Q_SLOTS:
    void ShowItems(const QStringList &uris, const QString &startupId)
    {
        Q_UNUSED(startupId);
        QMutexLocker lock(&m_mutex);
        m_shown << uris;
    }

private:
    QMutex m_mutex;
    QStringList m_shown;
};

// Catches what would be handed to the desktop's file manager as a folder to open.
class OpenedUrls : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void open(const QUrl &url) { urls << url; }
};

class DesktopLocate : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_bus.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                    QStringLiteral("--print-address=1")});
        ASSERT_TRUE(m_bus.waitForStarted(10000)) << "dbus-daemon is needed (package dbus-daemon)";
        ASSERT_TRUE(test::waitUntil([&] { return m_bus.canReadLine(); }, 10000));
        m_address = QString::fromUtf8(m_bus.readLine()).trimmed();
        // Before the program's first use of the session bus.
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toUtf8());
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_opened, "open");

        m_file = m_dir.filePath(QStringLiteral("set/12_ab Lake at dawn_o.jpg"));
        QDir().mkpath(m_dir.filePath(QStringLiteral("set")));
        QFile f(m_file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    void TearDown() override
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        if (m_thread.isRunning()) {
            m_thread.quit();
            m_thread.wait();
        }
        m_bus.kill();
        m_bus.waitForFinished();
    }

    void startFileManager()
    {
        m_manager.moveToThread(&m_thread);
        m_thread.start();
        QDBusConnection connection = QDBusConnection::connectToBus(m_address, QStringLiteral("fake-file-manager"));
        ASSERT_TRUE(connection.isConnected());
        ASSERT_TRUE(connection.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &m_manager,
                                              QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(connection.registerService(QStringLiteral("org.freedesktop.FileManager1")));
    }

    QTemporaryDir m_dir;
    QProcess m_bus;
    QString m_address;
    QString m_file;
    QThread m_thread;
    FakeFileManager m_manager;
    OpenedUrls m_opened;
    TQtDesktop m_desktop;
};

TEST_F(DesktopLocate, TheFileManagerIsAskedToShowTheFile)
{
    startFileManager();
    IDesktop *previous = SetDesktop(&m_desktop);
    EXPECT_TRUE(LocateInExplorer(QLatin1Char('"') + m_file + QLatin1Char('"')));
    SetDesktop(previous);
    ASSERT_TRUE(test::waitUntil([&] { return !m_manager.shown().isEmpty(); }, 5000));
    EXPECT_EQ(m_manager.shown(), QStringList{QUrl::fromLocalFile(m_file).toString()});
    EXPECT_TRUE(m_opened.urls.isEmpty());
}

TEST_F(DesktopLocate, WithoutAFileManagerItsFolderIsOpened)
{
    IDesktop *previous = SetDesktop(&m_desktop);
    EXPECT_TRUE(LocateInExplorer(m_file));
    SetDesktop(previous);
    EXPECT_EQ(m_opened.urls, QList<QUrl>{QUrl::fromLocalFile(m_dir.filePath(QStringLiteral("set")))});
}

} // namespace

#include "desktop_locate_test.moc"
