// Pane requests, layouts and the main window's start position.
#include <gtest/gtest.h>

#include <vector>

#include "host/pane_layout.h"

using app::NewlyShownTextPanes;
using app::PaneCell;
using app::PaneIndexOf;
using app::TextLayout;
using app::TextLayoutFor;
using app::TextPaneShown;

TEST(PaneLayout, TextPaneRequestsAreClamped) {
  auto cell = [](int r, int c) {
    PaneCell p = app::ClampTextPane(r, c);
    return p.row * 10 + p.col;
  };
  EXPECT_EQ(0, cell(0, 0));
  EXPECT_EQ(11, cell(1, 1));
  EXPECT_EQ(11, cell(2, 1));  // row 2 accepted, taken as the last row
  EXPECT_EQ(0, cell(3, 0));
  EXPECT_EQ(0, cell(-1, 2));
  EXPECT_EQ(10, cell(1, 5));
}

TEST(PaneLayout, ListPaneRequestsClampAndSwapWhenStacked) {
  PaneCell p = app::ClampListPane(0, 1, 0);
  EXPECT_EQ(0, p.row);
  EXPECT_EQ(1, p.col);
  p = app::ClampListPane(0, 1, 9);  // stacked lists: side 2 is the second row
  EXPECT_EQ(1, p.row);
  EXPECT_EQ(0, p.col);
  p = app::ClampListPane(5, -3, 13);
  EXPECT_EQ(0, p.row);
  EXPECT_EQ(0, p.col);
  EXPECT_FALSE(app::ListsStacked(8));
  EXPECT_TRUE(app::ListsStacked(18));
}

TEST(PaneLayout, PaneNumbersRoundTrip) {
  EXPECT_EQ(1, app::PaneIndexOf(0, 0));
  EXPECT_EQ(2, app::PaneIndexOf(1, 0));
  EXPECT_EQ(3, app::PaneIndexOf(0, 1));
  EXPECT_EQ(4, app::PaneIndexOf(1, 1));
  for (int i = 1; i <= 4; ++i) {
    PaneCell c = app::CellOfPaneIndex(i);
    EXPECT_EQ(i, app::PaneIndexOf(c.row, c.col));
  }
  PaneCell bad = app::CellOfPaneIndex(5);
  EXPECT_EQ(0, bad.row + bad.col);
}

TEST(PaneLayout, TwoPaneModesHideOneRowOrColumn) {
  for (int mode : {1, 2, 9}) {
    app::TextLayout t = app::TextLayoutFor(mode, false);
    EXPECT_TRUE((t.rowPermille == 1000) != (t.colPermille == 1000)) << mode;
  }
  app::TextLayout four = app::TextLayoutFor(3, false);
  EXPECT_EQ(500, four.rowPermille);
  EXPECT_EQ(500, four.colPermille);
  app::TextLayout one = app::TextLayoutFor(0, false);
  EXPECT_EQ(1000, one.rowPermille);
  EXPECT_EQ(1000, one.colPermille);
  app::TextLayout mirrored = app::TextLayoutFor(1, true);  // second row shown
  EXPECT_EQ(0, mirrored.rowPermille);
  EXPECT_EQ(500, mirrored.colPermille);
  EXPECT_EQ(1000, app::TextLayoutFor(17, false).rowPermille);  // unknown: one pane
}

TEST(PaneLayout, ALayoutChangeNamesThePanesItNewlyShows) {
  const TextLayout one = TextLayoutFor(0, false), side = TextLayoutFor(1, false);
  const TextLayout stacked = TextLayoutFor(2, false), four = TextLayoutFor(3, false);
  EXPECT_TRUE(TextPaneShown(one, 0, 0));
  EXPECT_FALSE(TextPaneShown(one, 0, 1));
  EXPECT_FALSE(TextPaneShown(one, 1, 0));
  auto cells = [](const std::vector<PaneCell>& v) {
    std::vector<int> out;
    for (const PaneCell& c : v) out.push_back(PaneIndexOf(c.row, c.col));
    return out;
  };
  // The toggle's cycle: one -> side by side -> stacked -> four -> one.
  EXPECT_EQ(std::vector<int>{3}, cells(NewlyShownTextPanes(one, side)));
  EXPECT_EQ(std::vector<int>{2}, cells(NewlyShownTextPanes(side, stacked)));
  EXPECT_EQ((std::vector<int>{3, 4}), cells(NewlyShownTextPanes(stacked, four)));
  EXPECT_TRUE(NewlyShownTextPanes(four, one).empty());
  EXPECT_TRUE(NewlyShownTextPanes(side, side).empty());
  EXPECT_EQ((std::vector<int>{2, 3, 4}), cells(NewlyShownTextPanes(one, four)));
  // The mirrored one-pane layout shows pane 4 only.
  EXPECT_EQ(std::vector<int>{4}, cells(NewlyShownTextPanes(one, TextLayoutFor(0, true))));
}

TEST(PaneLayout, LayoutCycleAndRequests) {
  EXPECT_EQ(1, app::NextTextSplitMode(0, false));
  EXPECT_EQ(0, app::NextTextSplitMode(3, false));
  EXPECT_EQ(3, app::NextTextSplitMode(0, true));
  EXPECT_EQ(0, app::NextTextSplitMode(9, false));  // outside the cycle: start again
  EXPECT_EQ(0, app::SplitModeForLayoutRequest(5));
  EXPECT_EQ(3, app::SplitModeForLayoutRequest(8));
  EXPECT_EQ(-1, app::SplitModeForLayoutRequest(4));
  EXPECT_EQ(1000, app::ListSharePermille(1));
  EXPECT_EQ(0, app::ListSharePermille(2));
  EXPECT_EQ(app::ListSharePermille(0), app::ListSharePermille(77));
}

TEST(PaneLayout, CopiesOpenShiftedFromTheSavedPosition) {
  const int posi[5] = {0, 100, 100, 800, 600};
  app::WindowPlacement p = app::PlaceMainWindow(posi, 0, 0, 1920, 1080, 0);
  EXPECT_EQ(100, p.x);
  EXPECT_EQ(100, p.y);
  EXPECT_EQ(800, p.width);
  EXPECT_EQ(600, p.height);
  p = app::PlaceMainWindow(posi, 2, 0, 1920, 1080, 0);
  EXPECT_EQ(110, p.x);
  EXPECT_EQ(140, p.y);
  p = app::PlaceMainWindow(posi, 4, 0, 1920, 1080, 0);
  EXPECT_EQ(120, p.x);
  EXPECT_EQ(100, p.y);  // 4 mod 4: saved height
  EXPECT_EQ(600, p.height);
  p = app::PlaceMainWindow(posi, 2, 1, 1920, 1080, 0);  // side display: no shift
  EXPECT_EQ(100, p.x);
}

TEST(PaneLayout, OffScreenPositionsComeBackOnTheDesktop) {
  const int posi[5] = {0, -20, 5000, 20, 9999};
  app::WindowPlacement p = app::PlaceMainWindow(posi, 0, 0, 1024, 768, 0);
  EXPECT_EQ(50, p.x);
  EXPECT_EQ(50, p.y);
  EXPECT_EQ(924, p.width);
  EXPECT_EQ(668, p.height);
  p = app::PlaceMainWindow(posi, 3, 0, 1024, 768, 1);
  EXPECT_EQ(10, p.x);
  EXPECT_EQ(10, p.y);
  EXPECT_EQ(200, p.width);
  EXPECT_EQ(30, p.height);
}

TEST(PaneLayout, StartLayoutModeAdjustment) {
  EXPECT_EQ(3, app::StartLayoutMode(0));
  EXPECT_EQ(0, app::StartLayoutMode(1));
  EXPECT_EQ(13, app::StartLayoutMode(10));
  EXPECT_EQ(12, app::StartLayoutMode(13));
}
