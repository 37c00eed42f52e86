#include "filelist/flistcore/wheelplan.h"

namespace flist {

WheelPlan PlanWheel(const WheelInput& in, int side) {
  (void)side;
  WheelPlan plan;
  const bool sideBySide = in.layoutMode >= 10;
  if (sideBySide) {
    if ((in.activeSide == 1 && in.y > in.bottom) || (in.activeSide == 2 && in.y < in.top)) {
      plan.action = WheelAction::kSwitchPane;
      return plan;
    }
    if (in.x < in.left) {
      plan.action = WheelAction::kActivateText;
      return plan;
    }
    if (in.x > in.right) {
      plan.action = WheelAction::kKey;
      plan.key = in.delta < 1 ? 40 : 38;
      return plan;
    }
  } else if (in.y > in.bottom) {
    plan.action = WheelAction::kActivateText;
    return plan;
  }
  if (in.y < in.top) return plan;
  plan.action = WheelAction::kScroll;
  if (in.y < in.top + 50) {
    const int page = in.lineHeight < 2 ? 10 : in.clientHeight / in.lineHeight - 1;
    plan.step = in.delta > 0 ? -page : page;
    return plan;
  }
  plan.step = in.delta < 0 ? 1 : -1;
  if (!sideBySide && in.x < in.left + 40) plan.hint = side + (in.delta < 0 ? 40 : 60);
  return plan;
}

bool TakeWheelHint(int hint, int side, int* delta) {
  if (hint <= 10) return false;
  if (side == hint % 10) return false;
  *delta = hint / 10 - 5;
  return true;
}

bool TakesForwardedInput(int code, bool activePane, int side, int activeSide) {
  if (code <= 0) return false;
  if (activePane) return true;
  return side == activeSide && code == 40;
}

}  // namespace flist
