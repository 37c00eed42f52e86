#include "macro/macro_exec_message.h"

#include <climits>
#include <string>

#include "core/pattern/pattern.h"
#include "csv/csv_colcmd.h"
#include "csv/csv_table.h"
#include "fw/sjis.h"
#include "macro/macro_argcursor.h"
#include "macro/macro_flowscan.h"
#include "macro/macro_number.h"
#include "macro/macro_paths.h"
#include "macro/macro_run.h"
#include "macro/macro_state.h"
#include "macro/macro_subst.h"

namespace macro {
namespace {

constexpr int kBoxOk = 0, kBoxOkCancel = 1, kBoxYesNo = 4;
constexpr int kAnswerCancel = 2, kAnswerNo = 7;
constexpr int kHoldResultSlot = 146;
constexpr int kTextSlotLast = 5177;  // highest variable whose text the dialog shows
constexpr int kNestedFileMode = 12;
constexpr int kNoFileList = 2;       // m_nLayoutMode without the file lists
constexpr int kMacroTextLayout = 9;

bool StoreSlot(int n) { return n >= 1 && n <= kLastVarSlot; }

// The byte after "&M" (or "&W"), and the one after it.
unsigned char Letter(const CString& command, std::size_t at) {
  const std::string& s = command.Str();
  return at < s.size() ? static_cast<unsigned char>(s[at]) : 0;
}

// The name part of a parameter path.
std::string NamePart(const std::string& path) {
  const std::size_t slash = path.rfind('\\');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return name;
}

class Message {
 public:
  Message(MacroRunContext& rc, const char* text, std::uint32_t end, const CString& rest)
      : rc_(rc), st_(rc.state), host_(rc.host), text_(text), end_(end), rest_(rest) {}
  Outcome Run();

 private:
  CString Text() { return MacroMessageText(st_, &rc_.table, st_.m_strStmtOperand, host_.ParamPath()); }
  Outcome If();
  Outcome Check(unsigned char which);
  Outcome Progress(unsigned char letter);
  void Place(unsigned char letter, int positionVar, bool hold);

  MacroRunContext& rc_;
  MacroState& st_;
  MacroRunHost& host_;
  const char* text_;
  std::uint32_t end_;
  const CString& rest_;
};

Outcome Message::Run() {
  const unsigned char letter = Letter(st_.m_strStmtCommand, 2);
  switch (letter) {
    case 'i':
      return If();
    case 'e':
      if (host_.MessageBoxAnswer(Text(), kBoxOkCancel) == kAnswerCancel) st_.m_strLastResult() = "EROR";
      return Outcome::kNext;
    case 'c':
      return Check(Letter(st_.m_strStmtCommand, 3));
    case 'o':
    case 'w':
    case 'h':
      return Progress(letter);
    case 'x':
      if (host_.ProgressHasWindow()) host_.ProgressClose();
      return Outcome::kNext;
    default:
      host_.MessageBoxAnswer(Text(), kBoxOk);
      return Outcome::kNext;
  }
}

// msgif: the answer from the argument list of a nested file run, else
// the Yes/No box; No skips the deeper-indented block.
Outcome Message::If() {
  bool yes = false, answered = false;
  if (st_.m_nMacroRunMode == kNestedFileMode && !st_.m_strMacroArg.IsEmpty()) {
    CString answer;
    if (MacroNextArgAnswer(st_.m_strMacroArg, &st_.m_nMacroArgPos, &answer)) {
      yes = answer == CString("1");
      answered = true;
    }
  }
  if (!answered) yes = host_.MessageBoxAnswer(Text(), kBoxYesNo) != kAnswerNo;
  if (yes) return Outcome::kNext;
  const FlowText flow(text_, end_, FlowText::KnownEnd{});
  const FlowMove m = MacroFlowSkipBlock(flow, st_.m_nMacroPos, st_.m_nStmtIndent, false);
  if (!m.moved) return Outcome::kNext;
  st_.m_nMacroPos = m.pos;
  const long long line = static_cast<long long>(st_.m_nCmdLineNo) + m.lines;
  st_.m_nCmdLineNo = line < 0 ? 0 : line > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(line);
  return Outcome::kContinueAt;
}

// check, check0, check1 on the view's check list.
Outcome Message::Check(unsigned char which) {
  csv::CheckList* list = host_.ViewCheckList();
  if (list == nullptr) return Outcome::kNext;
  if (which == '1') {
    // Rows 2 on; rows the table no longer has are passed over.
    csv::MarkCheckedRows(&rc_.table, *list, false, 2);
    host_.ClearModified();
  } else if (which == '0') {
    csv::ClearChecks(list, rc_.table.m_nLastRow);
  } else {
    csv::ChecksFromMarks(rc_.table, list, false, nullptr);
  }
  // The "#" statements read the list the run was given: a new list
  // replaces the old block, so they are pointed at it.
  rc_.checkList = list->m_pEntryList;
  rc_.checkListUsed = list->UsedEnd();
  return Outcome::kNext;
}

// The dialog's placement (step 1 of msgopen, msgwrite, msghold).
void Message::Place(unsigned char letter, int positionVar, bool hold) {
  if (letter == 'w' && positionVar <= 0) return;
  int width = 0, height = 0;
  if (!host_.ProgressSize(&width, &height)) return;
  MacroRect desktop, view;
  host_.DesktopRect(&desktop);
  host_.ViewRect(&view);
  const CString* position = StoreSlot(positionVar) ? &st_.m_strMacroVars[positionVar] : nullptr;
  const MacroPoint pt = MacroProgressPlace(position, desktop, view, width, height);
  host_.ProgressMove(pt.x, pt.y, width, hold ? height - 50 : height);
}

Outcome Message::Progress(unsigned char letter) {
  const bool hold = letter == 'h';
  int result = st_.m_anStmtNumbers[0];
  const int progressVar = st_.m_anStmtNumbers[1], positionVar = st_.m_anStmtNumbers[2];
  if (hold && result <= 0) result = kHoldResultSlot;
  const ProgressParams params = MacroProgressParamsOfRest(MacroSubstituteVariables(st_, &rc_.table, rest_, 0));
  if (letter != 'w') {
    host_.ProgressRecreate(params.okText, params.cancelText);
    if (hold && StoreSlot(result)) st_.m_strMacroVars[result].Empty();
  }
  if (!host_.ProgressHasWindow()) return Outcome::kNext;
  Place(letter, positionVar, hold);
  // The user's answer ends the dialog.
  const int answer = host_.ProgressTakeAnswer();
  if (answer != 0) {
    if (StoreSlot(result)) st_.m_strMacroVars[result] = answer == kProgressCancelled ? "@CANCEL" : "@OK";
    host_.ProgressClose();
    return Outcome::kNext;
  }
  if (result < 1 || result > kTextSlotLast) return Outcome::kNext;
  if (hold) {
    CString text = MacroExpandLineEscapes(st_.m_strStmtOperand, 0);
    std::string t = text.Str();
    pat::ExpandEscapeSequences(t, pat::kEscapeMessage);
    host_.ProgressHoldLayout(CString(t.c_str()));
  } else {
    MacroHost::ProgressTexts texts;
    if (letter == 'o') {
      texts.setCaption = !params.caption.IsEmpty();
      texts.caption = params.caption;
      texts.setSecond = true;
      texts.second = params.second;
    }
    texts.setMain = !st_.m_strStmtOperand.IsEmpty();
    texts.main = st_.m_strStmtOperand;
    texts.varText = st_.m_strMacroVars[result];
    if (StoreSlot(progressVar) && !st_.m_strMacroVars[progressVar].IsEmpty()) {
      texts.showBar = true;
      texts.barPos = MacroReadNumber(st_.m_strMacroVars[progressVar], 0);
    }
    host_.ProgressUpdate(texts);
  }
  host_.ProgressShow();
  return Outcome::kNext;
}

}  // namespace

CString MacroReplacePara(const CString& text, const CString& paramPath) {
  static const char kPara[] = "&PARA";
  std::string s = text.Str();
  const std::string name = NamePart(paramPath.Str());
  std::size_t at = s.find(kPara);
  while (at != std::string::npos) {
    s.replace(at, sizeof kPara - 1, name);
    at = s.find(kPara, at + name.size());
  }
  return CString(s.c_str());
}

CString MacroMessageLineBreaks(const CString& text) {
  std::string s = text.Str();
  for (const char* pair : {"n", "0n"}) {
    const std::size_t n = std::char_traits<char>::length(pair);
    for (std::size_t i = 0; i + n < s.size(); ++i) {
      if (fw::IsSjisLeadByte(static_cast<unsigned char>(s[i]))) {
        ++i;
        continue;
      }
      if (s[i] == '\\' && s.compare(i + 1, n, pair) == 0) {
        s[i] = '\r';
        s[i + 1] = '\n';
      }
    }
  }
  return CString(s.c_str());
}

CString MacroMessageText(MacroState& st, const csv::TableFields* table, const CString& operand,
                         const CString& paramPath) {
  std::string t = MacroExpandLineEscapes(operand, 0).Str();
  pat::ExpandEscapeSequences(t, pat::kEscapeMessage);
  CString text = MacroReplacePara(CString(t.c_str()), paramPath);
  text = MacroSubstituteVariables(st, table, text, 0);
  return MacroMessageLineBreaks(text);
}

Outcome MacroRunMessageStatement(MacroRunContext& rc, const char* text, std::uint32_t end, const CString& rest) {
  return Message(rc, text, end, rest).Run();
}

Outcome MacroRunWindowStatement(MacroRunContext& rc) {
  MacroRect desktop;
  rc.host.DesktopRect(&desktop);
  const FramePlacement f = MacroWindowPlacement(Letter(rc.state.m_strStmtCommand, 2), rc.state.m_strStmtOperand, desktop);
  rc.host.PlaceFrame(f);
  rc.docWindow.m_nLayoutMode = kNoFileList;
  rc.host.ApplyListLayout();
  rc.host.ApplyTextLayoutWord(kMacroTextLayout);
  return Outcome::kNext;
}

}  // namespace macro
