#pragma once

#include <QString>

namespace orvix {

// The maker's web service (reports, update check, feedback, page reports), one host for the
// whole run like the photo site's. The default is a reserved name, so that nothing reaches a
// real host: the switch "maker=HOST[:PORT]" or ORVIX_MAKER point the program at a service, as
// tests and the demo do with the stand-in on the loopback address.
inline constexpr const char *DefaultMakerHost = "www.varnel.example";
inline constexpr const char *MakerEnvironmentVariable = "ORVIX_MAKER";

QString MakerHost();                     // e.g. "www.varnel.example" or "127.0.0.1:8081"
QString MakerRoot();                     // "http://" + host
void SetMakerHost(const QString &host);  // raises EOrvix for another scheme; empty: the default

// For the program's start: ORVIX_MAKER, overridden by the command-line switch "maker=".
void ChooseMakerHost();
bool SetMakerHostFromEnvironment();

} // namespace orvix
