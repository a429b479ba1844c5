#pragma once

// A small generated installation for the viewer tests: a catalogue made with the schema tool
// and bound inserts, generated pictures and skin bitmaps in a temporary folder, and the
// application's paths, catalogue and configuration pointed at it (restored afterwards).

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/CCatalogueApp.h"
#include "app/CIniFile.h"
#include "app/InstallPaths.h"
#include "store/CatalogueDb.h"
#include "store/CatalogueSchema.h"
#include "store/Statements.h"

class ViewerFixture {
public:
    // `publishState` is written to sysfile/config.ini (nothing is written when it is null).
    explicit ViewerFixture(const QString& publishState = QStringLiteral("0"), bool skin = true) {
        root = dir.path();
        QDir(root).mkpath(QStringLiteral("sysfile"));
        QDir(root).mkpath(QStringLiteral("media"));
        sysfile = QDir(root).filePath(QStringLiteral("sysfile"));
        media = QDir(root).filePath(QStringLiteral("media"));
        if (!publishState.isNull()) SetConfig(QStringLiteral("发布状态"), publishState);
        if (skin) WriteSkin();
        QString error;
        created = CatalogueSchema::CreateEmpty(CatalogueDb::CatalogueFile(sysfile), &error);
        savedPaths = theApp.m_paths;
        savedConfig = theApp.m_config.Path();
        savedMode = theApp.thumbListMode;
        savedDb = std::move(theApp.m_db);
        theApp.m_paths =
            InstallPaths::FromExecutable(QDir(root).filePath(QStringLiteral("vistrel")));
        theApp.m_config.SetPath(theApp.m_paths.configPath);
        auto db = std::make_unique<CatalogueDb>();
        opened = db->Open(CatalogueDb::CatalogueFile(sysfile), &error);
        if (!opened) qWarning("fixture catalogue: %s", qPrintable(error));
        theApp.m_db = std::move(db);
        ResetDocPathCache();
    }

    ~ViewerFixture() {
        theApp.m_db = std::move(savedDb);
        theApp.m_paths = savedPaths;
        theApp.m_config.SetPath(savedConfig);
        theApp.thumbListMode = savedMode;
        ResetDocPathCache();
    }

    bool Ok() const { return created && opened; }

    void SetConfig(const QString& key, const QString& value) {
        CIniFile ini(QDir(sysfile).filePath(QStringLiteral("config.ini")));
        ini.WriteString(QStringLiteral("SysInfo"), key, value);
    }

    // A picture of one colour with a darker band, saved under `relative` (below root).
    QString Picture(const QString& relative, QSize size, const QColor& colour,
                    const char* format = nullptr) {
        const QString path = QDir(root).filePath(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        image.save(path, format, 95);
        return path;
    }

    void Category(const QString& name, int number) {
        theApp.m_db->ExecuteSql(Sql::InsertCategory, {name});
        theApp.m_db->ExecuteSql(Sql::SetCategoryNumber, {number, name});
    }

    struct Docs {
        QString intro, addProcess, tecReference;
    };

    // A product with source paths; published paths are set with Publish().
    void Product(int number, const QString& cls, const QString& stored, const QString& key,
                 const QString& picture, const Docs& docs = {}) {
        theApp.m_db->ExecuteSql(Sql::InsertProduct, {number, cls, stored, key, picture, docs.intro,
                                                     docs.addProcess, docs.tecReference});
    }

    void Publish(const QString& cls, const QString& stored, const QString& dpath,
                 const Docs& docs) {
        theApp.m_db->ExecuteSql(Sql::SetProductDpath, {dpath, cls, stored});
        theApp.m_db->ExecuteSql(Sql::SetProductPIntroduce, {docs.intro, cls, stored});
        theApp.m_db->ExecuteSql(Sql::SetProductPAddProcess, {docs.addProcess, cls, stored});
        theApp.m_db->ExecuteSql(Sql::SetProductPTecReference, {docs.tecReference, cls, stored});
    }

    void Model(const QString& cls, const QString& stored, const QString& file, int number,
               const QString& opath) {
        theApp.m_db->ExecuteSql(Sql::InsertModel, {cls, stored, file, number, opath});
    }

    void Company(const QString& opath, const QString& dpath, const QString& text,
                 const QString& web) {
        theApp.m_db->ExecuteSql(Sql::UpdateCompany, {opath, text, web});
        theApp.m_db->ExecuteSql(Sql::SetCompanyDpath, {dpath, QStringLiteral("企业")});
    }

    // Skin bitmaps of the contract sizes: recognisable colours, so tests can find them.
    static QColor TopColour() { return QColor(10, 90, 140); }
    static QColor BottomColour() { return QColor(5, 50, 80); }
    void WriteSkin() {
        SaveBmp(QStringLiteral("top.bmp"), QSize(2560, 59), TopColour());
        SaveBmp(QStringLiteral("bottom.bmp"), QSize(2560, 30), BottomColour());
        const struct {
            const char* base;
            QSize size;
        } buttons[] = {{"min", {32, 19}},      {"max", {34, 19}},      {"close", {32, 19}},
                       {"search", {28, 24}},   {"QQ", {96, 30}},       {"产品中心", {96, 36}},
                       {"企业介绍", {96, 36}}, {"系统设置", {96, 36}}, {"系统发布", {96, 36}},
                       {"返回", {72, 28}}};
        int shade = 0;
        for (const auto& b : buttons) {
            const QString base = QString::fromUtf8(b.base);
            for (const QString& suffix : {QString(), QStringLiteral("1"), QStringLiteral("2")})
                SaveBmp(base + suffix + QStringLiteral(".bmp"), b.size,
                        QColor(60 + shade, 120, 160 - shade));
            shade += 8;
        }
    }

    void SaveBmp(const QString& name, QSize size, const QColor& colour) {
        QImage image(size, QImage::Format_RGB888);
        image.fill(colour);
        image.save(QDir(sysfile).filePath(name), "BMP");
    }

    QTemporaryDir dir;
    QString root;
    QString sysfile;
    QString media;
    bool created = false;
    bool opened = false;

private:
    InstallPaths savedPaths;
    QString savedConfig;
    int savedMode = 1;
    std::unique_ptr<CatalogueDb> savedDb;
};

// Colour at the middle of an image (or a given point), for checking what a cell shows.
inline QColor CentreColour(const QImage& image) {
    if (image.isNull()) return QColor();
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

inline bool SameColour(const QColor& a, const QColor& b, int tolerance = 12) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}
