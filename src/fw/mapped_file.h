// A read-only view of a whole file mapped into memory, for reading large
// files without copying them. The bytes stay valid until Close() or the
// object is destroyed. Another program shortening the file while it is
// mapped is not guarded against (the system would fault on the lost pages).
#pragma once

#include <cstdint>

#include "fw/file.h"

namespace fw {

class MappedFile {
 public:
  MappedFile() = default;
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  ~MappedFile() { Close(); }

  // false on failure, with the cause in *error when given. An empty file
  // opens with Size() 0 and a non-null Data().
  bool Open(const char* path, CFileException* error = nullptr);
  void Close();

  bool IsOpen() const { return m_data != nullptr; }
  const unsigned char* Data() const { return m_data; }
  std::uint64_t Size() const { return m_size; }

 private:
  const unsigned char* m_data = nullptr;
  std::uint64_t m_size = 0;
  bool m_mapped = false;      // m_data is a system mapping (not the empty marker)
#ifdef _WIN32
  std::intptr_t m_handle = -1;  // the mapping object
#endif
};

}  // namespace fw
