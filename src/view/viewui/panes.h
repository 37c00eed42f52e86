// Rules of the text panes that need no window: which cell of the 2x2 text
// splitter a pane hand-over means, and what a code handed to the other
// panes of a split view asks of them.
#pragma once

namespace viewui {

struct Cell {
  int row = 0;
  int col = 0;
};

// The cell ActivateTextPane gets for pane n: 4 (1,1), 2 (1,0), 3 (0,1),
// anything else (0,0).
Cell ActivationCellOfPane(int pane);

// The cell of the document's active text pane through the layout's column
// words: below 2 (0, col2), 2 (1, col1), 3 (0, col1), 4 and above (1, col2).
Cell ActiveTextPaneCell(int activePane, int col1, int col2);

// What the other panes of a split view do with a code of ForOtherPanes.
enum class PaneAction {
  kNextPage,        // 35
  kPreviousPage,    // 36
  kClearCheckList,  // 51 (through update code 51)
  kFollowCaret,     // 50: go to the caret line in m_nPaneSyncLine
  kScrollTo,        // any other code: show m_nPaneSyncLine first
};
PaneAction PaneActionOf(int code);

}  // namespace viewui
