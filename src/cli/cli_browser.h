#pragma once

// The hidden browser of orvix-cli. Listing pages build their thumbnails by script, so they are
// read in the browser engine; loading and starting it costs memory and time, so orvix-cli runs
// without it and starts itself again with it (an offscreen GUI application, its engine in a
// module opened at that start) only when a listing needs it.

#include <QStringList>

class QCoreApplication;

namespace orvix {
class IPageLoader;
}

namespace orvix::cli {

struct TCliIo;

// Called first in main: whether this process was started again for the browser (the marker is
// taken out of the environment, so it does not pass on to other programs).
bool TakeBrowserRestartMarker(int argc, char **argv);
// In the process started for the browser: opens the browser module, sets the platform
// defaults the engine needs without a display and makes the application object. Nullptr (a
// message was written to stderr) when the module cannot be opened.
QCoreApplication *StartBrowserProcess(int &argc, char **argv);

// True when this process runs with the browser available.
bool BrowserAvailable();
// Starts this program again, with the same arguments, with the browser. Only returns when that
// failed (a message was written to io.err).
void RestartWithBrowser(TCliIo &io);

// The one hidden browser of the process, made on first use; main thread, BrowserAvailable().
IPageLoader *CliPageLoader();
// Before the application ends: the browser's page goes before the profile it uses.
void ReleaseCliBrowser();

} // namespace orvix::cli
