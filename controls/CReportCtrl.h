#pragma once

#include <QColor>
#include <QIcon>
#include <QList>
#include <QSize>
#include <QTableWidget>

class QHeaderView;

// Column formats for InsertColumn.
constexpr int LVCFMT_LEFT = 0x0000;
constexpr int LVCFMT_RIGHT = 0x0001;
constexpr int LVCFMT_CENTER = 0x0002;

// Extended styles understood by SetExtendedStyle / GetExtendedStyle.
constexpr unsigned LVS_EX_GRIDLINES = 0x00000001;
constexpr unsigned LVS_EX_SUBITEMIMAGES = 0x00000002;
constexpr unsigned LVS_EX_CHECKBOXES = 0x00000004;
constexpr unsigned LVS_EX_FULLROWSELECT = 0x00000020;

// A list fixed in report view: rows of cells with a header. Every cell has its own text colour
// and background colour; a click on a header sorts the rows by that column (numbers, dates or
// text according to what the cells hold) and the list then emits sorted().
//
// Rows are addressed by their current position, columns by their logical index (the index
// given at insertion), whatever order the header shows them in.
// A click on a cell is reported by QTableWidget::cellClicked(row, column).
class CReportCtrl : public QTableWidget {
    Q_OBJECT

public:
    explicit CReportCtrl(QWidget* parent = nullptr);
    ~CReportCtrl() override;

    // Images for the cells, addressed by index; iconSize is the size they are drawn at
    // (an invalid size keeps the list's current icon size).
    void SetImageList(const QList<QIcon>& images, const QSize& iconSize = QSize());
    const QList<QIcon>& GetImageList() const { return m_images; }

    // Full-row selection and sub-item images are always added to the requested style.
    void SetExtendedStyle(unsigned style);
    unsigned GetExtendedStyle() const { return m_extendedStyle; }

    // Returns the new column's index, or −1. subItem is accepted for familiarity; the column's
    // cells always belong to that column.
    int InsertColumn(int column, const QString& heading, int format = LVCFMT_LEFT, int width = -1,
                     int subItem = -1);
    int GetColumnCount() const { return columnCount(); }

    // Inserts a row (position clamped to 0 … count) with text in column 0; returns its position.
    int InsertItem(int row, const QString& text);
    bool DeleteItem(int row);
    void DeleteAllItems();
    int GetItemCount() const { return rowCount(); }

    bool SetItemText(int row, int column, const QString& text);
    QString GetItemText(int row, int column) const;
    // image is an index into the image list; −1 removes the image.
    bool SetItemImage(int row, int column, int image);
    int GetItemImage(int row, int column) const;

    // A value the owner keeps with a row; it follows the row through sorts.
    bool SetItemData(int row, quint32 data);
    quint32 GetItemData(int row) const;

    bool SetItemTextColor(int row, int column, const QColor& color);
    QColor GetItemTextColor(int row, int column) const;
    bool SetItemBkColor(int row, int column, const QColor& color);
    QColor GetItemBkColor(int row, int column) const;

    // Selection and focus of rows.
    bool SetItemSelected(int row, bool selected);
    bool IsItemSelected(int row) const;
    QList<int> GetSelectedItems() const;
    int GetFocusedItem() const;
    bool SetFocusedItem(int row);

    // Check boxes in column 0 (only with LVS_EX_CHECKBOXES).
    bool SetCheck(int row, bool checked);
    bool GetCheck(int row) const;

    // Sorts the rows by a column. Does nothing when the column does not exist, the header is
    // hidden or its sections are not clickable.
    void SortItems(int column, bool ascending);
    int GetSortColumn() const { return m_sortColumn; }
    bool IsSortAscending() const { return m_sortAscending; }

    QHeaderView* GetHeaderCtrl() const;
    // The logical column shown at each display position, left to right.
    QList<int> GetColumnOrderArray() const;
    bool SetColumnOrderArray(const QList<int>& order);

signals:
    // After every completed sort.
    void sorted(int column, bool ascending);
    // A click that changed a row's check box; that row alone is then selected and focused.
    void checkClicked(int row);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void OnHeaderClicked(int column);
    void ForgetSortState();
    QTableWidgetItem* NewCell(int column) const;
    QTableWidgetItem* Cell(int row, int column) const;
    void ApplyImage(QTableWidgetItem* cell, int image) const;

    QList<QIcon> m_images;
    QList<int> m_formats;  // per column, the LVCFMT_* of InsertColumn
    unsigned m_extendedStyle = LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES;
    int m_sortColumn = -1;
    bool m_sortAscending = true;
    int m_pressedCheckRow = -1;
    bool m_pressedCheckState = false;
};
