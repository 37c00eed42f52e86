// Block heads and the sheet-list line of a merge: marks, titles, active
// sheet, ranges, names and the limits of the list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export/merge/merge_control.h"

namespace {

using merge::BlockHead;
using merge::ReadBlockHead;
using merge::ReadSheetList;

BlockHead Head(const std::string& s) { return ReadBlockHead(s.data(), s.size(), 0); }
merge::SheetList List(const std::string& s) { return ReadSheetList(s.data(), s.size(), 0); }

TEST(MergeControl, BlockHeadsChooseTheTemplateAndCarryTitles) {
  BlockHead h = Head("@+!*\x94\x84\x8F\xE3\r\nx\x06y\r\n");
  EXPECT_EQ(h.mark, BlockHead::kRepeat);
  EXPECT_EQ(h.title, "\x94\x84\x8F\xE3");
  EXPECT_EQ(h.end, 10u);
  EXPECT_EQ(h.NextTemplate(2), 2);

  h = Head("@-2:!#x");
  EXPECT_EQ(h.mark, BlockHead::kSkip);
  EXPECT_EQ(h.skip, 2);
  EXPECT_FALSE(h.hasTitle);
  EXPECT_EQ(h.end, 6u);
  EXPECT_EQ(h.NextTemplate(1), 4);  // two sheets passed over
  EXPECT_EQ(Head("@-x").skip, 1);
  EXPECT_EQ(Head("@-123").skip, 12);  // two digits at most

  h = Head("!*Title\r\n!#a");
  EXPECT_EQ(h.title, "Title");
  EXPECT_EQ(h.end, 11u);
  h = Head("plain\r\n");
  EXPECT_EQ(h.mark, BlockHead::kNext);
  EXPECT_EQ(h.end, 0u);
  EXPECT_EQ(h.NextTemplate(0), 1);
  // A title running to the end of the text; one longer than a name keeps 255 bytes.
  h = Head("!*" + std::string(300, 'n'));
  EXPECT_EQ(h.title.size(), merge::kMaxNameBytes);
  EXPECT_EQ(h.end, 302u);
}

TEST(MergeControl, SheetListOrdersNamesAndActivates) {
  const std::string text = "$$2:3:1=Sum\r\n!*next";
  merge::SheetList l = List(text);
  EXPECT_EQ(l.active, 2);
  EXPECT_EQ(l.order, (std::vector<int>{3, 1}));
  ASSERT_NE(l.NameAt(2), nullptr);
  EXPECT_EQ(*l.NameAt(2), "Sum");
  EXPECT_EQ(l.NameAt(1), nullptr);
  EXPECT_EQ(l.end, text.find('!'));

  // Ranges either way, items over several lines, quotes between items.
  l = List("$$0:1-3,5_4;\r\n\"2\".7_7=\"Q\"x");
  EXPECT_EQ(l.active, 0);
  EXPECT_EQ(l.order, (std::vector<int>{1, 2, 3, 2, 7}));
  EXPECT_EQ(l.names.size(), 0u);  // "7_7" is a range; "=" after it starts no name
  l = List("$$1:4=\"Q\"x,5");
  EXPECT_EQ(*l.NameAt(1), "Qx");
  EXPECT_EQ(l.order, (std::vector<int>{4, 5}));
}

TEST(MergeControl, SheetListLimits) {
  merge::SheetList l = List("$$1:1-100000");
  EXPECT_EQ(l.order.size(), 99u);
  EXPECT_EQ(l.order.back(), 99);
  std::string many = "$$1:";
  for (int i = 1; i <= 40; ++i) many += std::to_string(i) + "=n" + std::to_string(i) + ",";
  l = List(many);
  EXPECT_EQ(l.names.size(), 32u);
  EXPECT_EQ(*l.NameAt(32), "n32");
  l = List("$$1:9=" + std::string(300, 'z'));
  EXPECT_EQ(l.NameAt(1)->size(), merge::kMaxNameBytes);
  // A huge number saturates; the end of the text ends the list.
  l = List("$$99999999999999999999:1");
  EXPECT_GT(l.active, 0);
  EXPECT_EQ(l.order, (std::vector<int>{1}));
}

}  // namespace
