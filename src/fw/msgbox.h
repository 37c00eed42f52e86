// Message boxes of the program and string-table texts.
#pragma once

#include <windows.h>

#include <string>

namespace fw {

// The caption of every message box: the program's title ("Tabry-Editor"
// until set).
void SetMessageBoxTitle(const char* title);
std::string MessageBoxTitle();

// The module whose string table, menus and bitmaps are loaded (the program
// itself unless set).
HINSTANCE ResourceModule();
void SetResourceModule(HINSTANCE module);

// String `id` of the string table as Shift-JIS bytes, of any length. False
// (and *out empty) when there is no such string.
bool LoadResString(unsigned id, std::string* out);

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
