#include "controls/CThumbListCtrl.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QThread>
#include <QTimer>
#include <QToolTip>
#include <algorithm>
#include <tuple>

#include "controls/AccessibleControls.h"
#include "controls/PictureLoader.h"
#include "controls/ThumbnailCache.h"

namespace {

// Grid geometry around each cell image (pixels).
constexpr int kMargin = 6;     // space before the first row and column
constexpr int kGapX = 12;      // between two cells side by side
constexpr int kGapY = 8;       // between two rows
constexpr int kLabelGap = 2;   // from the bottom of the cell image to the label's top
constexpr int kBand = 20;      // height of each caption band
constexpr int kBandLeft = 20;  // the bands reach this far left of the label rectangle

// A cell rendered faster than this came from the cell cache; the next task may carry more.
constexpr qint64 kQuickRenderNs = 1'000'000;
constexpr int kMaxBatch = 16;

}  // namespace

CThumbListCtrl::CThumbListCtrl(QWidget* parent)
    : QAbstractScrollArea(parent), m_generation(std::make_shared<std::atomic<quint64>>(1)) {
    m_pool.setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
    setFocusPolicy(Qt::StrongFocus);
    AccessibleControls::Install();
    viewport()->setAutoFillBackground(true);
    QPalette pal = viewport()->palette();
    pal.setColor(QPalette::Base, Qt::white);
    pal.setColor(QPalette::Window, Qt::white);
    viewport()->setPalette(pal);
    viewport()->setBackgroundRole(QPalette::Base);
    verticalScrollBar()->setSingleStep(kBand);
    horizontalScrollBar()->setSingleStep(kBand);
    UpdateLayout();
}

CThumbListCtrl::CThumbListCtrl(const int& thumbListMode, QWidget* parent) : CThumbListCtrl(parent) {
    m_thumbListMode = &thumbListMode;
}

CThumbListCtrl::~CThumbListCtrl() {
    // Queued loads skip their work; running ones finish before the items go away. Results
    // they post to this object are discarded with it.
    m_generation->fetch_add(1);
    m_pool.waitForDone();
}

void CThumbListCtrl::SetThumbWidth(int w) {
    m_thumbWidth = std::max(0, w);
}

void CThumbListCtrl::SetThumbHeight(int h) {
    m_thumbHeight = std::max(0, h);
}

void CThumbListCtrl::InitThumbList() {
    DropPending();
    for (auto& item : m_items) {
        item->state = Item::State::Dropped;
        item->cell = QImage();
    }
    m_cellWidth = m_thumbWidth;
    m_cellHeight = m_thumbHeight;
    m_visibleFrom = -1;
    ++m_imageListCreated;
    m_blankCache.clear();
    UpdateLayout();
    viewport()->update();
}

void CThumbListCtrl::AddThumbnail(const QString& path, int index, const QString& caption) {
    // A path that names no picture we read still gets its item, a blank cell, so that the
    // owner's item i stays its product i.
    const QString picture = PictureLoader::IsAcceptedPicture(path) ? path : QString();
    const bool framed = !m_thumbListMode || *m_thumbListMode != 2;
    InsertItem(index, picture, caption, ThumbnailRenderer::Kind::Thumbnail, framed);
}

void CThumbListCtrl::ShowPicture(const QString& path, const QString& caption) {
    if (!PictureLoader::IsAcceptedPicture(path)) return;
    InsertItem(0, path, caption, ThumbnailRenderer::Kind::Picture, false);
}

void CThumbListCtrl::InsertItem(int index, const QString& path, const QString& caption,
                                ThumbnailRenderer::Kind kind, bool framed) {
    auto item = std::make_unique<Item>();
    item->text = caption;
    item->job.path = path;
    item->job.thumbWidth = m_thumbWidth;
    item->job.thumbHeight = m_thumbHeight;
    item->job.kind = kind;
    item->job.framed = framed;
    // Drawn for the screen the list is on, so pictures are as sharp as the text beside them.
    item->job.devicePixelRatio = devicePixelRatioF();
    const int count = GetItemCount();
    if (index < 0 || index > count) index = count;
    // Far from the screen the item waits, without a picture, until it is scrolled near;
    // UpdateKeptCells asks for the picture of one that is near.
    item->state = Item::State::Parked;
    m_items.insert(m_items.begin() + index, std::move(item));
    // Owners append, so this renumbers nothing; an insert in between moves the items after it.
    for (int i = index; i < GetItemCount(); ++i) m_items[i]->index = i;
    if (m_selectionMark >= index) ++m_selectionMark;
    if (m_current >= index) ++m_current;
    m_waitingFrom = std::min(m_waitingFrom, index);
    // Appending below the screen leaves the visible cells as they were.
    if (index <= m_visibleTo + 1) m_visibleFrom = -1;

    UpdateLayout();
    UpdateKeptCells();
    Dispatch();
    if (isVisible()) setFocus();
    viewport()->update();
}

void CThumbListCtrl::DeleteAllItems() {
    DropPending();
    m_items.clear();
    m_keepFrom = 0;
    m_keepTo = -1;
    m_waitingFrom = 0;
    m_visibleFrom = -1;
    m_selectionMark = -1;
    m_pressedIndex = -1;
    SetCurrentIndex(-1);
    UpdateLayout();
    viewport()->update();
}

QString CThumbListCtrl::GetItemText(int index) const {
    if (index < 0 || index >= GetItemCount()) return QString();
    return m_items[index]->text;
}

void CThumbListCtrl::SetSelectionMark(int index) {
    m_selectionMark = (index >= 0 && index < GetItemCount()) ? index : -1;
}

void CThumbListCtrl::SetCurrentIndex(int index) {
    if (index < -1 || index >= GetItemCount()) index = -1;
    if (index == m_current) return;
    const int old = m_current;
    m_current = index;
    viewport()->update(ItemRect(old).adjusted(-3, -3, 3, 3));
    if (index >= 0) {
        EnsureVisible(index);
        viewport()->update(ItemRect(index).adjusted(-3, -3, 3, 3));
    }
    AccessibleControls::NotifyCurrent(this, index);
    emit currentChanged(index);
}

void CThumbListCtrl::EnsureVisible(int index) {
    const QRect item = ItemRect(index);
    if (item.isEmpty()) return;
    const QRect view = viewport()->rect();
    QScrollBar* v = verticalScrollBar();
    if (item.top() < kMargin)
        v->setValue(v->value() + item.top() - kMargin);
    else if (item.bottom() > view.bottom() - kMargin)
        v->setValue(v->value() + item.bottom() - view.bottom() + kMargin);
    QScrollBar* h = horizontalScrollBar();
    if (item.left() < 0)
        h->setValue(h->value() + item.left());
    else if (item.right() > view.right())
        h->setValue(h->value() + item.right() - view.right());
}

int CThumbListCtrl::VisibleRows() const {
    return std::max(1, (viewport()->height() - kMargin) / (ItemSize().height() + kGapY));
}

void CThumbListCtrl::ScrollToOrigin() {
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
}

void CThumbListCtrl::SetLoaderThreads(int count) {
    m_pool.setMaxThreadCount(std::max(1, count));
    Dispatch();
}

int CThumbListCtrl::PendingThumbnails() const {
    return static_cast<int>(m_byTicket.size());
}

bool CThumbListCtrl::WaitForThumbnails(int timeoutMs) {
    if (PendingThumbnails() == 0) return true;
    QEventLoop loop;
    connect(this, &CThumbListCtrl::thumbnailsReady, &loop, &QEventLoop::quit);
    // Also wakes up when the pending pictures were dropped rather than drawn.
    QTimer poll;
    connect(&poll, &QTimer::timeout, &loop, [this, &loop] {
        if (PendingThumbnails() == 0) loop.quit();
    });
    poll.start(20);
    QTimer deadline;
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    if (timeoutMs >= 0) deadline.start(timeoutMs);
    loop.exec();
    return PendingThumbnails() == 0;
}

void CThumbListCtrl::DropPending() {
    m_generation->fetch_add(1);
    m_byTicket.clear();
    for (auto& item : m_items)
        if (item->state == Item::State::Waiting || item->state == Item::State::Running)
            item->state = Item::State::Dropped;
}

CThumbListCtrl::Item* CThumbListCtrl::NextToLoad() {
    // Cells on screen first, then the rest in order. Both scans resume where they stopped, so
    // a whole list costs each item one look, whatever its length.
    if (isVisible()) {
        const QRect visible(-ContentOffset(), viewport()->size());
        if (m_visibleFrom < 0) std::tie(m_visibleFrom, m_visibleTo) = RowsIn(visible);
        for (; m_visibleFrom <= m_visibleTo; ++m_visibleFrom) {
            Item* item = m_items[m_visibleFrom].get();
            if (item->state == Item::State::Waiting &&
                ContentItemRect(m_visibleFrom).intersects(visible))
                return item;
        }
    }
    // Nothing after the kept range waits.
    const int waitingTo = std::min(m_keepTo, GetItemCount() - 1);
    for (; m_waitingFrom <= waitingTo; ++m_waitingFrom) {
        Item* item = m_items[m_waitingFrom].get();
        if (item->state == Item::State::Waiting) return item;
    }
    return nullptr;
}

void CThumbListCtrl::Dispatch() {
    while (m_inFlight < m_pool.maxThreadCount()) {
        // Cells that come from the cell cache take microseconds, less than the hand-over to a
        // worker and back; those go several to a task.
        std::vector<std::pair<ThumbnailRenderer::Job, quint64>> jobs;
        while (static_cast<int>(jobs.size()) < m_batch) {
            Item* item = NextToLoad();
            if (!item) break;
            item->state = Item::State::Running;
            jobs.emplace_back(item->job, item->ticket);
        }
        if (jobs.empty()) break;
        ++m_inFlight;
        const quint64 generation = m_generation->load();
        std::shared_ptr<std::atomic<quint64>> current = m_generation;
        m_pool.start([this, jobs = std::move(jobs), generation, current] {
            for (size_t i = 0; i < jobs.size(); ++i) {
                QImage cell;
                QElapsedTimer clock;
                clock.start();
                // A list re-initialised meanwhile does not want this picture any more.
                if (current->load() == generation)
                    cell = ThumbnailCache::RenderCached(jobs[i].first);
                const bool quick = clock.nsecsElapsed() < kQuickRenderNs;
                const bool last = i + 1 == jobs.size();
                QMetaObject::invokeMethod(
                    this,
                    [this, ticket = jobs[i].second, cell = std::move(cell), quick, last]() mutable {
                        OnRendered(ticket, std::move(cell), quick, last);
                    },
                    Qt::QueuedConnection);
            }
        });
    }
}

void CThumbListCtrl::OnRendered(quint64 ticket, QImage cell, bool quick, bool lastOfTask) {
    if (lastOfTask) --m_inFlight;
    m_batch = quick ? std::min(m_batch * 2, kMaxBatch) : 1;
    if (Item* item = m_byTicket.take(ticket)) {
        item->cell = std::move(cell);
        item->state = Item::State::Ready;
        viewport()->update(ItemRect(item->index));
        emit thumbnailDrawn(item->index);
        if (m_byTicket.isEmpty()) emit thumbnailsReady();
    }
    if (lastOfTask) Dispatch();
}

std::pair<int, int> CThumbListCtrl::KeepRange() const {
    const int count = GetItemCount();
    if (count == 0) return {0, -1};
    const QRect visible(-ContentOffset(), viewport()->size());
    // Nothing on screen (no size yet): the first cells.
    const auto [first, last] = RowsIn(visible);
    // A screen's worth above and below, so scrolling by a page finds its cells ready.
    const int screen = last - first + 1;
    int from = std::max(0, first - screen);
    int to = std::min(count - 1, last + screen);
    // Small screens keep a little more; below first, where visitors scroll to.
    if (to - from + 1 < kMinKeptCells) to = std::min(count - 1, from + kMinKeptCells - 1);
    if (to - from + 1 < kMinKeptCells) from = std::max(0, to - kMinKeptCells + 1);
    return {from, to};
}

void CThumbListCtrl::Park(Item& item) {
    if (item.state == Item::State::Waiting || item.state == Item::State::Running) {
        // A load under way still finishes (into the shared cache); its result is not taken.
        m_byTicket.remove(item.ticket);
    } else if (item.state != Item::State::Ready) {
        return;
    }
    item.state = Item::State::Parked;
    item.cell = QImage();
}

void CThumbListCtrl::Wake(Item& item) {
    if (item.state != Item::State::Parked) return;
    item.state = Item::State::Waiting;
    item.ticket = m_nextTicket++;
    m_byTicket.insert(item.ticket, &item);
    m_waitingFrom = std::min(m_waitingFrom, item.index);
}

void CThumbListCtrl::UpdateKeptCells() {
    const auto [from, to] = KeepRange();
    const bool pending = !m_byTicket.isEmpty();
    // Items move only inside the old and the new range (and one past the old one, where an
    // insertion pushed its last item).
    const int count = GetItemCount();
    const int lo = std::max(0, std::min(from, m_keepFrom));
    const int hi = std::min(count - 1, std::max(to, m_keepTo + 1));
    for (int i = lo; i <= hi; ++i) {
        Item& item = *m_items[i];
        if (i >= from && i <= to)
            Wake(item);
        else
            Park(item);
    }
    m_keepFrom = from;
    m_keepTo = to;
    if (pending && m_byTicket.isEmpty()) emit thumbnailsReady();
}

QPixmap CThumbListCtrl::BlankPixmap(const Item& item) const {
    const auto& job = item.job;
    // An unframed blank cell is plain white, which the item's ground already is; no need to
    // hold a picture-sized pixmap for it.
    if (job.kind != ThumbnailRenderer::Kind::Thumbnail || !job.framed) return QPixmap();
    // Only framed thumbnails get here; the ratio goes in eighths.
    const quint64 key = (static_cast<quint64>(job.thumbWidth) << 40) |
                        (static_cast<quint64>(job.thumbHeight) << 8) |
                        static_cast<quint64>(std::clamp(qRound(job.devicePixelRatio * 8), 0, 255));
    auto it = m_blankCache.find(key);
    if (it != m_blankCache.end()) return *it;
    const QImage blank = ThumbnailRenderer::Blank(job.thumbWidth, job.thumbHeight, job.kind,
                                                  job.framed, job.devicePixelRatio);
    QPixmap pixmap = blank.isNull() ? QPixmap() : QPixmap::fromImage(blank);
    m_blankCache.insert(key, pixmap);
    return pixmap;
}

// ---- geometry -------------------------------------------------------------------------------

QSize CThumbListCtrl::ItemSize() const {
    const QSize cell = ThumbnailRenderer::CellSize(m_cellWidth, m_cellHeight);
    return {cell.width(), cell.height() + kLabelGap + kBand};
}

int CThumbListCtrl::Columns() const {
    const int step = ItemSize().width() + kGapX;
    const int room = viewport()->width() - 2 * kMargin + kGapX;
    return std::max(1, step > 0 ? room / step : 1);
}

QRect CThumbListCtrl::ContentItemRect(int index) const {
    const QSize size = ItemSize();
    const int columns = Columns();
    const int row = index / columns;
    const int column = index % columns;
    return QRect(kMargin + column * (size.width() + kGapX), kMargin + row * (size.height() + kGapY),
                 size.width(), size.height());
}

std::pair<int, int> CThumbListCtrl::RowsIn(const QRect& contentRect) const {
    const int stepY = ItemSize().height() + kGapY;
    if (contentRect.isEmpty() || stepY <= 0 || GetItemCount() == 0) return {0, -1};
    const int columns = Columns();
    const int firstRow = std::max(0, (contentRect.top() - kMargin) / stepY);
    const int lastRow = std::max(0, (contentRect.bottom() - kMargin) / stepY);
    const qint64 first = static_cast<qint64>(firstRow) * columns;
    const qint64 last = (static_cast<qint64>(lastRow) + 1) * columns - 1;
    if (first >= GetItemCount()) return {0, -1};
    return {static_cast<int>(first), static_cast<int>(std::min<qint64>(last, GetItemCount() - 1))};
}

QPoint CThumbListCtrl::ContentOffset() const {
    return QPoint(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
}

QRect CThumbListCtrl::ItemRect(int index) const {
    if (index < 0 || index >= GetItemCount()) return {};
    return ContentItemRect(index).translated(ContentOffset());
}

QRect CThumbListCtrl::IconRect(int index) const {
    const QRect item = ItemRect(index);
    if (item.isNull()) return {};
    return QRect(item.topLeft(), ThumbnailRenderer::CellSize(m_cellWidth, m_cellHeight));
}

QRect CThumbListCtrl::TypeBand(int index) const {
    const QRect icon = IconRect(index);
    if (icon.isNull()) return {};
    // The label lies under the cell image, from 20 pixels in to the cell's right edge; the
    // bands reach back to the cell's left edge.
    const int labelTop = icon.bottom() + 1 + kLabelGap;
    const int labelLeft = icon.left() + kBandLeft;
    return QRect(labelLeft - kBandLeft, labelTop, icon.right() + 1 - (labelLeft - kBandLeft),
                 kBand);
}

QRect CThumbListCtrl::NameBand(int index) const {
    const QRect band = TypeBand(index);
    return band.isNull() ? band : band.translated(0, -kBand);
}

int CThumbListCtrl::IndexAt(const QPoint& viewportPos) const {
    const QPoint pos = viewportPos - ContentOffset();
    const QSize size = ItemSize();
    const int stepX = size.width() + kGapX;
    const int stepY = size.height() + kGapY;
    if (pos.x() < kMargin || pos.y() < kMargin || stepX <= 0 || stepY <= 0) return -1;
    const int column = (pos.x() - kMargin) / stepX;
    const int row = (pos.y() - kMargin) / stepY;
    if (column >= Columns()) return -1;
    const qint64 index = static_cast<qint64>(row) * Columns() + column;
    if (index >= GetItemCount()) return -1;
    return ContentItemRect(static_cast<int>(index)).contains(pos) ? static_cast<int>(index) : -1;
}

QImage CThumbListCtrl::ItemImage(int index) const {
    if (index < 0 || index >= GetItemCount()) return {};
    const Item& item = *m_items[index];
    switch (item.state) {
        case Item::State::Ready:
            return item.cell;
        case Item::State::Dropped:
            return {};
        default:
            return ThumbnailRenderer::Blank(item.job.thumbWidth, item.job.thumbHeight,
                                            item.job.kind, item.job.framed,
                                            item.job.devicePixelRatio);
    }
}

bool CThumbListCtrl::IsThumbnailReady(int index) const {
    return index >= 0 && index < GetItemCount() && m_items[index]->state == Item::State::Ready;
}

void CThumbListCtrl::UpdateLayout() {
    const QSize size = ItemSize();
    const int columns = Columns();
    const int rows = (GetItemCount() + columns - 1) / columns;
    // An empty list has nothing to scroll to, whatever size its cells had.
    const int contentWidth =
        rows == 0 ? 0 : 2 * kMargin + columns * size.width() + (columns - 1) * kGapX;
    const int contentHeight =
        rows == 0 ? 0 : 2 * kMargin + rows * size.height() + (rows - 1) * kGapY;
    const QSize view = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, contentWidth - view.width()));
    horizontalScrollBar()->setPageStep(view.width());
    verticalScrollBar()->setRange(0, std::max(0, contentHeight - view.height()));
    verticalScrollBar()->setPageStep(view.height());
}

QSize CThumbListCtrl::viewportSizeHint() const {
    const QSize size = ItemSize();
    return {2 * kMargin + size.width(), 2 * kMargin + size.height()};
}

QFont CThumbListCtrl::CaptionFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(12);
    font.setWeight(QFont::Normal);
    return font;
}

// ---- events ---------------------------------------------------------------------------------

void CThumbListCtrl::paintEvent(QPaintEvent* event) {
    QPainter p(viewport());
    const QRect exposed = event->rect();
    p.fillRect(exposed, Qt::white);
    p.setFont(CaptionFont());
    const QFontMetrics metrics(p.font());
    const QColor textColour = palette().color(QPalette::Text);
    const QColor typeColour(128, 128, 128);
    // Only the rows under the exposed area: a paint costs the same in a list of any length.
    const auto [first, last] = RowsIn(exposed.translated(-ContentOffset()));
    for (int i = first; i <= last; ++i) {
        const QRect bounds = ItemRect(i);
        if (!bounds.intersects(exposed)) continue;
        const Item& item = *m_items[i];
        p.fillRect(bounds, Qt::white);
        const QRect icon = IconRect(i);
        QPixmap blank;
        if (item.state == Item::State::Waiting || item.state == Item::State::Running ||
            item.state == Item::State::Parked)
            blank = BlankPixmap(item);
        if (item.state == Item::State::Ready && !item.cell.isNull()) {
            p.save();
            p.setClipRect(icon.intersected(bounds));
            p.drawImage(icon.topLeft(), item.cell);
            p.restore();
        } else if (!blank.isNull()) {
            p.save();
            p.setClipRect(icon.intersected(bounds));
            p.drawPixmap(icon.topLeft(), blank);
            p.restore();
        }
        const QRect typeBand = TypeBand(i);
        const QRect nameBand = NameBand(i);
        p.fillRect(
            QRect(typeBand.left() + kBandLeft, typeBand.top(), typeBand.width() - kBandLeft, kBand),
            Qt::white);
        const auto [name, type] = ThumbnailRenderer::SplitCaption(item.text);
        p.setPen(textColour);
        p.drawText(nameBand, Qt::AlignCenter | Qt::TextSingleLine,
                   metrics.elidedText(name, Qt::ElideRight, nameBand.width()));
        p.setPen(typeColour);
        p.drawText(typeBand, Qt::AlignCenter | Qt::TextSingleLine,
                   metrics.elidedText(type, Qt::ElideRight, typeBand.width()));
    }
    // The keyboard's item, while the list has the focus: a frame in the selection colour
    // around the whole cell, clear of the picture's own frame.
    if (hasFocus() && m_current >= 0) {
        const QRect frame = ItemRect(m_current).adjusted(-2, -2, 1, 1);
        if (frame.intersects(exposed.adjusted(-3, -3, 3, 3))) {
            p.setPen(QPen(palette().color(QPalette::Highlight), 2, Qt::SolidLine));
            p.setBrush(Qt::NoBrush);
            p.drawRect(frame);
        }
    }
}

void CThumbListCtrl::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    m_visibleFrom = -1;
    UpdateLayout();
    UpdateKeptCells();
    Dispatch();
}

void CThumbListCtrl::scrollContentsBy(int, int) {
    m_visibleFrom = -1;
    UpdateKeptCells();
    Dispatch();
    viewport()->update();
}

void CThumbListCtrl::mousePressEvent(QMouseEvent* event) {
    m_pressedIndex = event->button() == Qt::LeftButton ? IndexAt(event->position().toPoint()) : -1;
    event->accept();
}

void CThumbListCtrl::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton) return;
    const int index = IndexAt(event->position().toPoint());
    const int pressed = m_pressedIndex;
    m_pressedIndex = -1;
    if (index >= 0 && index == pressed) {
        m_selectionMark = index;
        SetCurrentIndex(index);
        emit itemClicked(index);
    } else if (index < 0 && pressed < 0) {
        // A click on the empty ground leaves no item chosen.
        m_selectionMark = -1;
    }
}

void CThumbListCtrl::keyPressEvent(QKeyEvent* event) {
    const int count = GetItemCount();
    const int columns = Columns();
    // The first key picks the item last clicked, or the first one.
    const int from = m_current >= 0 ? m_current : std::max(0, m_selectionMark);
    const bool fresh = m_current < 0;
    int to = -2;
    switch (event->key()) {
        case Qt::Key_Right:
            to = fresh ? from : from + 1;
            break;
        case Qt::Key_Left:
            to = fresh ? from : from - 1;
            break;
        case Qt::Key_Down:
            to = fresh ? from : from + columns;
            break;
        case Qt::Key_Up:
            to = fresh ? from : from - columns;
            break;
        case Qt::Key_PageDown:
            to = from + columns * VisibleRows();
            break;
        case Qt::Key_PageUp:
            to = from - columns * VisibleRows();
            break;
        case Qt::Key_Home:
            to = 0;
            break;
        case Qt::Key_End:
            to = count - 1;
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            if (m_current >= 0) {
                m_selectionMark = m_current;
                emit itemClicked(m_current);
            }
            event->accept();
            return;
        default:
            QAbstractScrollArea::keyPressEvent(event);
            return;
    }
    event->accept();
    if (count == 0) {
        // Nothing to move to: the keys still scroll whatever the list shows.
        if (event->key() == Qt::Key_Home) verticalScrollBar()->setValue(0);
        if (event->key() == Qt::Key_End)
            verticalScrollBar()->setValue(verticalScrollBar()->maximum());
        return;
    }
    // Left and Right stop at the ends; a row move that would leave the list stops at the first
    // or last item, as file managers do.
    if ((event->key() == Qt::Key_Left || event->key() == Qt::Key_Right) && (to < 0 || to >= count))
        to = from;
    SetCurrentIndex(std::clamp(to, 0, count - 1));
    EnsureVisible(m_current);
}

void CThumbListCtrl::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    // Arriving by the keyboard shows at once where it is: on the item last clicked, or the first.
    const Qt::FocusReason r = event->reason();
    if (m_current < 0 && GetItemCount() > 0 &&
        (r == Qt::TabFocusReason || r == Qt::BacktabFocusReason || r == Qt::ShortcutFocusReason))
        SetCurrentIndex(std::max(0, m_selectionMark));
    if (m_current >= 0) viewport()->update(ItemRect(m_current).adjusted(-3, -3, 3, 3));
    AccessibleControls::NotifyCurrent(this, m_current);
}

void CThumbListCtrl::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    if (m_current >= 0) viewport()->update(ItemRect(m_current).adjusted(-3, -3, 3, 3));
}

bool CThumbListCtrl::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int index = IndexAt(help->pos());
        const auto [name, type] =
            ThumbnailRenderer::SplitCaption(index >= 0 ? m_items[index]->text : QString());
        const QString tip = type.isEmpty() ? name : name + QLatin1Char('\n') + type;
        if (!tip.isEmpty())
            QToolTip::showText(help->globalPos(), tip, viewport());
        else
            QToolTip::hideText();
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}
