#pragma once

// How each kind of control value is written into a settings section and read back.

#include <QList>
#include <QString>
#include <QStringList>

namespace orvix {

// One row of a list view as the settings keep it.
struct ListViewItem {
    QString caption;
    QStringList subItems;
    bool checked = false;
    bool selected = false; // only the older encoding carries it

    bool operator==(const ListViewItem &) const = default;
};

// "<checked>1<caption>caption<FF>sub1<FF>sub2", one line per item (lines joined with CR LF).
QString EncodeListView(const QList<ListViewItem> &items);
// Reads the current encoding and the older "caption#checked#selected" one.
QList<ListViewItem> DecodeListView(const QString &text);

// Spin-edit values: single precision in fixed notation with five decimals ("386.00000").
QString FormatSpinValue(double value);
double ParseSpinValue(const QString &text); // unparsable gives 0

QString FormatItemIndex(int index);
int ParseItemIndex(const QString &text); // empty or not an integer gives -1

QString FormatChecked(bool checked);
bool ParseChecked(const QString &text); // exactly "1"

} // namespace orvix
