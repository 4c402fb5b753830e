#include "settings_controls.h"

namespace orvix {

void SettingsValueMap::addControl(const QString &name, ControlKind kind)
{
    m_controls[name].kind = kind;
}

std::optional<ControlKind> SettingsValueMap::controlKind(const QString &name) const
{
    const auto it = m_controls.constFind(name);
    if (it == m_controls.constEnd())
        return std::nullopt;
    return it->kind;
}

QString SettingsValueMap::text(const QString &name) const
{
    return m_controls.value(name).text;
}

void SettingsValueMap::setText(const QString &name, const QString &value)
{
    m_controls[name].text = value;
}

int SettingsValueMap::itemIndex(const QString &name) const
{
    return m_controls.value(name).itemIndex;
}

void SettingsValueMap::setItemIndex(const QString &name, int index)
{
    m_controls[name].itemIndex = index;
}

bool SettingsValueMap::checked(const QString &name) const
{
    return m_controls.value(name).checked;
}

void SettingsValueMap::setChecked(const QString &name, bool checked)
{
    m_controls[name].checked = checked;
}

QStringList SettingsValueMap::lines(const QString &name) const
{
    return m_controls.value(name).lines;
}

void SettingsValueMap::setLines(const QString &name, const QStringList &lines)
{
    m_controls[name].lines = lines;
}

QList<ListViewItem> SettingsValueMap::listViewItems(const QString &name) const
{
    return m_controls.value(name).items;
}

void SettingsValueMap::setListViewItems(const QString &name, const QList<ListViewItem> &items)
{
    m_controls[name].items = items;
}

double SettingsValueMap::value(const QString &name) const
{
    return m_controls.value(name).value;
}

void SettingsValueMap::setValue(const QString &name, double value)
{
    m_controls[name].value = value;
}

} // namespace orvix
