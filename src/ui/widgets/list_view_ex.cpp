#include "list_view_ex.h"

#include "foundation/errors.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>

namespace orvix {

namespace {
constexpr int kRebuildAfterDragMs = 10;
}

TListViewEx::TListViewEx(QWidget *parent) : QTreeView(parent), m_model(new TListViewExModel(this))
{
    setModel(m_model);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setAllColumnsShowFocus(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Whole rows per scroll step: the first visible row is then exactly the scroll position.
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    header()->setSectionsMovable(true);
    header()->setSectionsClickable(true);
    header()->setStretchLastSection(false);
    header()->setContextMenuPolicy(Qt::CustomContextMenu);
    header()->viewport()->installEventFilter(this);
    viewport()->installEventFilter(this);

    m_dragTimer = new QTimer(this);
    m_dragTimer->setSingleShot(true);
    m_dragTimer->setInterval(kRebuildAfterDragMs);
    connect(m_dragTimer, &QTimer::timeout, this, &TListViewEx::RebuildColumnsAfterDrag);

    connect(header(), &QHeaderView::sectionPressed, this, [this] { LvDraggingColumn = true; });
    connect(header(), &QHeaderView::sectionMoved, this, [this] {
        if (!m_rebuilding)
            m_dragTimer->start();
    });
    connect(header(), &QHeaderView::sectionResized, this, [this] {
        if (!m_rebuilding && m_headerPressed)
            LvResizingColumn = true;
    });
    connect(header(), &QHeaderView::customContextMenuRequested, this, [this](const QPoint &pos) {
        if (PopupMenu_Header)
            PopupMenu_Header->popup(header()->viewport()->mapToGlobal(pos));
    });
}

bool TListViewEx::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == header()->viewport() || watched == viewport()) {
        Q_EMIT OnMessageK(this, int(event->type()));
        if (watched == header()->viewport() && event->type() == QEvent::MouseButtonPress)
            m_headerPressed = true;
        if (watched == header()->viewport() && event->type() == QEvent::MouseButtonRelease) {
            m_headerPressed = false;
            LvDraggingColumn = false;
            if (LvResizingColumn) {
                LvResizingColumn = false;
                Q_EMIT OnResizingFinished(this);
            }
        }
    }
    return QTreeView::eventFilter(watched, event);
}

void TListViewEx::selectionChanged(const QItemSelection &selected, const QItemSelection &deselected)
{
    QTreeView::selectionChanged(selected, deselected);
    if (!m_quietSelection)
        Q_EMIT OnSelectionChanged(this);
}

// --- columns ---------------------------------------------------------------------------------

int TListViewEx::FindColumnSpec(const QStringList &specs, const QString &caption)
{
    const QString prefix = caption + QLatin1Char(':');
    for (int i = 0; i < specs.size(); ++i)
        if (specs.at(i).startsWith(prefix) || specs.at(i) == caption)
            return i;
    return -1;
}

void TListViewEx::LoadColumns(const QStringList &designedSpecs)
{
    columsOriginalSl = designedSpecs;
    if (columsCurrentSl.isEmpty())
        columsCurrentSl = columsOriginalSl;
    RebuildColumns();
}

void TListViewEx::ResetColumns_LVEX()
{
    QStringList specs;
    for (int i = 0; i < m_model->columnCount(); ++i) {
        const auto &c = m_model->Columns().at(i);
        specs.append(QStringLiteral("%1:%2:%3:%4")
                         .arg(c.caption)
                         .arg(header()->sectionSize(i))
                         .arg(c.rightAligned ? QStringLiteral("R") : QStringLiteral("L"))
                         .arg(c.tag));
    }
    columsOriginalSl = specs;
    columsCurrentSl = specs;
}

void TListViewEx::RebuildColumns()
{
    QList<TListViewExModel::Column> columns;
    int width = 0;
    int tag = 0;
    for (int i = 0; i < columsCurrentSl.size(); ++i) {
        const ArStrX items = TextSplit(columsCurrentSl.at(i), u":", true);
        TListViewExModel::Column c;
        c.caption = items.value(0);
        bool ok = false;
        if (items.size() >= 2) {
            const int w = items.at(1).toInt(&ok);
            if (ok)
                width = w;
        }
        if (items.size() >= 4) {
            const int t = items.at(3).toInt(&ok);
            if (ok)
                tag = t;
        }
        c.width = width;
        c.tag = tag;
        c.rightAligned = items.size() >= 3 && items.at(2) == QLatin1String("R");
        const int field = FindColumnSpec(columsOriginalSl, c.caption);
        c.field = field >= 0 ? field : i;
        columns.append(c);
    }

    // A model reset forgets the selection and the header's moved sections: keep the one, drop
    // the other (the new column order is the dragged one).
    const QList<int> selected = SelectedRows();
    const int current = currentIndex().row();
    const int top = RowCount() > 0 ? GetTopItem() : -1;
    m_rebuilding = true;
    setUpdatesEnabled(false);
    m_model->SetColumns(columns);
    for (int i = 0; i < columns.size(); ++i) {
        const int visual = header()->visualIndex(i);
        if (visual != i)
            header()->moveSection(visual, i);
        header()->resizeSection(i, columns.at(i).width);
    }
    m_rebuilding = false;
    SelectRowsQuietly(selected);
    if (current >= 0 && current < RowCount()) {
        m_quietSelection = true;
        selectionModel()->setCurrentIndex(m_model->index(current, 0), QItemSelectionModel::NoUpdate);
        m_quietSelection = false;
    }
    if (top >= 0)
        SetTopItem(top);
    setUpdatesEnabled(true);
}

void TListViewEx::RebuildColumnsAfterDrag()
{
    QHeaderView *h = header();
    QStringList specs;
    for (int visual = 0; visual < h->count(); ++visual) {
        const int logical = h->logicalIndex(visual);
        const auto &c = m_model->Columns().at(logical);
        const int stored = FindColumnSpec(columsCurrentSl, c.caption);
        const int width = (stored >= 0 && stored < h->count()) ? h->sectionSize(stored) : h->sectionSize(logical);
        specs.append(QStringLiteral("%1:%2:%3:%4")
                         .arg(c.caption)
                         .arg(width)
                         .arg(c.rightAligned ? QStringLiteral("R") : QStringLiteral("L"))
                         .arg(c.tag));
    }
    columsCurrentSl = specs;
    RebuildColumns();
    viewport()->update();
    Q_EMIT OnDraggingFinished(this);
}

// --- rows ------------------------------------------------------------------------------------

int TListViewEx::AddRange(const ArStrX &row) { return m_model->AddRow(row, AddToTop); }

int TListViewEx::AddRangeTop(const ArStrX &row) { return m_model->AddRow(row, true); }

void TListViewEx::SetFromSL(const QString &text, QChar separator)
{
    SetFromSL(TextSplit(text, u"\r\n"), separator);
}

void TListViewEx::SetFromSL(const QStringList &lines, QChar separator)
{
    setUpdatesEnabled(false);
    Clear();
    const QString sep(separator);
    for (const QString &line : lines)
        AddRange(TextSplit(line, sep, true));
    setUpdatesEnabled(true);
}

ArStrX TListViewEx::GetLVLineAr(int row) const { return m_model->RowTexts(row); }

ArStrX TListViewEx::GetLVLineAr() const
{
    const int row = SelectedRow();
    return row < 0 ? ArStrX() : GetLVLineAr(row);
}

void TListViewEx::SetLVLineAr(int row, const ArStrX &texts) { m_model->SetRowTexts(row, texts); }

void TListViewEx::ExchangeItems(int a, int b) { m_model->SwapRows(a, b, false); }

void TListViewEx::MoveSelectedByX(int offset)
{
    const int row = SelectedRow();
    if (row < 0 || (offset != 1 && offset != -1))
        return;
    const int other = row + offset;
    if (!m_model->IsValidRow(other))
        return;
    if (m_model->FieldCount(row) != m_model->FieldCount(other))
        throw EOrvix(QStringLiteral("cannot exhcange rows"));
    m_model->SwapRows(row, other, true);
    SelectRowsQuietly({other});
    scrollToRow(other);
}

void TListViewEx::MoveFocusByX(int offset)
{
    if (RowCount() == 0)
        return;
    const int row = std::clamp(SelectedRow() + offset, 0, RowCount() - 1);
    SelectRowsQuietly({row});
    scrollToRow(row);
}

int TListViewEx::IndexOf_CI(const QString &caption) const { return m_model->IndexOfCaption(caption); }

QString TListViewEx::GetText_K() const
{
    const int row = SelectedRow();
    return row < 0 ? QString() : m_model->Text(row, 0);
}

void TListViewEx::Clear()
{
    setUpdatesEnabled(false);
    m_model->Clear();
    setUpdatesEnabled(true);
}

// --- selection and scrolling -----------------------------------------------------------------

QList<int> TListViewEx::SelectedRows() const
{
    QList<int> rows;
    for (const QModelIndex &index : selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

int TListViewEx::SelectedRow() const
{
    const QModelIndex current = currentIndex();
    if (current.isValid() && selectionModel()->isRowSelected(current.row(), QModelIndex()))
        return current.row();
    const QList<int> rows = SelectedRows();
    return rows.isEmpty() ? -1 : rows.first();
}

void TListViewEx::SelectRowsQuietly(const QList<int> &rows)
{
    m_quietSelection = true;
    QItemSelection selection;
    int first = -1;
    for (int row : rows) {
        if (!m_model->IsValidRow(row))
            continue;
        selection.select(m_model->index(row, 0), m_model->index(row, std::max(0, m_model->columnCount() - 1)));
        if (first < 0)
            first = row;
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (first >= 0)
        selectionModel()->setCurrentIndex(m_model->index(first, 0), QItemSelectionModel::NoUpdate);
    m_quietSelection = false;
}

void TListViewEx::scrollToRow(int row)
{
    if (m_model->IsValidRow(row) && m_model->columnCount() > 0)
        scrollTo(m_model->index(row, 0), QAbstractItemView::EnsureVisible);
}

int TListViewEx::GetTopItem()
{
    if (RowCount() == 0)
        return -1;
    executeDelayedItemsLayout();
    return std::min(verticalScrollBar()->value(), RowCount() - 1);
}

void TListViewEx::SetTopItem(int row)
{
    if (!m_model->IsValidRow(row))
        return;
    executeDelayedItemsLayout();
    verticalScrollBar()->setValue(row);
}

int TListViewEx::ItemsPerPage()
{
    if (RowCount() == 0 || m_model->columnCount() == 0)
        return 0;
    const int rowHeight = std::max(1, this->rowHeight(m_model->index(0, 0)) > 0
                                          ? this->rowHeight(m_model->index(0, 0))
                                          : sizeHintForRow(0));
    return qRound(double(viewport()->height()) / rowHeight);
}

void TListViewEx::EnsureVisibleCentered(int row)
{
    if (row == -1)
        return;
    if (!m_model->IsValidRow(row))
        throw EOrvix(QStringLiteral("SPropertyOutOfRange"));
    SetTopItem(std::max(0, row - ItemsPerPage() / 2));
}

void TListViewEx::SelectItemIdxCentered(int row)
{
    if (IsVirtual()) {
        selectedRecordId = {row};
        RestoreSelectionExXX();
    } else {
        SelectRowsQuietly({row});
    }
    if (m_model->IsValidRow(row))
        EnsureVisibleCentered(row);
}

void TListViewEx::SelectItemIdCentered(int row)
{
    if (!m_model->IsValidRow(row))
        return;
    SelectRowsQuietly({row});
    setFocus();
    scrollToRow(row);
}

void TListViewEx::SelectItemIdCentered_OrNearer(int row)
{
    if (RowCount() == 0)
        return;
    SelectItemIdCentered(row == RowCount() ? RowCount() - 1 : row);
}

void TListViewEx::SaveSelectionExXX()
{
    if (IsVirtual()) {
        selectedRecordId.clear();
        for (int row : SelectedRows())
            if (row < LvItems.Count())
                selectedRecordId.append(LvItems.Items(row));
        return;
    }
    selectedRecordIdx = SelectedRow();
    topRecordIdx = GetTopItem();
}

void TListViewEx::RestoreSelectionExXX()
{
    if (IsVirtual()) {
        const QSet<int> wanted(selectedRecordId.cbegin(), selectedRecordId.cend());
        QList<int> rows;
        const int n = std::min(RowCount(), LvItems.Count());
        for (int row = 0; row < n; ++row)
            if (wanted.contains(LvItems.Items(row)))
                rows.append(row);
        SelectRowsQuietly(rows);
        if (!rows.isEmpty())
            scrollToRow(rows.first());
        return;
    }
    if (m_model->IsValidRow(selectedRecordIdx))
        SelectRowsQuietly({selectedRecordIdx});
    SetTopItem(topRecordIdx);
}

void TListViewEx::SaveSelection2() { previousItemIndex = SelectedRow(); }

void TListViewEx::RestoreSelection2()
{
    if (previousItemIndex < 0 || RowCount() == 0)
        return;
    const int row = std::min(previousItemIndex, RowCount() - 1);
    SelectRowsQuietly({row});
    scrollToRow(row);
}

void TListViewEx::MakeVisibleK(int row)
{
    if (!m_model->IsValidRow(row))
        return;
    m_quietSelection = true;
    selectionModel()->setCurrentIndex(m_model->index(row, 0), QItemSelectionModel::NoUpdate);
    m_quietSelection = false;
    scrollToRow(row);
}

void TListViewEx::SetItemsCount(int count)
{
    const int top = GetTopItem();
    m_model->SetVirtualCount(count);
    if (top >= 0)
        SetTopItem(std::min(top, RowCount() - 1));
}

bool TListViewEx::IsTopItemChanged()
{
    const int top = GetTopItem();
    const bool changed = top != lastTopItemIndex;
    lastTopItemIndex = top;
    return changed;
}

QRect TListViewEx::GetAbsColumnRect(int column) const
{
    if (column < 0 || column >= header()->count())
        return {};
    const int left = header()->sectionViewportPosition(column);
    return QRect(QPoint(left, 0), QPoint(left + header()->sectionSize(column) - 1, viewport()->height() - 1));
}

int TListViewEx::GetHorizontalScrollOffset() const { return horizontalScrollBar()->value(); }

namespace {
void drawLine(QPainter &painter, const QString &text, const QRect &rect, int marginLeft, int marginRight,
              Qt::Alignment align)
{
    const QRect r = rect.adjusted(marginLeft, 0, -marginRight, 0);
    const QString shown = painter.fontMetrics().elidedText(text, Qt::ElideRight, std::max(0, r.width()));
    painter.drawText(r, int(align | Qt::AlignVCenter | Qt::TextSingleLine), shown);
}
} // namespace

void TListViewEx::_DrawTextW_Left(QPainter &painter, const QString &text, const QRect &rect, int marginLeft,
                                  int marginRight)
{
    drawLine(painter, text, rect, marginLeft, marginRight, Qt::AlignLeft);
}

void TListViewEx::_DrawTextW_Right(QPainter &painter, const QString &text, const QRect &rect, int marginLeft,
                                   int marginRight)
{
    drawLine(painter, text, rect, marginLeft, marginRight, Qt::AlignRight);
}

} // namespace orvix
