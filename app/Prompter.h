#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

class QWidget;

// The one seam through which the program asks or tells the user anything. The product installs
// a window-based implementation; tests install a scripted one that records and answers.
class IPrompter {
public:
    virtual ~IPrompter();

    // A transient notice (900 ms in the product); the text is shown as given.
    virtual void Notice(const QString& text) = 0;
    // Yes/No question with the given caption; true for Yes.
    virtual bool Confirm(const QString& text, const QString& caption, bool questionIcon) = 0;
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

// The prompter in use; never null once the application (or a test) has installed one.
IPrompter& Prompter();
// Installs a prompter and returns the previous one; ownership stays with the caller.
IPrompter* SetPrompter(IPrompter* prompter);
