#include "publish/PublishOperation.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QtConcurrent>
#include <algorithm>
#include <cstdio>

#include "app/CIniFile.h"
#include "app/Prompter.h"
#include "controls/ShippedThumbnails.h"
#include "publish/FileCopier.h"
#include "publish/FolderWork.h"
#include "publish/PublishPlan.h"
#include "publish/RuntimeBundle.h"
#include "publish/WebCatalogueWriter.h"
#include "store/CatalogueDb.h"
#include "store/CatalogueRecordset.h"
#include "store/Statements.h"

namespace {

const QString kSysInfo = QStringLiteral("SysInfo");
const QString kPublishState = QStringLiteral("发布状态");

// The path with links resolved as far as it exists; a root that is still to be made keeps
// the rest of its path as given.
QString Resolved(const QString& path) {
    QString existing = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QStringList rest;
    while (!QFileInfo::exists(existing) && existing != QLatin1String("/")) {
        rest.prepend(QFileInfo(existing).fileName());
        existing = QFileInfo(existing).absolutePath();
    }
    QString resolved = QFileInfo(existing).canonicalFilePath();
    if (resolved.isEmpty()) resolved = existing;
    for (const QString& part : rest) resolved = QDir(resolved).filePath(part);
    return QDir::cleanPath(resolved);
}

// `path` is `folder` or lies below it (both resolved).
bool Within(const QString& path, const QString& folder) {
    return path == folder ||
           path.startsWith(folder == QLatin1String("/") ? folder : folder + QLatin1Char('/'));
}

// A source column names something on disk when it is a regular file, or for a document also
// a folder; a FIFO, device or socket counts as missing.
bool Names(const QString& source, bool folderToo) {
    struct stat st {};
    return !source.isEmpty() && ::stat(QFile::encodeName(source).constData(), &st) == 0 &&
           (S_ISREG(st.st_mode) || (folderToo && S_ISDIR(st.st_mode)));
}

bool IsRegularFile(const QString& path) {
    return Names(path, false);
}

// The published value of a column: the plan's path when its source names something, otherwise
// empty, so the copy shows nothing rather than a file that is not there.
QString Published(const QString& source, const QString& path, bool folderToo = false) {
    return Names(source, folderToo) ? path : QString();
}

const QString kStagingPrefix = QStringLiteral(".vistrel-staging-");
const QString kOldPrefix = QStringLiteral(".vistrel-old-");

QString WorkName(const QString& prefix) {
    return prefix + QString::number(QRandomGenerator::global()->generate64(), 16);
}

// Removes a file, a link (never what it points at) or a folder with everything in it.
bool RemoveEntry(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) return true;
    return info.isDir() && !info.isSymLink() ? FolderWork::RemoveTree(path) : QFile::remove(path);
}

}  // namespace

PublishOperation::PublishOperation(CatalogueDb& db, const InstallPaths& paths)
    : m_db(db), m_paths(paths) {}

PublishOperation::~PublishOperation() {
    if (m_rootLock >= 0) ::close(m_rootLock);
}

bool PublishOperation::IsWorkFolderName(const QString& name) {
    for (const QString& prefix : {kStagingPrefix, kOldPrefix}) {
        if (!name.startsWith(prefix)) continue;
        const QStringView hex = QStringView(name).sliced(prefix.size());
        if (!hex.isEmpty() && hex.size() <= 16 && std::all_of(hex.begin(), hex.end(), [](QChar c) {
                return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                       (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
            }))
            return true;
    }
    return false;
}

bool PublishOperation::Stage(const QString& root) {
    const QString rootPath = Resolved(root);
    if (!QDir().mkpath(rootPath)) return Fail(QStringLiteral("cannot create %1").arg(rootPath));
    // The lock on the root folder itself keeps a second publish from taking this run's staging
    // folder for a killed run's; it goes with the process, however it ends.
    m_rootLock =
        ::open(QFile::encodeName(rootPath).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_rootLock < 0 || ::flock(m_rootLock, LOCK_EX | LOCK_NB) != 0)
        return Fail(QStringLiteral("another publish into %1 is running").arg(rootPath));
    m_final = QDir(rootPath).filePath(QStringLiteral("Vistrel"));

    // What a killed run left: its staging folder, and the earlier copy it was replacing, which
    // goes back into place where the new one never got there.
    const QDir dir(rootPath);
    const QStringList names =
        dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        if (!IsWorkFolderName(name)) continue;
        const QString path = dir.filePath(name);
        const QFileInfo finalInfo(m_final);
        if (name.startsWith(kOldPrefix) && !finalInfo.exists() && !finalInfo.isSymLink() &&
            QFileInfo(path).isDir() &&
            ::rename(QFile::encodeName(path).constData(), QFile::encodeName(m_final).constData()) ==
                0)
            continue;
        if (!RemoveEntry(path)) return Fail(QStringLiteral("cannot remove %1").arg(path));
    }

    const QFileInfo previous(m_final);
    m_previous = previous.isDir() && !previous.isSymLink() ? m_final : QString();
    m_copy = dir.filePath(WorkName(kStagingPrefix));
    if (!dir.mkdir(QFileInfo(m_copy).fileName()))
        return Fail(QStringLiteral("cannot create %1").arg(m_copy));
    return true;
}

bool PublishOperation::Replace() {
    const QByteArray staged = QFile::encodeName(m_copy);
    const QByteArray target = QFile::encodeName(m_final);
    const QFileInfo finalInfo(m_final);
    if (!finalInfo.exists() && !finalInfo.isSymLink()) {
        if (::rename(staged.constData(), target.constData()) != 0)
            return Fail(QStringLiteral("cannot move the copy to %1").arg(m_final));
        m_copy = m_final;
        return true;
    }
    // In one step where the file system can; otherwise the earlier copy steps aside first and
    // comes back should the new one not take its place.
    QString old = m_copy;
    if (::renameat2(AT_FDCWD, staged.constData(), AT_FDCWD, target.constData(), RENAME_EXCHANGE) !=
        0) {
        old = QDir(QFileInfo(m_final).absolutePath()).filePath(WorkName(kOldPrefix));
        const QByteArray aside = QFile::encodeName(old);
        if (::rename(target.constData(), aside.constData()) != 0)
            return Fail(QStringLiteral("cannot replace %1").arg(m_final));
        if (::rename(staged.constData(), target.constData()) != 0) {
            ::rename(aside.constData(), target.constData());
            return Fail(QStringLiteral("cannot replace %1").arg(m_final));
        }
    }
    m_copy = m_final;
    if (!RemoveEntry(old)) m_errors << QStringLiteral("cannot remove the earlier copy %1").arg(old);
    return true;
}

void PublishOperation::Unstage() {
    if (m_copy.isEmpty() || m_copy == m_final) return;
    if (!RemoveEntry(m_copy)) m_errors << QStringLiteral("cannot remove %1").arg(m_copy);
}

bool PublishOperation::IsRefusedRoot(const QString& root, const InstallPaths& paths) {
    const QString target = Resolved(root);
    const QString copy = Resolved(PublishPlan::CopyFolder(target));
    const QString data = Resolved(paths.dataFolder);
    if (Within(target, data)) return true;  // the data folder would be copied into itself
    if (Within(Resolved(paths.exeFolder), copy) || Within(data, copy)) return true;
    // A copy started below an authoring installation would open that installation's data.
    const CIniFile ini(QDir(target).filePath(QStringLiteral("sysfile/config.ini")));
    return ini.GetString(kSysInfo, kPublishState) == QLatin1String("0");
}

PublishOperation::Outcome PublishOperation::Run(const QString& root, const RunJobs& runJobs,
                                                const Notify& notify) {
    m_errors.clear();
    m_jobs.clear();
    m_noRuntime.clear();
    m_pictures.clear();
    m_shown.clear();
    if (root.isEmpty()) {
        notify(NoRootText());
        return Outcome::NoRoot;
    }
    if (IsRefusedRoot(root, m_paths)) {
        notify(RefusedText());
        return Outcome::Refused;
    }
    m_copy.clear();
    m_final.clear();
    m_published.clear();
    bool published = Stage(root) && Prepare();
    // While the jobs copy, they keep a core of their own.
    m_background.setMaxThreadCount(std::max(1, QThread::idealThreadCount() - 1));
    published = published && (LinkUnchangedJobs(), runJobs(m_jobs));
    if (!published && m_errors.isEmpty()) m_errors << QStringLiteral("not every file was copied");
    published = FinishRuntime() && published;
    m_background.setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
    m_conversions.setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
    if (published)
        FinishThumbnails();
    else
        m_thumbnails.Cancel();
    m_webPictures.Wait(!published);
    // A journal left beside the copy's catalogue (the disk filled while thumbnails were
    // written) would be replayed, or ignored on read-only media: such a copy is no copy.
    const QString catalogue =
        CatalogueDb::CatalogueFile(QDir(m_copy).filePath(QStringLiteral("sysfile")));
    for (const QString& side : {QStringLiteral("-journal"), QStringLiteral("-wal")})
        if (published && QFileInfo::exists(catalogue + side))
            published = Fail(QStringLiteral("the copy's catalogue was left unfinished"));
    // The web catalogue is part of the copy: a file it cannot write fails the publish. Its own
    // thumbnails are shown as thumbnails being made, so the window stays painted.
    QString webError;
    if (published && m_withWeb &&
        !WebCatalogueWriter::Write(m_copy, &webError, m_thumbnailProgress,
                                   {&m_webPictures, ConvertedFolder(), m_previous})) {
        m_errors << webError;
        published = false;
    }
    if (published && m_withWeb && !RemoveEntry(ConvertedFolder()))
        published = Fail(QStringLiteral("cannot remove %1").arg(ConvertedFolder()));
    published = published && Replace();
    if (published)
        m_published = m_final;
    else
        Unstage();
    if (m_rootLock >= 0) ::close(m_rootLock);
    m_rootLock = -1;
    if (!published)
        notify(FailureText());
    else
        notify(m_noRuntime.isEmpty() ? SuccessText()
                                     : SuccessText() + QLatin1Char('\n') + NeedsQtText());
    return published ? Outcome::Published : Outcome::Failed;
}

QString PublishOperation::FailureDetails(const QStringList& errors, int shown) {
    QStringList lines{QStringLiteral("发布系统失败，原因：")};
    for (const QString& error : errors.mid(0, shown)) lines << QStringLiteral("• ") + error;
    if (errors.size() > shown)
        lines << QStringLiteral("……另有 %1 项错误。").arg(errors.size() - shown);
    lines << QString() << QStringLiteral("根目录中已有的副本保持不变。");
    return lines.join(QLatin1Char('\n'));
}

void PublishOperation::FollowUp(Outcome outcome, IPrompter& prompter) const {
    if (outcome == Outcome::Failed) {
        prompter.MessageBox(FailureDetails(m_errors), MessageCaption(), MB_OK | MB_ICONERROR);
    } else if (outcome == Outcome::Published &&
               prompter.MessageBox(SuccessDetails(m_published), MessageCaption(),
                                   MB_YESNO | MB_ICONINFORMATION) == IDYES) {
        prompter.OpenUrl(QUrl::fromLocalFile(m_published));
    }
}

bool PublishOperation::Fail(const QString& why) {
    m_errors << why;
    return false;
}

bool PublishOperation::MakeFolder(const QString& folder) {
    if (!Within(QDir::cleanPath(folder), m_copy))
        return Fail(QStringLiteral("%1 lies outside the copy").arg(folder));
    return QDir().mkpath(folder) || Fail(QStringLiteral("cannot create %1").arg(folder));
}

bool PublishOperation::Prepare() {
    const QDir copy(m_copy);
    StartRuntime();

    // What goes where, from the catalogue's rows.
    PublishPlan plan;
    QList<QPair<ProductRecord, PublishPlan::ProductPaths>> products;
    QList<QPair<ModelFileRecord, PublishPlan::ModelPaths>> models;
    QList<QPair<CompanyRecord, PublishPlan::CompanyPaths>> companies;
    CatalogueRecordset categoryRs(&m_db), productRs(&m_db), modelRs(&m_db), companyRs(&m_db);
    const auto read = [this](CatalogueRecordset& rs, const char* sql, const QVariantList& params) {
        return rs.OpenRecordset(sql, params) ||
               Fail(QStringLiteral("cannot read the catalogue: %1").arg(m_db.LastError()));
    };
    if (!read(categoryRs, Sql::SelectCategories, {})) return false;
    for (; !categoryRs.IsEOF(); categoryRs.MoveNext()) {
        const CategoryRecord category = CategoryRecord::Read(categoryRs);
        plan.AddCategory(category);
        if (!read(productRs, Sql::SelectProductsOfClassPublish, {category.className})) return false;
        for (; !productRs.IsEOF(); productRs.MoveNext()) {
            const ProductRecord product = ProductRecord::Read(productRs);
            products.append({product, plan.AddProduct(product)});
            if (!read(modelRs, Sql::SelectModelsOfProductPublish,
                      {category.className, product.productName}))
                return false;
            for (; !modelRs.IsEOF(); modelRs.MoveNext()) {
                const ModelFileRecord model = ModelFileRecord::Read(modelRs);
                models.append({model, plan.AddModel(model)});
            }
        }
    }
    if (!read(companyRs, Sql::SelectCompany, {})) return false;
    for (; !companyRs.IsEOF(); companyRs.MoveNext()) {
        const CompanyRecord company = CompanyRecord::Read(companyRs);
        companies.append({company, plan.AddCompany(company)});
    }
    plan.SetCover(IsRegularFile(m_cover) ? m_cover : QString());
    plan.SetLogo(IsRegularFile(m_logo) ? m_logo : QString());

    // 1. The folders of the copy.
    if (!MakeFolder(m_copy)) return false;
    QStringList folders;
    for (const QString& folder : plan.Folders()) {
        folders << QDir::cleanPath(copy.filePath(folder));
        if (!Within(folders.last(), m_copy))
            return Fail(QStringLiteral("%1 lies outside the copy").arg(folders.last()));
    }
    if (const QString failed = FolderWork::MakeAll(folders); !failed.isEmpty())
        return Fail(QStringLiteral("cannot create %1").arg(failed));

    // 2. The relative paths, all or none; a republish writes only those that changed.
    QList<QPair<const char*, QVariantList>> updates;
    const auto set = [&updates](const char* sql, const QString& stored, const QString& value,
                                const QVariantList& key) {
        if (value != stored) updates.append({sql, QVariantList{value} + key});
    };
    QSet<QString> documents;  // the destinations that may be folders
    QSet<QString> keys;       // of the product pictures' thumbnails
    for (const auto& [row, paths] : products) {
        const QVariantList key = {row.className, row.productName};
        set(Sql::SetProductDpath, row.dpath, Published(row.opath, paths.picture), key);
        const QString thumbnailKey = ShippedThumbnails::Key(copy.filePath(QStringLiteral("pic")),
                                                            copy.filePath(paths.picture));
        if (IsRegularFile(row.opath) && !thumbnailKey.isEmpty() && !keys.contains(thumbnailKey)) {
            keys.insert(thumbnailKey);
            m_pictures.append({row.opath, thumbnailKey});
        }
        const char* columns[3] = {Sql::SetProductPIntroduce, Sql::SetProductPAddProcess,
                                  Sql::SetProductPTecReference};
        const QString sources[3] = {row.oIntroduce, row.oAddProcess, row.oTecReference};
        const QString stored[3] = {row.pIntroduce, row.pAddProcess, row.pTecReference};
        for (int d = 0; d < 3; ++d) {
            set(columns[d], stored[d], Published(sources[d], paths.documents[d], true), key);
            documents.insert(paths.documents[d]);
        }
    }
    for (const auto& [row, paths] : models)
        set(Sql::SetModelDpath, row.dpath, Published(row.opath, paths.dpath),
            {row.className, row.productName, row.modelFile});
    for (const auto& [row, paths] : companies)
        set(Sql::SetCompanyDpath, row.dpath, Published(row.opath, paths.dpath), {row.className});
    if (!updates.isEmpty() && !m_db.ExecuteAll(updates))
        return Fail(QStringLiteral("cannot write the relative paths: %1").arg(m_db.LastError()));

    // 3. The company picture, at once (the table holds one row).
    if (!companies.isEmpty()) {
        const auto& [company, paths] = companies.first();
        if (IsRegularFile(company.opath) && !CopyFile(company.opath, copy.filePath(paths.dpath)))
            return false;
        m_shown.append({company.opath, paths.dpath});
    }

    // 4. The jobs: every file a column names, folder documents with their content.
    for (const CopyJob& job : plan.Jobs())
        if (!Queue(job.source, copy.filePath(job.destination), documents.contains(job.destination)))
            return false;

    // From here on the pictures are worked on from the sources, beside everything that follows:
    // conversions at once, thumbnails once the catalogue they go into is in place.
    StartPictureWork(false);
    // 5.-7. The data folder, its configuration marked published, and the executable.
    if (!CopyDataFolder(copy.filePath(QStringLiteral("sysfile")))) return false;
    StartPictureWork(true);
    CIniFile config(copy.filePath(QStringLiteral("sysfile/config.ini")));
    if (!config.WriteString(kSysInfo, kPublishState, QStringLiteral("1")))
        return Fail(QStringLiteral("cannot write %1").arg(config.Path()));

    return true;
}

void PublishOperation::StartRuntime() {
    if (!m_withProgram) return;
    m_runtimePool.setMaxThreadCount(1);
    m_runtime = QtConcurrent::run(
        &m_runtimePool, [exe = m_paths.exePath, copy = m_copy, previous = m_previous] {
            // 7. The executable, and beside it the Qt runtime it loads where there is one to
            // bundle; otherwise an earlier publish's runtime goes, so the copy uses the system's Qt
            // as it says.
            RuntimeOutcome outcome;
            if (!RuntimeBundle::CopyStripped(
                    exe, QDir(copy).filePath(QStringLiteral("Vistrel")), &outcome.error,
                    previous.isEmpty() ? QString()
                                       : QDir(previous).filePath(QStringLiteral("Vistrel"))))
                return outcome;
            RuntimeBundle runtime(exe);
            if (runtime.Find(previous)) {
                runtime.WriteTo(copy, &outcome.error, previous);
                return outcome;
            }
            outcome.noRuntime = runtime.Why();
            RuntimeBundle::RemoveFrom(copy, &outcome.error);
            return outcome;
        });
}

bool PublishOperation::FinishRuntime() {
    if (!m_runtime.isValid()) return true;
    const RuntimeOutcome outcome = m_runtime.result();
    m_runtime = {};
    m_noRuntime = outcome.noRuntime;
    return outcome.error.isEmpty() || Fail(outcome.error);
}

bool PublishOperation::Queue(const QString& source, const QString& destination, bool folderToo) {
    if (!Within(QDir::cleanPath(destination), m_copy))
        return Fail(QStringLiteral("%1 lies outside the copy").arg(destination));
    const auto shown = [&](const QString& from, const QString& to) {
        if (folderToo) m_shown.append({from, QDir(m_copy).relativeFilePath(to)});
    };
    if (IsRegularFile(source)) {
        m_jobs.append({source, destination});
        shown(source, destination);
        return true;
    }
    if (!Names(source, folderToo)) return true;  // names nothing: its column was cleared
    if (!MakeFolder(destination)) return false;
    const QDir from(source);
    QDirIterator it(source, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        // A folder that holds the root must not copy the copy (or the earlier one) into itself,
        // and a link that leads out of the document's folder publishes nothing from outside it.
        const QString resolved = Resolved(path);
        if (Within(resolved, m_copy) || Within(resolved, m_final) ||
            !InstallPaths::IsInside(path, source))
            continue;
        const QString target = QDir(destination).filePath(from.relativeFilePath(path));
        if (it.fileInfo().isDir()) {
            if (!MakeFolder(target)) return false;
        } else if (IsRegularFile(path)) {
            m_jobs.append({path, target});
            shown(path, target);
        }
    }
    return true;
}

QString PublishOperation::ConvertedFolder() const {
    return QDir(m_copy).filePath(QStringLiteral(".web-pictures"));
}

void PublishOperation::StartPictureWork(bool thumbnails) {
    if (!thumbnails) {
        // The data folder is copied meanwhile: every core.
        m_background.setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
        m_conversions.setMaxThreadCount(1);
        if (m_withWeb) m_webPictures.Start(ConvertedFolder(), m_shown, m_previous);
        return;
    }
    m_thumbnails.Start(
        CatalogueDb::CatalogueFile(QDir(m_copy).filePath(QStringLiteral("sysfile"))),
        m_previous.isEmpty()
            ? QString()
            : CatalogueDb::CatalogueFile(QDir(m_previous).filePath(QStringLiteral("sysfile"))),
        m_pictures, m_withWeb ? ConvertedFolder() : QString());
}

void PublishOperation::FinishThumbnails() {
    // Thumbnails only save the viewer time: without them the copy is still whole.
    QString why;
    if (!m_thumbnails.Finish(m_thumbnailProgress, &why))
        m_errors << QStringLiteral("thumbnails not written: %1").arg(why);
    else if (const int missing = m_thumbnails.Made().missing; missing > 0)
        m_errors
            << QStringLiteral("%1 product pictures could not be read for thumbnails").arg(missing);
}

void PublishOperation::LinkUnchangedJobs() {
    // After everything else is in place, so that a job meant to replace a file (the chosen
    // cover over the data folder's) is never linked away before that file is written.
    QList<CopyJob> remaining;
    for (const CopyJob& job : std::as_const(m_jobs))
        if (!LinkFromPrevious(job.source, job.destination)) remaining.append(job);
    m_jobs = remaining;
}

bool PublishOperation::LinkFromPrevious(const QString& source, const QString& destination) {
    if (m_previous.isEmpty()) return false;
    const QString relative = QDir(m_copy).relativeFilePath(destination);
    return FileCopier::LinkUnchanged(source, QDir(m_previous).filePath(relative), destination);
}

bool PublishOperation::CopyFile(const QString& source, const QString& destination) {
    if (LinkFromPrevious(source, destination)) return true;
    FileCopier copier;
    return copier.Copy(source, destination) == FileCopier::Result::Copied ||
           Fail(copier.ErrorString());
}

bool PublishOperation::CopyDataFolder(const QString& destination) {
    // The catalogue is copied by SQLite itself, so the copy is consistent even while it is open;
    // it replaces the old one in one step, and an old journal beside it is removed first so it
    // can never be replayed into the new file.
    const QString catalogue = CatalogueDb::CatalogueFile(destination);
    const QString fresh = QDir(destination)
                              .filePath(QStringLiteral(".vistrel-%1.db")
                                            .arg(QRandomGenerator::global()->generate64(), 0, 16));
    if (!m_db.SaveCopyTo(fresh))
        return Fail(QStringLiteral("cannot copy the catalogue: %1").arg(m_db.LastError()));
    const QString sideFiles[3] = {catalogue + QStringLiteral("-journal"),
                                  catalogue + QStringLiteral("-wal"),
                                  catalogue + QStringLiteral("-shm")};
    for (const QString& side : sideFiles) QFile::remove(side);
    if (::rename(QFile::encodeName(fresh).constData(), QFile::encodeName(catalogue).constData()) !=
        0) {
        QFile::remove(fresh);
        return Fail(QStringLiteral("cannot write %1").arg(catalogue));
    }

    // Everything else as files, sub-folders included.
    const QString source = QDir::cleanPath(m_paths.dataFolder);
    const QString own = CatalogueDb::CatalogueFile(source);
    const QStringList skipped = {own, own + QStringLiteral("-journal"),
                                 own + QStringLiteral("-wal"), own + QStringLiteral("-shm")};
    const QDir from(source);
    QDirIterator it(source, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (skipped.contains(path)) continue;  // copied above
        const QString target = QDir(destination).filePath(from.relativeFilePath(path));
        if (it.fileInfo().isDir()) {
            if (!MakeFolder(target)) return false;
        } else if (IsRegularFile(path) && !CopyFile(path, target)) {
            return false;
        }
    }
    return true;
}
