// Macro runs in the running program: a ".rmc" opened runs once it is shown,
// an unknown command shows its box and the source is shown again (not run
// again), and Esc asks once and stops the run after the current statement.
#include <gtest/gtest.h>

#include <string>

#include "app/dvkdoc.h"
#include "app/mainfrm.h"
#include "fw/strtable.h"
#include "fw/uihooks.h"
#include "macro/macro_run.h"
#include "macro/macro_state.h"
#include "shell_fixture.h"
#include "support/file_bytes.h"
#include "support/pump.h"
#include "view/dvkview.h"

namespace {

class MacroRunTest : public shelltest::ShellFileTest {
 protected:
  std::string Pane0() const { return frame->m_wndStatusBar.GetPaneText(0).GetString(); }
  // Opens `name` as Ctrl+O does after its dialog and waits until it is shown
  // and its run (if any) is over.
  bool OpenMacro(CDvkView* v, const char* name, const std::string& bytes) {
    const std::string path = File(name);
    testsupport::WriteFileBytes(path, bytes);
    AfxGetApp()->OpenDocumentFile(path.c_str());
    return testsupport::PumpUntil([v] { return !v->LoadPending() && !v->Macro().m_bMacroRunOnLoad; }, 10000);
  }
};

TEST_F(MacroRunTest, AMacroDocumentRunsOnceShown) {
  CDvkView* v = Open("first.txt", "x\r\n");
  ASSERT_NE(nullptr, v);
  ASSERT_TRUE(OpenMacro(v, "run.rmc", "// a macro\r\n//\r\n\tdefine\ttotal=100\r\n\r\n\teror_off\r\n"));
  EXPECT_EQ("macro end   total replace = 0", Pane0());
  EXPECT_EQ("100", std::string(v->Macro().m_strMacroVars[180].GetString()));
  EXPECT_EQ(1u, v->Macro().m_bMacroErrorsOff);
  EXPECT_EQ(0u, v->Macro().m_bMacroRunActive);
}

TEST_F(MacroRunTest, AnUnknownCommandShowsItsBoxOnceAndTheSourceIsShownAgain) {
  CDvkView* v = Open("first.txt", "x\r\n");
  ASSERT_NE(nullptr, v);
  // One box: the reopened source is shown, not run again.
  fw::hooks::ExpectMessageBox("Macro Eror : cord = \ndefinx\nq=1\ncmnd = 1", IDOK);
  ASSERT_TRUE(OpenMacro(v, "bad.rmc", "// bad\r\n\tdefinx\tq=1\r\n"));
  testsupport::PumpUntil([v] { return !v->LoadPending(); }, 10000);
  EXPECT_TRUE(fw::hooks::Unused().empty());
  EXPECT_NE(std::string::npos, std::string(doc->m_strDocPath.GetString()).find("bad.rmc"));
}

TEST_F(MacroRunTest, EscAsksOnceAndStopsAfterTheCurrentStatement) {
  CDvkView* v = Open("first.txt", "x\r\n");
  ASSERT_NE(nullptr, v);
  ::PostMessageA(v->m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0);
  fw::hooks::ExpectMessageBox("中止しますか", IDYES);
  const int r = v->RunMacro(4, "\\teror_off\\n\\teror_on", "", "");
  EXPECT_EQ(-1, r);
  EXPECT_EQ(1u, v->Macro().m_bMacroErrorsOff);  // "eror_on" never ran
  EXPECT_EQ("macro end   total replace = 0", Pane0());
  EXPECT_TRUE(fw::hooks::Unused().empty());
  // Answered No, the run goes on and nothing asks again.
  ::PostMessageA(v->m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0);
  fw::hooks::ExpectMessageBox("中止しますか", IDNO);
  EXPECT_EQ(1, v->RunMacro(4, "\\teror_off\\n\\teror_on", "", ""));
  EXPECT_EQ(0u, v->Macro().m_bMacroErrorsOff);
  EXPECT_TRUE(fw::hooks::Unused().empty());
}

TEST_F(MacroRunTest, ATimerTickDuringARunStartsNoSecondRun) {
  CDvkView* v = Open("first.txt", "x\r\n");
  ASSERT_NE(nullptr, v);
  const std::string path = File("tick.rmc");
  testsupport::WriteFileBytes(path, "\teror_off\r\n\tbogus\r\n");
  bool activeDuringTick = false;
  // The error box of the run: a tick of timer 25 while it is up only waits.
  fw::hooks::ExpectMessageBox("bogus", [&] {
    v->SendMessage(WM_TIMER, 25, 0);
    activeDuringTick = v->Macro().m_bMacroRunActive != 0;
    return IDOK;
  });
  const std::size_t before = fw::hooks::MessageBoxTexts().size();
  EXPECT_EQ(1, v->RunMacro(2, path.c_str(), "", "x"));
  EXPECT_TRUE(activeDuringTick);
  EXPECT_EQ(before + 1, fw::hooks::MessageBoxTexts().size());  // no second run inside the first
  // The re-armed timer fires after the run: nothing is paused, so it starts
  // the kept source no second time.
  EXPECT_FALSE(testsupport::PumpUntil([&] { return fw::hooks::MessageBoxTexts().size() > before + 1; }, 600));
  EXPECT_EQ(0u, v->Macro().m_bMacroRunActive);
  // A paused run resumes on the tick: the kept source from its resume offset.
  v->Macro().m_nMacroResumePos = static_cast<std::int32_t>(std::string("\teror_off\r\n").size());
  fw::hooks::ExpectMessageBox("bogus", IDOK);
  v->SendMessage(WM_TIMER, 25, 0);
  EXPECT_EQ(before + 2, fw::hooks::MessageBoxTexts().size());
  EXPECT_TRUE(fw::hooks::Unused().empty());
}

// Puts slot 145 ("nodisp") through a statement of the system-parameter
// class for the length of a test.
struct NodispStatement {
  NodispStatement() {
    macro::SetTestExecutor(3, [](macro::MacroRunContext& r) {
      r.state.m_strMessageMode() = "nodisp";
      return macro::Outcome::kNext;
    });
  }
  ~NodispStatement() { macro::SetTestExecutor(3, nullptr); }
};

TEST_F(MacroRunTest, InNodispModeAnErrorLandsInTheResultSlotAndNoBoxOpens) {
  CDvkView* v = Open("first.txt", "x\r\n");
  ASSERT_NE(nullptr, v);
  NodispStatement nodisp;
  const std::size_t before = fw::hooks::MessageBoxTexts().size();
  EXPECT_EQ(1, v->RunMacro(4, "\\tsystem_para\\n\\tbogus\\tq", "", ""));
  EXPECT_EQ(before, fw::hooks::MessageBoxTexts().size());
  EXPECT_EQ("Macro Eror : cord = \nbogus\nq\ncmnd = 1", std::string(v->Macro().m_strLastResult().GetString()));
}

TEST_F(MacroRunTest, InExternalRunModeAnErrorBecomesTheViewsText) {
  CDvkView* v = Open("first.txt", "x\r\n");
  ASSERT_NE(nullptr, v);
  doc->m_bExternalRun = 1;
  const std::size_t before = fw::hooks::MessageBoxTexts().size();
  EXPECT_EQ(1, v->RunMacro(4, "\\teror_off\\n\\tbogus", "", ""));
  doc->m_bExternalRun = 0;
  EXPECT_EQ(before, fw::hooks::MessageBoxTexts().size());
  std::string want;
  ASSERT_TRUE(fw::LookupString(352, want));
  while (!want.empty() && want.back() == '\n') want.pop_back();
  const std::string shown(reinterpret_cast<const char*>(v->m_table.m_pTextBuf), v->m_table.m_nTextLen);
  EXPECT_EQ(0u, shown.find(want)) << shown;
}

TEST_F(MacroRunTest, AFileRunWithoutAFolderShowsItsSourceAfterAnError) {
  CDvkView* v = Open("first.txt", "x\r\n");
  ASSERT_NE(nullptr, v);
  const std::string path = File("err.rmc");
  testsupport::WriteFileBytes(path, "\teror_off\r\n\tbogus\r\n");
  // With a folder given the document stays as it was.
  fw::hooks::ExpectMessageBox("bogus", IDOK);
  EXPECT_EQ(1, v->RunMacro(2, path.c_str(), "", "x"));
  EXPECT_EQ(std::string::npos, std::string(doc->m_strDocPath.GetString()).find("err.rmc"));
  EXPECT_EQ(std::string::npos, Title().find("err.rmc"));
  // Without one the source is opened and the title names it.
  fw::hooks::ExpectMessageBox("bogus", IDOK);
  EXPECT_EQ(1, v->RunMacro(2, path.c_str(), "", ""));
  testsupport::PumpUntil([v] { return !v->LoadPending(); }, 10000);
  EXPECT_NE(std::string::npos, std::string(doc->m_strDocPath.GetString()).find("err.rmc"));
  EXPECT_NE(std::string::npos, Title().find("err.rmc")) << Title();
  EXPECT_TRUE(fw::hooks::Unused().empty());
}

}  // namespace
