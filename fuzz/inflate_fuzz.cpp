// Raw Deflate data through the inflater, to a stream and to bounded memory.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <vector>

#include "archive/arc_error.h"
#include "archive/inflater.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > (1 << 20)) return 0;
  // First byte picks the target size and the output mode.
  const uint8_t mode = data[0];
  arc::ArcState st;
  st.m_nArcInSize = static_cast<int32_t>(size - 1);
  std::vector<uint8_t> mem(300);
  if (mode & 1) {
    st.m_nArcOutMax = 256;
    st.m_pArcOutBuf = mem.data();
  }
  int64_t target = (mode & 2) ? (int64_t(mode) << 4) : (int64_t(1) << 22);
  try {
    arc::ZipBitReader r(st, data + 1);
    arc::Inflater inf(r);
    std::ostringstream out;
    arc::ZipCrc32 sink(st, &out, target);
    arc::Inflater::Inflate(inf, sink);
    if (sink.Count() > target && target > 0) __builtin_trap();
  } catch (const arc::ArchiveError&) {
  }
  return 0;
}
