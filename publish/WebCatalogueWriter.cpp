#include "publish/WebCatalogueWriter.h"

#include <QDir>

#include "app/CIniFile.h"
#include "controls/LinkTarget.h"
#include "store/CatalogueDb.h"
#include "viewer/CompanyContact.h"
#include "viewer/DocPictures.h"

WebCatalogue::Rules WebCatalogueWriter::ViewerRules(const QString& copyFolder) {
    const QDir copy(copyFolder);
    const CompanyContact contact =
        CompanyContact::FromConfig(CIniFile(copy.filePath(QStringLiteral("sysfile/config.ini"))));
    const QString picFolder = copy.filePath(QStringLiteral("pic"));
    WebCatalogue::Rules rules;
    rules.companyName = contact.companyName;
    rules.chatHint = contact.ChatHint();
    rules.chatAddress = contact.ChatAddress();
    rules.webLink = [](const QString& web) {
        const LinkTarget::Result target = LinkTarget::Resolve(CompanyContact::WebLinkTarget(web));
        return target.ok ? target.url.toString(QUrl::FullyEncoded) : QString();
    };
    rules.folderPictures = [picFolder](const QString& folder) {
        return DocPictures::Files(folder, picFolder);
    };
    return rules;
}

bool WebCatalogueWriter::Write(const QString& copyFolder, QString* error,
                               const WebCatalogue::Progress& progress, const Made& made) {
    CatalogueDb db;
    QString why;
    if (!db.Open(CatalogueDb::CatalogueFile(QDir(copyFolder).filePath(QStringLiteral("sysfile"))),
                 &why)) {
        if (error) *error = QStringLiteral("cannot open the copy's catalogue: %1").arg(why);
        return false;
    }
    WebCatalogue web(db, copyFolder, ViewerRules(copyFolder));
    web.SetProgress(progress);
    web.SetConverted(made.converted);
    web.SetMadeThumbnails(made.thumbnails);
    web.SetEarlierCopy(made.earlierCopy);
    if (web.Write()) return true;
    if (error) *error = web.Error();
    return false;
}
