#include "settings_entries.h"

#include "settings_file.h"

#include "foundation/text.h"

namespace orvix {

namespace {

enum class ValueKind { Text, ItemIndex, Checked, Lines, ListViewItems, Value };

[[noreturn]] void unknownClass(const SettingsEntry &e)
{
    throw ESettingsEntry(QStringLiteral("Unknown class for object ") + e.control);
}

// Which value kind an entry stands for on a control of the given kind.
ValueKind valueKindFor(const SettingsEntry &e, ControlKind kind)
{
    const QString &p = e.property;
    if (p == QLatin1String("Text"))
        return ValueKind::Text;
    if (p == QLatin1String("ItemIndex")) {
        if (kind != ControlKind::RadioGroup && kind != ControlKind::ComboBox
            && kind != ControlKind::ListBox)
            unknownClass(e);
        return ValueKind::ItemIndex;
    }
    if (p == QLatin1String("Checked")) {
        if (kind != ControlKind::CheckBox && kind != ControlKind::RadioButton)
            unknownClass(e);
        return ValueKind::Checked;
    }
    if (p == QLatin1String("Lines")) {
        if (kind != ControlKind::Memo)
            unknownClass(e);
        return ValueKind::Lines;
    }
    if (p == QLatin1String("Items")) {
        if (kind == ControlKind::ListView)
            return ValueKind::ListViewItems;
        if (kind != ControlKind::ComboBox && kind != ControlKind::ListBox)
            unknownClass(e);
        return ValueKind::Lines;
    }
    if (p == QLatin1String("Value")) {
        if (kind != ControlKind::SpinEdit)
            unknownClass(e);
        return ValueKind::Value;
    }
    throw ESettingsEntry(QStringLiteral("Unknown property: ") + p);
}

} // namespace

std::optional<SettingsEntry> ParseSettingsEntry(const QString &entry)
{
    const QStringList parts = TextSplit(TextTrim(entry), u".");
    if (parts.size() != 2 || parts[0].isEmpty() || parts[1].isEmpty())
        return std::nullopt;
    return SettingsEntry{parts[0], parts[1]};
}

ControlKind RequireControl(const ISettingsControls &controls, const QString &name)
{
    const auto kind = controls.controlKind(name);
    if (!kind)
        throw ESettingsEntry(QStringLiteral("Component ") + name + QStringLiteral(" not found"));
    return *kind;
}

QString EntryValueText(const ISettingsControls &controls, const SettingsEntry &e)
{
    const ControlKind kind = RequireControl(controls, e.control);
    switch (valueKindFor(e, kind)) {
    case ValueKind::Text:
        return Escape(controls.text(e.control));
    case ValueKind::ItemIndex:
        return FormatItemIndex(controls.itemIndex(e.control));
    case ValueKind::Checked:
        return FormatChecked(controls.checked(e.control));
    case ValueKind::Lines:
        return Escape(controls.lines(e.control).join(QStringLiteral("\r\n")));
    case ValueKind::ListViewItems:
        return Escape(EncodeListView(controls.listViewItems(e.control)));
    case ValueKind::Value:
        return FormatSpinValue(controls.value(e.control));
    }
    return QString();
}

void ApplyEntryValue(ISettingsControls &controls, const SettingsEntry &e, const QString &value)
{
    const ControlKind kind = RequireControl(controls, e.control);
    switch (valueKindFor(e, kind)) {
    case ValueKind::Text:
        controls.setText(e.control, value);
        break;
    case ValueKind::ItemIndex:
        controls.setItemIndex(e.control, ParseItemIndex(value));
        break;
    case ValueKind::Checked:
        controls.setChecked(e.control, ParseChecked(value));
        break;
    case ValueKind::Lines:
        controls.setLines(e.control, value.isEmpty() ? QStringList() : SplitValueLines(value));
        break;
    case ValueKind::ListViewItems:
        controls.setListViewItems(e.control, DecodeListView(value));
        break;
    case ValueKind::Value:
        controls.setValue(e.control, ParseSpinValue(value));
        break;
    }
}

} // namespace orvix
