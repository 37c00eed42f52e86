// The macro run: entry, statement loop, end of run.
#include "macro/macro_run.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "csv/csv_index.h"
#include "csv/csv_table.h"
#include "fw/alloc.h"
#include "fw/clock.h"
#include "fw/file.h"
#include "fw/uihooks.h"
#include "macro/macro_argcursor.h"
#include "macro/macro_address.h"
#include "macro/macro_call.h"
#include "macro/macro_classify.h"
#include "macro/macro_codes.h"
#include "macro/macro_dispatch.h"
#include "macro/macro_exec_cells.h"
#include "macro/macro_exec_display.h"
#include "macro/macro_exec_file.h"
#include "macro/macro_exec_clip.h"
#include "macro/macro_exec_load.h"
#include "macro/macro_exec_save.h"
#include "macro/macro_exec_save_rtf.h"
#include "macro/macro_exec_join.h"
#include "macro/macro_exec_mfile.h"
#include "macro/macro_exec_net.h"
#include "macro/macro_exportopts.h"
#include "macro/macro_exec_savetext.h"
#include "macro/macro_exec_syspara.h"
#include "macro/macro_exec_message.h"
#include "macro/macro_exec_rows.h"
#include "macro/macro_expr.h"
#include "macro/macro_flow.h"
#include "macro/macro_input.h"
#include "macro/macro_prepare.h"
#include "macro/macro_registry.h"
#include "macro/macro_replace.h"
#include "macro/macro_run_errors.h"
#include "macro/macro_run_start.h"
#include "macro/macro_scan.h"
#include "macro/macro_state.h"
#include "macro/macro_stop.h"
#include "macro/macro_subst.h"
#include "macro/macro_texttable.h"
#include "macro/macro_wait.h"
#include "macro/macro_countsum.h"

namespace macro {

namespace {

constexpr int kStopQuestion = 330;  // "中止しますか？"
constexpr std::uint32_t kCsvTableKind = 33;
constexpr std::uint32_t kRuledTableEdit = 3;
constexpr int kMarkTableEntries = 1000;
constexpr int kMarkTableKept = 99;
constexpr int kDebugModeOnce = 99;
constexpr int kLoadStateOwnUpdate = 99;
constexpr std::size_t kScratchBlock = 12020;
constexpr std::size_t kWorkAreaStart = 10000;
// Memory codes of the entry.
constexpr int kNoCommandBuffer = 110, kNoViewBuffer = 111, kNoWorkBuffer = 112;
constexpr int kNoScratch1 = 113, kNoScratch2 = 114, kNoDocumentBuffer = 116;

std::vector<std::pair<int, StatementExecutor>>& TestExecutors() {
  static std::vector<std::pair<int, StatementExecutor>> executors;
  return executors;
}

// Stores the decimal text of `value` in a variable, as Format("%d") or
// Format("%u") would, keeping the variable's text when it is the same
// (the usual case between two statements).
void SetDecimal(CString* var, long long value) {
  char digits[24];
  const std::to_chars_result r = std::to_chars(digits, digits + sizeof digits, value);
  const std::string_view text(digits, static_cast<std::size_t>(r.ptr - digits));
  if (std::string_view(var->Str()) != text) *var = CString(digits, static_cast<int>(text.size()));
}

const StatementExecutor* TestExecutorFor(int cls) {
  for (const auto& e : TestExecutors())
    if (e.first == cls) return &e.second;
  return nullptr;
}
// Layout modes a run keeps; any other goes back to 0.
constexpr int kRunLayouts[] = {0, 1, 8, 11};

// How a run ends.
enum class RunEnd { kNormal, kError, kEndStatement, kAtOnce, kPause, kHandOver };

// Buffers one call owns (freed on every exit).
struct RunBuffers {
  char* work = nullptr;
  char* scratch1 = nullptr;
  char* scratch2 = nullptr;
  ~RunBuffers() {
    fw::Free(work);
    fw::Free(scratch1);
    fw::Free(scratch2);
  }
};

// The outer run's place, kept across a nested run.
struct OuterRun {
  std::uint32_t pos;
  std::int32_t line, callDepth, frameCount, statusMode, replaceTotal;
  std::uint32_t stacks[MacroState::kMacroStacks][MacroState::kMacroStackEntries];
  CString command, operand;
  std::vector<std::uint32_t> commandAt;
  std::int32_t indent;
  std::uint32_t multiCond, breakPos;
  std::int32_t ifLevel, blockIndent, forRepeat;
  std::int32_t numbers[4];
  std::int32_t tableA[4], tableB[4], lineLookup[4];

  explicit OuterRun(const MacroState& st)
      : pos(st.m_nMacroPos), line(st.m_nCmdLineNo), callDepth(st.m_nMacroCallDepth),
        frameCount(st.m_nMacroFrameCount), statusMode(st.m_nMacroStatusMode),
        replaceTotal(st.m_nMacroReplaceTotal), command(st.m_strStmtCommand), operand(st.m_strStmtOperand),
        commandAt(st.m_anStmtCommandAt), indent(st.m_nStmtIndent), multiCond(st.m_bStmtMultiCond),
        breakPos(st.m_nStmtBreakPos), ifLevel(st.m_nMacroIfLevel), blockIndent(st.m_nMacroBlockIndent),
        forRepeat(st.m_bMacroForRepeat) {
    std::memcpy(stacks, st.m_anMacroStacks, sizeof stacks);
    std::memcpy(numbers, st.m_anStmtNumbers, sizeof numbers);
    std::memcpy(tableA, st.m_anStmtTableA, sizeof tableA);
    std::memcpy(tableB, st.m_anStmtTableB, sizeof tableB);
    std::memcpy(lineLookup, st.m_anLineLookup, sizeof lineLookup);
  }
  void PutBack(MacroState& st) const {
    st.m_nMacroPos = pos;
    st.m_nCmdLineNo = line;
    st.m_nMacroCallDepth = callDepth;
    st.m_nMacroFrameCount = frameCount;
    st.m_nMacroStatusMode = statusMode;
    st.m_nMacroReplaceTotal = replaceTotal;
    std::memcpy(st.m_anMacroStacks, stacks, sizeof stacks);
    st.m_strStmtCommand = command;
    st.m_strStmtOperand = operand;
    st.m_anStmtCommandAt = commandAt;
    st.m_nStmtIndent = indent;
    st.m_bStmtMultiCond = multiCond;
    st.m_nStmtBreakPos = breakPos;
    st.m_nMacroIfLevel = ifLevel;
    st.m_nMacroBlockIndent = blockIndent;
    st.m_bMacroForRepeat = forRepeat;
    std::memcpy(st.m_anStmtNumbers, numbers, sizeof numbers);
    std::memcpy(st.m_anStmtTableA, tableA, sizeof tableA);
    std::memcpy(st.m_anStmtTableB, tableB, sizeof tableB);
    std::memcpy(st.m_anLineLookup, lineLookup, sizeof lineLookup);
  }
};

// The ten document settings a run saves and puts back, in their order.
std::int32_t* SettingAt(app::DocSettingsFields& s, int k) {
  std::int32_t* const fields[kSavedSysParas] = {&s.m_nIndata, &s.m_nOutdata, &s.m_nBmpfile, &s.m_nBmpdata,
                                                &s.m_nTblMax, &s.m_nRtbl,    &s.m_nChar,    &s.m_nTab,
                                                &s.m_nFlist,  &s.m_nFhold};
  return fields[k];
}

bool NamesAFile(int mode) {
  return mode == kRunFile || mode == kRunDocument || mode == kRunNestedFile || mode == kRunNestedDocument;
}

// The run of one call.
class Run {
 public:
  Run(MacroRunContext& rc, int mode, CString source, CString folder, bool nested)
      : rc_(rc), st_(rc.state), mode_(mode), source_(std::move(source)), callerFolder_(folder),
        folder_(RunFolder(source_, folder)), nested_(nested) {}

  int Go();

 private:
  int Enter();
  bool TakeText();
  bool StatementText();
  bool FileText();
  RunEnd Loop();
  Outcome Statement();
  Outcome Dispatch(int cls, const PreparedStatement& p);
  void ReadNumbers();
  bool BetweenStatements();
  int Finish(RunEnd end);
  void NormalEnd();
  void RedisplayTable();
  void EndByError(bool afterError);
  int Closing();
  void FreshStart();

  // The text's end for the control statements' walks: its first NUL or its
  // length, found again only when the text changed its size.
  std::uint32_t TextEnd() {
    if (textEndOf_ != text_.size() || !textEndKnown_) {
      const void* nul = std::memchr(text_.data(), 0, text_.size());
      textEnd_ = static_cast<std::uint32_t>(nul ? static_cast<const char*>(nul) - text_.data() : text_.size());
      textEndOf_ = text_.size();
      textEndKnown_ = true;
    }
    return textEnd_;
  }

  Outcome Raise(RunError id) {
    RunErrorArgs args;
    args.command = st_.m_strStmtCommand;
    args.operand = st_.m_strStmtOperand;
    args.line = st_.m_nCmdLineNo;
    return MacroRaiseRunError(&rc_.host, id, args);
  }

  MacroRunContext& rc_;
  MacroState& st_;
  const int mode_;
  const CString source_;
  const CString callerFolder_;
  const CString folder_;
  const bool nested_;
  std::string text_;  // the macro text being run
  std::size_t textEndOf_ = 0;
  std::uint32_t textEnd_ = 0;
  bool textEndKnown_ = false;
  StopMemory previous_;  // the statement before the current one, for a stop's dump
  RunBuffers buffers_;
};

int Run::Go() {
  const int entered = Enter();
  if (entered != 0) return entered;
  return Finish(Loop());
}

// Entry steps; 0 when the loop may start, else the call's result.
int Run::Enter() {
  st_.m_nMacroReplaceTotal = 0;
  std::fill(std::begin(st_.m_anStmtTableA), std::end(st_.m_anStmtTableA), 0);
  std::fill(std::begin(st_.m_anStmtTableB), std::end(st_.m_anStmtTableB), 0);
  if (!nested_) {
    st_.m_strLastMacroSource = source_;
    st_.m_strLastMacroFolder = folder_;
  }
  if (*rc_.view.editMode == kRuledTableEdit) {
    *rc_.view.editMode = 1;
    rc_.docWindow.m_bTableEditMode = 0;
  }
  // Modes 1 and 4 nested in a run share its variables and start no run of
  // their own; every other run is fresh unless one waits to be resumed.
  const bool sharesOuter = nested_ && (mode_ == kRunStatement || mode_ == kRunText);
  if (st_.m_nMacroResumePos == 0 && !sharesOuter) FreshStart();

  if (!TakeText()) return kRunStopped;
  if (mode_ != kRunStatement && TakeBatchText(&text_)) {
    // The text is a document: it goes to the document's text as it is.
    const std::size_t n = std::min<std::size_t>(std::strlen(text_.c_str()), kMaxRunText);
    app::DocTextFields& d = rc_.docText;
    if (n + 1 > d.m_nTextCapacity || d.m_pText == nullptr) {
      char* grown = static_cast<char*>(fw::Realloc(d.m_pText, n + 1));
      if (grown == nullptr) {
        rc_.host.ReportMessage(kNoDocumentBuffer, CString());
        return kRunStopped;
      }
      d.m_pText = grown;
      d.m_nTextCapacity = static_cast<std::uint32_t>(n + 1);
    }
    std::memcpy(d.m_pText, text_.data(), n);
    d.m_pText[n] = '\0';
    d.m_nTextLen = static_cast<std::uint32_t>(n);
    return kRunWasText;
  }
  buffers_.work = static_cast<char*>(fw::Alloc(kWorkAreaStart));
  if (buffers_.work == nullptr) {
    rc_.host.ReportMessage(kNoWorkBuffer, CString());
    return kRunStopped;
  }
  buffers_.scratch1 = static_cast<char*>(fw::Alloc(kScratchBlock));
  if (buffers_.scratch1 == nullptr) {
    rc_.host.ReportMessage(kNoScratch1, CString());
    return kRunStopped;
  }
  buffers_.scratch2 = static_cast<char*>(fw::Alloc(kScratchBlock));
  if (buffers_.scratch2 == nullptr) {
    rc_.host.ReportMessage(kNoScratch2, CString());
    return kRunStopped;
  }
  st_.m_nMacroPos = 0;
  if (st_.m_nMacroResumePos > 0 && mode_ != kRunStatement && mode_ != kRunText) {
    st_.m_nMacroPos = static_cast<std::uint32_t>(st_.m_nMacroResumePos);
    st_.m_nMacroResumePos = 0;
    st_.m_nCmdLineNo = st_.m_nMacroSavedLine;
  }
  return 0;
}

void Run::FreshStart() {
  if (!nested_) rc_.docUpdate.m_bAbort = 0;  // a new run is not stopped by the last one's Esc
  fw::hooks::SeedRandom(static_cast<std::uint32_t>(fw::TickCount()));
  int& layout = rc_.docWindow.m_nLayoutMode;
  if (std::find(std::begin(kRunLayouts), std::end(kRunLayouts), layout) == std::end(kRunLayouts)) {
    layout = 0;
    rc_.host.ApplyListLayout();
    rc_.docUpdate.m_nUpdateCode = app::UpdateCode::kFolderChanged;
    rc_.host.UpdateAllViews();
  }
  std::memset(st_.m_anMacroStacks, 0, sizeof st_.m_anMacroStacks);
  st_.m_nMacroCallDepth = 0;
  st_.m_nMacroFrameCount = 0;
  st_.m_nCmdLineNo = 0;
  st_.m_nMacroIfLevel = 0;
  st_.m_nMacroBlockIndent = 0;
  st_.m_bMacroForRepeat = 0;

  app::DocPathFields& paths = rc_.docPaths;
  if (!nested_) paths.m_strParamPath = paths.m_strDocPath;
  RunStartValues v;
  v.now = fw::CurrentTime();
  v.nameField1 = paths.m_strDocName;
  v.nameField2 = paths.m_strDocBaseName;
  v.documentNumber = paths.m_nInstanceNo;
  v.paramPath = paths.m_strParamPath;
  v.source = source_;
  v.folder = folder_;
  v.userName = rc_.host.UserName();
  FreshRunStart(st_, mode_, v);

  if (st_.m_nMacroMarkState != kMarkTableKept) {
    st_.m_nMacroMarkState = 0;
    st_.m_aMacroMarkTable.assign(kMarkTableEntries, 0);
    st_.m_nMacroMarkCount = 0;
  }
  // The modes that run a file start from row and column 1 when there is no
  // table yet; a table the view shows keeps its counts (last row index and
  // fields), or every condition over it would see its first two rows only.
  if (NamesAFile(mode_) && rc_.table.m_nTextLen == 0) {
    rc_.table.m_nLastRow = 1;
    rc_.table.m_nFieldCount = 1;
  }
  st_.m_nMacroStatusMode = 0;
  std::fill(std::begin(st_.m_anLineLookup), std::end(st_.m_anLineLookup), 0);
  rc_.table.m_nCurLine = 1;
  if (st_.m_nSysParaSaved == 0) {
    st_.m_nSysParaSaved = 1;
    for (int k = 0; k < kSavedSysParas; ++k) st_.m_anSavedSysPara[k] = *SettingAt(rc_.docSettings, k);
  }
}

bool Run::TakeText() {
  switch (mode_) {
    case kRunStatement:
      return StatementText();
    case kRunFile:
    case kRunNestedFile:
      return FileText();
    case kRunDocument:
    case kRunNestedDocument: {
      const app::DocTextFields& d = rc_.docText;
      std::size_t n = 0;
      const std::size_t most = std::min<std::size_t>(d.m_nTextLen, kMaxRunText);
      while (d.m_pText != nullptr && n < most && d.m_pText[n] != '\0') ++n;
      text_.assign(d.m_pText != nullptr ? d.m_pText : "", n);
      return true;
    }
    default:
      text_ = ExpandTextRunEscapes(source_.Str());
      return true;
  }
}

// Mode 1: the statement, after the document's text has become the table's
// when the view shows no table.
bool Run::StatementText() {
  if (*rc_.view.fileKind != kCsvTableKind) {
    const app::DocTextFields& d = rc_.docText;
    const std::uint64_t size = static_cast<std::uint64_t>(std::max<std::uint32_t>(d.m_nTextLen, 5000)) + 5000;
    csv::Table& t = rc_.table;
    if (!t.Reserve(size)) {
      rc_.host.ReportMessage(kNoViewBuffer, CString());
      return false;
    }
    // Up to the NUL or the document's length, never past it.
    std::uint32_t n = 0, lines = 0;
    while (d.m_pText != nullptr && n < d.m_nTextLen && d.m_pText[n] != '\0') {
      if (d.m_pText[n] == '\n') ++lines;
      t.m_pTextBuf[n] = static_cast<std::uint8_t>(d.m_pText[n]);
      ++n;
    }
    t.m_pTextBuf[n] = 0;
    t.m_nTextLen = n;
    t.m_nFieldCount = 1;
    t.m_nLastRow = static_cast<std::int32_t>(lines);
  }
  text_ = StatementRunText(st_.m_strStmtCommand, st_.m_strStmtOperand);
  return true;
}

// Modes 2 and 12: the macro file.
bool Run::FileText() {
  const std::string path = source_.Str();
  static const char kEncrypted[] = "+rmcx";
  if (path.size() >= 5 && path.compare(path.size() - 5, 5, kEncrypted) == 0) {
    rc_.host.ShowMessageBox("Encrypted macro files (+rmcx) cannot be run in this version");
    return false;
  }
  CFile file;
  if (!file.Open(path.c_str(), CFile::modeRead | CFile::shareDenyNone)) return false;
  const ULONGLONG length = file.GetLength();
  if (length > kMaxRunText) {
    rc_.host.ReportMessage(2, "Macro command over limit (900K)");
    return false;
  }
  if (length == 0) return false;
  text_.assign(static_cast<std::size_t>(length), '\0');
  try {
    if (file.Read(&text_[0], static_cast<UINT>(length)) != length) return false;
  } catch (const CFileException&) {
    return false;
  }
  CommaFormToColumns(&text_);
  return true;
}

RunEnd Run::Loop() {
  for (;;) {
    const ScanResult scanned = ScanMacroStatement(st_, text_.data(), static_cast<std::uint32_t>(text_.size()),
                                                  rc_.docUpdate.m_nMacroDebugMode);
    if (scanned != ScanResult::kStatement) return RunEnd::kNormal;
    const StopMemory asScanned{st_.m_strStmtCommand, st_.m_strStmtOperand};
    const Outcome o = Statement();
    switch (o) {
      case Outcome::kNext:
      case Outcome::kContinueAt:
        break;
      case Outcome::kPause:
        st_.m_nMacroResumePos = static_cast<std::int32_t>(st_.m_nMacroPos);
        st_.m_nMacroSavedLine = st_.m_nCmdLineNo;
        return RunEnd::kPause;
      case Outcome::kHandOver:
        st_.m_nMacroResumePos = static_cast<std::int32_t>(st_.m_nMacroPos);
        st_.m_nMacroSavedLine = st_.m_nCmdLineNo;
        return RunEnd::kHandOver;
      case Outcome::kErrorExit:
        return RunEnd::kError;
      case Outcome::kExitAtOnce:
        return RunEnd::kAtOnce;
      case Outcome::kEndRun:
        return RunEnd::kEndStatement;
    }
    if (!st_.m_strStmtCommand.IsEmpty()) {
      // The end of the statement: a stop, then the abort poll.
      switch (MacroStopAfterStatement(rc_, text_, asScanned, &previous_)) {
        case StopVerdict::kGoOn:
          break;
        case StopVerdict::kPaused:
          return RunEnd::kPause;
        case StopVerdict::kEndRun:
        case StopVerdict::kCancelled:
          return RunEnd::kEndStatement;
      }
      if (!BetweenStatements()) return RunEnd::kNormal;
    }
    if (st_.m_nMacroPos >= text_.size()) return RunEnd::kNormal;
  }
}

// The steps around one statement up to its executor.
Outcome Run::Statement() {
  std::fill(std::begin(st_.m_anStmtTableA), std::end(st_.m_anStmtTableA), 0);
  std::fill(std::begin(st_.m_anStmtTableB), std::end(st_.m_anStmtTableB), 0);
  csv::Table& t = rc_.table;
  SetDecimal(&st_.m_strMacroVars[159], t.m_nFieldCount);
  SetDecimal(&st_.m_strMacroVars[153], t.m_nLastRow + 1);

  const CString trace =
      MacroTraceText(st_.m_nMacroStatusMode, st_.m_nCmdLineNo, st_.m_strStmtCommand, st_.m_strStmtOperand);
  if (MacroTraceShown(st_.m_nMacroStatusMode)) rc_.host.ShowStatus(trace);

  const PreparedStatement p = PrepareStatement(st_, std::string_view(text_));
  int cls = 8;
  if (!p.directCondition) {
    const ClassifyInput in = MacroClassifyInputFor(p.word, p.letter, p.letter2, st_.m_nMacroCallDepth,
                                                   st_.m_nMacroFrameCount, &st_.m_strStmtOperand);
    cls = MacroStatementClass(in);
  }

  // The view's line lookup at the current line.
  std::uint32_t offset = 0;
  csv::LineToOffset(t, t.m_pTextBuf, t.UsedLength(), &offset, csv::kLineTitleAtCurLine, 0);
  SetDecimal(&st_.m_strMacroVars[121], t.m_nCurLine);

  AddressScope scope{st_};
  scope.host = &rc_.host;
  scope.table = &t;
  scope.text = t.m_pTextBuf;
  scope.length = t.UsedLength();
  RowDataOps ops;
  ops.parse = [&scope](const CString& text, int kind) { return MacroParseRowData(scope, text, kind); };
  ops.substitute = [this](const CString& text, int mode) {
    return MacroSubstituteVariables(st_, &rc_.table, text, mode, 0, 0, 0);
  };
  const unsigned char letter = MacroClassLetter(p.letter), letter2 = MacroClassLetter2(p.letter2);
  if (!MacroParseCommandRowData(cls, letter2, &st_.m_strStmtCommand, ops)) return Raise(RunError::kTitleEror);
  if (cls != 51 &&
      !MacroParseOperandRowData(cls, letter, st_.m_strStmtCommand, &st_.m_strStmtOperand, ops))
    return Raise(RunError::kTitleEror);
  if (MacroSubstitutesCommand(cls)) {
    st_.m_strStmtCommand = ops.substitute(st_.m_strStmtCommand, kCommandSubstMode);
    ReadNumbers();
    cls = MacroReclassifyAfterNumbers(cls, st_.m_strStmtCommand);
  }
  t.m_bScanDone = 0;
  if (MacroSubstitutesOperand(cls, letter))
    st_.m_strStmtOperand = ops.substitute(st_.m_strStmtOperand, kOperandSubstMode);
  return Dispatch(cls, p);
}

Outcome Run::Dispatch(int cls, const PreparedStatement& p) {
  const DispatchRow* row = MacroDispatchRow(cls);
  if (row == nullptr) return Outcome::kNext;  // no class: the loop goes on
  Outcome o = Outcome::kNext;
  if (const StatementExecutor* test = TestExecutorFor(cls)) {
    o = (*test)(rc_);
  } else {
    switch (row->executor) {
      case ExecutorKind::kGoesOn:
        break;
      case ExecutorKind::kErrorSwitch:
        o = MacroExecErrorSwitch(st_, p.word);
        break;
      case ExecutorKind::kEnd:
        return Outcome::kEndRun;
      case ExecutorKind::kDefine:
        o = MacroExecDefine(st_, &rc_.host, st_.m_strStmtCommand, &st_.m_strStmtOperand);
        break;
      case ExecutorKind::kUnknown:
        return Raise(RunError::kUnknownCommand);
      case ExecutorKind::kCellStatement:
        o = MacroRunCellStatement(rc_);
        break;
      case ExecutorKind::kControlFlow:
        o = MacroRunControlFlow(rc_, cls, p.word, p.rest, text_.data(), TextEnd(), p.assignment);
        break;
      case ExecutorKind::kCallOrJump:
        o = MacroExecCallOrJump(rc_, &text_, p.rest);
        break;
      case ExecutorKind::kPara:
        o = MacroExecPara(rc_);
        break;
      case ExecutorKind::kReturn:
        o = MacroExecReturn(rc_);
        break;
      case ExecutorKind::kBreak:
        // In debug mode the break stops as the statement "7" does.
        if (rc_.docUpdate.m_nMacroDebugMode > 0) st_.m_strStmtCommand = "7";
        break;
      case ExecutorKind::kRegistry:
        o = MacroExecRegistry(rc_);
        break;
      case ExecutorKind::kWait:
        o = MacroExecWait(rc_, static_cast<std::uint32_t>(text_.size()));
        break;
      case ExecutorKind::kReplace:
        o = MacroRunReplaceStatement(rc_);
        break;
      case ExecutorKind::kReplaceInVariable:
        o = MacroRunReplaceInVariable(rc_);
        break;
      case ExecutorKind::kTextToTable:
        o = MacroExecTextToTable(rc_, p.rest);
        break;
      case ExecutorKind::kCountSum:
        o = MacroExecCountSum(rc_);
        break;
      case ExecutorKind::kSysPara:
        o = MacroExecSysPara(rc_);
        break;
      case ExecutorKind::kDisplay:
        o = MacroExecDisplay(rc_);
        break;
      case ExecutorKind::kStatus:
        o = MacroExecStatus(rc_);
        break;
      case ExecutorKind::kSaveText:
        o = MacroExecSaveText(rc_, MacroClassLetter2(p.letter2) == 'b');
        break;
      case ExecutorKind::kInput:
        o = MacroExecInput(rc_);
        break;
      case ExecutorKind::kMessage:
        o = MacroRunMessageStatement(rc_, text_.data(), TextEnd(), p.rest);
        break;
      case ExecutorKind::kWindow:
        o = MacroRunWindowStatement(rc_);
        break;
      case ExecutorKind::kTableRows:
        o = MacroExecTableRows(rc_, cls);
        break;
      case ExecutorKind::kLater:
        return Raise(RunError::kNotAvailableYet);
      case ExecutorKind::kLoadClip:
        o = MacroExecLoadClip(rc_);
        break;
      case ExecutorKind::kSaveClip:
        o = MacroExecSaveClip(rc_);
        break;
      case ExecutorKind::kSpreadsheetSave:
        o = MacroExecSpreadsheetSave(rc_);
        break;
      // The load statements: "load", "loadmacro", 'r', "loadsub", "loaddata", "loadzip".
      case ExecutorKind::kLoad:
        o = MacroExecLoad(rc_, &text_);
        break;
      // Save statements: "save", "saveadd", "savertf", "savepdf", "savehtm".
      case ExecutorKind::kSave:
        o = MacroExecSave(rc_);
        break;
      case ExecutorKind::kRichSave:
        o = MacroExecRichSave(rc_);
        break;
      case ExecutorKind::kPageSave:
        o = MacroExecPageSave(rc_);
        break;
      case ExecutorKind::kHtmlSave:
        o = MacroExecHtmlSave(rc_);
        break;
      // Joins, shared memory, web page and opener: "loadadd", "loadjoin",
      // "loadboth", the joins, "loadmfile", "savemfile", "filereg", "loadnet".
      case ExecutorKind::kLoadAdd:
        o = MacroExecLoadAdd(rc_);
        break;
      case ExecutorKind::kJoin:
        o = MacroExecJoin(rc_);
        break;
      case ExecutorKind::kLoadMFile:
        o = MacroExecLoadMFile(rc_);
        break;
      case ExecutorKind::kSaveMFile:
        o = MacroExecSaveMFile(rc_);
        break;
      case ExecutorKind::kFileReg:
        o = MacroExecFileReg(rc_);
        break;
      case ExecutorKind::kLoadNet:
        o = MacroExecLoadNet(rc_);
        break;
      // The file statements: "&F" and every letter but 'g'.
      case ExecutorKind::kFile:
        o = MacroExecFile(rc_);
        break;
    }
  }
  if (o == Outcome::kNext && row->rebuildsCsvIndex) {
    csv::Table& t = rc_.table;
    std::uint32_t len = 0, cols = 0;
    csv::BuildCsvIndex(t, t.m_pTextBuf, t.UsedLength(), &len, &cols, csv::kCsvScanOnly, -1);
  }
  return o;
}

// Up to four numbers of the command: from the first digit or '-' (or a
// page code in brackets) on, one after each ',' not after a '\'; a ':' not
// after a '\' ends them.
void Run::ReadNumbers() {
  std::int32_t* num = st_.m_anStmtNumbers;
  num[0] = -1;
  num[1] = num[2] = num[3] = 0;
  const CString& cmd = st_.m_strStmtCommand;
  const std::string s = cmd.Str();
  const std::size_t n = s.size();
  auto plain = [&](std::size_t i, char c) { return s[i] == c && (i == 0 || s[i - 1] != '\\'); };
  std::size_t pos = 0;
  for (int k = 0; k < 4 && pos < n; ++k) {
    while (pos < n && !(s[pos] >= '0' && s[pos] <= '9') && s[pos] != '-' && s[pos] != '[') {
      if (plain(pos, ':')) return;
      ++pos;
    }
    if (pos >= n) return;
    if (s[pos] == '[') {
      MacroEnv env(st_, &rc_.host, &rc_.table);
      int at = static_cast<int>(pos);
      char mark = 0;
      num[k] = MacroExpandPageCodes(env, cmd, static_cast<int>(n), &at, &mark, 0, 0, 0);
      pos = static_cast<std::size_t>(std::max(at, static_cast<int>(pos) + 1));
    } else {
      char* end = nullptr;
      const long long v = std::strtoll(s.c_str() + pos, &end, 10);
      num[k] = static_cast<std::int32_t>(std::clamp<long long>(v, INT32_MIN, INT32_MAX));
      pos = std::max<std::size_t>(static_cast<std::size_t>(end - s.c_str()), pos + 1);
    }
    while (pos < n && !plain(pos, ',')) {
      if (plain(pos, ':')) return;
      ++pos;
    }
    ++pos;  // past the ','
  }
}

// The check between two statements; false when the run is to end.
bool Run::BetweenStatements() {
  if (rc_.host.CheckEscapeAbort()) st_.m_nMacroPos = static_cast<std::uint32_t>(text_.size());
  if (rc_.host.TakeEscapeKeyDown() && rc_.host.AskYesNo(rc_.host.ResourceString(kStopQuestion))) {
    st_.m_nMacroPos = static_cast<std::uint32_t>(text_.size());
    rc_.docUpdate.m_bAbort = 1;
  }
  // Depth 20 is the deepest call that runs (entries 0-20 of the stacks);
  // a call beyond it stops with its own error, so a larger depth ends here.
  return st_.m_nMacroPos < text_.size() && st_.m_nMacroCallDepth <= kMaxCallDepth;
}

int Run::Finish(RunEnd end) {
  switch (end) {
    case RunEnd::kPause:
      return kRunPaused;
    case RunEnd::kHandOver:
      return kRunEnded;
    case RunEnd::kAtOnce:
      return kRunStopped;
    default:
      break;
  }
  if (nested_) return rc_.docUpdate.m_bAbort == 1 ? kRunStopped : kRunEnded;
  if (end == RunEnd::kNormal)
    NormalEnd();
  else
    EndByError(end == RunEnd::kError);
  return Closing();
}

void Run::NormalEnd() {
  CString done;
  done.Format("macro end   total replace = %d", st_.m_nMacroReplaceTotal);
  rc_.host.ShowStatus(done);
  rc_.docUpdate.m_nFileKind = static_cast<std::int32_t>(*rc_.view.fileKind);
  rc_.docUpdate.m_nOpenContext = 0;
  st_.m_strMacroStopText.Empty();
  RedisplayTable();
  rc_.host.UpdateMenuTexts(static_cast<int>(*rc_.view.fileKind), static_cast<int>(*rc_.view.sourceView), 0);
  if (rc_.docUpdate.m_nMacroDebugMode == kDebugModeOnce) {
    rc_.docUpdate.m_nMacroDebugMode = 0;
    rc_.docUpdate.m_nLoadState = kLoadStateOwnUpdate;
  }
}

// A table the view shows is displayed again from the working buffer, with
// what the run changed in it.
void Run::RedisplayTable() {
  if (*rc_.view.fileKind != kCsvTableKind) return;
  const std::uint32_t sortFlags = *rc_.view.sortFlags;
  *rc_.view.sortFlags = 0;
  rc_.docUpdate.m_nUpdateCode = app::UpdateCode::kContent;
  rc_.docUpdate.m_nLoadState = kLoadStateOwnUpdate;
  rc_.host.RedisplayView();
  rc_.docUpdate.m_nLoadState = 0;
  *rc_.view.sortFlags = sortFlags;
}

// Ending by an error, by "E" or by a cancelled stop.
void Run::EndByError(bool afterError) {
  // "E" ends a macro's main part before its subroutines, and a cancelled
  // stop ends a run whose earlier statements stand: the table shows their
  // changes as after a normal end, or they would be shown nowhere and a
  // save would write the table as it was before the run.
  if (!afterError) RedisplayTable();
  st_.m_nMacroResumePos = 0;
  rc_.docUpdate.m_nOpenContext = 0;
  *rc_.view.sourceView = 0;
  // Only a run of a file stores and reopens its source (statements and
  // macro text have no file to go back to).
  if (NamesAFile(mode_)) {
    app::DocPathFields& paths = rc_.docPaths;
    (paths.m_nActiveSide == 1 ? paths.m_strPath1 : paths.m_strPath2) = source_;
    if (afterError && callerFolder_.IsEmpty()) {
      rc_.host.OpenFile(source_, 2);
      rc_.host.UpdateMenuTexts(static_cast<int>(*rc_.view.fileKind), static_cast<int>(*rc_.view.sourceView), 0);
      rc_.host.SetMainTitle(source_);
    }
  }
  if (rc_.docUpdate.m_nMacroDebugMode != 0) rc_.docUpdate.m_nLoadState = kLoadStateOwnUpdate;
}

int Run::Closing() {
  rc_.host.ClearModified();
  st_.m_nMacroSortKey = 0;
  if (st_.m_nSysParaSaved == 2) {
    for (int k = 0; k < kSavedSysParas; ++k) *SettingAt(rc_.docSettings, k) = st_.m_anSavedSysPara[k];
  }
  // Every run takes its own snapshot of the settings.
  st_.m_nSysParaSaved = 0;
  rc_.docPaths.m_strParamPath.Empty();
  return rc_.docUpdate.m_bAbort == 1 ? kRunStopped : kRunEnded;
}

// Marks a run under way for as long as the call lasts.
struct ActiveRun {
  MacroState& st;
  std::uint32_t was;
  explicit ActiveRun(MacroState& s) : st(s), was(s.m_bMacroRunActive) { st.m_bMacroRunActive = 1; }
  ~ActiveRun() { st.m_bMacroRunActive = was; }
};

}  // namespace

void SetTestExecutor(int cls, StatementExecutor fn) {
  auto& all = TestExecutors();
  for (auto it = all.begin(); it != all.end(); ++it) {
    if (it->first != cls) continue;
    if (fn)
      it->second = std::move(fn);
    else
      all.erase(it);
    return;
  }
  if (fn) all.emplace_back(cls, std::move(fn));
}

int RunMacro(MacroRunContext& rc, int mode, CString source, CString arg, CString folder) {
  MacroState& st = rc.state;
  const bool nested = st.m_bMacroRunActive != 0;
  if (!nested && st.m_nMacroResumePos == 0) st.m_nInsertedMacroEnd = 0;
  const MacroArgScope args(st, mode, arg, nested);  // read by msgif and the input statements
  if (!nested) return [&] {
    ActiveRun active(st);
    Run run(rc, mode, std::move(source), std::move(folder), false);
    return run.Go();
  }();
  const OuterRun outer(st);
  int result;
  {
    ActiveRun active(st);
    Run run(rc, mode, std::move(source), std::move(folder), true);
    result = run.Go();
  }
  // The replacements of the nested run count in the outer run's total.
  const long long total = static_cast<long long>(outer.replaceTotal) + st.m_nMacroReplaceTotal;
  outer.PutBack(st);
  st.m_nMacroReplaceTotal = static_cast<std::int32_t>(std::clamp<long long>(total, 0, INT32_MAX));
  return result;
}

std::uint64_t MacroTableFingerprint(const csv::Table& t) {
  std::uint64_t h = 1469598103934665603ull;
  const std::uint32_t n = t.m_pTextBuf != nullptr ? t.UsedLength() : 0;
  for (std::uint32_t k = 0; k < n; ++k) h = (h ^ t.m_pTextBuf[k]) * 1099511628211ull;
  return h ^ (static_cast<std::uint64_t>(n) << 32);
}

}  // namespace macro
