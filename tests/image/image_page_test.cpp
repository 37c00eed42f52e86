// The picture's layout in the text pane: filler text, pages of a tall
// picture, the cut display bitmap, the erase bands, the scroll restore and
// the page keys.
#include <gtest/gtest.h>

#include "image/view/image_page.h"

TEST(ImagePage, FillerText) {
  const std::string sp = "\x81\x40";
  const std::string fixed = img::ImageFillerText(640, 480, true, false, sp);
  EXPECT_EQ(fixed.find_first_not_of(' '), 82u);  // 640 / 8 + 2
  EXPECT_EQ(fixed.substr(82, 2), sp);
  EXPECT_EQ(fixed.size(), 82u + 2 + 26 * 2 + 2);  // 480 / 20 + 2 breaks
  const std::string prop = img::ImageFillerText(640, 480, false, true, sp);
  EXPECT_EQ(prop.find_first_not_of(' '), 162u);  // 640 / 4 + 2
  EXPECT_EQ(prop.back(), '.');
  EXPECT_EQ(img::ImageFillerText(-1, -1, true, true, sp), "  .\r\n\r\n.");
}

// The filler's extent is the scroll range: at the control's own line pitch
// its lines reach the last row of a very tall picture.
TEST(ImagePage, FillerTextReachesTheLastRowAtTheLinePitch) {
  const std::string sp = "\x81\x40";
  auto lines = [](const std::string& s) {
    int64_t n = 1;
    for (size_t at = s.find("\r\n"); at != std::string::npos; at = s.find("\r\n", at + 2)) ++n;
    return n;
  };
  for (int64_t height : {480, 3799, 10000, 65000}) {
    for (int32_t pitch : {8, 13, 16, 19}) {
      const std::string s = img::ImageFillerText(40, height, true, true, sp, pitch);
      // The last line starts below the picture's last row.
      EXPECT_GE((lines(s) - 1) * pitch, height) << height << " at " << pitch;
      EXPECT_EQ(img::FillerLineBreaks(height, pitch), height / pitch + 2);
    }
    // A pitch of 20 or more, or none known, keeps the count of 20-pixel lines.
    for (int32_t pitch : {0, -4, 20, 32}) {
      EXPECT_EQ(lines(img::ImageFillerText(40, height, true, true, sp, pitch)), height / 20 + 3) << pitch;
      EXPECT_EQ(img::FillerLineBreaks(height, pitch), height / 20 + 2);
    }
  }
  // Twenty-pixel lines leave the last rows of 10000 out of reach at 16 pixels.
  EXPECT_LT((10000 / 20 + 2) * 16, 10000);
  EXPECT_EQ(img::FillerLineBreaks(-5, 16), 2);
}

TEST(ImagePage, PagesInThePageForm) {
  // An 8-bit picture of 10000 rows: 3800 a page.
  img::PagePlan p = img::PlanEmbedPage(10000, 8, 0);
  EXPECT_TRUE(p.paged);
  EXPECT_EQ(p.first, 1);
  EXPECT_EQ(p.last, 3800);
  EXPECT_EQ(p.bufferRow, 6200);
  p = img::PlanEmbedPage(10000, 8, 2);
  EXPECT_EQ(p.first, 7601);
  EXPECT_EQ(p.last, 10000);
  EXPECT_EQ(p.rows, 2400);
  EXPECT_EQ(p.bufferRow, 0);
  p = img::PlanEmbedPage(10000, 8, 1002);  // a wrapped mark counts modulo 1000
  EXPECT_EQ(p.first, 7601);
  p = img::PlanEmbedPage(10000, 8, 5);  // past the end: one row
  EXPECT_EQ(p.rows, 1);
  EXPECT_EQ(p.bufferRow, 0);
  // 3300 rows: paged at 24 bits (3200 a page), not at 8 bits.
  p = img::PlanEmbedPage(3300, 24, 0);
  EXPECT_TRUE(p.paged);
  EXPECT_EQ(p.last, 3200);
  EXPECT_EQ(p.bufferRow, 100);
  EXPECT_FALSE(img::PlanEmbedPage(3300, 8, 0).paged);
  EXPECT_TRUE(img::PlanEmbedPage(3800, 8, 0).paged);
  EXPECT_FALSE(img::PlanEmbedPage(3200, 24, 0).paged);
}

TEST(ImagePage, DisplayBitmapAttemptsAndTheWrappedPage) {
  EXPECT_EQ(img::PageStartRow(10000, 10000, 0), 0);
  EXPECT_EQ(img::PageStartRow(10000, 3600, 1), 2800);
  EXPECT_EQ(img::PageStartRow(10000, 3600, 2), 0);
  EXPECT_EQ(img::NextAttemptRows(10000), 9600);
  EXPECT_EQ(img::NextAttemptRows(9999), 9200);
  EXPECT_EQ(img::NextAttemptRows(800), 400);
  EXPECT_EQ(img::NextAttemptRows(799), 0);
  // Page 2 of 3600 rows in 10000 lies 800 rows past the top: 2800 rows,
  // marked wrapped, from the buffer's first row; rows 7201-10000 shown.
  img::WrappedPage w = img::PlanCutPage(10000, 3600, 2);
  EXPECT_EQ(w.rows, 2800);
  EXPECT_EQ(w.page, 1002);
  EXPECT_EQ(w.startRow, 0);
  EXPECT_EQ(w.first, 7201);
  EXPECT_EQ(w.last, 10000);
  w = img::PlanCutPage(10000, 3600, 1);
  EXPECT_EQ(w.rows, 3600);
  EXPECT_EQ(w.page, 1);
  EXPECT_EQ(w.startRow, 2800);
  EXPECT_EQ(w.first, 3601);
  EXPECT_EQ(w.last, 7200);
}

TEST(ImagePage, EraseBandsAndScrollRestore) {
  EXPECT_EQ(img::EraseBand(3000, 500), 1000);
  EXPECT_EQ(img::EraseBand(510, 500), 200);
  EXPECT_EQ(img::EraseBand(0, 500), 200);
  EXPECT_EQ(img::EraseBand(900, 500), 450);
  EXPECT_FALSE(img::ScrollFromTransformCode(9).restore);
  const img::ScrollRestore r = img::ScrollFromTransformCode(321);
  EXPECT_TRUE(r.restore);
  EXPECT_EQ(r.vertical, 300);
  EXPECT_EQ(r.horizontal, 200);
}

TEST(ImagePage, PageKeys) {
  EXPECT_EQ(img::PageAfterKey(0, 1, true), 1);
  EXPECT_EQ(img::PageAfterKey(1, -1, true), 0);
  EXPECT_EQ(img::PageAfterKey(0, -1, true), -1);  // not below 0
  EXPECT_EQ(img::PageAfterKey(1002, -1, true), 1);
  EXPECT_EQ(img::PageAfterKey(0, 1, false), -1);
  EXPECT_EQ(img::ColoursUsed(0, 8), 256u);
  EXPECT_EQ(img::ColoursUsed(0, 4), 16u);
  EXPECT_EQ(img::ColoursUsed(0, 1), 2u);
  EXPECT_EQ(img::ColoursUsed(0, 24), 0u);
  EXPECT_EQ(img::ColoursUsed(7, 8), 7u);
}
