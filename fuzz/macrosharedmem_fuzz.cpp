// The shared-memory transfer over an arbitrary block image: the block is
// filled with the input (repeated to its whole size, so it may hold no
// NUL at all), then read in modes 2, 3 and 5 and appended to in mode 4 with
// an offset, a mapped size and a buffer size taken from the input. Every
// result is checked against a model of the block, and no byte past the
// caller's buffer or the mapping is touched (guard bytes; ASan on the
// block's own storage).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fw/shared_block.h"
#include "macro/macro_sharedmem.h"

namespace {

constexpr const char* kName = "TabryeFuzz_sharedmem";
constexpr std::uint8_t kGuard = 0xA5;
constexpr std::size_t kGuardBytes = 64;

int Le16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }

// The text length of the model: up to the first NUL within `cap` bytes.
std::size_t TextLen(const std::vector<std::uint8_t>& image, std::size_t cap) {
  const void* nul = std::memchr(image.data(), 0, cap);
  return nul ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - image.data()) : cap;
}

// The guard bytes behind the buffer (compared whole: no per-byte loop in
// the target, whose comparisons the fuzzer would trace).
void CheckGuard(const std::vector<std::uint8_t>& buf, std::size_t from) {
  static const std::vector<std::uint8_t> guard(kGuardBytes, kGuard);
  if (buf.size() - from != kGuardBytes || std::memcmp(buf.data() + from, guard.data(), kGuardBytes) != 0)
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 8 || size > 20000) return 0;
  const int offset = Le16(data) % 12000;
  const int mapBytes = Le16(data + 2) % 12000;   // 0: the whole block
  const std::size_t bufSize = static_cast<std::size_t>(Le16(data + 4) % 12000);
  const std::size_t blockAsk = 1 + static_cast<std::size_t>(data[6]) * 40;
  const std::uint8_t* rest = data + 8;
  const std::size_t restLen = size - 8;

  fw::SharedBlock block;
  if (!block.OpenOrCreate(kName, static_cast<std::uint32_t>(blockAsk))) std::abort();
  if (!block.Map(0, true)) std::abort();
  const std::size_t mapped = block.MappedSize();
  std::vector<std::uint8_t> image(mapped, 'x');
  for (std::size_t at = 0; restLen > 0 && at < mapped; at += restLen)
    std::memcpy(image.data() + at, rest, std::min(restLen, mapped - at));
  std::memcpy(block.Data(), image.data(), mapped);

  const bool mapFits = static_cast<std::size_t>(mapBytes) <= mapped;
  const std::size_t cap = mapBytes == 0 ? mapped : static_cast<std::size_t>(mapBytes);
  std::vector<std::uint8_t> buf(bufSize + kGuardBytes, kGuard);

  // Mode 3: the text length within the mapping.
  int r = macro::TransferSharedMemory(kName, nullptr, 0, 0, mapBytes, 3, 0);
  const std::size_t len = mapFits ? TextLen(image, cap) : 0;
  if (!mapFits ? r != -1 : r != static_cast<int>(len)) std::abort();

  // Mode 2: the text from `offset`, cut to the buffer with its NUL.
  r = macro::TransferSharedMemory(kName, buf.data(), bufSize, offset, mapBytes, 2, 0);
  if (!mapFits) {
    if (r != -1) std::abort();
  } else if (len == 0) {
    if (r != 0) std::abort();
  } else if (static_cast<std::size_t>(offset) > len || bufSize == 0) {
    if (r != -1) std::abort();
  } else {
    const std::size_t n = std::min(len - static_cast<std::size_t>(offset), bufSize - 1);
    if (r != static_cast<int>(n)) std::abort();
    if (std::memcmp(buf.data(), image.data() + offset, n) != 0 || buf[n] != 0) std::abort();
  }
  CheckGuard(buf, bufSize);

  // Mode 5: exactly size − offset raw bytes, cut to the buffer.
  std::fill(buf.begin(), buf.end(), kGuard);
  r = macro::TransferSharedMemory(kName, buf.data(), bufSize, offset, mapBytes, 5, 0);
  if (mapBytes <= offset || !mapFits) {
    if (r != -1) std::abort();
  } else {
    const std::size_t n = std::min(static_cast<std::size_t>(mapBytes - offset), bufSize);
    if (r != static_cast<int>(n) || std::memcmp(buf.data(), image.data() + offset, n) != 0) std::abort();
  }
  CheckGuard(buf, bufSize);

  // Mode 4: the input's text after the block's text, when it fits whole.
  const std::size_t wholeLen = TextLen(image, mapped);
  const std::size_t add = std::min(restLen, bufSize);
  std::vector<std::uint8_t> text(rest, rest + add);
  const void* nul = add > 0 ? std::memchr(text.data(), 0, add) : nullptr;
  const std::size_t addLen = nul ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - text.data()) : add;
  r = macro::TransferSharedMemory(kName, text.empty() ? buf.data() : text.data(), add, offset, 0, 4, 20000);
  const bool fits = wholeLen < mapped && mapped - wholeLen >= addLen + 1;
  if (r != (fits ? 0 : -1)) std::abort();
  if (fits) {
    if ((addLen > 0 && std::memcmp(block.Data() + wholeLen, text.data(), addLen) != 0) ||
        block.Data()[wholeLen + addLen] != 0)
      std::abort();
    if (std::memcmp(block.Data(), image.data(), wholeLen) != 0) std::abort();
  } else if (std::memcmp(block.Data(), image.data(), mapped) != 0) {
    std::abort();
  }
  // The write kept a handle: let it go, so every input starts from a new block.
  macro::TransferSharedMemory(kName, nullptr, 0, 0, 0, 0, 0);
  block.Close();
  if (fw::SharedBlock().Open(kName, false) != fw::SharedBlock::OpenResult::kMissing) std::abort();
  return 0;
}
