#pragma once

#include <QString>

class CatalogueRecordset;

// The rows of the four catalogue tables, read from the current record by column position. Every
// field starts empty, so a row can be written with only the columns it needs.

struct CategoryRecord {
    QString className = {};  // position 2
    static CategoryRecord Read(const CatalogueRecordset& rs);
};

// A stored product name "name@typecode". Display lists show the name up to the last "@";
// the product-detail list splits at the first one.
struct StoredProductName {
    QString name;
    QString typeCode;
    // Splits at the last "@"; without one, the whole text is the name.
    static StoredProductName Split(const QString& stored);
    // Splits at the first "@"; without one, the name is empty and the whole text is the code.
    static StoredProductName SplitAtFirst(const QString& stored);
    static QString Join(const QString& name, const QString& typeCode);
};

struct ProductRecord {
    QString number = {};         // 1
    QString className = {};      // 2
    QString productName = {};    // 3: name@typecode
    QString key = {};            // 4
    QString opath = {};          // 5
    QString dpath = {};          // 6
    QString oIntroduce = {};     // 7
    QString oAddProcess = {};    // 8
    QString oTecReference = {};  // 9
    QString pIntroduce = {};     // 10
    QString pAddProcess = {};    // 11
    QString pTecReference = {};  // 12
    static ProductRecord Read(const CatalogueRecordset& rs);
    // The picture of the product (source or published path by the copy's state).
    QString PicturePath(bool published) const { return published ? dpath : opath; }
    // Document 0 (introduction), 1 (added processing) or 2 (technical reference).
    QString DocumentPath(int index, bool published) const;
};

struct ModelFileRecord {
    QString className = {};    // 1
    QString productName = {};  // 2
    QString modelFile = {};    // 3
    QString number = {};       // 4
    QString opath = {};        // 5
    QString dpath = {};        // 6
    QString note = {};         // 7
    static ModelFileRecord Read(const CatalogueRecordset& rs);
};

struct CompanyRecord {
    QString hidden = {};     // 1
    QString className = {};  // 2
    QString opath = {};      // 3
    QString dpath = {};      // 4
    QString company = {};    // 5
    QString web = {};        // 6
    static CompanyRecord Read(const CatalogueRecordset& rs);
};
