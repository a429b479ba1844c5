#include "publish/WebCatalogue.h"

#include <unistd.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutexLocker>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>
#include <QThreadPool>
#include <algorithm>
#include <atomic>

#include "publish/FileCopier.h"
#include "publish/WebPictures.h"
#include "store/CatalogueDb.h"
#include "store/CatalogueRecords.h"
#include "store/CatalogueRecordset.h"
#include "store/Statements.h"

namespace {

QByteArray Json(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// Model rows of one product, keyed by class and stored product name.
QString ProductKey(const QString& className, const QString& productName) {
    return className + QChar(0) + productName;
}

}  // namespace

WebCatalogue::WebCatalogue(CatalogueDb& catalogue, const QString& copyFolder, Rules rules)
    : m_db(catalogue), m_copy(QDir::cleanPath(copyFolder)), m_rules(std::move(rules)) {
    // Most of its jobs make, move or link files, and wait on the file system far more than they
    // compute: more of them at once than there are cores.
    m_pool.setMaxThreadCount(std::max(4, QThread::idealThreadCount()));
}

WebCatalogue::~WebCatalogue() {
    m_pool.waitForDone();
}

bool WebCatalogue::Fail(const QString& why) {
    const QMutexLocker lock(&m_errorLock);
    if (m_error.isEmpty()) m_error = why;
    return false;
}

QString WebCatalogue::CopyRelative(const QString& published) {
    // As the viewer does: the value without its first four characters ("pic/") under pic.
    if (published.size() <= 4) return QString();
    const QStringList parts = published.mid(4).split(QLatin1Char('/'));
    for (const QString& part : parts)
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String("..") ||
            part.contains(QLatin1Char('\\')))
            return QString();
    return QStringLiteral("pic/") + parts.join(QLatin1Char('/'));
}

QByteArray WebCatalogue::DataScript(const QString& name, const QByteArray& json) {
    // JSON is a script expression, except that older browsers end a string at a raw line or
    // paragraph separator; those are written escaped.
    QByteArray data = json;
    data.replace("\xe2\x80\xa8", "\\u2028").replace("\xe2\x80\xa9", "\\u2029");
    const QByteArray quoted = QJsonDocument(QJsonArray{name}).toJson(QJsonDocument::Compact);
    return "vistrelData(" + quoted.mid(1).chopped(1) + "," + data + ");\n";
}

void WebCatalogue::Queue(std::function<bool()> job, bool picture) {
    // A bounded number waits, so that memory stays small however many products there are.
    m_waiting.acquire();
    if (picture) ++m_queued;
    m_pool.start([this, picture, job = std::move(job)] {
        job();
        if (picture) ++m_done;
        m_waiting.release();
    });
}

bool WebCatalogue::MakeFolderOf(const QString& relative) {
    const QString folder = QFileInfo(QDir(m_copy).filePath(relative)).absolutePath();
    return QDir().mkpath(folder) || Fail(QStringLiteral("cannot create %1").arg(folder));
}

void WebCatalogue::ReadEarlierThumbs() {
    m_earlierThumbs.clear();
    const QString file =
        CatalogueDb::CatalogueFile(QDir(m_earlierCopy).filePath(QStringLiteral("sysfile")));
    if (m_earlierCopy.isEmpty() || !QFileInfo(file).isFile()) return;
    const QString name = QStringLiteral("vistrel-earlier-web-%1").arg(quintptr(this), 0, 16);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        db.setDatabaseName(file);
        QSqlQuery categories(db), products(db), rows(db);
        // The places the earlier web catalogue gave, read as it was written.
        QHash<QString, QString> bases;
        if (db.open() && categories.exec(QString::fromUtf8(Sql::SelectCategoriesByNumber)) &&
            products.prepare(QString::fromUtf8(Sql::SelectProductsOfClassByNumber))) {
            const int className = categories.record().indexOf(QStringLiteral("ClassName"));
            for (int c = 0; categories.next(); ++c) {
                products.addBindValue(categories.value(className));
                if (!products.exec()) break;
                const int dpath = products.record().indexOf(QStringLiteral("Dpath"));
                for (int p = 0; products.next(); ++p)
                    bases.insert(CopyRelative(products.value(dpath).toString()),
                                 QStringLiteral("web/thumbs/%1/%2").arg(c).arg(p));
            }
        }
        if (rows.exec(QStringLiteral("select [Path], [Size], [MTime] from [缩略图表]")))
            while (rows.next())
                if (const QString base = bases.value(rows.value(0).toString()); !base.isEmpty())
                    m_earlierThumbs.insert(
                        rows.value(0).toString(),
                        {base, rows.value(1).toLongLong(), rows.value(2).toLongLong()});
    }
    QSqlDatabase::removeDatabase(name);
}

bool WebCatalogue::WriteFile(const QString& relative, const QByteArray& bytes) {
    const QString path = QDir(m_copy).filePath(relative);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return Fail(QStringLiteral("cannot create %1").arg(QFileInfo(path).absolutePath()));
    // Written straight, without a sync per file: the web folder is made afresh by every run, so
    // there is no older file that a half-written one could replace.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size() || !file.flush())
        return Fail(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    file.close();
    if (file.error() != QFileDevice::NoError)
        return Fail(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    return true;
}

bool WebCatalogue::CopyResource(const QString& resource, const QString& relative) {
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly))
        return Fail(QStringLiteral("missing resource %1").arg(resource));
    QueueWrite(relative, file.readAll());
    return true;
}

void WebCatalogue::QueueWrite(const QString& relative, const QByteArray& bytes) {
    Queue([this, relative, bytes] { return WriteFile(relative, bytes); }, false);
}

int WebCatalogue::WriteThumb(const QString& picture, int category, int index) {
    if (!m_hasThumbs || picture.isEmpty()) return 0;
    if (!m_thumbStamp) {
        m_thumbStamp = std::make_unique<QSqlQuery>(m_db.Database());
        m_thumbStamp->prepare(QString::fromUtf8(Sql::SelectThumbnailStamp));
    }
    m_thumbStamp->addBindValue(picture);
    if (!m_thumbStamp->exec() || !m_thumbStamp->next()) return 0;
    const qint64 size = m_thumbStamp->value(0).toLongLong(),
                 mtime = m_thumbStamp->value(1).toLongLong();
    m_thumbStamp->finish();
    const QString base = QStringLiteral("web/thumbs/%1/%2").arg(category).arg(index);
    const QString x2 = QStringLiteral("-2x");
    const QDir to(m_copy);
    // The files to take are found by their name; the link or move runs on the pool, beside the
    // rows still being read. The folder is made once per category.
    const auto take = [&](const QString& from, bool link) {
        const bool png = !QFileInfo::exists(from + QStringLiteral(".jpg"));
        const QString suffix = png ? QStringLiteral(".png") : QStringLiteral(".jpg");
        if ((png && !QFileInfo::exists(from + suffix)) || !QFileInfo::exists(from + x2 + suffix))
            return 0;
        if (m_thumbFolder != category) {
            if (!MakeFolderOf(base)) return -1;
            m_thumbFolder = category;
        }
        QList<QPair<QString, QString>> moves{{from + suffix, to.filePath(base + suffix)},
                                             {from + x2 + suffix, to.filePath(base + x2 + suffix)}};
        Queue(
            [this, moves, link] {
                for (const auto& [source, target] : moves) {
                    const QByteArray s = QFile::encodeName(source), t = QFile::encodeName(target);
                    // A link the file system refuses becomes a copy of the same bytes.
                    const bool ok = link ? ::link(s.constData(), t.constData()) == 0 ||
                                               QFile::copy(source, target)
                                         : ::rename(s.constData(), t.constData()) == 0;
                    if (!ok) return Fail(QStringLiteral("cannot write %1").arg(target));
                }
                return true;
            },
            false);
        return png ? 2 : 1;
    };
    // The earlier copy's files of the same row are these files: linked, not made again.
    const auto earlier = m_earlierThumbs.constFind(picture);
    if (earlier != m_earlierThumbs.cend() && earlier->size == size && earlier->mtime == mtime)
        if (const int kind = take(QDir(m_earlierCopy).filePath(earlier->base), true); kind != 0)
            return kind;
    // Made by the publish while the files were copied: only moved into place.
    if (!m_madeThumbnails.isEmpty())
        if (const int kind = take(WebPictures::ThumbnailBase(m_madeThumbnails, picture), false);
            kind != 0)
            return kind;

    QSqlQuery query(m_db.Database());
    query.prepare(QString::fromUtf8(Sql::SelectThumbnail));
    query.addBindValue(picture);
    if (!query.exec() || !query.next()) return 0;
    const QByteArray data = query.value(4).toByteArray();
    const bool png = data.startsWith("\x89PNG");
    if (!png && !data.startsWith("\xff\xd8")) return 0;  // a damaged row: the cell stays empty
    const QString suffix = png ? QStringLiteral(".png") : QStringLiteral(".jpg");
    // The shipped thumbnail is made for two pixels per point; 1x is made from it.
    Queue([this, data, target = base + suffix, x2target = base + x2 + suffix] {
        if (!WriteFile(x2target, data)) return false;
        const QByteArray single = WebPictures::SingleDensity(data, kCell);
        if (single.isEmpty()) return Fail(QStringLiteral("cannot decode %1").arg(target));
        return WriteFile(target, single);
    });
    return png ? 2 : 1;
}

QString WebCatalogue::WebPicture(const QString& relative, QSize* size) {
    const QString path = QDir(m_copy).filePath(relative);
    if (WebPictures::BrowserShows(path)) {
        QImageReader reader(path);
        reader.setAutoTransform(true);
        *size = reader.size();
        return relative;
    }
    // A TIFF and the like: converted once into web/pics, or moved there where the publish has
    // converted it already.
    WebPictures::Form form;
    const QString converted = m_converted ? m_converted->Take(relative, path, &form) : QString();
    if (converted.isEmpty()) form = WebPictures::FormOf(path);
    *size = form.shown;
    if (!form.shown.isValid()) return QString();
    const QString target = WebPictures::WebName(relative, form.png);
    const QString targetPath = QDir(m_copy).filePath(target);
    if (!converted.isEmpty()) {
        Queue(
            [this, converted, targetPath] {
                return (QDir().mkpath(QFileInfo(targetPath).absolutePath()) &&
                        QFile::rename(converted, targetPath)) ||
                       Fail(QStringLiteral("cannot write %1").arg(targetPath));
            },
            false);
        return target;
    }
    Queue([this, path, target, form] {
        const QByteArray data = WebPictures::Convert(path, form);
        if (data.isEmpty()) return Fail(QStringLiteral("cannot read %1").arg(path));
        return WriteFile(target, data);
    });
    return target;
}

QJsonArray WebCatalogue::DocumentPictures(const QString& published) {
    QJsonArray pictures;
    const QString relative = CopyRelative(published);
    if (relative.isEmpty()) return pictures;
    const QString path = QDir(m_copy).filePath(relative);
    const QFileInfo info(path);
    QStringList files;
    if (info.isDir()) {
        const QString prefix = m_copy + QLatin1Char('/');
        for (const QString& file :
             m_rules.folderPictures ? m_rules.folderPictures(path) : QStringList()) {
            const QString clean = QDir::cleanPath(file);
            if (clean.startsWith(prefix)) files << clean.mid(prefix.size());
        }
    } else if (info.isFile()) {
        files << relative;
    }
    for (const QString& file : files) {
        QSize size;
        const QString url = WebPicture(file, &size);
        if (url.isEmpty()) continue;
        QJsonArray picture{url};
        if (size.isValid()) picture << size.width() << size.height();
        pictures.append(picture);
    }
    return pictures;
}

bool WebCatalogue::Write() {
    m_error.clear();
    m_queued = 0;
    m_done = 0;
    Q_INIT_RESOURCE(web);

    // An earlier publish's web folder goes whole: its categories may be others.
    QDir web(QDir(m_copy).filePath(QStringLiteral("web")));
    if (web.exists() && !web.removeRecursively())
        return Fail(QStringLiteral("cannot replace %1").arg(web.path()));

    ReadEarlierThumbs();
    m_thumbFolder = -1;
    CatalogueRecordset rs(&m_db), productRs(&m_db);
    {
        QSqlQuery probe(m_db.Database());
        m_hasThumbs = probe.exec(QStringLiteral(
                          "select 1 from sqlite_master where type='table' and name='缩略图表'")) &&
                      probe.next();
    }

    // Model files of every product, in [Number] order.
    QHash<QString, QList<ModelFileRecord>> models;
    if (!rs.OpenRecordset(Sql::SelectAllModels))
        return Fail(QStringLiteral("cannot read the catalogue: %1").arg(m_db.LastError()));
    for (; !rs.IsEOF(); rs.MoveNext()) {
        const ModelFileRecord model = ModelFileRecord::Read(rs);
        models[ProductKey(model.className, model.productName)].append(model);
    }
    for (auto& list : models)
        std::stable_sort(list.begin(), list.end(), [](const auto& a, const auto& b) {
            return a.number.toLongLong() < b.number.toLongLong();
        });

    if (!rs.OpenRecordset(Sql::SelectCategoriesByNumber))
        return Fail(QStringLiteral("cannot read the catalogue: %1").arg(m_db.LastError()));
    QJsonArray categories;
    QJsonArray keys, names, cats, positions, thumbs;
    int c = 0;
    for (; !rs.IsEOF(); rs.MoveNext(), ++c) {
        const CategoryRecord category = CategoryRecord::Read(rs);
        if (!productRs.OpenRecordset(Sql::SelectProductsOfClassByNumber, {category.className}))
            return Fail(QStringLiteral("cannot read the catalogue: %1").arg(m_db.LastError()));
        QJsonArray grid, details;
        int p = 0;
        for (; !productRs.IsEOF(); productRs.MoveNext(), ++p) {
            const ProductRecord product = ProductRecord::Read(productRs);
            const int thumb = WriteThumb(CopyRelative(product.dpath), c, p);
            if (thumb < 0) return false;
            grid.append(QJsonArray{product.productName, thumb});

            QJsonArray documents;
            const QString columns[3] = {product.pIntroduce, product.pAddProcess,
                                        product.pTecReference};
            for (const QString& column : columns)
                documents.append(column.isEmpty() ? QJsonValue() : DocumentPictures(column));
            QJsonArray files;
            for (const ModelFileRecord& model :
                 models.value(ProductKey(category.className, product.productName))) {
                const QString folder = CopyRelative(model.dpath);
                // The name the copy gives the file, as the viewer looks it up.
                const QString relative =
                    folder.isEmpty()
                        ? QString()
                        : folder + QLatin1Char('/') + FileCopier::SafeFileName(model.modelFile);
                const QFileInfo info(QDir(m_copy).filePath(relative));
                const bool present = !relative.isEmpty() && info.isFile();
                files.append(QJsonArray{model.modelFile, present ? info.size() : -1, model.note,
                                        present ? relative : QString()});
            }
            details.append(QJsonArray{documents, files});

            keys.append(product.key);
            names.append(product.productName);
            cats.append(c);
            positions.append(p);
            thumbs.append(thumb);
        }
        if (!m_error.isEmpty()) return false;
        const QString id = QString::number(c);
        QueueWrite(QStringLiteral("web/data/c%1.js").arg(id),
                   DataScript(QStringLiteral("c") + id, Json({{"p", grid}})));
        QueueWrite(QStringLiteral("web/data/d%1.js").arg(id),
                   DataScript(QStringLiteral("d") + id, Json({{"p", details}})));
        categories.append(QJsonArray{category.className, p});
    }

    QJsonObject company;
    if (rs.OpenRecordset(Sql::SelectCompany) && !rs.IsEOF()) {
        const CompanyRecord row = CompanyRecord::Read(rs);
        const QString picture = CopyRelative(row.dpath);
        QSize size;
        const QString url = QFileInfo(QDir(m_copy).filePath(picture)).isFile() && !picture.isEmpty()
                                ? WebPicture(picture, &size)
                                : QString();
        company = {{"picture", url},
                   {"text", row.company},
                   {"web", row.web},
                   {"href", m_rules.webLink ? m_rules.webLink(row.web) : QString()}};
    }
    company.insert("name", m_rules.companyName);

    const QJsonObject catalogue{
        {"categories", categories},
        {"company", company},
        {"chat", QJsonObject{{"hint", m_rules.chatHint}, {"href", m_rules.chatAddress}}}};
    QueueWrite(QStringLiteral("web/data/catalogue.js"),
               DataScript(QStringLiteral("catalogue"), Json(catalogue)));
    QueueWrite(
        QStringLiteral("web/data/search.js"),
        DataScript(
            QStringLiteral("search"),
            Json({{"k", keys}, {"n", names}, {"g", cats}, {"i", positions}, {"t", thumbs}})));
    if (!CopyResource(QStringLiteral(":/web/index.html"), QStringLiteral("index.html")) ||
        !CopyResource(QStringLiteral(":/web/app.js"), QStringLiteral("web/app.js")) ||
        !CopyResource(QStringLiteral(":/web/style.css"), QStringLiteral("web/style.css")))
        return false;

    // The files still being written (thumbnails, converted documents, data).
    const int total = m_queued;
    if (m_progress && total > 0) m_progress(m_done, total);
    while (!m_pool.waitForDone(100))
        if (m_progress) m_progress(m_done, total);
    if (m_progress && total > 0) m_progress(total, total);
    return m_error.isEmpty();
}
