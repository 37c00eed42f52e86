// The captions of Save and table edit by kind, form and state, and the toolbar sets.
#include "app/shell/menu_captions.h"

#include <gtest/gtest.h>

#include <string>

TEST(MenuCaptions, KindsStatesAndToolbarSets) {
  app::MenuCaptions m = app::MenuCaptionsFor(33, 0, 0);
  ASSERT_NE(nullptr, m.save);
  EXPECT_NE(std::string(m.save).find("CSV"), std::string::npos);
  EXPECT_EQ(app::ToolbarSet::Keep, m.toolbar);
  app::MenuCaptions table = app::MenuCaptionsFor(33, 0, 3);
  EXPECT_STRNE(m.tableEdit, table.tableEdit);  // table-edit mode offers the way out
  EXPECT_NE(std::string(app::MenuCaptionsFor(4, 0, 0).save).find("RTF"), std::string::npos);
  EXPECT_STREQ(app::MenuCaptionsFor(12, 0, 0).save, app::MenuCaptionsFor(28, 0, 1).save);
  EXPECT_STRNE(app::MenuCaptionsFor(9, 0, 0).save, app::MenuCaptionsFor(9, 2, 0).save);
  EXPECT_EQ(app::ToolbarSet::Full, app::MenuCaptionsFor(33, 0, 9).toolbar);
  EXPECT_EQ(app::ToolbarSet::Hidden, app::MenuCaptionsFor(0, 0, 99).toolbar);
  EXPECT_EQ(app::ToolbarSet::Selection, app::MenuCaptionsFor(33, 0, 98).toolbar);
  EXPECT_EQ(app::ToolbarSet::Standard, app::MenuCaptionsFor(199, 0, 0).toolbar);
  EXPECT_EQ(nullptr, app::MenuCaptionsFor(199, 0, 0).save);
}
