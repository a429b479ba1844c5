#pragma once

#include <QImage>
#include <QString>

#include "tools/install/DemoCatalogue.h"

// Writes installations for the demo, the tests and the benchmarks:
//  - an empty catalogue file;
//  - the demo authoring installation: FOLDER/sysfile (数据.db, config.ini with 发布状态=0,
//    splash.jpg, every skin bitmap) and the pictures and model files it names under
//    FOLDER/demo-media/<category>/<product>/..., stored with their full paths;
//  - a published copy: FOLDER/sysfile (发布状态=1) and FOLDER/pic/<category>/..., stored as
//    relative "pic/..." paths, the source columns keeping the authoring paths.
// The output depends only on FOLDER: no time stamps, no randomness, so two runs write the same
// bytes.
//
// config.ini: section SysInfo holds 发布状态 and three optional deployment keys that the main
// window reads with defaults of its own:
//   企业名称   company name shown in the bottom band        (demo: Harbelt)
//   企业QQ     enterprise QQ account number for the chat link (demo: 800012345)
//   聊天服务器  host of the web chat address                   (demo: wpa.qq.com)
class DemoInstaller {
public:
    enum class Variant {
        Full,   // the whole demo catalogue (7 categories, 44 products)
        Small,  // two products per category, for quick tests; still every picture format,
                // wide sheets, model files and a folder document
    };

    // Writes a new empty catalogue (schema and the one company row); refuses an existing file.
    static bool WriteEmpty(const QString& file, QString* error = nullptr);

    // Makes `folder` a new, empty authoring installation that runs at once: `executable` copied
    // without its symbols as folder/vistrel, and sysfile/ with an empty catalogue, config.ini
    // (发布状态=0, no company of the demo's) and the skin. Refuses a folder that already holds a
    // catalogue, so nobody's work is overwritten.
    static bool WriteNew(const QString& folder, const QString& executable,
                         QString* error = nullptr);

    // Writes (or rewrites) the demo authoring installation in `folder`. The catalogue file is
    // replaced whole; a demo-media folder that this tool did not write is refused, never
    // deleted. Anything else in `folder` (the executable) is left alone.
    static bool WriteDemo(const QString& folder, QString* error = nullptr,
                          Variant variant = Variant::Full);

    // Writes (or rewrites) a published copy in `folder` (sysfile and pic, no executable).
    static bool WritePublished(const QString& folder, QString* error = nullptr,
                               Variant variant = Variant::Full);

    // Every skin bitmap (24-bit BMP) and splash.jpg into a data folder; the cover names the
    // demo company only for the demo.
    static bool WriteSkin(const QString& dataFolder, QString* error = nullptr,
                          bool demoCompany = true);

    // Saves a picture in the given format (GIF through our own encoder, TIFF LZW-compressed).
    static bool SavePicture(const QImage& image, const QString& file, PictureFormat format,
                            QString* error = nullptr);

    static QString DataFolder(const QString& folder);   // folder/sysfile
    static QString MediaFolder(const QString& folder);  // folder/demo-media
    static QString PicFolder(const QString& folder);    // folder/pic
    static QString CatalogueFileName() { return QStringLiteral("数据.db"); }

    // The marker that identifies a media folder as written by this tool.
    static QString MarkerName() { return QStringLiteral(".vistrel-demo"); }
};
