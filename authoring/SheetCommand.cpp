#include "authoring/SheetCommand.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>
#include <memory>

#include "app/CIniFile.h"
#include "app/InstallPaths.h"
#include "authoring/ProductExport.h"
#include "authoring/ProductImport.h"
#include "store/CatalogueDb.h"

namespace {

int Usage(QTextStream& err, const char* command, const QString& why) {
    err << "vistrel-install " << command << ": " << why << "\n"
        << "usage: vistrel-install import INSTALLATION SHEET.csv [--update]\n"
        << "       vistrel-install export INSTALLATION SHEET.csv\n";
    return 2;
}

// Opens the catalogue of an authoring installation; null with the reason told on `err`.
std::unique_ptr<CatalogueDb> OpenAuthoring(const QString& folder, const char* command,
                                           QTextStream& err, int* code) {
    const QString installation = QFileInfo(folder).absoluteFilePath();
    const InstallPaths paths =
        InstallPaths::FromExecutable(QDir(installation).filePath(QStringLiteral("vistrel")));
    if (CIniFile(paths.configPath)
            .GetString(QStringLiteral("SysInfo"), QStringLiteral("发布状态")) ==
        QLatin1String("1")) {
        *code = Usage(err, command, installation + QStringLiteral(" is a published copy"));
        return nullptr;
    }
    auto db = std::make_unique<CatalogueDb>();
    QString why;
    if (!db->Open(CatalogueDb::CatalogueFile(paths.dataFolder), &why)) {
        err << QStringLiteral("抱歉，连接数据库失败！") << " " << why << "\n";
        *code = 1;
        return nullptr;
    }
    db->SetFailureHandler(
        [&err](const QString& message) { err << CatalogueDb::FailureText(message) << "\n"; });
    return db;
}

}  // namespace

int SheetCommand::Import(const QStringList& args, QTextStream& out, QTextStream& err) {
    QStringList positional;
    bool update = false;
    for (const QString& a : args) {
        if (a == QLatin1String("--update"))
            update = true;
        else if (a.startsWith(QLatin1String("--")))
            return Usage(err, "import", QStringLiteral("unknown option ") + a);
        else
            positional << a;
    }
    if (positional.size() != 2)
        return Usage(err, "import", QStringLiteral("INSTALLATION and SHEET.csv needed"));
    int code = 0;
    const auto db = OpenAuthoring(positional[0], "import", err, &code);
    if (!db) return code;

    ProductImport import(*db);
    const ImportPlan plan = import.Preview(QFileInfo(positional[1]).absoluteFilePath(), update);
    for (const QString& line : plan.Report()) out << line << "\n";
    out.flush();
    if (!plan.error.isEmpty()) return 1;
    if (plan.HasWrites()) {
        const auto outcome = import.Write(plan, [&](int done, int total) {
            if (total > 0 && done == total)
                out << QStringLiteral("写入 %1/%2").arg(done).arg(total) << "\n";
            return true;
        });
        if (outcome != ProductImport::Outcome::Written) {
            err << import.LastError() << "\n";
            return 1;
        }
        out << QStringLiteral("导入完成：") << plan.Summary() << "\n";
    } else {
        out << QStringLiteral("没有要写入的产品或类别") << "\n";
    }
    return plan.Count(ImportRow::Action::Refuse) > 0 ? 3 : 0;
}

int SheetCommand::Export(const QStringList& args, QTextStream& out, QTextStream& err) {
    if (args.size() != 2)
        return Usage(err, "export", QStringLiteral("INSTALLATION and SHEET.csv needed"));
    int code = 0;
    const auto db = OpenAuthoring(args[0], "export", err, &code);
    if (!db) return code;
    ProductExport exporter(*db);
    const QString path = QFileInfo(args[1]).absoluteFilePath();
    QString error;
    if (!exporter.Write(path, &error)) {
        err << error << "\n";
        return 1;
    }
    out << exporter.Summary(path) << "\n";
    return 0;
}
