#include "viewer/MainWindowRunner.h"

#include <QDialog>
#include <QLabel>
#include <QVBoxLayout>

#include "app/CCatalogueApp.h"

void RunMainWindow() {
    // Interim window until the skinned main window is in place.
    QDialog dlg;
    dlg.setWindowTitle(QStringLiteral("Vistrel"));
    dlg.resize(1024, 700);
    auto* layout = new QVBoxLayout(&dlg);
    layout->addWidget(new QLabel(QStringLiteral("Vistrel"), &dlg));
    theApp.m_pMainWnd = &dlg;
    dlg.exec();
    theApp.m_pMainWnd = nullptr;
}
