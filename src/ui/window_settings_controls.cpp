#include "window_settings_controls.h"

#include "app/program_settings.h"
#include "widgets/list_view_ex.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTreeWidget>

namespace orvix {

namespace {

// A radio group is a group box whose radio buttons are its items, in layout order.
QList<QRadioButton *> radioItems(QWidget *group)
{
    return group->findChildren<QRadioButton *>(QString(), Qt::FindDirectChildrenOnly);
}

} // namespace

TWindowSettingsControls::TWindowSettingsControls(QWidget *window) : m_window(window)
{
    AddProgramSettingsControls(m_fallback);
}

QWidget *TWindowSettingsControls::find(const QString &name) const
{
    if (m_window->objectName() == name)
        return m_window;
    return m_window->findChild<QWidget *>(name);
}

std::optional<ControlKind> TWindowSettingsControls::controlKind(const QString &name) const
{
    QWidget *w = find(name);
    if (!w)
        return m_fallback.controlKind(name);
    if (qobject_cast<QCheckBox *>(w))
        return ControlKind::CheckBox;
    if (qobject_cast<QRadioButton *>(w))
        return ControlKind::RadioButton;
    if (qobject_cast<QComboBox *>(w))
        return ControlKind::ComboBox;
    if (qobject_cast<QListWidget *>(w))
        return ControlKind::ListBox;
    if (qobject_cast<QPlainTextEdit *>(w))
        return ControlKind::Memo;
    if (qobject_cast<QTreeWidget *>(w) || qobject_cast<TListViewEx *>(w))
        return ControlKind::ListView;
    if (qobject_cast<QSpinBox *>(w) || qobject_cast<QDoubleSpinBox *>(w))
        return ControlKind::SpinEdit;
    if (qobject_cast<QGroupBox *>(w) && !radioItems(w).isEmpty())
        return ControlKind::RadioGroup;
    return ControlKind::Edit;
}

QString TWindowSettingsControls::text(const QString &name) const
{
    QWidget *w = find(name);
    if (!w)
        return m_fallback.text(name);
    if (auto *e = qobject_cast<QLineEdit *>(w))
        return e->text();
    if (auto *m = qobject_cast<QPlainTextEdit *>(w))
        return m->toPlainText();
    if (auto *c = qobject_cast<QComboBox *>(w))
        return c->currentText();
    if (auto *b = qobject_cast<QAbstractButton *>(w))
        return b->text();
    if (auto *g = qobject_cast<QGroupBox *>(w))
        return g->title();
    return w->windowTitle();
}

void TWindowSettingsControls::setText(const QString &name, const QString &value)
{
    QWidget *w = find(name);
    if (!w)
        return m_fallback.setText(name, value);
    if (auto *e = qobject_cast<QLineEdit *>(w))
        e->setText(value);
    else if (auto *m = qobject_cast<QPlainTextEdit *>(w))
        m->setPlainText(value);
    else if (auto *c = qobject_cast<QComboBox *>(w))
        c->setCurrentText(value);
    else if (auto *b = qobject_cast<QAbstractButton *>(w))
        b->setText(value);
    else if (auto *g = qobject_cast<QGroupBox *>(w))
        g->setTitle(value);
}

int TWindowSettingsControls::itemIndex(const QString &name) const
{
    QWidget *w = find(name);
    if (!w)
        return m_fallback.itemIndex(name);
    if (auto *c = qobject_cast<QComboBox *>(w))
        return c->currentIndex();
    if (auto *l = qobject_cast<QListWidget *>(w))
        return l->currentRow();
    const QList<QRadioButton *> items = radioItems(w);
    for (int i = 0; i < items.size(); ++i)
        if (items[i]->isChecked())
            return i;
    return -1;
}

void TWindowSettingsControls::setItemIndex(const QString &name, int index)
{
    QWidget *w = find(name);
    if (!w)
        return m_fallback.setItemIndex(name, index);
    if (auto *c = qobject_cast<QComboBox *>(w)) {
        c->setCurrentIndex(index < c->count() ? index : -1);
    } else if (auto *l = qobject_cast<QListWidget *>(w)) {
        l->setCurrentRow(index);
    } else {
        const QList<QRadioButton *> items = radioItems(w);
        for (int i = 0; i < items.size(); ++i) {
            items[i]->setAutoExclusive(false);
            items[i]->setChecked(i == index);
            items[i]->setAutoExclusive(true);
        }
    }
}

bool TWindowSettingsControls::checked(const QString &name) const
{
    QWidget *w = find(name);
    if (!w)
        return m_fallback.checked(name);
    auto *b = qobject_cast<QAbstractButton *>(w);
    return b && b->isChecked();
}

void TWindowSettingsControls::setChecked(const QString &name, bool on)
{
    QWidget *w = find(name);
    if (!w)
        return m_fallback.setChecked(name, on);
    if (auto *b = qobject_cast<QAbstractButton *>(w)) {
        // setChecked emits toggled, never clicked: the click handler does not run.
        b->setChecked(on);
    }
}

QStringList TWindowSettingsControls::lines(const QString &name) const
{
    QWidget *w = find(name);
    if (!w)
        return m_fallback.lines(name);
    QStringList out;
    if (auto *m = qobject_cast<QPlainTextEdit *>(w)) {
        const QString text = m->toPlainText();
        if (!text.isEmpty())
            out = text.split(QLatin1Char('\n'));
    } else if (auto *c = qobject_cast<QComboBox *>(w)) {
        for (int i = 0; i < c->count(); ++i)
            out.append(c->itemText(i));
    } else if (auto *l = qobject_cast<QListWidget *>(w)) {
        for (int i = 0; i < l->count(); ++i)
            out.append(l->item(i)->text());
    }
    return out;
}

void TWindowSettingsControls::setLines(const QString &name, const QStringList &values)
{
    QWidget *w = find(name);
    if (!w)
        return m_fallback.setLines(name, values);
    if (auto *m = qobject_cast<QPlainTextEdit *>(w)) {
        m->setPlainText(values.join(QLatin1Char('\n')));
    } else if (auto *c = qobject_cast<QComboBox *>(w)) {
        const QSignalBlocker block(c);
        c->clear();
        c->addItems(values);
    } else if (auto *l = qobject_cast<QListWidget *>(w)) {
        l->clear();
        l->addItems(values);
    }
}

QList<ListViewItem> TWindowSettingsControls::listViewItems(const QString &name) const
{
    if (auto *lv = qobject_cast<TListViewEx *>(find(name))) {
        QList<ListViewItem> items;
        for (int row = 0; row < lv->RowCount(); ++row) {
            const ArStrX texts = lv->GetLVLineAr(row);
            ListViewItem item;
            item.caption = texts.value(0);
            item.subItems = texts.mid(1);
            item.checked = lv->Model()->Checked(row);
            items.append(item);
        }
        return items;
    }
    auto *tree = qobject_cast<QTreeWidget *>(find(name));
    if (!tree)
        return m_fallback.listViewItems(name);
    QList<ListViewItem> items;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *row = tree->topLevelItem(i);
        ListViewItem item;
        item.caption = row->text(0);
        for (int col = 1; col < row->columnCount(); ++col)
            item.subItems.append(row->text(col));
        item.checked = row->checkState(0) == Qt::Checked;
        item.selected = row->isSelected();
        items.append(item);
    }
    return items;
}

void TWindowSettingsControls::setListViewItems(const QString &name, const QList<ListViewItem> &items)
{
    if (auto *lv = qobject_cast<TListViewEx *>(find(name))) {
        lv->Clear();
        for (const ListViewItem &item : items) {
            const int row = lv->AddRange(ArStrX{item.caption} + item.subItems);
            lv->Model()->SetChecked(row, item.checked);
        }
        return;
    }
    auto *tree = qobject_cast<QTreeWidget *>(find(name));
    if (!tree)
        return m_fallback.setListViewItems(name, items);
    tree->clear();
    for (const ListViewItem &item : items) {
        auto *row = new QTreeWidgetItem(tree, QStringList{item.caption} + item.subItems);
        row->setCheckState(0, item.checked ? Qt::Checked : Qt::Unchecked);
        row->setSelected(item.selected);
    }
}

double TWindowSettingsControls::value(const QString &name) const
{
    QWidget *w = find(name);
    if (!w)
        return m_fallback.value(name);
    if (auto *s = qobject_cast<QSpinBox *>(w))
        return s->value();
    if (auto *d = qobject_cast<QDoubleSpinBox *>(w))
        return d->value();
    return 0;
}

void TWindowSettingsControls::setValue(const QString &name, double v)
{
    QWidget *w = find(name);
    if (!w)
        return m_fallback.setValue(name, v);
    if (auto *s = qobject_cast<QSpinBox *>(w))
        s->setValue(int(v));
    else if (auto *d = qobject_cast<QDoubleSpinBox *>(w))
        d->setValue(v);
}

} // namespace orvix
