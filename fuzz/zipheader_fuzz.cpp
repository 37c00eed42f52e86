// A ZIP archive in memory: the record walk of the extraction entry, with
// stored and Deflate members extracted to bounded memory. Every record read
// is built again and compared with the bytes it came from: the builders write
// back each field the reader took, and refuse only values the 32-bit format
// cannot hold.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "archive/arc_error.h"
#include "archive/zip_header.h"

namespace {

[[noreturn]] void Differs(const char* what) {
  std::fprintf(stderr, "rebuilt ZIP record differs: %s\n", what);
  __builtin_trap();
}

uint32_t Le(const std::vector<uint8_t>& b, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | b[at + static_cast<size_t>(i)];
  return v;
}

bool Same(const std::vector<uint8_t>& a, size_t ai, const std::vector<uint8_t>& b, size_t bi, size_t n) {
  return std::memcmp(a.data() + ai, b.data() + bi, n) == 0;
}

// Builds with `build` and expects either the bytes checked by `compare`, or
// the refusal `refusal` when `tooBig` says a field does not fit.
template <class Build, class Compare>
void Rebuild(Build build, Compare compare, bool tooBig, const char* refusal) {
  std::vector<uint8_t> bytes;
  try {
    build(bytes);
  } catch (const arc::ArchiveError& e) {
    if (tooBig && std::strcmp(e.Code(), refusal) == 0) return;
    Differs(e.Code());
  }
  if (tooBig) Differs("a field too large was written");
  compare(bytes);
}

void CheckLocal(const arc::ZipHeader& h) {
  const std::vector<uint8_t>& raw = h.raw;
  const size_t n = Le(raw, 26, 2);
  const bool tooBig = h.compressedSize >= 0xFFFFFFFFll || h.uncompressedSize >= 0xFFFFFFFFll;
  Rebuild([&](std::vector<uint8_t>& b) { h.BuildLocal(b); },
          [&](const std::vector<uint8_t>& b) {
            if (b.size() != 30 + h.name.size()) Differs("local size");
            // Signature, versions, flags, method, time, CRC and sizes as read.
            if (!Same(b, 0, raw, 0, 26)) Differs("local fields");
            // The name as read; the reader drops one trailing control byte.
            bool trimmed = h.name.size() + 1 == n && raw[30 + n - 1] < 0x20;
            if (h.name.size() != n && !trimmed) Differs("local name length");
            if (Le(b, 26, 2) != h.name.size() || Le(b, 28, 2) != 0) Differs("local lengths");
            if (!Same(b, 30, raw, 30, h.name.size())) Differs("local name");
          },
          tooBig, "053");
}

void CheckCentral(const arc::ZipHeader& h, int32_t attr) {
  const std::vector<uint8_t>& raw = h.raw;
  const uint32_t offset = Le(raw, 42, 4);
  const bool tooBig = h.compressedSize >= 0xFFFFFFFFll || h.uncompressedSize >= 0xFFFFFFFFll;
  const bool offsetTooBig = offset == 0xFFFFFFFFu;
  Rebuild([&](std::vector<uint8_t>& b) { h.BuildCentral(offset, attr, b); },
          [&](const std::vector<uint8_t>& b) {
            if (b.size() != 46 + h.name.size() || h.name.size() != Le(raw, 28, 2)) Differs("central size");
            if (!Same(b, 0, raw, 0, 4)) Differs("central signature");
            // Version needed, flags, method, time, CRC, sizes, name length.
            if (!Same(b, 6, raw, 6, 24)) Differs("central fields");
            if (!Same(b, 38, raw, 38, 8)) Differs("central attributes or offset");
            if (!Same(b, 46, raw, 46, h.name.size())) Differs("central name");
          },
          tooBig || offsetTooBig, tooBig ? "053" : "055");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1 << 20)) return 0;
  arc::ArcState st;
  st.m_nArcInSize = static_cast<int32_t>(size);
  std::vector<uint8_t> mem(4096 + 2000);
  st.m_nArcOutMax = 4096;
  st.m_pArcOutBuf = mem.data();
  try {
    arc::ZipBitReader r(st, data);
    for (int records = 0; records < 256; ++records) {
      arc::ZipHeader h;
      h.Read(r);
      if (h.signature == arc::kZipLocalSig && h.complete) {
        CheckLocal(h);
        if (!arc::IsSafeMemberPath(h.name)) continue;
        int64_t target = h.uncompressedSize > (1 << 22) ? (1 << 22) : h.uncompressedSize;
        arc::ZipCrc32 sink(st, nullptr, target);
        if (!arc::ZipExtractMember(r, h, sink)) break;
        if (sink.Count() > std::max<int64_t>(target, 1)) __builtin_trap();
      } else if (h.signature == arc::kZipCentralSig && h.complete) {
        CheckCentral(h, st.m_nArcAttr);
      } else {
        break;
      }
    }
  } catch (const arc::ArchiveError&) {
  }
  return 0;
}
