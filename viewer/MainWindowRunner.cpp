#include "viewer/MainWindowRunner.h"

#include <QGuiApplication>
#include <QScreen>

#include "app/CCatalogueApp.h"
#include "viewer/CMainDlg.h"

void RunMainWindow() {
    CMainDlg dlg(theApp.Parts());
    dlg.setWindowTitle(theApp.m_title);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        dlg.FitToScreen(screen->availableGeometry());
    if (dlg.QuitRequested()) theApp.ReportStartupFailure(dlg.StartupFailure());
    theApp.m_pMainWnd = &dlg;
    dlg.exec();
    theApp.m_pMainWnd = nullptr;
}
