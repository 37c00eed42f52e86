#include "filelist/flistcore/mouseplan.h"

#include <gtest/gtest.h>

#include <string>

namespace flist {
namespace {

constexpr int H = 18;

TEST(ListMouse, ZonesAndHitTest) {
  struct Row {
    unsigned flags;
    int y, top, cur;
    ClickZone zone;
    int index;
  } rows[] = {
      {1, 5, 0, 7, ClickZone::kPathLine, 0},      // hit test -1: entry 0
      {1, 20, 0, 7, ClickZone::kHeading, 1},      // hit test 0 gives 1
      {1, 20, 4, 7, ClickZone::kHeading, 4},      // a scrolled list: line 1 is entry top
      {1, 2 * H + 2, 0, 7, ClickZone::kEntryLine, 1},
      {1, 3 * H + 5, 10, 7, ClickZone::kEntryLine, 12},
      {1, 0, 0, 7, ClickZone::kTail, 0},          // the border pixel
      {1, H, 0, 7, ClickZone::kTail, 1},
      {0, 300, 0, 7, ClickZone::kTail, 7},        // nFlags 0: the cursor
      {0, 0, 0, -1, ClickZone::kTail, 1},         // no cursor: entry 1
  };
  for (const Row& r : rows) {
    EXPECT_EQ(ClickZoneOf(r.flags, r.y, H), r.zone) << r.y;
    EXPECT_EQ(ClickEntryIndex(r.flags, r.y, H, r.top, r.cur), r.index) << r.y << " top " << r.top;
  }
  EXPECT_EQ(HitTestEntry(5, H, 0), -1);
}

// "C:\データ\表示\ソフト": 表 and ソ end in the byte 0x5C.
const std::string kDeep = "C:\\\x83\x66\x81\x5B\x83\x5E\\\x95\x5C\x8E\xA6\\\x83\x5C\x83\x74\x83\x67";

TEST(ListMouse, PathBarCutsAtCharacterBoundaries) {
  const std::string data = "C:\\\x83\x66\x81\x5B\x83\x5E";
  const std::string hyoji = data + "\\\x95\x5C\x8E\xA6";
  struct Row {
    int k;
    std::string cut;
  } rows[] = {
      {0, ""}, {1, "C:\\"}, {2, data + "\\"}, {3, hyoji + "\\"}, {4, kDeep + "\\"}, {9, kDeep + "\\"},
  };
  for (const Row& r : rows) EXPECT_EQ(CutAfterSeparator(kDeep, r.k), r.cut) << r.k;
}

TEST(ListMouse, PathLineClicks) {
  // Bars as the painter makes them for kDeep: ">", "C:", データ, 表示, ソフト.
  std::int32_t bars[kPathBarSegments] = {};
  const std::vector<PathSegment> segs = PathBarSegments(kDeep, H);
  ASSERT_EQ(segs.size(), 5u);
  for (std::size_t i = 0; i < segs.size(); ++i) bars[i] = segs[i].right;
  const auto mid = [&](int seg) { return (segs[static_cast<std::size_t>(seg)].left + segs[static_cast<std::size_t>(seg)].right) / 2; };
  struct Row {
    int x;
    PathClick::Kind kind;
    std::string folder;
  } rows[] = {
      {mid(0), PathClick::kDriveList, ""},
      {mid(1), PathClick::kEnter, "C:"},
      {mid(2), PathClick::kEnter, "C:\\\x83\x66\x81\x5B\x83\x5E"},
      {mid(3), PathClick::kEnter, "C:\\\x83\x66\x81\x5B\x83\x5E\\\x95\x5C\x8E\xA6"},
      {mid(4), PathClick::kParentOnce, ""},        // the folder itself
      {segs[4].right + 40, PathClick::kParentOnce, ""},  // the grey rest
  };
  for (const Row& r : rows) {
    const PathClick p = PlanPathClick(kDeep, bars, r.x);
    EXPECT_EQ(p.kind, r.kind) << r.x;
    EXPECT_EQ(p.folder, r.folder) << r.x;
  }
}

TEST(ListMouse, NetworkPathsGoUpByLevels) {
  const std::string unc = "\\\\srv\\share\\d";
  std::int32_t bars[kPathBarSegments] = {};
  const std::vector<PathSegment> segs = PathBarSegments(unc, H);
  // ">", "", "", "srv", "share", "d"
  ASSERT_EQ(segs.size(), 6u);
  for (std::size_t i = 0; i < segs.size(); ++i) bars[i] = segs[i].right;
  PathClick p = PlanPathClick(unc, bars, segs[3].left + 2);  // "srv": k 3 gives "\\srv"
  EXPECT_EQ(p.kind, PathClick::kParentTimes);
  EXPECT_EQ(p.times, 2);
  p = PlanPathClick(unc, bars, segs[4].left + 2);  // "share" keeps the UNC form
  EXPECT_EQ(p.kind, PathClick::kEnter);
  EXPECT_EQ(p.folder, "\\\\srv\\share");
  p = PlanPathClick("NW:\\a\\b", bars, segs[2].left + 2);
  EXPECT_EQ(p.kind, PathClick::kParentTimes);
}

TEST(ListMouse, AFolderEndingInALoneLeadByteIsNotEnteredAsAnotherFolder) {
  // "\x99" takes the appended separator as its trail byte: no separator is
  // left to cut at, so the click stands for the folder itself.
  std::int32_t bars[kPathBarSegments] = {10, 20, 30};
  for (const std::string dir : {std::string("\x99"), std::string("C:\\t\\\xF1")}) {
    const PathClick p = PlanPathClick(dir, bars, 100);
    EXPECT_EQ(p.kind, PathClick::kParentOnce) << dir;
  }
}

ColumnLayout Cols() {
  ColumnLayout l;
  l.x[0] = 300, l.x[1] = 340, l.x[2] = 440, l.subdirX = 120;
  return l;
}

TEST(ListMouse, DividerZones) {
  const ColumnLayout l = Cols();
  struct Row {
    int x;
    bool sub;
    int divider;
  } rows[] = {
      {296, false, 1}, {304, false, 1}, {295, false, 0}, {305, false, 0}, {338, false, 2}, {443, false, 3},
      {121, true, 4},  {121, false, 0}, {285, false, 5}, {285, true, 0},  {280, false, 0}, {287, false, 0},
  };
  for (const Row& r : rows) EXPECT_EQ(DividerAt(r.x, l, r.sub), r.divider) << r.x << " sub " << r.sub;
}

TEST(ListMouse, HeadingSortButtons) {
  const ColumnLayout l = Cols();
  struct Row {
    int x;
    std::uint32_t sortBefore;
    bool ordered;
    std::int32_t listFlag;
    std::uint32_t sortAfter;
    std::uint32_t displayAfter;  // from display mode 105
  } rows[] = {
      {200, 0, false, 0, 5, 105}, {200, 5, false, 0, 6, 105}, {200, 6, false, 0, 0, 105}, {200, 3, false, 0, 0, 105},
      {320, 7, false, 0, 8, 105}, {320, 8, false, 0, 7, 105}, {320, 0, false, 0, 7, 105},
      {400, 1, false, 0, 2, 105}, {400, 2, false, 0, 1, 105},
      {500, 3, false, 0, 4, 105}, {500, 4, false, 0, 3, 105},
      {200, 0, true, 0, 0, 106},  {500, 4, true, 0, 4, 103},
      {200, 9, false, 1, 10, 105}, {200, 4, false, 1, 9, 105}, {100, 4, false, 1, 0, 105},  // left of the folder column
  };
  for (const Row& r : rows) {
    HeadingState s;
    s.sortMode = r.sortBefore;
    s.displayMode = 105;
    s.listFlag = r.listFlag;
    ApplyHeadingClick(r.x, l, false, r.ordered, &s);
    EXPECT_EQ(s.sortMode, r.sortAfter) << r.x << " from " << r.sortBefore;
    EXPECT_EQ(s.displayMode, r.displayAfter) << r.x;
  }
  // Three clicks on the name heading from 0: 5, 6, 0.
  HeadingState s;
  std::uint32_t seen[3];
  for (std::uint32_t& v : seen) {
    ApplyHeadingClick(200, l, false, false, &s);
    v = s.sortMode;
  }
  EXPECT_EQ(seen[0], 5u);
  EXPECT_EQ(seen[1], 6u);
  EXPECT_EQ(seen[2], 0u);
}

TEST(ListMouse, HeadingSwitchesAndCompareBuffer) {
  const ColumnLayout l = Cols();
  HeadingState s;
  s.sortMode = 5;
  EXPECT_FALSE(ApplyHeadingClick(10, l, false, false, &s));  // sort mode 5 stays: the comparison stays
  EXPECT_EQ(s.headerSwitch, 1u);
  EXPECT_TRUE(ApplyHeadingClick(293, l, false, false, &s));  // the folder-column switch
  EXPECT_EQ(s.listFlag, 1);
  // The drive list: only the left end does anything.
  HeadingState d;
  d.sortMode = 5;
  ApplyHeadingClick(14, l, true, false, &d);
  EXPECT_EQ(d.headerSwitch, 1u);
  ApplyHeadingClick(16, l, true, false, &d);
  ApplyHeadingClick(500, l, true, false, &d);
  EXPECT_EQ(d.headerSwitch, 1u);
  EXPECT_EQ(d.sortMode, 5u);
}

TEST(ListMouse, DirSortPacking) {
  struct Row {
    int old, side;
    std::uint32_t mode;
    int packed;
  } rows[] = {
      {0, 1, 3, 3},         {0, 2, 3, 30},        {4321, 1, 5, 4025},   {4321, 2, 5, 351},
      {9999, 1, 0, 9090},   {9999, 2, 0, 909},    {1234, 1, 104, 1134}, {1234, 2, 104, 1244},
      {-7, 1, 2, 2},
  };
  for (const Row& r : rows) EXPECT_EQ(PackDirSortAfterHeading(r.old, r.side, r.mode), r.packed) << r.old << "/" << r.side;
}

struct Table {
  EntryTable t;
  ListState s;
  explicit Table(int count) {
    t.AllocateEntryBuffers(200);
    t.m_nEntryCount = count;
  }
};

TEST(ListMouse, ClickMarks) {
  Table a(20);
  ClickMarkEntry(a.t, a.s, 4, false);
  EXPECT_EQ(a.s.m_nCurEntry, 4);
  EXPECT_EQ(a.s.m_nMarkCount, 1u);
  a.t.m_pMarks[9] = 1;
  a.t.m_pMarks[12] = 1;
  // A marked entry: the cursor goes to the nearest marked entry above ...
  ClickMarkEntry(a.t, a.s, 9, false);
  EXPECT_EQ(a.t.m_pMarks[9], 0);
  EXPECT_EQ(a.s.m_nCurEntry, 4);
  // ... else below ...
  ClickMarkEntry(a.t, a.s, 4, false);
  EXPECT_EQ(a.s.m_nCurEntry, 12);
  // ... else -1.
  ClickMarkEntry(a.t, a.s, 12, false);
  EXPECT_EQ(a.s.m_nCurEntry, -1);
  // Outside the table nothing changes.
  ClickMarkEntry(a.t, a.s, 5000, false);
  ClickMarkEntry(a.t, a.s, -3, false);
  EXPECT_EQ(a.s.m_nCurEntry, -1);
}

TEST(ListMouse, OrderedSelectionStopsAt99) {
  Table a(150);
  for (int i = 1; i <= 120; ++i) ClickMarkEntry(a.t, a.s, i, true);
  EXPECT_EQ(a.s.m_nMarkCount, 99u);
  EXPECT_EQ(a.s.m_aMarkOrder[1], 1u);
  EXPECT_EQ(a.s.m_aMarkOrder[99], 99u);
  // Unmarking takes the entry out of the order; the next one appended.
  ClickMarkEntry(a.t, a.s, 50, true);
  EXPECT_EQ(a.s.m_nMarkCount, 98u);
  EXPECT_EQ(a.s.m_aMarkOrder[50], 51u);
  ClickMarkEntry(a.t, a.s, 50, true);
  EXPECT_EQ(a.s.m_nMarkCount, 99u);
  EXPECT_EQ(a.s.m_aMarkOrder[99], 50u);
}

TEST(ListMouse, DividerDrags) {
  struct Row {
    int kind, x;
    ColumnLayout after;
  } rows[] = {
      {1, 320, {{320, 360, 460}, 120}},
      {1, 140, {{140, 180, 280}, 110}},  // the folder column keeps 30 pixels away
      {1, 40, {{40, 80, 180}, 30}},      // never below 30
      {2, 360, {{300, 360, 460}, 120}},
      {3, 500, {{300, 340, 500}, 120}},
      {4, 150, {{330, 370, 470}, 150}},
      {5, 270, {{288, 328, 428}, 120}},
      {0, 270, {{300, 340, 440}, 120}},
  };
  for (const Row& r : rows) {
    ColumnLayout l = Cols();
    DragDivider(r.kind, r.x, &l);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(l.x[i], r.after.x[i]) << "kind " << r.kind << " col " << i;
    EXPECT_EQ(l.subdirX, r.after.subdirX) << "kind " << r.kind;
  }
}

TEST(ListMouse, ColumnWidthWord) {
  struct Row {
    int old, side, width, c2, layout, after;
  } rows[] = {
      {1234, 1, 600, 440, 0, 1220},  // w = 20
      {1234, 2, 600, 440, 0, 2034},  // pane 2 keeps pane 1's digits
      {1234, 1, 2000, 440, 1, 1299}, // w held to 99
      {1234, 2, 430, 440, 0, 1234},  // w not above 0
      {1234, 1, 600, 440, 3, 1234},  // layouts 3 and 13 write nothing
      {1234, 2, 600, 440, 13, 1234},
  };
  for (const Row& r : rows)
    EXPECT_EQ(FlistDAfterDrag(r.old, r.side, r.width, r.c2, r.layout), r.after) << r.side << "/" << r.layout;
}

TEST(ListMouse, ButtonUpExtent) {
  struct Row {
    int layout, height, width, flag, schedule, stored;
  } rows[] = {
      {0, 300, 500, 0, 2, 300}, {1, 300, 500, 1, 2, 300}, {9, 300, 500, 0, 2, 511}, {11, 300, 500, 0, 2, 525},
      {9, 300, 500, 1, 2, -1},  {2, 300, 500, 0, 2, -1},  {0, 10, 500, 0, 2, -1},   {0, 300, 500, 0, 1, -1},
      {12, 300, 500, 0, 2, -1},
  };
  for (const Row& r : rows)
    EXPECT_EQ(ListExtentToStore(r.layout, r.height, r.width, r.flag, r.schedule), r.stored) << r.layout;
}

TEST(ListMouse, DragStartsAtTheEdgeWithAButton) {
  struct Row {
    int fdrag;
    unsigned flags;
    int x, y;
    bool starts;
  } rows[] = {
      {1, 1, 5, 100, true},   {1, 1, 395, 100, true}, {1, 1, 200, 5, true}, {1, 1, 200, 295, true},
      {1, 1, 200, 100, false}, {0, 1, 5, 100, false}, {1, 0, 5, 100, false}, {1, 4, 5, 100, false},
      {1, 8, 5, 100, false},  {1, 9, 5, 100, true},
  };
  for (const Row& r : rows) EXPECT_EQ(DragOutStarts(r.fdrag, r.flags, r.x, r.y, 400, 300), r.starts) << r.x << "," << r.y;
}

}  // namespace
}  // namespace flist
