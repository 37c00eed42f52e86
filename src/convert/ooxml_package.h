// Office Open XML packages (".xlsx", ".docx", ".pptx"): the parts inside the
// ZIP, reached by their paths below the package root, and the start every
// converter of these files shares.
//
// Paths are compared without regard to ASCII case, as the Windows file
// system compares them, and "/" and "\" are the same separator: the package
// may hold "ppt/slideLayouts/slideLayout1.xml" where a converter asks for
// "ppt\SlideLayouts\SlideLayout1.xml". A leading separator is ignored.
//
// Two implementations answer the same questions: FolderPackage over the
// folder the package was unpacked into (the program), MemoryPackage over a
// map of member names to bytes (tests and fuzzing).
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "convert/convert_host.h"
#include "convert/load_buffer.h"
#include "core/docsvc/scratch_lock.h"
#include "fw/cstring.h"

namespace convert {

// One part opened for reading.
class PartReader {
 public:
  virtual ~PartReader() = default;
  // The part's size in bytes as its file (or member) declares it.
  virtual std::uint64_t Size() = 0;
  // Reads up to `count` bytes from the current position; fewer only at the
  // end (or on a read error).
  virtual std::size_t Read(void* buffer, std::size_t count) = 0;
};

class OoxmlPackage {
 public:
  virtual ~OoxmlPackage() = default;
  // The part at `path`; nullptr when it is not there or does not open.
  virtual std::unique_ptr<PartReader> Open(const CString& path) = 0;
  // Whether a file (a part) of that path exists.
  virtual bool FileExists(const CString& path) = 0;
  // Whether a folder of that path exists (it holds at least one part, or the
  // package lists it as a folder).
  virtual bool FolderExists(const CString& path) = 0;
};

// The normal form of a part path for comparing: separators "/", no leading
// or doubled separator, ASCII letters in lower case.
std::string PackagePathKey(const char* path);

// The parts unpacked below a folder (a program path). Each path component
// that is not found as written is looked up in its folder without regard to
// case, so a case-sensitive file system answers like Windows.
class FolderPackage : public OoxmlPackage {
 public:
  explicit FolderPackage(const CString& root);
  std::unique_ptr<PartReader> Open(const CString& path) override;
  bool FileExists(const CString& path) override;
  bool FolderExists(const CString& path) override;
  // The program path of an existing entry below the root ("" when none).
  CString Resolve(const CString& path) const;

 private:
  CString m_root;
};

// Parts held in memory, by member name ("xl/workbook.xml"). A name ending in
// a separator is a folder entry.
class MemoryPackage : public OoxmlPackage {
 public:
  void Add(const std::string& name, std::string bytes);
  // A part whose reader declares `declaredSize` bytes whatever it holds
  // (a member that claims more than it has).
  void AddDeclared(const std::string& name, std::string bytes, std::uint64_t declaredSize);
  std::unique_ptr<PartReader> Open(const CString& path) override;
  bool FileExists(const CString& path) override;
  bool FolderExists(const CString& path) override;

 private:
  struct Member {
    std::string bytes;
    std::uint64_t declared = 0;
  };
  std::map<std::string, Member> m_parts;  // by PackagePathKey
  std::set<std::string> m_folders;        // folder entries, by PackagePathKey
};

// The three converters of packages; they differ in their results.
enum class OoxmlKind { kXlsx, kPptx, kDocx };

// "\TMP\XLSX" below the program folder gets the parts.
struct PackageRequest {
  CString path;                        // the Office file
  CString programDir;                  // m_strProgramDir
  bool unzipBound = false;             // the outside UnZip library is bound
  ConvertHost* host = nullptr;         // unpacks; nullptr: the own codec here
};

struct PackageStart {
  // The scratch folder's lock, held while the parts are read: another
  // running copy unpacking into the same folder waits.
  std::unique_ptr<docsvc::ScratchLock> lock;
  // The package to read the parts from; nullptr when the conversion ends.
  std::unique_ptr<OoxmlPackage> package;
  // When package is nullptr: what the converter returns (the file does not
  // open: XLSX, PPTX -1, DOCX 0; the unpack failed: XLSX its negative
  // result, DOCX and PPTX 0; the scratch folder could not be emptied:
  // string 237 written to `out`, XLSX and PPTX -1, DOCX 0; so too when
  // another copy holds the folder longer than the lock's wait).
  int result = 0;
  int unzipMode = 0;                   // the unpack mode chosen (0 own, 1 library)
  std::uint64_t fileLength = 0;
};

// The start of every package conversion: the scratch folder is emptied
// (docsvc::EmptyScratchFolder; an earlier package's parts never survive),
// the file is opened for its length, the unpack mode chosen (1 only with the
// library bound and a file above 200,000 bytes) and the package unpacked
// into the folder through the host.
PackageStart OpenOoxmlPackage(const PackageRequest& request, OoxmlKind kind, LoadBuffer& out);

// The program's own unpacking of every member of `zipName` into files below
// `destDir` (the folder is made when missing): 0 or more on success, -1 on a
// failure (the code text in *code when given), -9 when memory ran out.
int UnzipPackageOwn(const CString& zipName, const CString& destDir, std::string* code = nullptr);

}  // namespace convert
