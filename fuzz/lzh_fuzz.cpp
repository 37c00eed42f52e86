// An LZH archive: every member header read and every member decoded.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "archive/arc_error.h"
#include "archive/lzh_header.h"

namespace {
// Discards output but counts it.
struct NullBuf : std::streambuf {
  int overflow(int c) override { return c; }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1 << 20)) return 0;
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  NullBuf nb;
  std::ostream out(&nb);
  arc::ArcBitReader r(in);
  try {
    arc::LzhHeader h;
    for (int members = 0; members < 64 && h.Read(r); ++members) {
      // Cap the declared size so that a lying header cannot make the run slow.
      int64_t target = h.origSize > (1u << 20) ? (1 << 20) : h.origSize;
      arc::LzhCrc16 sink(out, target);
      arc::LzhExtractMember(r, h, sink);
      if (sink.Count() > target) __builtin_trap();
    }
  } catch (const arc::ArchiveError&) {
  }
  return 0;
}
