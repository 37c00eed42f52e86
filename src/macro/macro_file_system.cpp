#include "macro/macro_file_system.h"

#include <string>
#include <system_error>

#include "fw/path.h"

namespace macro {

namespace {

std::filesystem::path SystemPath(const CString& path) {
#ifdef _WIN32
  return std::filesystem::path(fw::ToWidePath(path.GetString()));
#else
  return std::filesystem::path(fw::ToPosixPath(path.GetString()));
#endif
}

}  // namespace

std::filesystem::path MacroWorkingFolder() {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::current_path(ec);
  return ec ? std::filesystem::path() : p;
}

bool MacroSetWorkingFolder(const CString& path) {
  if (path.IsEmpty()) return false;
  std::error_code ec;
  std::filesystem::current_path(SystemPath(path), ec);
  return !ec;
}

void MacroRestoreWorkingFolder(const std::filesystem::path& folder) {
  if (folder.empty()) return;
  std::error_code ec;
  std::filesystem::current_path(folder, ec);
}

bool MacroCopyFile(const CString& from, const CString& to) {
  if (from.IsEmpty() || to.IsEmpty()) return false;
  std::error_code ec;
  const std::filesystem::path a = SystemPath(from), b = SystemPath(to);
  if (!std::filesystem::is_regular_file(a, ec)) return false;
  return std::filesystem::copy_file(a, b, std::filesystem::copy_options::overwrite_existing, ec) && !ec;
}

bool MacroIsFolder(const CString& path) {
  if (path.IsEmpty()) return false;
  std::error_code ec;
  return std::filesystem::is_directory(SystemPath(path), ec);
}

}  // namespace macro
