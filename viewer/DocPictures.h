#pragma once

#include <QList>
#include <QSize>
#include <QString>

// The pictures of one document page, without any window. A document column names one picture
// file or a folder of pictures (the document dialog stores folders); a folder gives its
// accepted pictures in file-name order, numbers compared by value (2 before 10).
class DocPictures {
public:
    // Widest a document picture is shown; wider pictures are scaled down to this width.
    static constexpr int kMaxWidth = 3300;
    // Most pixels a document picture is shown with (a 50-megapixel portrait photograph at the
    // full width); larger ones are shown smaller.
    static constexpr qint64 kMaxShownPixels = 3300ll * 5000;

    struct Picture {
        QString path;
        QSize size;   // upright size of the file (empty when it cannot be read)
        QSize shown;  // size it is shown at: `size` limited to kMaxWidth
    };

    // Whether a document exists at the path: a regular file or a folder.
    static bool Exists(const QString& path);
    static bool IsFolder(const QString& path);

    // The picture files a document path stands for: the file itself, or the folder's pictures
    // (with a `root`, only those that really lie inside it, symbolic links followed).
    static QStringList Files(const QString& path, const QString& root = QString());
    // Files() with their sizes read from the headers.
    static QList<Picture> Resolve(const QString& path, const QString& root = QString());

    // File-name order: numbers by value, letters without regard to case; <0, 0 or >0.
    static int CompareFileNames(const QString& a, const QString& b);

    // The shown size of a picture of `size`: kept when its width is at most kMaxWidth,
    // otherwise width kMaxWidth and the height scaled and truncated; then, above
    // kMaxShownPixels, both scaled down to fit that many pixels.
    static QSize ShownSize(const QSize& size);
};
