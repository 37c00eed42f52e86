// Classes 13 and 14 of the statement loop: the display statement ("&Ma":
// pane layout, plain or ruled table display, quotes, lists, menu, toolbar
// set, title, and the hand-over of the text to another pane with "text n")
// and the status statement ("&Mt": what the status bar shows while the
// statements run). The keywords are read by macro_display_words.h; the
// window side is reached through MacroRunHost.
#pragma once

#include "macro/macro_outcome.h"

namespace macro {

struct MacroRunContext;

// Delay of timer 25 after a hand-over of the text to another pane.
constexpr int kHandOverResumeMs = 100;
// The variable whose text "title" and "status set" show.
constexpr int kSlotTitleText = 161;

// The display statement in st.m_strStmtOperand (the command's byte after
// "&Ma" chooses the display too). "text n" answers Outcome::kHandOver: the
// run leaves and timer 25 resumes it at the next statement.
Outcome MacroExecDisplay(MacroRunContext& rc);

// The status statement in st.m_strStmtOperand.
Outcome MacroExecStatus(MacroRunContext& rc);

// "text n": the view's text copied into the document's text (grown to the
// view's length + 1,000 first) and handed to pane `pane` (1-4, 1 and 3
// already swapped). When the document's text cannot grow, "memory eror
// (&Ma) 034" is shown, nothing is copied and the statement ends (kNext).
Outcome MacroHandOverText(MacroRunContext& rc, int pane);

}  // namespace macro
