#include "export/chart/chart_fields.h"

#include <cstdio>
#include <limits>

#include "export/chart_fragments.h"
#include "fw/sjis.h"

namespace chart {
namespace {

constexpr int kMaxColumn = 16384;   // XFD, the last column of a sheet
constexpr int kMaxRow = 1048576;    // the last row of a sheet
constexpr int kNamedSheetLimit = 32;  // sheets searched by name: 1 to 31

unsigned char At(const ChartText& t, std::size_t i) { return static_cast<unsigned char>(t.text[i]); }

// Bytes of the character at i (i < len): 2 for a lead byte followed by a
// byte that is no control byte, else 1. A control byte after a lead byte
// stays a control byte, so it still ends the field or line.
std::size_t CharLength(const ChartText& t, std::size_t i) {
  if (ChartLeadByte(At(t, i)) && i + 1 < t.len && At(t, i + 1) >= 0x20) return 2;
  return 1;
}

bool IsLineEnd(unsigned char c) { return c == '\r' || c == '\n' || c == 0; }

// The offset of field n of the value at p, or -1 when the line (or the text)
// ends first.
std::int64_t SkipFields(const ChartText& t, std::int64_t p, int n) {
  if (p < 1 || !t.text || p >= static_cast<std::int64_t>(t.len)) return -1;
  std::size_t i = static_cast<std::size_t>(p);
  for (int seen = 0; seen < n;) {
    if (i >= t.len) return -1;
    unsigned char c = At(t, i);
    if (IsLineEnd(c)) return -1;
    std::size_t k = CharLength(t, i);
    if (k == 1 && (c == csv::CSV_FIELD_SEP || c == '^')) ++seen;
    i += k;
  }
  return static_cast<std::int64_t>(i);
}

std::string DefaultText(int d) { return d == kChartNoDefault ? std::string() : std::to_string(d); }

// The A1 letters of a column from 1.
std::string ColumnLetters(int column) {
  std::string s;
  while (column > 0) {
    int r = (column - 1) % 26;
    s.insert(s.begin(), static_cast<char>('A' + r));
    column = (column - 1) / 26;
  }
  return s;
}

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsUpper(unsigned char c) { return c >= 'A' && c <= 'Z'; }

// Reads a decimal number at i, saturating at `limit` + 1.
int ReadDecimal(const ChartText& t, std::size_t& i, int limit) {
  long long v = 0;
  while (i < t.len && IsDigit(At(t, i))) {
    if (v <= limit) v = v * 10 + (At(t, i) - '0');
    ++i;
  }
  return v > limit ? limit + 1 : static_cast<int>(v);
}

// One cell reference: a column as capital letters or as a column number,
// then the row digits. Column or row 0 when absent or out of range.
void ReadCell(const ChartText& t, std::size_t& i, int& column, int& row) {
  column = 0;
  if (i < t.len && IsUpper(At(t, i))) {
    while (i < t.len && IsUpper(At(t, i))) {
      if (column <= kMaxColumn) column = column * 26 + (At(t, i) - 'A' + 1);
      ++i;
    }
  } else {
    column = ReadDecimal(t, i, kMaxColumn);
    // A column number is parted from its row by one comma or blank ("27,1").
    if (column > 0 && i + 1 < t.len && (At(t, i) == ',' || At(t, i) == ' ') && IsDigit(At(t, i + 1))) ++i;
  }
  row = ReadDecimal(t, i, kMaxRow);
  if (column > kMaxColumn) column = 0;
  if (row > kMaxRow) row = 0;
}

std::size_t LineAfter(const ChartText& t, std::size_t i) {
  while (i < t.len && At(t, i) != '\n') ++i;
  return i < t.len ? i + 1 : t.len;
}

// The sheet reference of a formula: the name quoted (apostrophes doubled,
// escaped for XML) or "sheet%d".
std::string SheetReference(const ChartSheetList& sheets, int sheet) {
  const std::string* name =
      (sheets.names && sheet >= 1 && static_cast<std::size_t>(sheet) < sheets.count) ? &sheets.names[sheet] : nullptr;
  if (!name || name->empty()) return "sheet" + std::to_string(sheet);
  std::string quoted;
  for (char c : *name) {
    quoted += c;
    if (c == '\'') quoted += '\'';
  }
  std::string out = "'";
  exportcore::AppendXmlEscaped(out, quoted);
  out += "'";
  return out;
}

// The sheet selector at i; moves i past it.
int SelectSheet(const ChartText& t, std::size_t& i, const ChartSheetList& sheets, int defaultSheet,
                ChartMessages& messages) {
  auto valid = [&](long long s) { return s >= 1 && static_cast<std::size_t>(s) < sheets.count; };
  int fallback = valid(defaultSheet) ? defaultSheet : 1;
  if (i + 1 < t.len && At(t, i) == 'c' && At(t, i + 1) == 'e') i = std::min<std::size_t>(i + 5, t.len);
  if (i >= t.len) return fallback;
  unsigned char c = At(t, i);
  if (c == 's' && i + 1 < t.len && IsDigit(At(t, i + 1))) {
    ++i;
    int number = ReadDecimal(t, i, 1 << 20);
    if (i < t.len && At(t, i) >= 0x20 && At(t, i) < '0') ++i;
    return valid(number) ? number : fallback;
  }
  if (c == '!') {
    ++i;
    std::size_t start = i;
    while (i < t.len && At(t, i) != '.' && At(t, i) >= 0x20) i += CharLength(t, i);
    std::string name(t.text + start, std::min(i, static_cast<std::size_t>(t.len)) - start);
    if (i < t.len && At(t, i) == '.') ++i;
    for (int s = 1; s < kNamedSheetLimit && valid(s); ++s)
      if (sheets.names && sheets.names[s] == name) return s;
    if (messages.reported.insert(name).second && messages.host) {
      CString text;
      text.Format("No exist sheet '%s'", name.c_str());
      messages.host->ShowMessage(text);
    }
    return 1;
  }
  return fallback;
}

}  // namespace

bool ChartLeadByte(unsigned char c) {
  return fw::IsSjisLeadByte(c);
}

std::string ChartFieldText(const ChartText& t, std::int64_t p, int n, int d) {
  std::int64_t at = SkipFields(t, p, n);
  if (at < 0) return DefaultText(d);
  std::size_t i = static_cast<std::size_t>(at);
  std::size_t start = i;
  while (i < t.len) {
    unsigned char c = At(t, i);
    if (c < 0x20) break;
    std::size_t k = CharLength(t, i);
    if (k == 1 && c == '^') break;
    if (i - start + k > kChartFieldMax) break;
    i += k;
  }
  std::string out(t.text + start, i - start);
  if (n == 0 && !out.empty() && out.back() == 'p') {
    // Only a "p" that is a character of its own (never a trail byte).
    std::size_t j = 0;
    while (j + 1 < out.size()) j += (ChartLeadByte(static_cast<unsigned char>(out[j])) ? 2 : 1);
    if (j == out.size() - 1) out.pop_back();
  }
  return out;
}

int ChartFieldInt(const ChartText& t, std::int64_t p, int n, int d) {
  int otherwise = d == kChartNoDefault ? 0 : d;
  std::int64_t at = SkipFields(t, p, n);
  if (at < 0) return otherwise;
  std::size_t i = static_cast<std::size_t>(at);
  std::size_t end = std::min<std::size_t>(t.len, i + kChartFieldMax);
  if (i < end && At(t, i) == '-') ++i;
  long long v = 0;
  for (; i < end && IsDigit(At(t, i)); ++i) {
    v = v * 10 + (At(t, i) - '0');
    if (v > std::numeric_limits<std::int32_t>::max()) v = std::numeric_limits<std::int32_t>::max();
  }
  return static_cast<int>(v);
}

bool ChartIsNumberText(const std::string& s) {
  std::size_t i = 0;
  if (i < s.size() && s[i] == '-') ++i;
  bool digit = false;
  bool point = false;
  for (; i < s.size(); ++i) {
    char c = s[i];
    if (c >= '0' && c <= '9') {
      digit = true;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return digit;
}

std::string ChartCellText(const ChartText& t, std::uint32_t offset, int mode) {
  std::string out;
  if (!t.text) return out;
  std::size_t i = offset;
  while (i < t.len) {
    unsigned char c = At(t, i);
    if (c < 0x20) break;
    std::size_t k = CharLength(t, i);
    if (mode == kChartCellLabel) {
      if (k == 1 && c == '^') break;
      if (c != '"') {
        if (out.size() + k > kChartCellMax) break;
        out.append(t.text + i, k);
      }
    } else if (IsDigit(c) || c == '-' || c == '.') {
      if (out.size() + 1 > kChartCellMax) break;
      out += static_cast<char>(c);
    }
    i += k;
  }
  if (mode != kChartCellLabel && !ChartIsNumberText(out)) out.clear();
  return out;
}

void ChartNumberList(const ChartText& t, std::int64_t p, ChartNumbers& list) {
  list.fill(0);
  if (p < 1 || !t.text || p >= static_cast<std::int64_t>(t.len)) return;
  constexpr int kLimit = 1000000000;
  std::size_t i = static_cast<std::size_t>(p);
  bool negativeNext = false;  // the item before ended with "@"
  bool rowNext = false;       // digits right after column letters
  for (int k = 0; k < 10 && i < t.len; ++k) {
    unsigned char c = At(t, i);
    if (c < 0x20 && c != csv::CSV_FIELD_SEP) break;
    bool negative = negativeNext || rowNext;
    negativeNext = false;
    rowNext = false;
    int value = 0;
    if (c == '-') {
      negative = true;
      ++i;
    }
    if (i < t.len && IsUpper(At(t, i))) {
      while (i < t.len && IsUpper(At(t, i))) {
        if (value <= kLimit / 26) value = value * 26 + (At(t, i) - 'A' + 1);
        ++i;
      }
      list[k] = -value;
      if (i < t.len && IsDigit(At(t, i))) {
        rowNext = true;  // the row is the next item
        continue;
      }
    } else {
      value = ReadDecimal(t, i, kLimit);
      if (i < t.len && At(t, i) == '@') {
        ++i;
        list[k] = negative ? -value : value;
        negativeNext = true;
        continue;
      }
      if (i < t.len && At(t, i) == '%') {
        ++i;
        bool below = i < t.len && At(t, i) == '-';
        if (below) ++i;
        int offset = ReadDecimal(t, i, kLimit);
        if (k + 8 < static_cast<int>(list.size())) list[k + 8] = below ? -offset : offset;
        negative = true;
      }
      list[k] = negative ? -value : value;
    }
    // The rest of the item (a unit, a word) is passed over.
    while (i < t.len) {
      unsigned char r = At(t, i);
      if (r < 0x20 || r == '/') break;
      std::size_t len = CharLength(t, i);
      if (len == 1 && r == '^') break;
      i += len;
    }
    if (i >= t.len) break;
    unsigned char end = At(t, i);
    if (end == '^' || end == csv::CSV_FIELD_SEP) {
      ++i;
      continue;
    }
    break;  // "/" or the end of the line
  }
}

std::string XlsxSeriesFormula(const ChartText& t, std::int64_t p, const ChartSheetList& sheets, CellOffsetList& cells,
                              int& sheetIndex, int defaultSheet, bool starSkip, ChartMessages& messages,
                              int* pointCount) {
  cells.fill(0);
  sheetIndex = 0;
  std::size_t recorded = 0;
  std::string formula;
  if (t.text && p >= 1 && p < static_cast<std::int64_t>(t.len)) {
    std::size_t i = static_cast<std::size_t>(p);
    sheetIndex = SelectSheet(t, i, sheets, defaultSheet, messages);
    std::string reference = SheetReference(sheets, sheetIndex);
    std::uint32_t dataStart =
        (sheets.starts && static_cast<std::size_t>(sheetIndex) < sheets.count) ? sheets.starts[sheetIndex] : 0;
    for (;;) {
      int c1 = 0;
      int r1 = 0;
      ReadCell(t, i, c1, r1);
      if (c1 < 1 || r1 < 1) break;
      int c2 = c1;
      int r2 = r1;
      std::string range = "$" + ColumnLetters(c1) + "$" + std::to_string(r1);
      if (i < t.len && At(t, i) == ':') {
        ++i;
        ReadCell(t, i, c2, r2);
        if (c2 < 1 || r2 < 1) break;
        range += ":$" + ColumnLetters(c2) + "$" + std::to_string(r2);
      }
      formula += formula.empty() ? "<c:f>(" : ",";
      formula += reference + "!" + range;
      if (c2 < c1) std::swap(c1, c2);
      if (r2 < r1) std::swap(r1, r2);
      // Row 1 is the line at the sheet's data offset.
      std::size_t at = std::min<std::size_t>(dataStart, t.len);
      if (r1 > 1 && at < t.len && At(t, at) == '\n') ++at;
      for (int row = 1; row < r1 && at < t.len; ++row) at = LineAfter(t, at);
      for (int row = r1; row <= r2 && at < t.len && recorded < kChartMaxCells; ++row) {
        std::size_t q = at;
        int column = 1;
        while (column < c1 && q < t.len && At(t, q) != '\r' && At(t, q) != '\n') {
          if (At(t, q) == csv::CSV_FIELD_SEP) ++column;
          ++q;
        }
        if (column == c1) {
          for (; column <= c2 && recorded < kChartMaxCells; ++column) {
            if (q >= t.len) break;
            if (!(starSkip && At(t, q) == '*')) cells[recorded++] = static_cast<std::uint32_t>(q);
            while (q < t.len && At(t, q) != csv::CSV_FIELD_SEP && At(t, q) != '\r' && At(t, q) != '\n') ++q;
            if (q >= t.len || At(t, q) != csv::CSV_FIELD_SEP) break;  // the row ends
            ++q;
          }
        }
        at = LineAfter(t, at);
      }
      if (i < t.len && (At(t, i) == '^' || At(t, i) == csv::CSV_FIELD_SEP)) {
        ++i;
        continue;
      }
      break;
    }
  }
  if (sheetIndex == 0) sheetIndex = (sheets.count > 1 && defaultSheet >= 1 &&
                                     static_cast<std::size_t>(defaultSheet) < sheets.count) ? defaultSheet : 1;
  cells[recorded] = 0;
  if (pointCount) *pointCount = static_cast<int>(recorded);
  std::string out = formula.empty() ? "<c:f>" : formula + ")";
  out += "</c:f><c:numCache><c:formatCode>#,##0</c:formatCode><c:ptCount val=\"";
  out += std::to_string(recorded);
  out += "\"/>";
  return out;
}

}  // namespace chart
