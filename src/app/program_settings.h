#pragma once

// The entries the program's two settings stores keep, and their design values for a host
// without a window.

#include "settings_controls.h"

#include <QStringList>

namespace orvix {

// ApplicationSettings: favorites, first-run marker, pictures folder, picture size, start page,
// addresses without multiple downloads, thumbnail cache.
QStringList ApplicationSettingsEntries();
// SessionSettings: download subfolder, address box, the two floating panels' bounds.
QStringList SessionSettingsEntries();

// The address box's design value: a picture page of the photo site.
QString DefaultStartAddress();

// Declares every control the two tables name, at its design value.
void AddProgramSettingsControls(SettingsValueMap &controls);

} // namespace orvix
