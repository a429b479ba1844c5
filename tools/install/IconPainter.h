#pragma once

#include <QImage>
#include <QPoint>
#include <QString>

// The program's own icons (resources/icons): application icon, the notice window's
// information sign, the report list's download arrow and the link label's hand cursor.
class IconPainter {
public:
    static QImage AppIcon(int size = 128);
    static QImage NoticeIcon();    // 32 x 32
    static QImage DownloadIcon();  // 16 x 16
    static QImage LinkCursor();    // 32 x 32, hot spot LinkHotSpot()
    static QPoint LinkHotSpot() { return {11, 0}; }

    // Writes app.png, notice.png, download.png and link.png into `folder`.
    static bool WriteIcons(const QString& folder, QString* error = nullptr);
};
