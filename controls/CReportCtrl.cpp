#include "controls/CReportCtrl.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QItemSelection>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <vector>

#include "controls/ReportSort.h"

namespace {

constexpr int kImageRole = Qt::UserRole + 1;
constexpr int kRowDataRole = Qt::UserRole + 2;

Qt::Alignment AlignmentOf(int format) {
    switch (format & 0x3) {
        case LVCFMT_RIGHT:
            return Qt::AlignRight | Qt::AlignVCenter;
        case LVCFMT_CENTER:
            return Qt::AlignHCenter | Qt::AlignVCenter;
        default:
            return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

// A cell that holds only an image (the download column) shows it where its text would go,
// centred in a centred column, instead of pinned to the left edge.
class ReportCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        if (!opt.text.isEmpty() || opt.icon.isNull() ||
            (opt.features & QStyleOptionViewItem::HasCheckIndicator)) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        const QIcon icon = opt.icon;
        opt.icon = QIcon();
        opt.features &= ~QStyleOptionViewItem::HasDecoration;
        const QWidget* widget = opt.widget;
        QStyle* style = widget ? widget->style() : nullptr;
        if (style) style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
        const QSize size = opt.decorationSize.boundedTo(opt.rect.size());
        const QRect target = QStyle::alignedRect(opt.direction, opt.displayAlignment, size,
                                                 opt.rect.adjusted(2, 0, -2, 0));
        const QIcon::Mode mode = !(opt.state & QStyle::State_Enabled)   ? QIcon::Disabled
                                 : (opt.state & QStyle::State_Selected) ? QIcon::Selected
                                                                        : QIcon::Normal;
        icon.paint(painter, target, Qt::AlignCenter, mode);
    }

    // Columns keep their widths, so a long note is drawn cut short: hovering the cell shows
    // the whole text.
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override {
        if (event && view && event->type() == QEvent::ToolTip && index.isValid() &&
            !index.data(Qt::ToolTipRole).isValid()) {
            const QString text = index.data(Qt::DisplayRole).toString();
            if (!text.isEmpty() && sizeHint(option, index).width() > option.rect.width()) {
                QToolTip::showText(event->globalPos(), text, view->viewport(), option.rect);
                return true;
            }
        }
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    }
};

}  // namespace

CReportCtrl::CReportCtrl(QWidget* parent) : QTableWidget(parent) {
    // Always a report: rows selected whole, no in-place editing, headers on top only.
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    setShowGrid(false);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setItemDelegate(new ReportCellDelegate(this));
    verticalHeader()->hide();
    QHeaderView* header = horizontalHeader();
    header->setSectionsClickable(true);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    header->setSortIndicatorShown(false);
    connect(header, &QHeaderView::sectionClicked, this, &CReportCtrl::OnHeaderClicked);
}

CReportCtrl::~CReportCtrl() = default;

QTableWidgetItem* CReportCtrl::Cell(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return nullptr;
    return item(row, column);
}

QTableWidgetItem* CReportCtrl::NewCell(int column) const {
    auto* cell = new QTableWidgetItem;
    cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    cell->setTextAlignment(AlignmentOf(m_formats.value(column, LVCFMT_LEFT)));
    cell->setForeground(palette().color(QPalette::Text));
    cell->setBackground(palette().color(QPalette::Base));
    cell->setData(kImageRole, -1);
    if (column == 0 && (m_extendedStyle & LVS_EX_CHECKBOXES)) {
        cell->setFlags(cell->flags() | Qt::ItemIsUserCheckable);
        cell->setCheckState(Qt::Unchecked);
    }
    return cell;
}

void CReportCtrl::ApplyImage(QTableWidgetItem* cell, int image) const {
    cell->setData(kImageRole, image);
    cell->setIcon(image >= 0 && image < m_images.size() ? m_images[image] : QIcon());
}

void CReportCtrl::SetImageList(const QList<QIcon>& images, const QSize& iconSize) {
    m_images = images;
    if (iconSize.isValid()) {
        setIconSize(iconSize);
        const int height = std::max(verticalHeader()->defaultSectionSize(), iconSize.height() + 6);
        verticalHeader()->setDefaultSectionSize(height);
        for (int r = 0; r < rowCount(); ++r) setRowHeight(r, height);
    }
    for (int r = 0; r < rowCount(); ++r)
        for (int c = 0; c < columnCount(); ++c)
            if (QTableWidgetItem* cell = item(r, c))
                ApplyImage(cell, cell->data(kImageRole).toInt());
}

void CReportCtrl::SetExtendedStyle(unsigned style) {
    const bool hadChecks = m_extendedStyle & LVS_EX_CHECKBOXES;
    m_extendedStyle = style | LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES;
    setShowGrid(m_extendedStyle & LVS_EX_GRIDLINES);
    const bool hasChecks = m_extendedStyle & LVS_EX_CHECKBOXES;
    if (hadChecks == hasChecks || columnCount() == 0) return;
    for (int r = 0; r < rowCount(); ++r) {
        QTableWidgetItem* cell = item(r, 0);
        if (!cell) continue;
        if (hasChecks) {
            cell->setFlags(cell->flags() | Qt::ItemIsUserCheckable);
            cell->setCheckState(Qt::Unchecked);
        } else {
            cell->setFlags(cell->flags() & ~Qt::ItemIsUserCheckable);
            cell->setData(Qt::CheckStateRole, QVariant());
        }
    }
}

int CReportCtrl::InsertColumn(int column, const QString& heading, int format, int width, int) {
    if (column < 0) return -1;
    column = std::min(column, columnCount());
    insertColumn(column);
    m_formats.insert(column, format);
    auto* head = new QTableWidgetItem(heading);
    head->setTextAlignment(AlignmentOf(format));
    setHorizontalHeaderItem(column, head);
    for (int r = 0; r < rowCount(); ++r) setItem(r, column, NewCell(column));
    if (width >= 0) setColumnWidth(column, width);
    // The sorted column keeps its identity when a column goes in before it.
    if (m_sortColumn >= column) ++m_sortColumn;
    return column;
}

int CReportCtrl::InsertItem(int row, const QString& text) {
    ForgetSortState();
    row = std::clamp(row, 0, rowCount());
    insertRow(row);
    auto* rowData = new QTableWidgetItem;
    rowData->setData(kRowDataRole, QVariant::fromValue<quint32>(0));
    setVerticalHeaderItem(row, rowData);
    for (int c = 0; c < columnCount(); ++c) setItem(row, c, NewCell(c));
    if (QTableWidgetItem* first = Cell(row, 0)) first->setText(text);
    return row;
}

bool CReportCtrl::DeleteItem(int row) {
    if (row < 0 || row >= rowCount()) return false;
    removeRow(row);
    return true;
}

void CReportCtrl::DeleteAllItems() {
    const bool updates = updatesEnabled();
    setUpdatesEnabled(false);
    setRowCount(0);
    setUpdatesEnabled(updates);
}

bool CReportCtrl::SetItemText(int row, int column, const QString& text) {
    ForgetSortState();
    QTableWidgetItem* cell = Cell(row, column);
    if (!cell) return false;
    cell->setText(text);
    return true;
}

QString CReportCtrl::GetItemText(int row, int column) const {
    const QTableWidgetItem* cell = Cell(row, column);
    return cell ? cell->text() : QString();
}

bool CReportCtrl::SetItemImage(int row, int column, int image) {
    QTableWidgetItem* cell = Cell(row, column);
    if (!cell) return false;
    ApplyImage(cell, image < 0 ? -1 : image);
    return true;
}

int CReportCtrl::GetItemImage(int row, int column) const {
    const QTableWidgetItem* cell = Cell(row, column);
    return cell ? cell->data(kImageRole).toInt() : -1;
}

bool CReportCtrl::SetItemData(int row, quint32 data) {
    if (row < 0 || row >= rowCount()) return false;
    QTableWidgetItem* holder = verticalHeaderItem(row);
    if (!holder) {
        holder = new QTableWidgetItem;
        setVerticalHeaderItem(row, holder);
    }
    holder->setData(kRowDataRole, QVariant::fromValue<quint32>(data));
    return true;
}

quint32 CReportCtrl::GetItemData(int row) const {
    if (row < 0 || row >= rowCount()) return 0;
    const QTableWidgetItem* holder = verticalHeaderItem(row);
    return holder ? holder->data(kRowDataRole).value<quint32>() : 0;
}

bool CReportCtrl::SetItemTextColor(int row, int column, const QColor& color) {
    QTableWidgetItem* cell = Cell(row, column);
    if (!cell) return false;
    cell->setForeground(color);
    return true;
}

QColor CReportCtrl::GetItemTextColor(int row, int column) const {
    const QTableWidgetItem* cell = Cell(row, column);
    return cell ? cell->foreground().color() : QColor();
}

bool CReportCtrl::SetItemBkColor(int row, int column, const QColor& color) {
    QTableWidgetItem* cell = Cell(row, column);
    if (!cell) return false;
    cell->setBackground(color);
    return true;
}

QColor CReportCtrl::GetItemBkColor(int row, int column) const {
    const QTableWidgetItem* cell = Cell(row, column);
    return cell ? cell->background().color() : QColor();
}

bool CReportCtrl::SetItemSelected(int row, bool selected) {
    if (row < 0 || row >= rowCount() || columnCount() == 0) return false;
    selectionModel()->select(model()->index(row, 0), (selected ? QItemSelectionModel::Select
                                                               : QItemSelectionModel::Deselect) |
                                                         QItemSelectionModel::Rows);
    return true;
}

bool CReportCtrl::IsItemSelected(int row) const {
    if (row < 0 || row >= rowCount() || columnCount() == 0) return false;
    return selectionModel()->isSelected(model()->index(row, 0));
}

QList<int> CReportCtrl::GetSelectedItems() const {
    QList<int> rows;
    for (int r = 0; r < rowCount(); ++r)
        if (IsItemSelected(r)) rows << r;
    return rows;
}

int CReportCtrl::GetFocusedItem() const {
    const QModelIndex current = selectionModel()->currentIndex();
    return current.isValid() ? current.row() : -1;
}

bool CReportCtrl::SetFocusedItem(int row) {
    if (row < 0 || row >= rowCount() || columnCount() == 0) return false;
    const int column = std::max(0, currentColumn());
    selectionModel()->setCurrentIndex(model()->index(row, column), QItemSelectionModel::NoUpdate);
    return true;
}

bool CReportCtrl::SetCheck(int row, bool checked) {
    QTableWidgetItem* cell = Cell(row, 0);
    if (!cell || !(m_extendedStyle & LVS_EX_CHECKBOXES)) return false;
    cell->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    return true;
}

bool CReportCtrl::GetCheck(int row) const {
    const QTableWidgetItem* cell = Cell(row, 0);
    return cell && (m_extendedStyle & LVS_EX_CHECKBOXES) && cell->checkState() == Qt::Checked;
}

void CReportCtrl::ForgetSortState() {
    m_sortColumn = -1;
    m_sortAscending = true;
    horizontalHeader()->setSortIndicatorShown(false);
}

void CReportCtrl::OnHeaderClicked(int column) {
    SortItems(column, column == m_sortColumn ? !m_sortAscending : true);
}

void CReportCtrl::SortItems(int column, bool ascending) {
    QHeaderView* header = horizontalHeader();
    if (column < 0 || column >= columnCount() || header->isHidden() || !header->sectionsClickable())
        return;
    m_sortColumn = column;
    m_sortAscending = ascending;

    const int rows = rowCount();
    const int columns = columnCount();
    QStringList texts;
    texts.reserve(rows);
    for (int r = 0; r < rows; ++r) texts << GetItemText(r, column);
    const QList<int> order = ReportSort(locale()).Order(texts, ascending);

    // Each row leaves with everything it owns: cells (text, image, colours, check box), row
    // data, selection and focus.
    struct RowSnapshot {
        QTableWidgetItem* rowData = nullptr;
        std::vector<QTableWidgetItem*> cells;
        bool selected = false;
    };
    const int focusedRow = GetFocusedItem();
    const int focusedColumn = std::max(0, currentColumn());
    std::vector<RowSnapshot> snapshots(static_cast<size_t>(rows));
    for (int r = 0; r < rows; ++r) {
        RowSnapshot& s = snapshots[static_cast<size_t>(r)];
        s.selected = IsItemSelected(r);
        s.rowData = takeVerticalHeaderItem(r);
        s.cells.resize(static_cast<size_t>(columns));
        for (int c = 0; c < columns; ++c) s.cells[static_cast<size_t>(c)] = takeItem(r, c);
    }

    const bool updates = updatesEnabled();
    setUpdatesEnabled(false);
    QItemSelection selection;
    int newFocus = -1;
    for (int r = 0; r < rows; ++r) {
        const int from = order[r];
        RowSnapshot& s = snapshots[static_cast<size_t>(from)];
        setVerticalHeaderItem(r, s.rowData);
        for (int c = 0; c < columns; ++c) setItem(r, c, s.cells[static_cast<size_t>(c)]);
        if (s.selected) selection.select(model()->index(r, 0), model()->index(r, columns - 1));
        if (from == focusedRow) newFocus = r;
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    if (newFocus >= 0)
        selectionModel()->setCurrentIndex(model()->index(newFocus, focusedColumn),
                                          QItemSelectionModel::NoUpdate);
    setUpdatesEnabled(updates);

    header->setSortIndicatorShown(true);
    header->setSortIndicator(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    emit sorted(column, ascending);
}

QHeaderView* CReportCtrl::GetHeaderCtrl() const {
    return horizontalHeader();
}

QList<int> CReportCtrl::GetColumnOrderArray() const {
    QList<int> order;
    const QHeaderView* header = horizontalHeader();
    for (int v = 0; v < header->count(); ++v) order << header->logicalIndex(v);
    return order;
}

bool CReportCtrl::SetColumnOrderArray(const QList<int>& order) {
    QHeaderView* header = horizontalHeader();
    const int n = header->count();
    if (order.size() != n) return false;
    QList<bool> seen(n, false);
    for (int logical : order) {
        if (logical < 0 || logical >= n || seen[logical]) return false;
        seen[logical] = true;
    }
    for (int v = 0; v < n; ++v) header->moveSection(header->visualIndex(order[v]), v);
    return true;
}

void CReportCtrl::keyPressEvent(QKeyEvent* event) {
    // Space would toggle the selection of the focused row; the list ignores it.
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QTableWidget::keyPressEvent(event);
}

void CReportCtrl::mousePressEvent(QMouseEvent* event) {
    m_pressedCheckRow = -1;
    if (m_extendedStyle & LVS_EX_CHECKBOXES) {
        const QModelIndex index = indexAt(event->position().toPoint());
        if (index.isValid()) {
            m_pressedCheckRow = index.row();
            m_pressedCheckState = GetCheck(index.row());
        }
    }
    QTableWidget::mousePressEvent(event);
}

void CReportCtrl::mouseReleaseEvent(QMouseEvent* event) {
    QTableWidget::mouseReleaseEvent(event);
    const int row = m_pressedCheckRow;
    m_pressedCheckRow = -1;
    if (row < 0 || row >= rowCount() || GetCheck(row) == m_pressedCheckState) return;
    // A click on a check box makes its row the only selected one, so the owner acts on it.
    clearSelection();
    SetItemSelected(row, true);
    SetFocusedItem(row);
    emit checkClicked(row);
}
