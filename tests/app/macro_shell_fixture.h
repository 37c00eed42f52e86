// The running program for macro tests: the document's debug words are put
// back after each test, so a stopped run of one test cannot reach the next.
#pragma once

#include <string>

#include "app/dvkdoc.h"
#include "app/mainfrm.h"
#include "shell_fixture.h"

namespace shelltest {

class MacroShellTest : public ShellFileTest {
 protected:
  void TearDown() override {
    if (doc) {
      doc->m_bMacroStepMode = 0;
      doc->m_nMacroDebugMode = 0;
      doc->m_nMacroStopPos = 0;
      doc->m_nMacroStopLine = 0;
    }
    ShellFileTest::TearDown();
  }
  std::string Pane0() const { return frame->m_wndStatusBar.GetPaneText(0).GetString(); }
};

}  // namespace shelltest
