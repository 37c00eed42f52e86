#include "filelist/flistcore/paint.h"

#include <gtest/gtest.h>

namespace flist {
namespace {

TEST(ListPaint, ColumnLayouts) {
  ColumnLayout l;
  int d = 0;
  LayoutColumns(180, true, 1, 0, &d, &l);
  EXPECT_EQ(l.x[0], 165);
  EXPECT_EQ(l.x[1], 170);
  EXPECT_EQ(l.x[2], 175);
  ColumnLayout m;
  d = 1299;
  LayoutColumns(500, true, 1, 0, &d, &m);
  EXPECT_EQ(d, 1217);
  EXPECT_EQ(m.x[2], 361);
  EXPECT_EQ(m.subdirX, m.x[0] - 61);
  ColumnLayout n;
  d = 1299;
  LayoutColumns(500, true, 2, 1, &d, &n);  // side 2's pair becomes 11 (folder column shown)
  EXPECT_EQ(d, 1199);
  EXPECT_EQ(n.x[2], 500 - 88 - 3);
  ColumnLayout w;
  d = 0;
  LayoutColumns(1000, true, 1, 0, &d, &w);
  EXPECT_EQ(w.x[2], 850);
  EXPECT_EQ(w.x[0], 720);
  // Outside a layout pass a narrow pane still pulls the columns in.
  ColumnLayout o;
  LayoutColumns(300, false, 1, 0, &d, &o);
  EXPECT_EQ(o.x[2], 395);
}

TEST(ListPaint, PathBarSegmentsOfJapaneseFolders) {
  // "C:\データ\表示\ソフト": 表 and ソ end in 0x5C.
  const std::string path = "C:\\\x83\x66\x81\x5B\x83\x5E\\\x95\x5C\x8E\xA6\\\x83\x5C\x83\x74\x83\x67";
  auto s = PathBarSegments(path, 18);
  // Segment 0 is the ">" lead-in, then one segment per component.
  ASSERT_EQ(s.size(), 5u);
  const int c = 4 * 18 / 9;
  EXPECT_EQ(s[0].text, ">");
  EXPECT_EQ(s[0].right, 2 * c);
  EXPECT_EQ(s[1].text, "C:");
  EXPECT_EQ(s[1].right, 5 * c);
  EXPECT_EQ(s[2].right, 5 * c + 7 * c);
  EXPECT_EQ(s[3].text, "\x95\x5C\x8E\xA6");
  EXPECT_EQ(s[3].right, 12 * c + 5 * c);
  EXPECT_EQ(s[4].text, "\x83\x5C\x83\x74\x83\x67");
  EXPECT_EQ(s[4].right, 17 * c + 7 * c);
  std::string deep = "C:";
  for (int i = 0; i < 30; ++i) deep += "\\f";
  EXPECT_EQ(PathBarSegments(deep, 18).size(), 20u);
}

TEST(ListPaint, LineColours) {
  LineColours c;
  c.normal = 1, c.folder = 2, c.hidden = 3, c.system = 4, c.readOnly = 5, c.exeFile = 6, c.onSelect = 7, c.offSelect = 8;
  LineFacts f;
  f.size = -2;
  EXPECT_EQ(ChooseLineColour(f, c).text, 2u);
  f.size = -1;
  EXPECT_EQ(ChooseLineColour(f, c).text, kColourBlack);
  f.size = 10;
  f.sizeHigh = 0x80000000u;
  f.attributes = 0x02 | 0x04;
  EXPECT_EQ(ChooseLineColour(f, c).text, 3u);
  f.attributes = 0;
  f.ext = "EXE";
  EXPECT_EQ(ChooseLineColour(f, c).text, 6u);
  f.ext = "Exe";
  EXPECT_EQ(ChooseLineColour(f, c).text, 1u);
  f.comparing = true;
  f.compareMark = 2;
  EXPECT_EQ(ChooseLineColour(f, c).text, 0x2000F0u);
  f.index = 9000;
  EXPECT_EQ(ChooseLineColour(f, c).text, 0x808000u);
  f.selected = true;
  f.active = true;
  EXPECT_EQ(ChooseLineColour(f, c).back, 7u);
  EXPECT_EQ(ChooseLineColour(f, c).text, 0xFFFFFFu);
}

TEST(ListScroll, CursorAndScrollBar) {
  int tight = 0;
  EXPECT_EQ(ScrollForCursor(0, 18, 0, 57, 3, &tight), 57);
  EXPECT_EQ(ScrollForCursor(180, 18, 20, 5, 20, &tight), 1);   // 5 - 1 - 10/3
  tight = 1;
  EXPECT_EQ(ScrollForCursor(180, 18, 20, 5, 20, &tight), 4);
  EXPECT_EQ(tight, 0);
  EXPECT_EQ(ScrollForCursor(180, 18, 0, 30, 0, &tight), 25);   // 30 - 10 + 2 + 3
  EXPECT_EQ(ScrollForCursor(180, 18, 0, 5, 7, &tight), 7);
  EXPECT_EQ(VScrollPosition(7, 0, 0, 180, 18, 30), 30);       // bottom, 30 entries
  EXPECT_EQ(VScrollPosition(7, 0, 0, 180, 18, 300), 100);     // bottom, 300 entries
  EXPECT_EQ(VScrollPosition(0, 0, 0, 180, 18, 300), 0);
  EXPECT_EQ(VScrollPosition(3, 0, 5, 180, 18, 300), 14);
  EXPECT_EQ(VScrollPosition(5, 250, 5, 180, 18, 200), 200);
  EXPECT_EQ(VScrollPosition(3, 0, 0, 180, 1, 300), 10);
}

TEST(ListPaint, Utf8NamesShownAsShiftJis) {
  EXPECT_EQ(Utf8PathToSjis("C:\\\xE8\xA1\xA8\\a"), "C:\\\x95\x5C\\a");
  // Shift-JIS text passes unchanged (its pairs are not taken for UTF-8).
  EXPECT_EQ(Utf8PathToSjis("\xE8\x81\x5C"), "\xE8\x81\x5C");
  EXPECT_EQ(Utf8PathToSjis(std::string(3000, 'a')).size(), 2000u);
}

}  // namespace
}  // namespace flist
