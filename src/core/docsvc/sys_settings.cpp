#include "core/docsvc/sys_settings.h"

#include <cstdint>

namespace docsvc {
namespace {

const std::vector<SysSlot> kSlots = {
    // programs per file type ("" = the registered program)
    {0, "sch", "notepad.exe"}, {1, "ppt", ""}, {2, "doc", ""}, {3, "xls", ""},
    {4, "rtf", "wordpad.exe"}, {5, "pdf", ""}, {6, "htm", ""}, {7, "pict", "mspaint.exe"},
    {8, "mid", "wmplayer.exe"}, {9, "A/V", "wmplayer.exe"},
    // jump registers
    {11, "dir1", ""}, {12, "dir2", ""}, {13, "dir3", ""}, {14, "dir4", ""}, {15, "dir5", ""},
    {16, "dir6", ""}, {17, "dir7", ""}, {18, "dir8", ""}, {19, "dir9", ""}, {20, "dir0", ""},
    // fallback and preferred start folders of sides 1 and 2
    {21, "dirX", "C:"}, {22, "dirY", "C:"}, {23, "dirA", ""}, {24, "dirB", ""},
    {25, "dir@", ""},
    // FTP sites
    {26, "ftp1", ""}, {27, "ftp2", ""}, {28, "ftp3", ""},
    // network drives J: to Q:, R: to U:
    {31, "ntwJ", ""}, {32, "ntwK", ""}, {33, "ntwL", ""}, {34, "ntwM", ""},
    {35, "ntwN", ""}, {36, "ntwO", ""}, {37, "ntwP", ""}, {38, "ntwQ", ""},
    {40, "ntwR", ""}, {41, "ntwS", ""}, {42, "ntwT", ""}, {43, "ntwU", ""},
};

// The "posi" lines and the other system values: key, count of comma-
// separated integers, their fields, defaults.
struct IntLine {
  const char* key;
  int count;
  int* (*at)(SysSettings&, int);
  int def[kPosiCount];
};

const IntLine kIntLines[] = {
    {"posi", kPosiCount, [](SysSettings& s, int i) { return &s.m_nPosi[i]; },
     {0, 20, 20, 1000, 700, 0, 400, 0, 0, 0}},
    {"posi;", 1, [](SysSettings& s, int) { return &s.m_nFlistD; }, {1616}},
    {"posi<", 1, [](SysSettings& s, int) { return &s.m_nDirSort; }, {0}},
    {"sorts", 2, [](SysSettings& s, int i) { return i == 0 ? &s.m_nStartSort1 : &s.m_nStartSort2; }, {0, 0}},
    {"layout", 3,
     [](SysSettings& s, int i) { return i == 0 ? &s.m_nLayoutMode : i == 1 ? &s.m_nSideDisplay : &s.m_nWindowMode; },
     {0, 0, 0}},
    {"follow", 1, [](SysSettings& s, int) { return &s.m_nLaunchFollowUp; }, {0}},
};

const char kKeyCodeKey[] = "ekey";

// Why a system line was not taken: one table.
enum SysError { kSysBadNumbers, kSysBadKeyCode };
const char* const kSysErrorText[] = {
    "数値の並びが正しくありません（既定値を使用）",
    "暗号化キーコードを読めません（未登録として扱います）",
};

}  // namespace

const std::vector<SysSlot>& SysSlotTable() { return kSlots; }

int SysSlotOfKey(const CString& key) {
  if (key.IsEmpty()) return -1;
  for (const SysSlot& s : kSlots)
    if (key == s.key) return s.slot;
  return -1;
}

void SetDefaultAssociations(SysSettings& s) {
  for (const SysSlot& slot : kSlots)
    if (slot.slot <= 9) s.m_strSysValue[slot.slot] = slot.def;
}

SysSettings DefaultSysSettings() {
  SysSettings s;
  for (const SysSlot& slot : kSlots) {
    s.m_strSysKey[slot.slot] = slot.key;
    s.m_strSysValue[slot.slot] = slot.def;
  }
  for (const IntLine& l : kIntLines)
    for (int i = 0; i < l.count; ++i) *l.at(s, i) = l.def[i];
  return s;
}

void ReadSysText(const std::string& bytes, SysSettings& s, std::vector<KvLine>* unknown,
                 std::vector<LineIssue>* issues) {
  KvText kv = ParseKvText(bytes);
  if (issues) issues->insert(issues->end(), kv.skipped.begin(), kv.skipped.end());
  for (const KvLine& l : kv.entries) {
    int slot = SysSlotOfKey(l.key);
    if (slot >= 0) {
      s.m_strSysValue[slot] = l.value;
      continue;
    }
    bool known = false;
    for (const IntLine& il : kIntLines) {
      if (l.key != il.key) continue;
      known = true;
      int v[kPosiCount];
      if (ParseIntList(l.value, v, il.count)) {
        for (int i = 0; i < il.count; ++i) *il.at(s, i) = v[i];
      } else if (issues) {
        issues->push_back({l.line, CString(il.key) + ": " + kSysErrorText[kSysBadNumbers]});
      }
    }
    if (l.key == kKeyCodeKey) {
      known = true;
      CString plain;
      if (!DecipherKeyCode(l.value, &plain) && issues)
        issues->push_back({l.line, CString(kKeyCodeKey) + ": " + kSysErrorText[kSysBadKeyCode]});
      s.m_strEncryptKeyCode = plain;
    }
    if (!known && unknown) unknown->push_back(l);
  }
}

std::string WriteSysText(const SysSettings& s, const std::vector<KvLine>& unknown) {
  std::string out;
  for (int i = 0; i < kSysSlots; ++i)
    if (!s.m_strSysKey[i].IsEmpty()) AppendKvLine(out, s.m_strSysKey[i], s.m_strSysValue[i]);
  for (const KvLine& l : unknown) AppendKvLine(out, l.key, l.value);
  SysSettings& m = const_cast<SysSettings&>(s);
  for (const IntLine& il : kIntLines) {
    CString v;
    for (int i = 0; i < il.count; ++i) {
      CString n;
      n.Format(i == 0 ? "%d" : ",%d", *il.at(m, i));
      v += n;
    }
    AppendKvLine(out, il.key, v);
  }
  AppendKvLine(out, kKeyCodeKey, EncipherKeyCode(s.m_strEncryptKeyCode));
  out += "#end/\r\n";
  return out;
}

}  // namespace docsvc
