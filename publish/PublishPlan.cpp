#include "publish/PublishPlan.h"

#include <QDir>

#include "publish/FileCopier.h"

namespace {
const QString kPic = QStringLiteral("pic");
const QString kModelFolder = QStringLiteral("3D模型");
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

void PublishPlan::AddCategory(const CategoryRecord& category) {
    AddFolder(Join({kPic, Component(category.className)}));
}

PublishPlan::ProductPaths PublishPlan::AddProduct(const ProductRecord& product) {
    ProductPaths paths;
    paths.className = product.className;
    paths.productName = product.productName;
    const QString classFolder = Join({kPic, Component(product.className)});
    paths.folder = Join({classFolder, Component(product.productName)});
    paths.modelFolder = Join({paths.folder, kModelFolder});
    AddFolder(classFolder);
    AddFolder(paths.folder);
    AddFolder(paths.modelFolder);
    // The product's picture lies in its category's folder, its documents in its own.
    if (!product.opath.isEmpty()) {
        paths.picture = Join({classFolder, Component(FileName(product.opath))});
        m_productJobs.append({product.opath, paths.picture});
    }
    const QString sources[3] = {product.oIntroduce, product.oAddProcess, product.oTecReference};
    for (int d = 0; d < 3; ++d) {
        if (sources[d].isEmpty()) continue;
        paths.documents[d] = Join({paths.folder, Component(FileName(sources[d]))});
        m_productJobs.append({sources[d], paths.documents[d]});
    }
    return paths;
}

PublishPlan::ModelPaths PublishPlan::AddModel(const ModelFileRecord& model) {
    ModelPaths paths;
    paths.className = model.className;
    paths.productName = model.productName;
    paths.modelFile = model.modelFile;
    paths.dpath =
        Join({kPic, Component(model.className), Component(model.productName), kModelFolder});
    // The viewer finds a model file by this name inside the folder its row stores.
    paths.file = Join({paths.dpath, FileCopier::SafeFileName(model.modelFile)});
    if (!model.opath.isEmpty()) m_modelJobs.append({model.opath, paths.file});
    return paths;
}

PublishPlan::CompanyPaths PublishPlan::AddCompany(const CompanyRecord& company) {
    CompanyPaths paths;
    paths.className = company.className;
    const QString folder = Join({kPic, Component(company.className)});
    AddFolder(folder);
    if (!company.opath.isEmpty()) paths.dpath = Join({folder, Component(FileName(company.opath))});
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
