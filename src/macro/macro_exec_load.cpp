// The executor of the load statements (class 56).
#include "macro/macro_exec_load.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/docdata/update_code.h"
#include "core/docsvc/filekind.h"
#include "csv/csv_fastscan.h"
#include "csv/csv_findinline.h"
#include "csv/csv_index.h"
#include "csv/csv_pad.h"
#include "csv/csv_table.h"
#include "fw/alloc.h"
#include "fw/file.h"
#include "fw/path.h"
#include "fw/strtable.h"
#include "macro/macro_columnlayout.h"
#include "macro/macro_display_words.h"
#include "macro/macro_fileentry.h"
#include "macro/macro_lookup.h"
#include "macro/macro_run.h"
#include "macro/macro_run_errors.h"
#include "macro/macro_splice.h"
#include "macro/macro_state.h"
#include "macro/macro_template.h"

namespace macro {

namespace {

constexpr std::uint32_t kCsvKind = 33;
constexpr std::uint32_t kTextKind = 9;
constexpr std::uint32_t kRichKind = 4;
constexpr std::uint32_t kMargin = 1000;
constexpr unsigned kStrCannotOpen = 237;
constexpr int kCodeQuestion = 3;
constexpr int kAnswerOk = 1, kAnswerSilenced = 9;
constexpr int kCodeNoLayoutMemory = 152;
constexpr int kRichIndentOver = 40;
constexpr int kSlotMacroTail = 100;  // "loadmacro": the text after the code
constexpr int kArchiveUnzipMode = 3;  // the library when bound, else the own codec
// Spreadsheet conversion modes of a load with 'x'.
constexpr int kXlsModeTable = 11, kXlsModeCells = 13, kXlsModePlain = 10;

// Line breaks in text[from, to) as the scanner counts them (CR LF once).
int CountBreaks(const std::string& text, std::size_t from, std::size_t to) {
  int n = 0;
  for (std::size_t i = from; i < to; ++i) {
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= to || text[i + 1] != '\n'))) ++n;
  }
  return n;
}

bool IsMarkedSource(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  return dot != std::string::npos && dot + 1 < name.size() &&
         (name[dot + 1] == '=' || name[dot + 1] == '-' || name[dot + 1] == '+');
}

std::string FilePartOf(const std::string& path) {
  const int cut = fw::LastPathSeparator(path.c_str(), static_cast<int>(path.size()));
  return cut >= 0 ? path.substr(static_cast<std::size_t>(cut) + 1) : path;
}

bool FileExists(const std::string& path) {
  if (path.empty()) return false;
  CFileStatus status;
  return CFile::GetStatus(path.c_str(), status) != 0;
}

// The whole file; false when it cannot be read or is too large for the
// table's 32-bit buffer.
bool ReadFileBytes(const std::string& path, std::string* out) {
  CFile f;
  if (!f.Open(path.c_str(), CFile::modeRead | CFile::shareDenyNone | CFile::typeBinary)) return false;
  try {
    const ULONGLONG size = f.GetLength();
    if (size > 0xFFFFFFFFull - 2 * kMargin - 16) {
      f.Abort();
      return false;
    }
    out->assign(static_cast<std::size_t>(size), '\0');
    std::size_t got = 0;
    while (got < out->size()) {
      const std::size_t want = std::min<std::size_t>(out->size() - got, 0x40000000u);
      const UINT n = f.Read(&(*out)[got], static_cast<UINT>(want));
      if (n == 0) break;
      got += n;
    }
    out->resize(got);
  } catch (const CFileException&) {
    f.Abort();
    return false;
  }
  f.Abort();
  return true;
}

// String 237 with the file and the statement's line, as an OK/Cancel
// question: OK or the silenced answer go on without a file.
Outcome AskMissingFile(MacroRunContext& rc, const CString& name) {
  std::string head;
  if (!fw::LookupString(kStrCannotOpen, head)) head = "String 237";
  CString text(head);
  CString line;
  line.Format("cmnd = %d", rc.state.m_nCmdLineNo);
  text += "\nfile = ";
  text += name;
  text += "\n  ";
  text += line;
  const int answer = rc.host.ReportMessage(kCodeQuestion, text);
  return answer == kAnswerOk || answer == kAnswerSilenced ? Outcome::kNext : Outcome::kErrorExit;
}

// Step 1: the file as written (a marked source form through its plain copy,
// "??" appended when that fails), then in the program folder, then in the
// macro folder. The document's work file names what was taken.
bool LocateFile(MacroRunContext& rc, const CString& operand, CString* found, Outcome* outcome) {
  std::string name = operand.Str();
  if (IsMarkedSource(name)) {
    CString plain;
    if (rc.host.RestoreSourceForm(operand, &plain) == -2 || plain.IsEmpty())
      name += "??";
    else
      name = plain.Str();
  }
  rc.docPaths.m_strCurFile = CString(name);
  const std::string part = FilePartOf(name);
  const std::string program = rc.host.ProgramDir().Str();
  const std::string macroDir = rc.state.m_strMacroDir().Str();
  for (const std::string& c : {name, program.empty() ? std::string() : program + "\\" + part,
                               macroDir.empty() ? std::string() : macroDir + "\\" + part}) {
    if (FileExists(c)) {
      *found = CString(c);
      return true;
    }
  }
  *outcome = AskMissingFile(rc, CString(name));
  return false;
}

// The table's text replaced by `bytes` in the table's form.
bool PutTable(MacroRunContext& rc, const std::string& bytes) {
  csv::Table& t = rc.table;
  if (!t.Assign(bytes.data(), bytes.size(), kMargin)) return false;
  t.m_bCellCodesAreData = true;
  return true;
}

void ShowAsKind(MacroRunContext& rc, std::uint32_t kind) {
  *rc.view.fileKind = kind;
  rc.docUpdate.m_nFileKind = static_cast<std::int32_t>(kind);
  rc.docUpdate.m_nUpdateCode = app::UpdateCode::kContent;
}

// Step 7: the length up to a NUL, the index (mode 3) and the letter variables.
void FinishTable(MacroRunContext& rc, const CString& path) {
  csv::Table& t = rc.table;
  if (*rc.view.fileKind != kCsvKind) return;
  const std::uint32_t used = t.UsedLength();
  t.m_nTextLen = static_cast<std::uint32_t>(csv::FindInLine(reinterpret_cast<const char*>(t.m_pTextBuf), used));
  std::uint32_t len = 0, cols = 0;
  csv::BuildCsvIndex(t, t.m_pTextBuf, t.m_nTextLen, &len, &cols, csv::kCsvScanClearSecond, -1);
  t.m_nFieldCount = cols;
  MacroSetFileLetters(rc.state, path);
}

// "loadmacro", 'r' and "loadsub": `inserted` spliced into the running text.
Outcome SpliceIntoRun(MacroRunContext& rc, std::string* runText, char letter, const std::string& inserted,
                      const std::string& headerName) {
  MacroState& st = rc.state;
  const std::string& old = *runText;
  const std::size_t stmtEnd = std::min<std::size_t>(st.m_nMacroPos, old.size());
  std::size_t lineStart = st.m_anStmtCommandAt.empty() ? stmtEnd : std::min<std::size_t>(st.m_anStmtCommandAt[0], stmtEnd);
  while (lineStart > 0 && old[lineStart - 1] != '\r' && old[lineStart - 1] != '\n') --lineStart;
  std::size_t next = stmtEnd;
  if (next < old.size() && old[next] == '\r') ++next;
  if (next < old.size() && old[next] == '\n') ++next;

  SpliceRequest req;
  req.replaceRest = letter == 'm' || letter == 'r';
  req.headerName = headerName;
  req.lineStart = lineStart;
  req.nextStmt = next;
  if (req.replaceRest) st.m_strMacroVars[kSlotMacroTail] = st.m_strStmtCommand.Mid(3);

  // Where the run goes on: the inserted text follows the label's own line,
  // or takes the place of a line without a label.
  std::size_t resume = stmtEnd;
  if (req.replaceRest) {
    for (std::size_t i = lineStart; i < next; ++i) {
      if (old[i] == '\t') {
        resume = i > lineStart ? i : lineStart;
        break;
      }
    }
  }
  std::size_t endMark = 0;
  std::string spliced = MacroSpliceMacroText(old.data(), old.size(), req, inserted, &endMark);
  if (resume < stmtEnd) st.m_nCmdLineNo -= CountBreaks(old, resume, stmtEnd);
  spliced.reserve(spliced.size() * 4 + 4000);
  *runText = std::move(spliced);
  st.m_nMacroPos = static_cast<std::uint32_t>(resume);
  if (req.replaceRest) st.m_nInsertedMacroEnd = static_cast<std::int32_t>(endMark);
  if (rc.docUpdate.m_nMacroDebugMode > 0) rc.host.ShowSplicedMacroText(CString(*runText));
  return Outcome::kNext;
}

// "loadzip": the archive unpacked into its folder.
Outcome Unzip(MacroRunContext& rc, const CString& operand) {
  const CString archive = rc.host.PlainArchivePath(operand);
  bool below = false;
  const CString target = MacroZipTarget(rc.state.m_strStmtCommand, archive, rc.state.m_strMacroDir(),
                                        rc.docSettings.m_bArcTmpRoot == 1, &below);
  // The folder is made, parents first.
  const std::string& t = target.Str();
  for (std::size_t i = 1; i < t.size(); ++i)
    if (t[i] == '\\' && t[i - 1] != ':' && t[i - 1] != '\\') fw::MakeDir(t.substr(0, i).c_str());
  (void)below;
  if (MacroIsLzhPath(archive))
    rc.host.UnpackLzh(archive, target);
  else
    rc.host.UnpackZip(archive, target, kArchiveUnzipMode);
  return Outcome::kNext;
}

// 'p' after a converted load: the layout DetectColumnLayout finds is offered
// in the macro input dialog; OK cuts the text by it, Cancel keeps the table
// the plain conversion gives. False: the run ends (reported).
bool LayoutCut(MacroRunContext& rc, const std::uint8_t* text, std::size_t n, bool bars, Outcome* outcome) {
  // The converter's heading line (at most 200 bytes) is no part of the table.
  std::size_t from = 0;
  while (from < n && from < 200 && text[from] != '\n') ++from;
  from = from < n && text[from] == '\n' ? from + 1 : 0;
  ColumnLayout layout;
  DetectColumnLayout(text + from, n - from, kLayoutFindTitle, 0, &layout);
  MacroInputRequest req;
  req.text = CString(layout.spec);
  req.operand = "column layout";
  if (rc.host.RunMacroInput(req) != kDialogOk) return PutTable(rc, MacroConvertedToTable(text, n, bars));
  ScanResult cut;
  ScanTextRange(text, n, from, req.text.Str(), std::string(), &cut);
  // The cut text takes a new buffer of at most twice the text's length.
  if (cut.out.size() > 2 * n + kMargin || !PutTable(rc, cut.out)) {
    rc.host.ReportMessage(kCodeNoLayoutMemory, CString());
    *outcome = Outcome::kErrorExit;
    return false;
  }
  return true;
}

// Step 6 for the kinds the document converts (and every load with 'b').
Outcome LoadThroughDocument(MacroRunContext& rc, const CString& path, int kind, char letter, char fourth,
                            std::uint64_t fileLen) {
  app::DocSettingsFields& s = rc.docSettings;
  const std::int32_t indata = s.m_nIndata, outdata = s.m_nOutdata, tblMax = s.m_nTblMax, xls = s.m_nXlsMode;
  const auto raise = [](std::int32_t have, std::uint64_t want) {
    return static_cast<std::int32_t>(std::max<std::uint64_t>(static_cast<std::uint64_t>(std::max(have, 0)),
                                                            std::min<std::uint64_t>(want, 0x7FFFFFFF)));
  };
  s.m_nIndata = raise(indata, fileLen);
  s.m_nOutdata = raise(outdata, fileLen * 2);
  s.m_nTblMax = raise(tblMax, fileLen / 10);
  const bool sheet = letter == 'x' && (kind == docsvc::kKindExcel || kind == docsvc::kKindXlsx);
  if (sheet) s.m_nXlsMode = fourth == 't' ? kXlsModeTable : fourth == 'c' ? kXlsModeCells : kXlsModePlain;
  const int mode = kind >= docsvc::kKindXlsx && kind <= docsvc::kKindPptx ? kind : 1;
  const int opened = rc.host.OpenFile(path, mode);
  s.m_nIndata = indata;
  s.m_nOutdata = outdata;
  s.m_nTblMax = tblMax;
  s.m_nXlsMode = xls;
  if (opened < 0) return MacroRaiseRunError(&rc.host, RunError::kSilent);  // OpenFile said why

  const app::DocTextFields& d = rc.docText;
  const std::size_t n = d.m_pText != nullptr ? d.m_nTextLen : 0;
  const auto* text = reinterpret_cast<const std::uint8_t*>(d.m_pText);
  bool ok = true;
  Outcome outcome = Outcome::kNext;
  if (sheet) {
    ok = PutTable(rc, std::string(reinterpret_cast<const char*>(text), n));
  } else if (letter == 'b') {
    ok = PutTable(rc, MacroTabTextToTable(text, n));
    if (ok) {
      rc.table.Rescan();
      csv::CsvPadShortRows(rc.table, "", 9999, 0, nullptr);
    }
  } else if (letter == 'p') {
    if (!LayoutCut(rc, text, n, MacroConvertedKindUsesBars(kind), &outcome)) return outcome;
  } else {
    ok = PutTable(rc, MacroConvertedToTable(text, n, MacroConvertedKindUsesBars(kind)));
  }
  if (!ok) return MacroRaiseRunError(&rc.host, RunError::kMemory129);
  ShowAsKind(rc, kCsvKind);
  FinishTable(rc, path);
  return Outcome::kNext;
}

// Step 2: rich text. With 't' its text becomes the view's TAB text;
// otherwise the document shows it and the view counts its indented
// paragraphs as its rows.
Outcome LoadRichText(MacroRunContext& rc, const CString& path, char letter) {
  if (rc.host.OpenFile(path, 1) < 0) return MacroRaiseRunError(&rc.host, RunError::kSilent);
  if (letter != 't') {
    rc.table.m_nLastRow = rc.host.CountIndentedParagraphs(kRichIndentOver);
    ShowAsKind(rc, kRichKind);
    return Outcome::kNext;
  }
  const app::DocTextFields& d = rc.docText;
  std::string text(d.m_pText != nullptr ? d.m_pText : "", d.m_pText != nullptr ? d.m_nTextLen : 0);
  MacroRichTextAsTabText(reinterpret_cast<std::uint8_t*>(&text[0]), text.size());
  if (!PutTable(rc, text)) return MacroRaiseRunError(&rc.host, RunError::kMemory129);
  ShowAsKind(rc, kTextKind);
  return Outcome::kNext;
}

// Step 6 for the files read raw (text, CSV, kinds from 90, and a CSV with
// 't' shown as TAB text).
Outcome LoadRaw(MacroRunContext& rc, const CString& path, int kind, char letter) {
  std::string bytes;
  if (!ReadFileBytes(path.Str(), &bytes)) return MacroRaiseRunError(&rc.host, RunError::kMemory128);
  auto* b = reinterpret_cast<std::uint8_t*>(&bytes[0]);
  if (kind == static_cast<int>(kCsvKind) && letter == 't') {
    // A CSV file shown as TAB text: its separators become TABs.
    std::vector<std::uint8_t> work(bytes.size() + 1);
    if (!bytes.empty()) csv::CommasToSeparators(b, bytes.size(), work.data());
    for (std::size_t k = 0; k < bytes.size(); ++k)
      bytes[k] = work[k] == 0x06 ? '\t' : static_cast<char>(work[k]);
    if (!PutTable(rc, bytes)) return MacroRaiseRunError(&rc.host, RunError::kMemory128);
    ShowAsKind(rc, kTextKind);
    return Outcome::kNext;
  }
  bool converted = false;
  if (!MacroLoadRawIntoTable(rc.table, b, bytes.size(), kind == static_cast<int>(kCsvKind), letter == 't',
                             &converted))
    return MacroRaiseRunError(&rc.host, RunError::kMemory128);
  ShowAsKind(rc, kCsvKind);
  FinishTable(rc, path);
  return Outcome::kNext;
}

bool IsSpliceLetter(char letter) { return letter == 'm' || letter == 'r' || letter == 's'; }

}  // namespace

Outcome MacroExecLoad(MacroRunContext& rc, std::string* runText) {
  MacroState& st = rc.state;
  const CString cmd = st.m_strStmtCommand;
  const char letter = cmd.GetLength() > 2 ? cmd[2] : '\0';
  const char fourth = cmd.GetLength() > 3 ? cmd[3] : '\0';
  const CString written = MacroNormaliseBackslashes(st.m_strStmtOperand);

  // A template (an operand of one character, or ':' and a name) or, for
  // "loaddata", a label of the macro text.
  if (!written.IsEmpty() && (written.GetLength() <= 1 || written[0] == ':')) {
    if (letter == 'd') {
      std::string data;
      if (!MacroDataAfterLabel(runText->data(), runText->size(), written.Str(), &data)) return Outcome::kNext;
      void* grown = fw::Realloc(st.m_pMacroLookup, data.size() + kMargin);
      if (grown == nullptr) return MacroRaiseRunError(&rc.host, RunError::kMemory127);
      st.m_pMacroLookup = static_cast<char*>(grown);
      std::memcpy(st.m_pMacroLookup, data.data(), data.size());
      st.m_pMacroLookup[data.size()] = 0;
      st.m_nMacroLookupLen = static_cast<std::uint32_t>(data.size());
      MacroIndexLookupData(st.m_pMacroLookup, st.m_nMacroLookupLen, st.m_aMacroLookupIndex);
      return Outcome::kNext;
    }
    const bool graph = written.GetLength() <= 1 || written == CString(":Graph");
    if (IsSpliceLetter(letter) && graph)
      return SpliceIntoRun(rc, runText, letter, BuildMacroTemplate(), letter == 's' ? written.Str() : std::string());
    return AskMissingFile(rc, written);
  }

  FileEntryRequest req;
  req.code = 'L';
  req.letter = letter;
  CString operand, key;
  if (MacroFileEntry(st, rc.host, req, &operand, &key) == FileEntryResult::kCancelled) return Outcome::kNext;
  if (letter == 'd') return MacroLoadLookupFile(st, rc.host, operand, st.m_strMacroDir());
  if (letter == 'z') return Unzip(rc, operand);

  CString path;
  Outcome outcome = Outcome::kNext;
  if (!LocateFile(rc, operand, &path, &outcome)) return outcome;

  if (IsSpliceLetter(letter)) {
    std::string text;
    if (!ReadFileBytes(path.Str(), &text)) return AskMissingFile(rc, path);
    return SpliceIntoRun(rc, runText, letter, text, std::string());
  }

  const int kind = GetFileKind(path);
  if (kind == static_cast<int>(kRichKind)) return LoadRichText(rc, path, letter);
  const bool viaDocument = (kind != static_cast<int>(kTextKind) && kind != static_cast<int>(kCsvKind) && kind < 90 &&
                            letter != 't') ||
                           letter == 'b';
  if (viaDocument) {
    CFileStatus status;
    const std::uint64_t len = CFile::GetStatus(path, status) ? static_cast<std::uint64_t>(status.m_size) : 0;
    return LoadThroughDocument(rc, path, kind, letter, fourth, len);
  }
  return LoadRaw(rc, path, kind, letter);
}

}  // namespace macro
