#include "macro/macro_exec_clip.h"

#include <algorithm>
#include <cstring>

#include "csv/csv_findinline.h"
#include "csv/csv_table.h"
#include "fw/sjis.h"
#include "macro/macro_run.h"
#include "macro/macro_state.h"

namespace macro {

namespace {

constexpr std::uint8_t kSep = 0x06;
constexpr std::uint32_t kCsvKind = 33;
constexpr std::uint64_t kSpare = 1000;
constexpr int kNoMemoryCode = 118;

}  // namespace

int MacroClipBalance(const std::uint8_t* text, std::uint32_t n) {
  int balance = 0;
  const std::uint32_t most = std::min(n, kClipBalanceBytes);
  for (std::uint32_t k = 0; k < most; ++k) {
    if (text[k] == ',') ++balance;
    if (text[k] == '\t') --balance;
  }
  return balance;
}

// No trail byte of a double-byte character is a quote, comma, TAB or line
// end, so the scan goes byte by byte.
void MacroClipToTable(const std::uint8_t* text, std::uint32_t n, int balance, std::uint8_t* out) {
  const bool tabText = balance < 0;
  bool quoted = false;
  for (std::uint32_t k = 0; k < n; ++k) {
    const std::uint8_t b = text[k];
    std::uint8_t w = b;
    if (b == '"') {
      quoted = !quoted;
    } else if (b == '\r' || b == '\n') {
      quoted = false;
    } else if (b == ',' && !quoted) {
      w = kSep;
    } else if (b == '\t' && !(quoted && tabText)) {
      w = tabText ? kSep : '~';
    }
    out[k] = w;
  }
}

std::string MacroTableAsTabText(const std::uint8_t* text, std::uint32_t n) {
  std::string out;
  if (text == nullptr) return out;
  const void* nul = std::memchr(text, 0, n);
  const std::uint32_t len = nul ? static_cast<std::uint32_t>(static_cast<const std::uint8_t*>(nul) - text) : n;
  out.assign(reinterpret_cast<const char*>(text), len);
  std::replace(out.begin(), out.end(), static_cast<char>(kSep), '\t');
  return out;
}

std::string MacroClipCut(const std::string& text) {
  const std::size_t nul = text.find('\0');
  std::size_t len = std::min<std::size_t>(nul == std::string::npos ? text.size() : nul, kClipTextMost);
  if (len < text.size()) {
    // Walk the characters: a lead byte whose trail byte lies past the cut goes too.
    std::size_t k = 0;
    while (k < len) k += fw::IsSjisLeadByte(static_cast<unsigned char>(text[k])) ? 2 : 1;
    if (k > len) --len;
  }
  return text.substr(0, len);
}

Outcome MacroExecLoadClip(MacroRunContext& rc) {
  CString clip;
  if (rc.host.ReadClipboardText(&clip) < 0) return Outcome::kNext;  // not opened: nothing changes
  const std::string& s = clip.Str();
  std::size_t n = s.find('\0');
  if (n == std::string::npos) n = s.size();
  const std::int32_t most = rc.docSettings.m_nIndata;
  if (most > 0) n = std::min<std::size_t>(n, static_cast<std::size_t>(most));
  csv::Table& t = rc.table;
  if (n > 0xFFFFFFFFull - kSpare || !t.Reserve(static_cast<std::uint64_t>(n) + kSpare)) {
    rc.host.ReportMessage(kNoMemoryCode, CString());
    return Outcome::kNext;
  }
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(s.data());
  const std::uint32_t len = static_cast<std::uint32_t>(n);
  MacroClipToTable(bytes, len, MacroClipBalance(bytes, len), t.m_pTextBuf);
  t.m_pTextBuf[len] = 0;
  t.m_nTextLen = static_cast<std::uint32_t>(csv::FindInLine(reinterpret_cast<const char*>(t.m_pTextBuf), len));
  t.m_bCellCodesAreData = false;
  *rc.view.fileKind = kCsvKind;
  rc.docUpdate.m_nFileKind = static_cast<std::int32_t>(kCsvKind);
  t.Rescan();
  return Outcome::kNext;
}

Outcome MacroExecSaveClip(MacroRunContext& rc) {
  MacroState& st = rc.state;
  const std::int32_t num1 = st.m_anStmtNumbers[0];
  std::string text;
  if (num1 > 0) {
    if (num1 <= kLastVarSlot) text = MacroClipCut(st.m_strMacroVars[num1].Str());
  } else if (!st.m_strStmtOperand.IsEmpty()) {
    text = MacroClipCut(st.m_strStmtOperand.Str());
  } else {
    const csv::Table& t = rc.table;
    text = MacroTableAsTabText(t.m_pTextBuf, t.m_pTextBuf != nullptr ? t.UsedLength() : 0);
  }
  rc.host.SetClipboardText(CString(std::move(text)));  // not opened: nothing happens
  return Outcome::kNext;
}

}  // namespace macro
