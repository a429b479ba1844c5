#pragma once

#include <QString>

#include "publish/WebCatalogue.h"

// The web catalogue of a published copy with the desktop viewer's own rules: the chat link and
// company name from the copy's config.ini, the web-site link target, the pictures of a folder
// document in the viewer's order.
namespace WebCatalogueWriter {

WebCatalogue::Rules ViewerRules(const QString& copyFolder);

// Writes index.html and web/ into the published copy at `copyFolder` from its own catalogue,
// taking the pictures `converted` holds (may be null) and linking what is unchanged from the
// copy it replaces (`earlierCopy`, may be empty).
bool Write(const QString& copyFolder, QString* error, const WebCatalogue::Progress& progress = {},
           const WebPictures* converted = nullptr, const QString& earlierCopy = QString());

}  // namespace WebCatalogueWriter
