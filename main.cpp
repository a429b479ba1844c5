#include <QApplication>
#include <QIcon>

#include "app/CCatalogueApp.h"
#include "app/MessageBox.h"
#include "app/WidgetPrompter.h"
#include "viewer/MainWindowRunner.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vistrel"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/app.png")));
    WidgetPrompter prompter;
    SetPrompter(&prompter);
    theApp.m_runMainWindow = RunMainWindow;
    theApp.InitInstance();
    theApp.ExitInstance();
    SetPrompter(nullptr);
    return theApp.ExitCode();
}
