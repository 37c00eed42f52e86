// The message statements, the processing dialog's rules and the window
// statement: texts, answers from boxes and from the argument list of a
// nested file run, the block msgif skips, the check list, the dialog's
// parameters, placement and answer, and the main window's rectangle.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "csv/csv_checklist.h"
#include "csv/csv_table.h"
#include "macro/macro_argcursor.h"
#include "macro/macro_exec_message.h"
#include "macro/macro_msgplace.h"
#include "macro/macro_run.h"
#include "macro/macro_state.h"
#include "run_fixture.h"

namespace {

using macro::FramePlacement;
using macro::FrameShow;
using macro::MacroRect;

// A window side that records boxes with their style and answers them in
// turn, and stands in for the check list, the processing dialog and the
// main window.
class MsgHost : public macrotest::FakeRunHost {
 public:
  ~MsgHost() { checks.Release(); }
  struct Box {
    std::string text;
    int style;
  };
  std::vector<Box> shownBoxes;
  std::vector<int> answers;  // box answers in turn; then OK / Yes
  std::size_t answered = 0;
  std::string paramPath;
  csv::CheckList checks;
  MacroRect desktop{0, 0, 1024, 768}, view{100, 50, 700, 600};
  // The processing dialog.
  bool window = false;
  int pending = 0, recreated = 0, closed = 0, shows = 0;
  std::string okText, cancelText;
  int width = 254, height = 160;
  struct Move {
    int x, y, w, h;
  };
  std::vector<Move> moves;
  std::vector<ProgressTexts> updates;
  std::vector<std::string> holds;
  // The main window.
  std::vector<FramePlacement> placed;
  int layoutWord = 0;

  std::size_t cancelAtBox = 0;  // the user presses Cancel while this box (1-based) is up
  int MessageBoxAnswer(const CString& text, int style) override {
    shownBoxes.push_back({text.GetString(), style});
    if (shownBoxes.size() == cancelAtBox) pending = macro::kProgressCancelled;
    if (answered < answers.size()) return answers[answered++];
    return style == 4 ? 6 : 1;
  }
  CString ParamPath() override { return CString(paramPath.c_str()); }
  csv::CheckList* ViewCheckList() override { return &checks; }
  bool DesktopRect(MacroRect* r) override { return *r = desktop, true; }
  bool ViewRect(MacroRect* r) override { return *r = view, true; }
  bool ProgressRecreate(const CString& ok, const CString& cancel) override {
    okText = ok.GetString();
    cancelText = cancel.GetString();
    ++recreated;
    window = true;
    pending = 0;
    return true;
  }
  bool ProgressHasWindow() override { return window; }
  int ProgressTakeAnswer() override {
    const int a = pending;
    pending = 0;
    return a;
  }
  void ProgressClose() override {
    window = false;
    ++closed;
  }
  bool ProgressSize(int* w, int* h) override { return *w = width, *h = height, window; }
  void ProgressMove(int x, int y, int w, int h) override { moves.push_back({x, y, w, h}); }
  void ProgressHoldLayout(const CString& text) override { holds.push_back(text.GetString()); }
  void ProgressUpdate(const ProgressTexts& t) override { updates.push_back(t); }
  void ProgressShow() override { ++shows; }
  void PlaceFrame(const FramePlacement& p) override { placed.push_back(p); }
  void ApplyTextLayoutWord(int word) override { layoutWord = word; }
};

class Message : public macrotest::RunFixture<MsgHost> {
 protected:
  Message() : RunFixture(33) {}
  // One statement run by the executor, with the numbers the loop reads.
  macro::Outcome Exec(const char* command, const char* operand = "", int n1 = -1, int n2 = 0, int n3 = 0) {
    st->m_strStmtCommand = command;
    st->m_strStmtOperand = operand;
    st->m_anStmtNumbers[0] = n1;
    st->m_anStmtNumbers[1] = n2;
    st->m_anStmtNumbers[2] = n3;
    st->m_anStmtNumbers[3] = 0;
    // What preparation leaves after the word's ':'.
    const std::string c = command;
    const std::size_t colon = c.find(':');
    const CString rest(colon == std::string::npos ? "" : c.substr(colon + 1).c_str());
    return macro::MacroRunMessageStatement(rc, nullptr, 0, rest);
  }
  void Load(const std::string& file) { ASSERT_TRUE(table.LoadFileText(file.data(), file.size(), 64)); }
  std::string Text() const {
    std::string s(reinterpret_cast<const char*>(table.m_pTextBuf), table.m_nTextLen);
    for (char& c : s) c = c == 0x06 ? ',' : c;
    return s;
  }
  std::vector<std::uint32_t> Listed() const {
    std::vector<std::uint32_t> rows;
    for (std::uint32_t i = 0; i < host.checks.UsedEnd(); ++i) rows.push_back(host.checks.Entry(i));
    return rows;
  }
  // A macro file run as a nested file run (mode 12) with `arg`.
  int RunNestedFile(const std::string& text, const char* arg) {
    const std::string path = ::testing::TempDir() + "msgif_arg.rmc";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    EXPECT_NE(nullptr, f);
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    return macro::RunMacro(rc, macro::kRunNestedFile, CString(path.c_str()), arg, CString(::testing::TempDir().c_str()));
  }
};

TEST(MessageText, ParaAndLineBreaks) {
  struct Case {
    const char* text;
    const char* path;
    const char* want;
  } cases[] = {
      {"a&PARAb&PARA", "", "ab"},
      {"&PARA-&PARA", "C:\\d\\book.v1.csv", "book.v1-book.v1"},
      {"<&PARA>", "C:\\d\\plain", "<plain>"},
      {"&PARA", "C:\\x\\&PARA.txt", "&PARA"},  // the name holds "&PARA": replaced once
      {"no para", "C:\\d\\a.csv", "no para"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.want, macro::MacroReplacePara(c.text, c.path).Str()) << c.text << " / " << c.path;

  struct Break {
    const char* text;
    const char* want;
  } breaks[] = {
      {"a\\nb", "a\r\nb"},
      {"a\\0nb", "a\r\nnb"},
      {"\\n\\0n\\n", "\r\n\r\nn\r\n"},
      {"\x95\\n", "\x95\\n"},  // the backslash is the second byte of a character
      {"end\\", "end\\"},
  };
  for (const Break& b : breaks) EXPECT_EQ(b.want, macro::MacroMessageLineBreaks(b.text).Str()) << b.text;

  // Variables are substituted after the escapes: a "\t" in a value stays,
  // its "\n" still becomes a line break.
  macro::MacroState st;
  st.m_strMacroVars[12] = "x\\ty\\nz";
  EXPECT_EQ("1\t2 x\\ty\r\nz", macro::MacroMessageText(st, nullptr, "1\\t2 &D12", "").Str());
}

TEST_F(Message, BoxesOfMessageAndTheOkCancelForm) {
  host.paramPath = "C:\\data\\sales.2024.csv";
  host.answers = {1, 2};
  st->m_strMacroVars[146] = "before";
  RunDocument("\tmsg\tfile &PARA\\nnext &PARA\r\n\t&Me\tgo on?\r\n\t&Me\tsure?\r\n");
  ASSERT_EQ(3u, host.shownBoxes.size());
  EXPECT_EQ("file sales.2024\r\nnext sales.2024", host.shownBoxes[0].text);
  EXPECT_EQ(0, host.shownBoxes[0].style);
  EXPECT_EQ(1, host.shownBoxes[1].style);
  EXPECT_EQ("EROR", Var(146));  // the second OK/Cancel box was cancelled
  host.shownBoxes.clear();
  host.answered = 0;
  host.answers = {1};
  st->m_strMacroVars[146] = "kept";
  Exec("&Me", "fine?");
  EXPECT_EQ("kept", Var(146));
}

TEST_F(Message, MessageIfNoSkipsTheDeeperBlock) {
  const std::string text = "\tdefine\ta,b\r\n\tmsgif\tgo?\r\n\t  [a]++\r\n\t  [a]++\r\n\t[b]++\r\n";
  host.answers = {7};
  RunDocument(text);
  ASSERT_EQ(1u, host.shownBoxes.size());
  EXPECT_EQ(4, host.shownBoxes[0].style);
  EXPECT_EQ("", Var(180));
  EXPECT_EQ("1", Var(181));
  host.answers = {6};
  host.answered = 0;
  RunDocument(text);
  EXPECT_EQ("2", Var(180));
  EXPECT_EQ("1", Var(181));
}

TEST_F(Message, NestedFileRunAnswersFromItsArgumentList) {
  const std::string text =
      "\tdefine\ta,b,c\r\n\tmsgif\tone\r\n\t  [a]++\r\n\tmsgif\ttwo\r\n\t  [b]++\r\n\tmsgif\tthree\r\n\t  [c]++\r\n";
  host.answers = {7};
  RunNestedFile(text, "1,0");
  // The first two took "1" and "0" without a box; the third asked.
  ASSERT_EQ(1u, host.shownBoxes.size());
  EXPECT_EQ("three", host.shownBoxes[0].text);
  EXPECT_EQ("1", Var(180));
  EXPECT_EQ("", Var(181));
  EXPECT_EQ("", Var(182));
}

TEST(ArgCursor, FieldsInTurn) {
  std::int32_t pos = 0;
  CString a;
  const CString arg("1,,x y\x01z,last");
  std::vector<std::string> got;
  while (macro::MacroNextArgAnswer(arg, &pos, &a)) got.push_back(a.GetString());
  EXPECT_EQ((std::vector<std::string>{"1", "", "x y"}), got);  // a control byte ends the list
  pos = -5;
  EXPECT_FALSE(macro::MacroNextArgAnswer("1", &pos, &a));
  pos = macro::kMacroArgPosLimit;
  EXPECT_FALSE(macro::MacroNextArgAnswer(CString(std::string(3000, '1').c_str()), &pos, &a));
  pos = 0;
  EXPECT_FALSE(macro::MacroNextArgAnswer("", &pos, &a));
  pos = 0;
  EXPECT_TRUE(macro::MacroNextArgAnswer("1,", &pos, &a));
  EXPECT_FALSE(macro::MacroNextArgAnswer("1,", &pos, &a));
}

TEST_F(Message, CheckListsEmptiesAndMarksRows) {
  Load("h1,h2\r\n\"0\",a\r\n\"1\",b\r\n\"0\",c\r\n\"1\",d\r\n");
  Exec("&Mc");
  EXPECT_EQ((std::vector<std::uint32_t>{3, 5}), Listed());
  EXPECT_EQ(1u, host.checks.m_nEntryListMode);
  EXPECT_EQ(host.checks.m_pEntryList, rc.checkList);  // the "#" statements see the new list
  EXPECT_GE(host.checks.m_nEntryListCount, static_cast<std::uint32_t>(table.m_nLastRow + 100));
  Exec("&Mc0");
  EXPECT_TRUE(Listed().empty());
  EXPECT_EQ(0u, host.checks.m_nEntryListMode);
  // The table lost rows since the list was made: rows 5 and 40 are gone,
  // and the title row is never marked.
  Load("h1,h2\r\n\"0\",a\r\n\" \",b\r\n\"0\",c\r\n");
  ASSERT_TRUE(host.checks.Reset(10));
  for (std::uint32_t r : {1u, 3u, 5u, 40u}) host.checks.Set(host.checks.m_nEntryListPos++, r);
  host.cleared = 0;
  Exec("&Mc1");
  EXPECT_EQ("h1,h2\r\n\"0\",a\r\n\"1\",b\r\n\"0\",c\r\n", Text());
  EXPECT_EQ(1, host.cleared);
  EXPECT_EQ(4u, host.checks.UsedEnd());  // the list stays
}

TEST_F(Message, CheckStatementInARun) {
  Load("h\r\n\"1\"\r\n\"0\"\r\n\"1\"\r\n");
  RunDocument("\tcheck\r\n");
  EXPECT_EQ((std::vector<std::uint32_t>{2, 4}), Listed());
}

// The rows "check" lists are the rows whose "#CK" is 1 for a condition of
// the same run, and no others.
TEST_F(Message, CheckedRowsAreTheRowsAConditionOnCkSelects) {
  Load("h1,h2\r\n\"0\",a\r\n\"1\",b\r\n\"0\",c\r\n\"1\",d\r\n\"0\",e\r\n");
  RunDocument("\tcheck\r\n\tif:&1#CK==1\t&2=sel\r\n");

  EXPECT_EQ((std::vector<std::uint32_t>{3, 5}), Listed());
  EXPECT_EQ("h1,h2\r\n\"0\",a\r\n\"1\",sel\r\n\"0\",c\r\n\"1\",sel\r\n\"0\",e\r\n", Text());
}

TEST(ProgressParams, Parts) {
  struct Case {
    const char* command;
    const char* caption;
    const char* second;
    const char* ok;
    const char* cancel;
  } cases[] = {
      {"&Mo5,6,7:cap:second@\x97\xb9\x89\xf0;\x92\x86\x8e\x7e", "cap", "second", "\x97\xb9\x89\xf0",
       "\x92\x86\x8e\x7e"},
      {"&Mo", "", "", "", ""},
      {"&Mo:cap", "cap", "", "", ""},
      {"&Mo:@OK", "", "", "OK", ""},
      {"&Mo::sec@;C", "", "sec", "", "C"},
      {"&Mo:a:b:c@x;y;z", "a", "b:c", "x", "y;z"},
      {"&Mo:\x83\x40:s", "\x83\x40", "s", "", ""},  // '@' as a second byte is no separator
  };
  for (const Case& c : cases) {
    const macro::ProgressParams p = macro::MacroProgressParams(c.command);
    EXPECT_EQ(c.caption, p.caption.Str()) << c.command;
    EXPECT_EQ(c.second, p.second.Str()) << c.command;
    EXPECT_EQ(c.ok, p.okText.Str()) << c.command;
    EXPECT_EQ(c.cancel, p.cancelText.Str()) << c.command;
  }
  EXPECT_EQ(macro::HiddenButton::kCancel, macro::MacroProgressHiddenButton("-", "-"));
  EXPECT_EQ(macro::HiddenButton::kOk, macro::MacroProgressHiddenButton("-", "x"));
  EXPECT_EQ(macro::HiddenButton::kNone, macro::MacroProgressHiddenButton("--", ""));
}

TEST(ProgressPlace, OnA1024By768Desktop) {
  const MacroRect desk{0, 0, 1024, 768}, view{100, 50, 700, 600};
  struct Case {
    const char* pos;
    int x, y;
  } cases[] = {
      {"C:C", (1024 - 254) / 2, (768 - 160) / 2},
      {"R10:B10", 1024 - 254 - 10, 768 - 160 - 10},
      {"100:200", 100, 200},
      {"C", (1024 - 254) / 2, 0},
      {"R:B", 1024 - 254, 768 - 160},
      {"R99999999999999:x7", 1024 - 254 - INT_MAX, 7},
  };
  for (const Case& c : cases) {
    const CString pos(c.pos);
    const macro::MacroPoint p = macro::MacroProgressPlace(&pos, desk, view, 254, 160);
    EXPECT_EQ(c.x, p.x) << c.pos;
    EXPECT_EQ(c.y, p.y) << c.pos;
  }
  const macro::MacroPoint beside = macro::MacroProgressPlace(nullptr, desk, view, 254, 160);
  EXPECT_EQ(700 - 254 - 30, beside.x);
  EXPECT_EQ(80, beside.y);
  EXPECT_EQ(INT32_MAX, macro::MacroReadSaturated("x99999999999999999999", 21));
}

TEST_F(Message, ProcessingDialogOpenWriteAndCancel) {
  st->m_strMacroVars[180] = "3/10";
  st->m_strMacroVars[181] = "30";
  st->m_strMacroVars[182] = "C:C";
  Exec("&Mo180,181,182:cap:sub@Go;-", "working", 180, 181, 182);
  EXPECT_EQ(1, host.recreated);
  EXPECT_EQ("-", host.cancelText);
  ASSERT_EQ(1u, host.moves.size());
  EXPECT_EQ((1024 - 254) / 2, host.moves[0].x);
  EXPECT_EQ((768 - 160) / 2, host.moves[0].y);
  ASSERT_EQ(1u, host.updates.size());
  EXPECT_EQ("cap", host.updates[0].caption.Str());
  EXPECT_EQ("sub", host.updates[0].second.Str());
  EXPECT_EQ("working", host.updates[0].main.Str());
  EXPECT_EQ("3/10", host.updates[0].varText.Str());
  EXPECT_TRUE(host.updates[0].showBar);
  EXPECT_EQ(30, host.updates[0].barPos);
  EXPECT_EQ(1, host.shows);
  // msgwrite without a position stays where it is; an empty progress
  // variable hides the bar.
  st->m_strMacroVars[181].Empty();
  Exec("&Mw180,181", "", 180, 181, 0);
  EXPECT_EQ(1u, host.moves.size());
  ASSERT_EQ(2u, host.updates.size());
  EXPECT_FALSE(host.updates[1].showBar);
  EXPECT_FALSE(host.updates[1].setMain);
  EXPECT_FALSE(host.updates[1].setCaption);
  // The user pressed Cancel: the next msgwrite stores the answer and closes.
  host.pending = macro::kProgressCancelled;
  Exec("&Mw180,181", "", 180, 181, 0);
  EXPECT_EQ("@CANCEL", Var(180));
  EXPECT_EQ(1, host.closed);
  EXPECT_EQ(2u, host.updates.size());
  // Without a window msgwrite does nothing.
  Exec("&Mw180,181", "x", 180, 181, 0);
  EXPECT_EQ(2u, host.updates.size());
}

TEST_F(Message, ProcessingDialogVariableRanges) {
  // An answer is stored only into 1-5180; the texts are shown only for 1-5177.
  for (int result : {0, 5178, 5180, 5181, 99999}) {
    host.updates.clear();
    host.shows = 0;
    st->m_strMacroVars[5180] = "x";
    Exec("&Mo", "", result, 0, 0);
    EXPECT_TRUE(host.updates.empty()) << result;
    EXPECT_EQ(0, host.shows) << result;
    host.pending = macro::kProgressOk;
    Exec("&Mw", "", result, 0, 0);
    if (result == 5180) {
      EXPECT_EQ("@OK", Var(5180));
    }
  }
  EXPECT_EQ("", Var(0));
  // Beside the view when the position variable is outside 1-5180.
  host.moves.clear();
  Exec("&Mo", "", 180, 0, 5181);
  ASSERT_EQ(1u, host.moves.size());
  EXPECT_EQ(700 - 254 - 30, host.moves[0].x);
}

TEST_F(Message, HoldLaysOutAQuestionAndExitCloses) {
  st->m_strMacroVars[146] = "old";
  Exec("&Mh:q@Yes;No", "a\\tb", -1, 0, 0);
  EXPECT_EQ("", Var(146));
  EXPECT_EQ("Yes", host.okText);
  ASSERT_EQ(1u, host.holds.size());
  EXPECT_EQ("a\tb", host.holds[0]);
  ASSERT_EQ(1u, host.moves.size());
  EXPECT_EQ(110, host.moves[0].h);
  EXPECT_EQ(1, host.shows);
  Exec("&Mx");
  EXPECT_FALSE(host.window);
  EXPECT_EQ(1, host.closed);
  Exec("&Mx");
  EXPECT_EQ(1, host.closed);
}

TEST(WindowPlacement, EveryLetterOnA1024By768Desktop) {
  const MacroRect desk{0, 0, 1024, 768};
  struct Case {
    unsigned char letter;
    const char* operand;
    FrameShow show;
    int left, top, width, height;
  } cases[] = {
      {'0', "", FrameShow::kMinimize, 0, 0, 0, 0},
      {'9', "", FrameShow::kMaximize, 0, 0, 0, 0},
      {'n', "", FrameShow::kHide, 0, 0, 0, 0},
      {'1', "", FrameShow::kPlace, 20, 20, 300, 30},
      {'2', "", FrameShow::kPlace, 20, 20, 300, 90},
      {'3', "", FrameShow::kPlace, 20, 20, 600, 300},
      {'4', "", FrameShow::kPlace, 20, 20, 256, 192},
      {'5', "", FrameShow::kPlace, 20, 20, 512, 384},
      {'6', "", FrameShow::kPlace, 20, 20, 768, 576},
      {'7', "", FrameShow::kPlace, 100, 100, 824, 518},
      {'8', "", FrameShow::kPlace, 50, 50, 924, 618},
      {'X', "", FrameShow::kPlace, 20, 20, 400, 400},
      {'x', "1,2,34", FrameShow::kPlace, 20, 20, 400, 400},  // 6 bytes: no numbers
      {'r', "", FrameShow::kRestore, 0, 0, 0, 0},
      {'5', "10,20,-10,300", FrameShow::kPlace, 10, 20, 1024 - 10 - 10, 300},
      {'0', "-100,-50,30,-40", FrameShow::kPlace, 924, 718, 30, 768 - 40 - 718},
      {'X', "5000,5000,1,1", FrameShow::kPlace, 1024, 768, 1, 1},
      {'X', "99999999999,1,1,1", FrameShow::kPlace, 1024, 1, 1, 1},
      {'X', "1,2,-99999999999,4", FrameShow::kPlace, 1, 2, 0, 4},
      {'X', "7,8,99999999999", FrameShow::kPlace, 7, 8, INT32_MAX, 400},
  };
  for (const Case& c : cases) {
    const FramePlacement f = macro::MacroWindowPlacement(c.letter, c.operand, desk);
    EXPECT_EQ(c.show, f.show) << c.letter << " " << c.operand;
    if (c.show != FrameShow::kPlace) continue;
    EXPECT_EQ(c.left, f.left) << c.letter << " " << c.operand;
    EXPECT_EQ(c.top, f.top) << c.letter << " " << c.operand;
    EXPECT_EQ(c.width, f.width) << c.letter << " " << c.operand;
    EXPECT_EQ(c.height, f.height) << c.letter << " " << c.operand;
  }
}

TEST_F(Message, WindowStatementPlacesAndHidesTheFileLists) {
  RunDocument("\twindows5\r\n");
  ASSERT_EQ(1u, host.placed.size());
  EXPECT_EQ(FrameShow::kPlace, host.placed[0].show);
  EXPECT_EQ(512, host.placed[0].width);
  EXPECT_EQ(384, host.placed[0].height);
  EXPECT_EQ(2, doc->m_nLayoutMode);
  EXPECT_EQ(9, host.layoutWord);
}

}  // namespace

namespace {

// A loop of msgwrite statements ends on the answer a Cancel left.
TEST_F(Message, CancelEndsAMsgwriteLoop) {
  const std::string loop =
      "\tdefine\tans,pos\r\n"
      "\tmsgopen180,181:cap:sub@OK;Stop\tworking\r\n"
      "\tdo\r\n"
      "\t  [pos]++\r\n"
      "\t  msgwrite180,181\r\n"
      "\t  if:[ans]==\r\n"
      "\t    msg\ttick\r\n"
      "\t  else\r\n"
      "\t    outloop\r\n"
      "\tuntil:[pos]==10\r\n";
  RunDocument(loop);
  EXPECT_EQ(10u, host.shownBoxes.size());  // nobody cancelled
  EXPECT_EQ("cap", host.updates.at(0).caption.Str());
  EXPECT_EQ("sub", host.updates.at(0).second.Str());
  EXPECT_EQ("Stop", host.cancelText);
  host.shownBoxes.clear();
  host.closed = 0;
  host.cancelAtBox = 2;
  RunDocument(loop);
  EXPECT_EQ(2u, host.shownBoxes.size());
  EXPECT_EQ("@CANCEL", Var(180));
  EXPECT_EQ("3", Var(181));
  EXPECT_EQ(1, host.closed);
}

}  // namespace
