#include "macro/macro_resume.h"

#include "macro/macro_state.h"

namespace macro {

ResumeTick MacroResumeTick(MacroState& st, const InstanceFileReader& read) {
  // A tick while a run is under way (a box of the run pumps messages)
  // starts no second run.
  if (st.m_bMacroRunActive) return ResumeTick::kRearmBusy;
  // Nothing paused: the tick must not start the kept macro once more.
  if (st.m_nMacroResumePos <= 0) return ResumeTick::kNothing;
  if (st.m_nMacroWaitTicks > 0) --st.m_nMacroWaitTicks;
  if (st.m_nMacroWaitTicks > 0 && read) {
    unsigned char head[kInstanceHead] = {};
    const int n = read(head, kInstanceHead);
    if (n > kInstanceListLast) {
      bool marked = false;
      for (int k = kInstanceListFirst; k <= kInstanceListLast; ++k) marked = marked || head[k] == st.m_nMacroInstanceMark;
      if (!marked) st.m_nMacroWaitTicks = 0;
    }
  }
  return st.m_nMacroWaitTicks == 0 ? ResumeTick::kResume : ResumeTick::kRearmWait;
}

PaneCell MacroDebugRunPane(int paneIndex, int splitMode, int paneCol1, int paneCol2) {
  const bool rows = splitMode == 2;
  PaneCell cell;
  cell.row = (((paneIndex == 1 || paneIndex == 3) && rows) || ((paneIndex == 2 || paneIndex == 4) && !rows)) ? 1 : 0;
  const bool second = ((paneIndex == 1 || paneIndex == 4) && rows) || ((paneIndex == 2 || paneIndex == 3) && !rows);
  cell.col = second ? paneCol2 : paneCol1;
  return cell;
}

PaneCell MacroDebugFlipPane(PaneCell cell, int splitMode) {
  if (splitMode == 2)
    cell.row = 1 - cell.row;
  else
    cell.col = 1 - cell.col;
  return cell;
}

int MacroDebugSplitMode(int splitMode, bool* changed) {
  const bool keep = splitMode == 1 || splitMode == 2 || splitMode == 9;
  if (changed) *changed = !keep;
  if (keep) return splitMode;
  return splitMode == 3 ? 9 : 10;
}

}  // namespace macro
