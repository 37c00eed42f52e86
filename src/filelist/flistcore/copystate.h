// The state of one running copy or move of a list pane (the answers given
// so far, the stop requests, the counters): one object per pane, the run
// state the conflict plan works on. The copy command starts it afresh
// (StartCopy), the move command clears only the stop word (StartMove), so
// an overwrite-all answer of an earlier copy still holds for a move.
#pragma once

#include "filelist/flistcore/copyconflict.h"

namespace flist {

using CopyState = CopyRunState;

// A Cancel or an Esc ended the command.
inline bool CopyStopped(const CopyState& s) { return s.m_nCopyStop == kCopyStopAll || s.m_bCopyAbort != 0; }

}  // namespace flist
