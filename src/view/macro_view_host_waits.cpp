// The key queue of the wait statements and the registry values of the
// registry statements: the only place the macro statements reach advapi32.
#include <windows.h>

#include <string>
#include <vector>

#include "view/macro_view_host.h"

namespace view {

// waits, keys, registry

int MacroViewHost::TakeKeyDown() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
      const int code = static_cast<int>(msg.wParam & 0xFF);
      if (code != 0) return code;
    }
  }
  return -1;
}

int MacroViewHost::ReadRegistryValue(const CString& key, const CString& name, std::uint32_t maxBytes,
                                     std::uint32_t* type, std::string* data) {
  data->clear();
  HKEY k = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, key.GetString(), 0, KEY_READ, &k) != ERROR_SUCCESS) return macro::kRegistryNoKey;
  DWORD t = 0, size = 0;
  if (::RegQueryValueExA(k, name.GetString(), nullptr, &t, nullptr, &size) != ERROR_SUCCESS) {
    ::RegCloseKey(k);
    return macro::kRegistryNoValue;
  }
  *type = t;
  if (size > 0 && size < maxBytes) {
    std::vector<BYTE> buffer(maxBytes, 0);
    DWORD got = maxBytes;
    // A value that cannot be read (it may have grown since) reads as empty.
    if (::RegQueryValueExA(k, name.GetString(), nullptr, &t, buffer.data(), &got) == ERROR_SUCCESS && got < maxBytes)
      data->assign(reinterpret_cast<const char*>(buffer.data()), got);
  }
  ::RegCloseKey(k);
  return macro::kRegistryOk;
}

int MacroViewHost::WriteRegistryValue(const CString& key, const CString& name, std::uint32_t type,
                                      const std::string& data) {
  HKEY k = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, key.GetString(), 0, KEY_WRITE, &k) != ERROR_SUCCESS) return macro::kRegistryNoKey;
  const LONG r = ::RegSetValueExA(k, name.GetString(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                                  static_cast<DWORD>(data.size()));
  ::RegCloseKey(k);
  return r == ERROR_SUCCESS ? macro::kRegistryOk : macro::kRegistryWriteFailed;
}

}  // namespace view
