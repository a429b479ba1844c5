#include "tools/install/DemoInstaller.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>
#include <QtConcurrent/QtConcurrentMap>
#include <cstdio>
#include <functional>

#include "app/CCatalogueApp.h"
#include "app/CIniFile.h"
#include "app/CSplashDlg.h"
#include "app/UserInstallation.h"
#include "publish/PublishPlan.h"
#include "publish/RuntimeBundle.h"
#include "store/CatalogueDb.h"
#include "store/CatalogueSchema.h"
#include "store/Statements.h"
#include "tools/install/DataSheetPainter.h"
#include "tools/install/DemoStyle.h"
#include "tools/install/GifWriter.h"
#include "tools/install/PartPainter.h"
#include "tools/install/SkinPainter.h"

namespace {

const QString kModelFolder = QStringLiteral("3D模型");
const QString kCompanyFolder = QStringLiteral("企业");
const QString kCompanyPicture = QStringLiteral("公司外景.jpg");

bool Fail(QString* error, const QString& why) {
    if (error) *error = why;
    return false;
}

QString Join(const QString& a, const QString& b) {
    return QDir(a).filePath(b);
}

// One file the demo needs, drawn on demand so the drawing can run on worker threads.
struct PictureJob {
    QString file;
    PictureFormat format;
    std::function<QImage()> draw;
    QString error;
};

struct TextFile {
    QString file;
    QByteArray bytes;
};

// Where a product's files lie, relative to a root: demo-media for the authoring copy, where
// every file sits in the product's folder; the folder itself for a published copy, whose layout
// the publish plan gives.
struct ProductFiles {
    QString picture;
    QString documents[3];           // [0] may be a folder
    QStringList introductionPages;  // when [0] is a folder
    QString modelFolder;
    QStringList models;
};

ProductFiles FilesOf(const DemoProduct& p) {
    ProductFiles f;
    const QString category = DemoCatalogue::Categories()[p.category].name;
    const QString productDir = category + QLatin1Char('/') + p.StoredName();
    f.picture = productDir + QLatin1Char('/') + p.typeCode + QLatin1Char('.') +
                DemoCatalogue::Suffix(p.PictureFileFormat());
    const QString names[3] = {QStringLiteral("产品介绍"), QStringLiteral("追加加工"),
                              QStringLiteral("技术参考")};
    for (int d = 0; d < 3; ++d)
        f.documents[d] = productDir + QLatin1Char('/') + names[d] + QLatin1Char('.') +
                         DemoCatalogue::Suffix(p.DocumentFormat(d));
    if (p.IntroductionIsFolder()) {
        f.documents[0] = productDir + QLatin1Char('/') + names[0];
        f.introductionPages = {f.documents[0] + QStringLiteral("/第1页.jpg"),
                               f.documents[0] + QStringLiteral("/第2页.png")};
    }
    f.modelFolder = productDir + QLatin1Char('/') + kModelFolder;
    for (const QString& m : p.ModelFiles()) f.models << f.modelFolder + QLatin1Char('/') + m;
    return f;
}

// The published copy's files of a product: where the plan puts the files its rows name.
ProductFiles PublishedFiles(PublishPlan& plan, const ProductRecord& row,
                            const QList<ModelFileRecord>& models, const ProductFiles& source) {
    const PublishPlan::ProductPaths paths = plan.AddProduct(row);
    ProductFiles f;
    f.picture = paths.picture;
    for (int d = 0; d < 3; ++d) f.documents[d] = paths.documents[d];
    // The pages of a folder document keep their names inside the copied folder.
    for (const QString& page : source.introductionPages)
        f.introductionPages << f.documents[0] + page.mid(source.documents[0].size());
    f.modelFolder = paths.modelFolder;
    for (const ModelFileRecord& m : models) f.models << plan.AddModel(m).file;
    return f;
}

// ---- model files -------------------------------------------------------------------------
// Small text files with the headers the CAD formats use; enough for a visitor's download.

QByteArray StepFile(const DemoProduct& p, const QString& file) {
    const int s = p.size;
    QString t;
    t += QStringLiteral("ISO-10303-21;\nHEADER;\n");
    t +=
        QStringLiteral("FILE_DESCRIPTION(('Harbelt catalogue model %1'),'2;1');\n").arg(p.typeCode);
    t += QStringLiteral(
             "FILE_NAME('%1','2023-06-01T09:00:00',('Harbelt'),('Harbelt Precision "
             "Motion'),'Vistrel demo','Vistrel demo','');\n")
             .arg(file);
    t += QStringLiteral(
        "FILE_SCHEMA(('AUTOMOTIVE_DESIGN { 1 0 10303 214 1 1 1 1 }'));\nENDSEC;\nDATA;\n");
    t += QStringLiteral("#1=APPLICATION_CONTEXT('automotive design');\n");
    t += QStringLiteral(
        "#2=APPLICATION_PROTOCOL_DEFINITION('international standard',"
        "'automotive_design',2000,#1);\n");
    t += QStringLiteral("#3=PRODUCT_CONTEXT('',#1,'mechanical');\n");
    t += QStringLiteral("#4=PRODUCT('%1','%1','',(#3));\n").arg(p.typeCode);
    t += QStringLiteral("#5=PRODUCT_DEFINITION_FORMATION('','',#4);\n");
    t += QStringLiteral("#6=PRODUCT_DEFINITION_CONTEXT('part definition',#1,'design');\n");
    t += QStringLiteral("#7=PRODUCT_DEFINITION('design','',#5,#6);\n");
    t += QStringLiteral("#8=CARTESIAN_POINT('',(0.,0.,0.));\n");
    t += QStringLiteral("#9=DIRECTION('',(0.,0.,1.));\n#10=DIRECTION('',(1.,0.,0.));\n");
    t += QStringLiteral("#11=AXIS2_PLACEMENT_3D('',#8,#9,#10);\n");
    int id = 12;
    for (int i = 0; i < 8; ++i) {
        const double x = (i & 1) ? s * 3.0 : 0, y = (i & 2) ? s * 2.0 : 0,
                     z = (i & 4) ? s * 1.5 : 0;
        t += QStringLiteral("#%1=CARTESIAN_POINT('',(%2,%3,%4));\n")
                 .arg(id++)
                 .arg(x, 0, 'f', 3)
                 .arg(y, 0, 'f', 3)
                 .arg(z, 0, 'f', 3);
    }
    for (int i = 0; i < 8; ++i)
        t += QStringLiteral("#%1=VERTEX_POINT('',#%2);\n").arg(id++).arg(12 + i);
    t += QStringLiteral("#%1=SHAPE_REPRESENTATION('%2',(#11),#%3);\n")
             .arg(id)
             .arg(p.typeCode)
             .arg(id + 1);
    ++id;
    t += QStringLiteral(
             "#%1=(GEOMETRIC_REPRESENTATION_CONTEXT(3)GLOBAL_UNIT_ASSIGNED_CONTEXT(("
             "#%2))REPRESENTATION_CONTEXT('',''));\n")
             .arg(id)
             .arg(id + 1);
    ++id;
    t += QStringLiteral("#%1=(LENGTH_UNIT()NAMED_UNIT(*)SI_UNIT(.MILLI.,.METRE.));\n").arg(id);
    t += QStringLiteral("ENDSEC;\nEND-ISO-10303-21;\n");
    return t.toUtf8();
}

QString IgesLine(const QString& text, QChar section, int seq) {
    return text.leftJustified(72, QLatin1Char(' '), true) + section +
           QStringLiteral("%1").arg(seq, 7, 10, QLatin1Char(' ')) + QLatin1Char('\n');
}

QByteArray IgesFile(const DemoProduct& p, const QString& file) {
    QString t;
    t += IgesLine(QStringLiteral("Harbelt catalogue model %1, IGES 5.3").arg(p.typeCode),
                  QLatin1Char('S'), 1);
    const QString global =
        QStringLiteral(
            "1H,,1H;,%1H%2,%3H%4,12HVistrel demo,3H1.0,32,38,6,308,15,%1H%2,1.,2,2HMM,"
            "1,0.01,15H20230601.090000,0.001,%5.,6HHarbelt,7HHarbelt,11,0,"
            "15H20230601.090000;")
            .arg(p.typeCode.size())
            .arg(p.typeCode)
            .arg(file.size())
            .arg(file)
            .arg(p.size * 4);
    int g = 0;
    for (int i = 0; i < global.size(); i += 72)
        t += IgesLine(global.mid(i, 72), QLatin1Char('G'), ++g);
    // Twelve lines: the edges of the part's bounding box.
    const double X = p.size * 3.0, Y = p.size * 2.0, Z = p.size * 1.5;
    const double c[8][3] = {{0, 0, 0}, {X, 0, 0}, {X, Y, 0}, {0, Y, 0},
                            {0, 0, Z}, {X, 0, Z}, {X, Y, Z}, {0, Y, Z}};
    const int edges[12][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6},
                              {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};
    QStringList params;
    for (const auto& e : edges)
        params << QStringLiteral("110,%1,%2,%3,%4,%5,%6;")
                      .arg(c[e[0]][0], 0, 'f', 3)
                      .arg(c[e[0]][1], 0, 'f', 3)
                      .arg(c[e[0]][2], 0, 'f', 3)
                      .arg(c[e[1]][0], 0, 'f', 3)
                      .arg(c[e[1]][1], 0, 'f', 3)
                      .arg(c[e[1]][2], 0, 'f', 3);
    int d = 0;
    for (int i = 0; i < params.size(); ++i) {
        const QString f8 = QStringLiteral("%1").arg(110, 8) + QStringLiteral("%1").arg(i + 1, 8) +
                           QStringLiteral("%1").arg(0, 8) + QStringLiteral("%1").arg(1, 8) +
                           QStringLiteral("%1").arg(0, 8) + QStringLiteral("%1").arg(0, 8) +
                           QStringLiteral("%1").arg(0, 8) + QStringLiteral("%1").arg(0, 8) +
                           QStringLiteral("00000000");
        t += IgesLine(f8, QLatin1Char('D'), ++d);
        const QString s8 = QStringLiteral("%1").arg(110, 8) + QStringLiteral("%1").arg(0, 8) +
                           QStringLiteral("%1").arg(0, 8) + QStringLiteral("%1").arg(1, 8) +
                           QStringLiteral("%1").arg(0, 8) + QString(16, QLatin1Char(' ')) +
                           QStringLiteral("%1").arg(QStringLiteral("EDGE"), 8) +
                           QStringLiteral("%1").arg(i + 1, 8);
        t += IgesLine(s8, QLatin1Char('D'), ++d);
    }
    int pl = 0;
    for (int i = 0; i < params.size(); ++i)
        t += IgesLine(
            params[i].leftJustified(64, QLatin1Char(' ')) + QStringLiteral("%1").arg(2 * i + 1, 8),
            QLatin1Char('P'), ++pl);
    t += IgesLine(QStringLiteral("S%1G%2D%3P%4")
                      .arg(1, 7, 10, QLatin1Char('0'))
                      .arg(g, 7, 10, QLatin1Char('0'))
                      .arg(d, 7, 10, QLatin1Char('0'))
                      .arg(pl, 7, 10, QLatin1Char('0')),
                  QLatin1Char('T'), 1);
    return t.toLatin1();
}

QByteArray ParasolidFile(const DemoProduct& p, const QString& file) {
    QString t;
    t += QStringLiteral(
        "**ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz**************************\n");
    t += QStringLiteral(
        "**PARASOLID !\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~0123456789**************************\n");
    t += QStringLiteral(
             "**PART1;MC=x86_64;MC_MODEL=x86_64;MC_ID=demo;OS=Linux;OS_RELEASE=6;FRU=Vistrel "
             "demo;APPL=Vistrel;SITE=Harbelt;USER=catalogue;FORMAT=text;GUISE=transmit;"
             "KEY=%1;FILE=%2;DATE=1-jun-2023;\n")
             .arg(p.typeCode, file);
    t += QStringLiteral("**PART2;SCH=SCH_3100142_31000;USFLD_SIZE=0;\n**PART3;\n");
    t += QStringLiteral(
        "**END_OF_HEADER*****************************************************************\n");
    t += QStringLiteral(
        "T51 : TRANSMIT FILE created by modeller version 3100142 SCH_3100142_310006 13006\n");
    for (int i = 0; i < 24; ++i)
        t += QStringLiteral("%1 %2 %3 %4 %5 0 0 0 %6 %7 %8 ?\n")
                 .arg(30 + i % 7)
                 .arg(i + 1)
                 .arg((i * 7) % 24 + 1)
                 .arg((i * 5) % 24 + 1)
                 .arg(i % 3 + 1)
                 .arg(p.size * (i % 4) * 0.001, 0, 'f', 4)
                 .arg(p.size * (i % 3) * 0.001, 0, 'f', 4)
                 .arg(p.size * (i % 2) * 0.001, 0, 'f', 4);
    t += QStringLiteral("1 0 \n");
    return t.toLatin1();
}

QByteArray ModelFile(const DemoProduct& p, const QString& file) {
    if (file.endsWith(QLatin1String(".igs"))) return IgesFile(p, file);
    if (file.endsWith(QLatin1String(".x_t"))) return ParasolidFile(p, file);
    return StepFile(p, file);
}

// ---- writing -----------------------------------------------------------------------------

bool WriteBytes(const QString& file, const QByteArray& bytes, QString* error) {
    QSaveFile f(file);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit())
        return Fail(error, QStringLiteral("cannot write %1: %2").arg(file, f.errorString()));
    return true;
}

// Empties a media folder written by an earlier run; refuses one this tool did not write.
bool PrepareMediaFolder(const QString& root, QString* error) {
    QDir dir(root);
    if (dir.exists()) {
        const bool ours = QFileInfo::exists(dir.filePath(DemoInstaller::MarkerName()));
        const bool empty =
            dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty();
        if (!ours && !empty)
            return Fail(error, QStringLiteral("%1 exists and was not written by vistrel-install; "
                                              "not touching it")
                                   .arg(root));
        if (!dir.removeRecursively())
            return Fail(error, QStringLiteral("cannot empty %1").arg(root));
    }
    if (!QDir().mkpath(root)) return Fail(error, QStringLiteral("cannot create %1").arg(root));
    return WriteBytes(dir.filePath(DemoInstaller::MarkerName()),
                      QByteArrayLiteral("Written by vistrel-install; rewritten on every run.\n"),
                      error);
}

bool RunPictureJobs(QList<PictureJob>& jobs, QString* error) {
    for (const PictureJob& job : jobs)
        if (!QDir().mkpath(QFileInfo(job.file).absolutePath()))
            return Fail(error, QStringLiteral("cannot create the folder of %1").arg(job.file));
    // Warm the font lookup on this thread before the workers draw text.
    (void)DemoStyle::Font(12);
    (void)DemoStyle::LatinFont(12);
    auto run = [](PictureJob& job) {
        DemoInstaller::SavePicture(job.draw(), job.file, job.format, &job.error);
    };
    // Qt 6 draws text on QImage from any thread; each picture is independent of the others.
    QtConcurrent::blockingMap(jobs, run);
    for (const PictureJob& job : jobs)
        if (!job.error.isEmpty()) return Fail(error, job.error);
    return true;
}

bool WriteConfig(const QString& dataFolder, bool published, QString* error) {
    const QString path = Join(dataFolder, QStringLiteral("config.ini"));
    QFile::remove(path);
    CIniFile ini(path);
    const QString section = QStringLiteral("SysInfo");
    const bool ok =
        ini.WriteString(section, QStringLiteral("发布状态"),
                        published ? QStringLiteral("1") : QStringLiteral("0")) &&
        ini.WriteString(section, QStringLiteral("企业名称"), DemoCatalogue::CompanyShortName()) &&
        ini.WriteString(section, QStringLiteral("企业QQ"), DemoCatalogue::CompanyQQ()) &&
        ini.WriteString(section, QStringLiteral("聊天服务器"), DemoCatalogue::ChatHost());
    return ok || Fail(error, QStringLiteral("cannot write %1").arg(path));
}

// The catalogue is built beside the old one and swapped in whole, so a failed run never
// leaves half a catalogue behind and a stale journal can never be replayed into the new one.
bool WriteCatalogue(const QString& dataFolder,
                    const QList<QPair<const char*, QVariantList>>& statements, QString* error) {
    const QString file = Join(dataFolder, DemoInstaller::CatalogueFileName());
    const QString fresh = file + QStringLiteral(".new");
    for (const QString& leftover : {fresh, fresh + QStringLiteral("-journal")})
        QFile::remove(leftover);
    if (!CatalogueSchema::CreateEmpty(fresh, error)) return false;
    {
        CatalogueDb db;
        QString why;
        db.SetFailureHandler([&why](const QString& message) { why = message; });
        if (!db.Open(fresh, &why) || !db.ExecuteAll(statements)) {
            db.Close();
            QFile::remove(fresh);
            return Fail(error, QStringLiteral("cannot fill the catalogue: %1").arg(why));
        }
        db.Close();
    }
    for (const QString& old : {file + QStringLiteral("-journal"), file + QStringLiteral("-wal"),
                               file + QStringLiteral("-shm")})
        if (QFileInfo::exists(old) && !QFile::remove(old)) {
            QFile::remove(fresh);
            return Fail(error, QStringLiteral("cannot remove %1").arg(old));
        }
    // rename(2) replaces the old catalogue in one step: there is always a whole one.
    if (::rename(QFile::encodeName(fresh).constData(), QFile::encodeName(file).constData()) != 0) {
        QFile::remove(fresh);
        return Fail(error, QStringLiteral("cannot create %1").arg(file));
    }
    return true;
}

enum class Target { Authoring, Published };

bool WriteInstallation(const QString& folderIn, Target target, DemoInstaller::Variant variant,
                       QString* error) {
    const QString folder = QDir::cleanPath(QFileInfo(folderIn).absoluteFilePath());
    const QString data = DemoInstaller::DataFolder(folder);
    if (!QDir().mkpath(data)) return Fail(error, QStringLiteral("cannot create %1").arg(data));
    const bool published = target == Target::Published;
    // Authoring paths are full paths under demo-media; a published copy's files lie where the
    // publish plan puts them (its paths start with pic/) and its source columns keep the
    // authoring paths, as publishing leaves them.
    const QString sourceRoot = DemoInstaller::MediaFolder(folder);
    const QString fileRoot = published ? folder : sourceRoot;
    if (!PrepareMediaFolder(published ? DemoInstaller::PicFolder(folder) : sourceRoot, error))
        return false;
    PublishPlan plan;

    const QList<DemoProduct> products =
        DemoCatalogue::Products(variant == DemoInstaller::Variant::Small);
    QList<PictureJob> jobs;
    QList<TextFile> texts;
    QStringList folders;
    QList<QPair<const char*, QVariantList>> sql;

    const auto& categories = DemoCatalogue::Categories();
    for (int c = 0; c < categories.size(); ++c) {
        sql.append({Sql::InsertCategory, {categories[c].name}});
        sql.append({Sql::SetCategoryNumber, {c + 1, categories[c].name}});
        plan.AddCategory({categories[c].name});
    }
    using Sheet = DataSheetPainter::Sheet;
    for (const DemoProduct& p : products) {
        const ProductFiles source = FilesOf(p);
        const QString cls = categories[p.category].name;
        const QString stored = p.StoredName();
        auto at = [&](const QString& root, const QString& rel) { return Join(root, rel); };
        ProductRecord row;
        row.className = cls;
        row.productName = stored;
        row.key = p.Key();
        row.opath = at(sourceRoot, source.picture);
        row.oIntroduce = at(sourceRoot, source.documents[0]);
        row.oAddProcess = at(sourceRoot, source.documents[1]);
        row.oTecReference = at(sourceRoot, source.documents[2]);
        const QStringList modelNames = p.ModelFiles();
        const QStringList notes = p.ModelNotes();
        QList<ModelFileRecord> models;
        for (int m = 0; m < modelNames.size(); ++m)
            models.append({cls, stored, modelNames[m], QString::number(m + 1),
                           at(sourceRoot, source.models[m]), QString(), notes[m]});
        const ProductFiles f = published ? PublishedFiles(plan, row, models, source) : source;
        jobs.append({at(fileRoot, f.picture),
                     p.PictureFileFormat(),
                     [p] { return PartPainter::ProductPicture(p); },
                     {}});
        if (p.IntroductionIsFolder()) {
            jobs.append({at(fileRoot, f.introductionPages[0]),
                         PictureFormat::Jpeg,
                         [p] {
                             return DataSheetPainter::Paint(p, Sheet::Introduction,
                                                            DataSheetPainter::PortraitSize());
                         },
                         {}});
            jobs.append({at(fileRoot, f.introductionPages[1]),
                         PictureFormat::Png,
                         [p] {
                             return DataSheetPainter::Paint(p, Sheet::IntroductionMore,
                                                            DataSheetPainter::PortraitSize());
                         },
                         {}});
        } else {
            jobs.append({at(fileRoot, f.documents[0]),
                         p.DocumentFormat(0),
                         [p] {
                             return DataSheetPainter::Paint(p, Sheet::Introduction,
                                                            DataSheetPainter::PortraitSize());
                         },
                         {}});
        }
        jobs.append({at(fileRoot, f.documents[1]),
                     p.DocumentFormat(1),
                     [p] {
                         return DataSheetPainter::Paint(p, Sheet::Processing,
                                                        DataSheetPainter::PortraitSize());
                     },
                     {}});
        const QSize refSize =
            p.WideReference() ? DataSheetPainter::WideSize() : DataSheetPainter::PortraitSize();
        jobs.append({at(fileRoot, f.documents[2]),
                     p.DocumentFormat(2),
                     [p, refSize] { return DataSheetPainter::Paint(p, Sheet::Reference, refSize); },
                     {}});
        folders << at(fileRoot, f.modelFolder);
        for (int m = 0; m < f.models.size(); ++m)
            texts.append({at(fileRoot, f.models[m]), ModelFile(p, modelNames[m])});

        sql.append({Sql::InsertProduct,
                    {p.indexInCategory + 1, cls, stored, row.key, row.opath, row.oIntroduce,
                     row.oAddProcess, row.oTecReference}});
        if (published) {
            sql.append({Sql::SetProductDpath, {f.picture, cls, stored}});
            sql.append({Sql::SetProductPIntroduce, {f.documents[0], cls, stored}});
            sql.append({Sql::SetProductPAddProcess, {f.documents[1], cls, stored}});
            sql.append({Sql::SetProductPTecReference, {f.documents[2], cls, stored}});
        }
        for (int m = 0; m < models.size(); ++m) {
            sql.append({Sql::InsertModel, {cls, stored, modelNames[m], m + 1, models[m].opath}});
            sql.append({Sql::SetModelNote, {models[m].note, cls, stored, modelNames[m]}});
        }
        if (published && !modelNames.isEmpty())
            sql.append({Sql::SetModelsDpath, {f.modelFolder, cls, stored}});
    }
    const QString companyRel = kCompanyFolder + QLatin1Char('/') + kCompanyPicture;
    CompanyRecord company;
    company.className = kCompanyFolder;
    company.opath = Join(sourceRoot, companyRel);
    const QString companyFile = published ? plan.AddCompany(company).dpath : companyRel;
    jobs.append({Join(fileRoot, companyFile),
                 PictureFormat::Jpeg,
                 [] { return PartPainter::CompanyPicture(); },
                 {}});
    sql.append({Sql::UpdateCompany,
                {company.opath, DemoCatalogue::CompanyInformation(), DemoCatalogue::CompanyWeb()}});
    if (published) sql.append({Sql::SetCompanyDpath, {companyFile, kCompanyFolder}});
    // Every folder of the published layout, also those no file lands in.
    if (published)
        for (const QString& dir : plan.Folders()) folders << Join(folder, dir);

    if (!RunPictureJobs(jobs, error)) return false;
    for (const QString& dir : folders)
        if (!QDir().mkpath(dir)) return Fail(error, QStringLiteral("cannot create %1").arg(dir));
    for (const TextFile& t : texts)
        if (!WriteBytes(t.file, t.bytes, error)) return false;
    return DemoInstaller::WriteSkin(data, error) && WriteConfig(data, published, error) &&
           WriteCatalogue(data, sql, error);
}

}  // namespace

QString DemoInstaller::DataFolder(const QString& folder) {
    return Join(folder, QStringLiteral("sysfile"));
}
QString DemoInstaller::MediaFolder(const QString& folder) {
    return Join(folder, QStringLiteral("demo-media"));
}
QString DemoInstaller::PicFolder(const QString& folder) {
    return Join(folder, QStringLiteral("pic"));
}

bool DemoInstaller::WriteEmpty(const QString& file, QString* error) {
    return CatalogueSchema::CreateEmpty(file, error);
}

bool DemoInstaller::WriteNew(const QString& folder, const QString& executable, QString* error) {
    const QString data = DataFolder(folder);
    const QString catalogue = Join(data, CatalogueFileName());
    if (QFileInfo::exists(catalogue))
        return Fail(error, QStringLiteral("%1 exists already").arg(catalogue));
    if (!QFileInfo(executable).isFile())
        return Fail(error, QStringLiteral("program %1 not found").arg(executable));
    if (!WriteSkin(data, error, false) || !UserInstallation::Prepare(folder, data, error))
        return false;
    return RuntimeBundle::CopyStripped(executable, Join(folder, QStringLiteral("vistrel")), error);
}

bool DemoInstaller::WriteDemo(const QString& folder, QString* error, Variant variant) {
    return WriteInstallation(folder, Target::Authoring, variant, error);
}

bool DemoInstaller::WritePublished(const QString& folder, QString* error, Variant variant) {
    return WriteInstallation(folder, Target::Published, variant, error);
}

bool DemoInstaller::WriteSkin(const QString& dataFolder, QString* error, bool demoCompany) {
    if (!QDir().mkpath(dataFolder))
        return Fail(error, QStringLiteral("cannot create %1").arg(dataFolder));
    QList<PictureJob> jobs;
    for (const SkinPainter::Bitmap& b : SkinPainter::SkinBitmaps()) {
        const QImage image = b.image;
        jobs.append(
            {Join(dataFolder, b.fileName), PictureFormat::Bmp, [image] { return image; }, {}});
    }
    // The cover window shows its picture 1:1, so the picture is made the window's size (which
    // follows the window's font, with the substitutions the program registers). It is drawn at
    // its design size and scaled as a whole: text drawn under a scaling transform does not
    // come out the same from one run to the next.
    CCatalogueApp::RegisterFontSubstitutions();
    const QSize cover = CSplashDlg::WindowSize();
    jobs.append({Join(dataFolder, QStringLiteral("splash.jpg")),
                 PictureFormat::Jpeg,
                 [cover, demoCompany] {
                     return SkinPainter::Splash({940, 600}, demoCompany)
                         .scaled(cover, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
                 },
                 {}});
    return RunPictureJobs(jobs, error);
}

bool DemoInstaller::SavePicture(const QImage& image, const QString& file, PictureFormat format,
                                QString* error) {
    if (image.isNull()) return Fail(error, QStringLiteral("nothing drawn for %1").arg(file));
    if (format == PictureFormat::Gif) {
        QSaveFile f(file);
        const QByteArray bytes = GifWriter::Encode(image);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit())
            return Fail(error, QStringLiteral("cannot write %1: %2").arg(file, f.errorString()));
        return true;
    }
    QSaveFile f(file);
    if (!f.open(QIODevice::WriteOnly))
        return Fail(error, QStringLiteral("cannot write %1: %2").arg(file, f.errorString()));
    QImageWriter writer(&f, QByteArray());
    QImage out = image.convertToFormat(QImage::Format_RGB32);
    switch (format) {
        case PictureFormat::Jpeg:
            writer.setFormat("jpeg");
            writer.setQuality(88);
            break;
        case PictureFormat::Png:
            writer.setFormat("png");
            break;
        case PictureFormat::Bmp:
            writer.setFormat("bmp");  // 24 bits per pixel for an opaque picture
            break;
        case PictureFormat::Tiff:
            writer.setFormat("tiff");
            writer.setCompression(1);  // LZW
            break;
        case PictureFormat::Gif:
            break;
    }
    if (!writer.write(out)) {
        f.cancelWriting();
        return Fail(error, QStringLiteral("cannot write %1: %2").arg(file, writer.errorString()));
    }
    if (!f.commit())
        return Fail(error, QStringLiteral("cannot write %1: %2").arg(file, f.errorString()));
    return true;
}
