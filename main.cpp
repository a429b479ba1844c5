#include <QApplication>
#include <QCommandLineParser>
#include <QGuiApplication>
#include <QIcon>
#include <QScreen>
#include <cmath>
#include <cstdio>
#include <vector>

#include "app/CCatalogueApp.h"
#include "app/MessageBox.h"
#include "app/WidgetPrompter.h"
#include "viewer/CMainDlg.h"
#include "viewer/MainWindowRunner.h"

namespace {
void Print(FILE* stream, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
}

// --help and --version answer before any window system is needed, so they work in a terminal
// without a display. Other options are left to Qt (-platform, -style, ...). Returns the exit
// code when the program should end here, -1 to go on.
int HandleCommandLine(int argc, char** argv) {
    QCoreApplication::setApplicationName(QStringLiteral("vistrel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VISTREL_VERSION));
    QStringList args;
    for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Vistrel, a product catalogue.\n"
        "Started beside an installation (a sysfile folder), it opens that catalogue; otherwise\n"
        "it opens the user's own catalogue in $XDG_DATA_HOME/vistrel, made empty on first start."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.parse(args);  // unknown options belong to Qt
    if (parser.isSet(help)) {
        // Without an application object the parser cannot name the program itself.
        Print(stdout, parser.helpText().replace(QStringLiteral("<executable_name>"),
                                                QStringLiteral("vistrel")));
        return 0;
    }
    if (parser.isSet(version)) {
        Print(stdout, QStringLiteral("vistrel %1\n").arg(QCoreApplication::applicationVersion()));
        return 0;
    }
    return -1;
}
// The window is laid out for 1024 x 700. Where the screen (at the scale the user chose) is
// smaller, the whole program is scaled down by Qt's own scale factor until it fits, so the layout
// stays the same and no control is off-screen. The screen is only known once the window system
// is connected: a first application object looks, and is gone before the real one starts.
void ScaleToFitScreen(int argc, char** argv) {
    if (QCoreApplication::instance()) return;
    double fit = 1.0;
    {
        std::vector<char*> args(argv, argv + argc);  // the probe may take Qt's own options out
        int count = argc;
        args.push_back(nullptr);
        QGuiApplication probe(count, args.data());
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (!screen) return;
        const QSize available = screen->availableSize();
        fit = std::min(available.width() / double(CMainDlg::kWidth),
                       available.height() / double(CMainDlg::kHeight));
    }
    if (fit >= 1.0 || fit <= 0.0) return;
    bool ok = false;
    double scale = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&ok);
    if (!ok || scale <= 0.0) scale = 1.0;
    // Rounded down, so that the scaled window fits whole.
    const double scaled = std::floor(scale * fit * 1000.0) / 1000.0;
    qputenv("QT_SCALE_FACTOR", QByteArray::number(scaled, 'f', 3));
}
}  // namespace

int main(int argc, char** argv) {
    if (const int code = HandleCommandLine(argc, argv); code >= 0) return code;
    ScaleToFitScreen(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vistrel"));
    QApplication::setDesktopFileName(QStringLiteral("io.github.vistrel.Vistrel"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/app.png")));
    WidgetPrompter prompter;
    SetPrompter(&prompter);
    theApp.m_runMainWindow = RunMainWindow;
    theApp.InitInstance();
    theApp.ExitInstance();
    SetPrompter(nullptr);
    return theApp.ExitCode();
}
