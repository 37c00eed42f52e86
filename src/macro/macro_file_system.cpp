#include "macro/macro_file_system.h"

#include <string>
#include <system_error>
#include <vector>

#include "fw/file.h"
#include "fw/path.h"

namespace macro {

namespace {

constexpr UINT kCopyBlock = 1 << 20;

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
  if (from.IsEmpty() || to.IsEmpty() || MacroIsFolder(from)) return false;
  CFile in, out;
  if (!in.Open(from.GetString(), CFile::modeRead | CFile::shareDenyWrite)) return false;
  if (!out.Open(to.GetString(), CFile::modeCreate | CFile::modeWrite)) {
    in.Abort();
    return false;
  }
  try {
    std::vector<char> block(kCopyBlock);
    for (UINT got; (got = in.Read(block.data(), kCopyBlock)) > 0;) out.Write(block.data(), got);
    in.Close();
    out.Close();
    return true;
  } catch (const CFileException&) {
    in.Abort();
    out.Abort();
    return false;
  }
}

bool MacroIsFolder(const CString& path) {
  if (path.IsEmpty()) return false;
  std::error_code ec;
  return std::filesystem::is_directory(SystemPath(path), ec);
}

}  // namespace macro
