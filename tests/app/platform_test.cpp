// The Windows platform the program relies on: code page 932, Shift-JIS in the
// RichEdit 2.0 control, and Japanese resources.
#include <gtest/gtest.h>
#include <windows.h>
#include <richedit.h>

#include <string>

#include "res/resource.h"

TEST(Platform, AnsiCodePageIs932) {
  EXPECT_EQ(932u, GetACP());
}

TEST(Platform, StringTableTextsLoadAsShiftJis) {
  char buf[64] = {};
  int n = LoadStringA(GetModuleHandleA(nullptr), IDS_ABORT_QUERY, buf, sizeof buf);
  // "中止しますか？" in CP932.
  EXPECT_EQ(std::string("\x92\x86\x8E\x7E\x82\xB5\x82\xDC\x82\xB7\x82\xA9\x81\x48"),
            std::string(buf, n > 0 ? n : 0));
}

namespace {

DWORD CALLBACK CollectStream(DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* done) {
  reinterpret_cast<std::string*>(cookie)->append(reinterpret_cast<char*>(buf), cb);
  *done = cb;
  return 0;
}

}  // namespace

TEST(Platform, RichEdit20AKeepsShiftJisText) {
  HMODULE lib = LoadLibraryA("RICHED20.DLL");
  ASSERT_NE(nullptr, lib);
  HWND edit = CreateWindowExA(0, "RichEdit20A", "", WS_POPUP | ES_MULTILINE, 0, 0, 200, 100,
                              nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(nullptr, edit);
  // "表ソ能" end in trail byte 0x5C; half-width "ｱ" and ASCII around them.
  const std::string text = "abc\x95\x5C\x83\x5C\x94\x5C\xB1xyz";
  SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));

  std::string out;
  EDITSTREAM es = {};
  es.dwCookie = reinterpret_cast<DWORD_PTR>(&out);
  es.pfnCallback = CollectStream;
  SendMessageA(edit, EM_STREAMOUT, SF_TEXT, reinterpret_cast<LPARAM>(&es));
  EXPECT_EQ(text, out);

  DestroyWindow(edit);
  FreeLibrary(lib);
}
