#include "macro/macro_input.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "csv/csv_table.h"
#include "fw/sjis.h"
#include "macro/macro_address.h"
#include "macro/macro_argcursor.h"
#include "macro/macro_host.h"
#include "macro/macro_number.h"
#include "macro/macro_paths.h"
#include "macro/macro_run.h"
#include "macro/macro_run_errors.h"
#include "macro/macro_state.h"
#include "macro/macro_subst.h"
#include "macro/macro_userdlg.h"

namespace macro {

namespace {

constexpr int kSlotPreset = 100;      // the preset answer inside an inserted macro
constexpr int kSlotSubValue = 110;    // what input statements take inside subroutines
constexpr int kSlotImeState = 128;
constexpr int kDefaultTarget = 142, kDefaultSecond = 143;
constexpr int kArgPosLimit = 2000;
constexpr int kRowDataKind = 3;
constexpr int kPositionRows = 2000;   // the macro input box's position: X + 2000 x Y
constexpr int kChoiceTexts = 6;       // the text and five buttons

bool InVarRange(int n) { return n >= 1 && n <= kLastVarSlot; }

// Variable numbers that come with a dialog: anything outside 1-5,180 is none.
void SetVar(MacroState& st, int n, const CString& text) {
  if (InVarRange(n)) st.m_strMacroVars[n] = text;
}

const CString& Var(const MacroState& st, int n) {
  static const CString kNone;
  return n >= 0 && n <= kLastVarSlot ? st.m_strMacroVars[n] : kNone;
}

int ClampVar(int n) { return n < 0 || n > kLastVarSlot ? 0 : n; }

// The preset answer holds while a macro a load statement inserted runs.
bool PresetHolds(const MacroState& st) {
  return st.m_nInsertedMacroEnd > 0 && st.m_nMacroPos <= static_cast<std::uint32_t>(st.m_nInsertedMacroEnd) &&
         !st.m_strMacroVars[kSlotPreset].IsEmpty();
}

bool IsTableLetter(char c) {
  return std::string("mhnpabcdorwx").find(c) != std::string::npos && c != '\0';
}

std::vector<CString> ChoiceTexts(const CString& operand) {
  std::vector<CString> parts;
  const std::string& s = operand.Str();
  std::size_t p = 0;
  for (int k = 0; k < kChoiceTexts; ++k) {
    const int found = MacroFindSjisByte(operand, '|', static_cast<int>(p));
    const std::size_t bar = found < 0 ? std::string::npos : static_cast<std::size_t>(found);
    if (bar == std::string::npos) {
      parts.emplace_back(s.substr(p));
      break;
    }
    parts.emplace_back(s.substr(p, bar - p));
    p = bar + 1;
  }
  return parts;
}

// The reading of a slot of the open user dialog, from its slot state.
ControlReading ReadingOf(const UserDialogState& d, int k) {
  ControlReading r;
  const CString& v = d.m_strItemValue[k];
  r.text = v;
  r.selIndex = d.m_nItemCurSel[k];
  r.selText = v;
  r.check = MacroReadNumber(v, 6);
  r.position = d.m_nItemCurSel[k];
  const std::string& s = v.Str();
  if (s.size() >= 8) {
    r.year = std::atoi(s.substr(0, 4).c_str());
    r.month = std::atoi(s.substr(4, 2).c_str());
    r.day = std::atoi(s.substr(6, 2).c_str());
  }
  return r;
}

int TrackSlot(const UserDialogState& d, int k) {
  const int t = d.m_nItemSlot[k];
  return t >= 1 && t <= kTrackBarSlots ? t : 0;
}

// "inputread" and "inputwrite" over the slots of the open user dialog.
void ExchangeOpenDialog(MacroState& st, bool read) {
  UserDialogState& d = st.m_userDialog;
  for (int k = 0; k < kUserDialogSlots; ++k) {
    const int var = d.m_nItemVar[k];
    if (!InVarRange(var)) continue;
    const char kind = d.m_chItemKind[k];
    const int t = TrackSlot(d, k);
    const int base = d.m_nSlidOffset[t], reverse = d.m_nSlidReverse[t];
    if (read) {
      CString out;
      if (UserDialogReadConversion(kind, d.m_nItemSlot[k], base, reverse, ReadingOf(d, k), &out))
        st.m_strMacroVars[var] = out;
      continue;
    }
    const ControlWrite w = UserDialogWriteConversion(kind, st.m_strMacroVars[var], base, reverse);
    if (w.action == ControlWrite::kText) d.m_strItemValue[k] = w.text;
    if (w.setsCurSel) d.m_nItemCurSel[k] = w.curSel;
  }
}

}  // namespace

void MacroDialogSetResult(MacroState& st, MacroHost& host, int kind, const CString& text, int target) {
  switch (kind) {
    case kResultInput:
    case kResultChoice:
      SetVar(st, target, text);
      break;
    case kResultUserDialog: {
      const UserDialogState& d = st.m_userDialog;
      st.m_strLastResult() = d.m_strItemValue[0];
      for (int k = 0; k < kUserDialogResultFields; ++k) {
        const CString& value = d.m_strItemValue[k];
        if (d.m_chItemKind[k] == 'B' && (value.IsEmpty() || value == "0")) continue;
        SetVar(st, d.m_nItemVar[k], value);
      }
      break;
    }
    case kResultProgressOk:
      st.m_strLastResult() = "@OK";
      break;
    default:
      st.m_strLastResult() = "@CANCEL";
      break;
  }
  host.ArmMacroResume(1);
}

int MacroFindSjisByte(const CString& text, char c, int from) {
  const std::string& s = text.Str();
  for (std::size_t k = 0; k < s.size(); ++k) {
    if (static_cast<int>(k) >= from && s[k] == c) return static_cast<int>(k);
    if (fw::IsSjisLeadByte(static_cast<unsigned char>(s[k]))) ++k;
  }
  return -1;
}

void MacroInputTexts(const CString& command, CString* t1, CString* t2, CString* t3) {
  t1->Empty(), t2->Empty(), t3->Empty();
  const int colon = MacroFindSjisByte(command, ':');
  if (colon < 0) return;
  const CString rest = command.Mid(colon + 1);
  const int at = MacroFindSjisByte(rest, '@');
  if (at < 0) {
    *t1 = rest;
    return;
  }
  *t1 = rest.Left(at);
  const CString after = rest.Mid(at + 1);
  const int semi = MacroFindSjisByte(after, ';');
  if (semi < 0) {
    *t2 = after;
    return;
  }
  *t2 = after.Left(semi);
  *t3 = after.Mid(semi + 1);
}

UserDialogRun MacroUserDialogEnded(UserDialogScope& sc, char letter, int v1, int v2, bool ok) {
  MacroState& st = sc.st;
  if (!ok) {
    st.m_strLastResult() = "@CANCEL";
    return UserDialogRun::kDone;
  }
  UserDialogCollectOk(st.m_userDialog, st);
  if (letter != 'd') return UserDialogRun::kDone;
  const CString text = UserDialogDesignText(st.m_userDialog, ClampVar(v1), ClampVar(v2));
  // A description that does not fit the clipboard block is refused whole:
  // a cut one would lose controls without a word.
  if (text.GetLength() + 1 > kDesignClipMax) {
    st.m_strLastResult() = "EROR";
    return UserDialogRun::kDone;
  }
  sc.host.SetClipboardText(text);
  return UserDialogRun::kDone;
}

UserDialogRun MacroRunUserDialog(UserDialogScope& sc, char letter, int v1, int v2, int x, int y) {
  MacroState& st = sc.st;
  MacroHost& host = sc.host;
  CString t1, t2, t3;
  MacroInputTexts(st.m_strStmtCommand, &t1, &t2, &t3);
  v1 = ClampVar(v1);
  v2 = ClampVar(v2);
  const bool plain = !IsTableLetter(letter);
  if ((letter == 'm' || letter == 'n' || plain) && PresetHolds(st)) {
    SetVar(st, v1, st.m_strMacroVars[kSlotPreset]);
    return UserDialogRun::kDone;
  }
  const CString operand = MacroSubstituteVariables(st, sc.table, st.m_strStmtOperand, 0, 0, 0, 0);
  UserDialogState& d = st.m_userDialog;

  if (plain) {
    InputBoxRequest r;
    r.text = Var(st, v1);
    r.prompt = operand;
    r.mode = v2;
    r.title = t1, r.okText = t2, r.cancelText = t3;
    if (host.RunInputBox(r) == kDialogOk) {
      SetVar(st, v1, r.text.IsEmpty() ? CString("@NULL") : r.text);
      st.m_strLastResult() = "@OK";
    } else {
      SetVar(st, v1, "@CANCEL");
      st.m_strLastResult() = "@CANCEL";
    }
    return UserDialogRun::kDone;
  }

  switch (letter) {
    case 'm': {
      MacroInputRequest r;
      r.text = Var(st, v1);
      int semi = -1;
      for (int at = MacroFindSjisByte(st.m_strStmtCommand, ';'); at >= 0;
           at = MacroFindSjisByte(st.m_strStmtCommand, ';', at + 1))
        semi = at;
      if (semi >= 0) r.tail = st.m_strStmtCommand.Mid(semi + 1);
      r.operand = operand;
      r.mode = v2;
      long long position = x;
      if (y >= 1 && y < kPositionRows) position += static_cast<long long>(kPositionRows) * y;
      r.position = static_cast<int>(std::clamp<long long>(position, INT32_MIN, INT32_MAX));
      if (host.RunMacroInput(r) == kDialogOk)
        SetVar(st, v1, r.text.IsEmpty() ? CString("@NULL") : r.text);
      else
        SetVar(st, v1, "@CANCEL");
      return UserDialogRun::kDone;
    }
    case 'h': {
      InputBoxRequest r;
      r.text = Var(st, v1);
      r.prompt = operand;
      r.mode = v2;
      r.target = v1;
      r.title = t1, r.okText = t2, r.cancelText = t3;
      return host.OpenHoldInput(r) ? UserDialogRun::kOpen : UserDialogRun::kDone;
    }
    case 'n':
    case 'p': {
      ChoiceRequest r;
      const std::vector<CString> parts = ChoiceTexts(operand);
      r.text = parts.empty() ? CString() : parts[0];
      for (std::size_t k = 1; k < parts.size(); ++k) r.buttons[k - 1] = parts[k];
      r.title = t1;
      if (letter == 'p') {
        r.target = v1;
        return host.OpenChoice(r) ? UserDialogRun::kOpen : UserDialogRun::kDone;
      }
      SetVar(st, v1, host.RunChoice(r) == kDialogOk ? r.answer : CString("@CANCEL"));
      return UserDialogRun::kDone;
    }
    case 'a':
    case 'b': {
      const bool extended = letter == 'b';
      csv::CondDialogValues values = MacroCondDialogFill(st, extended, operand);
      if (host.RunSelectCondDialog(extended, values))
        MacroCondDialogStore(st, extended, values);
      else
        SetVar(st, v1, "@CANCEL");
      return UserDialogRun::kDone;
    }
    case 'c':
    case 'd':
    case 'o':
      d.m_bDesignMode = letter == 'd' ? 1 : 0;
      d.ClearSlots();
      UserDialogReadDefinition(d, Var(st, v1), letter == 'd');
      UserDialogReadBindings(d, Var(st, v2), st.m_strMacroVars);
      if (!st.m_strStmtOperand.IsEmpty()) d.m_strItemValue[1] = st.m_strStmtOperand;
      d.m_strFontFace = sc.fontFace;
      d.m_bModeless = 0;
      d.m_nAnswerVar = letter == 'o' ? v1 : 0;
      // The dialog window built from these slots is not available yet.
      return UserDialogRun::kNotAvailable;
    case 'r':
    case 'w':
    case 'x':
      if (host.HoldInputOpen()) {
        if (letter == 'x')
          host.CloseHoldInput();
        else if (letter == 'w')
          host.SetHoldInputText(Var(st, v1));
        else
          SetVar(st, v1, host.HoldInputText());
        return UserDialogRun::kDone;
      }
      if (letter == 'x') {
        d.m_bModeless = 0;
        return UserDialogRun::kDone;
      }
      if (d.Ended()) {
        st.m_strLastResult() = d.m_strItemValue[0];
        return UserDialogRun::kDone;
      }
      if (d.m_bModeless != 0) ExchangeOpenDialog(st, letter == 'r');
      return UserDialogRun::kDone;
    default:
      return UserDialogRun::kDone;
  }
}

Outcome MacroExecInput(MacroRunContext& rc) {
  MacroState& st = rc.state;
  const CString& cmd = st.m_strStmtCommand;
  if (cmd.Left(4) == "&Imm") {
    // With no IME context the state reads as closed and nothing is switched.
    const int was = rc.host.SwitchIme(cmd.GetLength() > 0 && cmd[cmd.GetLength() - 1] == '1');
    st.m_strMacroVars[kSlotImeState] = was == 1 ? "1" : "0";
    return Outcome::kNext;
  }
  st.m_strStmtOperand = MacroExpandLineEscapes(st.m_strStmtOperand, 0);
  int target = st.m_anStmtNumbers[0];
  if (target <= 0) target = kDefaultTarget;
  int second = st.m_anStmtNumbers[1];
  if (second == 0) {
    second = kDefaultSecond;
  } else if (InVarRange(second)) {
    AddressScope scope{st};
    scope.host = &rc.host;
    scope.table = &rc.table;
    scope.text = rc.table.m_pTextBuf;
    scope.length = rc.table.UsedLength();
    st.m_strMacroVars[second] = MacroParseRowData(scope, st.m_strMacroVars[second], kRowDataKind);
  }
  if (st.m_nMacroFrameCount >= 2 && !st.m_strMacroVars[kSlotSubValue].IsEmpty()) {
    SetVar(st, target, st.m_strMacroVars[kSlotSubValue]);
    return Outcome::kNext;
  }
  if (st.m_nMacroRunMode == kRunNestedFile && !st.m_strMacroArg.IsEmpty() && st.m_nMacroArgPos < kArgPosLimit) {
    CString answer;
    if (!MacroNextArgAnswer(st.m_strMacroArg, &st.m_nMacroArgPos, &answer)) answer.Empty();
    SetVar(st, target, answer);
    return Outcome::kNext;
  }
  const char letter = cmd.GetLength() > 2 ? cmd[2] : '\0';
  UserDialogScope sc{st, rc.host, &rc.table, rc.docSettings.m_strBtitleFace};
  switch (MacroRunUserDialog(sc, letter, target, second, st.m_anStmtNumbers[2], st.m_anStmtNumbers[3])) {
    case UserDialogRun::kDone:
      return Outcome::kNext;
    case UserDialogRun::kOpen:
      return Outcome::kPause;
    case UserDialogRun::kNotAvailable:
      break;
  }
  RunErrorArgs args;
  args.command = st.m_strStmtCommand;
  args.operand = st.m_strStmtOperand;
  args.line = st.m_nCmdLineNo;
  return MacroRaiseRunError(&rc.host, RunError::kNotAvailableYet, args);
}

}  // namespace macro
