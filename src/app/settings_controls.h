#pragma once

// What a settings store needs from the window: the named controls its entries ("control.property")
// refer to, and their values by kind. The main window binds its Qt widgets by object name; the
// headless host and the tests use SettingsValueMap.

#include "settings_values.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace orvix {

enum class ControlKind {
    Edit,        // any control with just a text
    CheckBox,
    RadioButton,
    RadioGroup,
    ComboBox,
    ListBox,
    Memo,
    ListView,
    SpinEdit,
};

class ISettingsControls
{
public:
    virtual ~ISettingsControls() = default;

    // The kind of the control of that name; nullopt when the window has no such control.
    virtual std::optional<ControlKind> controlKind(const QString &name) const = 0;

    virtual QString text(const QString &name) const = 0;
    virtual void setText(const QString &name, const QString &value) = 0;
    virtual int itemIndex(const QString &name) const = 0;
    virtual void setItemIndex(const QString &name, int index) = 0;
    virtual bool checked(const QString &name) const = 0;
    // Must not run the control's click handler.
    virtual void setChecked(const QString &name, bool checked) = 0;
    // Memo lines, or the items of a combo box or list box.
    virtual QStringList lines(const QString &name) const = 0;
    virtual void setLines(const QString &name, const QStringList &lines) = 0;
    virtual QList<ListViewItem> listViewItems(const QString &name) const = 0;
    virtual void setListViewItems(const QString &name, const QList<ListViewItem> &items) = 0;
    virtual double value(const QString &name) const = 0;
    virtual void setValue(const QString &name, double value) = 0;
};

// Controls held as plain values: for the headless host, which has settings but no window.
class SettingsValueMap : public ISettingsControls
{
public:
    // Declares a control with its design value (every field starts empty / 0 / -1).
    void addControl(const QString &name, ControlKind kind);

    std::optional<ControlKind> controlKind(const QString &name) const override;
    QString text(const QString &name) const override;
    void setText(const QString &name, const QString &value) override;
    int itemIndex(const QString &name) const override;
    void setItemIndex(const QString &name, int index) override;
    bool checked(const QString &name) const override;
    void setChecked(const QString &name, bool checked) override;
    QStringList lines(const QString &name) const override;
    void setLines(const QString &name, const QStringList &lines) override;
    QList<ListViewItem> listViewItems(const QString &name) const override;
    void setListViewItems(const QString &name, const QList<ListViewItem> &items) override;
    double value(const QString &name) const override;
    void setValue(const QString &name, double value) override;

private:
    struct Control {
        ControlKind kind = ControlKind::Edit;
        QString text;
        int itemIndex = -1;
        bool checked = false;
        QStringList lines;
        QList<ListViewItem> items;
        double value = 0;
    };
    QHash<QString, Control> m_controls;
};

} // namespace orvix
