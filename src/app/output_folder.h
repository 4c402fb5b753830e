#pragma once

#include "foundation/file_names.h"
#include "foundation/paths.h"

#include <QString>

namespace orvix {

// The pictures folder made to exist: the folder given (trailing dots removed), else the user's
// pictures folder + "/Orvix Images", else "Orvix Images" in settingsFolder. Returns the folder
// chosen; when not even the last can be created it says "Could not create folder: " + path and
// raises.
QString EnsureOutputFolder(const QString &outputFolder, const QString &settingsFolder = GetSettingsFolder());

} // namespace orvix
