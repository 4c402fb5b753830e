#include "settings_window_fixture.h"

#include "app/settings_file.h"
#include "foundation/alerts.h"
#include "foundation/command_line.h"
#include "foundation/desktop.h"
#include "foundation/paths.h"
#include "foundation/text_list.h"
#include "pages/site.h"

#include <QDateTime>
#include <QFile>

namespace orvix::test {

void SettingsWindows::SetUp()
{
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(home.isValid());
    folder = dir.path() + QLatin1Char('/');
    // The default pictures folder lies under the home folder: never the real one.
    m_home = qgetenv("HOME");
    qputenv("HOME", home.path().toLocal8Bit());
    ASSERT_TRUE(runtime.isValid());
    m_runtime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    SetSettingsFolder(folder);
    SetSiteHost(QStringLiteral("127.0.0.1:1"));
    SetCommandLineArgs({});
    m_timing = GetRetryTiming();
    RetryTiming fast = m_timing;
    fast.listPauseMs = 1;
    SetRetryTiming(fast);
}

void SettingsWindows::TearDown()
{
    // Each window puts back the boxes it found: the last one first.
    while (!windows.empty())
        windows.pop_back();
    SetDialogs(nullptr);
    SetDesktop(nullptr);
    SetAlerts(nullptr);
    SetRetryTiming(m_timing);
    SetSiteHost(QString());
    qputenv("HOME", m_home);
    qputenv("XDG_RUNTIME_DIR", m_runtime);
}

TFormMain &SettingsWindows::start()
{
    windows.push_back(std::make_unique<TFormMain>());
    TFormMain &w = *windows.back();
    SetDialogs(&dialogs);
    w.show();
    return w;
}

void SettingsWindows::quit(TFormMain &window)
{
    window.close();
    for (auto it = windows.begin(); it != windows.end(); ++it) {
        if (it->get() == &window) {
            windows.erase(it);
            break;
        }
    }
    SetDialogs(&dialogs);
}

QStringList SettingsWindows::settingsLines() const
{
    QStringList lines;
    LoadListRetry(lines, settingsFile());
    return lines;
}

QString SettingsWindows::stored(const QString &entry) const
{
    const QStringList lines = settingsLines();
    if (!HasSection(lines, entry))
        return QStringLiteral("<absent>");
    return Unescape(GetSectionValue(lines, entry));
}

void SettingsWindows::writeSettings(const QStringList &lines) const
{
    SaveListUtf8(lines, settingsFile());
}

void SettingsWindows::touchLater() const
{
    QFile f(settingsFile());
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addSecs(30), QFileDevice::FileModificationTime));
}

QString SettingsWindows::page(const char *path)
{
    return SiteRoot() + QLatin1String(path);
}

} // namespace orvix::test
