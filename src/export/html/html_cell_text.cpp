#include "export/html/html_cell_text.h"

#include <algorithm>
#include <cstring>

namespace htmlexport {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A value of a number column, as positions in the cell's bytes.
//
// A value counts as a number when, after the leading blanks and before the
// trailing ones, it is exactly: an optional currency sign ('$' or '\'), an
// optional sign ('-' or '+'), integer digits with commas only between two
// digits, and an optional '.' with fraction digits, with at least one digit
// in all. Anything else (a second '.', a letter, a blank inside, a lone sign)
// is text and written as text. This is the number of the worksheet writer's
// cells (a currency sign, then a sign, then digits and one point), without
// the blanks and quotes that writer lets stand among the digits, since here
// the value is rewritten rather than only typed.
struct Numeral {
  char currency = 0;  // '$' or '\' as written, 0 for none
  bool negative = false;
  std::size_t intBegin = 0, intEnd = 0;    // integer digits, commas among them
  std::size_t fracBegin = 0, fracEnd = 0;  // fraction digits
  bool grouped = false;  // written with commas among its integer digits
};

bool ParseNumeral(const char* s, std::size_t b, std::size_t e, Numeral& v) {
  std::size_t p = b;
  if (p < e && (s[p] == '$' || s[p] == '\\')) v.currency = s[p++];
  if (p < e && (s[p] == '-' || s[p] == '+')) v.negative = s[p++] == '-';
  v.intBegin = p;
  while (p < e && (IsDigit(s[p]) || (s[p] == ',' && p > v.intBegin && IsDigit(s[p - 1]) && p + 1 < e &&
                                     IsDigit(s[p + 1])))) {
    if (s[p] == ',') v.grouped = true;
    ++p;
  }
  v.intEnd = p;
  if (p < e && s[p] == '.') ++p;
  v.fracBegin = p;
  while (p < e && IsDigit(s[p])) ++p;
  v.fracEnd = p;
  return p == e && (v.intEnd > v.intBegin || v.fracEnd > v.fracBegin);
}

// Decimals of a number format: 0-6 for '0'-'6', kKeepDecimals for the
// integer and amount formats (whose values keep the decimals they are
// written with: their value ".5" is written "0.5"), kText otherwise.
constexpr int kKeepDecimals = -1;
constexpr int kText = -2;
int FormatDecimals(unsigned char type) {
  if (type >= '0' && type <= '6') return type - '0';
  if (type == 'i' || type == 'm' || type == 'd') return kKeepDecimals;
  return kText;
}

// Writes the value `v` of s[] with `decimals` (or kKeepDecimals), grouping
// the integer digits by three when `group`. The digits kept (the integer
// digits without commas and leading zeros, then the fraction digits up to
// the decimals) are rounded half up by the first dropped digit: the last
// kept digit that is not '9' goes up by one and the '9's after it become
// '0's, and when all are '9's a '1' comes first. Shorter fractions are
// padded with '0's. An empty integer part is written "0". The digits are
// read twice from the cell instead of copied, so a value of any length
// needs no memory of its own.
void WriteNumber(const char* s, const Numeral& v, int decimals, bool group, exportcore::ByteWriter& out) {
  // Leading zeros, and the commas among them, are not kept.
  std::size_t intStart = v.intBegin;
  while (intStart < v.intEnd && (s[intStart] == '0' || s[intStart] == ',')) ++intStart;
  const std::size_t fracLen = v.fracEnd - v.fracBegin;
  const std::size_t keptFrac =
      decimals == kKeepDecimals ? fracLen : std::min(fracLen, static_cast<std::size_t>(decimals));
  const bool roundUp = keptFrac < fracLen && s[v.fracBegin + keptFrac] >= '5';
  const std::size_t fracOut = decimals == kKeepDecimals ? fracLen : static_cast<std::size_t>(decimals);

  auto forEachKept = [&](auto&& visit) {
    std::size_t index = 0;
    for (std::size_t p = intStart; p < v.intEnd; ++p) {
      if (s[p] != ',') visit(index++, s[p]);
    }
    for (std::size_t k = 0; k < keptFrac; ++k) visit(index++, s[v.fracBegin + k]);
  };
  std::size_t keptCount = 0;
  std::size_t lastBelowNine = static_cast<std::size_t>(-1);
  forEachKept([&](std::size_t i, char d) {
    if (d != '9') lastBelowNine = i;
    ++keptCount;
  });
  const std::size_t intDigits = keptCount - keptFrac;
  const bool newLead = roundUp && lastBelowNine == static_cast<std::size_t>(-1);
  const std::size_t intOut = intDigits + (newLead ? 1 : 0);

  if (v.negative) out.AppendByte('-');
  std::size_t intLeft = intOut;  // integer digits still to write
  auto put = [&](char d) {
    if (intLeft > 0) {
      if (group && intLeft < intOut && intLeft % 3 == 0) out.AppendByte(',');
      --intLeft;
    }
    out.AppendByte(d);
  };
  if (intOut == 0) out.AppendByte('0');
  if (newLead) put('1');
  forEachKept([&](std::size_t i, char d) {
    if (i == intDigits && fracOut > 0) out.AppendByte('.');
    if (roundUp && (newLead || i > lastBelowNine)) d = '0';
    else if (roundUp && i == lastBelowNine) ++d;
    put(d);
  });
  if (keptFrac == 0 && fracOut > 0) out.AppendByte('.');
  for (std::size_t k = keptFrac; k < fracOut; ++k) out.AppendByte('0');
}

// The appends of one cell, remembering where a run of full-width low lines
// ending what was written starts.
class CellOut {
 public:
  explicit CellOut(exportcore::ByteWriter& out) : m_out(out), m_start(out.Size()) {}
  void Text(const char* s, std::size_t len) {
    m_out.Append(s, len);
    m_lowLines = kNone;
  }
  void Text(const char* s) { Text(s, std::strlen(s)); }
  void Pair(const char* p) {
    const bool lowLine = static_cast<unsigned char>(p[0]) == 0x81 && static_cast<unsigned char>(p[1]) == 0x51;
    if (lowLine && m_lowLines == kNone) m_lowLines = m_out.Size();
    m_out.Append(p, 2);
    if (!lowLine) m_lowLines = kNone;
  }
  void DropLowLines() {
    if (m_lowLines != kNone) m_out.Truncate(m_lowLines);
  }
  std::size_t Written() const { return m_out.Size() - m_start; }
  exportcore::ByteWriter& Out() { return m_out; }

 private:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  exportcore::ByteWriter& m_out;
  std::size_t m_start;
  std::size_t m_lowLines = kNone;
};

// Writes cell[p..end) as text: '&', the backslash escapes, "[R]", "[C]" and
// blanks as entities, everything else (markup included) as it stands, a
// double-byte character whole.
void WriteText(const char* cell, std::size_t p, std::size_t end, CellOut& out) {
  while (p < end) {
    if (exportcore::SjisPairLength(cell, p, end) == 2) {
      out.Pair(cell + p);
      p += 2;
      continue;
    }
    const char c = cell[p];
    const char next = p + 1 < end ? cell[p + 1] : 0;
    if (c == '\\' && (next == '"' || next == '<' || next == '>')) {
      out.Text(next == '"' ? "&quot;" : next == '<' ? "&lt;" : "&gt;");
      p += 2;
      continue;
    }
    if (c == '[' && (next == 'R' || next == 'C') && p + 2 < end && cell[p + 2] == ']') {
      out.Text(next == 'R' ? "&reg;" : "&copy;");
      p += 3;
      continue;
    }
    if (c == '&') out.Text("&amp;");
    else if (c == ' ') out.Text("&nbsp;");
    else out.Text(&c, 1);
    ++p;
  }
}

}  // namespace

std::size_t AppendHtmlCellText(const char* cell, std::size_t n, const HtmlCellFormat& f,
                               exportcore::ByteWriter& out) {
  CellOut w(out);
  const unsigned char type = f.code & 0x7F;
  std::size_t p = 0;
  if (f.firstCell && p < n && cell[p] == '~') ++p;
  const bool quoted = p < n && cell[p] == '"';
  if (quoted) ++p;

  // The visible text ends at the first '^' (a '^' that is the trail byte of
  // a double-byte character ends nothing); a closing quote ends it before.
  std::size_t end = p;
  while (end < n && cell[end] != '^') end += exportcore::SjisPairLength(cell, end, n);
  if (quoted && end > p && cell[end - 1] == '"') --end;

  if (type == 'v') {
    while (p < end && cell[p] == ' ') {
      w.Text("&nbsp;");
      ++p;
    }
  } else {
    while (p < end && cell[p] == ' ') ++p;
  }

  const int decimals = FormatDecimals(type);
  Numeral v;
  std::size_t valueEnd = end;
  while (valueEnd > p && cell[valueEnd - 1] == ' ') --valueEnd;
  if (f.dataRow && decimals != kText && ParseNumeral(cell, p, valueEnd, v)) {
    // Trailing blanks of a number are padding and are not written.
    char currency = v.currency;
    if (currency == 0 && type == 'd') currency = '$';
    if (currency == 0 && type == 'm') currency = '\\';
    if (currency != 0) w.Text(&currency, 1);
    // A value the table already shows grouped stays grouped (its commas
    // are placed anew); the column's grouping flag groups every value.
    WriteNumber(cell, v, decimals, (f.code & 0x80) != 0 || v.grouped, w.Out());
  } else {
    WriteText(cell, p, end, w);
  }

  if (type != 's' && f.byteAfter != 'L' && f.byteAfter != 'C') w.Text("&nbsp;");
  if (f.titleLine) w.DropLowLines();
  return w.Written();
}

}  // namespace htmlexport
