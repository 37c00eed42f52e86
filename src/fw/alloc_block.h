// Resizing and scoped blocks of fw::Alloc, for buffers whose sizes come from
// 64-bit arithmetic (a size past the address space is refused like a
// shortage).
#pragma once

#include <cstddef>
#include <cstdint>

#include "fw/alloc.h"

namespace fw {

// Resizes `block` to `bytes` (the contents up to the smaller size kept);
// false, with the block as it was, when the memory is refused or the size is
// 0 or past the address space.
inline bool ResizeBlock(std::uint8_t*& block, std::uint64_t bytes) {
  if (bytes == 0 || bytes > SIZE_MAX) return false;
  void* grown = Realloc(block, static_cast<std::size_t>(bytes));
  if (!grown) return false;
  block = static_cast<std::uint8_t*>(grown);
  return true;
}

// A block of Alloc that goes with its scope; get() is nullptr when the
// memory was refused (or `bytes` was 0 or past the address space).
class ScopedBlock {
 public:
  explicit ScopedBlock(std::uint64_t bytes)
      : p_(bytes > 0 && bytes <= SIZE_MAX ? static_cast<std::uint8_t*>(Alloc(static_cast<std::size_t>(bytes)))
                                          : nullptr) {}
  ~ScopedBlock() { Free(p_); }
  ScopedBlock(const ScopedBlock&) = delete;
  ScopedBlock& operator=(const ScopedBlock&) = delete;
  std::uint8_t* get() const { return p_; }

 private:
  std::uint8_t* p_;
};

}  // namespace fw
