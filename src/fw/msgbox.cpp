#include "fw/msgbox.h"

#include <mutex>

#include "fw/uihooks.h"

namespace fw {
namespace {

struct MsgState {
  std::mutex mu;
  std::string title = "Tabry-Editor";
  HINSTANCE module = nullptr;
};

MsgState& M() {
  static MsgState s;
  return s;
}

// Code page of every text of the program.
const UINT kSjis = 932;

}  // namespace

void SetMessageBoxTitle(const char* title) {
  std::lock_guard<std::mutex> lock(M().mu);
  M().title = title ? title : "";
}

std::string MessageBoxTitle() {
  std::lock_guard<std::mutex> lock(M().mu);
  return M().title;
}

HINSTANCE ResourceModule() {
  std::lock_guard<std::mutex> lock(M().mu);
  return M().module ? M().module : GetModuleHandleA(nullptr);
}

void SetResourceModule(HINSTANCE module) {
  std::lock_guard<std::mutex> lock(M().mu);
  M().module = module;
}

bool LoadResString(unsigned id, std::string* out) {
  out->clear();
  // With a zero buffer size LoadStringW hands out the resource's own text.
  const wchar_t* text = nullptr;
  int len = LoadStringW(ResourceModule(), id, reinterpret_cast<LPWSTR>(&text), 0);
  if (len <= 0 || !text) return false;
  int n = WideCharToMultiByte(kSjis, 0, text, len, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return false;
  out->resize(static_cast<size_t>(n));
  WideCharToMultiByte(kSjis, 0, text, len, &(*out)[0], n, nullptr, nullptr);
  return true;
}

int ShowMessageBox(HWND owner, const char* text, const char* caption, unsigned type) {
  int answer = 0;
  if (hooks::AnswerMessageBox(text, caption, type, &answer)) return answer;
  return MessageBoxA(owner, text ? text : "", caption, type);
}

}  // namespace fw

int AfxMessageBox(const char* text, unsigned type, unsigned helpId) {
  if ((type & MB_ICONMASK) == 0) {
    switch (type & MB_TYPEMASK) {
      case MB_OK:
      case MB_OKCANCEL: type |= MB_ICONEXCLAMATION; break;
      case MB_YESNO:
      case MB_YESNOCANCEL: type |= MB_ICONQUESTION; break;
      default: break;
    }
  }
  const std::string title = fw::MessageBoxTitle();
  return fw::ShowMessageBox(GetActiveWindow(), text, title.c_str(), type);
}

int AfxMessageBox(unsigned stringId, unsigned type, unsigned helpId) {
  std::string text;
  if (!fw::LoadResString(stringId, &text)) text = "String " + std::to_string(stringId) + " is missing.";
  return AfxMessageBox(text.c_str(), type, helpId);
}
