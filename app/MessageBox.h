#pragma once

#include <QString>

#include "app/Prompter.h"

// The application's prompter: the one tests installed, otherwise the window-based one. Windows
// use it and hand it to the window-free parts they drive.
IPrompter& Prompter();
// Installs a prompter and returns the previous one; ownership stays with the caller.
IPrompter* SetPrompter(IPrompter* prompter);

// Shows a message through the application's DoMessageBox (notice or standard box).
int AfxMessageBox(const QString& text, unsigned style = MB_OK);

// Yes/No confirmation with the caption "提示"; true only when the user answers Yes.
bool ConfirmYesNo(const QString& text, unsigned icon = 0);
