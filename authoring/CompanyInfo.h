#pragma once

#include <QList>
#include <QString>

#include "store/CatalogueRecords.h"
#include "store/CatalogueRecordset.h"

class CatalogueDb;
class IPrompter;

// The company's picture, information text and web address in [企业表], without any window.
class CompanyInfo {
public:
    CompanyInfo(CatalogueDb& db, IPrompter& prompter);

    // Every row of the table, in table order.
    QList<CompanyRecord> Rows();

    // Writes the three values into every company row, or inserts the one row when the table
    // has none. `update` is the statement of the calling dialog. False after a reported failure.
    bool Save(const char* update, const QString& picture, const QString& information,
              const QString& web);

    // 修改 of the management dialog: needs a selected row when there are rows, asks first.
    // True when written (the notice is shown).
    bool Modify(bool rowSelected, const QString& picture, const QString& information,
                const QString& web);
    // 保存 of the settings dialog: writes without asking. True when written.
    bool Store(const QString& picture, const QString& information, const QString& web);

    // Asks for the company picture: JPEG and bitmap files, or JPEG only. "" on cancel.
    QString ChoosePicture(bool bitmapsToo);

private:
    CatalogueDb& m_db;
    IPrompter& m_prompter;
    CatalogueRecordset m_rs;
};
