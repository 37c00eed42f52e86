#include "macro/macro_userdlg.h"

#include <algorithm>
#include <string>

#include "macro/macro_number.h"
#include "macro/macro_state.h"

namespace macro {

namespace {

constexpr int kLetterSlotFirst = 110, kLetterSlotLast = 169, kLetterOffset = 45;
constexpr int kNumberCap = 1000000;  // digit runs stop growing here

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The digits from `pos` up to ',' or ';' (other bytes pass), saturating;
// leaves pos at the ',' or ';' (or the end). Beyond 199 is 199.
int ReadSlotNumber(const std::string& s, std::size_t* pos) {
  int n = 0;
  std::size_t p = *pos;
  while (p < s.size() && s[p] != ',' && s[p] != ';') {
    if (IsDigit(s[p])) n = std::min(kNumberCap, n * 10 + (s[p] - '0'));
    ++p;
  }
  *pos = p;
  return std::min(n, kUserDialogLastSlot);
}

bool InVarRange(int n) { return n >= 1 && n <= kLastVarSlot; }

CString Decimal(long long n) {
  CString s;
  s.Format("%lld", n);
  return s;
}

}  // namespace

const char* const kUserDialogDefaultLines[3] = {
    "W,100,100,500,500,Z      $Sample",
    "O,300, 20, 80, 30,6C     $OK",
    "C,400, 20, 80, 30,6C     $\xB7\xAC\xDD\xBE\xD9",  // ｷｬﾝｾﾙ
};

void UserDialogState::ClearSlots() {
  for (int k = 0; k < kUserDialogSlots; ++k) {
    m_strItemDef[k].Empty();
    m_strItemLink[k].Empty();
    m_strItemValue[k].Empty();
    m_nItemVar[k] = 0;
    m_chItemKind[k] = 0;
    m_nItemCurSel[k] = 0;
    m_nItemSlot[k] = 0;
    m_hItemWnd[k] = nullptr;
  }
}

bool UserDialogState::Ended() const {
  return m_strItemValue[0] == "@OK" || m_strItemValue[0] == "@CANCEL";
}

void UserDialogReadDefinition(UserDialogState& d, const CString& text, bool design) {
  if (design && text.GetLength() < 10) {
    for (int k = 0; k < 3; ++k) d.m_strItemDef[k + 1] = kUserDialogDefaultLines[k];
    return;
  }
  const std::string& s = text.Str();
  std::size_t p = 0;
  for (;;) {
    p = s.find('#', p);
    if (p == std::string::npos) return;
    ++p;
    const int n = ReadSlotNumber(s, &p);
    if (p < s.size() && s[p] == ',') ++p;
    std::size_t end = s.find(';', p);
    if (end == std::string::npos) end = s.size();
    const std::size_t gt = s.find('>', p);
    if (gt != std::string::npos && gt < end) {
      d.m_strItemDef[n] = CString(s.data() + p, static_cast<int>(gt - p));
      d.m_strItemLink[n] = CString(s.data() + gt, static_cast<int>(end - gt));
      p = gt;  // the next '#' is looked for from the '>' on
    } else {
      d.m_strItemDef[n] = CString(s.data() + p, static_cast<int>(end - p));
      p = end;
    }
    if (p >= s.size()) return;
  }
}

void UserDialogReadBindings(UserDialogState& d, const CString& v2Text, const CString* vars) {
  std::string s = v2Text.GetLength() > 3 ? v2Text.Str() : std::string("#1;#2;#3;");
  s += "    ";
  std::size_t p = 0;
  for (;;) {
    p = s.find('#', p);
    if (p == std::string::npos) return;
    ++p;
    const int n = ReadSlotNumber(s, &p);
    if (p < s.size() && s[p] == ',') ++p;
    while (p < s.size() && s[p] == ' ') ++p;
    long long var = 0;
    while (p < s.size() && s[p] != '=' && s[p] != ':' && s[p] != ';') {
      const char c = s[p];
      if (IsDigit(c))
        var = std::min<long long>(kNumberCap, var * 10 + (c - '0'));
      else if (c >= 'A' && c <= '~' && c != 'T')
        var = static_cast<unsigned char>(c) + kLetterOffset;
      ++p;
    }
    // A variable beyond the store binds nothing.
    const int bound = var > kLastVarSlot ? 0 : static_cast<int>(var);
    d.m_nItemVar[n] = bound;
    d.m_strItemValue[n].Empty();
    if (p < s.size() && s[p] == '=') {
      ++p;
      // The value runs to ';' or '>'; the last byte of the text is never
      // taken (an entry without ';' keeps three of the four blanks).
      std::size_t e = p;
      while (e + 1 < s.size() && s[e] != ';' && s[e] != '>') ++e;
      const std::string value = s.substr(p, e - p);
      if (value == "@")
        d.m_strItemValue[n] = bound > 0 ? vars[bound] : CString();
      else if (value == "\\@")
        d.m_strItemValue[n] = "@";
      else
        d.m_strItemValue[n] = CString(value);
      p = e;
    }
    if (p < s.size() && s[p] == '>') {
      const std::size_t semi = s.find(';', p);
      p = semi == std::string::npos ? s.size() : semi;
    }
    if (p >= s.size()) return;
  }
}

char UserDialogLetterOf(int slot) { return static_cast<char>(slot - kLetterOffset); }

void UserDialogCollectOk(const UserDialogState& d, MacroState& st) {
  st.m_strLastResult() = "@OK";
  st.m_strMacroVars[kSlotCurBlock] = d.m_strItemValue[1];
  for (int k = 0; k < kUserDialogSlots; ++k) {
    const int var = d.m_nItemVar[k];
    if (!InVarRange(var)) continue;
    const char kind = d.m_chItemKind[k];
    const CString& value = d.m_strItemValue[k];
    const bool always = kind == 'E' || kind == 'K' || kind == 'R';
    if (always || (!value.IsEmpty() && !(value == "0"))) st.m_strMacroVars[var] = value;
  }
}

bool UserDialogReadConversion(char kind, int ordinal, int base, int reverse, const ControlReading& r,
                              CString* out) {
  switch (kind) {
    case 'E':
      *out = r.text.GetLength() > kEditReadMax ? r.text.Left(kEditReadMax) : r.text;
      return true;
    case 'M':
    case 'L':
      *out = Decimal(std::max(r.selIndex, 0) + 1LL);
      return true;
    case 'm':
    case 'l':
      *out = r.selText;
      return true;
    case 'K':
    case 'R':
      *out = Decimal(r.check);
      return true;
    case 'D':
      if (ordinal < 1 || ordinal > kDateSlots) return false;
      out->Format("%4d%02d%02d", r.year, r.month, r.day);
      return true;
    case 'I':
      *out = Decimal(reverse > 0 ? static_cast<long long>(reverse) - r.position
                                 : static_cast<long long>(r.position) + base);
      return true;
    case 'U':
      *out = Decimal(r.position);
      return true;
    default:
      return false;
  }
}

ControlWrite UserDialogWriteConversion(char kind, const CString& varText, int base, int reverse) {
  ControlWrite w;
  const int n = MacroReadNumber(varText, 6);
  switch (kind) {
    case 'E':
      w.action = ControlWrite::kText;
      w.text = varText;
      break;
    case 'M':
    case 'L':
      w.action = ControlWrite::kSelect;
      w.value = std::max(n, 1) - 1;
      w.setsCurSel = kind == 'M';
      w.curSel = w.value;
      break;
    case 'K':
    case 'R':
      w.action = ControlWrite::kCheck;
      w.value = std::clamp(n, 0, 1);
      break;
    case 'P':
      w.action = ControlWrite::kProgress;
      w.value = n;
      w.setsCurSel = true;
      w.curSel = n;
      break;
    case 'I': {
      const long long pos = reverse > 0 ? static_cast<long long>(reverse) - n : static_cast<long long>(n) - base;
      w.action = ControlWrite::kTrack;
      w.value = static_cast<int>(std::clamp<long long>(pos, INT32_MIN, INT32_MAX));
      w.setsCurSel = true;
      w.curSel = w.value;
      break;
    }
    case 'U':
      w.action = ControlWrite::kSpin;
      w.value = static_cast<int>(static_cast<unsigned>(n) & 0xFFFFu);
      w.setsCurSel = true;
      w.curSel = n;
      break;
    default:
      break;
  }
  return w;
}

namespace {

CString VarHead(int v) {
  CString s;
  if (v >= kLetterSlotFirst && v <= kLetterSlotLast)
    s.Format("\t&D%c\t", UserDialogLetterOf(v));
  else
    s.Format("\t&D%d\t", v);
  return s;
}

}  // namespace

CString UserDialogDesignText(const UserDialogState& d, int v1, int v2) {
  std::string def = VarHead(v1).Str();
  std::string val = VarHead(v2).Str();
  int count = 0;
  for (int k = 0; k < kUserDialogSlots; ++k) {
    CString line = d.m_strItemDef[k] + d.m_strItemLink[k];
    if (line.IsEmpty()) continue;
    line.Replace("\r\n", "\\n");
    ++count;
    if (count >= 2) def += "2\t\t";
    CString head;
    head.Format(k < 10 ? "#% d," : "#%2d,", k);
    def += head.Str();
    def += line.Str();
    def += ";\n";
    if (k <= 3) continue;
    const char kind = d.m_chItemKind[k];
    const CString& value = d.m_strItemValue[k];
    if (kind == 'T' && value.IsEmpty()) continue;
    int var = d.m_nItemVar[k];
    if (var == 0) var = k < 100 ? k : 99;
    CString entry;
    if (kind == 'm')
      entry.Format("#%d,%d=%lld", k, var, d.m_nItemCurSel[k] + 1LL);
    else
      entry.Format("#%d,%d=", k, var);
    std::string e = entry.Str();
    if (kind != 'm') e += value.Str();
    e += "; ";
    if (count % 10 == 0) e = "\n2\t\t" + e;
    val += e;
  }
  return CString(def + val + "\n\n\n");
}

}  // namespace macro
