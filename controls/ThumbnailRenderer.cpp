#include "controls/ThumbnailRenderer.h"

#include <QColor>
#include <QPainter>
#include <algorithm>
#include <cmath>

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

QSize DeviceSize(const QSize& size, qreal ratio) {
    return {qRound(size.width() * ratio), qRound(size.height() * ratio)};
}

void DrawFrame(QImage& cell, int thumbWidth, int thumbHeight) {
    QPainter p(&cell);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QColor colour = QColor::fromRgba(ThumbnailRenderer::kFrameArgb);
    // An outline of thumbWidth x thumbHeight pixels whose top edge is row 10.
    if (cell.devicePixelRatio() == 1) {
        p.setPen(QPen(colour, 0));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRect(0, 10, thumbWidth - 1, thumbHeight - 1));
        return;
    }
    // On a dense screen the outline is one layout pixel wide, as thick as the text beside it;
    // its four sides do not overlap, so the corners are no darker than the rest.
    p.fillRect(QRect(0, 10, thumbWidth, 1), colour);
    if (thumbHeight > 1) p.fillRect(QRect(0, 10 + thumbHeight - 1, thumbWidth, 1), colour);
    if (thumbHeight > 2) {
        p.fillRect(QRect(0, 11, 1, thumbHeight - 2), colour);
        if (thumbWidth > 1) p.fillRect(QRect(thumbWidth - 1, 11, 1, thumbHeight - 2), colour);
    }
}

}  // namespace

qreal ThumbnailRenderer::CellRatio(int thumbWidth, int thumbHeight, qreal wanted) {
    const qreal ratio = std::clamp<qreal>(std::isfinite(wanted) ? wanted : 1, 1, 4);
    if (ratio == 1) return 1;
    return CellAcceptable(DeviceSize(CellSize(thumbWidth, thumbHeight), ratio)) ? ratio : 1;
}

QImage ThumbnailRenderer::Blank(int thumbWidth, int thumbHeight, Kind kind, bool framed,
                                qreal devicePixelRatio) {
    const QSize size = CellSize(thumbWidth, thumbHeight);
    if (!CellAcceptable(size)) return {};
    const qreal ratio = CellRatio(thumbWidth, thumbHeight, devicePixelRatio);
    QImage cell(DeviceSize(size, ratio), QImage::Format_RGB32);
    if (cell.isNull()) return {};
    cell.setDevicePixelRatio(ratio);
    cell.fill(Qt::white);
    if (kind == Kind::Thumbnail && framed) DrawFrame(cell, thumbWidth, thumbHeight);
    return cell;
}

QImage ThumbnailRenderer::Render(const Job& job, ThumbnailSource::Origin* origin) {
    ThumbnailSource::Origin dummy;
    ThumbnailSource::Origin& from = origin ? *origin : dummy;
    from = ThumbnailSource::Origin::None;
    const QSize cellSize = CellSize(job.thumbWidth, job.thumbHeight);
    if (!CellAcceptable(cellSize)) return {};
    const qreal ratio = CellRatio(job.thumbWidth, job.thumbHeight, job.devicePixelRatio);
    const QSize deviceCell = DeviceSize(cellSize, ratio);
    // Stored thumbnails serve thumbnail cells; the large pictures of document pages are
    // decoded.
    const int side =
        job.kind == Kind::Thumbnail ? qRound(std::max(job.thumbWidth, job.thumbHeight) * ratio) : 0;
    const ThumbnailSource::Stored stored = ThumbnailSource::Find(job.path, side);
    const QRect target = DrawRect(stored.picture, job.thumbWidth, job.thumbHeight, job.kind);
    const QSize deviceTarget = DeviceSize(target.size(), ratio);
    // The picture is decoded before the cell is made, and the cell is counted with the decode,
    // so a large page never holds decoder buffers, picture and cell all at once.
    DecodeBudget::Reservation held;
    QImage scaled;
    if (!target.isEmpty() && !deviceTarget.isEmpty()) {
        scaled = ThumbnailSource::Fitted(stored, deviceTarget);
        if (!scaled.isNull()) {
            from = stored.origin;
        } else {
            const qint64 cellBytes = 4ll * deviceCell.width() * deviceCell.height();
            scaled = ThumbnailSource::Decode(job.path, stored.picture, deviceTarget, side,
                                             cellBytes, &held, &from);
        }
    }
    QImage cell = Blank(job.thumbWidth, job.thumbHeight, job.kind, false, ratio);
    if (cell.isNull()) return cell;
    if (!scaled.isNull()) {
        // Transparent parts of the picture show the white ground.
        QPainter p(&cell);
        if (ratio == 1) {
            p.drawImage(target.topLeft(), scaled);
        } else {
            scaled.setDevicePixelRatio(ratio);
            p.drawImage(QRectF(target), scaled);
        }
    }
    if (job.kind == Kind::Thumbnail && job.framed) DrawFrame(cell, job.thumbWidth, job.thumbHeight);
    return cell;
}

std::pair<QString, QString> ThumbnailRenderer::SplitCaption(const QString& caption) {
    const qsizetype at = caption.lastIndexOf(QLatin1Char('@'));
    if (at < 0) return {caption, QString()};
    return {caption.left(at), caption.mid(at + 1)};
}
