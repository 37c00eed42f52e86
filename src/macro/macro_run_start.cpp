#include "macro/macro_run_start.h"

#include <cstdio>
#include <cstring>

#include "fw/datetime.h"
#include "macro/macro_state.h"

namespace macro {

namespace {

// Slots the fresh start fills (the statements read them as variables).
constexpr int kSlotDay = 113, kSlotMonth = 122, kSlotYear = 166;
constexpr int kSlotHour = 149, kSlotMinute = 154, kSlotSecond = 160;
constexpr int kSlotVersion = 163;
constexpr int kSlotName1 = 114, kSlotName2 = 126, kSlotDocNumber = 127;
constexpr int kSlotParamPath = 115, kSlotParamStem = 147, kSlotParamFolder = 125, kSlotParamFile = 116;
constexpr int kSlotParamFileStem = 148;
constexpr int kSlotSource = 133, kSlotNestedMark = 165, kSlotUserName = 130;
constexpr int kEmptiedSlots[] = {117, 157, 164};

// Slot ranges a fresh start clears, and the modes that keep each.
struct ClearedRange {
  int first, last;
  int keptBy1, keptBy2;  // modes that keep the range (0: none)
};
constexpr ClearedRange kCleared[] = {
    {0, 49, kRunNestedFile, kRunNestedDocument},
    {50, 167, 0, 0},
    {180, 229, kRunNestedDocument, 0},
    {230, kLastVarSlot, 0, 0},
};

CString Before(const CString& s, char c) {
  const int at = s.ReverseFind(c);
  return at < 0 ? s : s.Left(at);
}

CString TwoDigits(int n) {
  CString s;
  s.Format("%02d", n);
  return s;
}

}  // namespace

CString RunFolder(const CString& source, const CString& folder) {
  if (!folder.IsEmpty()) return folder;
  const int at = source.ReverseFind('\\');
  return at < 0 ? CString() : source.Left(at);
}

std::string StatementRunText(const CString& command, const CString& operand) {
  std::string cmd = command.Str();
  if (cmd.size() > 1 && cmd[0] == '&' && cmd[1] >= 'a' && cmd[1] <= 'z' && cmd.compare(1, 2, "re") != 0)
    cmd.erase(0, 1);
  // An empty label column first, so that a command beginning with 'L', ':',
  // 'S' or '#' is read as the command, not as a line mark.
  const std::string line = '\t' + cmd + '\t' + operand.Str();
  // Each "\\t" is replaced whole (three bytes by one TAB).
  std::string out;
  out.reserve(line.size());
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line.compare(i, 3, "\\\\t") == 0) {
      out += '\t';
      i += 2;
    } else {
      out += line[i];
    }
  }
  return out;
}

std::string ExpandTextRunEscapes(const std::string& source) {
  std::string out;
  out.reserve(source.size());
  for (std::size_t i = 0; i < source.size(); ++i) {
    if (source[i] == '\\' && i + 1 < source.size() && source[i + 1] == 't') {
      out += '\t';
      ++i;
    } else if (source[i] == '\\' && i + 1 < source.size() && source[i + 1] == 'n') {
      out += "\r\n";
      ++i;
    } else {
      out += source[i];
    }
  }
  return out;
}

bool CommaFormToColumns(std::string* text) {
  if (text->empty() || (*text)[0] != '$') return false;
  (*text)[0] = ' ';
  for (std::size_t i = 1; i < text->size(); ++i)
    if ((*text)[i] == ',' && (*text)[i - 1] != '\\') (*text)[i] = '\t';
  return true;
}

bool TakeBatchText(std::string* text) {
  std::string& t = *text;
  std::size_t line = 0;
  while (line < t.size() && t.compare(line, 2, "//") == 0) {
    const std::size_t lf = t.find('\n', line);
    if (lf == std::string::npos) return false;
    line = lf + 1;
  }
  if (t.size() <= 3 || t.compare(line, 4, "@BAT") != 0) return false;
  t[line] = '/';
  t[line + 1] = '/';
  return true;
}

void FreshRunStart(MacroState& st, int mode, const RunStartValues& v) {
  if (mode != kRunNestedDocument) {
    st.m_nMacroNextSlot = kFirstDeclaredSlot;
    std::memset(st.m_abMacroNameTable, 0, sizeof st.m_abMacroNameTable);
  }
  for (const ClearedRange& r : kCleared) {
    if (mode == r.keptBy1 || mode == r.keptBy2) continue;
    for (int s = r.first; s <= r.last; ++s) {
      st.m_strMacroVars[s].Empty();
      st.m_aMacroVarFlags[s] = 0;
      st.m_anMacroVarRefSlot[s] = 0;
    }
  }

  CString* slot = st.m_strMacroVars;
  const std::tm t = fw::LocalFields(v.now);
  slot[kSlotDay] = TwoDigits(t.tm_mday);
  slot[kSlotMonth] = TwoDigits(t.tm_mon + 1);
  slot[kSlotYear] = TwoDigits((t.tm_year + 1900) % 100);
  slot[kSlotHour] = TwoDigits(t.tm_hour);
  slot[kSlotMinute] = TwoDigits(t.tm_min);
  slot[kSlotSecond] = TwoDigits(t.tm_sec);
  slot[kSlotVersion] = "3762";
  slot[kSlotName1] = v.nameField1;
  slot[kSlotName2] = v.nameField2.IsEmpty() ? v.nameField1 : v.nameField2;
  if (v.documentNumber > 0) slot[kSlotDocNumber].Format("%d", v.documentNumber);
  for (int s : kEmptiedSlots) slot[s].Empty();

  // The parameter path and its parts.
  const CString& path = v.paramPath;
  slot[kSlotParamPath] = path;
  slot[kSlotParamStem] = Before(path, '.');
  const int bs = path.ReverseFind('\\');
  slot[kSlotParamFolder] = bs < 0 ? path : path.Left(bs);
  slot[kSlotParamFile] = bs < 0 ? path : path.Mid(bs + 1);
  slot[kSlotParamFileStem] = Before(slot[kSlotParamFile], '.');

  slot[kSlotSource] = v.source;
  slot[kSlotMacroDir] = v.folder;
  if (mode == kRunNestedFile) slot[kSlotNestedMark] = "B";
  slot[kSlotUserName] = v.userName;
}

}  // namespace macro
