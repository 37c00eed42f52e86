// The take-over of the document's picture, the write-request rule of a
// refresh and the capped 64-bit work sizes.
#include <gtest/gtest.h>

#include <cstdint>

#include "image/load/image_record.h"
#include "image/view/takeover.h"
#include "image/view/view_types.h"

namespace {

struct Header {
  uint8_t bytes[img::kInfoArea] = {};
  Header(int32_t w, int32_t h, uint16_t bits) {
    img::DibHeader d;
    d.biWidth = w;
    d.biHeight = h;
    d.biBitCount = bits;
    img::WriteDibHeader(bytes, d);
  }
};

img::TakeOverState Ready(const Header& h) {
  img::TakeOverState s;
  s.loadReady = 1;
  s.viewKind = 12;
  s.loadDataSize = 640 * 480 * 3;
  s.bitsOwner = img::kOwnerHeap;
  s.loadInfo = h.bytes;
  return s;
}

}  // namespace

TEST(TakeOver, WhenTheViewTakesThePicture) {
  const Header pic(640, 480, 24);
  EXPECT_EQ(img::PlanTakeOver(Ready(pic)), img::TakeOver::kTake);
  struct Case {
    const char* what;
    void (*change)(img::TakeOverState&);
    img::TakeOver expected;
  } cases[] = {
      {"not loaded", [](img::TakeOverState& s) { s.loadReady = 0; }, img::TakeOver::kNone},
      {"the view works on it", [](img::TakeOverState& s) { s.loadReady = 2; }, img::TakeOver::kNone},
      {"a text view", [](img::TakeOverState& s) { s.viewKind = 9; }, img::TakeOver::kNone},
      {"kind 29", [](img::TakeOverState& s) { s.viewKind = 29; }, img::TakeOver::kNone},
      {"the last picture kind", [](img::TakeOverState& s) { s.viewKind = 28; }, img::TakeOver::kTake},
      {"a source form", [](img::TakeOverState& s) { s.sourceView = 1; }, img::TakeOver::kNone},
      {"no pixels", [](img::TakeOverState& s) { s.loadDataSize = 0; }, img::TakeOver::kSettings},
      {"no owner", [](img::TakeOverState& s) { s.bitsOwner = 0; }, img::TakeOver::kSettings},
  };
  for (const Case& c : cases) {
    img::TakeOverState s = Ready(pic);
    c.change(s);
    EXPECT_EQ(img::PlanTakeOver(s), c.expected) << c.what;
  }
}

TEST(TakeOver, APictureWithoutWidthOrHeightIsNoPicture) {
  for (const Header& h : {Header(0, 480, 24), Header(640, 0, 24), Header(-5, 480, 8), Header(640, -480, 8),
                          Header(640, 480, 0)}) {
    EXPECT_EQ(img::PlanTakeOver(Ready(h)), img::TakeOver::kNoPicture);
  }
}

TEST(TakeOver, SettingsAndTheTransformDigit) {
  uint32_t doc[img::kImageWords] = {196};
  for (int i = 1; i < img::kImageWords; ++i) doc[i] = 100 + i;
  doc[img::word::nRotation] = 3;
  doc[img::word::bFlipH] = 0;
  doc[img::word::bFlipV] = 1;
  struct Case {
    uint32_t code;
    uint32_t rotation, flipH, flipV;
  } cases[] = {
      {0, 3, 0, 1}, {1, 0, 0, 1}, {2, 1, 0, 1}, {13, 2, 0, 1}, {4, 3, 1, 1},
      {5, 3, 0, 0}, {9, 0, 0, 0}, {6, 3, 0, 1}, {1239, 0, 0, 0},
  };
  for (const Case& c : cases) {
    doc[img::kTransformCode] = c.code;
    uint32_t view[img::kImageWords] = {};
    img::TakeSettings(doc, 0, view, img::kImageWords);
    EXPECT_EQ(view[img::word::nRotation], c.rotation) << c.code;
    EXPECT_EQ(view[img::word::bFlipH], c.flipH) << c.code;
    EXPECT_EQ(view[img::word::bFlipV], c.flipV) << c.code;
    EXPECT_EQ(view[img::kTransformCode], c.code);
    EXPECT_EQ(view[30], 130u);
  }
  // A view with its own load state takes only the zoom, the code and the
  // fine factor.
  doc[img::kTransformCode] = 0;
  uint32_t view[img::kImageWords] = {};
  view[30] = 7;
  img::TakeSettings(doc, 1, view, img::kImageWords);
  EXPECT_EQ(view[img::word::nZoomLevel], 105u);
  EXPECT_EQ(view[img::word::nZoomFine], 110u);
  EXPECT_EQ(view[30], 7u);
  EXPECT_EQ(view[img::word::bFlipV], 0u);
  // A block whose size word is smaller fills only its own words.
  uint32_t small[img::kImageWords] = {20, 1, 2, 3, 4, 5};
  uint32_t into[img::kImageWords] = {};
  into[6] = 99;
  img::TakeSettings(small, 0, into, img::kImageWords);
  EXPECT_EQ(into[4], 4u);
  EXPECT_EQ(into[6], 99u);
}

TEST(WriteRequest, OnlyTwentyOneToThirtyOneWrite) {
  for (int cmd = -1; cmd <= 120; ++cmd) {
    const int f = img::WriteRequestFormat(cmd);
    if (cmd >= 21 && cmd <= 31)
      EXPECT_EQ(f, cmd - 20) << cmd;
    else
      EXPECT_EQ(f, 0) << cmd;  // 33 a metafile, 40/41 captures, 99 a capture running
  }
  EXPECT_FALSE(img::WriteRequestThroughFileWriter(7));
  EXPECT_TRUE(img::WriteRequestThroughFileWriter(9));
  EXPECT_TRUE(img::WriteRequestThroughFileWriter(11));
  EXPECT_TRUE(img::WriteRequestNeeds24(5, 32));
  EXPECT_FALSE(img::WriteRequestNeeds24(5, 8));
  EXPECT_TRUE(img::WriteRequestNeeds24(7, 8));
  EXPECT_FALSE(img::WriteRequestNeeds24(7, 24));
  EXPECT_FALSE(img::WriteRequestNeeds24(1, 8));
}

TEST(WorkSize, SixtyFourBitsAndCapped) {
  // 8 bits to 24 on a work size near 4 GB does not wrap.
  EXPECT_EQ(img::WriteRequestBufferSize(0x90000000ull, 8), 0x90000000ull * 3);
  EXPECT_EQ(img::WriteRequestBufferSize(1000, 32), 1000u);
  EXPECT_EQ(img::WriteRequestBufferSize(1000, 0), 1000u);
  EXPECT_EQ(img::WriteRequestBufferSize(UINT64_MAX, 1), UINT64_MAX);
  // A 20000 x 20000 8-bit picture at level 9 asks 256 times its size; the
  // cap is the output limit, the source and the slack.
  const uint64_t source = 20000ull * 20000;
  const uint64_t planned = (source + 100000) * 256 + 100000;
  const uint64_t cap = img::CapWorkSize(planned, 41943040, source);
  EXPECT_EQ(cap, 41943040ull + source + img::kWorkSlack);
  EXPECT_TRUE(img::FitsBuffer(cap));
  EXPECT_EQ(img::CapWorkSize(5000, 41943040, 4000), 5000u);
  EXPECT_EQ(img::CapWorkSize(UINT64_MAX, UINT64_MAX, UINT64_MAX), UINT64_MAX);
  EXPECT_FALSE(img::FitsBuffer(0x100000000ull));
  EXPECT_FALSE(img::FitsBuffer(0));
}
