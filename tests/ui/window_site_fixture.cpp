#include "window_site_fixture.h"

#include "foundation/command_line.h"
#include "foundation/paths.h"
#include "pages/site.h"

namespace orvix::test {

void WindowOnSite::SetUp()
{
    ASSERT_TRUE(m_settings.isValid());
    m_site.start();
    SetSiteHost(m_site.host());
    SetSettingsFolder(m_settings.path() + QLatin1Char('/'));
}

void WindowOnSite::TearDown()
{
    m_window.reset();
    SetCommandLineArgs({});
    SetSiteHost(QString());
}

TFormMain &WindowOnSite::open(const QString &url)
{
    SetCommandLineArgs({QStringLiteral("url=") + url});
    m_window = std::make_unique<TFormMain>();
    m_window->show();
    return *m_window;
}

bool WindowOnSite::waitParsed(TFormMain &w, const QString &url)
{
    return waitUntil([&] { return w.documentParsed() && w.lastUrl() == url; }, kPageWaitMs);
}

} // namespace orvix::test
