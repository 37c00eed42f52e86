#include "filelist/flistcore/wheelplan.h"

#include <gtest/gtest.h>

namespace flist {
namespace {

// A pane at 100,100 - 400,500 of the screen, 20-pixel lines, 380 high inside.
WheelInput At(int layout, int x, int y, int delta, int activeSide = 1) {
  WheelInput in;
  in.layoutMode = layout;
  in.activeSide = activeSide;
  in.delta = delta;
  in.x = x;
  in.y = y;
  in.left = 100;
  in.top = 100;
  in.right = 400;
  in.bottom = 500;
  in.clientHeight = 380;
  in.lineHeight = 20;
  return in;
}

TEST(Wheel, ActionsByPointerPlaceAndLayout) {
  struct Case {
    WheelInput in;
    int side;
    WheelAction action;
    int key, step, hint;
  } cases[] = {
      // Normal layouts.
      {At(1, 200, 600, -120), 1, WheelAction::kActivateText, 0, 0, 0},
      {At(1, 200, 120, 120), 1, WheelAction::kScroll, 0, -18, 0},  // page zone: 380/20 - 1
      {At(1, 200, 149, -120), 1, WheelAction::kScroll, 0, 18, 0},
      {At(1, 120, 300, -120), 1, WheelAction::kScroll, 0, 1, 41},   // the forwarding zone
      {At(1, 139, 300, 120), 2, WheelAction::kScroll, 0, -1, 62},
      {At(1, 140, 300, -120), 1, WheelAction::kScroll, 0, 1, 0},
      {At(1, 300, 300, 120), 1, WheelAction::kScroll, 0, -1, 0},
      {At(1, 300, 90, 120), 1, WheelAction::kNone, 0, 0, 0},
      // Side by side.
      {At(10, 200, 600, -120, 1), 1, WheelAction::kSwitchPane, 0, 0, 0},
      {At(10, 200, 90, -120, 2), 2, WheelAction::kSwitchPane, 0, 0, 0},
      {At(10, 50, 300, -120), 1, WheelAction::kActivateText, 0, 0, 0},
      {At(10, 450, 300, -120), 1, WheelAction::kKey, 40, 0, 0},
      {At(10, 450, 300, 0), 1, WheelAction::kKey, 40, 0, 0},
      {At(10, 450, 300, 120), 1, WheelAction::kKey, 38, 0, 0},
      {At(10, 120, 300, -120), 1, WheelAction::kScroll, 0, 1, 0},  // no forwarding side by side
  };
  for (const Case& c : cases) {
    const WheelPlan p = PlanWheel(c.in, c.side);
    SCOPED_TRACE(testing::Message() << "layout " << c.in.layoutMode << " at " << c.in.x << "," << c.in.y);
    EXPECT_EQ(c.action, p.action);
    EXPECT_EQ(c.key, p.key);
    EXPECT_EQ(c.step, p.step);
    EXPECT_EQ(c.hint, p.hint);
  }
  WheelInput tiny = At(1, 200, 110, 120);
  tiny.lineHeight = 1;
  EXPECT_EQ(-10, PlanWheel(tiny, 1).step);
}

TEST(Wheel, AHandedTurnScrollsOnlyTheOtherPane) {
  int delta = 0;
  EXPECT_FALSE(TakeWheelHint(41, 1, &delta));
  EXPECT_TRUE(TakeWheelHint(41, 2, &delta));
  EXPECT_EQ(-1, delta);
  EXPECT_TRUE(TakeWheelHint(62, 1, &delta));
  EXPECT_EQ(1, delta);
  EXPECT_FALSE(TakeWheelHint(0, 1, &delta));
  EXPECT_FALSE(TakeWheelHint(10, 2, &delta));
  // The receiving pane's own turn is a plain line: it hands nothing back.
  const WheelPlan back = PlanWheel(At(1, 380, 480, delta), 1);
  EXPECT_EQ(0, back.hint);
  EXPECT_EQ(-1, back.step);
}

TEST(Wheel, ForwardedInputGoesToTheActivePaneOrDownToTheActiveSide) {
  struct Case {
    int code;
    bool active;
    int side, activeSide;
    bool takes;
  } cases[] = {
      {38, true, 1, 2, true},  {38, false, 1, 1, false}, {40, false, 1, 1, true}, {40, false, 2, 1, false},
      {37, true, 2, 2, true},  {999, false, 1, 1, false}, {99, true, 1, 1, true}, {0, true, 1, 1, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.takes, TakesForwardedInput(c.code, c.active, c.side, c.activeSide)) << c.code << " side " << c.side;
}

}  // namespace
}  // namespace flist
