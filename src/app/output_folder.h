#pragma once

#include "foundation/paths.h"

#include <QString>

namespace orvix {

// The folder without its trailing dots ("pics..." names "pics"), as folders typed with them
// were always taken; a last part "." or ".." is kept.
QString WithoutTrailingDots(const QString &folder);

// The pictures folder made to exist: the folder given (trailing dots removed), else the user's
// pictures folder + "/Orvix Images", else "Orvix Images" in settingsFolder. Returns the folder
// chosen; when not even the last can be created it says "Could not create folder: " + path and
// raises.
QString EnsureOutputFolder(const QString &outputFolder, const QString &settingsFolder = GetSettingsFolder());

} // namespace orvix
