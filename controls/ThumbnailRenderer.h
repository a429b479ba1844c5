#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>
#include <utility>

#include "controls/ThumbnailSource.h"

// Draws the cell image of one thumbnail-list item: a white ground of
// thumbWidth x (thumbHeight + 35) pixels with the picture fitted into it, optionally framed.
// All geometry is in layout pixels; on a high-density screen the image holds devicePixelRatio
// times as many pixels each way, so the picture is as sharp as the text beside it.
// Plain and reentrant, so the list can render cells on worker threads and get exactly the
// pixels an in-line rendering would give.
class ThumbnailRenderer {
public:
    // The two ways the list places a picture in its cell.
    enum class Kind {
        Thumbnail,  // inset rectangle, frame unless the list runs without frames
        Picture     // drawn at its fitted size, 30 pixels down, never framed
    };

    // Everything needed to render one cell; copied to the worker that renders it.
    struct Job {
        QString path;
        int thumbWidth = 140;
        int thumbHeight = 140;
        Kind kind = Kind::Thumbnail;
        bool framed = true;
        // Device pixels per layout pixel of the screen the cell is shown on: the cell image
        // has that many times the pixels (and says so), its layout stays the same.
        qreal devicePixelRatio = 1;
    };

    // Result of fitting a picture into a box.
    struct Fit {
        int width = 0;
        int height = 0;
        int x = 0;
        int y = 0;
    };

    // Extra rows below the picture area of every cell, where the caption begins.
    static constexpr int kCaptionRows = 35;
    // Frame colour: light grey with alpha 200, drawn over the white ground.
    static constexpr unsigned kFrameArgb = 0xC8C0C0C0u;
    // Largest cell accepted (pixels); bigger cells are drawn as an empty white ground.
    static constexpr qint64 kMaxCellPixels = 64'000'000;

    // Fits a picture of `picture` size into a boxWidth x boxHeight box: the wider side fills the
    // box and the other is centred; a picture smaller than the box in both directions keeps its
    // own size and is centred. An empty picture gives a 0 x 0 fit in the middle of the box.
    static Fit FitPicture(const QSize& picture, int boxWidth, int boxHeight);

    // Rectangle inside the cell where a picture of `picture` size is drawn for the job's kind
    // (may be empty, then nothing is drawn).
    static QRect DrawRect(const QSize& picture, int thumbWidth, int thumbHeight, Kind kind);

    // Size of every cell image: thumbWidth x (thumbHeight + 35).
    static QSize CellSize(int thumbWidth, int thumbHeight);

    // Renders the finished cell: reads the picture size, draws the picture from a stored
    // thumbnail (ThumbnailSource) or decodes it straight to the drawn size, then the frame. A
    // missing or undecodable file gives the white (framed) ground. Null only when the cell
    // itself is empty or larger than kMaxCellPixels. `origin` tells where the picture came from.
    static QImage Render(const Job& job, ThumbnailSource::Origin* origin = nullptr);

    // The cell shown while the picture is still loading (and for unreadable files):
    // the white ground and, for framed thumbnails, the frame.
    static QImage Blank(int thumbWidth, int thumbHeight, Kind kind, bool framed,
                        qreal devicePixelRatio = 1);

    // The device pixel ratio a cell of that size is rendered at: `wanted` within 1 to 4, or 1
    // when so many pixels would make the cell too large.
    static qreal CellRatio(int thumbWidth, int thumbHeight, qreal wanted);

    // Splits a caption at its last "@" into the name line and the type-code line; without "@"
    // the whole text is the name and the type code is empty.
    static std::pair<QString, QString> SplitCaption(const QString& caption);
};
