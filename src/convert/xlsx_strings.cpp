#include "convert/xlsx_strings.h"

#include <cstring>

#include "fw/codepage.h"
#include "fw/sjis.h"

namespace convert {
namespace {

constexpr char kEnd = 0x1F;  // ends a string in the pool

bool StartsWith(const char* p, const char* s) { return std::strncmp(p, s, std::strlen(s)) == 0; }

// The character an entity at `p` stands for, with its length; 0 when `p`
// holds none of the four the cells decode.
char Entity(const char* p, int* length) {
  static const struct {
    const char* text;
    char c;
  } kEntities[] = {{"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}, {"&quot;", '"'}};
  for (const auto& e : kEntities) {
    if (StartsWith(p, e.text)) {
      *length = static_cast<int>(std::strlen(e.text));
      return e.c;
    }
  }
  return 0;
}

// Copies text up to '<' (or `stop`, or NUL) with entities decoded and line
// breaks as `lineBreak` (CR LF as one), at most `maxChars` bytes, never
// splitting a double-byte character.
std::string CopyText(const char* p, int maxChars, char lineBreak, char stop) {
  std::string out;
  if (maxChars <= 0) return out;
  while (*p && *p != '<' && *p != stop) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (fw::IsSjisLeadByte(c) && p[1]) {
      if (static_cast<int>(out.size()) + 2 > maxChars) break;
      out.push_back(p[0]);
      out.push_back(p[1]);
      p += 2;
      continue;
    }
    if (static_cast<int>(out.size()) >= maxChars) break;
    int n = 1;
    if (c == '&' && p[1] == '#') {
      const std::string ref = XlsxCharReference(p, &n);
      if (!ref.empty()) {
        if (static_cast<int>(out.size() + ref.size()) > maxChars) break;
        out += ref;
        p += n;
        continue;
      }
      n = 1;
    }
    char ch = c == '&' ? Entity(p, &n) : 0;
    if (!ch) {
      n = 1;
      ch = static_cast<char>(c);
      if (c == '\r' || c == '\n') {
        ch = lineBreak;
        if (c == '\r' && p[1] == '\n' && lineBreak == '\x0B') n = 2;
      }
    }
    out.push_back(ch);
    p += n;
  }
  return out;
}

}  // namespace

std::string XlsxCharReference(const char* p, int* length) {
  if (p[0] != '&' || p[1] != '#') return std::string();
  const bool hex = p[2] == 'x' || p[2] == 'X';
  int i = hex ? 3 : 2;
  std::uint32_t code = 0;
  int digits = 0;
  for (;; ++i, ++digits) {
    const char c = p[i];
    int v;
    if (c >= '0' && c <= '9') v = c - '0';
    else if (hex && c >= 'a' && c <= 'f') v = c - 'a' + 10;
    else if (hex && c >= 'A' && c <= 'F') v = c - 'A' + 10;
    else break;
    if (digits >= 8) return std::string();  // no character has that many digits
    code = code * (hex ? 16 : 10) + static_cast<std::uint32_t>(v);
  }
  if (digits == 0 || p[i] != ';') return std::string();
  *length = i + 1;
  if (code == 0) return "?";
  if (code < 0x80) return std::string(1, static_cast<char>(code));
  if (code > 0xFFFF || (code >= 0xD800 && code <= 0xDFFF)) return "?";
  const char16_t unit = static_cast<char16_t>(code);
  std::string s = fw::Utf16ToCp932(&unit, 1);
  return s.empty() || s[0] == '\0' ? std::string("?") : s;
}

bool XlsxSharedStrings::Read(const char* text, int size) {
  m_pool.clear();
  m_offsets.clear();
  if (!text || size <= 0) return true;
  m_pool.reserve(static_cast<std::size_t>(size) + 1000);
  enum { kOutside, kString, kPhonetic } state = kOutside;
  for (int i = 0; i < size; ++i) {
    if (text[i] != '<') continue;
    const char* p = text + i;
    if (StartsWith(p, "<si") && (p[3] == '>' || p[3] == ' ' || p[3] == '/')) {
      if (static_cast<int>(m_offsets.size()) >= kXlsxSharedStrings) return false;  // more than the table holds
      // The offset is taken here, so a string without any text run still
      // keeps the indexes of the strings after it.
      m_offsets.push_back(static_cast<std::uint32_t>(m_pool.size()));
      state = kString;
      if (p[3] == '/') {  // "<si/>": an empty string
        m_pool.push_back(kEnd);
        state = kOutside;
      }
    } else if (StartsWith(p, "</si")) {
      if (state != kOutside) m_pool.push_back(kEnd);
      state = kOutside;
    } else if (state == kString && StartsWith(p, "<rPh")) {
      state = kPhonetic;
    } else if (state == kPhonetic && StartsWith(p, "</rP")) {
      state = kString;
    } else if (state == kString && p[1] == 't' && (p[2] == '>' || p[2] == ' ' || p[2] == '/')) {
      // The run's text: after the tag, up to the next '<'.
      int j = i + 2;
      while (j < size && text[j] != '>') ++j;
      if (j >= size || text[j - 1] == '/') continue;  // "<t/>": no text
      for (++j; j < size && text[j] != '<'; ++j)
        if (text[j] != kEnd) m_pool.push_back(text[j]);
      i = j - 1;
    }
  }
  // A string the part cut off still ends.
  if (state != kOutside) m_pool.push_back(kEnd);
  return true;
}

bool XlsxSharedStrings::CellText(int index, int nChar, std::string& out) const {
  out.clear();
  if (index < 0 || index >= Count()) return false;
  out = CopyText(m_pool.c_str() + m_offsets[static_cast<std::size_t>(index)], nChar - 1, '\x0B', kEnd);
  if (nChar >= 4 && static_cast<int>(out.size()) >= nChar - 4) out.push_back(' ');
  return true;
}

std::string XlsxInlineText(const char* value, int maxChars) { return CopyText(value, maxChars, ':', '\0'); }

std::string XlsxFormulaText(const char* value) { return CopyText(value, 99, '\x0B', '\0'); }

}  // namespace convert
