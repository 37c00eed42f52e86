#include "fw/strtable.h"

#include <map>
#include <mutex>

#ifdef _WIN32
#include <windows.h>

#include "fw/codepage.h"
#endif

namespace fw {
namespace {

std::mutex g_mutex;

std::map<unsigned, std::string>& Table() {
  static std::map<unsigned, std::string> table;
  return table;
}

#ifdef _WIN32
// String resources are UTF-16; converting them with code page 932 here keeps
// the texts right whatever the system's ANSI code page is.
bool LoadResourceString(unsigned id, std::string& text) {
  const wchar_t* res = nullptr;
  int n = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&res), 0);
  if (n <= 0 || res == nullptr) return false;
  text = Utf16ToCp932(reinterpret_cast<const char16_t*>(res), static_cast<std::size_t>(n));
  return true;
}
#endif

}  // namespace

bool LookupString(unsigned id, std::string& text) {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = Table().find(id);
    if (it != Table().end()) {
      text = it->second;
      return true;
    }
  }
#ifdef _WIN32
  return LoadResourceString(id, text);
#else
  return false;
#endif
}

void SetStringTableEntry(unsigned id, const char* text) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (text == nullptr) {
    Table().erase(id);
  } else {
    Table()[id] = text;
  }
}

void ClearStringTable() {
  std::lock_guard<std::mutex> lock(g_mutex);
  Table().clear();
}

}  // namespace fw
