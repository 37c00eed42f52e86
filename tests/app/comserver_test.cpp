#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/comserver.h"
#include "res/resource.h"

namespace {

const char kClsidKey[] = "CLSID\\{6F3A2C1E-9B7D-4E21-A5C3-7D14B0E8F2A9}";

bool KeyExists(HKEY root, const std::string& path) {
  HKEY h = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
  RegCloseKey(h);
  return true;
}

std::string DefaultValue(HKEY root, const std::string& path) {
  char buf[MAX_PATH] = {};
  DWORD size = sizeof buf;
  if (RegGetValueA(root, path.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, buf, &size) != ERROR_SUCCESS)
    return "";
  return buf;
}

}  // namespace

TEST(ComServer, RegistersPerUserOnly) {
  HINSTANCE module = GetModuleHandleA(nullptr);
  ASSERT_TRUE(app::RegisterServer(module, IDR_REGISTRY_SCRIPT));
  std::string user = std::string("Software\\Classes\\") + kClsidKey;
  ASSERT_TRUE(KeyExists(HKEY_CURRENT_USER, user));
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(module, exe, MAX_PATH);
  EXPECT_EQ(std::string(exe), DefaultValue(HKEY_CURRENT_USER, user + "\\LocalServer32"));
  EXPECT_EQ("Tabrye.Document", DefaultValue(HKEY_CURRENT_USER, user + "\\ProgID"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string("Software\\Classes\\") + kClsidKey));

  // Registering twice changes nothing; unregistering removes both trees.
  ASSERT_TRUE(app::RegisterServer(module, IDR_REGISTRY_SCRIPT));
  ASSERT_TRUE(app::UnregisterServer(module, IDR_REGISTRY_SCRIPT));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, user));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Classes\\Tabrye.Document"));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\Classes\\CLSID"));
}

TEST(ComServer, ClassObjectMakesAnEmptyAutomationObject) {
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  {
    app::ClassObjectRegistration reg;
    EXPECT_EQ(S_OK, reg.Register());
    IDispatch* disp = nullptr;
    ASSERT_EQ(S_OK, app::DocumentClassFactory()->CreateInstance(nullptr, IID_IDispatch,
                                                                 reinterpret_cast<void**>(&disp)));
    UINT count = 1;
    EXPECT_EQ(S_OK, disp->GetTypeInfoCount(&count));
    EXPECT_EQ(0u, count);
    disp->Release();
  }
  CoUninitialize();
}
