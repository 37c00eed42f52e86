// The choice dialog's shape and keys, and the place of a dialog opened beside
// the view.
#include <gtest/gtest.h>

#include <string>

#include "macroui/choice_rules.h"

namespace {

using macroui::kChoiceCount;

TEST(ChoiceRules, ButtonsShowForTextsAndTheWindowShrinks) {
  struct Case {
    std::string texts[kChoiceCount];
    bool shown[kChoiceCount];
    int lessHeight, lessWidth;
  } cases[] = {
      {{"A", "B", "", "", ""}, {true, true, false, false, false}, 80, 120},
      {{"A", std::string(20, 'x'), "", "", ""}, {true, true, false, false, false}, 80, 0},
      {{"A", "B", "C", "D", ""}, {true, true, true, true, false}, 0, 0},
      {{"", "", "", "", "E"}, {false, false, false, false, true}, 0, 0},
      {{"", "", "", "", ""}, {false, false, false, false, false}, 80, 120},
  };
  for (const Case& c : cases) {
    const macroui::ChoiceShape s = macroui::ShapeChoice(c.texts);
    for (int k = 0; k < kChoiceCount; ++k) EXPECT_EQ(c.shown[k], s.shown[k]) << k;
    EXPECT_EQ(c.lessHeight, s.lessHeight);
    EXPECT_EQ(c.lessWidth, s.lessWidth);
  }
}

TEST(ChoiceRules, DigitKeysOfChoicesWithText) {
  const std::string texts[kChoiceCount] = {"A", "B", "", "D", ""};
  EXPECT_EQ(1, macroui::ChoiceForKey('1', texts));
  EXPECT_EQ(4, macroui::ChoiceForKey('4', texts));
  EXPECT_EQ(0, macroui::ChoiceForKey('3', texts));  // choice 3 is empty
  EXPECT_EQ(0, macroui::ChoiceForKey('5', texts));
  EXPECT_EQ(0, macroui::ChoiceForKey('6', texts));
  EXPECT_EQ(0, macroui::ChoiceForKey('0', texts));
  EXPECT_EQ(0, macroui::ChoiceForKey(0x61, texts));  // numeric keypad 1
}

TEST(ChoiceRules, BesideTheViewsRightEdge) {
  // 30 pixels inside the right edge, the size kept; a top lower than 200
  // moves up by 150.
  EXPECT_EQ((macroui::Rect{670, 100, 970, 250}),
            macroui::PlaceBesideView({10, 100, 310, 250}, {0, 0, 1000, 700}));
  EXPECT_EQ((macroui::Rect{670, 150, 970, 300}),
            macroui::PlaceBesideView({10, 300, 310, 450}, {0, 0, 1000, 700}));
  EXPECT_EQ((macroui::Rect{670, 200, 970, 350}),
            macroui::PlaceBesideView({10, 200, 310, 350}, {0, 0, 1000, 700}));
}

}  // namespace
