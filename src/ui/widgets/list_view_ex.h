#pragma once

// A report-style list: rows from arrays of texts, a column layout kept as text lines
// ("caption:width:L|R:tag") that survives column dragging, row moves, centred scrolling and
// selection save/restore for ordinary lists and for virtual lists whose rows show records by ID.
//
// Row arrays are in field order: element 0 is the caption, then the sub-items in the order of the
// columns as first loaded. A column dragged elsewhere takes its texts along.

#include "foundation/integer_list.h"
#include "foundation/text.h"
#include "list_view_ex_model.h"

#include <QStringList>
#include <QTreeView>

class QMenu;
class QTimer;

namespace orvix {

class TListViewEx : public QTreeView
{
    Q_OBJECT
public:
    explicit TListViewEx(QWidget *parent = nullptr);

    TListViewExModel *Model() const { return m_model; }

    // Column specs: the layout as loaded, and as currently arranged.
    QStringList columsOriginalSl;
    QStringList columsCurrentSl;
    // Record ID of each row of a virtual list.
    TIntegerListX LvItems;
    QList<int> selectedRecordId;
    int selectedRecordIdx = -1;
    int topRecordIdx = -1;
    int previousItemIndex = -1;
    int lastTopItemIndex = -1;
    bool AddToTop = false;
    bool LvDraggingColumn = false;
    bool LvResizingColumn = false;
    QMenu *PopupMenu_Header = nullptr;

    // What loading the control from its window description does: the given specs are the
    // columns as designed; the current layout (restored from settings beforehand) wins.
    void LoadColumns(const QStringList &designedSpecs);
    void ResetColumns_LVEX();
    void RebuildColumns();
    // Line of columsCurrentSl for a caption: the first that begins with caption + ":" or equals it.
    static int FindColumnSpec(const QStringList &specs, const QString &caption);

    int AddRange(const ArStrX &row);
    int AddRangeTop(const ArStrX &row);
    void SetFromSL(const QString &text, QChar separator);
    void SetFromSL(const QStringList &lines, QChar separator);
    ArStrX GetLVLineAr(int row) const;
    ArStrX GetLVLineAr() const;
    void SetLVLineAr(int row, const ArStrX &texts);
    void ExchangeItems(int a, int b);
    void MoveSelectedByX(int offset);
    void MoveFocusByX(int offset);
    int IndexOf_CI(const QString &caption) const;
    QString GetText_K() const;
    int RowCount() const { return m_model->rowCount(); }
    void RemoveRow(int row) { m_model->RemoveRow(row); }
    void Clear();
    void ClearItems() { Clear(); }

    // The selected row: the current row when selected, else the first selected; -1 when none.
    int SelectedRow() const;
    QList<int> SelectedRows() const;
    // Selects exactly these rows without firing OnSelectionChanged; focuses the first.
    void SelectRowsQuietly(const QList<int> &rows);

    int GetTopItem();
    void SetTopItem(int row);
    int ItemsPerPage();
    void EnsureVisibleCentered(int row);
    void EnsureVisibleCentered() { EnsureVisibleCentered(SelectedRow()); }
    void SelectItemIdxCentered(int row);
    void SelectItemIdCentered(int row);
    void SelectItemIdCentered_OrNearer(int row);
    void SaveSelectionExXX();
    void RestoreSelectionExXX();
    void SaveSelection2();
    void RestoreSelection2();
    void FocusSelected() { MakeVisibleK(SelectedRow()); }
    void MakeVisibleK(int row);
    void MakeVisibleK() { MakeVisibleK(SelectedRow()); }

    // A virtual list shows rows through the callback; its row count is set from outside.
    void SetVirtual(TListViewExModel::VirtualText text) { m_model->SetVirtual(std::move(text)); }
    bool IsVirtual() const { return m_model->IsVirtual(); }
    void SetItemsCount(int count);
    bool IsTopItemChanged();

    // Left and right pixel edge of a column in the viewport (scrolling taken off).
    QRect GetAbsColumnRect(int column) const;
    QRect GetAbsColumnRectT2(int column) const { return GetAbsColumnRect(column).adjusted(0, 2, 0, 0); }
    int GetHorizontalScrollOffset() const;

    static void _DrawTextW_Left(QPainter &painter, const QString &text, const QRect &rect,
                                int marginLeft = 0, int marginRight = 0);
    static void _DrawTextW_Right(QPainter &painter, const QString &text, const QRect &rect,
                                 int marginLeft = 0, int marginRight = 0);

Q_SIGNALS:
    void OnDraggingFinished(QObject *sender);
    void OnResizingFinished(QObject *sender);
    // Every event the header or the rows receive, by Qt event type.
    void OnMessageK(QObject *sender, int code);
    // Selection changes made by the user or by code other than the quiet selection calls.
    void OnSelectionChanged(QObject *sender);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void selectionChanged(const QItemSelection &selected, const QItemSelection &deselected) override;

private:
    void RebuildColumnsAfterDrag();
    void scrollToRow(int row);

    TListViewExModel *m_model;
    QTimer *m_dragTimer;
    bool m_rebuilding = false;
    bool m_quietSelection = false;
    bool m_headerPressed = false;
};

} // namespace orvix
