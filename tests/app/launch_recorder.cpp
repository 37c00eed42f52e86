// Stand-in program of the launch tests: writes how it was started into the
// file named by the environment variable TABRYE_LAUNCH_RECORD, as UTF-8
// lines "cmdline=", "show=" (wShowWindow, -1 without STARTF_USESHOWWINDOW)
// and "folder=" (its working folder), then ends. The file appears whole: it
// is written under another name and renamed.
#include <windows.h>

#include <string>

namespace {

std::string Utf8(const wchar_t* text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return std::string();
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], n, nullptr, nullptr);
  out.resize(static_cast<std::size_t>(n - 1));
  return out;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  wchar_t record[MAX_PATH * 2] = {};
  const DWORD n = GetEnvironmentVariableW(L"TABRYE_LAUNCH_RECORD", record, MAX_PATH * 2);
  if (n == 0 || n >= MAX_PATH * 2) return 2;
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  GetStartupInfoW(&si);
  wchar_t folder[MAX_PATH * 2] = {};
  GetCurrentDirectoryW(MAX_PATH * 2, folder);
  std::string text = "cmdline=" + Utf8(GetCommandLineW()) + "\n";
  text += "show=" + std::to_string((si.dwFlags & STARTF_USESHOWWINDOW) ? static_cast<int>(si.wShowWindow) : -1) + "\n";
  text += "folder=" + Utf8(folder) + "\n";
  const std::wstring part = std::wstring(record) + L".part";
  HANDLE h = CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return 3;
  DWORD written = 0;
  const BOOL ok = WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(h);
  if (!ok || written != text.size()) return 4;
  return MoveFileExW(part.c_str(), record, MOVEFILE_REPLACE_EXISTING) ? 0 : 5;
}
