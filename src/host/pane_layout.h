// Rules of the main frame's panes and window placement, without windows:
// which pane a (row, column) request means, how large the panes of each
// layout are, and where the main window opens.
#pragma once

#include <vector>

namespace app {

struct PaneCell {
  int row = 0;
  int col = 0;
};

// Text pane of the 2x2 text splitter: row 0-1 (2 is taken as 1), column 0-1;
// any other value is 0.
PaneCell ClampTextPane(int row, int col);

// List pane of the list splitter: each value outside 0-1 is 0; row and column
// swap when the lists are stacked (m_nLayoutMode 9 or more).
PaneCell ClampListPane(int row, int col, int layoutMode);
bool ListsStacked(int layoutMode);

// Text pane numbers (the views' m_nPaneIndex) and their cells of the 2x2 text
// splitter: 1 (0,0), 2 (1,0), 3 (0,1), 4 (1,1). Numbers outside 1-4 give pane 1.
int PaneIndexOf(int row, int col);
PaneCell CellOfPaneIndex(int index);

// Sizes of the 2x2 text splitter for a text split mode (0-20): the share of
// the first row and of the first column in per mille (1000 = the first
// row/column takes everything, so the second is hidden).
struct TextLayout {
  int rowPermille = 1000;
  int colPermille = 1000;
};
// `mirror` puts the shown panes in the second row/column instead.
TextLayout TextLayoutFor(int splitMode, bool mirror);
// Whether the layout shows the cell (row, col) of the 2x2 (a share of 0 or
// 1000 hides a row or column).
bool TextPaneShown(const TextLayout& t, int row, int col);
// The cells a change of layout shows that it hid before, in pane-number
// order: they get the document the active pane shows.
std::vector<PaneCell> NewlyShownTextPanes(const TextLayout& before, const TextLayout& after);
// The next text split mode of the layout cycle (backwards with Shift).
int NextTextSplitMode(int splitMode, bool backwards);
// Text split mode of layout request 5-8 (SetTextLayout); -1 for other values.
int SplitModeForLayoutRequest(int request);

// Share of the list side in the main splitter, per mille, for m_nLayoutMode
// (0 "file list", 1 "full list", 2 "no list", 3/4/8, 9-14/18 side by side).
int ListSharePermille(int layoutMode);

// Where the main window opens (first list update): the saved position posi[1..4]
// shifted by the copy number (x + 5n, y + 20 (n mod 4)) when sideDisplay is 0,
// kept on the desktop (right edge R, bottom edge B); a compact start puts it
// at 10,10 with size 200x30.
struct WindowPlacement {
  int x = 0, y = 0, width = 0, height = 0;
};
WindowPlacement PlaceMainWindow(const int posi[5], int instanceNo, int sideDisplay,
                                int desktopRight, int desktopBottom, int compactStart);

// m_nLayoutMode after the start-up decrement: below 0 becomes 3, 9 becomes 13.
int StartLayoutMode(int layoutMode);

}  // namespace app
