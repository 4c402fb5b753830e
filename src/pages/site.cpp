#include "site.h"

#include "foundation/command_line.h"
#include "foundation/errors.h"
#include "foundation/text.h"

#include <mutex>

namespace orvix {

namespace {

// Set once at start-up in the program; tests change it between cases, so reads are locked.
std::mutex siteLock;
QString siteHost = QString::fromLatin1(DefaultSiteHost);

} // namespace

QString SiteHost()
{
    std::lock_guard<std::mutex> lock(siteLock);
    return siteHost;
}

QString SiteRoot()
{
    return QStringLiteral("http://") + SiteHost();
}

QString SiteName()
{
    const QString host = SiteHost();
    return TextStartsWith(host, u"www.") ? host.mid(4) : host;
}

// The site is reached over plain http only: an address with another scheme (as "https://host")
// is refused with the reason, and the host stays as it was.
void SetSiteHost(const QString &host)
{
    QString h = TextTrim(host);
    // Accept a pasted root as well as a bare host.
    if (TextStartsWith(TextLower(h), u"http://"))
        h = h.mid(7);
    else if (TextContains(h, u"://"))
        throw EOrvix(QStringLiteral("site \"") + h
                     + QStringLiteral("\": the photo site is reached over http:// only; give its host, as in site=127.0.0.1:8080"));
    h = TextRemoveSuffix(h, u"/");
    std::lock_guard<std::mutex> lock(siteLock);
    siteHost = h.isEmpty() ? QString::fromLatin1(DefaultSiteHost) : h;
}

QString NormalizePhotoUrl(const QString &url)
{
    if (url.isEmpty() || TextContains(url, u"://"))
        return url;
    QString joined = SiteRoot() + u'/' + url;
    joined.replace(QStringLiteral("//"), QStringLiteral("/"));
    return joined.replace(QStringLiteral(":/"), QStringLiteral("://"));
}

bool SetSiteHostFromEnvironment()
{
    const QString value = TextTrim(qEnvironmentVariable(SiteEnvironmentVariable));
    if (value.isEmpty())
        return false;
    SetSiteHost(value);
    return true;
}

void ChooseSiteHost()
{
    SetSiteHostFromEnvironment();
    const QString fromSwitch = TextTrim(GetSwitchValue(QStringLiteral("site")));
    if (!fromSwitch.isEmpty())
        SetSiteHost(fromSwitch);
}

} // namespace orvix
