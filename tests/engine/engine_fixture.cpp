#include "engine_fixture.h"

#include "engine/fetch_page_text.h"
#include "foundation/files.h"
#include "foundation/log.h"
#include "foundation/paths.h"

#include <QFile>

namespace orvix::test {

void EngineFixture::SetUp()
{
    m_previousSettings = GetSettingsFolder();
    SetSettingsFolder(m_settings.path());
    FetchPageTiming fast;
    fast.pauseMs = 10;
    fast.timeoutSeconds = 5;
    SetFetchPageTiming(fast);
    m_run = std::make_unique<RunControl>(m_settings.path());
    takeMessages();
}

void EngineFixture::TearDown()
{
    SetFetchPageTiming(FetchPageTiming());
    SetSettingsFolder(m_previousSettings);
}

QStringList EngineFixture::takeMessages()
{
    QStringList taken;
    DrainLogMessages([&](const QString &m) { taken << m; });
    return taken;
}

QString EngineFixture::orvixLog() const
{
    QFile f(m_settings.filePath(QStringLiteral("orvix.log")));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll()).remove(QChar(0xFEFF));
}

} // namespace orvix::test
