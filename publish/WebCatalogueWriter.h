#pragma once

#include <QString>

#include "publish/WebCatalogue.h"

// The web catalogue of a published copy with the desktop viewer's own rules: the chat link and
// company name from the copy's config.ini, the web-site link target, the pictures of a folder
// document in the viewer's order.
namespace WebCatalogueWriter {

WebCatalogue::Rules ViewerRules(const QString& copyFolder);

// Writes index.html and web/ into the published copy at `copyFolder` from its own catalogue,
// taking what a publish has made already and linking what is unchanged from the copy it
// replaces (each may be empty).
struct Made {
    const WebPictures* converted = nullptr;  // converted pictures
    QString thumbnails;                      // the folder of web thumbnails
    QString earlierCopy;
};
bool Write(const QString& copyFolder, QString* error, const WebCatalogue::Progress& progress = {},
           const Made& made = {});

}  // namespace WebCatalogueWriter
