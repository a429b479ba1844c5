#include <QCoreApplication>
#include <QTextStream>

#include "store/CatalogueSchema.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTextStream err(stderr);
    if (args.size() == 3 && args[1] == QLatin1String("empty")) {
        QString error;
        if (!CatalogueSchema::CreateEmpty(args[2], &error)) {
            err << "cannot write " << args[2] << ": " << error << "\n";
            return 1;
        }
        return 0;
    }
    err << "usage: vistrel-install empty FILE.db | demo FOLDER\n";
    return 2;
}
