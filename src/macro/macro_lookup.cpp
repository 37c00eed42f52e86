// Loading and indexing the lookup data file.
#include "macro/macro_lookup.h"

#include <string>

#include "fw/alloc.h"
#include "fw/file.h"
#include "fw/strtable.h"
#include "macro/macro_run_errors.h"
#include "macro/macro_run_host.h"
#include "macro/macro_state.h"

namespace macro {
namespace {

constexpr unsigned kStrCannotOpen = 237;
constexpr int kCodeQuestion = 3;
constexpr int kAnswerOk = 1, kAnswerSilenced = 9;
constexpr std::uint32_t kLookupMargin = 1000;

// The file part of a path (after the last '\' or '/').
std::string FilePart(const std::string& path) {
  const std::size_t at = path.find_last_of("\\/");
  return at == std::string::npos ? path : path.substr(at + 1);
}

// A marked source form: the last '.' followed by '=', '-' or '+'.
bool IsMarked(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  return dot != std::string::npos && dot + 1 < name.size() &&
         (name[dot + 1] == '=' || name[dot + 1] == '-' || name[dot + 1] == '+');
}

bool TryOpen(CFile& f, const std::string& path) {
  if (path.empty()) return false;
  try {
    return f.Open(path.c_str(), CFile::modeRead) != 0;
  } catch (...) {
    return false;
  }
}

}  // namespace

void MacroIndexLookupData(const char* data, std::uint32_t length, std::uint32_t* index) {
  for (int k = 0; k < kLookupKeys; ++k) index[k] = 0;
  if (data == nullptr || length < 2 || data[0] != '$' || data[1] != '$') return;
  std::uint32_t p = 0;
  while (p < length && data[p] != '\r' && data[p] != '\n') ++p;
  std::uint32_t next = kFirstLookupKey;
  while (p < length) {
    // One line break: CR, LF or CR LF.
    if (data[p] == '\r' && p + 1 < length && data[p + 1] == '\n') ++p;
    ++p;
    if (p + 1 < length) {
      const std::uint32_t key =
          MacroLookupKey(static_cast<unsigned char>(data[p]), static_cast<unsigned char>(data[p + 1]));
      if (key >= next) {
        index[key] = p;
        next = key + 1;
      }
    }
    while (p < length && data[p] != '\r' && data[p] != '\n') ++p;
  }
}

Outcome MacroLoadLookupFile(MacroState& st, MacroRunHost& host, const CString& operand, const CString& folder) {
  std::string name = operand.Str();
  const std::string program = host.ProgramDir().Str();
  const std::string dir = folder.Str();
  if (IsMarked(name)) {
    // A marked data file (found where a plain one would be) is read from its
    // restored plain copy.
    const std::string markedPart = FilePart(name);
    std::string marked = name;
    CFileStatus status;
    for (const std::string& c : {name, program.empty() ? std::string() : program + "\\" + markedPart,
                                 dir.empty() ? std::string() : dir + "\\" + markedPart}) {
      if (!c.empty() && CFile::GetStatus(c.c_str(), status)) {
        marked = c;
        break;
      }
    }
    CString plain;
    if (host.RestoreSourceForm(CString(marked.c_str()), &plain) == -2 || plain.IsEmpty())
      name += "??";
    else
      name = plain.Str();
  }
  CFile f;
  const std::string part = FilePart(name);
  if (!TryOpen(f, name) && !(program.size() && TryOpen(f, program + "\\" + part)) &&
      !(dir.size() && TryOpen(f, dir + "\\" + part))) {
    std::string head;
    if (!fw::LookupString(kStrCannotOpen, head)) head = "String 237";
    CString text(head);
    CString line;
    line.Format("cmnd = %d", st.m_nCmdLineNo);
    text += "\nfile = ";
    text += CString(name);
    text += "\n  ";
    text += line;
    const int answer = host.ReportMessage(kCodeQuestion, text);
    return answer == kAnswerOk || answer == kAnswerSilenced ? Outcome::kNext : Outcome::kErrorExit;
  }
  std::uint64_t size = 0;
  try {
    size = f.GetLength();
  } catch (...) {
    size = kLookupFileMax + 1;
  }
  // A file over 2 GB cannot be held with its margin in 32 bits.
  if (size > kLookupFileMax) return MacroRaiseRunError(&host, RunError::kMemory115);
  void* grown = fw::Realloc(st.m_pMacroLookup, static_cast<std::size_t>(size) + kLookupMargin);
  if (grown == nullptr) return MacroRaiseRunError(&host, RunError::kMemory115);
  st.m_pMacroLookup = static_cast<char*>(grown);
  std::uint64_t got = 0;
  try {
    while (got < size) {
      const std::uint64_t want = size - got < 0x40000000u ? size - got : 0x40000000u;
      const UINT n = f.Read(st.m_pMacroLookup + got, static_cast<UINT>(want));
      if (n == 0) break;
      got += n;
    }
  } catch (...) {
  }
  st.m_nMacroLookupLen = static_cast<std::uint32_t>(got);
  st.m_pMacroLookup[got] = 0;
  MacroIndexLookupData(st.m_pMacroLookup, st.m_nMacroLookupLen, st.m_aMacroLookupIndex);
  return Outcome::kNext;
}

}  // namespace macro
