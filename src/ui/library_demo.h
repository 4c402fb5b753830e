#pragma once

// The demo's library scenarios, for the screenshots: once the pictures queued at start are
// saved, "strips" tags some of them in the tag editor (and leaves it open on one more), and
// "library" searches the library for a word of their titles; then the window is pictured
// into file and the program ends.

#include <QString>

namespace orvix {

class TFormMain;

// False for an unknown scenario.
bool StartLibraryDemo(TFormMain &window, const QString &scenario, const QString &screenshotFile);

} // namespace orvix
