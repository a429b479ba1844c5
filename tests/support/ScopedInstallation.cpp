#include "ScopedInstallation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include "app/CIniFile.h"
#include "publish/CopyQueue.h"
#include "store/CatalogueSchema.h"
#include "store/Statements.h"

ScopedInstallation::ScopedInstallation(const Options& options) {
    CopyQueue& copies = theApp.Copies();
    auto db = std::make_shared<std::unique_ptr<CatalogueDb>>(std::move(theApp.m_db));
    m_restore.push_back([db] { theApp.m_db = std::move(*db); });
    m_restore.push_back([path = theApp.m_config.Path()] { theApp.m_config.SetPath(path); });
    m_restore.push_back([&copies, done = copies.finished.load()] { copies.finished = done; });
    Keep(theApp.m_paths);
    Keep(theApp.m_publishRoot);
    Keep(theApp.thumbListMode);
    Keep(theApp.m_pMainWnd);
    Keep(theApp.m_title);
    Keep(copies.jobs);
    Keep(copies.scratch);
    Keep(theApp.m_splashStepMs);
    Keep(theApp.m_splashHoldMs);
    Keep(theApp.m_showSplash);
    Keep(theApp.m_runMainWindow);
    for (QString& path : docPathCache) Keep(path);

    // The state of a program that has just started.
    theApp.m_publishRoot.clear();
    theApp.thumbListMode = 1;
    theApp.m_pMainWnd = nullptr;
    copies.jobs.RemoveAll();
    copies.scratch.clear();
    copies.finished = false;
    ResetDocPathCache();

    root = QDir::cleanPath(options.existing.isEmpty() ? QDir(dir.path()).filePath(options.subfolder)
                                                      : options.existing);
    exe = Path(QStringLiteral("vistrel"));
    sysfile = Path(QStringLiteral("sysfile"));
    media = Path(QStringLiteral("media"));
    bool written = true;
    if (options.existing.isEmpty()) {
        QDir().mkpath(sysfile);
        for (const QString& folder : options.folders) QDir(root).mkpath(folder);
        if (!options.publishState.isNull())
            SetConfig(QStringLiteral("发布状态"), options.publishState);
        if (options.skin) WriteSkin();
        if (options.catalogue)
            written = CatalogueSchema::CreateEmpty(CatalogueDb::CatalogueFile(sysfile));
    }
    if (options.catalogue || !options.existing.isEmpty()) {
        theApp.m_paths = InstallPaths::FromExecutable(exe);
        theApp.m_config.SetPath(theApp.m_paths.configPath);
        m_ok = written && theApp.ConnectDatabase();
    }
}

ScopedInstallation::~ScopedInstallation() {
    for (auto it = m_restore.rbegin(); it != m_restore.rend(); ++it) (*it)();
}

QString ScopedInstallation::Write(const QString& relative, const QByteArray& data) const {
    const QString path = Path(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size()) return QString();
    return path;
}

QString ScopedInstallation::Picture(const QString& relative, QSize size, const QColor& colour,
                                    const char* format) const {
    const QString path = Path(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    image.save(path, format, 95);
    return path;
}

void ScopedInstallation::SetConfig(const QString& key, const QString& value) const {
    CIniFile(QDir(sysfile).filePath(QStringLiteral("config.ini")))
        .WriteString(QStringLiteral("SysInfo"), key, value);
}

void ScopedInstallation::Category(const QString& name, int number) const {
    Db().ExecuteSql(Sql::InsertCategory, {name});
    Db().ExecuteSql(Sql::SetCategoryNumber, {number, name});
}

void ScopedInstallation::Product(int number, const QString& cls, const QString& stored,
                                 const QString& key, const QString& picture,
                                 const Docs& docs) const {
    Db().ExecuteSql(Sql::InsertProduct, {number, cls, stored, key, picture, docs.intro,
                                         docs.addProcess, docs.tecReference});
}

void ScopedInstallation::Publish(const QString& cls, const QString& stored, const QString& dpath,
                                 const Docs& docs) const {
    Db().ExecuteSql(Sql::SetProductDpath, {dpath, cls, stored});
    Db().ExecuteSql(Sql::SetProductPIntroduce, {docs.intro, cls, stored});
    Db().ExecuteSql(Sql::SetProductPAddProcess, {docs.addProcess, cls, stored});
    Db().ExecuteSql(Sql::SetProductPTecReference, {docs.tecReference, cls, stored});
}

void ScopedInstallation::Model(const QString& cls, const QString& stored, const QString& file,
                               int number, const QString& opath, const QString& dpath,
                               const QString& note) const {
    Db().ExecuteSql(Sql::InsertModel, {cls, stored, file, number, opath});
    Db().ExecuteSql(Sql::SetModelNote, {note, cls, stored, file});
    if (!dpath.isEmpty()) Db().ExecuteSql(Sql::SetModelsDpath, {dpath, cls, stored});
}

void ScopedInstallation::Company(const QString& opath, const QString& dpath, const QString& text,
                                 const QString& web) const {
    Db().ExecuteSql(Sql::UpdateCompany, {opath, text, web});
    Db().ExecuteSql(Sql::SetCompanyDpath, {dpath, QStringLiteral("企业")});
}

void ScopedInstallation::SaveBmp(const QString& name, QSize size, const QColor& colour) const {
    QImage image(size, QImage::Format_RGB888);
    image.fill(colour);
    image.save(QDir(sysfile).filePath(name), "BMP");
}

void ScopedInstallation::WriteSkin() const {
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
