#include "publish/PublishPlan.h"

#include <QDir>
#include <tuple>

#include "publish/FileCopier.h"

namespace {
const QString kPic = QStringLiteral("pic");
const QString kModelFolder = QStringLiteral("3D模型");

// The longest start of `text` that fits in `bytes` bytes of UTF-8, never splitting a character.
QString Truncated(const QString& text, int bytes) {
    QString out;
    int used = 0;
    for (int i = 0; i < text.size();) {
        const int len = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const int size = static_cast<int>(text.mid(i, len).toUtf8().size());
        if (used + size > bytes) break;
        out += text.mid(i, len);
        used += size;
        i += len;
    }
    return out;
}

// `name` with `tag` before its extension, within the byte bound: "产品图.jpg" -> "产品图 (2).jpg".
QString Tagged(const QString& name, const QString& tag) {
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    // Only a short ending counts as an extension; a dot early in a long name does not.
    const bool hasExtension = dot > 0 && name.size() - dot <= 16;
    const QString stem = hasExtension ? name.left(dot) : name;
    const QString tail = tag + (hasExtension ? name.mid(dot) : QString());
    const int room = PublishPlan::kMaxComponentBytes - static_cast<int>(tail.toUtf8().size());
    return Truncated(stem, qMax(room, 1)) + tail;
}
}  // namespace

QString PublishPlan::CopyFolder(const QString& root) {
    return QDir(root).filePath(QStringLiteral("Vistrel"));
}

QString PublishPlan::FileName(const QString& source) {
    QString path = source;
    while (path.size() > 1 && path.endsWith(QLatin1Char('/'))) path.chop(1);
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString PublishPlan::Component(const QString& name) {
    // Every name that becomes part of a published path passes through here, so none can climb
    // out of its folder or hide in it: separators and dot names are neutralised and a leading
    // dot is replaced.
    QString safe = FileCopier::SafeFileName(name);
    if (safe.startsWith(QLatin1Char('.'))) safe[0] = QLatin1Char('_');
    // A component longer than the file system takes fails every later publish.
    if (safe.toUtf8().size() > kMaxComponentBytes) safe = Tagged(safe, QString());
    return safe;
}

QString PublishPlan::Join(const QStringList& parts) {
    return parts.join(QLatin1Char('/'));
}

void PublishPlan::AddFolder(const QString& folder) {
    if (m_folderSet.contains(folder)) return;
    m_folderSet.insert(folder);
    m_folders << folder;
}

QString PublishPlan::Place(const QString& parent, const QString& name, const QString& source) {
    const QString base = Component(name);
    const QString key = parent + QLatin1Char('\n') + base + QLatin1Char('\n') + source;
    if (!source.isEmpty()) {
        const auto placed = m_placedSources.constFind(key);
        if (placed != m_placedSources.constEnd()) return *placed;
    }
    QString path = Join({parent, base});
    for (int n = 2; m_taken.contains(path.toCaseFolded()); ++n)
        path = Join({parent, Tagged(base, QStringLiteral(" (%1)").arg(n))});
    m_taken.insert(path.toCaseFolded());
    if (!source.isEmpty()) m_placedSources.insert(key, path);
    return path;
}

QString PublishPlan::ClassFolder(const QString& className) {
    auto it = m_classFolders.constFind(className);
    if (it == m_classFolders.constEnd())
        it = m_classFolders.insert(className, Place(kPic, className));
    AddFolder(*it);
    return *it;
}

QPair<QString, QString> PublishPlan::ProductFolders(const QString& className,
                                                    const QString& productName) {
    const QPair<QString, QString> key{className, productName};
    auto it = m_productFolders.constFind(key);
    if (it == m_productFolders.constEnd()) {
        const QString folder = Place(ClassFolder(className), productName);
        // Taken before any document can claim the name.
        it = m_productFolders.insert(key, {folder, Place(folder, kModelFolder)});
    }
    AddFolder(it->first);
    AddFolder(it->second);
    return *it;
}

void PublishPlan::AddCategory(const CategoryRecord& category) {
    ClassFolder(category.className);
}

PublishPlan::ProductPaths PublishPlan::AddProduct(const ProductRecord& product) {
    ProductPaths paths;
    paths.className = product.className;
    paths.productName = product.productName;
    const QString classFolder = ClassFolder(product.className);
    std::tie(paths.folder, paths.modelFolder) =
        ProductFolders(product.className, product.productName);
    // The product's picture lies in its category's folder, its documents in its own.
    if (!product.opath.isEmpty()) {
        paths.picture = Place(classFolder, FileName(product.opath), product.opath);
        m_productJobs.append({product.opath, paths.picture});
    }
    const QString sources[3] = {product.oIntroduce, product.oAddProcess, product.oTecReference};
    for (int d = 0; d < 3; ++d) {
        if (sources[d].isEmpty()) continue;
        paths.documents[d] = Place(paths.folder, FileName(sources[d]), sources[d]);
        m_productJobs.append({sources[d], paths.documents[d]});
    }
    return paths;
}

PublishPlan::ModelPaths PublishPlan::AddModel(const ModelFileRecord& model) {
    ModelPaths paths;
    paths.className = model.className;
    paths.productName = model.productName;
    paths.modelFile = model.modelFile;
    paths.dpath = ProductFolders(model.className, model.productName).second;
    // The viewer finds a model file by this name inside the folder its row stores; the names
    // are unique within one product's folder, which nothing else shares.
    paths.file = Join({paths.dpath, FileCopier::SafeFileName(model.modelFile)});
    m_taken.insert(paths.file.toCaseFolded());
    if (!model.opath.isEmpty()) m_modelJobs.append({model.opath, paths.file});
    return paths;
}

PublishPlan::CompanyPaths PublishPlan::AddCompany(const CompanyRecord& company) {
    CompanyPaths paths;
    paths.className = company.className;
    const QString folder = ClassFolder(company.className);
    if (!company.opath.isEmpty())
        paths.dpath = Place(folder, FileName(company.opath), company.opath);
    return paths;
}

void PublishPlan::SetCover(const QString& source) {
    m_cover = source.isEmpty() ? CopyJob{} : CopyJob{source, QStringLiteral("sysfile/splash.jpg")};
}

void PublishPlan::SetLogo(const QString& source) {
    m_logo = source.isEmpty() ? CopyJob{} : CopyJob{source, QStringLiteral("sysfile/top.bmp")};
}

QList<CopyJob> PublishPlan::Jobs() const {
    QList<CopyJob> jobs = m_productJobs + m_modelJobs;
    for (const CopyJob& extra : {m_cover, m_logo})
        if (!extra.source.isEmpty()) jobs.append(extra);
    return jobs;
}
