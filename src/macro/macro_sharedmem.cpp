#include "macro/macro_sharedmem.h"

#include <cstring>

#include "fw/shared_block.h"

namespace macro {
namespace {

using fw::SharedBlock;

std::size_t TextLength(const std::uint8_t* text, std::size_t cap) {
  const void* nul = std::memchr(text, 0, cap);
  return nul ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - text) : cap;
}

// Modes 1 and 4: the text of `buffer` with its NUL at `offset` (mode 1) or
// after the block's text (mode 4 on an existing block).
int Write(const char* name, const std::uint8_t* buffer, std::size_t bufferSize, int offset, int size, int mode,
          int mapSize) {
  if (offset < 0 || size < 0 || mapSize < 0 || size > mapSize) return -1;
  const std::size_t len = TextLength(buffer, bufferSize);
  SharedBlock block;
  bool created = false;
  if (!block.OpenOrCreate(name, static_cast<std::uint32_t>(mapSize), &created)) return -1;
  const bool append = mode == 4 && !created;
  if (!block.Map(append ? 0 : static_cast<std::size_t>(size), true)) return -1;
  std::uint8_t* data = block.Data();
  const std::size_t cap = block.MappedSize();
  const std::size_t at = append ? TextLength(data, cap) : static_cast<std::size_t>(offset);
  if (at > cap || cap - at < len + 1) return -1;  // the text and its NUL must fit the mapping
  std::memcpy(data + at, buffer, len);
  data[at + len] = 0;
  block.KeepUntilExit();
  return 0;
}

// Modes 2, 3 and 5.
int Read(const char* name, std::uint8_t* buffer, std::size_t bufferSize, int offset, int size, int mode) {
  if (offset < 0 || size < 0) return -1;
  SharedBlock block;
  switch (block.Open(name, false)) {
    case SharedBlock::OpenResult::kMissing: return 0;
    case SharedBlock::OpenResult::kFailed: return -1;
    case SharedBlock::OpenResult::kOpened: break;
  }
  if (!block.Map(static_cast<std::size_t>(size), false)) return -1;
  const std::uint8_t* data = block.Data();
  const std::size_t cap = block.MappedSize();
  const auto at = static_cast<std::size_t>(offset);
  if (mode == 5) {
    // Exactly `size` − `offset` bytes: a size not above the offset asks for
    // nothing that exists, and the mapping (of `size` bytes) bounds the end.
    if (size <= offset) return -1;
    const auto end = static_cast<std::size_t>(size);
    if (end > cap) return -1;
    std::size_t n = end - at;
    if (n > bufferSize) n = bufferSize;
    if (n > 0x7FFFFFFF) n = 0x7FFFFFFF;
    if (n > 0) std::memcpy(buffer, data + at, n);
    return static_cast<int>(n);
  }
  const std::size_t len = TextLength(data, cap);
  if (len > 0x7FFFFFFF) return -1;
  if (mode == 3 || len == 0) return static_cast<int>(len);
  if (at > len || bufferSize == 0) return -1;
  std::size_t n = len - at;
  if (n > bufferSize - 1) n = bufferSize - 1;
  std::memcpy(buffer, data + at, n);
  buffer[n] = 0;
  return static_cast<int>(n);
}

// Mode 0, the delete of "savemfile" with 'c': the handle this copy keeps
// for the block is let go, so the block ends once no other copy holds it
// (a probe alone would leave it for the life of the program).
void Release(const char* name) {
  SharedBlock::ReleaseKept(name);
  SharedBlock block;
  if (block.Open(name, false) == SharedBlock::OpenResult::kOpened) block.Map(0, false);
}

}  // namespace

int TransferSharedMemory(const char* name, std::uint8_t* buffer, std::size_t bufferSize, int offset, int size,
                         int mode, int mapSize) {
  if (name == nullptr) return mode == 0 ? 0 : -1;
  switch (mode) {
    case 0:
      Release(name);
      return 0;
    case 1:
    case 4:
      if (buffer == nullptr) return -1;
      return Write(name, buffer, bufferSize, offset, size, mode, mapSize);
    case 2:
    case 5:
      if (buffer == nullptr && bufferSize > 0) return -1;
      return Read(name, buffer, bufferSize, offset, size, mode);
    case 3:
      return Read(name, nullptr, 0, 0, size, mode);
    default:
      return 0;
  }
}

std::int64_t SharedMemorySource::Size() { return TransferSharedMemory(m_name, nullptr, 0, 0, 0, 3, m_mapSize); }

std::int64_t SharedMemorySource::ReadAt(std::uint64_t offset, void* dst, std::size_t n) {
  if (n == 0) return 0;
  const std::uint64_t end = offset + n;
  if (end > 0x7FFFFFFF) return -1;
  return TransferSharedMemory(m_name, static_cast<std::uint8_t*>(dst), n, static_cast<int>(offset),
                              static_cast<int>(end), 5, m_mapSize);
}

}  // namespace macro
