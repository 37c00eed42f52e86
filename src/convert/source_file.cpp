#include "convert/source_file.h"

#include <cstring>

#include "fw/file.h"

namespace convert {

std::size_t MemorySource::ReadAt(std::int64_t offset, void* buffer, std::size_t count) {
  if (offset < 0 || static_cast<std::uint64_t>(offset) >= m_length) return 0;
  std::size_t at = static_cast<std::size_t>(offset);
  std::size_t n = count < m_length - at ? count : m_length - at;
  std::memcpy(buffer, m_data + at, n);
  return n;
}

namespace {

class DiskSource : public SourceFile {
 public:
  bool Open(const char* path) {
    if (!m_file.Open(path, CFile::modeRead | CFile::shareDenyNone | CFile::typeBinary)) return false;
    try {
      m_length = static_cast<std::int64_t>(m_file.GetLength());
    } catch (...) {
      return false;
    }
    return true;
  }
  std::int64_t Length() const override { return m_length; }
  std::size_t ReadAt(std::int64_t offset, void* buffer, std::size_t count) override {
    if (offset < 0 || offset >= m_length) return 0;
    if (count > 0x40000000u) count = 0x40000000u;
    try {
      m_file.Seek(offset, CFile::begin);
      return m_file.Read(buffer, static_cast<UINT>(count));
    } catch (...) {
      return 0;
    }
  }

 private:
  CFile m_file;
  std::int64_t m_length = 0;
};

}  // namespace

std::unique_ptr<SourceFile> OpenSourceFile(const char* path) {
  auto file = std::make_unique<DiskSource>();
  if (!file->Open(path)) return nullptr;
  return file;
}

void ReadWindow(SourceFile& file, std::int64_t offset, std::size_t count, std::vector<std::uint8_t>& window) {
  // A fresh block of exactly the bytes read, so that a sanitizer sees any
  // read past them.
  std::vector<std::uint8_t> fresh(count);
  fresh.resize(file.ReadAt(offset, fresh.data(), count));
  fresh.shrink_to_fit();
  window.swap(fresh);
}

}  // namespace convert
