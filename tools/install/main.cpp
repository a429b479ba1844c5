#include <unistd.h>

#include <QDir>
#include <QGuiApplication>
#include <QTextStream>
#include <cstdio>

#include "authoring/SheetCommand.h"
#include "publish/PublishCommand.h"
#include "tools/install/DemoInstaller.h"

namespace {
int Usage(QTextStream& err) {
    err << "usage: vistrel-install new FOLDER        (a new, empty catalogue of your own, ready to "
           "run)\n"
           "       vistrel-install empty FILE.db\n"
           "       vistrel-install demo FOLDER       (authoring demo beside the executable)\n"
           "       vistrel-install published FOLDER  (a published copy: sysfile and pic)\n"
           "       vistrel-install publish INSTALLATION ROOT [--cover FILE] [--logo FILE]\n"
           "                                         (publish an authoring installation)\n"
           "       vistrel-install web INSTALLATION FOLDER\n"
           "                                         (its web catalogue alone: FOLDER/Vistrel)\n"
           "       vistrel-install import INSTALLATION SHEET.csv [--update]\n"
           "                                         (products from a sheet into the catalogue)\n"
           "       vistrel-install export INSTALLATION SHEET.csv\n"
           "                                         (the catalogue as a sheet)\n"
           "       vistrel-install skin FOLDER       (the skin bitmaps and cover picture)\n";
    return 2;
}
}  // namespace

int main(int argc, char** argv) {
    // The tool paints text; without a display it draws off screen.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTextStream err(stderr);
    if (args.size() >= 2 && args[1] == QLatin1String("publish")) {
        QTextStream out(stdout);
        return PublishCommand::Run(args.mid(2), out, err, ::isatty(STDOUT_FILENO));
    }
    if (args.size() >= 2 && args[1] == QLatin1String("web")) {
        QTextStream out(stdout);
        return PublishCommand::RunWeb(args.mid(2), out, err, ::isatty(STDOUT_FILENO));
    }
    if (args.size() >= 2 &&
        (args[1] == QLatin1String("import") || args[1] == QLatin1String("export"))) {
        QTextStream out(stdout);
        return args[1] == QLatin1String("import") ? SheetCommand::Import(args.mid(2), out, err)
                                                  : SheetCommand::Export(args.mid(2), out, err);
    }
    if (args.size() != 3) return Usage(err);
    const QString command = args[1], target = args[2];
    QString error;
    bool ok = false;
    if (command == QLatin1String("new"))
        // The program lies beside this tool, in the build folder as in an installed bin/.
        ok = DemoInstaller::WriteNew(
            target,
            QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("vistrel")),
            &error);
    else if (command == QLatin1String("skin"))
        ok = DemoInstaller::WriteSkin(target, &error, false);
    else if (command == QLatin1String("empty"))
        ok = DemoInstaller::WriteEmpty(target, &error);
    else if (command == QLatin1String("demo"))
        ok = DemoInstaller::WriteDemo(target, &error);
    else if (command == QLatin1String("published"))
        ok = DemoInstaller::WritePublished(target, &error);
    else
        return Usage(err);
    if (!ok) {
        err << "vistrel-install " << command << ": cannot write " << target << ": " << error
            << "\n";
        return 1;
    }
    if (command == QLatin1String("new"))
        QTextStream(stdout) << "A new catalogue in " << QDir(target).absolutePath()
                            << ". Start it with: " << QDir(target).absoluteFilePath("vistrel")
                            << "\n";
    return 0;
}
