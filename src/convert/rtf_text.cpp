#include "convert/rtf_text.h"

#include <cstring>
#include <string>

#include "fw/codepage.h"

namespace convert {
namespace {

constexpr int kLineCut = 1000;     // characters of a line written at most
constexpr int kRowCountWrap = 500; // a table row's count starts again above this
constexpr int kStops = 20;
constexpr int kStopMax = 250;
constexpr int kTwipsPerColumn = 880;
constexpr int kUnicodeSkipMax = 16;  // fallback characters skipped after \u at most

// Words whose parameter text runs on to a ";" (style links, list levels).
bool IsStyleWord(const char* name, std::size_t len) {
  return (len == 5 && std::strcmp(name, "snext") == 0) || (len == 8 && std::strcmp(name, "sbasedon") == 0) ||
         (len == 8 && std::strcmp(name, "sautoupd") == 0) || std::strncmp(name, "level", 5) == 0;
}

bool IsAlpha(std::uint8_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(std::uint8_t c) { return c >= '0' && c <= '9'; }

int HexDigit(std::uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The value of the escape \'hh at `at`, or -1 when the bytes there are not one.
int HexEscapeAt(const std::uint8_t* p, std::size_t n, std::size_t at) {
  if (at + 4 > n || p[at] != '\\' || p[at + 1] != '\'') return -1;
  const int hi = HexDigit(p[at + 2]);
  const int lo = HexDigit(p[at + 3]);
  return hi < 0 || lo < 0 ? -1 : hi * 16 + lo;
}

class RtfReader {
 public:
  RtfReader(const std::uint8_t* data, std::size_t length, LoadBuffer& out, const RtfWords& words)
      : m_p(data), m_n(data ? length : 0), m_out(out), m_words(words), m_start(out.Size()) {
    for (int k = 0; k < kStops; ++k) m_stops[k] = static_cast<std::uint8_t>(k * 10);
  }

  void Run();

 private:
  // --- output
  bool Blocked() const { return m_skipDepth > 0 && m_depth >= m_skipDepth; }
  bool Capturing() const { return m_capture && !Blocked(); }
  void Put(const char* text, std::size_t n) {
    FlushUnicode();
    m_out.Append(text, n);
  }
  void Put(const char* text) { Put(text, std::strlen(text)); }
  void PutByte(std::uint8_t c) {
    const char b = static_cast<char>(c);
    Put(&b, 1);
  }
  // One counted character of the line; false when the line is past its cut.
  bool PutCounted(std::uint8_t c) {
    if (m_line >= kLineCut) return false;
    PutByte(c);
    Count(1);
    return true;
  }
  void Count(int n) {
    m_line += n;
    if (m_inRow && m_line > kRowCountWrap && m_line < kLineCut) m_line = 0;
  }
  void NewLine() {
    Put("\r\n", 2);
    m_line = 0;
  }
  // Blanks up to column `stop`; the last one is "|" in the ruled form. With
  // `separate`, a cell whose text already reaches the stop still gets one, so
  // two cells never run together.
  void PadTo(int stop, bool separate) {
    if (m_line >= kLineCut) return;
    int n = stop - m_line;
    if (n < 1) n = separate ? 1 : 0;
    for (int k = 0; k < n; ++k) PutByte(k == n - 1 && m_words.m_nConvStyle == 1 ? '|' : ' ');
    m_line += n;
  }

  // --- UTF-16 characters of \u; a high surrogate waits for its pair
  void AddUnicode(long value) {
    const char16_t u = static_cast<char16_t>(value & 0xFFFF);
    if (m_line >= kLineCut) {
      m_unicode.clear();
      return;
    }
    m_unicode.push_back(u);
    if (u >= 0xD800 && u <= 0xDBFF && m_unicode.size() == 1) return;
    FlushUnicode();
  }
  void FlushUnicode() {
    if (m_unicode.empty()) return;
    const std::string text = fw::Utf16ToCp932(m_unicode);
    m_unicode.clear();
    m_out.Append(text.data(), text.size());
    Count(static_cast<int>(text.size()));
  }

  // --- input
  void ControlWord();
  void HexEscape(std::size_t at);
  void SkipUnicodeFallback();
  std::size_t SkipParameter(std::size_t j) const;
  std::size_t ConsumeBlank(std::size_t j) const;
  int StopOf(std::size_t paramAt) const;
  void Word(const char* name, std::size_t len, std::size_t param, bool afterBrace);
  void SkipStyleText(std::size_t param);

  const std::uint8_t* m_p;
  std::size_t m_n;
  LoadBuffer& m_out;
  const RtfWords& m_words;
  std::size_t m_start;
  std::size_t m_i = 0;  // the byte being read

  std::uint8_t m_stops[kStops];
  int m_depth = 0;
  int m_skipDepth = 0;    // groups from this depth on are left out (0: none)
  bool m_capture = true;
  bool m_inRow = false;   // inside a table row
  int m_fillStop = 0;     // next stop a \cellx fills (0: no row definition)
  int m_padStop = 0;      // next stop a \cell pads to
  int m_line = 0;         // characters on the current line
  int m_lead = 0;         // 0 after a byte below 0x81, 1 after one from 0x81 up, 2 for the byte after it
  bool m_leadWritten = false;
  int m_fontRange = 1;
  int m_unicodeSkip = 1;  // fallback characters after \u (\uc)
  std::u16string m_unicode;
};

void RtfReader::Run() {
  if (m_words.fromWord) m_out.Append("##word format##\n");
  m_start = m_out.Size();  // the line taken back never reaches the heading
  while (m_i < m_n) {
    const std::uint8_t c = m_p[m_i];
    if (c == 0 || c == 0x1A) break;
    if (m_lead == 1) {
      // The second byte of a double-byte character, even a brace or a
      // backslash; written exactly when its first byte was.
      m_lead = 2;
      if (m_leadWritten && c != '\r' && c != '\n') {
        PutByte(c);
        Count(1);
      }
      ++m_i;
      continue;
    }
    m_lead = c >= 0x81 ? 1 : 0;
    m_leadWritten = false;
    switch (c) {
      case '{':
        ++m_depth;
        if (m_depth > 1) m_capture = false;
        ++m_i;
        break;
      case '}':
        if (m_depth > 0) --m_depth;
        if (m_skipDepth > 0 && m_depth < m_skipDepth) m_skipDepth = 0;
        if (m_depth < 2) m_capture = true;
        ++m_i;
        break;
      case '\\':
        ControlWord();
        break;
      case '\r':
      case '\n':
        ++m_i;
        break;
      default:
        if (Capturing()) m_leadWritten = PutCounted(c);
        ++m_i;
        break;
    }
  }
  FlushUnicode();
}

// A control word's parameter runs up to a blank, a backslash, a brace, a line
// end or a byte from 0x80 up.
std::size_t RtfReader::SkipParameter(std::size_t j) const {
  while (j < m_n) {
    const std::uint8_t c = m_p[j];
    if (c == ' ' || c == '\\' || c == '{' || c == '}' || c == '\r' || c == '\n' || c >= 0x80 || c == 0 ||
        c == 0x1A)
      break;
    ++j;
  }
  return j;
}

// One blank or one line end after a control word belongs to it.
std::size_t RtfReader::ConsumeBlank(std::size_t j) const {
  if (j >= m_n) return j;
  if (m_p[j] == ' ') return j + 1;
  if (m_p[j] == '\r') return j + 1 < m_n && m_p[j + 1] == '\n' ? j + 2 : j + 1;
  if (m_p[j] == '\n') return j + 1;
  return j;
}

// The column of a \trleft or \cellx: n / 880 + 1, 0 for a negative or
// missing n, at most 250.
int RtfReader::StopOf(std::size_t at) const {
  if (at >= m_n || !IsDigit(m_p[at])) return 0;
  long v = 0;
  for (std::size_t j = at; j < m_n && IsDigit(m_p[j]); ++j) {
    v = v * 10 + (m_p[j] - '0');
    if (v > static_cast<long>(kStopMax) * kTwipsPerColumn) return kStopMax;
  }
  const long stop = v / kTwipsPerColumn + 1;
  return static_cast<int>(stop > kStopMax ? kStopMax : stop);
}

void RtfReader::ControlWord() {
  const std::size_t at = m_i;
  const bool afterBrace = at > 0 && m_p[at - 1] == '{';
  std::size_t j = at + 1;
  if (j >= m_n) {  // a backslash that ends the data
    m_i = m_n;
    return;
  }
  const std::uint8_t d = m_p[j];
  if (d == '\\' || d == '{' || d == '}') {  // a literal backslash or brace
    if (Capturing()) PutCounted(d);
    m_i = j + 1;
    return;
  }
  if (d == '\'') {
    HexEscape(at);
    return;
  }
  if (!IsAlpha(d)) {  // any other control symbol is one character
    m_i = j + 1;
    return;
  }
  const std::size_t nameAt = j;
  while (j < m_n && IsAlpha(m_p[j])) ++j;
  const std::size_t len = j - nameAt;
  char name[24];
  const std::size_t keep = len < sizeof name - 1 ? len : sizeof name - 1;
  std::memcpy(name, m_p + nameAt, keep);
  name[keep] = '\0';
  m_i = j;  // a word may move on further (its own parameter rules)
  const std::size_t before = m_i;
  Word(name, len, j, afterBrace);
  if (m_i == before) m_i = ConsumeBlank(SkipParameter(j));
}

void RtfReader::Word(const char* name, std::size_t len, std::size_t param, bool afterBrace) {
  const auto is = [&](const char* w) { return std::strlen(w) == len && std::strcmp(name, w) == 0; };
  const bool hasNumber = param < m_n && (IsDigit(m_p[param]) || m_p[param] == '-');
  if (Blocked()) {
    // Inside a left-out group only the group rules matter; its text never shows.
    if (IsStyleWord(name, len)) SkipStyleText(param);
    return;
  }
  if (is("par")) {
    if (!m_inRow) Put("\r\n", 2);
    m_line = 0;
  } else if (is("page")) {
    Put("\r\n<page>\r\n");
    m_inRow = false;
    m_line = 0;
  } else if (is("sect")) {
    Put("\r\n<Section>\r\n");
    m_inRow = false;
    m_line = 0;
  } else if (is("plain")) {
    m_depth = 1;
    m_fontRange = 1;
  } else if (is("pict")) {
    if (param < m_n && m_p[param] == '\\' && m_line < kLineCut) {
      Put("\x81\xA0", 2);
      Count(2);
    }
  } else if (is("trowd")) {
    m_stops[0] = 0;
    m_fillStop = 1;
    m_padStop = 1;
    m_line = 0;
    m_inRow = true;
  } else if (is("trleft")) {
    m_stops[0] = static_cast<std::uint8_t>(StopOf(param));
  } else if (is("cellx")) {
    if (m_fillStop > 0 && m_fillStop < kStops) m_stops[m_fillStop++] = static_cast<std::uint8_t>(StopOf(param));
  } else if (is("cell")) {
    if (m_fillStop == 0) {
      if (m_line < kLineCut) {
        Put("\t", 1);
        Count(1);
      }
    } else {
      PadTo(m_stops[m_padStop], true);
      if (m_padStop < kStops - 1) ++m_padStop;
    }
  } else if (is("intbl")) {
    if (m_fillStop > 0) PadTo(m_stops[0], false);
    m_inRow = true;
  } else if (is("row")) {
    if (m_line < kLineCut) Put("\r\n", 2);
    m_line = 0;
    m_padStop = 1;
    m_inRow = false;
    if (m_fillStop == 1) m_fillStop = 0;  // no stops were defined
  } else if (is("tab")) {
    if (m_line < kLineCut) {
      Put("\t", 1);
      Count(1);
    }
  } else if (is("rdblquote")) {
    PutCounted('"');
  } else if (is("sl")) {
    // \sl-d\ or \sl-dd with d from 0 to 3 (a line of almost no height): the
    // line so far is taken back and the rest of it left out.
    const std::size_t p = param;
    const bool small = p + 2 < m_n && m_p[p] == '-' && m_p[p + 1] >= '0' && m_p[p + 1] <= '3' &&
                       (m_p[p + 2] == '\\' || (IsDigit(m_p[p + 2]) && (p + 3 >= m_n || !IsDigit(m_p[p + 3]))));
    if (small) {
      FlushUnicode();
      const std::size_t written = m_out.Size() - m_start;
      if (m_line >= 1 && m_line <= 49 && static_cast<std::size_t>(m_line) <= written)
        m_out.Truncate(m_out.Size() - static_cast<std::size_t>(m_line));
      m_line = kLineCut;
    }
  } else if (is("stylesheet") || is("fonttbl") || is("fchars") || is("lchars")) {
    m_capture = false;
    m_skipDepth = m_depth;
  } else if (IsStyleWord(name, len)) {
    SkipStyleText(param);
  } else if ((is("f") && hasNumber) || is("af") || is("uc")) {
    m_capture = !afterBrace;
    if (is("f")) m_fontRange = 4;
    if (is("uc")) {
      int v = 0;
      for (std::size_t j = param; j < m_n && IsDigit(m_p[j]) && v <= kUnicodeSkipMax; ++j) v = v * 10 + (m_p[j] - '0');
      m_unicodeSkip = v > kUnicodeSkipMax ? kUnicodeSkipMax : v;
    }
  } else if (is("loch") || is("hich") || is("dbch")) {
    // The font range; a group of text that starts with it is text.
    m_fontRange = is("loch") ? 1 : is("dbch") ? 2 : 3;
    m_capture = true;
  } else if (is("charrsid") || is("insrsid")) {
    m_capture = true;
    m_fontRange = 1;
  } else if (is("u") && hasNumber) {
    long v = 0;
    std::size_t j = param;
    const bool negative = m_p[j] == '-';
    if (negative) ++j;
    for (; j < m_n && IsDigit(m_p[j]); ++j)
      if (v < 1000000) v = v * 10 + (m_p[j] - '0');
    if (negative) v = 65536 - v;
    m_i = ConsumeBlank(SkipParameter(param));
    if (Capturing()) AddUnicode(v);
    SkipUnicodeFallback();
  }
}

// The parameter text up to ";" (taken with it), a brace or a backslash.
void RtfReader::SkipStyleText(std::size_t param) {
  std::size_t j = param;
  while (j < m_n && m_p[j] != ';' && m_p[j] != '{' && m_p[j] != '}' && m_p[j] != '\\' && m_p[j] != 0 &&
         m_p[j] != 0x1A)
    ++j;
  if (j < m_n && m_p[j] == ';') ++j;
  m_i = j;
}

// The characters standing in for a \u character where Unicode is not read:
// escapes, bytes or control words, as many as \uc says, never past a brace.
void RtfReader::SkipUnicodeFallback() {
  for (int k = 0; k < m_unicodeSkip && m_i < m_n; ++k) {
    const std::uint8_t c = m_p[m_i];
    if (c == '{' || c == '}' || c == 0 || c == 0x1A) return;
    if (c == '\\') {
      if (HexEscapeAt(m_p, m_n, m_i) >= 0) {
        m_i += 4;
        continue;
      }
      if (m_i + 1 < m_n && IsAlpha(m_p[m_i + 1])) {
        std::size_t j = m_i + 1;
        while (j < m_n && IsAlpha(m_p[j])) ++j;
        m_i = ConsumeBlank(SkipParameter(j));
        continue;
      }
      return;  // a literal or control symbol is read as itself
    }
    m_i += c >= 0x81 && m_i + 1 < m_n ? 2 : 1;
  }
}

// \'hh: one byte by its value; a printable byte right after it is the second
// byte of a double-byte character.
void RtfReader::HexEscape(std::size_t at) {
  const int v = HexEscapeAt(m_p, m_n, at);
  if (v < 0) {
    m_i = at + 2;  // a broken escape: left out
    return;
  }
  m_i = at + 4;
  if (!Capturing()) return;
  if (!PutCounted(static_cast<std::uint8_t>(v))) return;
  if (m_i < m_n) {
    const std::uint8_t t = m_p[m_i];
    if (t >= 0x20 && t < 0x7F && t != '\\' && t != '{' && t != '}') {
      PutByte(t);
      Count(1);
      ++m_i;
    }
  }
}

bool IsDumpLead(int v) { return (v >= 0x80 && v <= 0x9F) || (v >= 0xE0 && v <= 0xEF) || (v >= 0xFA && v <= 0xFC); }

bool StartsAt(const std::uint8_t* p, std::size_t n, std::size_t at, const char* word) {
  const std::size_t len = std::strlen(word);
  return at + len <= n && std::memcmp(p + at, word, len) == 0;
}

// The RTF as it stands, with the escapes decoded in the ruled form and line
// breaks before the highlight marks when asked.
void Dump(const std::uint8_t* p, std::size_t n, LoadBuffer& out, const RtfWords& w) {
  if (w.m_nOpenContext == 2 || (!w.fromWord && w.m_nOpenContext != 3)) out.Append("*\r\n");
  const std::size_t limit =
      w.outdata <= 0 ? static_cast<std::size_t>(-1) : w.outdata > 2 ? static_cast<std::size_t>(w.outdata - 2) : 0;
  constexpr std::size_t kHighlightReach = 20;
  bool highlightSeen = false;
  std::size_t highlightAt = 0;
  std::size_t i = 0;
  while (i < n && out.Size() < limit) {
    const std::uint8_t c = p[i];
    if (c == 0 || c == 0x1A) break;
    if (c == '\\') {
      if (w.m_nDumpBreaks == 1) {
        if (StartsAt(p, n, i, "\\fs2 ") && !(highlightSeen && i - highlightAt <= kHighlightReach))
          out.Append("\r\n", 2);
        if (StartsAt(p, n, i, "\\highlight1")) {
          if (i + 11 < n && p[i + 11] == '\\') out.Append("\r\n", 2);
          highlightSeen = true;
          highlightAt = i;
        } else if (StartsAt(p, n, i, "\\highlight0")) {
          highlightSeen = true;
          highlightAt = i;
        }
      }
      const int v = w.m_nConvStyle == 1 ? HexEscapeAt(p, n, i) : -1;
      if (v >= 0xA0 && v <= 0xDF) {
        const char b = static_cast<char>(v);
        out.Append(&b, 1);
        i += 4;
        continue;
      }
      if (v >= 0 && IsDumpLead(v)) {
        const int t = HexEscapeAt(p, n, i + 4);
        if (t == 0x5C) {
          // A backslash as the second byte would read as RTF: the pair stays
          // as it stands.
          out.Append(p + i, 8);
          i += 8;
          continue;
        }
        if (t >= 0) {
          const char pair[2] = {static_cast<char>(v), static_cast<char>(t)};
          out.Append(pair, 2);
          i += 8;
          continue;
        }
      }
    }
    out.Append(p + i, 1);
    ++i;
  }
}

}  // namespace

std::int64_t ConvertRtfToText(const std::uint8_t* data, std::size_t length, LoadBuffer& out,
                              const RtfWords& words) {
  const std::size_t start = out.Size();
  if (!data) length = 0;
  if (words.m_nOpenContext >= 2) {
    Dump(data, length, out, words);
  } else {
    RtfReader reader(data, length, out, words);
    reader.Run();
  }
  return static_cast<std::int64_t>(out.Size() - start);
}

}  // namespace convert
