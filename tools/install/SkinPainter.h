#pragma once

#include <QImage>
#include <QList>
#include <QString>

// Draws the skin of the main window (bands, navigation, caption and other skinned buttons)
// and the cover picture, in the one colour scheme. Button bitmaps carry the band rows that lie
// behind them in the window, so they sit seamlessly on the band.
class SkinPainter {
public:
    enum class State { Normal, Hover, Pressed };

    struct Bitmap {
        QString fileName;  // e.g. "产品中心1.bmp"
        QImage image;
    };

    static constexpr int kTopHeight = 59;
    static constexpr int kBottomHeight = 30;
    static constexpr int kBandWidth = 2560;
    static constexpr int kBrandWidth = 360;  // the part of the top band that holds the brand

    static QImage TopBand();
    static QImage BottomBand();
    // Navigation buttons: 产品中心, 企业介绍, 系统设置, 系统发布 (96 x 36 at y = 14).
    static QImage NavButton(const QString& caption, State state);
    static QImage BackButton(State state);    // 返回, 72 x 28 on the light ground
    static QImage SearchButton(State state);  // 28 x 24 at y = 19
    static QImage ChatButton(State state);    // QQ, 96 x 30 on the bottom band
    // "min" (32 x 19), "max" (34 x 19) or "close" (32 x 19) at y = 5.
    static QImage CaptionButton(const QString& kind, State state);

    // Every skin file of sysfile/ with its picture, in a fixed order.
    static QList<Bitmap> SkinBitmaps();

    // The cover picture: white at its right and bottom edges, so a cover window larger than
    // the picture shows no seam. Without `demoCompany` (a catalogue of the user's own) it names
    // no company.
    static QImage Splash(const QSize& size = {940, 600}, bool demoCompany = true);

    // The window's frame as the main window composes it (bands, buttons in the given states,
    // search field, bottom text), for looking at the skin as a whole.
    static QImage Preview(int width, int height, State navState, State captionState);
};
