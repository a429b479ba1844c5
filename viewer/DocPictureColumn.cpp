#include "viewer/DocPictureColumn.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QThread>
#include <algorithm>

#include "controls/PictureLoader.h"

DocPictureColumn::DocPictureColumn(QWidget* parent)
    : QAbstractScrollArea(parent), m_liveGeneration(std::make_shared<std::atomic<quint64>>(0)) {
    m_pool.setMaxThreadCount(std::max(1, std::min(2, QThread::idealThreadCount())));
    viewport()->setAutoFillBackground(true);
    QPalette pal = viewport()->palette();
    pal.setColor(QPalette::Window, Qt::white);
    viewport()->setPalette(pal);
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setSingleStep(20);
}

DocPictureColumn::~DocPictureColumn() {
    m_liveGeneration->store(++m_generation);
    m_pool.clear();
    m_pool.waitForDone();
}

void DocPictureColumn::SetPictures(const QList<DocPictures::Picture>& pictures) {
    m_liveGeneration->store(++m_generation);
    m_pool.clear();
    m_entries.clear();
    int y = kTop;
    int width = 0;
    for (const DocPictures::Picture& p : pictures) {
        Entry e;
        e.picture = p;
        e.rect = QRect(QPoint(kLeft, y), p.shown);
        e.failed = p.shown.isEmpty();
        m_entries.append(e);
        y += p.shown.height() + kGap;
        width = std::max(width, kLeft + p.shown.width() + kLeft);
    }
    m_content = pictures.isEmpty() ? QSize() : QSize(width, y);
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    UpdateScrollBars();
    viewport()->update();
    RequestVisible();
}

QString DocPictureColumn::PathAt(int index) const {
    return index >= 0 && index < Count() ? m_entries[index].picture.path : QString();
}

QRect DocPictureColumn::PictureRect(int index) const {
    return index >= 0 && index < Count() ? m_entries[index].rect : QRect();
}

QSize DocPictureColumn::ContentSize() const {
    return m_content;
}

bool DocPictureColumn::IsLoaded(int index) const {
    return index >= 0 && index < Count() && !m_entries[index].image.isNull();
}

QImage DocPictureColumn::ImageAt(int index) const {
    return index >= 0 && index < Count() ? m_entries[index].image : QImage();
}

QRect DocPictureColumn::VisibleContent() const {
    return QRect(QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value()),
                 viewport()->size());
}

int DocPictureColumn::PendingPictures() const {
    const QRect visible = VisibleContent();
    int pending = 0;
    for (const Entry& e : m_entries) {
        if (!e.failed && e.image.isNull() && e.rect.intersects(visible)) ++pending;
    }
    return pending;
}

bool DocPictureColumn::WaitForPictures(int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs < 0 ? QDeadlineTimer::Forever : QDeadlineTimer(timeoutMs));
    RequestVisible();
    while (PendingPictures() > 0) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(1);
    }
    return true;
}

void DocPictureColumn::ScrollToOrigin() {
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
}

void DocPictureColumn::UpdateScrollBars() {
    const QSize view = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, m_content.width() - view.width()));
    horizontalScrollBar()->setPageStep(view.width());
    verticalScrollBar()->setRange(0, std::max(0, m_content.height() - view.height()));
    verticalScrollBar()->setPageStep(view.height());
}

void DocPictureColumn::RequestVisible() {
    if (!isVisible()) return;
    // Decode what is in view and one screen beyond it, so scrolling finds pictures ready.
    const QRect visible = VisibleContent();
    const QRect wanted = visible.adjusted(0, -visible.height(), 0, visible.height());
    for (int i = 0; i < Count(); ++i) {
        Entry& e = m_entries[i];
        if (!e.rect.intersects(wanted)) continue;
        e.lastUse = ++m_useClock;
        if (e.failed || e.running || !e.image.isNull()) continue;
        e.running = true;
        const QString path = e.picture.path;
        const QSize size = e.picture.shown;
        // As sharp as the screen shows it; the layout keeps its size in layout pixels.
        const qreal ratio = std::clamp<qreal>(devicePixelRatioF(), 1, 4);
        const quint64 generation = m_generation;
        auto live = m_liveGeneration;
        m_pool.start([this, live, generation, i, path, size, ratio] {
            if (live->load() != generation) return;
            QImage image = PictureLoader::LoadScaled(
                path, QSize(qRound(size.width() * ratio), qRound(size.height() * ratio)));
            // Too many pixels for the budget at that density: drawn as before, blown up.
            if (image.isNull() && ratio != 1) image = PictureLoader::LoadScaled(path, size);
            if (!image.isNull() && image.format() != QImage::Format_RGB32 &&
                image.format() != QImage::Format_ARGB32_Premultiplied)
                image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
            if (!image.isNull()) image.setDevicePixelRatio(qreal(image.width()) / size.width());
            if (live->load() != generation) return;
            QMetaObject::invokeMethod(
                this, [this, generation, i, image] { OnDecoded(generation, i, image); },
                Qt::QueuedConnection);
        });
    }
}

void DocPictureColumn::OnDecoded(quint64 generation, int index, const QImage& image) {
    if (generation != m_generation || index < 0 || index >= Count()) return;
    Entry& e = m_entries[index];
    e.running = false;
    e.image = image;
    e.failed = image.isNull();
    TrimCache();
    viewport()->update(e.rect.translated(-VisibleContent().topLeft()));
    if (PendingPictures() == 0) emit picturesReady();
}

void DocPictureColumn::TrimCache() {
    qint64 bytes = 0;
    QList<int> loaded;
    for (int i = 0; i < Count(); ++i) {
        if (!m_entries[i].image.isNull()) {
            bytes += m_entries[i].image.sizeInBytes();
            loaded << i;
        }
    }
    if (bytes <= kCacheBytes) return;
    // Forget the pictures used longest ago, never one that is in view.
    std::sort(loaded.begin(), loaded.end(),
              [&](int a, int b) { return m_entries[a].lastUse < m_entries[b].lastUse; });
    const QRect visible = VisibleContent();
    for (int i : loaded) {
        if (bytes <= kCacheBytes) break;
        Entry& e = m_entries[i];
        if (e.rect.intersects(visible)) continue;
        bytes -= e.image.sizeInBytes();
        e.image = QImage();
    }
}

void DocPictureColumn::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    painter.fillRect(event->rect(), Qt::white);
    const QPoint origin = VisibleContent().topLeft();
    const QRect dirty = event->rect().translated(origin);
    for (const Entry& e : m_entries) {
        if (!e.rect.intersects(dirty) || e.image.isNull()) continue;
        painter.drawImage(e.rect.topLeft() - origin, e.image);
    }
}

void DocPictureColumn::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
    RequestVisible();
}

void DocPictureColumn::scrollContentsBy(int, int) {
    viewport()->update();
    RequestVisible();
}

void DocPictureColumn::showEvent(QShowEvent* event) {
    QAbstractScrollArea::showEvent(event);
    RequestVisible();
}
