// Macro stops and debugging in the running program: step mode with the stop
// dialog, the breakpoint command, the debug commands' menu states and a debug
// run of a macro text beside a table with '#' marks, Ctrl+F5 and F5.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/dvkdoc.h"
#include "app/mainfrm.h"
#include "fw/uihooks.h"
#include "macro/macro_run.h"
#include "macro/macro_state.h"
#include "macroui/macro_input_dlg.h"
#include "macroui/varview_dlg.h"
#include "res/resource.h"
#include "macro_shell_fixture.h"
#include "support/pump.h"
#include "view/dvkview.h"

namespace {

class MacroDebugTest : public shelltest::MacroShellTest {
 protected:
  static std::string Text(CDvkView* v) { return v->GetRichEditCtrl().StreamOutTo(SF_TEXT); }
  void Command(CDvkView* v, UINT id) { v->SendMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0); }
  // The menu state of `id` after the menu bar's popups were prepared.
  UINT MenuState(UINT id) {
    HMENU bar = GetMenu(frame->m_hWnd);
    for (int p = 0; p < GetMenuItemCount(bar); ++p)
      frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(GetSubMenu(bar, p)), p);
    return GetMenuState(bar, id, MF_BYCOMMAND);
  }
};

TEST_F(MacroDebugTest, StepModeAsksAfterEveryLaterStatementAndCancelEndsTheRun) {
  CDvkView* v = Open("first.txt", "x\r\n");
  ASSERT_NE(nullptr, v);
  std::vector<std::string> prompts, options;
  std::vector<int> sizes;
  int asked = 0;
  for (int k = 0; k < 4; ++k) {
    fw::hooks::ExpectDialog(IDD_MACRO_INPUT, [&](CDialog& d) {
      auto& box = static_cast<CMacroInputDlg&>(d);
      prompts.push_back(box.m_strPromptText.GetString());
      options.push_back(box.m_strOptions.GetString());
      sizes.push_back(box.m_nHeight * 10000 + box.m_nWidth);
      return ++asked <= 3 ? IDOK : IDCANCEL;
    });
  }
  const int r = v->RunMacro(macro::kRunText,
                            "\\tdefine\\tone=1\\n\\t8\\n\\tdefine\\ttwo=2\\n\\tdefine\\tthree=3\\n"
                            "\\tdefine\\tfour=4\\n\\tdefine\\tfive=5",
                            "", "");
  EXPECT_EQ(1, r);
  ASSERT_EQ(4u, prompts.size());
  for (std::size_t k = 0; k < prompts.size(); ++k) {
    EXPECT_EQ("twDV5:Brake stop (BK,9,8)", options[k]);
    EXPECT_EQ(300 * 10000 + 500, sizes[k]);
    const std::string tail = "\r\n  : Step mode ON";
    ASSERT_GE(prompts[k].size(), tail.size());
    EXPECT_EQ(tail, prompts[k].substr(prompts[k].size() - tail.size()));
  }
  // "five" never ran: the fourth answer was Cancel.
  const macro::MacroState& ms = v->Macro();
  EXPECT_EQ("4", std::string(ms.m_strMacroVars[183].GetString()));
  EXPECT_EQ("", std::string(ms.m_strMacroVars[184].GetString()));
  EXPECT_EQ(1u, doc->m_bMacroStepMode);
}

TEST_F(MacroDebugTest, TheBreakpointCommandTogglesTheMarkAtTheLineStart) {
  CDvkView* v = Open("m.txt", "\tdefine\ta=1\r\n\r\n#\tdefine\tb=2 # kept\r\n\tdefine\tc=3\r\n");
  ASSERT_NE(nullptr, v);
  CRichEditCtrl& edit = v->GetRichEditCtrl();
  const std::string before = Text(v);
  edit.SetSel(3, 3);  // inside the first line
  Command(v, ID_MACRO_BREAKPOINT);
  EXPECT_EQ("#" + before, Text(v));
  Command(v, ID_MACRO_BREAKPOINT);
  EXPECT_EQ(before, Text(v));
  // An empty line gets the mark before its line end.
  edit.SetSel(edit.LineIndex(1), edit.LineIndex(1));
  Command(v, ID_MACRO_BREAKPOINT);
  EXPECT_EQ("\tdefine\ta=1\r\n#\r\n#\tdefine\tb=2 # kept\r\n\tdefine\tc=3\r\n", Text(v));
  // With Ctrl every mark at a line start goes; one inside a line stays.
  edit.SetSel(edit.LineIndex(3), edit.LineIndex(3));
  v->m_bInternalKey = 1;
  Command(v, ID_MACRO_BREAKPOINT);
  v->m_bInternalKey = 0;
  EXPECT_EQ("\tdefine\ta=1\r\n\r\n\tdefine\tb=2 # kept\r\n\tdefine\tc=3\r\n", Text(v));
}

TEST_F(MacroDebugTest, TheDebugCommandsFollowTheViewAndTheDebugWords) {
  CDvkView* v = Open("m.txt", "\tdefine\ta=1\r\n");
  ASSERT_NE(nullptr, v);
  frame->ActivateTextPane(0, 0);
  struct Case {
    std::uint32_t kind;
    int debugMode, stopPos;
    bool debugOn, debugChecked, resumeOn;
  } cases[] = {
      {98, 0, 0, true, false, false},  {98, 1, 0, true, false, true}, {98, 1, 40, true, true, true},
      {33, 0, 0, false, false, true},  {9, 1, 40, false, true, false},
  };
  const std::uint32_t kind = v->m_nFileKind;
  for (const Case& c : cases) {
    v->m_nFileKind = c.kind;
    doc->m_nMacroDebugMode = c.debugMode;
    doc->m_nMacroStopPos = c.stopPos;
    const UINT debug = MenuState(ID_MACRO_DEBUG), resume = MenuState(ID_MACRO_RESUME);
    EXPECT_EQ(c.debugOn, (debug & MF_GRAYED) == 0) << c.kind << "/" << c.debugMode;
    EXPECT_EQ(c.debugChecked, (debug & MF_CHECKED) != 0) << c.kind << "/" << c.stopPos;
    EXPECT_EQ(c.resumeOn, (resume & MF_GRAYED) == 0) << c.kind << "/" << c.debugMode;
  }
  v->m_nFileKind = kind;
}

// The table in the left pane, the macro text in the right pane (split mode
// 9): Ctrl+F5 runs the macro on the table up to the first mark, F5 on to the
// next and to the end; Ctrl+F5 while stopped ends debug mode.
TEST_F(MacroDebugTest, ADebugRunBesideATableStopsAtTheMarks) {
  CDvkView* table = OpenTable("a,b\r\n1,2\r\n");
  ASSERT_NE(nullptr, table);
  frame->m_nTextSplitMode = 9;
  frame->ApplyTextLayout(0, 0);
  CDvkView* source = frame->GetTextView(0, 1);
  ASSERT_NE(nullptr, source);
  const std::string macro =
      "\tdefine\tfirst=1\r\n"
      "#\tdefine\tsecond=2\r\n"
      "\tdefine\tthird=3\r\n"
      "#\tdefine\tfourth=4\r\n";
  source->GetRichEditCtrl().SetWindowText(macro.c_str());
  source->m_nFileKind = 98;
  frame->ActivateTextPane(0, 1);

  CVariableViewDlg& vars = doc->m_dlgVariableView;
  Command(source, ID_MACRO_DEBUG);
  ASSERT_NE(nullptr, vars.m_hWnd);
  EXPECT_EQ(2, doc->m_nMacroStopLine);
  EXPECT_EQ(2, vars.m_nStopLine);
  EXPECT_NE(std::string::npos, std::string(vars.m_strText.GetString()).find("\r\n  cmnd line = 2\r\n"));
  const macro::MacroState& ms = table->Macro();
  EXPECT_EQ("1", std::string(ms.m_strMacroVars[180].GetString()));
  EXPECT_EQ("", std::string(ms.m_strMacroVars[181].GetString()));
  EXPECT_NE(0, doc->m_nMacroStopPos);
  EXPECT_NE(0u, MenuState(ID_MACRO_DEBUG) & MF_CHECKED);
  // The stopped line is selected in the macro's pane.
  long s = 0, e = 0;
  source->GetRichEditCtrl().GetSel(s, e);
  EXPECT_EQ(source->GetRichEditCtrl().LineIndex(1), s);

  // F5 in the macro's pane resumes while debugging.
  EXPECT_TRUE(source->FeedKey(VK_F5));
  EXPECT_EQ(4, doc->m_nMacroStopLine);
  EXPECT_EQ("2", std::string(ms.m_strMacroVars[181].GetString()));
  EXPECT_EQ("3", std::string(ms.m_strMacroVars[182].GetString()));
  EXPECT_EQ("", std::string(ms.m_strMacroVars[183].GetString()));
  EXPECT_EQ(4, vars.m_nStopLine);

  // Ctrl+F5 while stopped ends debug mode.
  Command(source, ID_MACRO_DEBUG);
  EXPECT_EQ(nullptr, vars.m_hWnd);
  EXPECT_EQ(0, doc->m_nMacroDebugMode);
  EXPECT_EQ(0, doc->m_nMacroStopPos);
  EXPECT_EQ(0, doc->m_nMacroStopLine);
  EXPECT_EQ(0u, doc->m_bMacroStepMode);
  EXPECT_EQ(0u, MenuState(ID_MACRO_DEBUG) & MF_CHECKED);

  // F5 alone outside debug mode does nothing in a macro text.
  EXPECT_TRUE(source->FeedKey(VK_F5));
  EXPECT_EQ(0, doc->m_nMacroDebugMode);
  EXPECT_EQ(nullptr, vars.m_hWnd);
  // A new debug run goes from the top to the end when F5 follows twice.
  Command(source, ID_MACRO_DEBUG);
  EXPECT_EQ(2, doc->m_nMacroStopLine);
  Command(source, ID_MACRO_RESUME);
  Command(source, ID_MACRO_RESUME);
  EXPECT_EQ("macro end   total replace = 0", Pane0());
  EXPECT_EQ("4", std::string(ms.m_strMacroVars[183].GetString()));
  EXPECT_EQ(0, doc->m_nMacroStopPos);
  EXPECT_EQ(0u, MenuState(ID_MACRO_DEBUG) & MF_CHECKED);
}

}  // namespace
