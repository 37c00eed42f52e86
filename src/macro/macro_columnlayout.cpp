#include "macro/macro_columnlayout.h"

#include <algorithm>
#include <cstring>

#include "fw/sjis.h"

namespace macro {

namespace {

constexpr std::size_t kMaxMaskWidth = 9000;  // positions of the mask

struct LineSpan {
  std::size_t begin = 0, end = 0;  // [begin, end): the line without its line end
  std::size_t next = 0;            // start of the following line
};

// Lines end at CR LF, a lone CR or a lone LF; a NUL ends the text.
std::size_t TextEnd(const std::uint8_t* text, std::size_t length) {
  const void* nul = text ? std::memchr(text, 0, length) : nullptr;
  return nul ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - text) : (text ? length : 0);
}

LineSpan NextLine(const std::uint8_t* text, std::size_t end, std::size_t at) {
  LineSpan s;
  s.begin = at;
  std::size_t i = at;
  while (i < end && text[i] != '\r' && text[i] != '\n') ++i;
  s.end = i;
  if (i < end && text[i] == '\r') {
    ++i;
    if (i < end && text[i] == '\n') ++i;
  } else if (i < end && text[i] == '\n') {
    ++i;
  }
  s.next = i;
  return s;
}

bool IsBlank(std::uint8_t c) { return c == ' ' || c == '\t'; }

bool StartsWith(const std::uint8_t* p, std::size_t n, const char* word) {
  const std::size_t w = std::strlen(word);
  return n >= w && std::memcmp(p, word, w) == 0;
}

struct WordCount {
  int words = 0, letterWords = 0;
};

WordCount CountWords(const std::uint8_t* p, std::size_t n) {
  WordCount c;
  bool inWord = false, letters = false;
  for (std::size_t i = 0; i <= n; ++i) {
    const std::uint8_t b = i < n ? p[i] : 0;
    const bool ends = i == n || b == ' ' || b == '|' || b < 0x20;
    if (ends) {
      if (inWord) {
        ++c.words;
        if (letters) ++c.letterWords;
      }
      inWord = letters = false;
      continue;
    }
    inWord = true;
    if ((b > 0x3F && b != '\\' && b != 0xA4) || b == '/') letters = true;
  }
  return c;
}

bool HasText(const std::uint8_t* p, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i)
    if (!IsBlank(p[i])) return true;
  return false;
}

// Adds one line to the mask.
void AddToMask(const std::uint8_t* p, std::size_t n, bool plusIsText, std::string* mask) {
  n = std::min(n, kMaxMaskWidth);
  if (mask->size() < n) mask->resize(n, ' ');
  bool quoted = false;
  // The '^' blocks: every position between two '^' counts as text.
  std::size_t caret = n;
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint8_t b = p[i];
    if (b == '^') {
      if (caret == n) {
        caret = i;
      } else {
        for (std::size_t k = caret; k <= i; ++k) (*mask)[k] = 'x';
        caret = n;
      }
    }
    if (b == '"') quoted = !quoted;
    char& m = (*mask)[i];
    if (b == '+' && !plusIsText) {
      if (m == ' ') m = '+';
    } else if (!IsBlank(b) || quoted) {
      m = 'x';
    }
  }
}

// A ruled line adds only its '+' crosses.
void AddRuleCrosses(const std::uint8_t* p, std::size_t n, std::string* mask) {
  n = std::min(n, kMaxMaskWidth);
  if (mask->size() < n) mask->resize(n, ' ');
  for (std::size_t i = 0; i < n; ++i)
    if (p[i] == '+' && (*mask)[i] == ' ') (*mask)[i] = '+';
}

}  // namespace

bool DetectColumnLayout(const std::uint8_t* text, std::size_t length, int mode, int line, ColumnLayout* out) {
  *out = ColumnLayout();
  const std::size_t end = TextEnd(text, length);
  const bool plusIsText = mode == kLayoutRuledPlus;
  int no = 0;
  std::size_t at = 0;
  int prevWords = 0;
  int start = 0;  // 1-based first line of the mask
  if (mode == kLayoutFromLine) {
    start = std::max(line, 1);
  }
  while (at < end) {
    const LineSpan s = NextLine(text, end, at);
    at = s.next > at ? s.next : end;
    ++no;
    const std::uint8_t* p = text + s.begin;
    const std::size_t n = s.end - s.begin;
    if (start == 0) {
      const WordCount w = CountWords(p, n);
      if (n > 0 && p[0] == '<' && w.words > 4) {
        out->titleLine = no;
        start = no + 1;
      } else if (w.words >= 3 && w.letterWords * 2 >= w.words &&
                 (w.words >= 2 * prevWords || (w.words > 8 && prevWords < 7))) {
        out->titleLine = no;
        start = no + 1;
      }
      if (n > 0) prevWords = w.words;
      continue;
    }
    if (no < start) continue;
    if ((n > 0 && p[0] == '>') || StartsWith(p, n, " --P") || StartsWith(p, n, "[She")) {
      out->endLine = no;
      break;
    }
    if (n > 0 && p[0] == '~') continue;
    if (!HasText(p, n)) continue;
    if (StartsWith(p, n, "+---")) {
      AddRuleCrosses(p, n, &out->mask);
      continue;
    }
    AddToMask(p, n, plusIsText, &out->mask);
  }
  out->firstLine = start == 0 ? 1 : start;
  // Without any title the whole text makes the mask.
  if (start == 0) {
    at = 0;
    while (at < end) {
      const LineSpan s = NextLine(text, end, at);
      at = s.next > at ? s.next : end;
      const std::uint8_t* p = text + s.begin;
      const std::size_t n = s.end - s.begin;
      if ((n > 0 && p[0] == '~') || !HasText(p, n)) continue;
      if (StartsWith(p, n, "+---")) AddRuleCrosses(p, n, &out->mask);
      else AddToMask(p, n, plusIsText, &out->mask);
    }
  }
  while (!out->mask.empty() && out->mask.back() != 'x') out->mask.pop_back();
  out->spec = LayoutSpecOfMask(out->mask);
  return !out->spec.empty();
}

std::string LayoutSpecOfMask(const std::string& mask) {
  std::string spec;
  std::size_t i = 0;
  while (i < mask.size()) {
    const bool text = mask[i] == 'x';
    std::size_t k = i;
    while (k < mask.size() && (mask[k] == 'x') == text) ++k;
    if (!spec.empty()) spec += ',';
    spec += std::to_string(k - i);
    if (!text) spec += 's';
    i = k;
  }
  return spec;
}

std::vector<LayoutEntry> ParseLayoutSpec(const std::string& spec) {
  std::vector<LayoutEntry> entries;
  LayoutEntry e;
  bool negative = false, any = false;
  long long width = 0;
  auto finish = [&]() {
    if (!any) return;
    if (e.width != kRestOfLine && e.width != kWideColumn) {
      const int w = static_cast<int>(std::min<long long>(width, kWideColumn));
      e.width = negative ? -w : w;
    }
    if (e.width != 0 && entries.size() < kMaxLayoutEntries) entries.push_back(e);
    e = LayoutEntry();
    negative = any = false;
    width = 0;
  };
  for (const char ch : spec) {
    switch (ch) {
      case ',':
      case ';':
        finish();
        break;
      case 'S':
      case 's':
        negative = !negative;
        any = true;
        break;
      case 'P':
      case 'p':
        e.width = kRestOfLine;
        any = true;
        break;
      case 'T':
      case 't':
        e.width = kWideColumn;
        any = true;
        break;
      case '"':
      case 'D':
      case 'd':
        e.quoted = true;
        any = true;
        break;
      default:
        if (ch >= '0' && ch <= '9') {
          width = std::min<long long>(width * 10 + (ch - '0'), 1000000);
          any = true;
        }
        break;
    }
    if (entries.size() >= kMaxLayoutEntries) break;
  }
  finish();
  return entries;
}

namespace {

bool MatchesPattern(const std::uint8_t* p, std::size_t n, const std::string& pattern) {
  if (pattern.empty() || n < pattern.size()) return false;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c == '%') continue;
    if (c == '!') {
      if (IsBlank(p[i])) return false;
      continue;
    }
    if (static_cast<std::uint8_t>(c) != p[i]) return false;
  }
  return true;
}

void TrimTrailingBlanks(std::string* f) {
  while (!f->empty() && f->back() == ' ') f->pop_back();
}

// A field as written: blanks from 0x7F back, in double quotes when asked.
void WriteField(std::string field, bool quoted, std::string* out) {
  for (char& c : field)
    if (c == 0x7F) c = ' ';
  const bool hasComma = field.find(',') != std::string::npos;
  const bool hasQuote = field.find('"') != std::string::npos;
  if (quoted || (hasComma && !hasQuote)) {
    out->push_back('"');
    for (const char c : field) {
      if (c == '"') out->push_back('"');
      out->push_back(c);
    }
    out->push_back('"');
  } else {
    *out += field;
  }
}

}  // namespace

void ScanTextRange(const std::uint8_t* text, std::size_t length, std::size_t from, const std::string& spec,
                   const std::string& skipPattern, ScanResult* result) {
  *result = ScanResult();
  const std::vector<LayoutEntry> entries = ParseLayoutSpec(spec);
  const std::size_t end = TextEnd(text, length);
  std::size_t at = std::min(from, end);
  std::string line;
  std::vector<std::string> fields;
  std::vector<bool> quotedField;
  while (at < end) {
    const LineSpan s = NextLine(text, end, at);
    at = s.next > at ? s.next : end;
    const std::uint8_t* p = text + s.begin;
    const std::size_t n = s.end - s.begin;
    if (MatchesPattern(p, n, skipPattern)) continue;
    // Blanks inside double quotes stand as 0x7F while cutting.
    line.assign(reinterpret_cast<const char*>(p), n);
    bool inQuotes = false;
    for (char& c : line) {
      if (c == '"') inQuotes = !inQuotes;
      else if (c == ' ' && inQuotes) c = 0x7F;
    }
    fields.clear();
    quotedField.clear();
    bool gapField = false;  // the open field was opened by a gap at the line's start
    std::size_t pos = 0, nominal = 0;
    auto take = [&](std::size_t count) {
      // Bytes [pos, pos + count) of the line, never splitting a double-byte character.
      std::size_t stop = std::min(pos + count, n);
      std::size_t k = pos;
      while (k < stop) {
        if (fw::IsSjisLeadByte(static_cast<unsigned char>(line[k])) && k + 1 < n) k += 2;
        else ++k;
      }
      std::string piece = line.substr(pos, std::min(k, n) - pos);
      pos = std::min(k, n);
      return piece;
    };
    for (const LayoutEntry& e : entries) {
      if (e.width == kRestOfLine) {
        while (pos < n && line[pos] == ' ') ++pos;
        std::string piece = take(n - std::min(pos, n));
        std::string kept;
        for (const char c : piece)
          if (c != ' ') kept.push_back(c);
        fields.push_back(kept);
        quotedField.push_back(e.quoted);
        gapField = false;
        nominal = n;
        continue;
      }
      const std::size_t width = static_cast<std::size_t>(e.width < 0 ? -e.width : e.width);
      if (pos < nominal) pos = std::min(nominal, n);
      const std::size_t count = nominal + width > pos ? nominal + width - pos : 0;
      nominal += width;
      std::string piece = take(count);
      if (e.width < 0) {
        if (fields.empty()) {
          fields.emplace_back();
          quotedField.push_back(false);
          gapField = true;
        }
        for (const char c : piece)
          if (c != ' ') fields.back().push_back(c);
        continue;
      }
      TrimTrailingBlanks(&piece);
      if (gapField) {
        fields.back() += piece;
        quotedField.back() = e.quoted;
        gapField = false;
      } else {
        fields.push_back(piece);
        quotedField.push_back(e.quoted);
      }
    }
    if (pos < nominal) pos = std::min(nominal, n);
    if (pos < n) {
      std::string rest = line.substr(pos);
      std::size_t lead = 0;
      while (lead < rest.size() && rest[lead] == ' ') ++lead;
      rest.erase(0, lead);
      TrimTrailingBlanks(&rest);
      if (!rest.empty()) {
        fields.push_back(rest);
        quotedField.push_back(false);
      }
    }
    for (std::size_t k = 0; k < fields.size(); ++k) {
      if (k > 0) result->out.push_back(0x06);
      WriteField(fields[k], quotedField[k], &result->out);
    }
    result->out.append(reinterpret_cast<const char*>(text + s.end), s.next - s.end);
    result->fields = std::max<std::uint32_t>(result->fields, static_cast<std::uint32_t>(fields.size()));
    ++result->rows;
  }
}

}  // namespace macro
