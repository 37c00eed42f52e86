// Padding short rows.
#include "csv/csv_pad.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <vector>

#include "csv/csv_index.h"
#include "csv/csv_out.h"
#include "csv/csv_rows.h"

namespace csv {
namespace {

constexpr std::uint8_t kTab = 0x09;

std::string NormalFill(const std::string& text) {
  // The fill is a C string of the statement: it ends at a NUL.
  std::string f = text.substr(0, text.find('\0'));
  if (f == "NULL") return std::string();
  if (f.size() > 1) {
    if (!f.empty() && f.front() == '"') f.erase(0, 1);
    if (!f.empty() && f.back() == '"') f.pop_back();
  }
  return f;
}

// Cells of a row: 1 + the separators (0x06, or TAB outside double quotes).
std::uint32_t CountCells(const std::uint8_t* t, const RowSpan& r) {
  std::uint32_t cells = 1;
  bool quoted = false;
  for (std::uint32_t i = r.start; i < r.end; ++i) {
    const std::uint8_t c = t[i];
    if (c == '"') quoted = !quoted;
    if (c == CSV_FIELD_SEP || (c == kTab && !quoted)) ++cells;
  }
  return cells;
}

void PutName(OutWriter& out, std::uint32_t column) {
  char name[24];
  out.Put(name, static_cast<std::size_t>(std::snprintf(name, sizeof name, "A%u", column)));
}

// Copies one row, separators as 0x06, and adds cells up to `cells`.
// `names`: empty and new cells of this (title) row get "A" + column.
void PadRow(const std::uint8_t* t, const RowSpan& r, std::uint32_t cells, bool title, bool names,
            const std::string& fill, OutWriter& out) {
  std::uint32_t column = 1;
  bool quoted = false;
  bool cellEmpty = true;
  for (std::uint32_t i = r.start; i < r.end; ++i) {
    std::uint8_t c = t[i];
    if (c == '"') quoted = !quoted;
    const bool sep = c == CSV_FIELD_SEP || (c == kTab && !quoted);
    if (sep) {
      if (title && names && cellEmpty) PutName(out, column);
      out.PutByte(CSV_FIELD_SEP);
      ++column;
      cellEmpty = true;
      continue;
    }
    cellEmpty = false;
    out.PutByte(c);
  }
  if (title && names && cellEmpty && column > 1) PutName(out, column);
  for (; column < cells; ++column) {
    out.PutByte(CSV_FIELD_SEP);
    if (title) {
      if (names) PutName(out, column + 1);
    } else {
      out.Put(fill);
    }
  }
  out.Put(t + r.end, r.next - r.end);
}

}  // namespace

int CsvPadShortRows(Table& table, const std::string& fill, int mode, std::uint32_t padTarget, OpHost* host) {
  if (mode == -1) table.Rescan();
  const std::uint8_t* t = table.m_pTextBuf;
  const std::uint32_t n = ContentLength(table);
  std::vector<RowSpan> rows;
  if (!SplitRows(t, n, &rows)) return ReportOpFailure(host, kPadWorkArea);
  const std::string cellText = NormalFill(fill);

  std::uint32_t off = 0;
  const auto titleRow = static_cast<std::uint32_t>(std::max(0, LineToOffset(table, t, n, &off, kLineTitleAtCurLine, 0)));
  std::uint32_t fieldCount = table.m_nFieldCount;
  if (mode > 0 && static_cast<std::uint32_t>(mode) > fieldCount) {
    if (mode >= 9998) {
      std::uint32_t widest = 0;
      for (const RowSpan& r : rows) widest = std::max(widest, CountCells(t, r));
      fieldCount = widest;
    } else {
      fieldCount = static_cast<std::uint32_t>(mode);
    }
  }
  const std::uint64_t target = padTarget ? padTarget : static_cast<std::uint64_t>(fieldCount) + 1;
  const std::uint32_t cells = static_cast<std::uint32_t>(std::min<std::uint64_t>(target - 1, 0xFFFFFFFFull));
  const bool names = mode >= 1 && mode != 9998;

  // Mode -1: the 0-based title row and cell count of each block.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> blocks;
  std::vector<std::uint32_t> blockStarts;
  if (mode == -1) {
    const std::uint32_t count = std::min<std::uint32_t>(table.BlockCount(), MAX_CSV_BLOCKS - 1);
    for (std::uint32_t k = 1; k <= count; ++k) {
      blocks.push_back({table.m_aSecLine[k] ? table.m_aSecLine[k] - 1 : 0, table.m_aSecFields[k]});
      blockStarts.push_back(table.m_aSecRow[k] ? table.m_aSecRow[k] - 1 : 0);
    }
  }

  OutWriter out;
  try {
    if (!out.Reserve(static_cast<std::uint64_t>(n) + n / 2 + 1000)) return ReportOpFailure(host, kPadWorkArea);
    std::size_t block = 0;
    for (std::uint32_t r = 0; r < rows.size(); ++r) {
      const RowSpan& s = rows[r];
      if (mode == -1) {
        while (block + 1 < blocks.size() && r >= blockStarts[block + 1]) ++block;
        const bool padded = !blocks.empty() && r > blocks[block].first &&
                            (block + 1 >= blocks.size() || r < blockStarts[block + 1]);
        if (!padded || CountCells(t, s) >= blocks[block].second) {
          out.Put(t + s.start, s.next - s.start);
        } else {
          PadRow(t, s, blocks[block].second, false, false, cellText, out);
        }
      } else if (r < titleRow) {
        out.Put(t + s.start, s.next - s.start);
      } else {
        PadRow(t, s, cells, r == titleRow, names, cellText, out);
      }
      if (out.Failed()) return ReportOpFailure(host, kPadWorkArea);
    }
  } catch (const std::bad_alloc&) {
    return ReportOpFailure(host, kPadWorkArea);
  }
  // Copying back, a LF right after a LF is dropped, and so is a CR right
  // after a LF that no LF follows.
  OutWriter back;
  if (!back.Reserve(static_cast<std::uint64_t>(out.Length()) + 1001)) return ReportOpFailure(host, kPadReplace);
  const std::uint8_t* o = out.Data();
  for (std::uint32_t i = 0; i < out.Length(); ++i) {
    if (i > 0 && o[i - 1] == '\n') {
      if (o[i] == '\n') continue;
      if (o[i] == '\r' && !(i + 1 < out.Length() && o[i + 1] == '\n')) continue;
    }
    back.PutByte(o[i]);
  }
  if (!back.InstallInto(table, 1000)) return ReportOpFailure(host, kPadReplace);
  table.m_nFieldCount = fieldCount;
  const std::uint32_t keepFields = table.m_nFieldCount;
  table.Rescan();
  if (mode != -1) table.m_nFieldCount = std::max(keepFields, table.m_nFieldCount);
  return kOpOk;
}

}  // namespace csv
