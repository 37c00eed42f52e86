#include "host/pane_layout.h"

namespace app {

namespace {

int Clamp01(int v) { return v == 0 || v == 1 ? v : 0; }

// Text split modes (design): rows/columns of the 2x2 text splitter shown.
// 1, 2 and 9 are two-pane layouts; 3, 10, 11 four panes; 20 two panes
// stacked in the second column's place (picture beside text).
struct SplitModeRow {
  int mode;
  int rowPermille;
  int colPermille;
};
const SplitModeRow kSplitModes[] = {
    {0, 1000, 1000},  // one pane
    {1, 1000, 500},   // two panes side by side
    {2, 500, 1000},   // two panes one above the other
    {3, 500, 500},    // four panes
    {9, 1000, 500},   // macro debugging: source beside the run
    {10, 500, 500},   // macro debugging in four panes
    {11, 500, 500},   // four panes, set by the window statement
    {20, 1000, 500},  // picture beside its text
};

// The order in which the layout command steps through the split modes.
const int kSplitCycle[] = {0, 1, 2, 3};

// Share of the list side per layout mode (design).
struct ListShareRow {
  int layoutMode;
  int permille;
};
const ListShareRow kListShares[] = {
    {0, 330}, {1, 1000}, {2, 0}, {3, 250}, {4, 400}, {8, 500},
    {9, 330}, {10, 1000}, {11, 0}, {12, 250}, {13, 250}, {14, 400}, {18, 500},
};

}  // namespace

PaneCell ClampTextPane(int row, int col) {
  PaneCell c;
  c.row = row == 2 ? 1 : Clamp01(row);
  c.col = Clamp01(col);
  return c;
}

bool ListsStacked(int layoutMode) { return layoutMode >= 9; }

PaneCell ClampListPane(int row, int col, int layoutMode) {
  PaneCell c{Clamp01(row), Clamp01(col)};
  if (ListsStacked(layoutMode)) c = PaneCell{c.col, c.row};
  return c;
}

int PaneIndexOf(int row, int col) {
  PaneCell c = ClampTextPane(row, col);
  return c.col * 2 + c.row + 1;
}

PaneCell CellOfPaneIndex(int index) {
  if (index < 1 || index > 4) index = 1;
  return PaneCell{(index - 1) % 2, (index - 1) / 2};
}

bool TextPaneShown(const TextLayout& t, int row, int col) {
  const bool rowShown = row == 0 ? t.rowPermille != 0 : t.rowPermille != 1000;
  const bool colShown = col == 0 ? t.colPermille != 0 : t.colPermille != 1000;
  return rowShown && colShown;
}

std::vector<PaneCell> NewlyShownTextPanes(const TextLayout& before, const TextLayout& after) {
  std::vector<PaneCell> cells;
  for (int index = 1; index <= 4; ++index) {
    const PaneCell c = CellOfPaneIndex(index);
    if (TextPaneShown(after, c.row, c.col) && !TextPaneShown(before, c.row, c.col)) cells.push_back(c);
  }
  return cells;
}

TextLayout TextLayoutFor(int splitMode, bool mirror) {
  TextLayout t;
  for (const SplitModeRow& r : kSplitModes) {
    if (r.mode == splitMode) {
      t.rowPermille = r.rowPermille;
      t.colPermille = r.colPermille;
      break;
    }
  }
  if (mirror) {
    if (t.rowPermille == 1000) t.rowPermille = 0;
    if (t.colPermille == 1000) t.colPermille = 0;
  }
  return t;
}

int NextTextSplitMode(int splitMode, bool backwards) {
  const int n = static_cast<int>(sizeof kSplitCycle / sizeof kSplitCycle[0]);
  int at = -1;
  for (int i = 0; i < n; ++i) {
    if (kSplitCycle[i] == splitMode) at = i;
  }
  if (at < 0) return kSplitCycle[0];
  return kSplitCycle[(at + (backwards ? n - 1 : 1)) % n];
}

int SplitModeForLayoutRequest(int request) {
  switch (request) {
    case 5: return 0;
    case 6: return 1;
    case 7: return 2;
    case 8: return 3;
    default: return -1;
  }
}

int ListSharePermille(int layoutMode) {
  for (const ListShareRow& r : kListShares) {
    if (r.layoutMode == layoutMode) return r.permille;
  }
  return kListShares[0].permille;
}

WindowPlacement PlaceMainWindow(const int posi[5], int instanceNo, int sideDisplay,
                                int desktopRight, int desktopBottom, int compactStart) {
  WindowPlacement p{posi[1], posi[2], posi[3], posi[4]};
  if (compactStart > 0) return WindowPlacement{10, 10, 200, 30};
  if (sideDisplay == 0 && instanceNo > 0) {
    p.x += 5 * instanceNo;
    p.y += 20 * (instanceNo % 4);
  }
  const int R = desktopRight, B = desktopBottom;
  if (p.x < 0 || p.x > R - 50) p.x = 50;
  if (p.y < 0 || p.y > B - 50) p.y = 50;
  if (p.width < 50 || p.width > R - 10) p.width = R - 100;
  if (p.height < 50 || p.height > B - 10) p.height = B - 100;
  return p;
}

int StartLayoutMode(int layoutMode) {
  int m = layoutMode - 1;
  if (m < 0) m = 3;
  if (m == 9) m = 13;
  return m;
}

}  // namespace app
