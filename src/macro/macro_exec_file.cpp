#include "macro/macro_exec_file.h"

#include <algorithm>
#include <cinttypes>
#include <cstring>
#include <string>

#include "core/docsvc/docnames.h"
#include "core/fileops/fileprims.h"
#include "csv/csv_findinline.h"
#include "csv/csv_index.h"
#include "csv/csv_table.h"
#include "fw/alloc.h"
#include "fw/clock.h"
#include "fw/file.h"
#include "fw/path.h"
#include "fw/sjis.h"
#include "macro/macro_file_system.h"
#include "macro/macro_fileoperand.h"
#include "macro/macro_folderlist.h"
#include "macro/macro_paths.h"
#include "macro/macro_run.h"
#include "macro/macro_run_errors.h"
#include "macro/macro_state.h"

namespace macro {

namespace {

constexpr std::uint32_t kCsvKind = 33;
constexpr int kSlotStatusDefault = 128;  // "S"
constexpr int kSlotFolderVar = 157;      // "p"
// The variables "&Fi" sets.
constexpr int kSlotChosen = 115, kSlotChosenNoExt = 147, kSlotChosenFolder = 125, kSlotChosenName = 116,
              kSlotChosenNameNoExt = 148;
constexpr char kDialogFilter[] = "ALL|*.*|csv file|*.csv|| ";
constexpr char kNoFileStatus[] = "99";
constexpr char kSpreadsheetTitle[] = "Microsoft Excel";
constexpr int kSpreadsheetLooks = 10;
constexpr std::int64_t kHalfSecondMs = 500;
constexpr std::int64_t kPollMs = 20;
constexpr std::uint64_t kListSpare = 1000;
constexpr long long kMegabyte = 1048576;
constexpr long long kDefaultPartBytes = 102400;

bool ValidSlot(std::int64_t n) { return n >= 1 && n <= kLastVarSlot; }

bool EscapePoll(void* ctx) { return static_cast<MacroHost*>(ctx)->CheckEscapeAbort(); }

// The busy wait "about two seconds": until the calendar second has moved on
// by two, polling Esc (which ends it early).
void WaitTwoSeconds(MacroHost& host) {
  const std::int64_t start = fw::CurrentTime();
  while (fw::CurrentTime() - start < 2)
    if (!fw::Wait(kPollMs, EscapePoll, &host)) return;
}

bool WaitHalfSecond(MacroHost& host) { return fw::Wait(kHalfSecondMs, EscapePoll, &host); }

CString FileNameOf(const CString& path) {
  const int at = fw::LastPathSeparator(path.GetString(), path.GetLength());
  return at < 0 ? path : path.Mid(at + 1);
}

CString DropTrailingSeparator(const CString& path) {
  const int n = path.GetLength();
  if (n > 0 && fw::LastPathSeparator(path.GetString(), n) == n - 1) return path.Left(n - 1);
  return path;
}

void Decimal(CString* var, std::uint64_t value) { var->Format("%" PRIu64, value); }

// "&Fq": the program window showing the file closed.
void QuitApp(MacroRunContext& rc, const CString& operand, bool viaSpreadsheet) {
  MacroHost& host = rc.host;
  WaitTwoSeconds(host);
  CFileStatus status;
  if (!CFile::GetStatus(operand.GetString(), status)) return;
  const MacroHost::AppWindow window = host.FindExternalAppWindow(FileNameOf(operand), CString(), 2);
  if (window == 0) {
    WaitTwoSeconds(host);
    return;
  }
  if (!viaSpreadsheet) {
    host.CloseAppWindow(window, false);
  } else {
    WaitTwoSeconds(host);
    host.CloseAppWindow(window, true);
    for (int look = 0; look < kSpreadsheetLooks; ++look) {
      if (!WaitHalfSecond(host)) break;
      const MacroHost::AppWindow sheet = host.FindWindowByTitle(kSpreadsheetTitle);
      if (sheet != 0) {
        host.SendAltF4(sheet);
        break;
      }
    }
  }
  WaitTwoSeconds(host);
}

// "&Fn": an empty file (an existing one is made empty).
void NewFile(MacroState& st, const CString& operand) {
  st.m_strLastResult().Empty();
  CFile f;
  if (f.Open(operand.GetString(), CFile::modeCreate | CFile::modeWrite)) {
    f.Abort();
    return;
  }
  st.m_strLastResult().Format("#Can not open the file\n   %s\nat  command line : %d", operand.GetString(),
                              st.m_nCmdLineNo);
}

// "&Fp": source and destination of the copy.
void PartNames(MacroState& st, MacroHost& host, CString* source, CString* target) {
  std::string op = st.m_strStmtOperand.Str();
  for (std::size_t at; (at = op.find(" >")) != std::string::npos;) op.erase(at, 1);
  for (std::size_t at; (at = op.find("> ")) != std::string::npos;) op.erase(at + 1, 1);
  const std::size_t gt = op.find('>');
  std::string from = op.substr(0, gt), to;
  if (gt != std::string::npos) {
    to = op.substr(gt + 1);
  } else {
    const std::string tail = from.size() >= 4 ? from.substr(from.size() - 4) : std::string();
    to = tail == ".txt" || tail == ".csv" ? "temp" + tail : std::string("temp.bin");
  }
  *source = MacroExpandParameters(st, host, CString(from));
  *target = MacroExpandParameters(st, host, CString(to));
}

// "&Fp" and "&Fpn": a part of a file by bytes or by lines into another file.
void CopyPart(MacroRunContext& rc, bool byLines) {
  MacroState& st = rc.state;
  CString source, target;
  PartNames(st, rc.host, &source, &target);
  std::int64_t num[2] = {0, 0};
  MacroReadWideNumbers(st.m_strStmtCommand.Str(), 0, num, 2);
  CFile in, out;
  if (!in.Open(source.GetString(), CFile::modeRead | CFile::shareDenyNone)) return;
  if (!out.Open(target.GetString(), CFile::modeCreate | CFile::modeReadWrite)) {
    in.Abort();
    return;
  }
  try {
    const std::uint64_t length = in.GetLength();
    std::uint64_t start = 0;
    std::int64_t count = 0;
    if (byLines) {
      const LineRange r = MacroFindLineRange(
          [&in](std::uint64_t offset, char* buffer, std::size_t n) -> std::size_t {
            in.Seek(static_cast<LONGLONG>(offset), CFile::begin);
            return in.Read(buffer, static_cast<UINT>(n));
          },
          length, num[0], num[1]);
      start = r.start;
      count = static_cast<std::int64_t>(r.end - r.start);
    } else {
      start = num[0] < 0 ? 0 : static_cast<std::uint64_t>(num[0]);
      count = num[1];
    }
    if (start >= length) {
      in.Abort();
      out.Abort();
      return;
    }
    std::uint64_t left =
        count <= 0 || static_cast<std::uint64_t>(count) > length ? length : static_cast<std::uint64_t>(count);
    in.Seek(static_cast<LONGLONG>(start), CFile::begin);
    char block[kFileLineBlock];
    while (left > 0) {
      const UINT ask = static_cast<UINT>(std::min<std::uint64_t>(left, kFileLineBlock));
      const UINT got = in.Read(block, ask);
      if (got > 0) out.Write(block, got);
      left -= got;
      if (got < ask || ask < kFileLineBlock) break;
    }
    in.Close();
    out.Close();
  } catch (const CFileException&) {
    in.Abort();
    out.Abort();
  }
}

// "&Fm": the folder with every missing parent.
void MakeFolders(MacroState& st, const CString& operand) {
  st.m_strLastResult().Empty();
  if (fw::MakeDir(operand.GetString())) return;
  // Back: cut at the last separator until a folder can be made.
  CString made = operand;
  bool ok = false;
  while (made.GetLength() > 2) {
    const int at = fw::LastPathSeparator(made.GetString(), made.GetLength());
    if (at <= 0) break;
    made = made.Left(at);
    if (made.GetLength() <= 2) break;
    if (fw::MakeDir(made.GetString())) break;
  }
  // Forward: one level after the other up to the whole path.
  std::size_t doneLength = static_cast<std::size_t>(made.GetLength());
  const std::string whole = operand.Str();
  while (doneLength < whole.size()) {
    std::size_t next = whole.size();
    for (std::size_t i = doneLength + 1; i < whole.size(); ++i) {
      if (fw::IsSjisLeadByte(static_cast<unsigned char>(whole[i]))) {
        ++i;
        continue;
      }
      if (whole[i] == '\\' || whole[i] == '/') {
        next = i;
        break;
      }
    }
    ok = fw::MakeDir(whole.substr(0, next).c_str());
    doneLength = next;
  }
  if (!ok) st.m_strLastResult() = "EROR";
}

// "&Fi", "&Fis": a file name from the dialog.
void AskFileName(MacroState& st, MacroHost& host, const CString& operand, bool save) {
  CString path;
  const bool ok = save ? host.AskFileToSave(kDialogFilter, operand, &path)
                       : host.AskFileToOpen(kDialogFilter, operand, &path);
  if (!ok) {
    st.m_strMacroVars[kSlotChosen] = "@CANCEL";
    return;
  }
  const ChosenPathParts parts = MacroChosenPathParts(path.Str());
  st.m_strMacroVars[kSlotChosen] = path;
  st.m_strMacroVars[kSlotChosenNoExt] = CString(parts.withoutExt);
  st.m_strMacroVars[kSlotChosenFolder] = CString(parts.folder);
  if (parts.hasName) st.m_strMacroVars[kSlotChosenName] = CString(parts.name);
  st.m_strMacroVars[kSlotChosenNameNoExt] = CString(parts.nameWithoutExt);
}

// "&Fs": attributes, date, time and size into the variables the numbers name.
void FileStatus(MacroState& st, const CString& operand) {
  st.m_strLastResult().Empty();
  const std::int32_t* num = st.m_anStmtNumbers;
  const std::int32_t attrSlot = num[0] < 0 ? kSlotStatusDefault : num[0];
  CFileStatus status;
  if (!CFile::GetStatus(operand.GetString(), status)) {
    if (ValidSlot(attrSlot)) st.m_strMacroVars[attrSlot] = kNoFileStatus;
    st.m_strLastResult() = "EROR";
    return;
  }
  if (ValidSlot(attrSlot)) st.m_strMacroVars[attrSlot].Format("%d", MacroAttributeSum(status.m_attribute));
  if (ValidSlot(num[1])) {
    st.m_strMacroVars[num[1]] = status.m_mtime.Format("%Y%m%d");
    if (ValidSlot(num[2])) st.m_strMacroVars[num[2]] = status.m_mtime.Format("%H%M%S");
  }
  // The size in full: files beyond 2 GB included.
  if (ValidSlot(num[3])) Decimal(&st.m_strMacroVars[num[3]], status.m_size);
}

// "&Fl": a folder listing as the table, or into the lookup buffer.
Outcome ListFolder(MacroRunContext& rc, const CString& command, const CString& operand) {
  MacroState& st = rc.state;
  const std::int64_t want = static_cast<std::int64_t>(rc.docSettings.m_nFlist) * 100;
  const int limit = static_cast<int>(std::clamp<std::int64_t>(want, 0, INT32_MAX - static_cast<int>(kListSpare)));
  const char fourth = command.GetLength() > 3 ? command[3] : '\0';
  const char last = command.GetLength() > 0 ? command[command.GetLength() - 1] : '\0';
  const CString folder = DropTrailingSeparator(operand);
  if (fourth == 'd') {
    void* grown = fw::Realloc(st.m_pMacroLookup, static_cast<std::size_t>(limit) + kListSpare);
    if (grown == nullptr) return MacroRaiseRunError(&rc.host, RunError::kMemory127);
    st.m_pMacroLookup = static_cast<char*>(grown);
    int end = limit, pos = 0;
    ListFolderForMacro(folder, st.m_pMacroLookup, &end, &pos, 0);
    st.m_pMacroLookup[pos] = 0;
    st.m_nMacroLookupLen = static_cast<std::uint32_t>(pos);
    std::memset(st.m_aMacroLookupIndex, 0, sizeof st.m_aMacroLookupIndex);
    return Outcome::kNext;
  }
  csv::Table& t = rc.table;
  if (!t.Reserve(static_cast<std::uint64_t>(limit) + kListSpare)) return MacroRaiseRunError(&rc.host, RunError::kMemory120);
  const bool f = fourth == 'f' || last == 'f', a = fourth == 'a' || last == 'a';
  const int mode = a && f ? 3 : a ? 2 : f ? 1 : 0;
  int end = limit, pos = 0;
  const int rows = ListFolderForMacro(folder, reinterpret_cast<char*>(t.m_pTextBuf), &end, &pos, mode);
  if (rows < 0) {
    pos = 0;  // no folder, or nothing in it: an empty table
    st.m_strLastResult() = "EROR";
  }
  t.m_pTextBuf[pos] = 0;
  t.m_nLastRow = rows < 0 ? 0 : rows;
  t.m_nFieldCount = 4;
  t.m_nTextLen = static_cast<std::uint32_t>(pos);
  t.m_bCellCodesAreData = false;
  *rc.view.fileKind = kCsvKind;
  rc.docUpdate.m_nFileKind = static_cast<std::int32_t>(kCsvKind);
  t.m_nTextLen = static_cast<std::uint32_t>(csv::FindInLine(reinterpret_cast<const char*>(t.m_pTextBuf), t.UsedLength()));
  std::uint32_t len = 0, cols = 0;
  csv::BuildCsvIndex(t, t.m_pTextBuf, t.m_nTextLen, &len, &cols, csv::kCsvScanClearSecond, -1);
  return Outcome::kNext;
}

// "&Fa": the total size and file count of a folder tree.
void FolderTotals(MacroRunContext& rc, const CString& operand) {
  MacroState& st = rc.state;
  st.m_strLastResult().Empty();
  fileops::FileOpsHost* tree = rc.host.TreeSizeHost();
  if (tree == nullptr || operand.IsEmpty()) {
    st.m_strLastResult() = "EROR";
    return;
  }
  tree->TreeBytes() = 0;
  tree->TreeFiles() = 0;
  tree->TreeDepth() = 0;
  int r = 0;
  {
    // The walk goes into the folders and back up only to the operand's
    // parent: the working folder is put back afterwards.
    WorkingFolderKeeper keep;
    r = fileops::GetDirectoryTreeSize(*tree, DropTrailingSeparator(operand), 0);
  }
  if (r == fileops::kFailed || r == fileops::kStopped) {
    st.m_strLastResult() = "EROR";
    return;
  }
  const std::int32_t* num = st.m_anStmtNumbers;
  if (ValidSlot(num[0])) Decimal(&st.m_strMacroVars[num[0]], tree->TreeBytes());
  if (ValidSlot(num[1])) st.m_strMacroVars[num[1]].Format("%d", tree->TreeFiles());
}

}  // namespace

bool MacroConnectNetUser(MacroHost& host, const CString& operand) {
  const NetUserOperand op = MacroReadNetUserOperand(operand.Str());
  MacroHost::NetResource record;
  record.remoteName = CString(op.resource);
  const CString user(op.user), password(op.password);
  constexpr int kContextScope = 5, kProfileUpdate = 1;
  constexpr int kOutOfMemory = 8, kInvalidParameter = 87;
  host.ProbeNetResource(kContextScope, nullptr);
  const int probe = host.ProbeNetResource(record.scope, &record);
  if (probe == 0) return true;
  if (probe == kOutOfMemory) {
    host.ProbeNetResource(record.scope, &record);
    return false;
  }
  int r = 0;
  if (probe == kInvalidParameter) {
    r = host.ConnectNetResource(record, nullptr, nullptr, kProfileUpdate);
    if (r != 0 && r != kOutOfMemory) r = host.ConnectNetResource(record, &password, &user, kProfileUpdate);
    if (r != 0 && r != kOutOfMemory) r = host.ConnectNetResource(record, &password, &user, kProfileUpdate);
  } else {
    r = host.ConnectNetResource(record, &password, &user, kProfileUpdate);
  }
  if (r != 0) return false;
  host.ProbeNetResource(record.scope, &record);
  return true;
}

Outcome MacroExecFile(MacroRunContext& rc) {
  MacroState& st = rc.state;
  const CString command = st.m_strStmtCommand;
  const CString operand = st.m_strStmtOperand;
  const char letter = command.GetLength() > 2 ? command[2] : '\0';
  const char third = command.GetLength() > 3 ? command[3] : '\0';
  switch (letter) {
    case 'x':
      if (!operand.IsEmpty()) rc.host.LaunchFile(operand);
      return Outcome::kNext;
    case 'q':
      if (!operand.IsEmpty()) QuitApp(rc, operand, third == 'x');
      return Outcome::kNext;
    case 'n':
      if (!operand.IsEmpty()) NewFile(st, operand);
      return Outcome::kNext;
    case 'p':
      CopyPart(rc, third == 'n');
      return Outcome::kNext;
    case 'm':
      MakeFolders(st, operand);
      return Outcome::kNext;
    case 'd':
      st.m_strMacroVars[kSlotFolderVar] = operand;
      st.m_strLastResult() = MacroSetWorkingFolder(operand) ? "" : "EROR";
      return Outcome::kNext;
    case 'u':
      st.m_strLastResult() = MacroConnectNetUser(rc.host, operand) ? "" : "EROR";
      return Outcome::kNext;
    case 'i':
      AskFileName(st, rc.host, operand, third == 's');
      return Outcome::kNext;
    case 's':
      FileStatus(st, operand);
      return Outcome::kNext;
    case 'v': {
      st.m_strLastResult().Empty();
      CFileStatus status;
      if (!CFile::GetStatus(operand.GetString(), status)) {
        st.m_strLastResult() = "EROR";
        return Outcome::kNext;
      }
      const std::int32_t mb = st.m_anStmtNumbers[0];
      const long long part = mb > 0 ? static_cast<long long>(mb) * kMegabyte : kDefaultPartBytes;
      if (!docsvc::SplitFileIntoParts(operand, part).ok) st.m_strLastResult() = "EROR";
      return Outcome::kNext;
    }
    case 'l':
      return ListFolder(rc, command, operand);
    case 'a':
      FolderTotals(rc, operand);
      return Outcome::kNext;
    case 'k':
    case 'r':
    case 'c':
    case 't':
    case 'z':
    case 'w':
    case 'e':
      return MacroExecFileOperation(rc, letter, third);
    default:
      return Outcome::kNext;
  }
}

}  // namespace macro
