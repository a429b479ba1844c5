#pragma once

#include <QString>

class QWidget;

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

// Shows a message through the application's DoMessageBox (notice or standard box).
int AfxMessageBox(const QString& text, unsigned style = MB_OK);

// Yes/No confirmation with the caption "提示"; true only when the user answers Yes.
bool ConfirmYesNo(const QString& text, bool questionIcon = false);
