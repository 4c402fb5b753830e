#pragma once

#include <QString>

namespace orvix {

// The photo site's host, one value for the whole run. The default is a reserved name: the user
// points the program at a site with the switch "site=HOST[:PORT]" or the environment variable
// ORVIX_SITE; tests and the demo point it at the simulated site on the loopback address.
inline constexpr const char *DefaultSiteHost = "www.photosite.example";
inline constexpr const char *SiteEnvironmentVariable = "ORVIX_SITE";

QString SiteHost();                     // e.g. "www.photosite.example" or "127.0.0.1:8080"
QString SiteRoot();                     // "http://" + host
QString SiteName();                     // host without a leading "www.", as tested in addresses
void SetSiteHost(const QString &host);  // empty text restores the default

// A link found in a page made absolute with the site's root; links with "://" are kept. Double
// slashes in a relative link are collapsed. Empty text stays empty (it is no link to anything).
QString NormalizePhotoUrl(const QString &url);

// Takes ORVIX_SITE when it is set and not empty; returns whether it did.
bool SetSiteHostFromEnvironment();

// For the program's start: ORVIX_SITE, overridden by the command-line switch "site=HOST[:PORT]".
void ChooseSiteHost();

} // namespace orvix
