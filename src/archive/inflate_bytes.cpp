// Memory-to-memory inflate for callers that hold a whole Deflate stream.
#include <climits>
#include <memory>

#include "archive/arc_error.h"
#include "archive/arc_state.h"
#include "archive/inflater.h"

namespace arc {

int64_t InflateBytes(const uint8_t* data, size_t size, uint8_t* out, size_t capacity) {
  if (!data || !out || size == 0 || capacity == 0) return -1;
  ArcState st;
  st.m_nArcInSize = size > static_cast<size_t>(INT32_MAX) ? INT32_MAX : static_cast<int32_t>(size);
  st.m_nArcOutMax = capacity > static_cast<size_t>(INT32_MAX) ? INT32_MAX : static_cast<int32_t>(capacity);
  st.m_pArcOutBuf = out;
  ZipCrc32 sink(st, nullptr, st.m_nArcOutMax);
  ZipBitReader r(st, data);
  std::unique_ptr<Inflater> inf;
  try {
    inf = std::make_unique<Inflater>(r);
    Inflater::Inflate(*inf, sink);
  } catch (const ArchiveError&) {
    // Damaged or longer than the capacity: what was decoded before stays.
    if (inf) inf->FlushPending(sink);
  }
  int64_t n = sink.Count();
  if (n > st.m_nArcOutMax) n = st.m_nArcOutMax;
  return n > 0 ? n : -1;
}

}  // namespace arc
