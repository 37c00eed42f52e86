#include "fw/clipboard.h"

#include <ole2.h>

#include <cstring>

namespace fw {
namespace {

// Japanese (Japan): the locale whose code page (932) turns our CF_TEXT into
// the Unicode text that other programs read.
const LCID kJapaneseLocale = 0x0411;

// Another program may hold the clipboard for a moment: try a few times.
bool Open(HWND owner) {
  for (int i = 0; i < 20; ++i) {
    if (OpenClipboard(owner)) return true;
    Sleep(10);
  }
  return false;
}

// A window to own the clipboard when the caller has none (EmptyClipboard
// with no owner window makes later SetClipboardData calls unreliable).
HWND FallbackOwner() {
  static HWND wnd = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    GetModuleHandleA(nullptr), nullptr);
  return wnd;
}

HGLOBAL Block(const void* data, size_t size, bool addNul) {
  const size_t total = size + (addNul ? 1 : 0);
  if (total < size) return nullptr;
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, total ? total : 1);
  if (!h) return nullptr;
  char* p = static_cast<char*>(GlobalLock(h));
  if (!p) {
    GlobalFree(h);
    return nullptr;
  }
  if (size) std::memcpy(p, data, size);
  if (addNul) p[size] = '\0';
  GlobalUnlock(h);
  return h;
}

bool Put(UINT format, HGLOBAL h) {
  if (!h) return false;
  if (!SetClipboardData(format, h)) {
    GlobalFree(h);  // still ours when the clipboard refused it
    return false;
  }
  return true;
}

bool Set(HWND owner, const std::string* text, const std::string* rtf) {
  if (!owner) owner = FallbackOwner();
  if (!Open(owner)) return false;
  bool ok = EmptyClipboard() != 0;
  if (ok && text) {
    ok = Put(CF_TEXT, Block(text->data(), text->size(), true));
    LCID lcid = kJapaneseLocale;
    if (ok) Put(CF_LOCALE, Block(&lcid, sizeof lcid, false));
  }
  if (ok && rtf) ok = Put(RtfClipboardFormat(), Block(rtf->data(), rtf->size(), true));
  CloseClipboard();
  return ok;
}

bool Get(HWND owner, UINT format, std::string* out) {
  out->clear();
  if (!IsClipboardFormatAvailable(format)) return false;
  if (!Open(owner)) return false;
  bool ok = false;
  HANDLE h = GetClipboardData(format);
  if (h) {
    const size_t size = GlobalSize(h);
    const char* p = static_cast<const char*>(GlobalLock(h));
    if (p) {
      out->assign(p, strnlen(p, size));  // up to the NUL, never past the block
      GlobalUnlock(h);
      ok = true;
    }
  }
  CloseClipboard();
  return ok;
}

bool g_oleReady = false;

}  // namespace

UINT RtfClipboardFormat() {
  static const UINT format = RegisterClipboardFormatA("Rich Text Format");
  return format;
}

bool SetClipboardText(HWND owner, const std::string& text) {
  return Set(owner, &text, nullptr);
}

bool SetClipboardTextAndRtf(HWND owner, const std::string& text, const std::string& rtf) {
  return Set(owner, &text, &rtf);
}

bool SetClipboardRtf(HWND owner, const std::string& rtf) {
  return Set(owner, nullptr, &rtf);
}

bool GetClipboardText(HWND owner, std::string* text) {
  return Get(owner, CF_TEXT, text);
}

bool GetClipboardRtf(HWND owner, std::string* rtf) {
  return Get(owner, RtfClipboardFormat(), rtf);
}

bool ClipboardHasText() {
  return IsClipboardFormatAvailable(CF_TEXT) != 0;
}

bool ClipboardHasRtf() {
  return IsClipboardFormatAvailable(RtfClipboardFormat()) != 0;
}

bool OleInit() {
  if (g_oleReady) return true;
  const HRESULT hr = OleInitialize(nullptr);
  // S_FALSE: already initialised on this thread, which is fine too.
  g_oleReady = SUCCEEDED(hr);
  return g_oleReady;
}

void OleTerm() {
  if (!g_oleReady) return;
  OleUninitialize();
  g_oleReady = false;
}

}  // namespace fw
