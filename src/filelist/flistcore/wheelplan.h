// The list's wheel: what a turn does by where the pointer is, and how a
// turn and other input are handed from one pane to the other through the
// document's exchange words. Portable; the pane acts on the result.
#pragma once

namespace flist {

struct WheelInput {
  int layoutMode = 0;    // the document's list layout (10 and up: side by side)
  int activeSide = 1;    // the document's active side
  int delta = 0;         // wheel delta (positive: away from the user)
  int x = 0, y = 0;      // pointer in screen pixels
  int left = 0, top = 0, right = 0, bottom = 0;  // the pane's window rectangle
  int clientHeight = 0;
  int lineHeight = 18;
};

enum class WheelAction {
  kNone,          // above the pane's top edge: nothing
  kSwitchPane,    // to the other list pane
  kActivateText,  // to the text pane of the active text pane word
  kKey,           // the list's key handler gets `key`
  kScroll,        // scroll by `step` lines
};

struct WheelPlan {
  WheelAction action = WheelAction::kNone;
  int key = 0;       // 38 up or 40 down for kKey
  int step = 0;      // lines, negative upward
  int hint = 0;      // above 0: one list update with this hint scrolls the other pane
};

// `side` is the pane's side (1 or 2).
WheelPlan PlanWheel(const WheelInput& in, int side);

// A pane's answer to the wheel hint of an update (side + 40 or + 60): the
// pane that sent it ignores it; the other scrolls by `delta` (-1 or +1).
// False when the hint asks nothing of this pane.
bool TakeWheelHint(int hint, int side, int* delta);

// Whether a pane takes a forwarded input code (37, 38, 40, 99, 999): the
// active pane always; a pane that is not active only the code 40 when its
// side is the document's active side.
bool TakesForwardedInput(int code, bool activePane, int side, int activeSide);

}  // namespace flist
