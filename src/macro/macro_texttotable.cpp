#include "macro/macro_texttotable.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "csv/csv_table.h"
#include "fw/sjis.h"
#include "macro/macro_columnlayout.h"

namespace macro {

namespace {

constexpr std::size_t kSurveyLineBytes = 9000;  // bytes of a line the survey reads
constexpr int kSurveyLines = 10;
constexpr std::uint32_t kSeparatedMargin = 100000;  // spare bytes of the separated table
constexpr std::uint32_t kColumnsMargin = 10000;     // spare bytes of the column-aligned table
constexpr std::size_t kWordScanBytes = 100;

struct Line {
  std::size_t begin = 0, end = 0;  // the line without its line end
  std::size_t next = 0;            // the following line's start
};

std::size_t TextEnd(const std::uint8_t* text, std::size_t length) {
  if (!text) return 0;
  const void* nul = std::memchr(text, 0, length);
  return nul ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - text) : length;
}

// The text's lines: CR LF, a lone CR or a lone LF ends one. A last line
// without a line end counts; an empty text has no line.
std::vector<Line> SplitLines(const std::uint8_t* text, std::size_t end) {
  std::vector<Line> lines;
  std::size_t at = 0;
  while (at < end) {
    Line l;
    l.begin = at;
    std::size_t i = at;
    while (i < end && text[i] != '\r' && text[i] != '\n') ++i;
    l.end = i;
    if (i < end && text[i] == '\r') {
      ++i;
      if (i < end && text[i] == '\n') ++i;
    } else if (i < end && text[i] == '\n') {
      ++i;
    }
    l.next = i;
    lines.push_back(l);
    at = i;
  }
  return lines;
}

bool IsBlank(std::uint8_t c) { return c == ' ' || c == '\t'; }

bool HasNonBlank(const std::uint8_t* p, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i)
    if (!IsBlank(p[i])) return true;
  return false;
}

bool StartsWith(const std::uint8_t* p, std::size_t n, const char* word) {
  const std::size_t w = std::strlen(word);
  return n >= w && std::memcmp(p, word, w) == 0;
}

// Positions in [p, p + n) that are the second byte of a double-byte character.
std::vector<bool> TrailBytes(const std::uint8_t* p, std::size_t n) {
  std::vector<bool> trail(n, false);
  for (std::size_t i = 0; i < n; ++i) {
    if (fw::IsSjisLeadByte(p[i]) && i + 1 < n) {
      trail[i + 1] = true;
      ++i;
    }
  }
  return trail;
}

struct LineCounts {
  int tabs = 0, bars = 0;
};

LineCounts CountSeparators(const std::uint8_t* p, std::size_t n) {
  LineCounts c;
  n = std::min(n, kSurveyLineBytes);
  for (std::size_t i = 0; i < n; ++i) {
    if (fw::IsSjisLeadByte(p[i])) {
      ++i;  // its trail byte is never a separator
      continue;
    }
    if (p[i] == '\t') ++c.tabs;
    if (p[i] == '|') ++c.bars;
  }
  return c;
}

int CountWords(const std::uint8_t* p, std::size_t n) {
  n = std::min(n, kWordScanBytes);
  int words = 0;
  bool afterBlank = true;
  for (std::size_t i = 0; i < n; ++i) {
    const bool blank = IsBlank(p[i]);
    if (!blank && afterBlank) ++words;
    afterBlank = blank;
  }
  return words;
}

// One converted line of separated text into `out`.
struct FieldWriter {
  std::string* out;
  std::uint8_t separator;  // '\t' or '|'
  bool titleLine;          // empty fields become "_"

  void Line(const std::uint8_t* p, std::size_t n) {
    const std::vector<bool> trail = TrailBytes(p, n);
    std::size_t start = 0;
    for (std::size_t i = 0; i <= n; ++i) {
      if (i < n && !(p[i] == separator && !trail[i])) continue;
      Field(p + start, i - start);
      if (i < n) out->push_back(0x06);
      start = i + 1;
    }
  }

  // A field: trailing blanks cut; a comma outside double quotes, or double
  // quotes left open at its end, put it in double quotes with its own
  // double quotes doubled, so the table reads it back as the one field it
  // was and an open quote never runs on into the next rows.
  void Field(const std::uint8_t* p, std::size_t n) {
    while (n > 0 && (p[n - 1] == ' ' || (separator != '\t' && p[n - 1] == '\t'))) --n;
    if (n == 0) {
      if (titleLine) out->push_back('_');
      return;
    }
    bool quoted = false, commaOutside = false;
    for (std::size_t i = 0; i < n; ++i) {
      if (p[i] == '"') quoted = !quoted;
      else if (p[i] == ',' && !quoted) commaOutside = true;
    }
    if (!commaOutside && !quoted) {
      out->append(reinterpret_cast<const char*>(p), n);
      return;
    }
    out->push_back('"');
    for (std::size_t i = 0; i < n; ++i) {
      out->push_back(static_cast<char>(p[i]));
      if (p[i] == '"') out->push_back('"');
    }
    out->push_back('"');
  }
};

// A line outside the range: copied, with '|' made a blank when '|' is the
// separator (trail bytes kept).
void CopyOutside(const std::uint8_t* p, std::size_t n, bool barSeparator, std::string* out) {
  if (!barSeparator) {
    out->append(reinterpret_cast<const char*>(p), n);
    return;
  }
  const std::vector<bool> trail = TrailBytes(p, n);
  for (std::size_t i = 0; i < n; ++i) out->push_back(p[i] == '|' && !trail[i] ? ' ' : static_cast<char>(p[i]));
}

void AppendLineEnd(const std::uint8_t* text, const Line& l, std::string* out) {
  out->append(reinterpret_cast<const char*>(text + l.end), l.next - l.end);
}

}  // namespace

int CountTextLines(const std::uint8_t* text, std::size_t length) {
  return static_cast<int>(SplitLines(text, TextEnd(text, length)).size());
}

TextTableSurvey SurveyTextTable(const std::uint8_t* text, std::size_t length, int first, int last) {
  TextTableSurvey s;
  const std::size_t end = TextEnd(text, length);
  const std::vector<Line> lines = SplitLines(text, end);
  const int count = static_cast<int>(lines.size());
  first = std::max(first, 0);
  int stop = first + kSurveyLines;  // exclusive
  bool seenText = false;
  for (int no = first; no < count && no < stop; ++no) {
    if (last >= 0 && no > last) break;
    const Line& l = lines[static_cast<std::size_t>(no)];
    const std::uint8_t* p = text + l.begin;
    const std::size_t n = l.end - l.begin;
    if (!seenText) {
      ++stop;  // lines before the first text do not use up the survey
      seenText = HasNonBlank(p, std::min(n, kSurveyLineBytes));
    }
    const LineCounts c = CountSeparators(p, n);
    ++s.linesSurveyed;
    s.maxTabs = std::max(s.maxTabs, c.tabs);
    s.maxBars = std::max(s.maxBars, c.bars);
    if (c.bars > 3 && s.firstBarLine < 0) s.firstBarLine = no;
    // Four TABs settle it; bars do not, as a later line of two TABs still
    // makes the text TAB-separated.
    if (c.tabs >= 4) break;
  }
  if (s.maxTabs >= 2)
    s.separator = TextTableSeparator::kTab;
  else if (s.maxBars >= 4)
    s.separator = TextTableSeparator::kBar;
  return s;
}

int DefaultTextTableEnd(const std::uint8_t* text, std::size_t length) {
  const std::vector<Line> lines = SplitLines(text, TextEnd(text, length));
  const int count = static_cast<int>(lines.size());
  for (int no = count - 1; no >= 0 && no >= count - kSurveyLines; --no) {
    const Line& l = lines[static_cast<std::size_t>(no)];
    if (CountWords(text + l.begin, l.end - l.begin) >= 4) return no;
  }
  return count > 0 ? count - 1 : 0;
}

namespace {

TextTableOutcome Separated(const std::uint8_t* text, const std::vector<Line>& lines, int first, int last,
                           const TextTableSurvey& survey, csv::Table* table) {
  TextTableOutcome o;
  o.separator = survey.separator;
  const bool bars = survey.separator == TextTableSeparator::kBar;
  const std::uint8_t sep = bars ? '|' : '\t';
  // The table's first line: with '|' the first line of more than 3 bars
  // inside the range; lines of the range before it are copied as text.
  int tableFirst = first;
  if (bars && survey.firstBarLine > first) tableFirst = survey.firstBarLine;
  const int count = static_cast<int>(lines.size());
  std::string out;
  try {
    std::size_t total = lines.empty() ? 0 : lines.back().next;
    out.reserve(total + total / 4 + 64);
    int rowsOut = 0;        // rows written so far
    bool limitsOff = false;  // a block head line past line 2 lifts the range's end
    int lastRangeLine = last;
    for (int no = 0; no < count; ++no) {
      const Line& l = lines[static_cast<std::size_t>(no)];
      const std::uint8_t* p = text + l.begin;
      const std::size_t n = l.end - l.begin;
      const bool inRange = no >= tableFirst && (limitsOff || no <= lastRangeLine);
      if (!inRange) {
        if (no < tableFirst && bars && StartsWith(p, n, "+---")) continue;
        CopyOutside(p, n, bars, &out);
        AppendLineEnd(text, l, &out);
        ++rowsOut;
        continue;
      }
      if (bars) {
        const bool pageHead = StartsWith(p, n, " --P");
        const bool sheetHead = StartsWith(p, n, "[She");
        if (pageHead || sheetHead) {
          const std::size_t at = pageHead ? 4 : 6;
          out += "!#XLaA:P";
          for (std::size_t k = at; k < at + 2; ++k) out.push_back(k < n ? static_cast<char>(p[k]) : ' ');
          out += "\r\n";
          ++rowsOut;
          if (no > 1) limitsOff = true;
          continue;
        }
        if (StartsWith(p, n, "+---") || !HasNonBlank(p, n)) continue;
      }
      const bool titleRow = o.titleLine == 0;
      if (titleRow) o.titleLine = rowsOut + 1;
      FieldWriter w{&out, sep, titleRow};
      w.Line(p, n);
      // Every row of the table ends with CR LF, also a last line without one.
      out += "\r\n";
      ++rowsOut;
    }
    if (o.titleLine == 0) o.titleLine = 1;
    const int end = std::min(last, count - 1);
    // Rows of the range; a block head that lifted its end takes the lines up
    // to the text's end.
    o.rowCount = static_cast<std::uint32_t>(std::max((limitsOff ? count - 1 : end) - tableFirst + 1, 0));
  } catch (const std::bad_alloc&) {
    o.result = kTextTableNoMemory;
    o.memoryPlace = kTextTableMemSeparated;
    return o;
  }
  if (!table->Assign(out.data(), out.size(), kSeparatedMargin)) {
    o.result = kTextTableNoMemory;
    o.memoryPlace = kTextTableMemSeparated;
    return o;
  }
  o.fieldCount = table->m_nFieldCount;
  return o;
}

TextTableOutcome ColumnAligned(const std::uint8_t* text, const std::vector<Line>& lines, int first, int last,
                               csv::Table* table) {
  TextTableOutcome o;
  o.separator = TextTableSeparator::kNone;
  const int count = static_cast<int>(lines.size());
  std::string out;
  try {
    const std::size_t rangeBegin = lines[static_cast<std::size_t>(first)].begin;
    const std::size_t rangeEnd = lines[static_cast<std::size_t>(last)].next;
    out.reserve(2 * (lines.back().next + 1));
    // The layout of the range's own lines: its title line and its columns.
    ColumnLayout layout;
    DetectColumnLayout(text + rangeBegin, rangeEnd - rangeBegin, kLayoutFindTitle, 0, &layout);
    int cutFrom = first;
    if (layout.titleLine > 0) cutFrom = std::min(first + layout.titleLine - 1, last);
    out.append(reinterpret_cast<const char*>(text), lines[static_cast<std::size_t>(cutFrom)].begin);
    o.titleLine = cutFrom + 1;
    ScanResult cut;
    if (!layout.spec.empty()) {
      ScanTextRange(text, rangeEnd, lines[static_cast<std::size_t>(cutFrom)].begin, layout.spec, std::string(), &cut);
    } else {
      cut.out.assign(reinterpret_cast<const char*>(text) + lines[static_cast<std::size_t>(cutFrom)].begin,
                     rangeEnd - lines[static_cast<std::size_t>(cutFrom)].begin);
    }
    // A 0x7F becomes a blank, and a CR without its LF gets one.
    for (std::size_t i = 0; i < cut.out.size(); ++i) {
      const char c = cut.out[i];
      if (c == 0x7F) {
        out.push_back(' ');
      } else if (c == '\r' && (i + 1 >= cut.out.size() || cut.out[i + 1] != '\n')) {
        out += "\r\n";
      } else {
        out.push_back(c);
      }
    }
    if (!out.empty() && out.back() != '\n') out += "\r\n";
    const std::size_t restFrom = rangeEnd;
    const std::size_t textEnd = lines.back().next;
    if (restFrom < textEnd) out.append(reinterpret_cast<const char*>(text) + restFrom, textEnd - restFrom);
    o.rowCount = static_cast<std::uint32_t>(last - cutFrom + 1);
    (void)count;
  } catch (const std::bad_alloc&) {
    o.result = kTextTableNoMemory;
    o.memoryPlace = kTextTableMemColumns;
    return o;
  }
  if (!table->Assign(out.data(), out.size(), kColumnsMargin)) {
    o.result = kTextTableNoMemory;
    o.memoryPlace = kTextTableMemFinal;
    return o;
  }
  o.fieldCount = table->m_nFieldCount;
  return o;
}

}  // namespace

TextTableOutcome ConvertTextLinesToTable(const std::uint8_t* text, std::size_t length, const TextTableRequest& req,
                                         csv::Table* table) {
  const std::size_t end = TextEnd(text, length);
  const std::vector<Line> lines = SplitLines(text, end);
  const int count = static_cast<int>(lines.size());
  if (count == 0) {
    // Nothing to convert: an empty table.
    TextTableOutcome o;
    if (!table->Assign("", 0, kSeparatedMargin)) {
      o.result = kTextTableNoMemory;
      o.memoryPlace = kTextTableMemSeparated;
    }
    o.titleLine = 1;
    return o;
  }
  int first = std::clamp(req.firstLine, 0, count - 1);
  int last = req.lastLine < 0 ? count - 1 : std::clamp(req.lastLine, first, count - 1);
  const TextTableSurvey survey = SurveyTextTable(text, end, first, last);
  if (survey.separator == TextTableSeparator::kNone) return ColumnAligned(text, lines, first, last, table);
  return Separated(text, lines, first, last, survey, table);
}

}  // namespace macro
