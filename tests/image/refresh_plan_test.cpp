// The refresh plan: the re-open branch, effect flags, colour count, sizes,
// the fit to the window width, the enlargement room, the 24-bit decision,
// the copy size and the transform decision, as tables of view states.
#include <gtest/gtest.h>

#include "image/view/color_engine.h"
#include "image/view/refresh_plan.h"

namespace word = img::word;
namespace cw = img::colorword;

namespace {

// A 24-bit picture of 1000 x 500 (stride 3000) shown at 1:1 in a wide window.
img::RefreshState Base() {
  img::RefreshState s;
  s.fileKind = 12;
  s.width = 1000;
  s.height = 500;
  s.bits = 24;
  s.loadedBitsSize = 1500000;
  s.windowWidth = 2000;
  s.options[word::nZoomLevel] = 5;
  s.shownFile = "C:\\pictures\\a.bmp";
  return s;
}

}  // namespace

TEST(RefreshPlan, ReopenBranch) {
  struct Case {
    const char* what;
    int32_t mode, kind;
    uint64_t size;
    const char* file;
    int32_t level;
    bool reopen, opens, storesZoom;
  } cases[] = {
      {"a picture", 0, 12, 1500000, "a.bmp", 5, false, false, false},
      {"kind 30", 9, 30, 1500000, "a.bmp", 5, false, false, false},
      {"kind 40", 0, 40, 1500000, "a.bmp", 5, true, true, false},
      {"kind 9", 0, 9, 1500000, "a.bmp", 5, true, true, false},
      {"kind 11", 3, 11, 1500000, "a.bmp", 5, true, false, false},
      {"kind 31", 9, 31, 1500000, "a.bmp", 5, true, false, false},
      {"no pixels", 0, 12, 3, "a.bmp", 5, true, true, false},
      {"mode 5", 5, 12, 1500000, "a.bmp", 5, true, true, false},
      {"scratch of the PDF import", 5, 12, 1500000, "C:\\TMP\\pdftmp.bmp", 4, true, true, true},
      {"scratch at x2 keeps the document's zoom", 5, 12, 1500000, "C:\\TMP\\pdftmp.bmp", 6, true, true, false},
      {"too short a name", 5, 12, 1500000, "pdftmp.bm", 4, true, true, false},
      {"another name", 5, 12, 1500000, "C:\\TMP\\pdftmpx.bmp", 4, true, true, false},
  };
  for (const auto& c : cases) {
    img::RefreshState s = Base();
    s.mode = c.mode;
    s.fileKind = c.kind;
    s.loadedBitsSize = c.size;
    s.shownFile = c.file;
    s.options[word::nZoomLevel] = c.level;
    const img::RefreshPlan p = img::PlanImageRefresh(s);
    EXPECT_EQ(p.reopen, c.reopen) << c.what;
    EXPECT_EQ(p.reopenOpensFile, c.opens) << c.what;
    EXPECT_EQ(p.reopenStoresZoom, c.storesZoom) << c.what;
    if (c.reopen) {
      EXPECT_FALSE(p.transform) << c.what;
    }
  }
}

TEST(RefreshPlan, EffectFlagsColourCountAndSizes) {
  struct Case {
    const char* what;
    void (*set)(img::RefreshState&);
    int32_t effectStyle, needTransform;
    uint32_t clrUsed;
    uint64_t stride, sizeImage, work;
  } cases[] = {
      {"style dropped without effect words",
       [](img::RefreshState& s) { s.options[word::nEffectStyle] = 1; }, 0, 0, 0, 3000, 1500000, 1600000},
      {"style kept by the grey switch",
       [](img::RefreshState& s) { s.options[word::nEffectStyle] = 1, s.options[cw::bGrey] = 1; }, 1, 1, 0, 3000,
       1500000, 1600000},
      {"style kept by bForceEffects",
       [](img::RefreshState& s) { s.options[word::nEffectStyle] = 2, s.options[word::bForceEffects] = 1; }, 2, 1, 0,
       3000, 1500000, 1600000},
      {"word 42 is not an effect word",
       [](img::RefreshState& s) { s.options[word::nEffectStyle] = 1, s.options[cw::bInvertSelection] = 1; }, 0, 0, 0,
       3000, 1500000, 1600000},
      {"rotation", [](img::RefreshState& s) { s.options[word::nRotation] = 3; }, 0, 1, 0, 3000, 1500000, 1600000},
      {"flip", [](img::RefreshState& s) { s.options[word::bFlipV] = 1; }, 0, 1, 0, 3000, 1500000, 1600000},
      {"mirror", [](img::RefreshState& s) { s.options[word::bFlipH] = 1; }, 0, 1, 0, 3000, 1500000, 1600000},
      {"a given image size stays", [](img::RefreshState& s) { s.sizeImage = 77; }, 0, 0, 0, 3000, 77, 1600000},
      {"8 bits: 256 colours", [](img::RefreshState& s) { s.bits = 8, s.loadedBitsSize = 500000; }, 0, 0, 256, 1000,
       500000, 600000},
      {"4 bits: 16", [](img::RefreshState& s) { s.bits = 4, s.width = 10, s.height = 2, s.loadedBitsSize = 16; }, 0,
       0, 16, 8, 16, 100016},
      {"1 bit: 2", [](img::RefreshState& s) { s.bits = 1, s.width = 33, s.height = 3, s.loadedBitsSize = 24; }, 0, 0,
       2, 8, 24, 100024},
      {"a given count stays", [](img::RefreshState& s) { s.bits = 8, s.clrUsed = 7, s.loadedBitsSize = 500000; }, 0,
       0, 7, 1000, 500000, 600000},
      {"the loaded size raises the work size", [](img::RefreshState& s) { s.loadedBitsSize = 5000000; }, 0, 0, 0, 3000,
       1500000, 5000000},
  };
  for (const auto& c : cases) {
    img::RefreshState s = Base();
    c.set(s);
    const img::RefreshPlan p = img::PlanImageRefresh(s);
    EXPECT_EQ(p.options[word::nEffectStyle], c.effectStyle) << c.what;
    EXPECT_EQ(p.options[word::bNeedTransform], c.needTransform) << c.what;
    EXPECT_EQ(p.clrUsed, c.clrUsed) << c.what;
    EXPECT_EQ(p.stride, c.stride) << c.what;
    EXPECT_EQ(p.sizeImage, c.sizeImage) << c.what;
    EXPECT_EQ(p.workSize, c.work) << c.what;
  }
}

TEST(RefreshPlan, FitToWindowWidth) {
  struct Case {
    const char* what;
    uint32_t fitMode;
    int32_t mode, rotation, width, height, level, fine;
    int64_t window;
    int32_t wantLevel, wantFine;
    uint32_t wantFitMode;
    bool clearsDocument, storesInDocument;
  } cases[] = {
      {"no fit", 0, 0, 0, 1000, 500, 7, 0, 100, 7, 0, 0, false, false},
      {"wider window at 1:1", 1, 0, 0, 1000, 500, 5, 0, 2000, 5, 0, 1, false, false},
      {"wider window at x4 returns to 1:1", 1, 0, 0, 1000, 500, 7, 0, 2000, 5, 0, 1, false, false},
      {"wider window with a fine factor", 1, 0, 0, 1000, 500, 5, 8, 1000, 5, 0, 1, false, false},
      {"55 %: 1/2 without fine factor", 1, 0, 0, 1000, 500, 5, 0, 550, 4, 0, 1, false, false},
      {"70 %: fine 7", 1, 0, 0, 1000, 500, 5, 0, 700, 5, 7, 1, false, false},
      {"99 %", 1, 0, 0, 1000, 500, 5, 0, 999, 5, 9, 1, false, false},
      {"50 %: 1/2 with fine 10", 1, 0, 0, 1000, 500, 5, 0, 500, 4, 10, 1, false, false},
      {"30 %", 1, 0, 0, 1000, 500, 5, 0, 300, 4, 6, 1, false, false},
      {"26 %: fine 5 dropped", 1, 0, 0, 1000, 500, 5, 0, 260, 3, 0, 1, false, false},
      {"25 %", 1, 0, 0, 1000, 500, 5, 0, 250, 3, 10, 1, false, false},
      {"15 %", 1, 0, 0, 1000, 500, 5, 0, 150, 3, 6, 1, false, false},
      {"13 %: fine 5 dropped", 1, 0, 0, 1000, 500, 5, 0, 130, 2, 0, 1, false, false},
      {"12 %", 1, 0, 0, 1000, 500, 5, 0, 120, 2, 9, 1, false, false},
      {"7 %: fine 5 dropped", 1, 0, 0, 1000, 500, 5, 0, 70, 1, 0, 1, false, false},
      {"6 %: 1/16", 1, 0, 0, 1000, 500, 5, 0, 60, 1, 0, 1, false, false},
      {"no window", 1, 0, 0, 1000, 500, 5, 0, 0, 1, 0, 1, false, false},
      {"quarter turn compares the height", 1, 0, 1, 500, 1000, 5, 0, 700, 5, 7, 1, false, false},
      {"three quarters: the height fits", 1, 0, 3, 1000, 500, 4, 0, 700, 5, 0, 1, false, false},
      {"half turn compares the width", 1, 0, 2, 500, 1000, 5, 0, 700, 5, 0, 1, false, false},
      {"mode 2, narrow: 1:1 once", 2, 0, 0, 1000, 500, 3, 6, 550, 5, 0, 0, true, false},
      {"mode 2, wide: 1:1 once", 2, 0, 0, 1000, 500, 8, 0, 2000, 5, 0, 0, true, false},
      {"mode 3 narrow, fit mode 3", 3, 0, 0, 1000, 500, 6, 0, 550, 5, 0, 0, true, false},
      {"from the document's update", 1, 3, 0, 1000, 500, 5, 0, 700, 5, 7, 1, false, true},
  };
  for (const auto& c : cases) {
    img::RefreshState s = Base();
    s.fitMode = c.fitMode;
    s.mode = c.mode;
    s.options[word::nRotation] = c.rotation;
    s.width = c.width;
    s.height = c.height;
    s.options[word::nZoomLevel] = c.level;
    s.options[word::nZoomFine] = c.fine;
    s.docZoomLevel = c.wantLevel;
    s.windowWidth = c.window;
    const img::RefreshPlan p = img::PlanImageRefresh(s);
    EXPECT_EQ(p.options[word::nZoomLevel], c.wantLevel) << c.what;
    EXPECT_EQ(p.options[word::nZoomFine], c.wantFine) << c.what;
    EXPECT_EQ(p.fitMode, c.wantFitMode) << c.what;
    EXPECT_EQ(p.fitApplied, c.fitMode > 0) << c.what;
    EXPECT_EQ(p.clearDocumentSizeHigh, c.clearsDocument) << c.what;
    EXPECT_EQ(p.storeZoomInDocument, c.storesInDocument) << c.what;
  }
}

TEST(RefreshPlan, WorkSizesAndTwentyFourBits) {
  struct Case {
    const char* what;
    void (*set)(img::RefreshState&);
    int32_t to24, needTransform, effectStyle;
    uint64_t work, copy;
  } cases[] = {
      {"1:1, 24 bits", [](img::RefreshState&) {}, 0, 0, 0, 1600000, 1500000},
      {"x2", [](img::RefreshState& s) { s.options[word::nZoomLevel] = 6; }, 0, 0, 0, 6500000, 1500000},
      {"x16", [](img::RefreshState& s) { s.options[word::nZoomLevel] = 9; }, 0, 0, 0, 409700000, 1500000},
      {"level 12 adds the room only", [](img::RefreshState& s) { s.options[word::nZoomLevel] = 12; }, 0, 0, 0,
       1700000, 1500000},
      {"16 bits", [](img::RefreshState& s) { s.bits = 16, s.loadedBitsSize = 1000000; }, 1, 1, 0, 1650000, 1650000},
      {"8 bits with a fine factor",
       [](img::RefreshState& s) { s.bits = 8, s.loadedBitsSize = 500000, s.options[word::nZoomFine] = 7; }, 1, 1, 1,
       1800000, 1800000},
      {"8 bits with the region word",
       [](img::RefreshState& s) { s.bits = 8, s.loadedBitsSize = 500000, s.options[word::m_bRegionSet] = 2; }, 1, 1,
       0, 1800000, 1800000},
      {"8 bits with a negative region word",
       [](img::RefreshState& s) { s.bits = 8, s.loadedBitsSize = 500000, s.options[word::m_bRegionSet] = -1; }, 0, 0,
       0, 600000, 500000},
      {"4 bits with the filter word",
       [](img::RefreshState& s) { s.bits = 4, s.loadedBitsSize = 250000, s.options[word::bFilterOn] = 1; }, 1, 1, 0,
       2100000, 2100000},
      {"1 bit with the neighbour words",
       [](img::RefreshState& s) { s.bits = 1, s.loadedBitsSize = 64000, s.options[cw::bNeighbourOutside] = 1; }, 1, 1,
       0, 3936000, 3936000},
      {"24 bits with a fine factor stays",
       [](img::RefreshState& s) { s.options[word::nZoomFine] = 7, s.options[word::m_bRegionSet] = 1; }, 0, 0, 0,
       1600000, 1500000},
      {"32 bits", [](img::RefreshState& s) { s.bits = 32, s.loadedBitsSize = 2000000; }, 1, 0, 0, 2100000, 2100000},
      {"32 bits with a fine factor",
       [](img::RefreshState& s) { s.bits = 32, s.loadedBitsSize = 2000000, s.options[word::nZoomFine] = 6; }, 1, 0, 1,
       2100000, 2100000},
      {"colour option", [](img::RefreshState& s) { s.options[word::nColorOption] = 1; }, 1, 1, 0, 1600000, 1600000},
      {"bForceEffects", [](img::RefreshState& s) { s.options[word::bForceEffects] = 1; }, 1, 1, 0, 1600000, 1600000},
      {"rotation raises the copy", [](img::RefreshState& s) { s.options[word::nRotation] = 1; }, 0, 1, 0, 1600000,
       1600000},
      {"damaged sizes stop at the largest value",
       [](img::RefreshState& s) {
         s.width = 2147483647, s.height = 2147483647, s.bits = 65535, s.options[word::nZoomLevel] = 9;
       },
       0, 0, 0, UINT64_MAX, 1500000},
  };
  for (const auto& c : cases) {
    img::RefreshState s = Base();
    c.set(s);
    const img::RefreshPlan p = img::PlanImageRefresh(s);
    EXPECT_EQ(p.options[word::bTo24], c.to24) << c.what;
    EXPECT_EQ(p.options[word::bNeedTransform], c.needTransform) << c.what;
    EXPECT_EQ(p.options[word::nEffectStyle], c.effectStyle) << c.what;
    EXPECT_EQ(p.workSize, c.work) << c.what;
    EXPECT_EQ(p.copySize, c.copy) << c.what;
  }
}

TEST(RefreshPlan, TransformDecision) {
  struct Case {
    const char* what;
    void (*set)(img::RefreshState&);
    bool transform, caption, zoomFirst;
    int32_t level;
  } cases[] = {
      {"nothing to do", [](img::RefreshState&) {}, false, true, false, 5},
      {"1/2", [](img::RefreshState& s) { s.options[word::nZoomLevel] = 4; }, true, true, true, 4},
      {"fine factor", [](img::RefreshState& s) { s.options[word::nZoomFine] = 7; }, true, true, true, 5},
      {"stretch mode", [](img::RefreshState& s) { s.options[word::nStretchMode] = 1; }, true, true, true, 5},
      {"effect style", [](img::RefreshState& s) { s.options[word::nEffectStyle] = 1, s.options[cw::bTone] = 1; },
       true, true, true, 5},
      {"paste state shows the loaded pixels",
       [](img::RefreshState& s) { s.pasteState = 1, s.options[word::nRotation] = 1; }, false, true, false, 5},
      {"paste state with bForceEffects",
       [](img::RefreshState& s) { s.pasteState = 1, s.options[word::bForceEffects] = 1; }, true, true, true, 5},
      {"mode 3 takes the document's level", [](img::RefreshState& s) { s.mode = 3, s.docZoomLevel = 6; }, true, false,
       true, 6},
      {"mode 3 without a transform",
       [](img::RefreshState& s) { s.mode = 3, s.docZoomLevel = 5, s.options[word::nZoomLevel] = 7; }, false, true,
       false, 5},
  };
  for (const auto& c : cases) {
    img::RefreshState s = Base();
    c.set(s);
    const img::RefreshPlan p = img::PlanImageRefresh(s);
    EXPECT_EQ(p.transform, c.transform) << c.what;
    EXPECT_EQ(p.caption, c.caption) << c.what;
    EXPECT_EQ(p.captionZoomFirst, c.zoomFirst) << c.what;
    EXPECT_EQ(p.zoomLevel, c.level) << c.what;
    EXPECT_EQ(p.options[word::nZoomLevel], c.level) << c.what;
  }
}
