#include "view/viewload/showchunks.h"

#include <cstdint>
#include <cstring>

#include "fw/sjis.h"

namespace viewload {

namespace {
// Chunks of 32 KiB take well under 0.2 s each in the slowest control we run
// on; larger texts than half a megabyte are split.
const ShowChunkTuning kTuning = {500000, 32768, 1, 1u << 20, 32768};
}  // namespace

const ShowChunkTuning& ShowTuning() { return kTuning; }

std::size_t NextChunkEnd(const char* data, std::size_t len, std::size_t pos, std::size_t chunk,
                         std::size_t longLineScan) {
  if (pos >= len) return len;
  if (chunk == 0) chunk = 1;
  if (len - pos <= chunk) return len;
  const std::size_t want = pos + chunk;
  // A line end at or after the wanted size, not too far away.
  std::size_t scanEnd = len - want > longLineScan ? want + longLineScan : len;
  if (const void* lf = std::memchr(data + want - 1, '\n', scanEnd - (want - 1)))
    return static_cast<std::size_t>(static_cast<const char*>(lf) - data) + 1;
  if (scanEnd == len) return len;
  // One very long line: cut at the last whole character before `want`.
  std::size_t i = pos;
  while (i < want) {
    std::size_t w = fw::IsSjisLeadByte(static_cast<unsigned char>(data[i])) ? 2 : 1;
    if (i + w > want) break;
    i += w;
  }
  if (i == pos) {
    // A chunk smaller than one character still takes that character.
    i = pos + (fw::IsSjisLeadByte(static_cast<unsigned char>(data[pos])) && pos + 1 < len ? 2 : 1);
  }
  if (data[i - 1] == '\r' && i < len && data[i] == '\n') ++i;
  return i;
}

long long CountShownLines(const char* data, std::size_t len) {
  long long breaks = 0;
  for (std::size_t i = 0; i < len; ++i) {
    const char c = data[i];
    if (c == '\n') {
      ++breaks;
    } else if (c == '\r') {
      ++breaks;
      if (i + 1 < len && data[i + 1] == '\n') ++i;
    }
  }
  return breaks + 1;
}

long long CountShownLines(const char* data, std::size_t len, const char* tail, std::size_t tailLen) {
  long long lines = CountShownLines(data, len) + CountShownLines(tail, tailLen) - 1;
  if (len && tailLen && data[len - 1] == '\r' && tail[0] == '\n') --lines;
  return lines;
}

}  // namespace viewload
