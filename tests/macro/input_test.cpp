// The input statements: dialog results, the user dialog's definition and
// binding readers, the OK rule, the value conversions, the design text and
// the statement's answers without a dialog.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "macro/macro_argcursor.h"
#include "macro/macro_input.h"
#include "macro/macro_state.h"
#include "macro/macro_userdlg.h"
#include "run_fixture.h"
#include "test_host.h"

namespace {

using macro::UserDialogState;

struct Fixture {
  std::unique_ptr<macro::MacroState> st = std::make_unique<macro::MacroState>();
  macrotest::TestHost host;
  macro::UserDialogScope scope{*st, host, nullptr, "Meiryo"};
  std::string Var(int n) const { return st->m_strMacroVars[n].GetString(); }
  macro::UserDialogRun Run(const char* command, const char* operand, char letter, int v1, int v2, int x = 0,
                           int y = 0) {
    st->m_strStmtCommand = command;
    st->m_strStmtOperand = operand;
    return macro::MacroRunUserDialog(scope, letter, v1, v2, x, y);
  }
};

// --- MacroDialogSetResult ----------------------------------------------------------

TEST(DialogResult, EveryKindStoresItsAnswerAndArmsTheTimerAt1Ms) {
  struct Case {
    int kind;
    const char* text;
    int target;
    int slot;
    const char* want;
  } cases[] = {
      {macro::kResultInput, "typed", 180, 180, "typed"},
      {macro::kResultChoice, "3", 181, 181, "3"},
      {macro::kResultProgressOk, "", 0, 146, "@OK"},
      {macro::kResultProgressCancel, "", 0, 146, "@CANCEL"},
      {5, "", 0, 146, "@CANCEL"},
      {-1, "", 0, 146, "@CANCEL"},
  };
  for (const Case& c : cases) {
    Fixture f;
    macro::MacroDialogSetResult(*f.st, f.host, c.kind, c.text, c.target);
    EXPECT_EQ(c.want, f.Var(c.slot)) << "kind " << c.kind;
    ASSERT_EQ(1u, f.host.resumeArms.size());
    EXPECT_EQ(1, f.host.resumeArms[0]);
  }
}

TEST(DialogResult, TargetsOutsideTheStoreWriteNothing) {
  for (int target : {0, -3, 5181, 2147483647}) {
    Fixture f;
    macro::MacroDialogSetResult(*f.st, f.host, macro::kResultInput, "x", target);
    macro::MacroDialogSetResult(*f.st, f.host, macro::kResultChoice, "2", target);
    for (int k = 0; k < macro::kVarSlots; ++k) ASSERT_EQ("", f.Var(k)) << target;
    EXPECT_EQ(2u, f.host.resumeArms.size());
  }
}

TEST(DialogResult, UserDialogFieldsGoToTheirVariables) {
  Fixture f;
  UserDialogState& d = f.st->m_userDialog;
  f.st->m_strMacroVars[20] = "old20";
  f.st->m_strMacroVars[21] = "old21";
  d.m_strItemValue[0] = "@OK";  // field 1, target 0: still slot 146
  d.m_chItemKind[4] = 'B', d.m_nItemVar[4] = 20, d.m_strItemValue[4] = "0";
  d.m_chItemKind[5] = 'B', d.m_nItemVar[5] = 21, d.m_strItemValue[5] = "1";
  d.m_chItemKind[6] = 'E', d.m_nItemVar[6] = 0, d.m_strItemValue[6] = "none";
  d.m_chItemKind[7] = 'E', d.m_nItemVar[7] = 5181, d.m_strItemValue[7] = "beyond";
  d.m_chItemKind[8] = 'E', d.m_nItemVar[8] = 22, d.m_strItemValue[8] = "";
  d.m_chItemKind[9] = 'E', d.m_nItemVar[9] = 23, d.m_strItemValue[9] = "first";
  d.m_chItemKind[10] = 'E', d.m_nItemVar[10] = 23, d.m_strItemValue[10] = "later";
  d.m_chItemKind[100] = 'E', d.m_nItemVar[100] = 24, d.m_strItemValue[100] = "item 100";
  macro::MacroDialogSetResult(*f.st, f.host, macro::kResultUserDialog);
  EXPECT_EQ("@OK", f.Var(146));
  EXPECT_EQ("old20", f.Var(20));  // a "B" field of "0"
  EXPECT_EQ("1", f.Var(21));
  EXPECT_EQ("", f.Var(22));
  EXPECT_EQ("later", f.Var(23));
  EXPECT_EQ("", f.Var(24));  // only items 0-99 answer
  EXPECT_EQ("", f.Var(0));
  EXPECT_EQ(std::vector<int>{1}, f.host.resumeArms);
}

// --- The definition and binding readers ---------------------------------------------

TEST(UserDialogReaders, DefinitionEntries) {
  UserDialogState d;
  macro::UserDialogReadDefinition(d, "#250,E,1,2,3,4,$big;#2,O,1,1>link one;#99999999999999,K,x;", false);
  EXPECT_EQ("K,x", std::string(d.m_strItemDef[199].GetString()));  // the last entry over 199 wins
  EXPECT_EQ("O,1,1", std::string(d.m_strItemDef[2].GetString()));
  EXPECT_EQ(">link one", std::string(d.m_strItemLink[2].GetString()));
}

TEST(UserDialogReaders, DesignModeStartsFromTheDefaultDescription) {
  for (const char* text : {"", "#1,W,1;"}) {
    UserDialogState d;
    macro::UserDialogReadDefinition(d, text, true);
    EXPECT_EQ("W,100,100,500,500,Z      $Sample", std::string(d.m_strItemDef[1].GetString()));
    EXPECT_EQ("O,300, 20, 80, 30,6C     $OK", std::string(d.m_strItemDef[2].GetString()));
    EXPECT_EQ("C,400, 20, 80, 30,6C     $\xB7\xAC\xDD\xBE\xD9", std::string(d.m_strItemDef[3].GetString()));
  }
  UserDialogState plain;  // "inputcustom" with an empty definition builds nothing
  macro::UserDialogReadDefinition(plain, "", false);
  for (int k = 0; k < macro::kUserDialogSlots; ++k) EXPECT_TRUE(plain.m_strItemDef[k].IsEmpty());
}

TEST(UserDialogReaders, Bindings) {
  struct Case {
    const char* text;
    int slot;
    int var;
    const char* value;
  } cases[] = {
      {"#4,a=@;", 4, 142, "from a"},
      {"#4,12=\\@;", 4, 12, "@"},
      {"#4,T;", 4, 0, ""},
      {"#4,5=abc", 4, 5, "abc   "},  // the last entry keeps three of the four blanks
      {"#4, 7=x>skipped=y;#5,8=z;", 5, 8, "z"},
      {"#4, 7=x>skipped=y;#5,8=z;", 4, 7, "x"},
      {"#4,99999999999=big;", 4, 0, "big"},  // beyond the store: no variable
      {"#4,5181=v;", 4, 0, "v"},
      {"#300,6=w;", 199, 6, "w"},
      {"ab", 1, 0, ""},  // short: "#1;#2;#3;"
  };
  for (const Case& c : cases) {
    Fixture f;
    f.st->m_strMacroVars[142] = "from a";
    UserDialogState& d = f.st->m_userDialog;
    macro::UserDialogReadBindings(d, c.text, f.st->m_strMacroVars);
    EXPECT_EQ(c.var, d.m_nItemVar[c.slot]) << c.text;
    EXPECT_EQ(c.value, std::string(d.m_strItemValue[c.slot].GetString())) << c.text;
  }
}

TEST(UserDialogReaders, OkCollectsEditsAlwaysAndOthersWhenSet) {
  Fixture f;
  UserDialogState& d = f.st->m_userDialog;
  for (int v = 20; v <= 25; ++v) f.st->m_strMacroVars[v] = "old";
  d.m_strItemValue[1] = "window";
  d.m_chItemKind[4] = 'E', d.m_nItemVar[4] = 20;                              // empty edit: emptied
  d.m_chItemKind[5] = 'L', d.m_nItemVar[5] = 21, d.m_strItemValue[5] = "0";   // list box "0": kept
  d.m_chItemKind[6] = 'M', d.m_nItemVar[6] = 22;                              // empty drop-down: kept
  d.m_chItemKind[7] = 'K', d.m_nItemVar[7] = 23, d.m_strItemValue[7] = "0";   // check box: always
  d.m_chItemKind[8] = 'l', d.m_nItemVar[8] = 24, d.m_strItemValue[8] = "two";
  d.m_chItemKind[9] = 'E', d.m_nItemVar[9] = 0, d.m_strItemValue[9] = "nowhere";
  macro::UserDialogCollectOk(d, *f.st);
  EXPECT_EQ("@OK", f.Var(146));
  EXPECT_EQ("window", f.Var(155));
  EXPECT_EQ("", f.Var(20));
  EXPECT_EQ("old", f.Var(21));
  EXPECT_EQ("old", f.Var(22));
  EXPECT_EQ("0", f.Var(23));
  EXPECT_EQ("two", f.Var(24));
  EXPECT_EQ("", f.Var(0));
}

// --- 'r' and 'w' per control letter -------------------------------------------------

TEST(UserDialogValues, ReadEachLetter) {
  macro::ControlReading r;
  r.text = "typed";
  r.selIndex = 2;
  r.selText = "third";
  r.check = 1;
  r.year = 2026, r.month = 3, r.day = 9;
  r.position = 30;
  struct Case {
    char kind;
    int ordinal, base, reverse;
    bool gives;
    const char* want;
  } cases[] = {
      {'E', 0, 0, 0, true, "typed"},  {'M', 0, 0, 0, true, "3"},    {'m', 0, 0, 0, true, "third"},
      {'L', 0, 0, 0, true, "3"},      {'l', 0, 0, 0, true, "third"}, {'K', 0, 0, 0, true, "1"},
      {'R', 0, 0, 0, true, "1"},      {'D', 1, 0, 0, true, "20260309"}, {'D', 11, 0, 0, false, ""},
      {'I', 1, -50, 0, true, "-20"},  {'I', 1, -50, 50, true, "20"}, {'U', 1, 0, 0, true, "30"},
      {'T', 0, 0, 0, false, ""},      {'P', 1, 0, 0, false, ""},    {'X', 0, 0, 0, false, ""},
  };
  for (const Case& c : cases) {
    CString out = "unchanged";
    EXPECT_EQ(c.gives, macro::UserDialogReadConversion(c.kind, c.ordinal, c.base, c.reverse, r, &out)) << c.kind;
    EXPECT_EQ(c.gives ? c.want : "unchanged", std::string(out.GetString())) << c.kind;
  }
  macro::ControlReading none;  // a missing selection counts as index 0
  CString out;
  ASSERT_TRUE(macro::UserDialogReadConversion('L', 0, 0, 0, none, &out));
  EXPECT_EQ("1", std::string(out.GetString()));
  none.text = CString(std::string(9500, 'x'));
  ASSERT_TRUE(macro::UserDialogReadConversion('E', 0, 0, 0, none, &out));
  EXPECT_EQ(9000, out.GetLength());
}

TEST(UserDialogValues, WriteEachLetter) {
  using W = macro::ControlWrite;
  struct Case {
    char kind;
    const char* text;
    int base, reverse;
    W::Action action;
    int value;
    bool setsCurSel;
  } cases[] = {
      {'E', "hello", 0, 0, W::kText, 0, false}, {'T', "5", 0, 0, W::kNone, 0, false},
      {'M', "3", 0, 0, W::kSelect, 2, true},    {'M', "0", 0, 0, W::kSelect, 0, true},
      {'L', "0", 0, 0, W::kSelect, 0, false},   {'L', "-4", 0, 0, W::kSelect, 0, false},
      {'K', "7", 0, 0, W::kCheck, 1, false},    {'R', "-1", 0, 0, W::kCheck, 0, false},
      {'P', "40", 0, 0, W::kProgress, 40, true}, {'I', "10", -50, 0, W::kTrack, 60, true},
      {'I', "10", -50, 50, W::kTrack, 40, true}, {'U', "65537", 0, 0, W::kSpin, 1, true},
      {'m', "2", 0, 0, W::kNone, 0, false},     {'D', "20260101", 0, 0, W::kNone, 0, false},
  };
  for (const Case& c : cases) {
    const W w = macro::UserDialogWriteConversion(c.kind, c.text, c.base, c.reverse);
    EXPECT_EQ(c.action, w.action) << c.kind << c.text;
    if (c.action != W::kText) {
      EXPECT_EQ(c.value, w.value) << c.kind << c.text;
    }
    EXPECT_EQ(c.setsCurSel, w.setsCurSel) << c.kind << c.text;
  }
  EXPECT_EQ(65537, macro::UserDialogWriteConversion('U', "65537", 0, 0).curSel);
}

// --- The design description -----------------------------------------------------------

void TwelveControls(UserDialogState& d) {
  auto set = [&d](int k, const char* line, char kind, int var, const char* value) {
    d.m_strItemDef[k] = line;
    d.m_chItemKind[k] = kind;
    d.m_nItemVar[k] = var;
    d.m_strItemValue[k] = value;
  };
  set(1, "W,100,100,500,500,Z      $Sample", 'W', 0, "");
  set(2, "O,300, 20, 80, 30,6C     $OK", 'O', 0, "");
  set(3, "C,400, 20, 80, 30,6C     $Cancel", 'C', 0, "");
  set(4, "E, 10, 60,200, 24,       $", 'E', 142, "abc");
  set(5, "m, 10, 90,120,200,       $A|B|C", 'm', 0, "B");
  d.m_nItemCurSel[5] = 1;
  set(6, "K, 10,120,100, 20,       $check", 'K', 12, "1");
  set(7, "T, 10,150,200, 20,       $label", 'T', 0, "");
  set(8, "L,220, 60,100, 80,       $x|y", 'L', 181, "2");
  set(9, "R,220,150,100, 20,       $radio", 'R', 0, "0");
  set(10, "P, 10,180,200, 12,", 'P', 190, "40");
  d.m_strItemLink[10] = ">link";
  set(11, "I, 10,200,200, 24,", 'I', 0, "5");
  set(12, "T,220,200,100, 24,       $a\r\nb", 'T', 0, "x");
}

// Written from the rules: "\t&D" heads, "2\t\t" before every definition entry
// but the first, "# n," below 10, the value entries of slots above 3 (no
// empty text control; the slot as variable when none is bound; a 'm'
// drop-down as its number), "\n2\t\t" before the tenth, three line ends.
const char kGolden[] =
    "\t&Da\t"
    "# 1,W,100,100,500,500,Z      $Sample;\n"
    "2\t\t# 2,O,300, 20, 80, 30,6C     $OK;\n"
    "2\t\t# 3,C,400, 20, 80, 30,6C     $Cancel;\n"
    "2\t\t# 4,E, 10, 60,200, 24,       $;\n"
    "2\t\t# 5,m, 10, 90,120,200,       $A|B|C;\n"
    "2\t\t# 6,K, 10,120,100, 20,       $check;\n"
    "2\t\t# 7,T, 10,150,200, 20,       $label;\n"
    "2\t\t# 8,L,220, 60,100, 80,       $x|y;\n"
    "2\t\t# 9,R,220,150,100, 20,       $radio;\n"
    "2\t\t#10,P, 10,180,200, 12,>link;\n"
    "2\t\t#11,I, 10,200,200, 24,;\n"
    "2\t\t#12,T,220,200,100, 24,       $a\\nb;\n"
    "\t&D300\t"
    "#4,142=abc; #5,5=2; #6,12=1; #8,181=2; #9,9=0; \n2\t\t#10,190=40; #11,11=5; #12,12=x; "
    "\n\n\n";

TEST(UserDialogDesign, TwelveControlsGiveTheHandWrittenText) {
  UserDialogState d;
  TwelveControls(d);
  EXPECT_EQ(kGolden, std::string(macro::UserDialogDesignText(d, 142, 300).GetString()));
}

TEST(UserDialogDesign, OkPutsTheTextOnTheClipboard) {
  Fixture f;
  TwelveControls(f.st->m_userDialog);
  macro::MacroUserDialogEnded(f.scope, 'd', 142, 300, true);
  EXPECT_EQ(kGolden, f.host.clipboard);
  EXPECT_EQ("@OK", f.Var(146));
  Fixture c;
  macro::MacroUserDialogEnded(c.scope, 'd', 142, 300, false);
  EXPECT_EQ("before", c.host.clipboard);
  EXPECT_EQ("@CANCEL", c.Var(146));
}

TEST(UserDialogDesign, ADescriptionOverTheBlockIsRefused) {
  // 24,999 bytes with the NUL fit; one byte more is refused whole.
  for (int extra : {0, 1}) {
    Fixture f;
    UserDialogState& d = f.st->m_userDialog;
    d.m_strItemDef[0] = "x";
    const int fixed = macro::UserDialogDesignText(d, 1, 2).GetLength();
    d.m_strItemDef[0] = CString(std::string(static_cast<std::size_t>(24999 - fixed + 1 + extra), 'x'));
    ASSERT_EQ(24999 + extra, macro::UserDialogDesignText(d, 1, 2).GetLength());
    macro::MacroUserDialogEnded(f.scope, 'd', 1, 2, true);
    if (extra == 0) {
      EXPECT_EQ(24999u, f.host.clipboard.size());
      EXPECT_EQ("@OK", f.Var(146));
    } else {
      EXPECT_EQ("before", f.host.clipboard);
      EXPECT_EQ("EROR", f.Var(146));
    }
  }
}

// --- MacroRunUserDialog -----------------------------------------------------------------

TEST(RunUserDialog, InputTextsOfTheCommand) {
  struct Case {
    const char* command;
    const char* t1;
    const char* t2;
    const char* t3;
  } cases[] = {
      {"&I", "", "", ""},
      {"&Ih:Title", "Title", "", ""},
      {"&Ih:Title@Go;Stop", "Title", "Go", "Stop"},
      {"&Ih:@;No", "", "", "No"},
      {"&Ih:a@b", "a", "b", ""},
      // A full-width blank ends in '@' (0x81 0x40) and stays in its text.
      {"&Ih:名前　入力@決定;中止", "名前　入力", "決定", "中止"},
  };
  for (const Case& c : cases) {
    CString t1, t2, t3;
    macro::MacroInputTexts(c.command, &t1, &t2, &t3);
    EXPECT_EQ(c.t1, std::string(t1.GetString())) << c.command;
    EXPECT_EQ(c.t2, std::string(t2.GetString())) << c.command;
    EXPECT_EQ(c.t3, std::string(t3.GetString())) << c.command;
  }
}

TEST(RunUserDialog, PlainInputOkCancelAndEmpty) {
  struct Case {
    int answer;
    const char* typed;
    const char* want;
    const char* last;
  } cases[] = {
      {macro::kDialogOk, "abc", "abc", "@OK"},
      {macro::kDialogOk, "", "@NULL", "@OK"},
      {macro::kDialogCancel, "x", "@CANCEL", "@CANCEL"},
  };
  for (const Case& c : cases) {
    Fixture f;
    f.st->m_strMacroVars[180] = "start";
    f.host.dialogAnswer = c.answer;
    f.host.dialogText = c.typed;
    EXPECT_EQ(macro::UserDialogRun::kDone, f.Run("&I:Cap@Yes;No", "name?", '\0', 180, 143));
    EXPECT_EQ(c.want, f.Var(180));
    EXPECT_EQ(c.last, f.Var(146));
    EXPECT_EQ("start", std::string(f.host.lastInput.text.GetString()));
    EXPECT_EQ("name?", std::string(f.host.lastInput.prompt.GetString()));
    EXPECT_EQ("Cap", std::string(f.host.lastInput.title.GetString()));
    EXPECT_EQ("Yes", std::string(f.host.lastInput.okText.GetString()));
    EXPECT_EQ("No", std::string(f.host.lastInput.cancelText.GetString()));
  }
}

TEST(RunUserDialog, MenuAndChoice) {
  Fixture f;
  f.host.dialogText = "";
  f.Run("&Im;opts", "prompt", 'm', 180, 0, 5, 2);
  EXPECT_EQ("@NULL", f.Var(180));
  EXPECT_EQ("opts", std::string(f.host.lastMenu.tail.GetString()));
  EXPECT_EQ(4005, f.host.lastMenu.position);
  f.host.dialogAnswer = macro::kDialogCancel;
  f.Run("&Im", "", 'm', 180, 0);
  EXPECT_EQ("@CANCEL", f.Var(180));

  f.host.dialogAnswer = macro::kDialogOk;
  f.host.dialogText = "3";
  f.Run("&In:Pick", "choose|A|B|C", 'n', 181, 0);
  EXPECT_EQ("3", f.Var(181));
  EXPECT_EQ("choose", std::string(f.host.lastChoice.text.GetString()));
  EXPECT_EQ("C", std::string(f.host.lastChoice.buttons[2].GetString()));
  EXPECT_EQ("", std::string(f.host.lastChoice.buttons[3].GetString()));
  EXPECT_EQ("Pick", std::string(f.host.lastChoice.title.GetString()));
  // 'ポ' ends in '|' (0x83 0x7C): no cut inside it.
  f.Run("&In", "選択|ポスト|B", 'n', 181, 0);
  EXPECT_EQ("ポスト", std::string(f.host.lastChoice.buttons[0].GetString()));
  EXPECT_EQ("B", std::string(f.host.lastChoice.buttons[1].GetString()));
  f.Run("&In", "t|1|2|3|4|5|6|7", 'n', 181, 0);
  EXPECT_EQ("5", std::string(f.host.lastChoice.buttons[4].GetString()));  // six texts at most
  EXPECT_EQ(macro::UserDialogRun::kOpen, f.Run("&Ip", "t|a|b", 'p', 182, 0));
  EXPECT_EQ(182, f.host.lastChoice.target);
}

TEST(RunUserDialog, PresetAnswerOnlyInsideAnInsertedMacro) {
  Fixture f;
  f.st->m_strMacroVars[100] = "preset";
  f.st->m_nMacroPos = 10;
  f.host.dialogText = "asked";
  f.Run("&Im", "", 'm', 180, 0);
  EXPECT_EQ("asked", f.Var(180));
  f.st->m_nInsertedMacroEnd = 50;
  for (char letter : {'m', 'n', '\0'}) {
    f.host.dialogs.clear();
    f.st->m_strMacroVars[180].Empty();
    f.Run("&I", "", letter, 180, 0);
    EXPECT_EQ("preset", f.Var(180)) << letter;
    EXPECT_TRUE(f.host.dialogs.empty()) << letter;
  }
}

TEST(RunUserDialog, HoldDialogReadWriteExit) {
  Fixture f;
  f.st->m_strMacroVars[180] = "first";
  EXPECT_EQ(macro::UserDialogRun::kOpen, f.Run("&Ih:T@O;C", "ask", 'h', 180, 0));
  EXPECT_EQ(180, f.host.lastInput.target);
  EXPECT_EQ("first", f.host.holdText);
  f.st->m_strMacroVars[180] = "written";
  f.Run("&Iw", "", 'w', 180, 0);
  EXPECT_EQ("written", f.host.holdText);
  f.host.holdText = "typed";
  f.Run("&Ir", "", 'r', 181, 0);
  EXPECT_EQ("typed", f.Var(181));
  f.Run("&Ix", "", 'x', 0, 0);
  EXPECT_FALSE(f.host.holdOpen);
}

TEST(RunUserDialog, ReadAfterTheUserDialogEndedOnlySetsTheAnswer) {
  Fixture f;
  UserDialogState& d = f.st->m_userDialog;
  d.m_strItemValue[0] = "@OK";
  d.m_chItemKind[4] = 'E', d.m_nItemVar[4] = 20, d.m_strItemValue[4] = "value";
  f.Run("&Ir", "", 'r', 180, 0);
  EXPECT_EQ("@OK", f.Var(146));
  EXPECT_EQ("", f.Var(20));
}

TEST(RunUserDialog, WriteIntoTheOpenDialogSelectsTheFirstItemForZero) {
  Fixture f;
  UserDialogState& d = f.st->m_userDialog;
  d.m_bModeless = 1;
  d.m_chItemKind[4] = 'M', d.m_nItemVar[4] = 20, d.m_nItemCurSel[4] = 3;
  d.m_chItemKind[5] = 'E', d.m_nItemVar[5] = 21;
  f.st->m_strMacroVars[20] = "0";
  f.st->m_strMacroVars[21] = "new text";
  f.Run("&Iw", "", 'w', 180, 0);
  EXPECT_EQ(0, d.m_nItemCurSel[4]);
  EXPECT_EQ("new text", std::string(d.m_strItemValue[5].GetString()));
  f.Run("&Ir", "", 'r', 180, 0);
  EXPECT_EQ("1", f.Var(20));
}

TEST(RunUserDialog, UserDialogLettersReadTheSlotsThenAreNotAvailable) {
  Fixture f;
  f.st->m_strMacroVars[180] = "#4,E,10,10,100,20,$;#5,K,1,1,1,1,$k>go;";
  f.st->m_strMacroVars[181] = "#4,a=@;#5,20=1;";
  f.st->m_strMacroVars[142] = "shown";
  f.st->m_userDialog.m_strItemDef[150] = "stale";
  EXPECT_EQ(macro::UserDialogRun::kNotAvailable, f.Run("&Io", "caption", 'o', 180, 181));
  const UserDialogState& d = f.st->m_userDialog;
  EXPECT_TRUE(d.m_strItemDef[150].IsEmpty());
  EXPECT_EQ("E,10,10,100,20,$", std::string(d.m_strItemDef[4].GetString()));
  EXPECT_EQ(">go", std::string(d.m_strItemLink[5].GetString()));
  EXPECT_EQ(142, d.m_nItemVar[4]);
  EXPECT_EQ("shown", std::string(d.m_strItemValue[4].GetString()));
  EXPECT_EQ("caption", std::string(d.m_strItemValue[1].GetString()));
  EXPECT_EQ("Meiryo", std::string(d.m_strFontFace.GetString()));
  EXPECT_EQ(0, d.m_bDesignMode);
  f.Run("&Id", "", 'd', 500, 181);
  EXPECT_EQ(1, f.st->m_userDialog.m_bDesignMode);
  EXPECT_FALSE(f.st->m_userDialog.m_strItemDef[2].IsEmpty());  // the default description
}

// --- The selection-condition dialogs -----------------------------------------------------

TEST(RunUserDialog, SelectionConditionDialogFieldsFromVariables11On) {
  Fixture f;
  f.st->m_strMacroVars[11] = "Kind|A|B";
  f.st->m_strMacroVars[12] = "From|20250704";
  f.st->m_strMacroVars[13] = "To|2025/7/4";
  f.st->m_strMacroVars[18] = "Word only";
  f.st->m_strMacroVars[20] = "Check|1";
  f.st->m_strMacroVars[21] = "Other|yes";
  f.host.onCond = [](csv::CondDialogValues& v) {
    v.fields[0] = "B";
    v.fields[1] = "20260131";
    v.fields[2] = "20260201";
    v.fields[7] = "typed";
    v.fields[9] = "0";
    v.fields[10] = "1";
    v.fields[11] = "0";
  };
  f.Run("&Ia", "Caption", 'a', 180, 0);
  ASSERT_EQ(14u, f.host.lastCond.fields.size());
  EXPECT_EQ("Caption", f.host.lastCond.caption);
  EXPECT_EQ("Kind", f.host.lastCond.prompts[0]);
  EXPECT_EQ("A|B", f.host.lastCond.fields[0]);
  EXPECT_EQ("20250704", f.host.lastCond.fields[1]);
  EXPECT_EQ("20100101", f.host.lastCond.fields[2]);  // not yyyymmdd
  EXPECT_EQ("Word only", f.host.lastCond.prompts[7]);
  EXPECT_EQ("", f.host.lastCond.fields[7]);
  EXPECT_EQ("1", f.host.lastCond.fields[9]);
  EXPECT_EQ("0", f.host.lastCond.fields[10]);
  EXPECT_EQ("B", f.Var(11));
  EXPECT_EQ("20260131", f.Var(12));
  EXPECT_EQ("20260201", f.Var(13));
  EXPECT_EQ("typed", f.Var(18));
  EXPECT_EQ("0", f.Var(20));
  EXPECT_EQ("1", f.Var(21));
  EXPECT_EQ("", f.Var(22));  // unchecked and empty: stays empty
  f.host.condOk = false;
  f.Run("&Ia", "", 'a', 180, 0);
  EXPECT_EQ("@CANCEL", f.Var(180));
}

TEST(RunUserDialog, ExtendedDialogDatesUpTo1970GiveNoDate) {
  Fixture f;
  f.st->m_strMacroVars[33] = "From|19700101";
  f.st->m_strMacroVars[34] = "To|19710101";
  f.host.condOk = false;
  f.Run("&Ib", "", 'b', 180, 0);
  ASSERT_EQ(31u, f.host.lastCond.fields.size());
  EXPECT_EQ("", f.host.lastCond.fields[22]);
  EXPECT_EQ("19710101", f.host.lastCond.fields[23]);
  EXPECT_EQ("From", f.host.lastCond.prompts[22]);
}

// --- The arg answers ----------------------------------------------------------------------

TEST(ArgAnswers, FieldsInTurnThenUsedUp) {
  const CString arg = "1,0,,x y";
  std::int32_t pos = 0;
  CString a;
  const char* want[] = {"1", "0", "", "x y"};
  for (const char* w : want) {
    ASSERT_TRUE(macro::MacroNextArgAnswer(arg, &pos, &a));
    EXPECT_EQ(w, std::string(a.GetString()));
  }
  EXPECT_FALSE(macro::MacroNextArgAnswer(arg, &pos, &a));
  pos = 0;
  ASSERT_TRUE(macro::MacroNextArgAnswer("a\r\nb", &pos, &a));
  EXPECT_EQ("a", std::string(a.GetString()));
}

// --- The statement (class 12) ---------------------------------------------------------------

class InputStatement : public macrotest::RunFixture<> {
 protected:
  macro::Outcome Exec(const char* command, const char* operand, int num1, int num2 = 0) {
    st->m_strStmtCommand = command;
    st->m_strStmtOperand = operand;
    st->m_anStmtNumbers[0] = num1;
    st->m_anStmtNumbers[1] = num2;
    st->m_anStmtNumbers[2] = st->m_anStmtNumbers[3] = 0;
    return macro::MacroExecInput(rc);
  }
};

TEST_F(InputStatement, ImeWithoutContextLeavesZero) {
  st->m_strMacroVars[128] = "1";
  EXPECT_EQ(macro::Outcome::kNext, Exec("&Imm1", "", -1));
  EXPECT_EQ("0", Var(128));
}

TEST_F(InputStatement, NestedRunAnswersFromArgThenEmpties) {
  st->m_strMacroArg = "yes,no";
  st->m_nMacroRunMode = macro::kRunNestedFile;  // only a mode-12 run answers from its list
  st->m_strMacroVars[142] = "old";
  Exec("&In", "q|a|b", -1);
  EXPECT_EQ("yes", Var(142));
  Exec("&I", "", 180);
  EXPECT_EQ("no", Var(180));
  Exec("&I", "", 181);
  st->m_strMacroVars[181] = "kept?";
  Exec("&I", "", 181);
  EXPECT_EQ("", Var(181));
  EXPECT_TRUE(host.boxes.empty());
}

TEST_F(InputStatement, SubroutineTakesSlot110) {
  st->m_nMacroFrameCount = 2;
  st->m_strMacroVars[110] = "given";
  EXPECT_EQ(macro::Outcome::kNext, Exec("&I", "", 0));
  EXPECT_EQ("given", Var(142));
}

TEST_F(InputStatement, UserDialogIsNotAvailableYet) {
  EXPECT_EQ(macro::Outcome::kErrorExit, Exec("&Ic", "", 180, 181));
  ASSERT_FALSE(host.reports.empty());
  EXPECT_NE(std::string::npos, host.reports.back().find("not available yet"));
}

TEST_F(InputStatement, WithoutWindowTheModalInputIsCancelled) {
  EXPECT_EQ(macro::Outcome::kNext, Exec("&I", "name", 190, 5181));
  EXPECT_EQ("@CANCEL", Var(190));
  EXPECT_EQ("@CANCEL", Var(146));
}

}  // namespace
