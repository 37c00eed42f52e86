// Message boxes of the program.
#pragma once

#include <windows.h>

#include <string>

namespace fw {

// The caption of every message box: the program's title ("Tabry-Editor"
// until set).
void SetMessageBoxTitle(const char* title);
std::string MessageBoxTitle();

// The module whose menus and bitmaps are loaded: the program itself, as
// for the string table (fw/strtable.h).
HINSTANCE ResourceModule();

// Shows a message box owned by `owner` (may be null) after asking the test
// hooks; returns the button pressed (IDOK, IDYES, ...).
int ShowMessageBox(HWND owner, const char* text, const char* caption, unsigned type);

}  // namespace fw

// The program's message box: owned by the active window, captioned with the
// program's title. Without an icon flag, OK boxes get the exclamation icon and
// Yes/No boxes the question icon.
int AfxMessageBox(const char* text, unsigned type = MB_OK, unsigned helpId = 0);
// The same with string `stringId` of the string table as its text.
int AfxMessageBox(unsigned stringId, unsigned type = MB_OK, unsigned helpId = static_cast<unsigned>(-1));
