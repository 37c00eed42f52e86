// Our Deflate encoder, then zlib and our inflater: both must give the input
// back, with the encoder's CRC-32 equal to zlib's. The first byte picks the
// block size and the chain cap, so small blocks and short walks are tried too;
// the windows are used again from run to run.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "archive/arc_bits.h"
#include "archive/arc_error.h"
#include "archive/deflater.h"
#include "archive/inflater.h"
#include "fuzz/zlib_raw.h"

namespace {

[[noreturn]] void Fault(const char* what) {
  std::fprintf(stderr, "round trip fails: %s\n", what);
  __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > (1 << 18)) return 0;
  static const int kCapacities[4] = {32768, 16, 301, 4096};
  static const int kChains[4] = {arc::DeflateWindow::kMaxChain, 1, 7, 64};
  // Small blocks only on small inputs: each block costs a code construction,
  // so 16-symbol blocks are tried on inputs up to 1 KB and 301-symbol blocks
  // up to 16 KB.
  int pick = data[0] & 3;
  if (size > 1024 && pick == 1) pick = 2;
  if (size > 16384) pick = data[0] & 1 ? 3 : 0;
  const int capacity = kCapacities[pick];
  const int chainIndex = data[0] >> 2 & 3;
  const uint8_t* in = data + 1;
  const size_t n = size - 1;

  std::vector<uint8_t> comp;
  uint32_t crc = 0;
  try {
    arc::ArcBitWriter w(comp);
    arc::Deflater d(w, capacity);
    // One window per chain cap, used again by every run: each Compress
    // starts afresh, and the tables are not allocated per run.
    static arc::DeflateWindow windows[4] = {arc::DeflateWindow(kChains[0]), arc::DeflateWindow(kChains[1]),
                                            arc::DeflateWindow(kChains[2]), arc::DeflateWindow(kChains[3])};
    arc::DeflateWindow& win = windows[chainIndex];
    win.Compress(in, n, d);
    d.WriteLastBlock();
    w.Flush();
    crc = win.Crc();
  } catch (const arc::ArchiveError& e) {
    Fault(e.Code());
  }
  if (crc != static_cast<uint32_t>(crc32(0, in, static_cast<uInt>(n)))) Fault("CRC-32 differs from zlib's");

  fuzzsupport::ZlibResult z = fuzzsupport::ZlibInflateRaw(comp.data(), comp.size(), n);
  if (z.kind != fuzzsupport::ZlibResult::kOk) Fault(("zlib: " + z.msg).c_str());
  if (z.out.size() != n || (n && std::memcmp(z.out.data(), in, n) != 0)) Fault("zlib output differs");

  arc::ArcState st;
  st.m_nArcInSize = static_cast<int32_t>(comp.size());
  std::ostringstream out;
  try {
    arc::ZipBitReader r(st, comp.data());
    arc::Inflater inf(r);
    arc::ZipCrc32 sink(st, &out, static_cast<int64_t>(n));
    arc::Inflater::Inflate(inf, sink);
    if (sink.Crc() != crc) Fault("inflater CRC-32 differs");
  } catch (const arc::ArchiveError& e) {
    Fault(e.Code());
  }
  const std::string back = out.str();
  if (back.size() != n || (n && std::memcmp(back.data(), in, n) != 0)) Fault("inflater output differs");
  return 0;
}
