// Sections side by side.
#include "csv/csv_sections.h"

#include <algorithm>
#include <new>
#include <vector>

#include "core/docsvc/sjis_state.h"
#include "csv/csv_out.h"
#include "csv/csv_rows.h"

namespace csv {
namespace {

struct PatternByte {
  std::uint8_t byte;
  bool any;  // '%': any byte
};

std::vector<PatternByte> ReadPattern(const std::string& operand) {
  const std::string p = operand.substr(0, kSectionPatternBytes);
  std::vector<PatternByte> out;
  int state = 0;
  for (std::size_t i = 0; i < p.size(); ++i) {
    const auto c = static_cast<std::uint8_t>(p[i]);
    const bool trail = state != 0;
    IsSjisLeadByteState80(c, &state);
    if (c == '\\' && !trail && i + 1 < p.size()) {
      ++i;
      out.push_back({static_cast<std::uint8_t>(p[i]), false});
      IsSjisLeadByteState80(static_cast<std::uint8_t>(p[i]), &state);
      continue;
    }
    out.push_back({c, c == '%' && !trail});
  }
  return out;
}

bool Matches(const std::uint8_t* t, const RowSpan& r, const std::vector<PatternByte>& p) {
  if (p.empty() || r.end - r.start < p.size()) return false;
  for (std::size_t i = 0; i < p.size(); ++i) {
    if (!p[i].any && t[r.start + i] != p[i].byte) return false;
  }
  return true;
}

struct Cells {
  std::vector<std::pair<std::uint32_t, std::uint32_t>> cells;
};

void CutCells(const std::uint8_t* t, const RowSpan& r, Cells* c) {
  c->cells.clear();
  std::uint32_t a = r.start;
  for (std::uint32_t i = r.start; i < r.end; ++i) {
    if (t[i] == CSV_FIELD_SEP) {
      c->cells.push_back({a, i});
      a = i + 1;
    }
  }
  c->cells.push_back({a, r.end});
}

// True when the line holds one cell, or only empty cells after its first.
bool LabelLine(const Cells& c) {
  for (std::size_t i = 1; i < c.cells.size(); ++i) {
    if (c.cells[i].first != c.cells[i].second) return false;
  }
  return true;
}

}  // namespace

int CsvOpRebuild(Table& table, const std::string& operand, int headRows, int keepColumns, OpHost* host) {
  const std::uint8_t* t = table.m_pTextBuf;
  const std::uint32_t n = ContentLength(table);
  std::vector<RowSpan> rows;
  if (!SplitRows(t, n, &rows)) return ReportOpFailure(host, kRebuildWork);
  const auto total = static_cast<std::uint32_t>(rows.size());
  const std::uint32_t head = std::min<std::uint32_t>(static_cast<std::uint32_t>(std::max(0, headRows)), total);
  std::uint32_t first = 0, last = 0;
  DataRows(table, total, &first, &last);
  const std::uint32_t regionEnd = first ? std::max(last, head) : total;  // rows [0, regionEnd)
  const std::uint32_t fields = std::max<std::uint32_t>(1, table.m_nFieldCount);
  const std::uint32_t keep = std::min<std::uint32_t>(static_cast<std::uint32_t>(std::max(0, keepColumns)), fields - 1);

  OutWriter out;
  std::uint32_t sectionCount = 0;
  try {
    const std::vector<PatternByte> pattern = ReadPattern(operand);
    // Sections as row ranges [from, to).
    std::vector<std::pair<std::uint32_t, std::uint32_t>> sections;
    if (head < regionEnd) sections.push_back({head, regionEnd});
    for (std::uint32_t r = head + 1; r < regionEnd && sections.size() < static_cast<std::size_t>(kMaxSections); ++r) {
      if (Matches(t, rows[r], pattern)) {
        sections.back().second = r;
        sections.push_back({r, regionEnd});
      }
    }
    sectionCount = static_cast<std::uint32_t>(sections.size());
    if (!out.Reserve(static_cast<std::uint64_t>(n) + 100000)) return ReportOpFailure(host, kRebuildWork);
    // Head rows, padded to F - 1 separators.
    Cells cells;
    for (std::uint32_t r = 0; r < head; ++r) {
      CutCells(t, rows[r], &cells);
      out.Put(t + rows[r].start, rows[r].end - rows[r].start);
      for (std::size_t c = cells.cells.size(); c < fields; ++c) out.PutByte(CSV_FIELD_SEP);
      out.Put(t + rows[r].end, rows[r].next - rows[r].end);
      if (rows[r].next == rows[r].end) out.PutCrLf();
    }
    auto width = [&](std::size_t s) { return s == 0 ? fields : fields - keep; };
    if (head > 0 && !sections.empty()) {
      for (std::size_t s = 0; s < sections.size(); ++s) {
        if (s) out.PutByte(CSV_FIELD_SEP);
        CutCells(t, rows[sections[s].first], &cells);
        out.Put(t + cells.cells[0].first, cells.cells[0].second - cells.cells[0].first);
        out.PutRepeat(CSV_FIELD_SEP, width(s) - 1);
        if (LabelLine(cells)) ++sections[s].first;
      }
      out.PutCrLf();
    }
    std::uint32_t tallest = 0;
    for (const auto& s : sections) tallest = std::max(tallest, s.second - s.first);
    for (std::uint32_t i = 0; i < tallest; ++i) {
      for (std::size_t s = 0; s < sections.size(); ++s) {
        if (s) out.PutByte(CSV_FIELD_SEP);
        const std::uint32_t w = width(s);
        const std::uint32_t r = sections[s].first + i;
        std::uint32_t written = 0;
        if (r < sections[s].second) {
          CutCells(t, rows[r], &cells);
          const std::size_t skip = s == 0 ? 0 : keep;
          for (std::size_t c = skip; c < cells.cells.size(); ++c) {
            if (written) out.PutByte(CSV_FIELD_SEP);
            out.Put(t + cells.cells[c].first, cells.cells[c].second - cells.cells[c].first);
            ++written;
          }
        }
        if (written == 0) written = 1;  // an empty first cell
        if (s + 1 < sections.size() && written < w) out.PutRepeat(CSV_FIELD_SEP, w - written);
        if (s + 1 == sections.size() && r >= sections[s].second) out.PutRepeat(CSV_FIELD_SEP, w - 1);
      }
      out.PutCrLf();
      if (out.Failed()) return ReportOpFailure(host, kRebuildWork);
    }
    if (regionEnd < total) out.Put(t + rows[regionEnd].start, n - rows[regionEnd].start);
  } catch (const std::bad_alloc&) {
    return ReportOpFailure(host, kRebuildWork);
  }
  if (out.Failed()) return ReportOpFailure(host, kRebuildWork);
  if (!out.InstallInto(table, 1000)) return ReportOpFailure(host, kRebuildFinal);
  table.Rescan();
  if (sectionCount > 0)
    table.m_nFieldCount = keep > 0 ? (fields - keep) * sectionCount + keep : fields * sectionCount;
  return kOpOk;
}

}  // namespace csv
