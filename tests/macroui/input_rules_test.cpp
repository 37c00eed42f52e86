#include "macroui/input_rules.h"

#include <gtest/gtest.h>

namespace {

TEST(MacroInputRules, TitleFollowsTheColon) {
  const macroui::InputOptions o = macroui::ParseInputOptions("n:Amount");
  EXPECT_EQ(o.letters, "N");
  EXPECT_EQ(o.title, "Amount");
}

}  // namespace
