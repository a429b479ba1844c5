#pragma once

#include <QHash>
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
// Every destination is unique: a second name that would land on a path already given out (two
// pictures of one name, categories "x/y" and "x\y") gets a numbered name such as
// "产品图 (2).jpg", compared without regard to case so that a copy on a FAT stick keeps both.
// Every component stays within what file systems allow; longer ones are shortened.
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
    // empty, ".", ".." or hidden, never holding a separator, at most kMaxComponentBytes bytes
    // in UTF-8 (a file's extension is kept when it is shortened).
    static QString Component(const QString& name);
    static constexpr int kMaxComponentBytes = 240;

private:
    static QString Join(const QStringList& parts);
    void AddFolder(const QString& folder);
    // A path for `name` inside `parent` that nothing else was given; the same source placed
    // under the same name again gets the same path.
    QString Place(const QString& parent, const QString& name, const QString& source = {});
    QString ClassFolder(const QString& className);
    // The product's folder and its model folder.
    QPair<QString, QString> ProductFolders(const QString& className, const QString& productName);

    QStringList m_folders = {QStringLiteral("sysfile"), QStringLiteral("pic")};
    QSet<QString> m_folderSet = {QStringLiteral("sysfile"), QStringLiteral("pic")};
    QList<CopyJob> m_productJobs;
    QList<CopyJob> m_modelJobs;
    CopyJob m_cover;
    CopyJob m_logo;
    QSet<QString> m_taken;                    // every path given out, case-folded
    QHash<QString, QString> m_placedSources;  // parent, name and source -> path given
    QHash<QString, QString> m_classFolders;
    QHash<QPair<QString, QString>, QPair<QString, QString>> m_productFolders;
};
