// The table walk and the rich-text writer over any table text, with any
// command, display mode, font height, row range, colour markers and map
// size: the text stays within the buffer's capacity with a NUL after it,
// its braces balance, the paragraph map and the column edge table are
// written only within their sizes, and the working buffer keeps its NUL.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "csv/csv_table.h"
#include "fw/alloc.h"
#include "table/table_render.h"

namespace {

const int kCmds[] = {'D', 'T', 'd', 'N'};
constexpr std::uint32_t kGuard = 0xA5A5A5A5u;

// Braces outside escapes: never below zero, zero at the end.
bool Balanced(const char* t, std::size_t n) {
  long depth = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (t[i] == '\\') {
      if (i + 1 < n && t[i + 1] == '\'') i += 3;
      else ++i;
      continue;
    }
    if (t[i] == '{') ++depth;
    if (t[i] == '}' && --depth < 0) return false;
  }
  return depth == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 8) return 0;
  table::RenderRequest q;
  q.cmd = kCmds[data[0] & 3];
  q.editMode = (data[0] >> 2) & 1 ? table::kRuledEditMode : 0;
  q.openingForm = static_cast<int>((data[0] >> 3) % 3) - 1;
  q.row = static_cast<std::int8_t>(data[1]) * 8;
  q.firstLine = data[2] & 0x80 ? data[2] & 0x0F : 0;
  q.lastLine = data[2] & 0x80 ? q.firstLine + (data[3] & 0x0F) : 0;
  q.startRow = data[3] >> 4;
  q.outdata = data[4] & 1 ? 0 : 300000u + (data[4] >> 1) * 1000u;
  q.colourBarColumn = data[5] & 7;
  char markers[11] = {' ', '*', '#', 'a', 0};
  char codes[11] = {'R', 'b', 'c', 0};
  q.colourBarChars = markers;
  q.colourBarCodes = codes;
  q.userColour = data[6] * 0x010203u;
  std::uint32_t mapSize = data[7] & 0x3F;
  std::vector<std::uint32_t> map(mapSize + 16, kGuard);
  std::vector<std::int32_t> edges(table::kColumnEdgeCount + 4, static_cast<std::int32_t>(kGuard));
  q.paraRowMap = map.data();
  q.paraRowMapSize = mapSize;
  q.columnEdges = edges.data();
  q.columnEdgeSize = table::kColumnEdgeCount;

  csv::Table t;
  if (!t.Assign(data + 8, size - 8, static_cast<std::uint32_t>(data[5] >> 3 & 1))) return 0;
  table::OutputText out;
  out.text = static_cast<char*>(fw::Alloc(8));
  out.capacity = 8;
  table::RenderResult r = table::RebuildTable(t, out, q);
  if (t.m_pTextBuf[t.m_nTextLen] != 0 || t.m_nTextLen >= t.m_nWorkSize) std::abort();
  if (r.code == 0) {
    if (out.len > out.capacity || std::memchr(out.text, 0, out.len + 1) != out.text + out.len) std::abort();
    if (!Balanced(out.text, out.len)) std::abort();
    if (r.written != out.len) std::abort();
  } else if (r.failure == table::kRenderOk && r.status.empty()) {
    std::abort();  // a stop always says why
  }
  for (std::size_t i = mapSize; i < map.size(); ++i) {
    if (map[i] != kGuard) std::abort();
  }
  for (std::size_t i = table::kColumnEdgeCount; i < edges.size(); ++i) {
    if (edges[i] != static_cast<std::int32_t>(kGuard)) std::abort();
  }
  fw::Free(out.text);
  return 0;
}
