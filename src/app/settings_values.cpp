#include "settings_values.h"

#include "settings_file.h"

#include "foundation/text.h"

namespace orvix {

namespace {

const QString kChecked = QStringLiteral("<checked>");
const QString kCaption = QStringLiteral("<caption>");
const QString kSubItem = QStringLiteral("<FF>");

ListViewItem decodeOlderFirstPiece(const QString &piece)
{
    // caption#checked#selected
    const QStringList parts = piece.split(QLatin1Char('#'));
    ListViewItem item;
    item.caption = parts.value(0);
    item.checked = parts.value(1) == QLatin1String("1");
    item.selected = parts.value(2) == QLatin1String("1");
    return item;
}

} // namespace

QString EncodeListView(const QList<ListViewItem> &items)
{
    QStringList lines;
    for (const ListViewItem &item : items) {
        QString line = kChecked + (item.checked ? QLatin1Char('1') : QLatin1Char('0')) + kCaption
            + item.caption;
        for (const QString &sub : item.subItems)
            line += kSubItem + sub;
        lines.append(line);
    }
    return lines.join(QStringLiteral("\r\n"));
}

QList<ListViewItem> DecodeListView(const QString &text)
{
    QList<ListViewItem> items;
    for (const QString &line : SplitValueLines(text)) {
        if (line.isEmpty())
            continue;
        const QStringList pieces = line.split(kSubItem);
        ListViewItem item;
        const QString &first = pieces.first();
        const qsizetype captionAt = first.indexOf(kCaption);
        if (captionAt >= 0) {
            item.checked = first.left(captionAt) == kChecked + QLatin1Char('1');
            item.caption = first.mid(captionAt + kCaption.size());
        } else {
            item = decodeOlderFirstPiece(first);
        }
        item.subItems = pieces.mid(1);
        items.append(item);
    }
    return items;
}

QString FormatSpinValue(double value)
{
    return QString::number(double(float(value)), 'f', 5);
}

double ParseSpinValue(const QString &text)
{
    bool ok = false;
    const double v = TextTrim(text).toDouble(&ok); // QString::toDouble always uses "." as separator
    return ok ? v : 0.0;
}

QString FormatItemIndex(int index)
{
    return QString::number(index);
}

int ParseItemIndex(const QString &text)
{
    return TextToIntDef(TextTrim(text), -1);
}

QString FormatChecked(bool checked)
{
    return checked ? QStringLiteral("1") : QStringLiteral("0");
}

bool ParseChecked(const QString &text)
{
    return text == QLatin1String("1");
}

} // namespace orvix
