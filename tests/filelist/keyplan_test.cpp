#include "filelist/flistcore/keyplan.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "cmd/command_table.h"
#include "filelist/flistcore/dragplan.h"

namespace flist {
namespace {

struct Pane {
  EntryTable t;
  ListState s;
  explicit Pane(int count, int cur) {
    t.AllocateEntryBuffers(100);
    t.m_nEntryCount = count;
    s.m_nCurEntry = cur;
  }
  // One key as the key member takes it: move, then mark.
  bool Press(CursorKey k, bool shift, int page = 5) {
    int next = 0;
    const int old = s.m_nCurEntry;
    if (!MoveCursor(k, old, t.m_nEntryCount, page, &next)) return false;
    s.m_nCurEntry = next;
    MarkAfterMove(t, s, k, old, shift);
    return true;
  }
  std::vector<int> Marks() const {
    std::vector<int> m;
    for (int i = 0; i < t.m_nCapacity; ++i)
      if (t.m_pMarks[i]) m.push_back(i);
    return m;
  }
};

TEST(ListKeys, ShiftArrowsMarkAndUnmark) {
  Pane p(20, 4);
  ASSERT_TRUE(p.Press(CursorKey::kDown, false));  // a plain arrow: 5 alone
  EXPECT_EQ(p.Marks(), std::vector<int>({5}));
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(p.Press(CursorKey::kDown, true));
  EXPECT_EQ(p.s.m_nCurEntry, 8);
  EXPECT_EQ(p.Marks(), std::vector<int>({5, 6, 7, 8}));
  EXPECT_EQ(p.s.m_nMarkCount, 4u);
  EXPECT_EQ(p.s.m_aMarkOrder[4], 8u);
  ASSERT_TRUE(p.Press(CursorKey::kUp, true));
  EXPECT_EQ(p.s.m_nCurEntry, 7);
  EXPECT_EQ(p.Marks(), std::vector<int>({5, 6, 7}));
  EXPECT_EQ(p.s.m_aMarkOrder[4], 0u);  // its slot cleared
  ASSERT_TRUE(p.Press(CursorKey::kUp, false));
  EXPECT_EQ(p.Marks(), std::vector<int>({6}));
  EXPECT_EQ(p.s.m_nMarkCount, 1u);
}

TEST(ListKeys, MovesAtTheEnds) {
  // 12 entries: 0 "..", 1-10 names, 11 the closing entry.
  struct Row {
    CursorKey key;
    int from;
    bool moves;
    int to;
  } rows[] = {
      {CursorKey::kDown, 10, false, 10}, {CursorKey::kDown, 9, true, 10},   {CursorKey::kUp, 0, false, 0},
      {CursorKey::kPageUp, 0, false, 0}, {CursorKey::kPageUp, 3, true, 0},  {CursorKey::kPageDown, 11, false, 11},
      {CursorKey::kPageDown, 8, true, 11}, {CursorKey::kPageDown, 2, true, 7}, {CursorKey::kEnd, 3, true, 10},
      {CursorKey::kHome, 7, true, 0},
  };
  for (const Row& r : rows) {
    int next = r.from;
    EXPECT_EQ(MoveCursor(r.key, r.from, 12, 5, &next), r.moves) << static_cast<int>(r.key) << " from " << r.from;
    if (r.moves) {
      EXPECT_EQ(next, r.to) << static_cast<int>(r.key) << " from " << r.from;
    }
  }
  EXPECT_EQ(ListPageLines(400, 18), 21);
  EXPECT_EQ(ListPageLines(60, 18), 5);
  EXPECT_EQ(ListPageLines(60, 0), 5);
}

TEST(ListKeys, PageAndEndMarkingWithAndWithoutShift) {
  struct Row {
    CursorKey key;
    int from;
    bool shift;
    int cursor;
    std::vector<int> marks;
  } rows[] = {
      {CursorKey::kPageDown, 2, true, 7, {2, 3, 4, 5, 6}},
      {CursorKey::kPageDown, 2, false, 7, {7}},
      {CursorKey::kEnd, 3, true, 10, {3, 4, 5, 6, 7, 8, 9}},
      {CursorKey::kEnd, 3, false, 10, {10}},
      {CursorKey::kPageUp, 8, true, 3, {3, 4, 5, 6, 7}},
      {CursorKey::kPageUp, 8, false, 3, {3}},
      // Home with Shift: entry 0 never stays marked and the cursor moves to 1.
      {CursorKey::kHome, 4, true, 1, {1, 2, 3}},
      {CursorKey::kHome, 4, false, 0, {0}},
      // Page Down onto the closing entry with Shift: it is left unmarked.
      {CursorKey::kPageDown, 8, true, 10, {8, 9, 10}},
  };
  for (const Row& r : rows) {
    Pane p(12, r.from);
    ASSERT_TRUE(p.Press(r.key, r.shift)) << static_cast<int>(r.key);
    EXPECT_EQ(p.s.m_nCurEntry, r.cursor) << static_cast<int>(r.key) << " shift " << r.shift;
    EXPECT_EQ(p.Marks(), r.marks) << static_cast<int>(r.key) << " shift " << r.shift;
  }
  // A marked target unmarks the range instead.
  Pane q(12, 2);
  for (int i = 2; i <= 7; ++i) q.t.m_pMarks[i] = 1;
  ASSERT_TRUE(q.Press(CursorKey::kPageDown, true));
  EXPECT_EQ(q.Marks(), std::vector<int>({7}));
  Pane u(12, 8);
  for (int i = 3; i <= 8; ++i) u.t.m_pMarks[i] = 1;
  ASSERT_TRUE(u.Press(CursorKey::kPageUp, true));
  EXPECT_TRUE(u.Marks().empty());
}

TEST(ListKeys, TableRows) {
  struct Row {
    unsigned key;
    bool shift, ctrl;
    unsigned command;
    ListRoutine routine;
    int arg;
  } rows[] = {
      {'0', false, false, 0, ListRoutine::kJumpRegister, 20},
      {'5', false, false, 0, ListRoutine::kJumpRegister, 15},
      {vk::kOemPlus, false, false, 0, ListRoutine::kJumpRegister, 25},
      {vk::kF2, false, false, 0, ListRoutine::kQuickCapture, 0},
      {vk::kBack, false, false, 0, ListRoutine::kParentFolder, 0},
      {vk::kRight, false, false, listcmd::kForward, ListRoutine::kNone, 0},
      {vk::kSpace, false, false, 0, ListRoutine::kLeftClick, 0},
      {vk::kOem2, true, false, listcmd::kHelp, ListRoutine::kNone, 0},
      {vk::kOem2, false, false, 0, ListRoutine::kTextLayout, 5},
      {vk::kOem4, false, false, 0, ListRoutine::kTextLayout, 8},
      {vk::kOemMinus, true, false, 0, ListRoutine::kAssociation, 0},
      {vk::kOemMinus, false, false, listcmd::kEditSchedule, ListRoutine::kNone, 0},
      {'W', false, true, 0, ListRoutine::kNone, 0},
      {'W', false, false, listcmd::kTwoTextPanes, ListRoutine::kNone, 0},
      {'S', false, false, listcmd::kSortSize, ListRoutine::kNone, 0},
      {'X', false, false, listcmd::kExecute, ListRoutine::kNone, 0},
  };
  for (const Row& r : rows) {
    const ListKey* k = FindListKey(r.key, r.shift, r.ctrl);
    ASSERT_NE(nullptr, k) << r.key;
    EXPECT_EQ(k->command, r.command) << r.key;
    EXPECT_EQ(k->routine, r.routine) << r.key;
    EXPECT_EQ(k->arg, r.arg) << r.key;
  }
  // Keys that act everywhere are the frame's accelerators, not rows here.
  EXPECT_EQ(nullptr, FindListKey(0x77 /* F8 */, false, false));
  EXPECT_EQ(nullptr, FindListKey('H', false, false));
}

TEST(ListKeys, EveryCommandOfTheTableHasARow) {
  // Commands the table sends must name rows of the command table, except
  // those whose part of the list is still to come (they do nothing yet).
  const std::set<unsigned> later = {listcmd::kDelete,   listcmd::kCopyNames, listcmd::kCopy,       listcmd::kEndAndRun,
                                    listcmd::kListSync, listcmd::kNewFolder, listcmd::kFlipImage,  listcmd::kWrap,
                                    listcmd::kFontSwitch, listcmd::kRename,  listcmd::kMove,       listcmd::kReload,
                                    listcmd::kTotalSize, listcmd::kSideDisplay, listcmd::kEditSchedule,
                                    listcmd::kHelp,     listcmd::kTwoTextPanes, listcmd::kNewWindow, listcmd::kForward,
                                    listcmd::kBinaryView, listcmd::kSortDate, listcmd::kSortExt, listcmd::kSortName,
                                    listcmd::kSortSize, listcmd::kExecute, listcmd::kListDisplay};
  std::set<unsigned> keys;
  for (const ListKey& k : ListKeyTable()) {
    EXPECT_TRUE(k.command == 0 || k.routine == ListRoutine::kNone) << k.vk;
    if (k.command == 0) continue;
    if (!later.count(k.command)) {
      EXPECT_NE(nullptr, cmd::FindCommand(k.command)) << k.command;
    }
    // No key of the list is also a plain accelerator of the frame (F5 is
    // still the frame's macro resume: the list's copy of names comes later).
    if (k.vk != vk::kF5) {
      EXPECT_EQ(0u, cmd::CommandForKey(k.vk, false, false)) << k.vk;
    }
  }
}

TEST(ListKeys, MediaKeys) {
  struct Row {
    unsigned key;
    bool second, ctrl;
    int code;
  } rows[] = {
      {vk::kSpace, true, false, 31}, {'R', true, false, 31},   {'B', true, false, 32},      {'X', true, false, -1},
      {'I', false, false, 9},        {vk::kSpace, false, false, 4}, {'B', false, false, 3}, {vk::kShift, false, false, 3},
      {vk::kOemComma, false, false, 41}, {vk::kOemPeriod, false, false, 42}, {vk::kLeft, false, false, 1},
      {vk::kLeft, false, true, 7},   {vk::kRight, false, false, 2}, {vk::kRight, false, true, 8}, {'X', false, false, 0},
  };
  for (const Row& r : rows) EXPECT_EQ(MediaKeyCode(r.key, r.second, r.ctrl), r.code) << r.key;
}

TEST(ListKeys, F11Layouts) {
  struct Row {
    int mode, pane;
    FullLayout want;
  } rows[] = {
      {4, 1, {0, false, 0, 0}}, {8, 1, {0, false, 0, 0}}, {14, 1, {10, false, 0, 0}}, {11, 1, {11, false, 0, 0}},
      {2, 1, {0, true, 0, 1}},  {2, 2, {0, true, 1, 0}},  {2, 3, {0, true, 0, 0}},   {2, 5, {0, true, 1, 1}},
  };
  for (const Row& r : rows) {
    const FullLayout f = F11Layout(r.mode, r.pane, 0, 1);
    EXPECT_EQ(f.layoutMode, r.want.layoutMode) << r.mode;
    EXPECT_EQ(f.activateText, r.want.activateText) << r.mode;
    EXPECT_EQ(f.row, r.want.row) << r.mode << "/" << r.pane;
    EXPECT_EQ(f.col, r.want.col) << r.mode << "/" << r.pane;
  }
}

TEST(ListDrag, MarkedEntriesUpToTheCursor) {
  EntryTable t;
  t.AllocateEntryBuffers(50);
  t.m_nEntryCount = 10;
  t.m_pMarks[2] = t.m_pMarks[5] = t.m_pMarks[8] = 1;
  const auto path = [](int i) { return "C:\\d\\f" + std::to_string(i); };
  const std::vector<std::string> p = MarkedPathsUpTo(t, 5, path);
  EXPECT_EQ(p, std::vector<std::string>({"C:\\d\\f2", "C:\\d\\f5"}));
  const std::vector<std::uint8_t> b = BuildDropBlock(p);
  ASSERT_EQ(b.size(), kDropBlockBytes);
  EXPECT_EQ(b[0], 20);
  for (int i = 1; i < 20; ++i) EXPECT_EQ(b[static_cast<std::size_t>(i)], 0) << i;  // point 0,0, 8-bit names
  EXPECT_EQ(ReadDropBlock(b), p);
  EXPECT_EQ(b[20 + 7 + 1 + 7 + 1], 0);  // the closing NUL
}

TEST(ListDrag, OverflowDropsTheLaterPaths) {
  // Header 20 + two paths of 1,201 bytes with their NULs: the third would
  // pass 2,500 and ends the list, though the short fourth would fit.
  const std::vector<std::string> p = {std::string(1200, 'a'), std::string(1200, 'b'), std::string(100, 'c'), "d"};
  std::size_t taken = 0;
  const std::vector<std::uint8_t> b = BuildDropBlock(p, &taken);
  EXPECT_EQ(taken, 2u);
  EXPECT_EQ(ReadDropBlock(b).size(), 2u);
  // Exactly full: header, one name of 2,478 bytes, its NUL and the closing NUL.
  EXPECT_EQ(ReadDropBlock(BuildDropBlock({std::string(2478, 'x')})).size(), 1u);
  EXPECT_EQ(ReadDropBlock(BuildDropBlock({std::string(2479, 'x')})).size(), 0u);
  EXPECT_TRUE(ReadDropBlock({1, 2, 3}).empty());
}

}  // namespace
}  // namespace flist
