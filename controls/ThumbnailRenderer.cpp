#include "controls/ThumbnailRenderer.h"

#include <QColor>
#include <QPainter>

#include "controls/PictureLoader.h"

ThumbnailRenderer::Fit ThumbnailRenderer::FitPicture(const QSize& picture, int boxWidth,
                                                     int boxHeight) {
    Fit fit;
    const int w = picture.width();
    const int h = picture.height();
    if (w <= 0 || h <= 0 || boxWidth <= 0 || boxHeight <= 0) {
        // Nothing to draw: a 0 x 0 picture centred in the box.
        fit.x = boxWidth > 0 ? boxWidth / 2 : 0;
        fit.y = boxHeight > 0 ? boxHeight / 2 : 0;
        return fit;
    }
    if (h < boxHeight && w < boxWidth) {
        // Small pictures are never enlarged.
        fit.width = w;
        fit.height = h;
        fit.x = (boxWidth - w) / 2;
        fit.y = (boxHeight - h) / 2;
        return fit;
    }
    // The picture ratio is held in single precision and the products are truncated, so the
    // cells match what the catalogue always showed.
    const double boxRatio = static_cast<double>(boxHeight) / boxWidth;
    const float ratio = static_cast<float>(h) / static_cast<float>(w);
    if (ratio <= boxRatio) {
        fit.width = boxWidth;
        fit.height = static_cast<int>(static_cast<float>(boxWidth) * ratio);
        fit.x = 0;
        fit.y = (boxHeight - fit.height) / 2;
    } else {
        fit.width = static_cast<int>(static_cast<float>(boxHeight) / ratio);
        fit.height = boxHeight;
        fit.x = (boxWidth - fit.width) / 2;
        fit.y = 0;
    }
    return fit;
}

QRect ThumbnailRenderer::DrawRect(const QSize& picture, int thumbWidth, int thumbHeight,
                                  Kind kind) {
    const Fit fit = FitPicture(picture, thumbWidth, thumbHeight);
    if (fit.width <= 0 || fit.height <= 0) return {};
    if (kind == Kind::Picture) return QRect(fit.x, fit.y + 30, fit.width, fit.height);
    // Thumbnails sit inset in the frame. A tiny picture leaves no room for the inset; it is
    // then not drawn at all rather than drawn mirrored.
    const QRect r(fit.x + 10, fit.y + 15, fit.width - 20, fit.height - 10);
    return r.width() > 0 && r.height() > 0 ? r : QRect();
}

QSize ThumbnailRenderer::CellSize(int thumbWidth, int thumbHeight) {
    return {thumbWidth, thumbHeight + kCaptionRows};
}

namespace {

bool CellAcceptable(const QSize& cell) {
    return cell.width() > 0 && cell.height() > 0 &&
           static_cast<qint64>(cell.width()) * cell.height() <= ThumbnailRenderer::kMaxCellPixels;
}

void DrawFrame(QImage& cell, int thumbWidth, int thumbHeight) {
    QPainter p(&cell);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(QColor::fromRgba(ThumbnailRenderer::kFrameArgb), 0));
    p.setBrush(Qt::NoBrush);
    // An outline of thumbWidth x thumbHeight pixels whose top edge is row 10.
    p.drawRect(QRect(0, 10, thumbWidth - 1, thumbHeight - 1));
}

}  // namespace

QImage ThumbnailRenderer::Blank(int thumbWidth, int thumbHeight, Kind kind, bool framed) {
    const QSize size = CellSize(thumbWidth, thumbHeight);
    if (!CellAcceptable(size)) return {};
    QImage cell(size, QImage::Format_RGB32);
    if (cell.isNull()) return {};
    cell.fill(Qt::white);
    if (kind == Kind::Thumbnail && framed) DrawFrame(cell, thumbWidth, thumbHeight);
    return cell;
}

QImage ThumbnailRenderer::Render(const Job& job) {
    const QSize cellSize = CellSize(job.thumbWidth, job.thumbHeight);
    if (!CellAcceptable(cellSize)) return {};
    const QSize picture = PictureLoader::ReadSize(job.path);
    const QRect target = DrawRect(picture, job.thumbWidth, job.thumbHeight, job.kind);
    // The picture is decoded before the cell is made, and the cell is counted with the decode,
    // so a large page never holds decoder buffers, picture and cell all at once.
    DecodeBudget::Reservation held;
    QImage scaled;
    if (!target.isEmpty()) {
        const qint64 cellBytes = 4ll * cellSize.width() * cellSize.height();
        scaled = PictureLoader::LoadScaled(job.path, target.size(), cellBytes, &held);
    }
    QImage cell = Blank(job.thumbWidth, job.thumbHeight, job.kind, false);
    if (cell.isNull()) return cell;
    if (!scaled.isNull()) {
        // Transparent parts of the picture show the white ground.
        QPainter p(&cell);
        p.drawImage(target.topLeft(), scaled);
    }
    if (job.kind == Kind::Thumbnail && job.framed) DrawFrame(cell, job.thumbWidth, job.thumbHeight);
    return cell;
}

std::pair<QString, QString> ThumbnailRenderer::SplitCaption(const QString& caption) {
    const qsizetype at = caption.lastIndexOf(QLatin1Char('@'));
    if (at < 0) return {caption, QString()};
    return {caption.left(at), caption.mid(at + 1)};
}
