// How the ".xlsx" reader loads its parts: one part at a time into one text
// buffer, quiet about missing parts, with the loader's message for a part
// that exists but does not load, and the first damaged part remembered.
#pragma once

#include <cstdint>
#include <string>

#include "convert/load_buffer.h"
#include "convert/ooxml_package.h"
#include "convert/ooxml_part.h"

namespace convert {

class XlsxParts {
 public:
  XlsxParts(OoxmlPackage& package, std::uint64_t memoryLimit, LoadBuffer& out)
      : m_package(package), m_limit(memoryLimit), m_out(out) {}

  // Loads `path` (below the package root) into Text(). False, the text
  // empty, when the part is missing or did not load.
  bool Load(const char* path);
  bool Exists(const char* path) { return m_package.FileExists(CString(path)); }
  bool FolderExists(const char* path) { return m_package.FolderExists(CString(path)); }
  const PartText& Text() const { return m_text; }
  // The first part that ended inside a tag ("" when none).
  const std::string& Damaged() const { return m_damaged; }
  void MarkDamaged(const char* path) {
    if (m_damaged.empty()) m_damaged = path;
  }

 private:
  OoxmlPackage& m_package;
  std::uint64_t m_limit;
  LoadBuffer& m_out;
  PartText m_text;
  std::string m_damaged;
};

}  // namespace convert
