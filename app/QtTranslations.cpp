#include "app/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool QtTranslations::Load(QTranslator& translator, const QString& folder) {
    return translator.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                           QStringLiteral("_"), folder);
}

void QtTranslations::Install() {
    QCoreApplication* app = QCoreApplication::instance();
    const QString name = QStringLiteral("qtbaseTranslator");
    if (!app || app->findChild<QTranslator*>(name, Qt::FindDirectChildrenOnly)) return;
    auto* translator = new QTranslator(app);
    translator->setObjectName(name);
    if (Load(*translator, QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        QCoreApplication::installTranslator(translator))
        return;
    delete translator;
}
