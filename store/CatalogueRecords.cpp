#include "store/CatalogueRecords.h"

#include "store/CatalogueRecordset.h"

CategoryRecord CategoryRecord::Read(const CatalogueRecordset& rs) {
    return {rs.GetFieldString(2)};
}

StoredProductName StoredProductName::Split(const QString& stored) {
    const qsizetype at = stored.lastIndexOf(QLatin1Char('@'));
    if (at < 0) return {stored, QString()};
    return {stored.left(at), stored.mid(at + 1)};
}

StoredProductName StoredProductName::SplitAtFirst(const QString& stored) {
    const qsizetype at = stored.indexOf(QLatin1Char('@'));
    if (at < 0) return {QStringLiteral(""), stored};
    return {stored.left(at), stored.mid(at + 1)};
}

QString StoredProductName::Join(const QString& name, const QString& typeCode) {
    return name + QLatin1Char('@') + typeCode;
}

ProductRecord ProductRecord::Read(const CatalogueRecordset& rs) {
    ProductRecord r;
    QString* fields[] = {&r.number,        &r.className,  &r.productName, &r.key,
                         &r.opath,         &r.dpath,      &r.oIntroduce,  &r.oAddProcess,
                         &r.oTecReference, &r.pIntroduce, &r.pAddProcess, &r.pTecReference};
    for (int i = 0; i < 12; ++i) *fields[i] = rs.GetFieldString(i + 1);
    return r;
}

QString ProductRecord::DocumentPath(int index, bool published) const {
    switch (index) {
        case 0:
            return published ? pIntroduce : oIntroduce;
        case 1:
            return published ? pAddProcess : oAddProcess;
        case 2:
            return published ? pTecReference : oTecReference;
        default:
            return QString();
    }
}

ModelFileRecord ModelFileRecord::Read(const CatalogueRecordset& rs) {
    return {rs.GetFieldString(1), rs.GetFieldString(2), rs.GetFieldString(3), rs.GetFieldString(4),
            rs.GetFieldString(5), rs.GetFieldString(6), rs.GetFieldString(7)};
}

CompanyRecord CompanyRecord::Read(const CatalogueRecordset& rs) {
    return {rs.GetFieldString(1), rs.GetFieldString(2), rs.GetFieldString(3),
            rs.GetFieldString(4), rs.GetFieldString(5), rs.GetFieldString(6)};
}
