// What an update of all views asks of them: the document's m_nUpdateCode,
// set before UpdateAllViews and read by every text and list view.
#pragma once

#include <cstdint>

namespace app {

enum class UpdateCode : std::uint32_t {
  kNone = 0,
  kContent = 1,          // content changed: text panes reload; a list carries out its update request
  kSearchStopped = 2,    // a search stopped on a hit: what is shown stays
  kFolderChanged = 3,    // list rebuild after a folder change; macro debug request (debug mode > 1000)
  kMoved = 4,            // after a move: redraw
  kRedrawAll = 6,        // redraw all; list rebuild after a file change
  kAfterMouse = 7,       // after a mouse action: redraw; list reload
  kSideMacro = 15,       // run the side's macro file
  kClearCheckList = 51,  // the other panes clear their check list
  // 16 * n + 1: text pane n takes the document's text (the macro's "text n",
  // 1 and 3 swapped by the statement); see HandOverCode.
  kHandOverPane1 = 17,
  kHandOverPane2 = 33,
  kHandOverPane3 = 49,
  kHandOverPane4 = 65,
};

// "text n" hand-over: the code 16 * n + 1 of pane n (1-4); kNone for others.
constexpr UpdateCode HandOverCode(int pane) {
  return pane >= 1 && pane <= 4 ? static_cast<UpdateCode>(16u * static_cast<unsigned>(pane) + 1u)
                                : UpdateCode::kNone;
}

// The pane a hand-over code names (1-4), or 0 when it is none.
constexpr int PaneOfHandOverCode(UpdateCode code) {
  const auto c = static_cast<std::uint32_t>(code);
  return c >= 17 && (c - 1) % 16 == 0 && (c - 1) / 16 <= 4 ? static_cast<int>((c - 1) / 16) : 0;
}

}  // namespace app
