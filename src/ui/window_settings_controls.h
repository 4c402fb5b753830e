#pragma once

// The settings stores' view of the main window: controls found by object name, read and written
// by their kind. A stored control that no panel of this build shows yet keeps its value in a
// plain value map, so saving never drops a setting the user made with another release.

#include "app/settings_controls.h"

class QWidget;

namespace orvix {

class TWindowSettingsControls : public ISettingsControls
{
public:
    explicit TWindowSettingsControls(QWidget *window);

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

    // The values kept for controls the window does not have.
    SettingsValueMap &fallback() { return m_fallback; }

private:
    QWidget *find(const QString &name) const;

    QWidget *m_window;
    SettingsValueMap m_fallback;
};

} // namespace orvix
