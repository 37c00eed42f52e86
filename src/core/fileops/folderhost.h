// Where the file operations read folders from: the process's current
// directory and the entries of a folder. The product reads the local file
// system (LocalFolderHost); tests and fuzzing use an in-memory tree
// (MemoryFolderHost); FTP and network sources plug in here later.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace fileops {

// Attribute bits as the system reports them.
constexpr std::uint32_t kAttrReadOnly = 0x01;
constexpr std::uint32_t kAttrHidden = 0x02;
constexpr std::uint32_t kAttrSystem = 0x04;
constexpr std::uint32_t kAttrFolder = 0x10;
constexpr std::uint32_t kAttrArchive = 0x20;
constexpr std::uint32_t kAttrReparse = 0x400;  // junctions and symbolic links

struct FolderEntry {
  std::string name;            // Shift-JIS
  std::uint64_t size = 0;
  std::uint32_t attributes = 0;
  std::int64_t mtime = 0;      // seconds since 1970 (UTC)
};

class FolderHost {
 public:
  virtual ~FolderHost() = default;
  // Makes `path` (Shift-JIS, absolute) the current directory; false when it
  // cannot be entered.
  virtual bool SetCurrentDir(const std::string& path) = 0;
  virtual std::string CurrentDir() const = 0;
  // Calls `each` for every entry of the current directory ("." and ".."
  // too when the system lists them) until it returns false. False when the
  // folder cannot be read.
  virtual bool ListCurrentDir(const std::function<bool(const FolderEntry&)>& each) = 0;
};

// The local file system: the system's folder reading (on Windows the find
// functions, natively readdir with one lstat per entry) and the current
// directory of the process.
class LocalFolderHost : public FolderHost {
 public:
  bool SetCurrentDir(const std::string& path) override;
  std::string CurrentDir() const override { return m_current; }
  bool ListCurrentDir(const std::function<bool(const FolderEntry&)>& each) override;

 private:
  std::string m_current;
};

// An in-memory tree: paths are "\"-separated, compared byte for byte.
class MemoryFolderHost : public FolderHost {
 public:
  MemoryFolderHost();
  // Adds a folder (and its parents) or a file.
  void AddFolder(const std::string& path, std::uint32_t extraAttributes = 0, std::int64_t mtime = 0);
  void AddFile(const std::string& path, std::uint64_t size, std::int64_t mtime, std::uint32_t attributes = kAttrArchive);
  // A folder that is listed but cannot be entered.
  void Lock(const std::string& path) { m_locked[Normal(path)] = true; }

  bool SetCurrentDir(const std::string& path) override;
  std::string CurrentDir() const override { return m_current; }
  bool ListCurrentDir(const std::function<bool(const FolderEntry&)>& each) override;
  int entered = 0;  // SetCurrentDir calls that succeeded

 private:
  static std::string Normal(const std::string& path);
  std::map<std::string, std::vector<FolderEntry>> m_folders;
  std::map<std::string, bool> m_locked;
  std::string m_current;
};

// The path with ".." and "." components resolved and one "\" between
// components ("C:" for a drive root).
std::string ResolvePath(const std::string& base, const std::string& path);

// Enters a folder (the local branch): 1 when `skip` is not 0 (nothing
// done); else 0 entered, -1 not. A path of fewer than 3 characters ("C:")
// gets a "\" appended. `useFtp` is taken for the FTP branch that comes with
// the FTP sources; the local branch ignores it.
int ChangeDirectory(FolderHost& host, const std::string& path, int useFtp, int skip);

}  // namespace fileops
