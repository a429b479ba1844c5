#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

#include "app/AppParts.h"
#include "app/CIniFile.h"
#include "app/DocPathCache.h"
#include "app/InstallPaths.h"

class CatalogueDb;
struct CopyQueue;

// The application object: runs start-up and is the process-wide home of shared state
// (connection, installation paths, publish root, thumbnail mode, copy lists).
class CCatalogueApp {
public:
    CCatalogueApp();
    ~CCatalogueApp();

    // Start-up: paths, configuration, cover window, database, main window. Always returns
    // false, so the process ends when it returns.
    bool InitInstance();
    // Start-up for a given executable location (InitInstance uses the running executable).
    bool InitInstanceAt(const QString& exePath);
    // Releases the connection before the process ends (the Qt SQL layer must outlive it).
    void ExitInstance();

    // Every message passes through here: exactly MB_NOTICE gives a notice, any other style
    // the standard message box. Returns the button chosen (a notice returns IDOK).
    int DoMessageBox(const QString& text, unsigned style, unsigned helpId = 0);

    // Opens the catalogue of dataFolder; false after showing "抱歉，连接数据库失败！". A failed
    // statement on the connection is shown as a notice with the engine's message.
    bool ConnectDatabase();

    // A failure that ends the program before or instead of its main window: `what` names the
    // file and what is wrong with it. It goes to standard error as one line, since the notice
    // is gone after 900 ms, and the process then ends with a non-zero exit code.
    void ReportStartupFailure(const QString& what);
    QString StartupFailure() const { return m_startupFailure; }
    // The process's exit code: 0, or 1 after a start-up failure.
    int ExitCode() const { return m_startupFailure.isEmpty() ? 0 : 1; }

    // 发布状态 from the configuration ("1" marks a published copy).
    QString PublishState() const;
    bool IsPublished() const { return InstallPaths::IsPublishedState(PublishState()); }

    // Maps the Windows font names the windows use onto the installed CJK font.
    static void RegisterFontSubstitutions();

    std::unique_ptr<CatalogueDb> m_db;
    InstallPaths m_paths;
    QString m_publishRoot;
    int thumbListMode = 1;
    CIniFile m_config;
    // Guarded: a notice raised after the main window has gone must not touch it.
    QPointer<QWidget> m_pMainWnd;
    QString m_title = QStringLiteral("Vistrel");
    // The queued file copies and the copy worker's finished flag.
    CopyQueue& Copies() { return *m_copies; }
    // What start-up hands to the windows; only while the catalogue is connected.
    AppParts Parts();

    // Seams for tests and for the pieces that come later: the cover window's step and hold
    // times, and what runs as the main window.
    int m_splashStepMs = 15;
    int m_splashHoldMs = 500;
    bool m_showSplash = true;
    std::function<void()> m_runMainWindow;

private:
    std::unique_ptr<CopyQueue> m_copies;
    QString m_startupFailure;
};

extern CCatalogueApp theApp;
