// The resume timer of a paused run and the pane choice of a debug run:
// the decisions, apart from the timer and the panes themselves.
#pragma once

#include <cstddef>
#include <functional>

namespace macro {

struct MacroState;

constexpr int kResumeBusyMs = 100;    // a run is under way: look again soon
constexpr int kResumeWaitMs = 1000;   // waiting for another running copy
constexpr int kInstanceHead = 256;    // bytes of the instance file read
constexpr int kInstanceListFirst = 128, kInstanceListLast = 254;  // the second list of marks

// What a tick of the resume timer asks of the view (the timer is already
// killed when it is asked).
enum class ResumeTick {
  kNothing,    // nothing is paused
  kRearmBusy,  // a run is under way: arm again at kResumeBusyMs
  kRearmWait,  // this copy still waits: arm again at kResumeWaitMs
  kResume,     // run the kept source in mode 2
};

// Reads up to `size` bytes from the start of the instance file
// "tabrymacro.tmp" of the kept macro folder; the number read, or -1 when the
// file cannot be read.
using InstanceFileReader = std::function<int(unsigned char* buffer, int size)>;

// One tick: counts st.m_nMacroWaitTicks down and, while it is above 0, looks
// for this copy's mark (st.m_nMacroInstanceMark) among bytes 128-254 of the
// instance file; a file that holds them all without the mark ends the wait.
// A missing or shorter file keeps the count.
ResumeTick MacroResumeTick(MacroState& st, const InstanceFileReader& read);

// A text pane by row and column (0 or 1 each).
struct PaneCell {
  int row = 0, col = 0;
};

// The pane a debug run activates from the view in pane `paneIndex` (1-4)
// under the text split mode `splitMode`, with the document's two pane-column
// words; and the pane flipped back after the run.
PaneCell MacroDebugRunPane(int paneIndex, int splitMode, int paneCol1, int paneCol2);
PaneCell MacroDebugFlipPane(PaneCell cell, int splitMode);

// The split mode a debug run needs: 1, 2 and 9 stay; 3 becomes 9; any other
// 10. `changed` says whether the layout must be applied again.
int MacroDebugSplitMode(int splitMode, bool* changed);

}  // namespace macro
