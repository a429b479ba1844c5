#include "app/WidgetPrompter.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>

#include "app/CMsgBoxDlg.h"
#include "app/MessageBox.h"

namespace {
QWidget* DialogParent() {
    return QApplication::activeWindow();
}

// The window behind a message is drawn up to date first: the message may come in the middle of
// work that has not yet let the event loop run.
QMessageBox::Icon BoxIcon(unsigned style) {
    switch (style & 0xF0) {
        case MB_ICONERROR:
            return QMessageBox::Critical;
        case MB_ICONQUESTION:
            return QMessageBox::Question;
        case MB_ICONEXCLAMATION:
            return QMessageBox::Warning;
        case MB_ICONINFORMATION:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

void RepaintActiveWindow() {
    if (QWidget* active = QApplication::activeWindow()) active->repaint();
}
}  // namespace

void WidgetPrompter::Notice(const QString& text) {
    RepaintActiveWindow();
    CMsgBoxDlg::ShowNotice(text, 900);
}

bool WidgetPrompter::Confirm(const QString& text, const QString& caption, unsigned icon) {
    QMessageBox box(BoxIcon(icon), caption, text, QMessageBox::NoButton, DialogParent());
    QPushButton* yes = box.addButton(QStringLiteral("是(&Y)"), QMessageBox::YesRole);
    box.addButton(QStringLiteral("否(&N)"), QMessageBox::NoRole);
    box.exec();
    return box.clickedButton() == yes;
}

int WidgetPrompter::MessageBox(const QString& text, const QString& caption, unsigned style) {
    RepaintActiveWindow();
    const QMessageBox::Icon icon = BoxIcon(style);
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    switch (style & 0x0F) {
        case MB_OKCANCEL:
            buttons = QMessageBox::Ok | QMessageBox::Cancel;
            break;
        case MB_YESNO:
            buttons = QMessageBox::Yes | QMessageBox::No;
            break;
        default:
            break;
    }
    QMessageBox box(icon, caption, text, buttons, DialogParent());
    switch (box.exec()) {
        case QMessageBox::Cancel:
            return IDCANCEL;
        case QMessageBox::Yes:
            return IDYES;
        case QMessageBox::No:
            return IDNO;
        default:
            return IDOK;
    }
}

QString WidgetPrompter::OpenFile(const QString& caption, const QString& folder,
                                 const QString& filter) {
    return QFileDialog::getOpenFileName(DialogParent(), caption, folder, filter);
}

QStringList WidgetPrompter::OpenFiles(const QString& caption, const QString& folder,
                                      const QString& filter) {
    return QFileDialog::getOpenFileNames(DialogParent(), caption, folder, filter);
}

QString WidgetPrompter::ChooseFolder(const QString& caption, const QString& folder) {
    return QFileDialog::getExistingDirectory(DialogParent(), caption, folder,
                                             QFileDialog::ShowDirsOnly);
}

int WidgetPrompter::OpenUrl(const QUrl& url) {
    if (!url.isValid()) return 2;
    if (QDesktopServices::openUrl(url)) return 42;
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) return 31;
    return QProcess::startDetached(opener, {url.toString(QUrl::FullyEncoded)}) ? 42 : 31;
}

void WidgetPrompter::Beep() {
    QApplication::beep();
}
