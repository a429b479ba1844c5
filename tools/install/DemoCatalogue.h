#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The demo catalogue of an industrial maker: categories, products, their texts and dimension
// tables. Everything here is fixed data, so the demo comes out the same on every run.

enum class PartKind { LinearGuide, BallScrew, Coupling, BearingUnit, Reducer, Pneumatic, Pulley };

// A picture format of the demo; every one of them occurs among the pictures.
enum class PictureFormat { Jpeg, Png, Bmp, Gif, Tiff };

struct ProcessOption {
    QString code;
    QString title;
    QString text;
};

struct DemoCategory {
    QString name;
    QString english;  // subtitle of the data sheets
    PartKind kind;
    QString intro;
    QStringList features;
    QString applications;
    QList<ProcessOption> processing;
    QStringList columns;  // dimension table header; column 0 is the type code
    QString unitNote;
};

struct DemoProduct {
    int category = 0;         // index into DemoCatalogue::Categories()
    int indexInCategory = 0;  // 0-based; the stored Number is one more
    QString name;
    QString typeCode;
    QString keywords;
    int variant = 0;  // drawing variant within the category's kind
    int size = 20;    // nominal size that drives the dimension table

    QString StoredName() const;
    QString Key() const;
    bool HasModels() const;
    // Introduction stored as a folder of two pages instead of one picture.
    bool IntroductionIsFolder() const;
    // Technical reference drawn as one wide sheet (wider than 3300 px).
    bool WideReference() const;
    PictureFormat PictureFileFormat() const;
    PictureFormat DocumentFormat(int document) const;  // 0 intro, 1 processing, 2 reference
    // Model files (file names only) with their remarks.
    QStringList ModelFiles() const;
    QStringList ModelNotes() const;
};

struct DimensionTable {
    QStringList header;
    QList<QStringList> rows;
    int highlight = -1;  // the row of the product itself
};

class DemoCatalogue {
public:
    static const QList<DemoCategory>& Categories();
    // Every product, or (small) the first two of each category for quick tests; both keep
    // every picture format, wide sheets, model files and a folder document.
    static QList<DemoProduct> Products(bool small = false);

    static DimensionTable Table(const DemoProduct& product);

    static QString CompanyShortName();    // "Harbelt"
    static QString CompanyName();         // full Chinese name
    static QString CompanyInformation();  // the text of the contact page
    static QString CompanyWeb();
    static QString CompanyQQ();
    static QString ChatHost();

    static QString Suffix(PictureFormat format);
};
