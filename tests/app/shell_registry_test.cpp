// Start-ups that write the user's registry (server registration, recent
// files): they share keys with Tabrye.exe and the server tests, so they run
// alone.
#include <gtest/gtest.h>

#include "app/comserver.h"
#include "res/resource.h"
#include "shell_fixture.h"

using shelltest::ShellTest;

namespace {

bool KeyExists(HKEY root, const char* path) {
  HKEY h = nullptr;
  if (RegOpenKeyExA(root, path, 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
  RegCloseKey(h);
  return true;
}

const char kClsidPath[] = "Software\\Classes\\CLSID\\{6F3A2C1E-9B7D-4E21-A5C3-7D14B0E8F2A9}";

}  // namespace

TEST_F(ShellTest, StartRegistersTheServerBelowTheUserOnly) {
  app::UnregisterServer(GetModuleHandleA(nullptr), IDR_REGISTRY_SCRIPT);
  ASSERT_FALSE(KeyExists(HKEY_CURRENT_USER, kClsidPath));
  ASSERT_TRUE(Start("", true));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kClsidPath));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\Classes\\Tabrye.Document"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kClsidPath));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Classes\\Tabrye.Document"));
  TearDown();
  SetUp();
  // "/UnregServer" removes it again and starts nothing.
  EXPECT_FALSE(Start("/UnregServer", true));
  EXPECT_TRUE(app_->StoppedAfterRegistration());
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kClsidPath));
}

TEST_F(ShellTest, RecentFilesLiveUnderTheProgramsKey) {
  ASSERT_TRUE(Start(""));
  ASSERT_NE(nullptr, app_->GetRecentFileList());
  EXPECT_EQ(10, app_->GetRecentFileList()->GetSize());
  app_->AddToRecentFileList("C:\\recent.txt");
  app_->SaveStdProfileSettings();
  HKEY key = nullptr;
  const std::string path = "Software\\" + shelltest::RegistryKeyName() + "\\Tabrye\\Recent File List";
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key));
  char value[MAX_PATH] = {};
  DWORD size = sizeof value;
  EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "File1", nullptr, nullptr,
                                            reinterpret_cast<BYTE*>(value), &size));
  RegCloseKey(key);
  EXPECT_STREQ("C:\\recent.txt", value);
}

