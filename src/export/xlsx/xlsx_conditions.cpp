#include "export/xlsx/xlsx_conditions.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "csv/csv_index.h"

namespace xlsx {
namespace {

constexpr unsigned char kSep = 0x06;
constexpr std::uint32_t kTableMargin = 16;  // spare bytes after the copied lines
constexpr std::uint64_t kTableLimit = 0xFFFFFFF0ull;  // a table's text stays 32-bit

bool Ctl(unsigned char c) { return c <= 31; }

// The sheet's own lines, one at a time.
class SheetLines {
 public:
  explicit SheetLines(const XlsxConditionInput& in)
      : m_p(reinterpret_cast<const unsigned char*>(in.text)),
        m_end(std::min(in.sheetEnd, in.length)),
        m_pos(in.sheetStart),
        m_in(in) {
    if (!m_p) m_end = 0;
    if (Starts("!*")) m_pos = NextLine(m_pos);
  }
  // The next line to copy: [*begin, *end) with its line break; false at the end.
  bool Next(std::uint64_t* begin, std::uint64_t* end) {
    for (;;) {
      if (m_pos >= m_end || m_p[m_pos] == 0) return false;
      if (Starts("!%") || Starts("!$")) return false;
      const std::uint64_t b = m_pos, e = NextLine(m_pos);
      m_pos = e;
      if (m_in.skipRow && !m_skipped && m_copied == m_in.titleLine) {
        m_skipped = true;
        continue;
      }
      ++m_copied;
      *begin = b;
      *end = e;
      return true;
    }
  }

 private:
  bool Starts(const char* s) const {
    return m_pos + 1 < m_end && m_p[m_pos] == static_cast<unsigned char>(s[0]) &&
           m_p[m_pos + 1] == static_cast<unsigned char>(s[1]);
  }
  std::uint64_t NextLine(std::uint64_t i) const {
    while (i < m_end && m_p[i] != '\r' && m_p[i] != '\n' && m_p[i] != 0) ++i;
    if (i < m_end && m_p[i] == '\r') ++i;
    if (i < m_end && m_p[i] == '\n') ++i;
    return i;
  }

  const unsigned char* m_p;
  std::uint64_t m_end;
  std::uint64_t m_pos;
  const XlsxConditionInput& m_in;
  std::uint64_t m_copied = 0;
  bool m_skipped = false;
};

// Fills `table` with the sheet's own lines and indexes it.
bool FillTable(const XlsxConditionInput& in, csv::Table& table, std::uint64_t* needed) {
  const std::uint64_t bytes = ConditionLinesBytes(in);
  *needed = bytes + 1 + kTableMargin;
  if (bytes > kTableLimit) return false;
  if (!table.Reserve(*needed)) return false;
  SheetLines lines(in);
  std::uint64_t b = 0, e = 0, at = 0;
  while (lines.Next(&b, &e)) {
    std::memcpy(table.m_pTextBuf + at, in.text + b, static_cast<std::size_t>(e - b));
    at += e - b;
  }
  table.m_pTextBuf[at] = 0;
  table.m_nTextLen = static_cast<std::uint32_t>(at);
  std::uint32_t len = 0, columns = 0;
  csv::BuildCsvIndex(table, table.m_pTextBuf, table.m_nTextLen, &len, &columns, csv::kCsvScanOnly, -1);
  table.m_nFieldCount = in.columnCount;
  table.m_nCurLine = in.titleLine;
  return true;
}

// Writes the cells of `table` that hold "zz" and digits into the grid.
void MarkCells(const csv::Table& table, XlsxObjectLayer& layer, std::vector<XlsxConditionMark>* marks) {
  const unsigned char* p = table.m_pTextBuf;
  const std::uint64_t n = p ? table.UsedLength() : 0;
  std::uint64_t row = 1, col = 1, i = 0;
  while (i < n && p[i] != 0) {
    // One field from i.
    if (i + 2 < n && p[i] == 'z' && p[i + 1] == 'z' && p[i + 2] >= '0' && p[i + 2] <= '9') {
      std::uint64_t k = 0, j = i + 2;
      while (j < n && p[j] >= '0' && p[j] <= '9') {
        if (k < 100000) k = k * 10 + (p[j] - '0');
        ++j;
      }
      std::uint64_t at = 0;
      if (k >= 1 && k <= static_cast<std::uint64_t>(kGridNamedObjects) && GridCellOffset(layer, row, col, &at)) {
        GridDigits(static_cast<std::uint32_t>(k), layer.grid.data() + at);
        if (marks) {
          XlsxConditionMark m;
          m.column = static_cast<std::uint32_t>(col);
          m.object = static_cast<std::uint32_t>(k);
          m.row = static_cast<std::uint32_t>(row);
          marks->push_back(m);
        }
      }
    }
    while (i < n && p[i] != kSep && p[i] != '\r' && p[i] != '\n' && p[i] != 0) ++i;
    if (i >= n || p[i] == 0) break;
    if (p[i] == kSep) {
      ++col;
      ++i;
      continue;
    }
    if (p[i] == '\r') ++i;
    if (i < n && p[i] == '\n') ++i;
    ++row;
    col = 1;
  }
}

}  // namespace

std::string ConditionText(const char* p, std::uint64_t n) {
  std::uint64_t len = 0;
  while (len < n && len < static_cast<std::uint64_t>(kConditionTextMax) && !Ctl(static_cast<unsigned char>(p[len])))
    ++len;
  if (len <= 3) return std::string();
  std::string out;
  out.reserve(static_cast<std::size_t>(len) + 16);
  for (std::uint64_t i = 0; i < len; ++i) {
    const char c = p[i];
    if (c == '=') {
      const char before = i > 0 ? p[i - 1] : 0;
      const char after = i + 1 < len ? p[i + 1] : 0;
      const bool single = before != '=' && after != '=';
      if (single && !std::strchr("\\><!~", before ? before : '\1') && after != ':') {
        out += "==";
        continue;
      }
    }
    out += c;
  }
  return out;
}

std::string ConditionCommand(const char* field, std::uint64_t n, std::uint32_t k) {
  char marker[16];
  std::snprintf(marker, sizeof marker, "zz%02u", k);
  const unsigned char first = n > 0 ? static_cast<unsigned char>(field[0]) : 0;
  if (first <= ' ' || first == '/') return std::string("&=") + marker;
  std::uint64_t len = 0;
  while (len < n && !Ctl(static_cast<unsigned char>(field[len]))) ++len;
  std::string out;
  for (std::uint64_t i = 0; i < len; ++i) {
    if (field[i] == 'n' && i + 1 < len && field[i + 1] == 'n') {
      out += marker;
      ++i;
    } else {
      out += field[i];
    }
  }
  return out;
}

std::uint64_t ConditionLinesBytes(const XlsxConditionInput& in) {
  SheetLines lines(in);
  std::uint64_t b = 0, e = 0, total = 0;
  while (lines.Next(&b, &e)) total += e - b;
  return total;
}

bool XlsxResolveConditions(const XlsxConditionInput& in, XlsxObjectLayer& layer, XlsxConditionSelector& selector,
                           std::vector<XlsxConditionMark>* marks, std::uint64_t* neededBytes) {
  if (neededBytes) *neededBytes = 0;
  if (layer.grid.empty() || !in.text) return true;
  csv::Table table;
  for (std::size_t i = 0; i < layer.shapes.size(); ++i) {
    const XlsxShapeRecord& r = layer.shapes[i];
    if (r.fromCol != kConditionObject) continue;
    const std::int64_t at = r.fromRow;
    if (at < 0 || static_cast<std::uint64_t>(at) < in.sectionStart || static_cast<std::uint64_t>(at) >= in.sectionEnd ||
        static_cast<std::uint64_t>(at) >= in.length)
      continue;
    const std::uint64_t pos = static_cast<std::uint64_t>(at);
    const std::uint64_t rest = std::min(in.sectionEnd, in.length) - pos;
    const std::string condition = ConditionText(in.text + pos, rest);
    // The command: the field after the condition's field.
    std::uint64_t e = pos;
    while (e < in.length && !Ctl(static_cast<unsigned char>(in.text[e]))) ++e;
    const char* field = "";
    std::uint64_t fieldLen = 0;
    if (e < in.length && static_cast<unsigned char>(in.text[e]) == kSep) {
      field = in.text + e + 1;
      fieldLen = std::min(in.sectionEnd, in.length) - (e + 1);
    }
    const std::uint32_t k = static_cast<std::uint32_t>(i + 1);
    const std::string command = ConditionCommand(field, fieldLen, k);
    if (condition.empty()) continue;
    std::uint64_t needed = 0;
    if (!FillTable(in, table, &needed)) {
      if (neededBytes) *neededBytes = needed;
      return false;
    }
    selector.Select(table, CString(condition.c_str()), CString(command.c_str()));
    MarkCells(table, layer, marks);
  }
  return true;
}

}  // namespace xlsx
