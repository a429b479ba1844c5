#include "app/CCatalogueApp.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFont>
#include <QWidget>
#include <cstdio>

#include "app/CSplashDlg.h"
#include "app/MessageBox.h"
#include "app/QtTranslations.h"
#include "app/UserInstallation.h"
#include "publish/CopyQueue.h"
#include "store/CatalogueDb.h"

CCatalogueApp theApp;

CCatalogueApp::CCatalogueApp() : m_copies(std::make_unique<CopyQueue>()) {}
CCatalogueApp::~CCatalogueApp() = default;

bool CCatalogueApp::InitInstance() {
    return InitInstanceAt(QCoreApplication::applicationFilePath());
}

bool CCatalogueApp::InitInstanceAt(const QString& exePath) {
    thumbListMode = 1;
    m_startupFailure.clear();
    RegisterFontSubstitutions();
    QtTranslations::Install();
    m_paths = InstallPaths::FromExecutable(exePath);
    if (!UserInstallation::HasInstallation(m_paths)) {
        // An installed program (/usr/bin/vistrel) works on the user's own catalogue.
        const QString folder = UserInstallation::Folder();
        QString why;
        if (!UserInstallation::Prepare(folder,
                                       UserInstallation::SharedSkinFolder(m_paths.exeFolder), &why))
            ReportStartupFailure(why);  // what could be made is used; the windows say the rest
        m_paths = UserInstallation::PathsIn(m_paths, folder);
    }
    m_config.SetPath(m_paths.configPath);
    if (m_showSplash) {
        CSplashDlg splash(m_paths.splashPath);
        splash.SetStepInterval(m_splashStepMs);
        splash.SetHoldTime(m_splashHoldMs);
        splash.exec();
    }
    if (!ConnectDatabase()) return false;
    if (m_runMainWindow) m_runMainWindow();
    m_pMainWnd = nullptr;
    return false;
}

void CCatalogueApp::ExitInstance() {
    m_pMainWnd = nullptr;
    m_db.reset();
}

int CCatalogueApp::DoMessageBox(const QString& text, unsigned style, unsigned) {
    return Tell(Prompter(), text, style, m_title);
}

namespace {
// The Qt SQL layer is torn down before global objects such as theApp; a connection still held
// then would crash the process on its way out. Let go of it with the application instead.
void ReleaseConnectionAtExit() {
    theApp.m_db.reset();
}
}  // namespace

bool CCatalogueApp::ConnectDatabase() {
    static bool releaseRegistered = false;
    if (!releaseRegistered && QCoreApplication::instance()) {
        qAddPostRoutine(ReleaseConnectionAtExit);
        releaseRegistered = true;
    }
    auto db = std::make_unique<CatalogueDb>();
    const QString file = CatalogueDb::CatalogueFile(m_paths.dataFolder);
    QString why;
    if (!db->Open(file, &why)) {
        ReportStartupFailure(file + QStringLiteral(": ") + why);
        AfxMessageBox(QStringLiteral("抱歉，连接数据库失败！"), MB_NOTICE);
        m_db.reset();
        return false;
    }
    db->SetFailureHandler([](const QString& message) {
        AfxMessageBox(CatalogueDb::FailureText(message), MB_NOTICE);
    });
    m_db = std::move(db);
    return true;
}

AppParts CCatalogueApp::Parts() {
    return {*m_db, m_paths, thumbListMode, *m_copies, m_publishRoot};
}

void CCatalogueApp::ReportStartupFailure(const QString& what) {
    m_startupFailure = what.simplified();  // one line, whatever an engine message holds
    const QByteArray line = "vistrel: " + m_startupFailure.toLocal8Bit() + '\n';
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
    std::fflush(stderr);
}

QString CCatalogueApp::PublishState() const {
    return m_config.GetString(QStringLiteral("SysInfo"), QStringLiteral("发布状态"));
}

void CCatalogueApp::RegisterFontSubstitutions() {
    const QStringList cjk = {QStringLiteral("WenQuanYi Micro Hei"),
                             QStringLiteral("Noto Sans CJK SC")};
    for (const char* name : {"微软雅黑", "新宋体", "宋体", "MS Sans Serif", "黑体"})
        QFont::insertSubstitutions(QString::fromUtf8(name), cjk);
}
