#include "fw/registry.h"

#include <string>
#include <vector>

namespace fw {

namespace {

// Texts longer than this are no command or name the program reads.
constexpr DWORD kMaxText = 64 * 1024;

CString Expanded(const std::string& text) {
  const DWORD need = ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
  if (need == 0 || need > kMaxText) return CString(text);
  std::vector<char> buf(need + 1, '\0');
  const DWORD got = ExpandEnvironmentStringsA(text.c_str(), buf.data(), need + 1);
  if (got == 0 || got > need + 1) return CString(text);
  return CString(buf.data());
}

}  // namespace

bool ReadRegistryText(HKEY root, const char* subKey, const char* name, CString* out) {
  out->Empty();
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, subKey ? subKey : "", 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  const char* value = (name && *name) ? name : nullptr;
  bool ok = false;
  DWORD type = 0;
  DWORD size = 0;
  LONG r = RegQueryValueExA(key, value, nullptr, &type, nullptr, &size);
  // The value may grow between the two calls: ask again with its new size.
  for (int tries = 0; tries < 3 && r == ERROR_SUCCESS; ++tries) {
    if (type != REG_SZ && type != REG_EXPAND_SZ) break;
    if (size > kMaxText) break;
    std::vector<char> buf(size + 1, '\0');
    DWORD got = size;
    r = RegQueryValueExA(key, value, nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &got);
    if (r == ERROR_MORE_DATA) {
      size = got;
      r = ERROR_SUCCESS;
      continue;
    }
    if (r != ERROR_SUCCESS) break;
    // The stored text need not end in a NUL: take at most `got` bytes.
    std::string text(buf.data(), got <= size ? got : size);
    const std::size_t nul = text.find('\0');
    if (nul != std::string::npos) text.resize(nul);
    *out = type == REG_EXPAND_SZ ? Expanded(text) : CString(text);
    ok = true;
    break;
  }
  RegCloseKey(key);
  return ok;
}

bool RegistryKeyExists(HKEY root, const char* subKey) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, subKey ? subKey : "", 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

}  // namespace fw
