#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

// Message-box styles and results, with the values the program has always used.
constexpr unsigned MB_OK = 0x00000000;
constexpr unsigned MB_OKCANCEL = 0x00000001;
constexpr unsigned MB_YESNO = 0x00000004;
constexpr unsigned MB_ICONERROR = 0x00000010;
constexpr unsigned MB_ICONQUESTION = 0x00000020;
constexpr unsigned MB_ICONEXCLAMATION = 0x00000030;
constexpr unsigned MB_ICONINFORMATION = 0x00000040;
// A message shown with exactly this style becomes a 900 ms notice without a button.
constexpr unsigned MB_NOTICE = 0x10000000;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// The one seam through which the program asks or tells the user anything. The product hands a
// window-based implementation to whoever needs one; tests hand a scripted one that records and
// answers. Code without windows is given its prompter and never looks one up.
class IPrompter {
public:
    virtual ~IPrompter();

    // A transient notice (900 ms in the product); the text is shown as given.
    virtual void Notice(const QString& text) = 0;
    // Yes/No question with the given caption and icon (0 or one of the MB_ICON* values); true
    // for Yes.
    virtual bool Confirm(const QString& text, const QString& caption, unsigned icon) = 0;
    // A standard message box; style uses the MB_* values; returns IDOK, IDYES, ...
    virtual int MessageBox(const QString& text, const QString& caption, unsigned style) = 0;
    // File choices; an empty result (or list) means the user cancelled.
    virtual QString OpenFile(const QString& caption, const QString& folder,
                             const QString& filter) = 0;
    virtual QStringList OpenFiles(const QString& caption, const QString& folder,
                                  const QString& filter) = 0;
    virtual QString ChooseFolder(const QString& caption, const QString& folder) = 0;
    // Opens an address in the desktop's default handler. Returns a value greater than 32 on
    // success, otherwise an error code (2 not found, 31 no associated application, ...).
    virtual int OpenUrl(const QUrl& url) = 0;
    // The warning beep that accompanies some failures.
    virtual void Beep() = 0;
};

// The caption of the program's standard message boxes.
inline const QString& MessageCaption() {
    static const QString caption = QStringLiteral("Vistrel");
    return caption;
}

// Text shown for a notice: texts under 26 GBK bytes get 7 spaces in front, so that a short
// notice does not hug the left edge of its box.
QString NoticeText(const QString& text);

// Tells `text` through `prompter`: exactly MB_NOTICE gives a notice, any other style the
// standard message box with `caption`. Returns the button chosen (a notice returns IDOK).
int Tell(IPrompter& prompter, const QString& text, unsigned style = MB_NOTICE,
         const QString& caption = MessageCaption());

// Yes/No confirmation with the caption "提示"; true only when the user answers Yes.
bool AskYesNo(IPrompter& prompter, const QString& text, unsigned icon = 0);
