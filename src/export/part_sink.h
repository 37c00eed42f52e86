// Where the parts of an export package go: a folder tree (the scratch tree
// that is zipped afterwards) or memory (tests and fuzzing). Writing a part is
// the one place that decides its bytes on disk: the writers build XML parts
// as Shift-JIS text declared "Shift-JIS", and the sink stores every XML part
// as UTF-8, the only encodings the package format allows besides UTF-16.
#pragma once

#include <cstddef>
#include <map>
#include <string>

#include "fw/cstring.h"

namespace exportcore {

class ByteWriter;

// The bytes a part is stored with. For a part whose name ends ".xml" or
// ".rels": when its XML declaration names an encoding other than UTF-8, that
// name becomes "UTF-8" and the bytes go through fw::Cp932ToUtf8 (0x5C stays
// U+005C; a byte that starts no CP932 character becomes U+30FB); a part
// without a declaration is converted the same way; a part declared UTF-8 is
// stored as it is. Any other part (pictures) is stored unchanged.
std::string PartBytesOnDisk(const char* packagePath, const char* bytes, std::size_t len);

class PartSink {
 public:
  virtual ~PartSink() = default;

  // Stores one part at its package path ("xl/worksheets/sheet1.xml", '/'
  // between folders). False when it cannot be stored; the first such path
  // is kept (FirstFailure) so that the run can refuse to pack an incomplete
  // package.
  bool WritePart(const char* packagePath, const char* bytes, std::size_t len);
  bool WritePart(const char* packagePath, const ByteWriter& part);

  bool AnyFailed() const { return m_failed; }
  // The package path of the first part that could not be stored.
  const std::string& FirstFailure() const { return m_firstFailure; }
  // True when a part failed for lack of memory (not for the file system).
  bool MemoryShort() const { return m_memoryShort; }

 protected:
  virtual bool Store(const std::string& packagePath, const std::string& bytes) = 0;

 private:
  bool m_failed = false;
  bool m_memoryShort = false;
  std::string m_firstFailure;
};

// Parts as files below a root folder (a program path, Shift-JIS, "\"
// separators); the folders must exist. A part replaces an existing file.
class FolderPartSink : public PartSink {
 public:
  explicit FolderPartSink(const CString& root) : m_root(root) {}
  // The file path of a package path below the root.
  CString FilePath(const char* packagePath) const;

 protected:
  bool Store(const std::string& packagePath, const std::string& bytes) override;

 private:
  CString m_root;
};

// Parts kept in memory by package path (a part written twice keeps the
// later bytes). `refuse` names a path whose write fails, for tests.
class MemoryPartSink : public PartSink {
 public:
  std::map<std::string, std::string> parts;
  std::string refuse;

 protected:
  bool Store(const std::string& packagePath, const std::string& bytes) override;
};

}  // namespace exportcore
