#pragma once

#include <QColor>
#include <QDir>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdlib>
#include <functional>
#include <vector>

#include "app/CCatalogueApp.h"
#include "store/CatalogueDb.h"

// An installation for one test, with the application pointed at it. Every piece of the
// application's state (connection, paths, configuration, thumbnail mode, copy queue, main window,
// start-up seams, the document pages' cache) is saved on construction and put back on destruction.
class ScopedInstallation {
public:
    struct Options {
        QString publishState = QStringLiteral("0");  // written to config.ini unless null
        bool skin = true;                            // skin bitmaps of recognisable colours
        bool catalogue = true;  // an empty catalogue, with the application connected to it
        QStringList folders = {QStringLiteral("media")};  // created below the root
        QString subfolder = {};  // where below the temporary folder the installation lies
        QString existing = {};   // an installation written elsewhere (by the installation tool)
    };

    ScopedInstallation() : ScopedInstallation(Options{}) {}
    explicit ScopedInstallation(const Options& options);
    ~ScopedInstallation();
    ScopedInstallation(const ScopedInstallation&) = delete;

    // The catalogue was written and the application is connected to it.
    bool Ok() const { return m_ok; }
    // What the application lends its windows.
    AppParts Parts() const { return theApp.Parts(); }
    CatalogueDb& Db() const { return *theApp.m_db; }

    QString Path(const QString& relative) const { return QDir(root).filePath(relative); }
    QString Write(const QString& relative, const QByteArray& data) const;
    // A picture of one colour, saved under `relative`.
    QString Picture(const QString& relative, QSize size, const QColor& colour,
                    const char* format = nullptr) const;
    void SetConfig(const QString& key, const QString& value) const;

    // Catalogue rows, written with the program's own statements.
    struct Docs {
        QString intro, addProcess, tecReference;
    };
    void Category(const QString& name, int number) const;
    // A product with source paths; published paths are set with Publish().
    void Product(int number, const QString& cls, const QString& stored, const QString& key,
                 const QString& picture, const Docs& docs = {}) const;
    void Publish(const QString& cls, const QString& stored, const QString& dpath,
                 const Docs& docs) const;
    void Model(const QString& cls, const QString& stored, const QString& file, int number,
               const QString& opath, const QString& dpath = {}, const QString& note = {}) const;
    void Company(const QString& opath, const QString& dpath, const QString& text,
                 const QString& web) const;

    // The colours of the two band bitmaps of the skin.
    static QColor TopColour() { return QColor(10, 90, 140); }
    static QColor BottomColour() { return QColor(5, 50, 80); }
    void SaveBmp(const QString& name, QSize size, const QColor& colour) const;

    QTemporaryDir dir;
    QString root;
    QString exe;
    QString sysfile;
    QString media;

private:
    // Saves `field` now and puts the saved value back on destruction.
    template <typename T>
    void Keep(T& field) {
        m_restore.push_back([&field, saved = field] { field = saved; });
    }
    void WriteSkin() const;

    std::vector<std::function<void()>> m_restore;  // run last to first
    bool m_ok = false;
};

// The colour at the middle of an image, and colours alike within a tolerance: for checking what
// a cell or a page shows of the installation's one-colour pictures.
inline QColor CentreColour(const QImage& image) {
    return image.isNull() ? QColor() : image.pixelColor(image.width() / 2, image.height() / 2);
}
inline bool SameColour(const QColor& a, const QColor& b, int tolerance = 12) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}
