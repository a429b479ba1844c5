#pragma once

#include <QString>

class CatalogueDb;
struct CopyQueue;
struct InstallPaths;

// What the application lends its windows: the catalogue connection, the installation paths, the
// process-wide thumbnail display mode, the queue of file copies and the publish root. The
// application keeps owning them; a window holds the references for its own life only.
struct AppParts {
    CatalogueDb& db;
    const InstallPaths& paths;
    int& thumbListMode;
    CopyQueue& copies;
    QString& publishRoot;  // chosen in the publish dialog, kept for the whole run
};
