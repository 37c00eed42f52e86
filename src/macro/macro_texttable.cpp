#include "macro/macro_texttable.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "csv/csv_index.h"
#include "core/docdata/doc_fields.h"
#include "csv/csv_table.h"
#include "fw/alloc.h"
#include "macro/macro_columnlayout.h"
#include "macro/macro_run.h"
#include "macro/macro_run_errors.h"
#include "macro/macro_run_host.h"
#include "macro/macro_state.h"

namespace macro {

namespace {

constexpr std::size_t kDetectLimit = 5000;      // bytes the detection scan looks at
constexpr std::uint32_t kTableMargin = 10000;   // spare bytes after the new table text
constexpr std::uint32_t kCsvTableKind = 33;

std::size_t TextEnd(const std::uint8_t* text, std::size_t length) {
  if (text == nullptr) return 0;
  const void* nul = std::memchr(text, 0, length);
  return nul ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - text) : length;
}

bool IsDigit(std::uint8_t c) { return c >= '0' && c <= '9'; }

bool IsThousandsComma(const std::uint8_t* t, std::size_t end, std::size_t k) {
  if (k == 0 || !IsDigit(t[k - 1])) return false;
  for (std::size_t d = 1; d <= 3; ++d)
    if (k + d >= end || !IsDigit(t[k + d])) return false;
  if (k + 4 >= end) return true;
  const std::uint8_t after = t[k + 4];
  return after == ',' || after == '.' || after < '!';
}

// Bounded writer: never passes its capacity (the last byte is kept for NUL).
struct Out {
  char* buf;
  std::size_t cap, len = 0;
  bool overflow = false;
  void Put(char c) {
    if (len + 1 < cap) buf[len++] = c;
    else overflow = true;
  }
};

bool IsLineEnd(std::uint8_t c) { return c == '\r' || c == '\n'; }

}  // namespace

SeparatorCounts ScanSeparators(const std::uint8_t* text, std::size_t length, std::size_t from) {
  SeparatorCounts c;
  const std::size_t end = TextEnd(text, length);
  bool quoted = false, lineHeld = false;
  for (std::size_t i = from; i < end && i < kDetectLimit; ++i) {
    const std::uint8_t b = text[i];
    if (b == '"') {
      quoted = !quoted;
    } else if (b == ',') {
      if (!quoted && !IsThousandsComma(text, end, i)) {
        ++c.commas;
        lineHeld = true;
      }
    } else if (b == '\t') {
      ++c.tabs;
      lineHeld = true;
    } else if (b == '|') {
      ++c.bars;
      lineHeld = true;
    } else if (b == 0x06) {
      ++c.sixes;
    } else if (b == '\n') {
      ++c.lines;
      if (lineHeld || c.lines >= 2) break;
    }
  }
  return c;
}

char ChooseTableLetter(unsigned char letter, const SeparatorCounts& counts) {
  switch (letter) {
    case 'a':
      if (counts.sixes > 2) return '6';
      if (counts.tabs > 2) return 'b';
      if (counts.bars > 4) return 'x';
      if (counts.commas > 4) return 'c';
      return 's';
    case 'c':
    case 'x':
    case 'b':
    case '6':
      return static_cast<char>(letter);
    default:
      return 's';
  }
}

std::uint8_t TableSeparator(char letter, const CString& operand, const std::uint8_t* text, std::size_t length) {
  std::uint8_t sep = ',';
  const std::string op = operand.Str();
  if (op.empty()) {
    switch (letter) {
      case 'x': sep = '|'; break;
      case 'b': sep = '\t'; break;
      case '6': sep = 0x06; break;
      default: sep = ','; break;
    }
  } else if (op == "\\t") {
    sep = '\t';
  } else {
    sep = static_cast<std::uint8_t>(op[0]);
  }
  if (sep == '\t') {
    const std::size_t end = TextEnd(text, length);
    std::size_t tabs = 0, sixes = 0;
    for (std::size_t i = 0; i < end; ++i) {
      tabs += text[i] == '\t';
      sixes += text[i] == 0x06;
    }
    if (sixes > tabs) sep = 0x06;
  }
  return sep;
}

bool ConvertBySeparator(const std::uint8_t* text, std::size_t length, std::uint8_t sep, bool quoteMode,
                        ConvertedText* out) {
  *out = ConvertedText();
  const std::size_t end = TextEnd(text, length);
  // The output's size from the counts: every field may gain two quotes, every
  // double quote may be doubled, every line may gain a '~'.
  std::uint64_t seps = 0, ends = 0, quotes = 0;
  for (std::size_t i = 0; i < end; ++i) {
    seps += text[i] == sep;
    ends += IsLineEnd(text[i]);
    quotes += text[i] == '"';
  }
  const std::uint64_t fields = seps + ends + 1;
  const std::uint64_t bound = static_cast<std::uint64_t>(end) + 1000 + quotes + 2 * fields + (ends + 1) + 1;
  if (bound > 0xFFFFFFF0ull) return false;
  char* buf = static_cast<char*>(fw::Alloc(static_cast<std::size_t>(bound)));
  if (buf == nullptr) return false;
  Out o{buf, static_cast<std::size_t>(bound)};

  // One field from `at`: a double quote at its start opens a quoted part
  // ("" inside it is a quote), which ends at the next lone quote; the field
  // ends at a separator outside that part, at a line end or at the end.
  auto fieldEnd = [&](std::size_t at, bool* commaOutside) {
    std::size_t k = at;
    *commaOutside = false;
    if (k < end && text[k] == '"' && sep != '"') {
      ++k;
      while (k < end && !IsLineEnd(text[k])) {
        if (text[k] == '"') {
          if (k + 1 < end && text[k + 1] == '"') {
            k += 2;
            continue;
          }
          ++k;
          break;
        }
        ++k;
      }
    }
    for (; k < end && !IsLineEnd(text[k]) && text[k] != sep; ++k)
      if (text[k] == ',') *commaOutside = true;
    return k;
  };
  std::size_t i = 0;
  while (i < end && text[i] == ' ') ++i;
  bool firstLine = true;
  while (i < end) {
    // A line: '~' first when it holds no separator.
    bool comma = false;
    const std::size_t firstEnd = fieldEnd(i, &comma);
    if (firstEnd >= end || IsLineEnd(text[firstEnd])) o.Put('~');
    for (;;) {
      const std::size_t k = fieldEnd(i, &comma);
      // A field that already stands in double quotes is copied as it is.
      const bool preQuoted = i < k && text[i] == '"' && sep != '"';
      const bool wrapped = !preQuoted && (quoteMode || comma);
      if (wrapped) o.Put('"');
      const std::size_t fieldStart = o.len;
      for (std::size_t q = i; q < k; ++q) {
        if (wrapped && text[q] == '"') o.Put('"');
        o.Put(static_cast<char>(text[q]));
      }
      if (sep != '\t')
        while (o.len > fieldStart && o.buf[o.len - 1] == ' ') --o.len;
      if (wrapped) o.Put('"');
      i = k;
      if (i < end && text[i] == sep && !IsLineEnd(sep)) {
        o.Put(0x06);
        if (firstLine) ++out->firstLineSeparators;
        ++i;
        continue;
      }
      break;
    }
    if (i < end) {  // a line end: CR LF, CR or LF, copied
      const std::uint8_t b = text[i++];
      o.Put(static_cast<char>(b));
      if (b == '\r' && i < end && text[i] == '\n') {
        o.Put('\n');
        ++i;
      }
      ++out->lineEnds;
      firstLine = false;
    }
  }
  if (o.overflow) {  // cannot happen with the size above; never a cut table
    fw::Free(buf);
    return false;
  }
  buf[o.len] = '\0';
  out->bytes = buf;
  out->length = o.len;
  out->capacity = o.cap;
  return true;
}

int FirstFixedWidthDataLine(const std::uint8_t* text, std::size_t length) {
  const std::size_t end = TextEnd(text, length);
  std::size_t i = 0;
  for (int line = 1; line <= 10 && i < end; ++line) {
    int places = 0;
    std::uint8_t prev = 0;
    for (; i < end && !IsLineEnd(text[i]); ++i) {
      const std::uint8_t b = text[i];
      if ((prev == ' ' || prev == '\t') && b != ' ' && b != '\t') ++places;
      prev = b;
    }
    if (places >= 4) return line;
    if (i < end && text[i] == '\r') ++i;
    if (i < end && text[i] == '\n') ++i;
  }
  return 1;
}

std::string CopyCutFields(const std::string& work) {
  std::string out;
  out.reserve(work.size() + work.size() / 8 + 16);
  std::size_t i = 0;
  const std::size_t n = work.size();
  while (i <= n) {
    // One field: up to 0x06, TAB, a line end or the end.
    std::size_t k = i;
    bool q = false, comma = false;
    while (k < n && work[k] != 0x06 && work[k] != '\t' && !IsLineEnd(static_cast<std::uint8_t>(work[k]))) {
      if (work[k] == '"') q = !q;
      else if (work[k] == ',' && !q) comma = true;
      ++k;
    }
    if (comma) out.push_back('"');
    out.append(work, i, k - i);
    if (comma) out.push_back('"');
    if (k >= n) break;
    if (work[k] == 0x06 || work[k] == '\t') {
      out.push_back(0x06);
      i = k + 1;
      continue;
    }
    out.push_back(work[k]);
    if (work[k] == '\r' && k + 1 < n && work[k + 1] == '\n') {
      out.push_back('\n');
      ++k;
    }
    i = k + 1;
    if (i >= n) break;
  }
  return out;
}

namespace {

// The new table text takes the view's table (indexed again); the view and
// the document show a CSV table.
Outcome InstallTable(MacroRunContext& rc, const char* bytes, std::size_t n, RunError onFailure) {
  csv::Table& t = rc.table;
  if (!t.Assign(bytes, n, kTableMargin)) return MacroRaiseRunError(&rc.host, onFailure);
  *rc.view.fileKind = kCsvTableKind;
  rc.docUpdate.m_nFileKind = static_cast<std::int32_t>(kCsvTableKind);
  return Outcome::kNext;
}

Outcome FixedWidth(MacroRunContext& rc, char letter, const std::uint8_t* text, std::size_t length) {
  MacroState& st = rc.state;
  const int first = FirstFixedWidthDataLine(text, length);
  std::string spec = st.m_strStmtOperand.Str();
  if (letter == 'a' || spec.empty()) {
    ColumnLayout layout;
    DetectColumnLayout(text, length, kLayoutFromLine, first, &layout);
    spec = layout.spec;
  }
  // The offset of the first data line; the lines before it are kept as head
  // lines ahead of the table.
  const std::size_t end = TextEnd(text, length);
  std::size_t from = 0;
  for (int line = 1; line < first && from < end; ++line) {
    while (from < end && !IsLineEnd(text[from])) ++from;
    if (from < end && text[from] == '\r') ++from;
    if (from < end && text[from] == '\n') ++from;
  }
  std::string table;
  try {
    ScanResult cut;
    ScanTextRange(text, end, from, spec, std::string(), &cut);
    table.assign(reinterpret_cast<const char*>(text), from);
    table += CopyCutFields(cut.out);
  } catch (const std::bad_alloc&) {
    return MacroRaiseRunError(&rc.host, RunError::kCopyMemory059);
  }
  const Outcome o = InstallTable(rc, table.data(), table.size(), RunError::kCopyMemory060);
  if (o == Outcome::kNext) rc.table.m_nCurLine = static_cast<std::uint32_t>(first);
  return o;
}

}  // namespace

Outcome MacroExecTextToTable(MacroRunContext& rc, const CString& rest) {
  MacroState& st = rc.state;
  csv::Table& t = rc.table;
  const std::string cmd = st.m_strStmtCommand.Str();
  const std::size_t at = cmd.find('T');
  const unsigned char letter = at != std::string::npos && at + 1 < cmd.size() ? cmd[at + 1] : 0;
  const bool quoteMode = (at != std::string::npos && at + 2 < cmd.size() && cmd[at + 2] == 'q') || rest == "q";

  // A shown table is converted again from its own text; a text view's text
  // is the document's.
  const std::uint8_t* text = t.m_pTextBuf;
  std::size_t length = text ? t.UsedLength() : 0;
  if (*rc.view.fileKind != kCsvTableKind) {
    text = reinterpret_cast<const std::uint8_t*>(rc.docText.m_pText);
    length = text ? rc.docText.m_nTextLen : 0;
  }
  std::uint32_t from = 0;
  if (text != nullptr) csv::LineToOffset(t, text, static_cast<std::uint32_t>(length), &from, csv::kLinePlainCount, 0);
  const SeparatorCounts counts = ScanSeparators(text, length, from);
  const char chosen = ChooseTableLetter(letter, counts);
  if (chosen == 's') return FixedWidth(rc, static_cast<char>(letter), text, length);

  const std::uint8_t sep = TableSeparator(chosen, st.m_strStmtOperand, text, length);
  ConvertedText out;
  if (!ConvertBySeparator(text, length, sep, quoteMode, &out)) return MacroRaiseRunError(&rc.host, RunError::kMemory117);
  const Outcome o = InstallTable(rc, out.bytes, out.length, RunError::kMemory123);
  fw::Free(out.bytes);
  return o;
}

}  // namespace macro
