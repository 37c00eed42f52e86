// The conversions of a loaded text into the view's table form, the data of a
// label, the unpack folder and the letter variables: pure functions of the
// load statements.
#include <cstring>

#include "csv/csv_fastscan.h"
#include "csv/csv_table.h"
#include "fw/path.h"
#include "fw/sjis.h"
#include "macro/macro_exec_load.h"
#include "macro/macro_state.h"

namespace macro {

namespace {

constexpr std::uint8_t kSep = 0x06;
constexpr std::size_t kFirstLineMost = 200;
constexpr std::uint32_t kLoadMargin = 1000;

bool IsLineEnd(std::uint8_t b) { return b == '\r' || b == '\n'; }

// Slots of the letter variables (the letter's code + 45).
constexpr int LetterSlot(char letter) { return static_cast<unsigned char>(letter) + 45; }

}  // namespace

bool MacroLoadRawIntoTable(csv::Table& table, std::uint8_t* bytes, std::size_t n, bool csvKind, bool keepText,
                           bool* converted, LoadSeparatorCounts* counts) {
  if (converted) *converted = false;
  if (n > 0xFFFFFFFFull - kLoadMargin - 1) return false;
  const bool comma = MacroDetectLoadSeparator(bytes, n, csvKind, counts) && !keepText;
  if (comma && csvKind) {
    if (!table.LoadFileText(bytes, n, kLoadMargin)) return false;
  } else if (comma) {
    if (!table.Reserve(static_cast<std::uint64_t>(n) + 1 + kLoadMargin)) return false;
    if (n > 0) csv::CommasToSeparators(bytes, n, table.m_pTextBuf);
    table.m_pTextBuf[n] = 0;
    table.m_nTextLen = static_cast<std::uint32_t>(n);
    table.m_bCellCodesAreData = true;  // no break was coded: code bytes are the text's own
    table.Rescan();
  } else {
    if (!table.Assign(bytes, n, kLoadMargin)) return false;
    table.m_bCellCodesAreData = true;
  }
  if (converted) *converted = comma;
  return true;
}

std::string MacroTabTextToTable(const std::uint8_t* text, std::size_t n) {
  std::string out;
  out.reserve(n + n / 8 + 16);
  std::size_t k = 0;
  while (k < n) {
    // One field: up to a TAB, a line end or the text's end.
    std::size_t e = k;
    bool quoted = false, commaOutside = false;
    while (e < n && text[e] != '\t' && !IsLineEnd(text[e])) {
      if (text[e] == '"')
        quoted = !quoted;
      else if (text[e] == ',' && !quoted)
        commaOutside = true;
      ++e;
    }
    if (commaOutside) out += '"';
    out.append(reinterpret_cast<const char*>(text + k), e - k);
    if (commaOutside) out += '"';
    if (e >= n) break;
    if (text[e] == '\t') {
      out += static_cast<char>(kSep);
      k = e + 1;
      if (k == n) break;
      continue;
    }
    // The line end itself.
    out += static_cast<char>(text[e]);
    k = e + 1;
  }
  return out;
}

bool MacroConvertedKindUsesBars(int kind) { return kind == 2 || kind == 3 || kind == 36 || kind == 37; }

std::string MacroConvertedToTable(const std::uint8_t* text, std::size_t n, bool bars) {
  // The first line, at most 200 bytes of it, is the converter's heading.
  std::size_t start = 0;
  const std::size_t most = n < kFirstLineMost ? n : kFirstLineMost;
  while (start < most && text[start] != '\n') ++start;
  if (start < n && text[start] == '\n') ++start;
  std::size_t end = n;
  if (bars) {
    // A '|' table loses its last line (the converter's closing rule).
    std::size_t e = end;
    while (e > start && IsLineEnd(text[e - 1])) --e;
    while (e > start && !IsLineEnd(text[e - 1])) --e;
    end = e;
  }
  const std::uint8_t sep = bars ? '|' : '\t';
  std::string out(reinterpret_cast<const char*>(text + start), end - start);
  for (std::size_t k = 0; k < out.size(); ++k) {
    const auto b = static_cast<std::uint8_t>(out[k]);
    if (fw::IsSjisLeadByte(b) && k + 1 < out.size()) {
      ++k;  // the second byte may be '|' and stays
      continue;
    }
    if (b == sep) out[k] = static_cast<char>(kSep);
  }
  return out;
}

void MacroRichTextAsTabText(std::uint8_t* text, std::size_t n) {
  for (std::size_t k = 0; k < n; ++k)
    if (text[k] == kSep) text[k] = '\t';
  for (std::size_t k = 0; k + 1 < n; ++k) {
    const std::uint8_t a = text[k], b = text[k + 1];
    if ((a == '.' && b == ' ') || (a == ' ' && b == '.') || (a == '.' && b == '.')) {
      text[k] = text[k + 1] = ' ';
      ++k;
    }
  }
}

bool MacroDataAfterLabel(const char* text, std::size_t n, const std::string& label, std::string* data) {
  data->clear();
  if (text == nullptr || label.empty()) return false;
  // The last label line: scanned backwards over the line starts.
  std::size_t found = std::string::npos;
  for (std::size_t ls = n;;) {
    // ls is one past a line's last byte; find that line's start.
    std::size_t s = ls;
    while (s > 0 && !IsLineEnd(static_cast<std::uint8_t>(text[s - 1]))) --s;
    if (n - s >= label.size() && std::memcmp(text + s, label.data(), label.size()) == 0) {
      const std::size_t after = s + label.size();
      if (after >= n || static_cast<std::uint8_t>(text[after]) < 0x20) {
        found = after;
        break;
      }
    }
    if (s == 0) break;
    ls = s - 1;
  }
  if (found == std::string::npos) return false;
  // The data begin after the label line's end.
  std::size_t p = found;
  while (p < n && !IsLineEnd(static_cast<std::uint8_t>(text[p]))) ++p;
  if (p < n && text[p] == '\r' && p + 1 < n && text[p + 1] == '\n') ++p;
  if (p < n) ++p;
  std::string out;
  bool first = true;
  while (p < n) {
    std::size_t e = p;
    while (e < n && !IsLineEnd(static_cast<std::uint8_t>(text[e]))) ++e;
    const bool header = first && e - p >= 2 && text[p] == '$' && text[p + 1] == '$';
    if (text[p] == '$' && !header) {
      *data = std::move(out);
      return true;
    }
    if (e < n && text[e] == '\r' && e + 1 < n && text[e + 1] == '\n') ++e;
    if (e < n) ++e;
    const std::size_t from = text[p] == '\t' ? p + 1 : p;
    out.append(text + from, e - from);
    p = e;
    first = false;
  }
  return false;  // no '$' line follows: nothing is read
}

bool MacroIsLzhPath(const CString& path) {
  const std::string& s = path.Str();
  if (s.size() < 4) return false;
  const char* t = s.c_str() + s.size() - 4;
  return t[0] == '.' && (t[1] == 'l' || t[1] == 'L') && (t[2] == 'z' || t[2] == 'Z') && (t[3] == 'h' || t[3] == 'H');
}

CString MacroZipTarget(const CString& command, const CString& archive, const CString& macroDir, bool arcTmpRoot,
                       bool* madeBelow) {
  *madeBelow = false;
  if (arcTmpRoot) return CString("C:\\ARCHTMP\\");
  std::string target = command.GetLength() > 3 ? command.Mid(3).Str() : std::string();
  if (target.empty()) {
    const std::string& a = archive.Str();
    const int cut = fw::LastPathSeparator(a.c_str(), static_cast<int>(a.size()));
    if (cut >= 0) target = a.substr(0, static_cast<std::size_t>(cut));
  }
  // A network name stays; so does a path rooted at '/', which only a
  // native build's own paths have.
  const bool network = (target.size() >= 2 && target[0] == '\\' && target[1] == '\\') ||
                       (!target.empty() && target[0] == '/');
  const std::size_t head = target.size() < 4 ? target.size() : 4;
  if (!network && target.substr(0, head).find(':') == std::string::npos) {
    std::size_t skip = 0;
    while (skip < target.size() && (target[skip] == '\\' || target[skip] == '/')) ++skip;
    std::string base = macroDir.Str();
    if (!base.empty() && base.back() != '\\') base += '\\';
    target = base + target.substr(skip);
    *madeBelow = true;
  }
  if (target.empty() || target.back() != '\\') target += '\\';
  return CString(target);
}

void MacroSetFileLetters(MacroState& st, const CString& path) {
  const std::string& p = path.Str();
  const int sep = fw::LastPathSeparator(p.c_str(), static_cast<int>(p.size()));
  const std::string name = sep >= 0 ? p.substr(static_cast<std::size_t>(sep) + 1) : p;
  const std::size_t dot = p.rfind('.');
  const std::size_t nameDot = name.rfind('.');
  st.m_strMacroVars[LetterSlot('F')] = CString(p);
  st.m_strMacroVars[LetterSlot('f')] =
      CString(dot != std::string::npos && (sep < 0 || dot > static_cast<std::size_t>(sep)) ? p.substr(0, dot) : p);
  st.m_strMacroVars[LetterSlot('P')] = CString(sep >= 0 ? p.substr(0, static_cast<std::size_t>(sep)) : p);
  st.m_strMacroVars[LetterSlot('G')] = CString(name);
  st.m_strMacroVars[LetterSlot('g')] = CString(nameDot != std::string::npos ? name.substr(0, nameDot) : name);
}

}  // namespace macro
