#pragma once

#include <QAbstractScrollArea>
#include <QImage>
#include <QList>
#include <QThreadPool>
#include <atomic>
#include <memory>

#include "viewer/DocPictures.h"

// The pictures of a document folder, one below another on a white ground, each at its shown
// size (wider than 3300 pixels scaled down to 3300). Only the pictures in view are decoded, on
// worker threads, and a bounded number of decoded pictures is kept, so a folder of many large
// scans never holds them all in memory and scrolling never waits for a decode.
class DocPictureColumn : public QAbstractScrollArea {
    Q_OBJECT
public:
    // Space above the first picture and between two pictures, and the left margin.
    static constexpr int kTop = 36;
    static constexpr int kGap = 16;
    static constexpr int kLeft = 6;
    // Decoded pictures kept at most (bytes of 32-bit pixels).
    static constexpr qint64 kCacheBytes = 192ll * 1024 * 1024;

    explicit DocPictureColumn(QWidget* parent = nullptr);
    ~DocPictureColumn() override;

    // Shows these pictures (drops whatever was shown and every pending decode).
    void SetPictures(const QList<DocPictures::Picture>& pictures);
    void Clear() { SetPictures({}); }
    int Count() const { return static_cast<int>(m_entries.size()); }
    QString PathAt(int index) const;
    // Where picture `index` lies in the scrolled content (content coordinates).
    QRect PictureRect(int index) const;
    // Total size of the content.
    QSize ContentSize() const;

    // Whether picture `index` is decoded and drawn now.
    bool IsLoaded(int index) const;
    QImage ImageAt(int index) const;
    // Pictures in view that are not drawn yet.
    int PendingPictures() const;
    // Runs the event loop until the pictures in view are drawn; false after `timeoutMs`
    // (negative: no limit).
    bool WaitForPictures(int timeoutMs = -1);

    void ScrollToOrigin();

signals:
    void picturesReady();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void showEvent(QShowEvent* event) override;

private:
    struct Entry {
        DocPictures::Picture picture;
        QRect rect;
        QImage image;         // decoded, or null
        bool failed = false;  // decoded and found unreadable
        bool running = false;
        quint64 lastUse = 0;
    };

    void UpdateScrollBars();
    QRect VisibleContent() const;
    void RequestVisible();
    void OnDecoded(quint64 generation, int index, const QImage& image);
    void TrimCache();

    QList<Entry> m_entries;
    QSize m_content;
    quint64 m_generation = 0;
    quint64 m_useClock = 0;
    std::shared_ptr<std::atomic<quint64>> m_liveGeneration;
    QThreadPool m_pool;
};
