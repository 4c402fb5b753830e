#pragma once

#include <QString>

namespace orvix {

// The pictures folder made to exist: the folder given (trailing dots removed), else the user's
// pictures folder + "/Orvix Images", else "Orvix Images" in the settings folder. Returns the
// folder chosen; when not even the last can be created it says "Could not create folder: " +
// path and raises.
QString EnsureOutputFolder(const QString &outputFolder);

} // namespace orvix
