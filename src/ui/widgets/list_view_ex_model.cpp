#include "list_view_ex_model.h"

#include <algorithm>

namespace orvix {

TListViewExModel::TListViewExModel(QObject *parent) : QAbstractTableModel(parent) {}

int TListViewExModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return IsVirtual() ? m_virtualCount : int(m_rows.size());
}

int TListViewExModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant TListViewExModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.column() >= m_columns.size() || index.row() >= rowCount())
        return {};
    const Column &column = m_columns.at(index.column());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return Text(index.row(), column.field);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::Alignment(
            (column.rightAligned ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
    case Qt::CheckStateRole:
        if (m_checkboxes && column.field == 0 && !IsVirtual())
            return Checked(index.row()) ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::UserRole:
        return RowData(index.row());
    default:
        return {};
    }
}

bool TListViewExModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::CheckStateRole || !index.isValid() || IsVirtual())
        return false;
    SetChecked(index.row(), value.toInt() == Qt::Checked);
    return true;
}

QVariant TListViewExModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size())
        return {};
    if (role == Qt::DisplayRole)
        return m_columns.at(section).caption;
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(
            (m_columns.at(section).rightAligned ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
    return {};
}

Qt::ItemFlags TListViewExModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (m_checkboxes && index.isValid() && m_columns.value(index.column()).field == 0)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

void TListViewExModel::SetColumns(const QList<Column> &columns)
{
    beginResetModel();
    m_columns = columns;
    endResetModel();
}

QString TListViewExModel::captionKey(const QString &caption) { return caption.trimmed().toLower(); }

void TListViewExModel::indexCaption(const Row &row)
{
    m_byCaption[captionKey(row.texts.value(0))].append(row.key);
}

void TListViewExModel::unindexCaption(const Row &row)
{
    const QString key = captionKey(row.texts.value(0));
    auto it = m_byCaption.find(key);
    if (it == m_byCaption.end())
        return;
    it->removeOne(row.key);
    if (it->isEmpty())
        m_byCaption.erase(it);
}

int TListViewExModel::rowOfKey(qint64 key) const
{
    auto it = std::lower_bound(m_rows.cbegin(), m_rows.cend(), key,
                               [](const Row &r, qint64 k) { return r.key < k; });
    return (it != m_rows.cend() && it->key == key) ? int(it - m_rows.cbegin()) : -1;
}

void TListViewExModel::fieldChanged(int row, int field)
{
    // Only the columns that show the field: a status change repaints one cell, not the row.
    for (int c = 0; c < m_columns.size(); ++c)
        if (m_columns.at(c).field == field)
            Q_EMIT dataChanged(index(row, c), index(row, c));
}

void TListViewExModel::rowChanged(int row)
{
    if (!m_columns.isEmpty())
        Q_EMIT dataChanged(index(row, 0), index(row, int(m_columns.size()) - 1));
}

int TListViewExModel::AddRow(const ArStrX &texts, bool atTop)
{
    Row r;
    r.texts = texts.isEmpty() ? ArStrX{QString()} : texts;
    if (m_rows.isEmpty())
        m_topKey = m_bottomKey = 0;
    r.key = atTop ? --m_topKey : ++m_bottomKey;
    const int row = atTop ? 0 : int(m_rows.size());
    beginInsertRows(QModelIndex(), row, row);
    indexCaption(r);
    if (atTop)
        m_rows.prepend(std::move(r));
    else
        m_rows.append(std::move(r));
    endInsertRows();
    return row;
}

void TListViewExModel::RemoveRow(int row)
{
    if (IsVirtual() || !IsValidRow(row))
        return;
    beginRemoveRows(QModelIndex(), row, row);
    unindexCaption(m_rows.at(row));
    m_rows.removeAt(row);
    endRemoveRows();
}

void TListViewExModel::Clear()
{
    beginResetModel();
    m_rows.clear();
    m_byCaption.clear();
    m_topKey = m_bottomKey = 0;
    if (IsVirtual())
        m_virtualCount = 0;
    endResetModel();
}

ArStrX TListViewExModel::RowTexts(int row) const
{
    if (!IsValidRow(row))
        return {};
    if (IsVirtual()) {
        ArStrX texts;
        int fields = 0;
        for (const Column &c : m_columns)
            fields = std::max(fields, c.field + 1);
        for (int f = 0; f < std::max(1, fields); ++f)
            texts.append(m_virtualText(row, f));
        return texts;
    }
    return m_rows.at(row).texts;
}

void TListViewExModel::SetRowTexts(int row, const ArStrX &texts)
{
    if (IsVirtual() || !IsValidRow(row))
        return;
    Row &r = m_rows[row];
    unindexCaption(r);
    const qsizetype fields = std::max<qsizetype>(r.texts.size(), std::max<qsizetype>(1, texts.size()));
    r.texts = texts;
    while (r.texts.size() < fields)
        r.texts.append(QString());
    indexCaption(r);
    rowChanged(row);
}

QString TListViewExModel::Text(int row, int field) const
{
    if (!IsValidRow(row))
        return {};
    if (IsVirtual())
        return m_virtualText(row, field);
    return m_rows.at(row).texts.value(field);
}

void TListViewExModel::SetText(int row, int field, const QString &text)
{
    if (IsVirtual() || !IsValidRow(row) || field < 0)
        return;
    Row &r = m_rows[row];
    if (field == 0)
        unindexCaption(r);
    while (r.texts.size() <= field)
        r.texts.append(QString());
    r.texts[field] = text;
    if (field == 0)
        indexCaption(r);
    fieldChanged(row, field);
}

int TListViewExModel::FieldCount(int row) const
{
    return IsValidRow(row) && !IsVirtual() ? int(m_rows.at(row).texts.size()) : 0;
}

void TListViewExModel::SwapRows(int a, int b, bool withCheckAndData)
{
    if (IsVirtual() || !IsValidRow(a) || !IsValidRow(b) || a == b)
        return;
    Row &ra = m_rows[a];
    Row &rb = m_rows[b];
    unindexCaption(ra);
    unindexCaption(rb);
    std::swap(ra.texts, rb.texts);
    if (withCheckAndData) {
        std::swap(ra.checked, rb.checked);
        std::swap(ra.data, rb.data);
    }
    indexCaption(ra);
    indexCaption(rb);
    rowChanged(a);
    rowChanged(b);
}

void TListViewExModel::SetCheckboxes(bool on)
{
    beginResetModel();
    m_checkboxes = on;
    endResetModel();
}

bool TListViewExModel::Checked(int row) const
{
    return IsValidRow(row) && !IsVirtual() && m_rows.at(row).checked;
}

void TListViewExModel::SetChecked(int row, bool checked)
{
    if (IsVirtual() || !IsValidRow(row))
        return;
    m_rows[row].checked = checked;
    rowChanged(row);
}

QVariant TListViewExModel::RowData(int row) const
{
    return IsValidRow(row) && !IsVirtual() ? m_rows.at(row).data : QVariant();
}

void TListViewExModel::SetRowData(int row, const QVariant &value)
{
    if (!IsVirtual() && IsValidRow(row))
        m_rows[row].data = value;
}

int TListViewExModel::IndexOfCaption(const QString &caption) const
{
    if (IsVirtual()) {
        const QString key = captionKey(caption);
        for (int row = 0; row < m_virtualCount; ++row)
            if (captionKey(m_virtualText(row, 0)) == key)
                return row;
        return -1;
    }
    auto it = m_byCaption.constFind(captionKey(caption));
    if (it == m_byCaption.cend() || it->isEmpty())
        return -1;
    return rowOfKey(*std::min_element(it->cbegin(), it->cend()));
}

void TListViewExModel::SetVirtual(VirtualText text)
{
    beginResetModel();
    m_virtualText = std::move(text);
    m_rows.clear();
    m_byCaption.clear();
    m_virtualCount = 0;
    endResetModel();
}

void TListViewExModel::SetVirtualCount(int count)
{
    if (!IsVirtual())
        return;
    count = std::max(0, count);
    if (count > m_virtualCount) {
        beginInsertRows(QModelIndex(), m_virtualCount, count - 1);
        m_virtualCount = count;
        endInsertRows();
    } else if (count < m_virtualCount) {
        beginRemoveRows(QModelIndex(), count, m_virtualCount - 1);
        m_virtualCount = count;
        endRemoveRows();
    } else if (count > 0) {
        Q_EMIT dataChanged(index(0, 0), index(count - 1, std::max(0, int(m_columns.size()) - 1)));
    }
}

} // namespace orvix
