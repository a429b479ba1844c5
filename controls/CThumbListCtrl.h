#pragma once

#include <QAbstractScrollArea>
#include <QHash>
#include <QImage>
#include <QPixmap>
#include <QThreadPool>
#include <atomic>
#include <memory>
#include <vector>

#include "controls/ThumbnailRenderer.h"

// Icon view of pictures with a two-line caption (name, and the type code in grey): the
// product list of the main window and the single picture of each document page.
//
// Owners fill it in this order: DeleteAllItems, SetThumbWidth, SetThumbHeight, InitThumbList,
// then AddThumbnail with indices 0, 1, 2, ... or one ShowPicture. Adding never blocks: the item
// appears at once with its white (framed) ground and caption, and its picture is decoded on a
// worker pool (visible cells first) and drawn when it arrives; cells of recently shown pictures
// come from ThumbnailCache. The finished cell is pixel for pixel what ThumbnailRenderer::Render
// gives in line. Re-initialising or emptying the list
// drops every pending result.
//
// Only the cells on screen and a margin around them (a screen above and below, at least
// kMinKeptCells) are loaded and kept; a cell that scrolls out of that range gives its picture
// back and is loaded again when it comes near the screen. A long list thus holds no more
// pictures than a short one.
//
// The frame of a thumbnail follows its owner's display mode at the time of the add: 2 means no
// frame. A list made without a mode frames every thumbnail.
// The owner sets objectName and, if wanted, the frame shape of the scroll area
// (setFrameShape(QFrame::NoFrame) for a borderless list).
class CThumbListCtrl : public QAbstractScrollArea {
    Q_OBJECT

public:
    // The fewest cells kept loaded around the screen.
    static constexpr int kMinKeptCells = 36;

    explicit CThumbListCtrl(QWidget* parent = nullptr);
    // A list whose frames follow `thumbListMode`, which the owner keeps for the list's life.
    CThumbListCtrl(const int& thumbListMode, QWidget* parent);
    ~CThumbListCtrl() override;

    // Cell width and picture-area height in pixels (140 x 140 after construction); they take
    // effect at the next InitThumbList and in every later add.
    void SetThumbWidth(int w);
    void SetThumbHeight(int h);
    int GetThumbWidth() const { return m_thumbWidth; }
    int GetThumbHeight() const { return m_thumbHeight; }

    // Starts a new picture set: cells from now on are thumbWidth x (thumbHeight + 35). Pending
    // loads are dropped; items the owner did not delete keep their caption and lose their
    // picture (they show a plain white ground).
    void InitThumbList();
    // Number of InitThumbList calls so far (0 until the first).
    int ImageListGeneration() const { return m_imageListCreated; }

    // Adds one thumbnail item at `index` (clamped to 0..count, later items move down) with
    // `caption` as its text. Every call adds its item: an empty path, a path without an
    // accepted picture extension, a missing or undecodable file give a white cell.
    void AddThumbnail(const QString& path, int index, const QString& caption);
    // Adds the picture unframed, at its fitted size, as item 0; a path without an accepted
    // picture extension adds nothing.
    void ShowPicture(const QString& path, const QString& caption);

    // List-control operations the owners use.
    void DeleteAllItems();
    int GetItemCount() const { return static_cast<int>(m_items.size()); }
    QString GetItemText(int index) const;
    // The item last clicked (or set), -1 when there is none.
    int GetSelectionMark() const { return m_selectionMark; }
    void SetSelectionMark(int index);
    // Scrolls to the top and the left end.
    void ScrollToOrigin();

    // The keyboard's item: it carries the focus frame while the list has the focus, arrows,
    // Page Up/Down and Home/End move it, Enter or Space opens it like a click. -1 for none
    // (an empty list, or no key or click yet).
    int CurrentIndex() const { return m_current; }
    void SetCurrentIndex(int index);
    // Scrolls so that item `index` is fully visible.
    void EnsureVisible(int index);
    // Number of whole rows the viewport shows (at least 1).
    int VisibleRows() const;

    // Number of pictures decoded at the same time (one per processor core by default).
    void SetLoaderThreads(int count);
    int LoaderThreads() const { return m_pool.maxThreadCount(); }

    // Number of items near the screen whose picture has not been drawn yet.
    int PendingThumbnails() const;
    // Runs the event loop until every pending picture is drawn; false after `timeoutMs`
    // (negative: no limit) with pictures still pending.
    bool WaitForThumbnails(int timeoutMs = -1);

    // Geometry in viewport coordinates: the item's whole bounds, and where its cell image is
    // drawn. Empty for an index out of range.
    QRect ItemRect(int index) const;
    QRect IconRect(int index) const;
    // The two caption bands of an item (name above, type code below), viewport coordinates.
    QRect NameBand(int index) const;
    QRect TypeBand(int index) const;
    // Item under a viewport position, -1 for none.
    int IndexAt(const QPoint& viewportPos) const;
    // The cell image the item shows now (the blank ground while its picture is pending).
    QImage ItemImage(int index) const;
    // True when the item's final picture has been drawn (and is still kept).
    bool IsThumbnailReady(int index) const;
    // The items whose cells are loaded or kept now, as [first, last].
    std::pair<int, int> KeptRange() const { return {m_keepFrom, m_keepTo}; }

    // Font of the caption lines.
    static QFont CaptionFont();

signals:
    // A click (press and release) on an item, or Enter on the current item, after the
    // selection mark moved to it.
    void itemClicked(int index);
    // The keyboard's item changed (-1: none).
    void currentChanged(int index);
    // The final picture of the item at `index` has arrived and is being drawn.
    void thumbnailDrawn(int index);
    // Every pending picture has been drawn.
    void thumbnailsReady();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    QSize viewportSizeHint() const override;

private:
    struct Item {
        QString text;
        ThumbnailRenderer::Job job;
        quint64 ticket = 0;
        int index = 0;  // position in m_items, kept current so a result finds its cell at once
        // Parked: away from the screen, no picture held and none asked for.
        enum class State { Waiting, Running, Ready, Dropped, Parked } state = State::Waiting;
        // Final cell, once Ready. An image rather than a pixmap: equal cells from the cache
        // share their pixels.
        QImage cell;
    };

    void InsertItem(int index, const QString& path, const QString& caption,
                    ThumbnailRenderer::Kind kind, bool framed);
    void DropPending();
    // The items to keep loaded for the present scroll position and size.
    std::pair<int, int> KeepRange() const;
    // Parks the items that left the kept range and asks for those that entered it.
    void UpdateKeptCells();
    void Park(Item& item);
    void Wake(Item& item);
    void Dispatch();
    Item* NextToLoad();
    void OnRendered(quint64 ticket, QImage cell, bool quick, bool lastOfTask);
    void UpdateLayout();
    QPixmap BlankPixmap(const Item& item) const;

    // Layout of the icon grid (content coordinates).
    QSize ItemSize() const;
    int Columns() const;
    QRect ContentItemRect(int index) const;
    QPoint ContentOffset() const;
    // Indices of the items in the rows that `contentRect` touches, as [first, last]; first > last
    // when there are none.
    std::pair<int, int> RowsIn(const QRect& contentRect) const;

    const int* m_thumbListMode = nullptr;
    int m_thumbWidth = 140;
    int m_thumbHeight = 140;
    int m_cellWidth = 140;  // cell size fixed by the last InitThumbList
    int m_cellHeight = 140;
    int m_imageListCreated = 0;
    int m_selectionMark = -1;
    int m_current = -1;
    int m_pressedIndex = -1;

    std::vector<std::unique_ptr<Item>> m_items;
    QHash<quint64, Item*> m_byTicket;  // items whose picture is still to come
    // No item before this index waits for its loader; loads go in index order, so the scan for
    // the next one only moves forward.
    int m_waitingFrom = 0;
    // Same for the visible cells; -1 when the visible range must be worked out again (scrolled,
    // resized, items inserted).
    int m_visibleFrom = -1;
    int m_visibleTo = -1;
    // The items kept loaded; every item outside is Parked (or Dropped).
    int m_keepFrom = 0;
    int m_keepTo = -1;
    quint64 m_nextTicket = 1;
    int m_inFlight = 0;  // tasks handed to the pool, stale ones included
    int m_batch = 1;     // cells per task: more while they come from the cell cache
    mutable QHash<quint64, QPixmap> m_blankCache;
    // Bumped whenever pending loads are dropped; queued loads of an older value skip their work.
    std::shared_ptr<std::atomic<quint64>> m_generation;

    QThreadPool m_pool;
};
