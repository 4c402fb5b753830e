#pragma once

#include <QString>

QT_BEGIN_NAMESPACE
class QWebEngineProfile;
QT_END_NAMESPACE

namespace orvix {

// Sets the browser engine's process settings that must be in place before its first use
// (sandbox off when running as root, no GPU on the offscreen platform, no background calls
// home). Settings already given in the environment are kept. Called by BrowserProfile(); call
// it earlier (before the application object) to be sure.
void PrepareBrowserEngine();

// Folder of the browser's persistent storage: the "browser/" subfolder of the settings folder.
QString BrowserProfileFolder();

// The one browser profile of the process, shared by the main browser and the hidden one:
// persistent cookies, cache and site storage in BrowserProfileFolder(). Created on first use
// (main thread, with a QGuiApplication running), with its cookies kept in step with the HTTP
// client's cookie jar (cookie_bridge.h). Released with the application.
QWebEngineProfile *BrowserProfile();

} // namespace orvix
