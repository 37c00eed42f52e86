#include "fw/msgbox.h"

#include <mutex>

#include "fw/strtable.h"
#include "fw/uihooks.h"

namespace fw {
namespace {

struct MsgState {
  std::mutex mu;
  std::string title = "Tabry-Editor";
};

MsgState& M() {
  static MsgState s;
  return s;
}

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
  return GetModuleHandleA(nullptr);
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
  if (!fw::LookupString(stringId, text)) text = "String " + std::to_string(stringId) + " is missing.";
  return AfxMessageBox(text.c_str(), type, helpId);
}
