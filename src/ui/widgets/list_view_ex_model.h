#pragma once

// Rows of a TListViewEx: each row is a list of texts (caption first, then the sub-items) in
// field order. Columns name the field they show, so a column keeps its texts wherever the user
// drags it. Rows carry an ordering key so that a row is found by caption without scanning the
// list: the queue view looks rows up on every status change.

#include "foundation/text.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <functional>

namespace orvix {

class TListViewExModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    struct Column
    {
        QString caption;
        int width = 0;
        bool rightAligned = false;
        int tag = 0;
        int field = 0; // which text of a row the column shows
    };
    // Texts of a virtual list: (row, field) -> text.
    using VirtualText = std::function<QString(int row, int field)>;

    explicit TListViewExModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    void SetColumns(const QList<Column> &columns);
    const QList<Column> &Columns() const { return m_columns; }

    // Inserts a row of count(texts) fields (at least one) at the top or the end; returns its row.
    int AddRow(const ArStrX &texts, bool atTop);
    void RemoveRow(int row);
    void Clear();
    bool IsValidRow(int row) const { return row >= 0 && row < rowCount(); }

    ArStrX RowTexts(int row) const;
    // Replaces every text of the row; the row keeps at least as many fields as it had.
    void SetRowTexts(int row, const ArStrX &texts);
    QString Text(int row, int field) const;
    void SetText(int row, int field, const QString &text);
    int FieldCount(int row) const;
    // Swaps texts, check state and data of two rows.
    void SwapRows(int a, int b, bool withCheckAndData);

    void SetCheckboxes(bool on);
    bool Checkboxes() const { return m_checkboxes; }
    bool Checked(int row) const;
    void SetChecked(int row, bool checked);
    QVariant RowData(int row) const;
    void SetRowData(int row, const QVariant &value);

    // First row from the top whose trimmed, lower-cased caption equals key's; -1 when none.
    int IndexOfCaption(const QString &caption) const;

    // Virtual lists: the row count is set from outside and texts come from the callback.
    void SetVirtual(VirtualText text);
    bool IsVirtual() const { return bool(m_virtualText); }
    void SetVirtualCount(int count);

private:
    struct Row
    {
        ArStrX texts;
        qint64 key = 0;
        bool checked = false;
        QVariant data;
    };
    static QString captionKey(const QString &caption);
    void indexCaption(const Row &row);
    void unindexCaption(const Row &row);
    int rowOfKey(qint64 key) const;
    void rowChanged(int row);
    void fieldChanged(int row, int field);

    QList<Column> m_columns;
    QList<Row> m_rows; // keys strictly ascending from the top
    qint64 m_topKey = 0;
    qint64 m_bottomKey = 0;
    QHash<QString, QList<qint64>> m_byCaption;
    bool m_checkboxes = false;
    VirtualText m_virtualText;
    int m_virtualCount = 0;
};

} // namespace orvix
