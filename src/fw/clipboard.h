// The clipboard as the program uses it: Shift-JIS text (CF_TEXT, tagged with
// the Japanese locale so other programs read it right) and RTF ("Rich Text
// Format"); plus OLE initialisation.
#pragma once

#include <windows.h>

#include <string>

namespace fw {

// The registered "Rich Text Format" clipboard format.
UINT RtfClipboardFormat();

// Empties the clipboard and puts `text` (Shift-JIS, NUL added) on it;
// `owner` may be null. False when the clipboard could not be opened or
// the memory not allocated.
bool SetClipboardText(HWND owner, const std::string& text);
// The same with RTF beside the text (both in one go).
bool SetClipboardTextAndRtf(HWND owner, const std::string& text, const std::string& rtf);
bool SetClipboardRtf(HWND owner, const std::string& rtf);

// The clipboard's text as Shift-JIS up to its NUL; false when there is none.
bool GetClipboardText(HWND owner, std::string* text);
bool GetClipboardRtf(HWND owner, std::string* rtf);

bool ClipboardHasText();
bool ClipboardHasRtf();

// OleInitialize once for the program's thread; true when OLE is usable.
bool OleInit();
// OleUninitialize, if OleInit succeeded (the application's exit calls it).
void OleTerm();

}  // namespace fw

// The name the application start-up uses.
inline bool AfxOleInit() { return fw::OleInit(); }
