#include "export/xlsx/xlsx_section.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "csv/csv_buffer.h"
#include "export/xlsx/xlsx_conditions.h"
#include "export/xlsx/xlsx_export.h"
#include "fw/strtable.h"

namespace xlsx {
namespace {

constexpr unsigned char kSep = 0x06;
constexpr int kPositionNumbers = 7;            // from-col, from-row, to-col, to-row, rotation, two adjusts
constexpr std::int64_t kNegativeOffset = 90000;  // a '-' offset adds this
constexpr std::int64_t kOffsetCap = 99999;       // a '-' offset of 9999 and more
constexpr std::int64_t kRotationScale = 1000000;
constexpr std::int64_t kFullTurn = 360;
constexpr std::int64_t kAdjustCap = 999;
constexpr std::int64_t kNumberCap = 1000000000;  // digits past this are ignored
constexpr int kTextBoxCodeChars = 8;
constexpr int kBorderCodeChars = 4;
constexpr unsigned kStrNoMemory = 152;  // "memory is short" in the string table

// Horizontal alignment letters and the byte whose high six bits they set.
struct AlignCode {
  char letter;
  unsigned char bits;
};
constexpr AlignCode kHorizontal[] = {{'L', 'P'}, {'C', 'p'}, {'R', '`'}, {'W', 'T'}, {'O', 't'}};
constexpr AlignCode kVertical[] = {{'T', 2}, {'M', 1}, {'B', 3}};
// Border code positions in reading order: left, right, top, bottom.
constexpr int kBorderPositions[kBorderCodeChars] = {2, 3, 10, 11};

bool Ctl(unsigned char c) { return c <= 31; }

// The bytes of the section as a bounded view: reads past the end give NUL.
struct Text {
  const unsigned char* p;
  std::uint64_t n;
  unsigned char at(std::uint64_t i) const { return i < n ? p[i] : 0; }
  std::uint64_t LineEnd(std::uint64_t i) const {
    while (i < n && p[i] != '\r' && p[i] != '\n' && p[i] != 0) ++i;
    return i;
  }
  std::uint64_t NextLine(std::uint64_t i) const {
    i = LineEnd(i);
    if (i < n && p[i] == '\r') ++i;
    if (i < n && p[i] == '\n') ++i;
    return i;
  }
  bool Starts(std::uint64_t i, const char* s) const {
    for (; *s; ++s, ++i)
      if (at(i) != static_cast<unsigned char>(*s)) return false;
    return true;
  }
};

unsigned char& Pos(XlsxShapeRecord& r, int i) { return reinterpret_cast<unsigned char&>(r.rec.c[i]); }

void SetType(XlsxShapeRecord& r, unsigned char letter) {
  unsigned char& t = Pos(r, 1);
  const bool grouped = letter == 'c' || letter == 'm' || letter == 'd';
  if (t == '_') {
    t = static_cast<unsigned char>(letter | (grouped ? 0x80 : 0));
  } else if (letter == 'c') {
    t = static_cast<unsigned char>(t | 0x80);
  } else {
    t = static_cast<unsigned char>(letter | (grouped ? 0x80 : 0));
  }
}

// The '%' part: font family, fill and font colours, flags and size.
// Returns the index of the byte that ended it.
std::uint64_t ReadFontPart(const Text& t, std::uint64_t i, std::uint64_t end, XlsxShapeRecord& r,
                           bool* wantsColumnSize) {
  unsigned char flags = 0;
  int k = 0;
  for (; i < end; ++i, ++k) {
    const unsigned char c = t.at(i);
    if (Ctl(c) || c == '%' || c == '#' || c == '$') break;
    if (c == 'J' || c == 'M' || c == 'P' || c == 'N') {
      const int family = c == 'J' ? 1 : c == 'M' ? 2 : c == 'P' ? 3 : 4;
      flags = static_cast<unsigned char>((flags & 0x0F) | (family << 4));
    } else if (c >= 'b' && c <= 'y') {
      Pos(r, 6) = c;
      if (t.at(i + 1) == '@' && i + 2 < end && !Ctl(t.at(i + 2))) {
        SetFillAlpha(r, t.at(i + 2));
        i += 2;
        k += 2;
      }
    } else if (k < 2 && c >= 'B' && c <= 'Y') {
      Pos(r, 5) = c;
      *wantsColumnSize = true;
    } else if (k >= 2 && (c == 'B' || c == 'U' || c == 'I' || c == 'S')) {
      flags |= c == 'B' ? 1 : c == 'U' ? 2 : c == 'I' ? 4 : 8;
    } else if (k >= 2 && c == 'K') {
      flags |= 0x0F;
    } else if (c >= '0' && c <= '9') {
      Pos(r, 8) = c;
      *wantsColumnSize = false;
    }
  }
  SetFontFlags(r, flags);
  return i;
}

// The format codes of a format line's second field.
void ReadCodes(const Text& t, std::uint64_t i, std::uint64_t end, XlsxShapeRecord& r, bool* wantsColumnSize) {
  const bool textBox = IsTextBoxKind(Pos(r, 19));
  while (i < end) {
    const unsigned char c = t.at(i);
    if (Ctl(c)) break;
    bool handled = false;
    for (const AlignCode& a : kHorizontal)
      if (c == a.letter) {
        SetHorizontalAlign(r, a.bits);
        handled = true;
      }
    if (!handled)
      for (const AlignCode& a : kVertical)
        if (c == a.letter) {
          SetVerticalAlign(r, a.bits);
          handled = true;
        }
    if (handled) {
      ++i;
      continue;
    }
    switch (c) {
      case 'c': case 'g': case 'i': case 's': case 'v': case 'm': case 'd':
        SetType(r, c);
        ++i;
        break;
      case 'f': {
        const unsigned char d = t.at(i + 1);
        if (i + 1 < end && d >= '1' && d <= '9') {
          SetType(r, d);
          i += 2;
        } else {
          SetType(r, '2');
          ++i;
        }
        break;
      }
      case 'H': case 'V': case 'N':
        Pos(r, 9) = c;
        ++i;
        break;
      case '#': {
        ++i;
        unsigned char letters[4];
        int n = 0;
        for (; n < 4 && i < end; ++n, ++i) {
          const unsigned char l = t.at(i);
          if (!((l >= 'A' && l <= 'Z') || (l >= 'a' && l <= 'z'))) break;
          letters[n] = l;
        }
        SetBorderColours(r, letters, n);
        break;
      }
      case 'F':
        Pos(r, 19) = 'F';
        ++i;
        break;
      case '%':
        i = ReadFontPart(t, i + 1, end, r, wantsColumnSize);
        break;
      case '$':
        i = std::min<std::uint64_t>(
            ReadLinePart(reinterpret_cast<const char*>(t.p), static_cast<std::size_t>(end), static_cast<std::size_t>(i + 1), r),
            end);
        break;
      default:
        if ((c >= '0' && c <= '9') || c == '_') {
          if (textBox) {
            // A text box's eight line-code characters.
            for (int k = 0; k < kTextBoxCodeChars && i < end; ++k, ++i) {
              const unsigned char l = t.at(i);
              if (!((l >= '0' && l <= 'Z') || l == '_') || l == '%' || l == '#' || l == '$') break;
              Pos(r, 2 + k) = l;
            }
          } else {
            for (int k = 0; k < kBorderCodeChars && i < end; ++k, ++i) {
              const unsigned char l = t.at(i);
              if (!((l >= '0' && l <= '9') || l == '_')) break;
              Pos(r, kBorderPositions[k]) = l == '9' ? '_' : l;
            }
          }
        } else {
          ++i;  // other letters are skipped
        }
        break;
    }
  }
}

// A column given as one or two capital letters ('A' = 1, two letters a * 26 + b).
std::int64_t ReadColumnLetters(const Text& t, std::uint64_t& i, std::uint64_t end) {
  std::int64_t v = t.at(i) - 'A' + 1;
  ++i;
  if (i < end && t.at(i) >= 'A' && t.at(i) <= 'Z') {
    v = v * 26 + (t.at(i) - 'A' + 1);
    ++i;
  }
  while (i < end && t.at(i) >= 'A' && t.at(i) <= 'Z') ++i;  // a third letter names nothing
  return v;
}

std::int64_t ReadDigits(const Text& t, std::uint64_t& i, std::uint64_t end) {
  std::int64_t v = 0;
  while (i < end && t.at(i) >= '0' && t.at(i) <= '9') {
    if (v < kNumberCap) v = v * 10 + (t.at(i) - '0');
    ++i;
  }
  return v;
}

// The offset after a '%': digits up to ':' (a leading '-' adds 90000, or
// gives 99999 from 9999 on).
std::int64_t ReadOffset(const Text& t, std::uint64_t& i, std::uint64_t end) {
  bool negative = false;
  if (i < end && t.at(i) == '-') {
    negative = true;
    ++i;
  }
  std::int64_t v = 0;
  bool any = false;
  while (i < end && !Ctl(t.at(i)) && t.at(i) != ':' && t.at(i) != '^') {
    const unsigned char c = t.at(i);
    if (c >= '0' && c <= '9') {
      if (v < kNumberCap) v = v * 10 + (c - '0');
      any = true;
    } else if (any) {
      break;
    }
    ++i;
  }
  if (negative) v = v >= 9999 ? kOffsetCap : v + kNegativeOffset;
  return std::min(v, kOffsetCap);
}

// Up to seven numbers of a positions field. Returns how many were read;
// *stop is the byte that ended them.
int ReadNumbers(const Text& t, std::uint64_t& i, std::uint64_t end, std::int64_t v[kPositionNumbers]) {
  int count = 0;
  bool negative = false;
  while (i < end && count < kPositionNumbers) {
    const unsigned char c = t.at(i);
    if (Ctl(c) || c == '^') break;
    if (c == '-') {
      negative = true;
      ++i;
      continue;
    }
    std::int64_t value = 0;
    if (c >= 'A' && c <= 'Z') {
      value = ReadColumnLetters(t, i, end);
    } else if (c >= '0' && c <= '9') {
      value = ReadDigits(t, i, end);
    } else {
      ++i;  // separators
      negative = false;
      continue;
    }
    if (i < end && t.at(i) == '%') {
      ++i;
      value = value * kCellScale + ReadOffset(t, i, end);
    }
    v[count++] = negative ? -value : value;
    negative = false;
  }
  return count;
}

// The numbers into the record's cells, rotation and adjusts.
void PlaceNumbers(XlsxShapeRecord& r, const std::int64_t v[kPositionNumbers], int count) {
  std::int64_t fromCol = count > 0 ? v[0] : 0, fromRow = count > 1 ? v[1] : 0;
  std::int64_t toCol = count > 2 ? v[2] : 0, toRow = count > 3 ? v[3] : 0;
  if (count == 2) {
    toCol = fromCol;
    toRow = fromRow;
  }
  if (toCol == 0) toCol = fromCol;
  if (toRow == 0) toRow = fromRow;
  if (fromCol == 0) fromRow = toCol = toRow = 0;
  r.fromCol = fromCol;
  r.fromRow = fromRow;
  r.toCol = toCol;
  r.toRow = toRow;
  std::int64_t turn = 0;
  // Degrees are taken modulo 360: the same turn, and no number the drawing
  // cannot write (an offset can make the field as large as 10^15).
  if (count > 4) turn = ((v[4] % kFullTurn + kFullTurn) % kFullTurn) * kRotationScale;
  if (count > 5) turn += std::min(std::max<std::int64_t>(v[5], 0), kAdjustCap);
  if (count > 6) turn += std::min(std::max<std::int64_t>(v[6], 0), kAdjustCap) * 1000;
  r.rotation = turn;
}

// Column format entry's size digit for a '%' colour letter: the entry of the
// record's from-column.
void TakeColumnSize(XlsxShapeRecord& r, const XlsxSectionInput& in) {
  if (!in.columnFormats) return;
  const std::int64_t col = r.fromCol >= kCellScale ? r.fromCol / kCellScale : r.fromCol;
  if (col < 1 || static_cast<std::uint64_t>(col) >= in.columnFormats->size()) return;
  const unsigned char d = static_cast<unsigned char>((*in.columnFormats)[static_cast<std::size_t>(col)].c[8]);
  if (d >= '1' && d <= '9') Pos(r, 8) = d;
}

// A shape or picture line handed to the shape-line reader.
bool ReadShapeLineOfSection(const Text& t, std::uint64_t begin, std::size_t index, XlsxShapeRecord& r) {
  const XlsxShapeLine line = ReadShapeLine(reinterpret_cast<const char*>(t.p), static_cast<std::size_t>(t.n),
                                           static_cast<std::size_t>(begin), static_cast<std::uint32_t>(index), r);
  return line.shape;
}

struct Reader {
  const XlsxSectionInput& in;
  XlsxSectionObjects& out;
  Text t;

  bool Full() const { return out.records.size() >= static_cast<std::size_t>(kMaxSectionObjects); }

  void ShapeLine(std::uint64_t begin, std::uint64_t end) {
    const unsigned char a = t.at(begin), b = t.at(begin + 1);
    const bool picture = (a == 'p' && b == 'i') || (a == 'I' && b == 'm');
    ++out.shapeCount;
    if (picture) ++out.pictureLines;
    if (Full()) {
      ++out.linesRefused;
      return;
    }
    XlsxShapeRecord r;
    (void)end;
    if (ReadShapeLineOfSection(t, begin, out.records.size(), r))
      out.records.push_back(r);
  }

  void FormatLine(std::uint64_t begin, std::uint64_t end) {
    // Kind field and code field each end at 0x06.
    std::uint64_t kindEnd = begin;
    while (kindEnd < end && !Ctl(t.at(kindEnd))) ++kindEnd;
    if (kindEnd >= end || t.at(kindEnd) != kSep) return;
    const std::uint64_t codes = kindEnd + 1;
    std::uint64_t codesEnd = codes;
    while (codesEnd < end && !Ctl(t.at(codesEnd))) ++codesEnd;
    if (codesEnd >= end || t.at(codesEnd) != kSep) return;
    const std::uint64_t positions = codesEnd + 1;

    XlsxShapeRecord r = NewFormatRecord(in.defaultFill, in.sizeDigit);
    for (std::uint64_t i = begin; i < kindEnd; ++i) {
      const unsigned char c = t.at(i);
      if (c == 'u') Pos(r, 4) = 'u';
      else if (c == 'L') Pos(r, 4) = '_';
      else if (c == 'P') out.protectedSheet = true;
      else if (c == 'F') Pos(r, 19) = 'F';
      else if (c == 'M') {
        Pos(r, 19) = 'M';
        ++out.mergeCount;
        if (in.htmlMode) return;
      } else if (c == 'T' && (t.at(i + 1) == 'H' || t.at(i + 1) == 'V') && i + 1 < kindEnd) {
        const bool vertical = t.at(i + 1) == 'V';
        const bool callout = i + 2 < kindEnd && t.at(i + 2) == 'b';
        Pos(r, 19) = vertical ? (callout ? 'c' : 't') : (callout ? 'b' : 'T');
        Pos(r, 2) = '0';
        ++out.shapeCount;
        i += callout ? 2 : 1;
      }
    }
    bool wantsColumnSize = false;
    ReadCodes(t, codes, codesEnd, r, &wantsColumnSize);
    if (RecordHasNoFormat(r, in.defaultFill, in.sizeDigit)) Pos(r, 19) = static_cast<unsigned char>(Pos(r, 19) + 1);

    // Positions.
    if (t.Starts(positions, "if:")) {
      if (Full()) {
        ++out.linesRefused;
        return;
      }
      r.fromCol = kConditionObject;
      r.fromRow = static_cast<std::int64_t>(positions + 3);
      r.toCol = r.toRow = 0;
      out.hasConditions = true;
      out.records.push_back(r);
      return;
    }
    std::uint64_t i = positions;
    for (;;) {
      std::int64_t v[kPositionNumbers] = {};
      const int count = ReadNumbers(t, i, end, v);
      PlaceNumbers(r, v, count);
      if (wantsColumnSize) TakeColumnSize(r, in);
      // The text of a text box: the field after the positions.
      std::uint64_t field = i;
      while (field < end && !Ctl(t.at(field))) ++field;
      r.textPos = static_cast<std::int64_t>(field < end && t.at(field) == kSep ? field + 1 : field);
      // The filter: kind 'F', or 'G' when the line gives no codes (the
      // filter is what the line is, not a format it carries).
      const unsigned char kind = Pos(r, 19);
      if ((kind == 'F' || kind == 'G') && out.filterRow == 0 && r.fromCol != 0) {
        out.filterFromColumn = RecordCell(r.fromCol);
        out.filterRow = RecordCell(r.fromRow);
        out.filterToColumn = RecordCell(r.toCol);
      }
      if (Full()) {
        ++out.linesRefused;
        return;
      }
      out.records.push_back(r);
      if (!IsDrawnKind(Pos(r, 19)) && Pos(r, 19) != 'M' && Pos(r, 19) != 'N') out.hasRegions = true;
      if (i < end && t.at(i) == '^') {
        ++i;  // the record copied for the next set of numbers
        continue;
      }
      break;
    }
  }

  void Run() {
    std::uint64_t i = t.NextLine(in.sectionStart);  // the "!%" line itself holds no object
    while (i < t.n) {
      const unsigned char a = t.at(i), b = t.at(i + 1);
      if (a == 0) break;
      if (t.Starts(i, "!*") || t.Starts(i, "!#") || t.Starts(i, "!$") || t.Starts(i, "$$")) break;
      const std::uint64_t end = t.LineEnd(i);
      const bool shape = (a == 'L' && b == 'i') || (a == 'R' && b == 'e') || (a == 'E' && b == 'l') ||
                         (a == 'p' && b == 'i') || (a == 'I' && b == 'm') || a == 'A' || a == 'f';
      if (shape) ShapeLine(i, end);
      else if (Full()) ++out.linesRefused;
      else FormatLine(i, end);
      i = t.NextLine(i);
    }
  }
};

}  // namespace

XlsxShapeRecord NewFormatRecord(unsigned char defaultFill, unsigned char sizeDigit) {
  XlsxShapeRecord r;
  for (int i = 0; i < kFormatRecordLength; ++i) r.rec.c[i] = '_';
  r.rec.c[0] = '@';
  r.rec.c[9] = 0;
  Pos(r, 6) = defaultFill ? defaultFill : '_';
  Pos(r, 8) = sizeDigit ? sizeDigit : '_';
  return r;
}

bool RecordHasNoFormat(const XlsxShapeRecord& r, unsigned char defaultFill, unsigned char sizeDigit) {
  const XlsxShapeRecord fresh = NewFormatRecord(defaultFill, sizeDigit);
  return std::memcmp(r.rec.c, fresh.rec.c, 16) == 0;
}

std::uint64_t SectionGridRows(std::uint64_t sheetRows) { return sheetRows + 2; }

void XlsxReadSectionLines(const XlsxSectionInput& in, XlsxSectionObjects& out) {
  out = XlsxSectionObjects();
  if (!in.text || in.sectionStart >= in.length) return;
  Reader rd{in, out, Text{reinterpret_cast<const unsigned char*>(in.text), in.length}};
  rd.Run();
}

CString XlsxMemoryText(const char* tail, std::uint64_t textLen) {
  std::string text;
  fw::LookupString(kStrNoMemory, text);
  char buf[64];
  std::snprintf(buf, sizeof buf, tail, static_cast<unsigned long long>(textLen));
  return CString((text + buf).c_str());
}

int XlsxSheetFormatSection(XlsxRun& run, const csv::TableFields& t, XlsxRunHost& host,
                           XlsxConditionSelector* selector, bool htmlMode) {
  run.ClearSection();
  const XlsxSheetModel& m = run.sheet;
  if (m.formatSection == 0 || !t.m_pTextBuf) return 0;
  const char* text = reinterpret_cast<const char*>(t.m_pTextBuf);
  const std::uint64_t len = std::min(t.m_nTextLen, t.m_nWorkSize);

  XlsxSectionInput in;
  in.text = text;
  in.length = len;
  in.sectionStart = m.formatSection;
  in.columnCount = std::max<std::uint32_t>(m.bounds.columnCount, 1);
  in.sizeDigit = static_cast<unsigned char>(m.settings.fontSizeDigit);
  in.htmlMode = htmlMode;
  in.columnFormats = &run.XlsxColumnFormats;
  XlsxSectionObjects objects;
  XlsxReadSectionLines(in, objects);

  XlsxObjectLayer& layer = run.XlsxObjects;
  layer.shapes = std::move(objects.records);
  run.XlsxMergeCount = objects.mergeCount;
  run.XlsxShapeCount = objects.shapeCount;
  run.XlsxPictureLines = objects.pictureLines;
  run.XlsxSheetProtected = objects.protectedSheet;
  // The section's filter, unless a row code gave the sheet one.
  const std::uint32_t n = m.number;
  if (objects.filterRow > 0 && n < static_cast<std::uint32_t>(kSheetSlots) && run.XlsxFilterRow[n] == 0) {
    const std::uint32_t a = std::min<std::uint32_t>(objects.filterFromColumn, 9999);
    const std::uint32_t b = std::min<std::uint32_t>(std::max(objects.filterToColumn, a), 9999);
    run.XlsxFilterColumns[n] = a > 1 ? a * 10000 + b : b;
    run.XlsxFilterRow[n] = objects.filterRow;
  }
  if (!objects.hasRegions && !objects.hasConditions) return 0;

  // The grid: one line per row of the sheet.
  const std::uint64_t first = m.firstRowNumber;
  const std::uint64_t last = std::max<std::uint64_t>(m.bounds.endRow, first);
  if (!XlsxBuildGrid(layer, in.columnCount, SectionGridRows(last - first + 1))) {
    host.ShowMessage(XlsxMemoryText("  abuff#=%llu ", t.m_nTextLen));
    run.ClearSection();
    return -1;
  }
  if (objects.hasConditions && selector) {
    XlsxConditionInput ci;
    ci.text = text;
    ci.length = len;
    ci.sheetStart = m.readStart;
    ci.sheetEnd = std::min<std::uint64_t>(std::max(m.bounds.endOffset, m.readStart), len);
    if (ci.sheetEnd <= ci.sheetStart) ci.sheetEnd = len;
    ci.sectionStart = m.formatSection;
    ci.sectionEnd = ci.sheetEnd > m.formatSection ? ci.sheetEnd : len;
    ci.columnCount = in.columnCount;
    const bool headLine = len >= m.readStart + 2 && text[m.readStart] == '!' && text[m.readStart + 1] == '*';
    std::uint64_t title = m.bounds.titleRow >= first ? m.bounds.titleRow - first + 1 : 1;
    if (headLine && title > 1) --title;
    ci.titleLine = static_cast<std::uint32_t>(std::min<std::uint64_t>(title, 0xFFFFFFFFu));
    ci.skipRow = m.settings.sheetLetter == 'S';
    ci.htmlMode = htmlMode;
    std::uint64_t needed = 0;
    if (!XlsxResolveConditions(ci, layer, *selector, htmlMode ? &run.XlsxConditionMarks : nullptr, &needed)) {
      host.ShowMessage(XlsxMemoryText("  fbuff#=%llu ", t.m_nTextLen));
      run.ClearSection();
      return -1;
    }
  }
  XlsxLayRegions(layer);
  return 0;
}

}  // namespace xlsx
