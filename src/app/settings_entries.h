#pragma once

// One settings entry, "control.property": how the control's value is written into its section
// and how a stored section value is put back.

#include "settings_controls.h"

#include "foundation/errors.h"

#include <QString>

#include <optional>

namespace orvix {

// An entry the store cannot handle; the message is shown and the other entries go on.
class ESettingsEntry : public EOrvix
{
public:
    using EOrvix::EOrvix;
};

struct SettingsEntry {
    QString control;
    QString property;
};

// The trimmed entry split at "." into exactly two non-empty parts; nullopt otherwise.
std::optional<SettingsEntry> ParseSettingsEntry(const QString &entry);

// The section value for the control's current value (text kinds escaped). Raises
// ESettingsEntry: "Component <name> not found", "Unknown property: <p>",
// "Unknown class for object <name>".
QString EntryValueText(const ISettingsControls &controls, const SettingsEntry &entry);

// Puts a stored, already unescaped value into the control. Raises as EntryValueText.
void ApplyEntryValue(ISettingsControls &controls, const SettingsEntry &entry, const QString &value);

// Raises "Component <name> not found" when the window has no such control.
ControlKind RequireControl(const ISettingsControls &controls, const QString &name);

} // namespace orvix
