#include "view/viewui/mediastrip.h"

namespace viewui {
namespace {

constexpr long long kBarTop = -35;         // dy range of the status bar
constexpr long long kBarBottom = 4;
constexpr long long kBelowFrame = 5;       // dy beyond this: below the frame
constexpr long long kFrameEdge = 5;        // dx is measured from frame left + 5
constexpr long long kStripBefore = 10;     // the position zone starts before the pane
constexpr long long kPositionWidth = 165;  // position zone, then the loop switch
constexpr long long kLoopAfter = 20;       // the loop switch runs past the pane
// The position value of the zone's pixels.
constexpr long long kPositionScale = 265;
constexpr long long kPositionPixels = 225;
constexpr long long kPositionBase = 395;

}  // namespace

StripResult PlanStripPress(const StripPress& p) {
  StripResult r;
  const long long dy = static_cast<long long>(p.y) - p.frameBottom;
  const long long dx = static_cast<long long>(p.x) - p.frameLeft - kFrameEdge;
  const long long width = static_cast<long long>(p.frameRight) - p.frameLeft;
  const bool besideFrame = dx < 0 || dx > width;
  if (dy >= kBarTop && dy <= kBarBottom && !besideFrame) {
    const long long left = p.paneLeft;
    if (dx >= left - kStripBefore && dx < left + kPositionWidth) {
      r.action = StripAction::kPosition;
      long long v = (dx - left) * kPositionScale / kPositionPixels + kPositionBase;
      if (v > 0x7FFFFFFF) v = 0x7FFFFFFF;
      if (v < -0x7FFFFFFF) v = -0x7FFFFFFF;
      r.position = static_cast<std::int32_t>(v);
    } else if (dx >= left + kPositionWidth && dx <= static_cast<long long>(p.paneRight) + kLoopAfter) {
      r.action = StripAction::kToggleLoop;
    } else {
      r.action = StripAction::kOnBar;
    }
    return r;
  }
  r.releaseCapture = true;
  r.action = dy > kBelowFrame || besideFrame ? StripAction::kNoMenu : StripAction::kMenu;
  return r;
}

}  // namespace viewui
