#include "TestCatalogue.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSqlQuery>
#include <QSqlRecord>

#include "app/Prompter.h"
#include "store/CatalogueSchema.h"

TestCatalogue::TestCatalogue(IPrompter* prompter) {
    const QString file = CatalogueDb::CatalogueFile(Path(QStringLiteral("sysfile")));
    QDir().mkpath(QFileInfo(file).absolutePath());
    ok = CatalogueSchema::CreateEmpty(file) && db.Open(file);
    paths = InstallPaths::FromExecutable(Path(QStringLiteral("vistrel")));
    db.SetFailureHandler([this, prompter](const QString& message) {
        failures << message;
        if (prompter) Tell(*prompter, CatalogueDb::FailureText(message));
    });
}

QStringList TestCatalogue::Rows(const QString& sql, const QList<int>& columns) {
    QStringList rows;
    QSqlQuery q(db.Database());
    if (!q.exec(sql)) return {QStringLiteral("error: ") + sql};
    while (q.next()) {
        QList<int> wanted = columns;
        if (wanted.isEmpty())
            for (int i = 0; i < q.record().count(); ++i) wanted << i;
        QStringList values;
        for (int c : wanted) values << q.value(c).toString();
        rows << values.join(columns.size() == 2 ? QLatin1Char('=') : QLatin1Char('|'));
    }
    return rows;
}

QStringList TestCatalogue::Tables() {
    return Rows("select Number, ClassName from [大类表] order by Number, ClassName") +
           Rows(
               "select Number, ClassName, ProductName, Key, Opath, Dpath, OIntroduce, "
               "OAddProcess, OTecReference from [小类表] order by ClassName, ProductName") +
           Rows(
               "select ClassName, ProductName, [3DModel], Number, Opath, Dpath, Note "
               "from [3D模型表] order by ClassName, ProductName, Number") +
           Rows("select * from [企业表]");
}

void TestCatalogue::Exec(const QString& sql) {
    QSqlQuery(db.Database()).exec(sql);
}

QString TestCatalogue::Make(const QString& relative) {
    const QString path = Path(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) ? f.fileName() : QString();
}

QString TestCatalogue::Picture(const QString& relative) {
    const QString path = Path(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImage image(8, 6, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    return image.save(path, "PNG") ? path : QString();
}
