// The status bar's media strip under a right press: a press on the bar over
// status pane 1 sets the play position or switches loop play, and a press
// on the bar or outside the frame opens no menu.
#pragma once

#include <cstdint>

namespace viewui {

enum class StripAction {
  kMenu,        // not on the bar: the menus go on (mouse capture released)
  kPosition,    // the media position value becomes `position`; views updated with code 1
  kToggleLoop,  // the loop-play flag flips and goes to the document
  kOnBar,       // on the bar beside the strip: nothing
  kNoMenu,      // below or beside the frame: nothing (mouse capture released)
};

struct StripPress {
  int x = 0, y = 0;                 // the press, screen coordinates
  int frameLeft = 0, frameRight = 0, frameBottom = 0;  // the top-level frame (screen)
  int paneLeft = 0, paneRight = 0;  // status pane 1 (client coordinates of the bar)
};

struct StripResult {
  StripAction action = StripAction::kMenu;
  std::int32_t position = 0;        // kPosition
  bool releaseCapture = false;
};

// dy = press y - frame bottom, dx = press x - frame left - 5. With dy in
// -35..4 and dx in 0..frame width the press is on the bar: dx from pane
// left - 10 to below pane left + 165 sets (dx - pane left) * 265 / 225 + 395,
// from pane left + 165 to pane right + 20 flips loop play. Otherwise the
// capture is released, and dy over 5 or dx outside the frame opens no menu.
StripResult PlanStripPress(const StripPress& p);

}  // namespace viewui
