#include "view/viewui/panes.h"

namespace viewui {

Cell ActivationCellOfPane(int pane) {
  switch (pane) {
    case 4: return {1, 1};
    case 2: return {1, 0};
    case 3: return {0, 1};
    default: return {0, 0};
  }
}

Cell ActiveTextPaneCell(int activePane, int col1, int col2) {
  if (activePane < 2) return {0, col2};
  if (activePane == 2) return {1, col1};
  if (activePane == 3) return {0, col1};
  return {1, col2};
}

PaneAction PaneActionOf(int code) {
  switch (code) {
    case 35: return PaneAction::kNextPage;
    case 36: return PaneAction::kPreviousPage;
    case 51: return PaneAction::kClearCheckList;
    case 50: return PaneAction::kFollowCaret;
    default: return PaneAction::kScrollTo;
  }
}

}  // namespace viewui
