#include "export/xlsx/xlsx_prescan.h"

#include <cstdio>
#include <cstring>

#include "export/byte_writer.h"

namespace xlsx {
namespace {

using exportcore::SjisPairLength;

// The end of the line at `s`: the offset of its first byte below 0x20 (or NUL), or `len`.
std::uint32_t LineEnd(const char* t, std::uint32_t len, std::uint32_t s) {
  while (s < len && static_cast<unsigned char>(t[s]) >= 0x20) ++s;
  return s;
}

// The start of the line after the one at `s` (past its LF), or `len`.
std::uint32_t NextLine(const char* t, std::uint32_t len, std::uint32_t s) {
  while (s < len && t[s] != '\n' && t[s] != '\0') ++s;
  if (s < len && t[s] == '\n') ++s;
  return s;
}

// Appends one byte of a name with the sheet-name replacements.
void PutNameByte(std::string& out, char c) {
  switch (c) {
    case '*': case '/': case ':': case '?': case '\\': out += '#'; break;
    case '[': out += '('; break;
    case ']': out += ')'; break;
    default: out += c; break;
  }
}

// Characters of a Shift-JIS name (a pair counts as one).
std::size_t CharCount(const std::string& s) {
  std::size_t k = 0;
  for (std::size_t i = 0; i < s.size(); i += SjisPairLength(s.data(), i, s.size())) ++k;
  return k;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string XlsxHeadNameText(const char* p, std::size_t n) {
  std::string out;
  std::size_t chars = 0, i = 0;
  while (i < n && chars < static_cast<std::size_t>(kHeadNameChars)) {
    unsigned char c = static_cast<unsigned char>(p[i]);
    if (c < 0x20) break;
    std::size_t k = SjisPairLength(p, i, n);
    if (k == 2) {
      out.append(p + i, 2);
    } else if (c == '\\' && i + 1 < n && p[i + 1] == '^') {
      out += '^';
      k = 2;
    } else if (c == '^') {
      break;
    } else {
      PutNameByte(out, static_cast<char>(c));
    }
    i += k;
    ++chars;
  }
  return out;
}

std::string XlsxFitSheetName(const std::string& base, const std::string& suffix) {
  std::size_t room = kSheetNameChars;
  std::size_t sufChars = CharCount(suffix);
  room = sufChars >= room ? 0 : room - sufChars;
  std::size_t i = 0, chars = 0;
  while (i < base.size() && chars < room) {
    i += SjisPairLength(base.data(), i, base.size());
    ++chars;
  }
  return base.substr(0, i) + suffix;
}

bool XlsxSameSheetName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  std::size_t i = 0;
  while (i < a.size()) {
    std::size_t ka = SjisPairLength(a.data(), i, a.size());
    std::size_t kb = SjisPairLength(b.data(), i, b.size());
    if (ka != kb) return false;
    if (ka == 2) {
      if (a.compare(i, 2, b, i, 2) != 0) return false;
    } else {
      char x = a[i], y = b[i];
      if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
      if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
      if (x != y) return false;
    }
    i += ka;
  }
  return true;
}

std::string XlsxListName(const std::string& raw) {
  std::string out;
  std::size_t i = 0;
  while (i < raw.size()) {
    std::size_t k = SjisPairLength(raw.data(), i, raw.size());
    unsigned char c = static_cast<unsigned char>(raw[i]);
    if (k == 2)
      out.append(raw, i, 2);
    else if (c >= 0x20 && c != '"')
      PutNameByte(out, static_cast<char>(c));
    i += k;
  }
  return XlsxFitSheetName(out);
}

long long XlsxPreScan(const char* text, std::uint32_t len, XlsxRun& run) {
  const char* t = text;
  std::uint32_t n = 1;
  bool sawHead = false;
  long long listLine = -1;
  for (std::uint32_t s = 0; s < len && t[s] != '\0';) {
    const std::uint32_t end = LineEnd(t, len, s);
    const std::uint32_t next = NextLine(t, len, s);
    const bool twoMore = s + 1 < len;
    const bool bang = twoMore && t[s] == '!' && (t[s + 1] == '#' || t[s + 1] == '*');
    const bool xl = s == 0 && twoMore && t[0] == 'X' && t[1] == 'L';
    if (bang || xl) {
      const std::uint32_t number = n++;
      ++run.headCount;
      if (!sawHead) {
        // Sheet 1's rows: after a short first line the head line itself is read.
        if (s >= 6 && s <= 19) {
          run.sheetOneStart = s + 2;
          run.sheetOneFirstRow = 2;
        } else if (s == 0 && t[1] == '*') {
          run.sheetOneStart = next;
        }
      }
      sawHead = true;
      // The name's first byte.
      std::uint32_t p = s + 2;
      if (!(bang && t[s + 1] == '*')) {
        while (p < end) {
          unsigned char c = static_cast<unsigned char>(t[p]);
          if (c == ':' || c == ' ') {
            ++p;
            break;
          }
          if (c >= 0x80) break;
          ++p;
        }
        if (p >= end) p = end;
      }
      std::string name = XlsxHeadNameText(t + p, end - p);
      if (name.empty()) {
        char buf[24];
        std::snprintf(buf, sizeof buf, "Sheet%u", number);
        name = buf;
      } else {
        bool repeat = false;
        for (std::uint32_t k = 1; k < number && k < static_cast<std::uint32_t>(kSheetSlots); ++k)
          if (XlsxSameSheetName(run.XlsxSheetNames[k], name)) repeat = true;
        char buf[24];
        std::snprintf(buf, sizeof buf, " (%u)", number);
        name = repeat ? XlsxFitSheetName(name, buf) : XlsxFitSheetName(name);
      }
      if (number <= static_cast<std::uint32_t>(kMaxSheets)) {
        if (run.XlsxSheetNames[number].empty()) run.XlsxSheetNames[number] = name;
        if (number >= 2 && next > 5) run.XlsxSheetStart[number] = next;
      }
    } else if (!sawHead && s >= 20 && n == 1) {
      run.XlsxSheetNames[1] = "Sheet1";
      n = 2;
    }
    if (twoMore && t[s] == '$' && t[s + 1] == '$') listLine = s;
    if (next <= s) break;
    s = next;
  }
  return listLine;
}

void XlsxReadSheetList(const char* text, std::uint32_t len, std::uint32_t offset, XlsxRun& run) {
  const char* t = text;
  std::uint32_t p = offset + 2;
  auto at = [&](std::uint32_t i) -> unsigned char { return i < len ? static_cast<unsigned char>(t[i]) : 0; };
  // The first sheet's number; the byte ending it goes with it.
  std::uint32_t first = 0;
  while (IsDigit(static_cast<char>(at(p)))) {
    if (first < 100000) first = first * 10 + (at(p) - '0');
    ++p;
  }
  run.firstSheet = first;
  if (at(p) >= 0x20) ++p;  // a control byte ends the line instead
  std::uint32_t count = 0, position = 0;
  auto take = [&](std::uint32_t sheet) {
    if (count < static_cast<std::uint32_t>(kMaxSheets)) run.XlsxSheetOrder[++count] = sheet;
  };
  auto isMark = [](unsigned char c) {
    return c == ':' || c == ';' || c == '.' || c == '!' || c == ',' || c == '=' || c == '-' || c == '_';
  };
  // A number: digits, skipping bytes other than the marks, up to a mark or a control byte.
  auto readNumber = [&](std::uint32_t& i) {
    std::uint32_t v = 0;
    while (i < len) {
      unsigned char c = at(i);
      if (c < 0x20 || isMark(c)) break;
      if (IsDigit(static_cast<char>(c)) && v < 100000) v = v * 10 + (c - '0');
      ++i;
    }
    return v;
  };
  while (p < len && at(p) >= 0x20 && at(p) != ',') {
    unsigned char c = at(p);
    if (c == ':' || c == ';' || c == '.' || c == '!') {
      ++p;
      continue;
    }
    ++position;
    std::uint32_t a = readNumber(p);
    c = at(p);
    if (c == '=') {
      ++p;
      std::string raw;
      while (p < len) {
        unsigned char d = at(p);
        if (d < 0x20 || d == ':' || d == ';' || d == '.' || d == ',' || d == '!') break;
        std::size_t k = SjisPairLength(t, p, len);
        if (raw.size() < static_cast<std::size_t>(kListNameBytes)) raw.append(t + p, k);
        p += static_cast<std::uint32_t>(k);
      }
      take(a);
      std::string name = XlsxListName(raw);
      if (a >= 1 && a < static_cast<std::uint32_t>(kSheetSlots) && !name.empty()) {
        if (run.XlsxSheetNames[a].empty())
          run.XlsxSheetNames[a] = name;
        else if (run.XlsxExtraNames.size() < static_cast<std::size_t>(kMaxSheets))
          run.XlsxExtraNames.push_back({name, position});
      }
    } else if (c == '-' || c == '_') {
      ++p;
      std::uint32_t b = readNumber(p);
      for (std::uint32_t s = a; s <= b && count < static_cast<std::uint32_t>(kMaxSheets); ++s) take(s);
    } else {
      take(a);
    }
  }
  run.XlsxSheetOrder[0] = count;
}

}  // namespace xlsx
