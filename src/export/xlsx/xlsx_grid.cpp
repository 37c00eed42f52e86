#include "export/xlsx/xlsx_grid.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "fw/alloc.h"

namespace xlsx {
namespace {

constexpr unsigned char kNoneHi = 'O', kNoneLo = ':';  // 1002: no object
constexpr std::uint64_t kMaxGridBytes = std::numeric_limits<std::size_t>::max() / 2;

// Kinds of shape lines.
constexpr char kShapeLineKinds[] = "LREpAf";
// Region kinds never laid: text boxes, callouts and merges (a merge
// without codes, raised to 'N', keeps its cells for the worksheet's merge).
constexpr char kUnlaidKinds[] = "bcTtMN";

bool InSet(const char* set, unsigned char c) { return c != 0 && std::strchr(set, c) != nullptr; }

}  // namespace

bool XlsxGridText::Allocate(std::uint64_t bytes) {
  Release();
  if (bytes == 0 || bytes > kMaxGridBytes) return false;
  auto* p = static_cast<unsigned char*>(fw::Alloc(static_cast<std::size_t>(bytes)));
  if (!p) return false;
  m_bytes = std::shared_ptr<unsigned char>(p, [](unsigned char* q) { fw::Free(q); });
  m_size = bytes;
  return true;
}

bool XlsxGridText::Assign(const std::string& bytes) {
  if (!Allocate(bytes.size())) return false;
  std::memcpy(m_bytes.get(), bytes.data(), bytes.size());
  return true;
}

void XlsxGridText::Release() {
  m_bytes.reset();
  m_size = 0;
}

std::uint64_t GridLineBytes(std::uint32_t columns) { return 3ull * columns + 4; }

std::uint64_t GridLaidBytes(std::uint32_t columns, std::uint64_t rows) {
  const std::uint64_t line = GridLineBytes(columns);
  if (rows > kMaxGridBytes / line) return kMaxGridBytes;
  return line * rows;
}

bool XlsxBuildGrid(XlsxObjectLayer& layer, std::uint32_t columns, std::uint64_t rows) {
  layer.grid.Release();
  layer.gridColumns = 0;
  layer.gridRows = 0;
  const std::uint64_t laid = GridLaidBytes(columns, rows);
  if (laid >= kMaxGridBytes - kGridSpareBytes) return false;
  if (!layer.grid.Allocate(laid + kGridSpareBytes)) return false;
  unsigned char* g = layer.grid.data();
  const std::uint64_t line = GridLineBytes(columns);
  for (std::uint64_t r = 0; r < rows; ++r) {
    unsigned char* p = g + r * line;
    for (std::uint64_t c = 0; c <= columns; ++c) {
      p[3 * c] = kNoneHi;
      p[3 * c + 1] = kNoneLo;
      p[3 * c + 2] = 0x06;
    }
    p[line - 2] = '\r';
    p[line - 1] = '\n';
  }
  std::memset(g + laid, 0, static_cast<std::size_t>(kGridSpareBytes));
  layer.gridColumns = columns;
  layer.gridRows = rows;
  return true;
}

void GridDigits(std::uint32_t k, unsigned char out[2]) {
  k &= 1023;
  out[0] = static_cast<unsigned char>('0' + k / 32);
  out[1] = static_cast<unsigned char>('0' + k % 32);
}

int GridValue(unsigned char hi, unsigned char lo) {
  if (hi < '0' || hi > 'O' || lo < '0' || lo > 'O') return -1;
  return (hi - '0') * 32 + (lo - '0');
}

bool GridCellOffset(const XlsxObjectLayer& layer, std::uint64_t row, std::uint64_t column, std::uint64_t* at) {
  if (row < 1 || column < 1 || row > layer.gridRows || column > layer.gridColumns) return false;
  const std::uint64_t off = GridLineBytes(layer.gridColumns) * (row - 1) + 3 * column - 3;
  if (off + 1 >= GridLaidBytes(layer.gridColumns, layer.gridRows)) return false;
  *at = off;
  return true;
}

void GridMark(XlsxObjectLayer& layer, std::uint64_t row, std::uint64_t column, std::uint32_t k) {
  if (k < 1 || k > static_cast<std::uint32_t>(kGridNamedObjects)) return;
  std::uint64_t at = 0;
  if (!GridCellOffset(layer, row, column, &at)) return;
  unsigned char* g = layer.grid.data();
  if (!(g[at] == kNoneHi && g[at + 1] == kNoneLo) && layer.overlaps.size() < static_cast<std::size_t>(kMaxOverlaps)) {
    const int before = GridValue(g[at], g[at + 1]);
    XlsxOverlap o;
    o.row = static_cast<std::uint32_t>(row);
    o.column = static_cast<std::uint32_t>(column);
    o.object = before > 0 ? static_cast<std::uint32_t>(before) : 0;
    layer.overlaps.push_back(o);
  }
  GridDigits(k, g + at);
}

bool IsShapeLineKind(unsigned char kind) { return InSet(kShapeLineKinds, kind); }

std::uint32_t RecordCell(std::int64_t v) {
  if (v >= kCellScale) v /= kCellScale;
  if (v < 1) return 1;
  if (v > 0xFFFFFFFFll) return 0xFFFFFFFFu;
  return static_cast<std::uint32_t>(v);
}

void XlsxLayRegions(XlsxObjectLayer& layer) {
  if (layer.grid.empty()) return;
  const std::uint64_t cols = layer.gridColumns;
  for (std::size_t i = 0; i < layer.shapes.size(); ++i) {
    XlsxShapeRecord& s = layer.shapes[i];
    const unsigned char kind = static_cast<unsigned char>(s.rec.c[19]);
    if (IsShapeLineKind(kind) || InSet(kUnlaidKinds, kind)) continue;
    if (s.fromCol == kConditionObject || s.fromCol == kLaidObject) continue;
    std::uint64_t c1 = RecordCell(s.fromCol), r1 = RecordCell(s.fromRow);
    std::uint64_t c2 = s.toCol >= kCellScale ? static_cast<std::uint64_t>(s.toCol / kCellScale)
                                                   : static_cast<std::uint64_t>(std::max<std::int64_t>(s.toCol, 0));
    std::uint64_t r2 = s.toRow >= kCellScale ? static_cast<std::uint64_t>(s.toRow / kCellScale)
                                                   : static_cast<std::uint64_t>(std::max<std::int64_t>(s.toRow, 0));
    c1 = std::min(c1, cols);
    c2 = std::min(c2, cols);
    // Rows past the grid are not written: walk only the rows it holds.
    r2 = std::min<std::uint64_t>(r2, layer.gridRows);
    const std::uint32_t k = static_cast<std::uint32_t>(i + 1);
    for (std::uint64_t r = r1; r <= r2; ++r)
      for (std::uint64_t c = c1; c <= c2; ++c) GridMark(layer, r, c, k);
    s.fromCol = kLaidObject;
    XlsxLaidRegion region;
    region.object = k;
    region.c1 = c1;
    region.r1 = r1;
    region.c2 = c2;
    region.r2 = r2;
    layer.laid.push_back(region);
  }
}

std::vector<XlsxMergeRange> XlsxMergeRanges(const std::vector<XlsxShapeRecord>& shapes) {
  std::vector<XlsxMergeRange> out;
  for (const XlsxShapeRecord& m : shapes) {
    const unsigned char kind = static_cast<unsigned char>(m.rec.c[19]);
    if (kind != 'M' && kind != 'N') continue;
    XlsxMergeRange g;
    g.c1 = RecordCell(m.fromCol);
    g.r1 = RecordCell(m.fromRow);
    g.c2 = std::max(RecordCell(m.toCol), g.c1);
    g.r2 = std::max(RecordCell(m.toRow), g.r1);
    // Spreadsheet applications refuse overlapping merges: the later range goes.
    bool clash = false;
    for (const XlsxMergeRange& e : out)
      if (g.c1 <= e.c2 && e.c1 <= g.c2 && g.r1 <= e.r2 && e.r1 <= g.r2) {
        clash = true;
        break;
      }
    if (!clash) out.push_back(g);
  }
  return out;
}

}  // namespace xlsx
