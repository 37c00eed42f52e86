// The file a reader works on, behind positioned reads: a file on disk for the
// program, bytes in memory for tests and fuzzing. A read never returns more
// than the file holds; readers bound every field by the bytes a read gave.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace convert {

class SourceFile {
 public:
  virtual ~SourceFile() = default;
  virtual std::int64_t Length() const = 0;
  // Copies up to `count` bytes from `offset` into `buffer`; the bytes copied
  // (0 past the end or on a read error).
  virtual std::size_t ReadAt(std::int64_t offset, void* buffer, std::size_t count) = 0;
};

class MemorySource : public SourceFile {
 public:
  MemorySource(const void* data, std::size_t length)
      : m_data(static_cast<const std::uint8_t*>(data)), m_length(length) {}
  std::int64_t Length() const override { return static_cast<std::int64_t>(m_length); }
  std::size_t ReadAt(std::int64_t offset, void* buffer, std::size_t count) override;

 private:
  const std::uint8_t* m_data;
  std::size_t m_length;
};

// A memory source that keeps its own copy of the bytes (files made in memory).
class OwnedMemorySource : public SourceFile {
 public:
  explicit OwnedMemorySource(std::string bytes) : m_bytes(std::move(bytes)), m_mem(m_bytes.data(), m_bytes.size()) {}
  explicit OwnedMemorySource(const std::vector<std::uint8_t>& bytes)
      : OwnedMemorySource(std::string(bytes.begin(), bytes.end())) {}
  std::int64_t Length() const override { return m_mem.Length(); }
  std::size_t ReadAt(std::int64_t at, void* buffer, std::size_t count) override { return m_mem.ReadAt(at, buffer, count); }

 private:
  std::string m_bytes;
  MemorySource m_mem;
};

// A file opened for reading; nullptr when it does not open.
std::unique_ptr<SourceFile> OpenSourceFile(const char* path);

// Reads up to `count` bytes at `offset` into `window` (resized to the bytes
// read, and no larger).
void ReadWindow(SourceFile& file, std::int64_t offset, std::size_t count, std::vector<std::uint8_t>& window);

}  // namespace convert
