#include "macro/macro_exec_save.h"

#include <cstring>

#include "core/docsvc/filekind.h"
#include "csv/csv_fileform.h"
#include "csv/csv_table.h"
#include "fw/file.h"
#include "macro/macro_fileentry.h"
#include "macro/macro_run.h"
#include "macro/macro_run_errors.h"
#include "macro/macro_state.h"

namespace macro {

namespace {

constexpr int kStrReadOnlyQuestion = 329;  // "%s は書込み禁止です。… 書換えますか？"
constexpr int kStrWriteProtected = 179;    // "%s は書込み禁止又は他で使用中です。…"
constexpr int kReportQuestionYesNo = 4;
constexpr int kReportText = 2;
constexpr int kAnswerYes = 6;
constexpr int kAnswerNodisp = 9;
constexpr int kLayoutNoUpdate = 2;
constexpr std::uint64_t kSpare = 1000;

bool IsTableKind(int kind) { return kind == docsvc::kKindCsv || kind == docsvc::kKindCommaTable; }

CString Formatted(MacroRunHost& host, int id, const CString& path) {
  CString format = host.ResourceString(id);
  if (format.IsEmpty()) format = "%s";
  CString text;
  text.Format(format.GetString(), path.GetString());
  return text;
}

// What the open found of the target.
struct Target {
  CFile file;
  bool hasData = false;      // saveadd: the file held bytes already
  bool endsInLine = false;   // ... and its last byte is CR or LF
};

// Opens `path` for the save: cut to nothing, or for saveadd kept, placed at
// its end. A read-only file is refused as the system refuses it to a user
// (the owner of every file may write it anyway).
bool OpenTarget(const CString& path, bool append, Target* t) {
  CFileStatus status;
  if (CFile::GetStatus(path, status) && (status.m_attribute & (CFile::readOnly | CFile::directory)) != 0)
    return false;
  const UINT flags = CFile::modeCreate | CFile::typeBinary |
                     (append ? CFile::modeReadWrite | CFile::modeNoTruncate : CFile::modeWrite);
  if (!t->file.Open(path, flags)) return false;
  if (!append) return true;
  try {
    const ULONGLONG len = t->file.GetLength();
    t->hasData = len > 0;
    if (t->hasData) {
      t->file.Seek(static_cast<LONGLONG>(len) - 1, CFile::begin);
      char last = 0;
      t->file.Read(&last, 1);
      t->endsInLine = last == '\r' || last == '\n';
    }
    t->file.SeekToEnd();
  } catch (const CFileException&) {
    t->file.Abort();
    return false;
  }
  return true;
}

bool ClearAttributes(const CString& path) {
  CFileStatus status;  // times 0: only the attributes change
  status.m_attribute = CFile::normal;
  try {
    CFile::SetStatus(path, status);
  } catch (const CFileException&) {
    return false;
  }
  return true;
}

// Step 1 for a rich-text view saved as text: the control's text into the
// document, then into the view's buffer.
Outcome RichTextIntoBuffer(MacroRunContext& rc) {
  if (rc.host.RebuildCsvBuffer(docsvc::kKindText) != 0) return MacroRaiseRunError(&rc.host, RunError::kSilent);
  const app::DocTextFields& d = rc.docText;
  std::uint32_t n = 0;
  const std::uint32_t most = d.m_pText != nullptr ? d.m_nTextLen : 0;
  while (n < most && (d.m_nTextCapacity == 0 || n < d.m_nTextCapacity) && d.m_pText[n] != '\0') ++n;
  csv::Table& t = rc.table;
  if (!t.Reserve(static_cast<std::uint64_t>(n) + kSpare)) return MacroRaiseRunError(&rc.host, RunError::kMemory123);
  if (n > 0) std::memcpy(t.m_pTextBuf, d.m_pText, n);
  t.m_pTextBuf[n] = 0;
  t.m_nTextLen = n;
  t.Rescan();
  return Outcome::kNext;
}

// Step 9: the view and the document take the saved file as theirs.
void ClosingState(MacroRunContext& rc, const CString& path, int kind) {
  rc.host.SetViewPath(path);
  (rc.docPaths.m_nActiveSide == 1 ? rc.docPaths.m_strPath1 : rc.docPaths.m_strPath2) = path;
  rc.docUpdate.m_nFileKind = kind;
  rc.docUpdate.m_nOpenContext = 0;
  rc.docUpdate.m_nUpdateCode = app::UpdateCode::kRedrawAll;
  const std::int32_t pane = rc.docPaths.m_nActiveTextPane;
  if (pane >= 1 && pane <= 32) *rc.view.sortFlags &= ~(1u << (pane - 1));
  rc.host.ClearModified();
  if (rc.docWindow.m_nLayoutMode != kLayoutNoUpdate) rc.host.UpdateAllViews();
}

}  // namespace

std::uint32_t MacroSkipRows(const std::uint8_t* buf, std::uint32_t len, std::uint32_t rows) {
  std::uint32_t at = 0;
  for (std::uint32_t r = 0; r < rows && at < len; ++r) {
    while (at < len && buf[at] != '\r' && buf[at] != '\n') ++at;
    if (at < len && buf[at] == '\r') ++at;
    if (at < len && buf[at] == '\n') ++at;
  }
  return at;
}

std::string MacroSaveBytes(const std::uint8_t* buf, std::uint32_t len, int kind, std::uint32_t skipRows,
                           bool newLineFirst, bool codesAreData) {
  std::string out;
  const std::uint32_t from = MacroSkipRows(buf, len, skipRows);
  if (newLineFirst) out = "\r\n";
  csv::AppendCommaForm(buf + from, len - from, csv::CommaFormKindFor(kind), out, nullptr, codesAreData);
  return out;
}

bool MacroIsMarkedSourcePath(const CString& path) {
  const int dot = path.ReverseFind('.');
  if (dot < 0 || dot + 1 >= path.GetLength()) return false;
  if (path.Find('\\', dot) >= 0 || path.Find('/', dot) >= 0) return false;  // a dot of a folder name
  const char c = path[dot + 1];
  return c == '+' || c == '-' || c == '=';
}

Outcome MacroExecSave(MacroRunContext& rc) {
  MacroState& st = rc.state;
  csv::Table& t = rc.table;
  const CString& cmd = st.m_strStmtCommand;
  const char letter = cmd.GetLength() > 2 ? cmd[2] : '\0';
  const bool append = letter == 'a';

  FileEntryRequest req;
  req.code = 'S';
  req.letter = letter;
  req.text = t.m_pTextBuf;
  req.textLen = t.m_pTextBuf != nullptr ? t.UsedLength() : 0;
  CString path, key;
  switch (MacroFileEntry(st, rc.host, req, &path, &key)) {
    case FileEntryResult::kGo:
      break;
    case FileEntryResult::kCancelled:
    case FileEntryResult::kRegistered:
      return Outcome::kNext;
    case FileEntryResult::kWriteFailed:
      rc.host.ReportMessage(kReportText, Formatted(rc.host, kStrWriteProtected, path));
      return MacroRaiseRunError(&rc.host, RunError::kSilent);
  }

  // 1. The view takes the kind of the target's name.
  const std::uint32_t kindBefore = *rc.view.fileKind;
  const int kind = GetFileKind(path);
  *rc.view.fileKind = static_cast<std::uint32_t>(kind);
  // A save that wrote nothing leaves the view's kind as it was.
  auto unsaved = [&](Outcome o) {
    *rc.view.fileKind = kindBefore;
    return o;
  };
  if (kindBefore == docsvc::kKindRichText && kind == docsvc::kKindText) {
    const Outcome o = RichTextIntoBuffer(rc);
    if (o != Outcome::kNext) return unsaved(o);
  }
  // 2. The control's modified flag.
  const bool modified = rc.host.TextModified();

  // 3. The marked source forms go through the document's writer, from the
  // view's normal form.
  if (MacroIsMarkedSourcePath(path)) {
    const std::uint32_t form = *rc.view.sourceView;
    *rc.view.sourceView = 0;
    const int r = rc.host.WriteViewDocument(path, 1);
    *rc.view.sourceView = form;
    if (r < 0) return unsaved(MacroRaiseRunError(&rc.host, RunError::kSilent));
    ClosingState(rc, path, kind);
    return Outcome::kNext;
  }
  // 4. A table needs rows.
  const std::uint32_t len = t.m_pTextBuf != nullptr ? t.UsedLength() : 0;
  if (IsTableKind(kind) && len == 0) return unsaved(MacroRaiseRunError(&rc.host, RunError::kNoData));
  // 5. An edited text, or a source form shown, is the document's to write.
  if (!IsTableKind(kind) && (modified || *rc.view.sourceView != 0)) {
    *rc.view.fileKind = docsvc::kKindText;
    const int r = rc.host.WriteDocumentText(path);
    *rc.view.fileKind = static_cast<std::uint32_t>(kind);
    if (r < 0) return unsaved(MacroRaiseRunError(&rc.host, RunError::kSilent));
    rc.host.ConvertPageMarksFile(path);
    ClosingState(rc, path, kind);
    return Outcome::kNext;
  }

  // 6. The open, with the read-only question.
  Target target;
  if (!OpenTarget(path, append, &target)) {
    const int answer = rc.host.ReportMessage(kReportQuestionYesNo, Formatted(rc.host, kStrReadOnlyQuestion, path));
    if (answer == kAnswerNodisp) return unsaved(Outcome::kNext);  // goes on, nothing written
    if (answer != kAnswerYes) return unsaved(MacroRaiseRunError(&rc.host, RunError::kSilent));
    if (!ClearAttributes(path) || !OpenTarget(path, append, &target)) {
      rc.host.ReportMessage(kReportText, Formatted(rc.host, kStrWriteProtected, path));
      return unsaved(MacroRaiseRunError(&rc.host, RunError::kSilent));
    }
  }

  // 7, 8. The rows in comma or TAB form; saveadd leaves the title rows out
  // of a file that has data and starts a line only where none was started.
  std::uint32_t skip = 0;
  bool newLine = false;
  if (append && target.hasData) {
    const std::int32_t n = st.m_anStmtNumbers[0];
    skip = n < 0 ? 1u : static_cast<std::uint32_t>(n);
    newLine = !target.endsInLine;
  }
  const std::string bytes = MacroSaveBytes(t.m_pTextBuf, len, kind, skip, newLine, t.m_bCellCodesAreData != 0);
  bool written = bytes.size() <= 0xFFFFFFFFu;
  try {
    if (written && !bytes.empty()) target.file.Write(bytes.data(), static_cast<UINT>(bytes.size()));
    target.file.Close();
  } catch (const CFileException&) {
    target.file.Abort();
    written = false;
  }
  if (!written) {
    rc.host.ReportMessage(kReportText, Formatted(rc.host, kStrWriteProtected, path));
    return unsaved(MacroRaiseRunError(&rc.host, RunError::kSilent));
  }
  // 9.
  ClosingState(rc, path, kind);
  return Outcome::kNext;
}

}  // namespace macro
