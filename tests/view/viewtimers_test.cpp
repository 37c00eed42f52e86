// The "TEMPID" walk, the media position tick, the status bar's media strip
// and the image menu with its presses.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "view/viewui/ctxmenu.h"
#include "view/viewui/mediastrip.h"
#include "view/viewui/viewtimers.h"

namespace {

std::vector<viewui::TopWindow> Windows(int n) {
  std::vector<viewui::TopWindow> w(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    w[i].handle = static_cast<std::uintptr_t>(1000 + i);
    w[i].title = "window " + std::to_string(i);
  }
  return w;
}

TEST(TempWindowWalk, FirstTempIdAmongTheFirst500SkippingTheFrame) {
  std::vector<viewui::TopWindow> w = Windows(600);
  w[550].title = "TEMPID";
  EXPECT_EQ(-1, viewui::FindTempWindow(w, 1, 2));  // not reached
  w[499].title = "TEMPID";
  EXPECT_EQ(499, viewui::FindTempWindow(w, 1, 2));
  // Two of them: the first.
  w[30].title = "TEMPID";
  EXPECT_EQ(30, viewui::FindTempWindow(w, 1, 2));
  // The frame itself and its top-level parent are never closed.
  w[10].title = "TEMPID";
  w[20].title = "TEMPID";
  EXPECT_EQ(30, viewui::FindTempWindow(w, w[10].handle, w[20].handle));
  // A window gone during the walk ends it.
  w[25].exists = false;
  EXPECT_EQ(-1, viewui::FindTempWindow(w, w[10].handle, w[20].handle));
  // Titles are compared whole.
  std::vector<viewui::TopWindow> near = Windows(3);
  near[0].title = "TEMPID ";
  near[1].title = "tempid";
  EXPECT_EQ(-1, viewui::FindTempWindow(near, 0, 0));
  EXPECT_EQ(-1, viewui::FindTempWindow({}, 0, 0));
}

viewui::MediaTick Tick(bool medium, bool sound, int pos, int len, bool loop, int start, int end) {
  viewui::MediaTickState s;
  s.mediumPlays = medium;
  s.soundPlays = sound;
  s.position = pos;
  s.length = len;
  s.loopPlay = loop;
  s.loopStart = start;
  s.loopEnd = end;
  return viewui::PlanMediaTick(s);
}

TEST(MediaTick, StopsWhenNothingPlaysAndLoopsFromTheStart) {
  EXPECT_TRUE(Tick(false, false, 0, 0, true, 0, 0).kill);
  EXPECT_FALSE(Tick(false, true, 0, 0, true, 0, 0).kill);
  // Loop end set: from the end to the end + 5000 plays again from the start.
  EXPECT_FALSE(Tick(true, false, 9999, 60000, true, 1000, 10000).play);
  viewui::MediaTick t = Tick(true, false, 10000, 60000, true, 1000, 10000);
  EXPECT_TRUE(t.play);
  EXPECT_EQ(1000, t.from);
  EXPECT_TRUE(Tick(true, false, 15000, 60000, true, 1000, 10000).play);
  EXPECT_FALSE(Tick(true, false, 15001, 60000, true, 1000, 10000).play);
  // Past the length less 10 always loops.
  EXPECT_TRUE(Tick(true, false, 59991, 60000, true, 1000, 10000).play);
  // No end: the length less 10 is the end. A negative start plays from 0.
  EXPECT_FALSE(Tick(true, false, 59989, 60000, true, -5, 0).play);
  t = Tick(true, false, 59990, 60000, true, -5, 0);
  EXPECT_TRUE(t.play);
  EXPECT_EQ(0, t.from);
  // Without loop play nothing is played again.
  EXPECT_FALSE(Tick(true, false, 59995, 60000, false, 0, 0).play);
}

TEST(MediaTick, AnUnknownLengthDoesNotRestartEveryTick) {
  // Length 0 (no answer to the status query): only the loop end applies.
  EXPECT_FALSE(Tick(true, false, 500, 0, true, 0, 0).play);
  EXPECT_FALSE(Tick(true, false, 500, 0, true, 0, 10000).play);
  EXPECT_TRUE(Tick(true, false, 10500, 0, true, 0, 10000).play);
  EXPECT_FALSE(Tick(true, false, 500, -1, true, 0, 0).play);
  EXPECT_TRUE(Tick(true, false, 0x7FFFFFFF, 0, true, 0, 0x7FFFFFFF - 3).play);
}

TEST(MediaTick, WhileASoundPlaysItsCountersAreThePosition) {
  viewui::MediaTickState s;
  s.mediumPlays = true;
  s.soundPlays = true;
  s.position = 0;  // the medium's query is not read
  s.length = 0;
  s.soundPosition = 29995;
  s.soundLength = 30000;
  s.loopPlay = true;
  s.loopStart = 200;
  viewui::MediaTick t = viewui::PlanMediaTick(s);
  EXPECT_TRUE(t.play);
  EXPECT_EQ(200, t.from);
  s.soundPosition = 100;
  EXPECT_FALSE(viewui::PlanMediaTick(s).play);
  // A sound alone has no loop.
  s.mediumPlays = false;
  s.soundPosition = 29995;
  EXPECT_FALSE(viewui::PlanMediaTick(s).play);
  EXPECT_FALSE(viewui::PlanMediaTick(s).kill);
}

viewui::StripResult Strip(int x, int y) {
  viewui::StripPress p;
  p.frameLeft = 100;
  p.frameRight = 900;
  p.frameBottom = 700;
  p.paneLeft = 200;
  p.paneRight = 420;
  p.x = x;
  p.y = y;
  return viewui::PlanStripPress(p);
}

TEST(MediaStrip, ZonesAroundStatusPane1) {
  // dx = x - 105; pane 1 from 200: the position zone is dx 190..364, the
  // loop switch dx 365..440.
  const int x0 = 105;
  for (int dy : {-35, -20, 0, 4}) {
    EXPECT_EQ(viewui::StripAction::kOnBar, Strip(x0 + 189, 700 + dy).action) << dy;
    viewui::StripResult r = Strip(x0 + 190, 700 + dy);
    EXPECT_EQ(viewui::StripAction::kPosition, r.action) << dy;
    EXPECT_EQ(-10 * 265 / 225 + 395, r.position);
    r = Strip(x0 + 200, 700 + dy);
    EXPECT_EQ(395, r.position);
    r = Strip(x0 + 364, 700 + dy);
    EXPECT_EQ(viewui::StripAction::kPosition, r.action);
    EXPECT_EQ(164 * 265 / 225 + 395, r.position);
    EXPECT_EQ(viewui::StripAction::kToggleLoop, Strip(x0 + 365, 700 + dy).action);
    EXPECT_EQ(viewui::StripAction::kToggleLoop, Strip(x0 + 440, 700 + dy).action);
    EXPECT_EQ(viewui::StripAction::kOnBar, Strip(x0 + 441, 700 + dy).action);
    EXPECT_FALSE(Strip(x0 + 441, 700 + dy).releaseCapture);
  }
  // Above the bar: the menus, capture released.
  viewui::StripResult r = Strip(x0 + 250, 700 - 36);
  EXPECT_EQ(viewui::StripAction::kMenu, r.action);
  EXPECT_TRUE(r.releaseCapture);
  EXPECT_EQ(viewui::StripAction::kMenu, Strip(x0 + 250, 705).action);
  // Below the frame or beside it: no menu.
  EXPECT_EQ(viewui::StripAction::kNoMenu, Strip(x0 + 250, 706).action);
  EXPECT_EQ(viewui::StripAction::kNoMenu, Strip(x0 - 1, 400).action);
  EXPECT_EQ(viewui::StripAction::kNoMenu, Strip(x0 + 801, 400).action);
  EXPECT_EQ(viewui::StripAction::kNoMenu, Strip(x0 - 1, 700).action);
  EXPECT_EQ(viewui::StripAction::kMenu, Strip(x0 + 800, 400).action);
}

// A submenu reads 1.
std::vector<unsigned> Ids(const std::vector<viewui::MenuRow>& rows) {
  std::vector<unsigned> ids;
  for (const auto& r : rows) ids.push_back(!r.submenu.empty() ? 1u : r.separator ? 0u : r.id);
  return ids;
}

TEST(ImageMenu, RowsForEachState) {
  viewui::ContextMenuState s;
  s.fileKind = 14;
  for (int region = 0; region < 2; ++region)
    for (int pasted = 0; pasted < 2; ++pasted)
      for (int sel = 0; sel < 2; ++sel)
        for (int key = 0; key < 2; ++key)
          for (int back = 0; back < 2; ++back) {
            s.regionSelected = region != 0;
            s.pastedImage = pasted != 0;
            s.imageSelMode = sel;
            s.internalKey = key != 0;
            s.backDiffers = back != 0;
            const std::vector<viewui::MenuRow> rows = viewui::BuildContextMenu(viewui::ContextMenuKind::kImage, s);
            std::vector<unsigned> want = {ID_REGION_TOP_LEFT, ID_REGION_BOTTOM_RIGHT};
            if (!region) {
              want.push_back(0);
              if (pasted) want.push_back(ID_REGION_PASTE);
              if (pasted && sel) want.push_back(ID_REGION_UNDO);
              want.push_back(ID_REGION_COPY);
              want.push_back(ID_REGION_INSERT_FILE);
            } else {
              want.insert(want.end(), {ID_REGION_CLEAR, 0, ID_REGION_COPY, ID_REGION_CUT, ID_REGION_PASTE,
                                       ID_REGION_CROP, ID_REGION_INSERT_FILE, ID_REGION_SAVE_FILE});
              if (sel) want.push_back(ID_REGION_UNDO);
              want.push_back(ID_REGION_PRINT);
              want.push_back(0);
            }
            want.insert(want.end(), {ID_IMAGE_SAVE_AS, ID_IMAGE_BACK_COLOR, ID_PRINT_ORIGIN, 1});
            const std::string where = "region " + std::to_string(region) + " pasted " + std::to_string(pasted) +
                                      " sel " + std::to_string(sel);
            EXPECT_EQ(want, Ids(rows)) << where;
            for (const viewui::MenuRow& r : rows) {
              if (r.id == ID_IMAGE_BACK_COLOR) {
                EXPECT_EQ(back != 0, r.checked) << where;
                const std::string t = static_cast<const char*>(r.text);
                EXPECT_EQ(key != 0, !t.empty() && t.back() == '*') << where;
              } else if (r.submenu.empty()) {
                EXPECT_FALSE(r.checked);
              }
              const std::string t = static_cast<const char*>(r.text);
              // Without a region, copy and insert name the picture.
              if (r.id == ID_REGION_COPY || r.id == ID_REGION_INSERT_FILE)
                EXPECT_EQ(region ? "領域 " : "画像 ", t.substr(0, t.find(' ') + 1)) << where;
            }
          }
  s = viewui::ContextMenuState();
  const auto rows = viewui::BuildContextMenu(viewui::ContextMenuKind::kImage, s);
  const std::string copy = static_cast<const char*>(rows[3].text);
  EXPECT_EQ("画像 複写\tctrl+C", copy);
  EXPECT_EQ("画像 ﾌｧｲﾙから挿入\tctrl+L", std::string(static_cast<const char*>(rows[4].text)));
}

TEST(ImageMenu, ThreePressesOnOnePointGrabForgetAndOpen) {
  bool grabbed = false;
  int rx = 0, ry = 0;
  std::vector<viewui::ImagePress> seen;
  for (int i = 0; i < 3; ++i) {
    const viewui::ImagePress p = viewui::PlanImagePress(grabbed, false, rx, ry, 40, 50);
    seen.push_back(p);
    // As the view acts on each.
    if (p == viewui::ImagePress::kGrab) {
      grabbed = true;
      rx = 40;
      ry = 50;
    } else if (p == viewui::ImagePress::kForget) {
      rx = 0;
    } else if (p == viewui::ImagePress::kOpenMenu) {
      rx = 40;
      ry = 50;
      grabbed = false;
    }
  }
  EXPECT_EQ((std::vector<viewui::ImagePress>{viewui::ImagePress::kGrab, viewui::ImagePress::kForget,
                                             viewui::ImagePress::kOpenMenu}),
            seen);
  // A grabbed picture pressed elsewhere opens the menu at once; a drag holds it.
  EXPECT_EQ(viewui::ImagePress::kOpenMenu, viewui::PlanImagePress(true, false, 40, 50, 41, 50));
  EXPECT_EQ(viewui::ImagePress::kBusy, viewui::PlanImagePress(true, true, 40, 50, 40, 50));
  EXPECT_EQ(viewui::ImagePress::kGrab, viewui::PlanImagePress(false, true, 40, 50, 40, 50));
}

TEST(ImageMenu, TheCursorGoesBackOnlyFromWhereTheMenuOpened) {
  EXPECT_TRUE(viewui::PutCursorBack(100, 100, 110, 110));
  EXPECT_TRUE(viewui::PutCursorBack(100, 100, 220, 250));
  EXPECT_FALSE(viewui::PutCursorBack(100, 100, 109, 110));
  EXPECT_FALSE(viewui::PutCursorBack(100, 100, 110, 109));
  EXPECT_FALSE(viewui::PutCursorBack(100, 100, 221, 200));
  EXPECT_FALSE(viewui::PutCursorBack(100, 100, 200, 251));
  EXPECT_FALSE(viewui::PutCursorBack(100, 100, 90, 90));
}

}  // namespace
