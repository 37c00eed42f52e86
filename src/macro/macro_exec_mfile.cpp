#include "macro/macro_exec_mfile.h"

#include "csv/csv_concat.h"
#include "csv/csv_findinline.h"
#include "csv/csv_table.h"
#include "macro/macro_display_words.h"
#include "macro/macro_exec_join.h"
#include "macro/macro_fileentry.h"
#include "macro/macro_run.h"
#include "macro/macro_run_errors.h"
#include "macro/macro_sharedmem.h"
#include "macro/macro_state.h"

namespace macro {

namespace {

constexpr std::uint32_t kCsvKind = 33;
constexpr std::uint64_t kSpare = 1000;
constexpr std::uint32_t kBlockStep = 1000000;
constexpr int kMapLimit = static_cast<int>(kMmapMaxBytes);
// Modes of the transfer.
constexpr int kModeRelease = 0, kModeWrite = 1, kModeRead = 2, kModeLength = 3, kModeAppend = 4;

char OptionOf(const CString& command) { return command.GetLength() > 3 ? command[3] : '\0'; }

// The block name: the operand with its doubled backslashes made single. A
// name is no path, so it is not placed in the macro folder as the family's
// entry places a file (the system refuses a name with a folder in it, so
// no block could ever be written). Only an empty operand goes through the
// entry, which asks for it; false when the statement ends there (Cancel).
bool BlockName(MacroRunContext& rc, char code, CString* name) {
  *name = MacroNormaliseBackslashes(rc.state.m_strStmtOperand);
  if (!name->IsEmpty()) return true;
  FileEntryRequest req;
  req.code = code;
  req.letter = 'f';
  CString keyText;
  return MacroFileEntry(rc.state, rc.host, req, name, &keyText) == FileEntryResult::kGo;
}

}  // namespace

int MacroSharedBlockSize(std::uint32_t length) {
  return static_cast<int>((length / kBlockStep + 1) * kBlockStep);
}

Outcome MacroExecLoadMFile(MacroRunContext& rc) {
  MacroState& st = rc.state;
  const char option = OptionOf(st.m_strStmtCommand);
  CString name;
  if (!BlockName(rc, 'L', &name)) return Outcome::kNext;
  csv::Table& t = rc.table;
  if (option == 'a' || option == 'j') {
    if (*rc.view.fileKind != kCsvKind || static_cast<std::int32_t>(*rc.view.sourceView) > 0) return Outcome::kNext;
    csv::ConcatArgs args;
    args.skipLines = MacroConcatSkipLines(st.m_anStmtNumbers[0], true);
    args.sourceMode = option == 'a' ? 1 : 3;
    args.fileKind = static_cast<int>(kCsvKind);
    SharedMemorySource block(name, kMapLimit);
    const csv::ConcatResult r = MacroConcatInto(rc, args, block);
    if (r == csv::ConcatResult::kFailed || r == csv::ConcatResult::kUnreadable)
      return MacroRaiseRunError(&rc.host, RunError::kSilent);
  } else {
    const int size = rc.host.TransferSharedMemory(name, nullptr, 0, 0, 0, kModeLength, kMapLimit);
    if (size < 0) return MacroRaiseRunError(&rc.host, RunError::kMmapSizeCheck);
    const std::uint64_t need = static_cast<std::uint64_t>(size) + 1;  // the text and its NUL
    if ((t.m_pTextBuf == nullptr || need > t.m_nWorkSize) && !t.Reserve(static_cast<std::uint64_t>(size) + kSpare))
      return MacroRaiseRunError(&rc.host, RunError::kMmapReadMemory);
    if (option == 'v') {
      const std::int32_t n = st.m_anStmtNumbers[0];
      st.m_strMacroVars[n >= 1 && n <= kLastVarSlot ? n : 1].Format("%d", size);
      return Outcome::kNext;
    }
    const int read = rc.host.TransferSharedMemory(name, t.m_pTextBuf, t.m_nWorkSize, 0, 0, kModeRead, kMapLimit);
    if (read < 0) return MacroRaiseRunError(&rc.host, RunError::kMmapRead);
    t.m_pTextBuf[read] = 0;  // a missing block leaves the buffer as it was: an empty text
    t.m_nTextLen = static_cast<std::uint32_t>(csv::FindInLine(reinterpret_cast<const char*>(t.m_pTextBuf),
                                                              static_cast<std::size_t>(read)));
  }
  rc.docText.m_nViewTextLen = t.m_nTextLen;
  return Outcome::kNext;
}

Outcome MacroExecSaveMFile(MacroRunContext& rc) {
  MacroState& st = rc.state;
  const char option = OptionOf(st.m_strStmtCommand);
  CString name;
  if (!BlockName(rc, 'S', &name)) return Outcome::kNext;
  if (option == 'c') {
    if (rc.host.TransferSharedMemory(name, nullptr, 0, 0, 0, kModeRelease, 0) < 0)
      return MacroRaiseRunError(&rc.host, RunError::kMmapDelete);
    return Outcome::kNext;
  }
  const csv::Table& t = rc.table;
  const std::uint32_t len = t.m_pTextBuf != nullptr ? t.UsedLength() : 0;
  if (len > kMmapMaxBytes) {
    RunErrorArgs args;
    args.length = len;
    return MacroRaiseRunError(&rc.host, RunError::kMmapVolumeOver, args);
  }
  static std::uint8_t empty = 0;
  std::uint8_t* text = t.m_pTextBuf != nullptr ? t.m_pTextBuf : &empty;
  const int size = MacroSharedBlockSize(len);
  if (rc.host.TransferSharedMemory(name, text, len, 0, size, option == 'a' ? kModeAppend : kModeWrite, size) < 0)
    return MacroRaiseRunError(&rc.host, RunError::kMmapSave);
  return Outcome::kNext;
}

}  // namespace macro
