#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include "publish/CopyJob.h"
#include "store/CatalogueRecords.h"

// Where every file of a published copy lies. Catalogue rows go in; out come the folders to
// create, the relative paths to store back into the rows and the files to copy. It only works
// on the text of the paths: it neither looks at the disk nor shows anything.
//
// Everything is relative to the copy's own folder `<root>/Vistrel` and uses "/":
//   sysfile/                          the data folder (catalogue, config.ini, skin)
//   pic/<class>/<picture>             a product's picture; the company picture likewise
//   pic/<class>/<product>/<document>  the product's three documents (files or folders)
//   pic/<class>/<product>/3D模型/<model file>
class PublishPlan {
public:
    // The relative paths of one product row. An empty path stands for a source column that is
    // empty: nothing is copied for it.
    struct ProductPaths {
        QString className;
        QString productName;
        QString picture;       // Dpath
        QString documents[3];  // PIntroduce, PAddProcess, PTecReference
        QString folder;        // pic/<class>/<product>
        QString modelFolder;   // pic/<class>/<product>/3D模型: Dpath of its model rows
    };
    struct ModelPaths {
        QString className;
        QString productName;
        QString modelFile;
        QString dpath;  // the product's model folder
        QString file;   // the model file inside it
    };
    struct CompanyPaths {
        QString className;
        QString dpath;  // the company picture; empty without one
    };

    // The published copy's folder under the chosen root.
    static QString CopyFolder(const QString& root);

    void AddCategory(const CategoryRecord& category);
    ProductPaths AddProduct(const ProductRecord& product);
    ModelPaths AddModel(const ModelFileRecord& model);
    CompanyPaths AddCompany(const CompanyRecord& company);
    // The chosen start-up cover and LOGO pictures replace the data folder's own.
    void SetCover(const QString& source);
    void SetLogo(const QString& source);

    // Folders to create, parents first: sysfile, pic, and one for every category, product,
    // product model folder and company row.
    const QStringList& Folders() const { return m_folders; }
    // Copies with destinations relative to the copy's folder, in the order they run: each
    // product's picture and documents, then every model file, then cover and LOGO. A job is
    // listed for every source named; whether it exists is for the caller to see.
    QList<CopyJob> Jobs() const;

    // The name of the file or folder a source path names: its last component.
    static QString FileName(const QString& source);
    // A catalogue name (category, product, file) as one component of a published path: never
    // empty, ".", ".." or hidden, never holding a separator.
    static QString Component(const QString& name);

private:
    static QString Join(const QStringList& parts);
    void AddFolder(const QString& folder);

    QStringList m_folders = {QStringLiteral("sysfile"), QStringLiteral("pic")};
    QSet<QString> m_folderSet = {QStringLiteral("sysfile"), QStringLiteral("pic")};
    QList<CopyJob> m_productJobs;
    QList<CopyJob> m_modelJobs;
    CopyJob m_cover;
    CopyJob m_logo;
};
