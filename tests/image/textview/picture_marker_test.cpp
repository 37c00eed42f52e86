// Picture markers of a double-click: what they name, where the picture is
// shown, the title's pane prefix and the extension of an unnamed media file.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "image/textview/picture_marker.h"

namespace {

using namespace image::textview;

const std::string kDir = "C:\\prog";
const std::string kView = "C:\\doc\\pics.dat";

TEST(PictureMarker, Recognition) {
  EXPECT_TRUE(IsPictureMarker("Im2", ']', 0));
  EXPECT_TRUE(IsPictureMarker("im2", ']', 0));
  EXPECT_TRUE(IsPictureMarker("fig1", ']', 0));
  EXPECT_FALSE(IsPictureMarker("IM2", ']', 0));
  EXPECT_FALSE(IsPictureMarker("Im", ']', 0));     // needs more than 2 bytes
  EXPECT_FALSE(IsPictureMarker("Im2", ' ', 0));    // not bracketed
  EXPECT_FALSE(IsPictureMarker("Im2", ']', 1));    // source form shown
}

TEST(PictureMarker, OfficeMediaFiles) {
  const MarkerPlan xl = PlanPictureMarker("image3.png", 36, kDir, kView);
  EXPECT_EQ(xl.source, MarkerPlan::kMediaFile);
  EXPECT_EQ(xl.number, 3);
  EXPECT_EQ(xl.letter, 'a');
  EXPECT_EQ(xl.path, "C:\\prog\\TMP\\XLSX\\xl\\media\\image3.png");
  EXPECT_EQ(PlanPictureMarker("image12.emf", 37, kDir, kView).path, "C:\\prog\\TMP\\XLSX\\word\\media\\image12.emf");
  EXPECT_EQ(PlanPictureMarker("image1.jpeg", 38, kDir, kView).path, "C:\\prog\\TMP\\XLSX\\ppt\\media\\image1.jpeg");
  // Number 0 is fine here; a double-byte name ending in 0x5C is still bare.
  EXPECT_EQ(PlanPictureMarker("image.png", 36, kDir, kView).source, MarkerPlan::kMediaFile);
  EXPECT_EQ(PlanPictureMarker("im\x95\x5C.png", 36, kDir, kView).source, MarkerPlan::kMediaFile);
}

TEST(PictureMarker, OfficeNamesMustBeBare) {
  for (const char* word : {"im..\\x", "im\\b", "im/b", "im:x", "fi..png", "Im..", "image1\\..\\..\\win.ini"}) {
    const MarkerPlan plan = PlanPictureMarker(word, 36, kDir, kView);
    EXPECT_EQ(plan.source, MarkerPlan::kNothing) << word;
    EXPECT_TRUE(plan.path.empty()) << word;
  }
  EXPECT_EQ(PlanPictureMarker("im..\\x", 37, kDir, kView).source, MarkerPlan::kNothing);
  EXPECT_EQ(PlanPictureMarker(std::string("im\0.png", 7), 38, kDir, kView).source, MarkerPlan::kNothing);
}

TEST(PictureMarker, ShownFileNumbersAndLetters) {
  EXPECT_EQ(PlanPictureMarker("Im0", 32, kDir, kView).source, MarkerPlan::kNothing);
  EXPECT_EQ(PlanPictureMarker("Imx", 12, kDir, kView).source, MarkerPlan::kNothing);
  const MarkerPlan im2 = PlanPictureMarker("Im2", 32, kDir, kView);
  EXPECT_EQ(im2.source, MarkerPlan::kShownFile);
  EXPECT_EQ(im2.number, 2);
  EXPECT_EQ(im2.letter, 'a');  // '2' is below 'b'
  EXPECT_EQ(im2.path, kView);
  const MarkerPlan fic = PlanPictureMarker("fic1x2", 32, kDir, kView);
  EXPECT_EQ(fic.letter, 'c');
  EXPECT_EQ(fic.number, 12);  // digits from the third byte on, others skipped
  EXPECT_EQ(PlanPictureMarker("Ima7", 32, kDir, kView).letter, 'a');
  EXPECT_EQ(PlanPictureMarker("Imb7", 32, kDir, kView).letter, 'b');

  const std::string many = "image" + std::string(30, '9');
  EXPECT_EQ(PlanPictureMarker(many, 32, kDir, kView).number, kMaxMarkerNumber);
  EXPECT_EQ(PlanPictureMarker(many, 36, kDir, kView).number, kMaxMarkerNumber);
  EXPECT_EQ(PlanPictureMarker("Im1000000000", 32, kDir, kView).number, kMaxMarkerNumber);
  EXPECT_EQ(PlanPictureMarker("Im999999998", 32, kDir, kView).number, 999999998);
}

TEST(MediaSniff, Signatures) {
  // First bytes of files written by an image converter (EMF, WMF: their
  // headers as a file-type tool recognises them).
  const std::uint8_t png[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0};
  const std::uint8_t jpg[] = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F'};
  const std::uint8_t gif[] = {'G', 'I', 'F', '8', '9', 'a', 2, 0, 2, 0};
  const std::uint8_t bmp[] = {'B', 'M', 0x9A, 0, 0, 0, 0, 0, 0, 0};
  const std::uint8_t wmf[] = {0xD7, 0xCD, 0xC6, 0x9A, 0, 0, 0, 0, 0, 0};
  const std::uint8_t emf[] = {0x01, 0x00, 0x00, 0x00, 0x58, 0, 0, 0, 0, 0};
  EXPECT_STREQ(SniffMediaExtension(png, sizeof png), ".png");
  EXPECT_STREQ(SniffMediaExtension(jpg, sizeof jpg), ".jpg");
  EXPECT_STREQ(SniffMediaExtension(gif, sizeof gif), ".gif");
  EXPECT_STREQ(SniffMediaExtension(bmp, sizeof bmp), ".bmp");
  EXPECT_STREQ(SniffMediaExtension(wmf, sizeof wmf), ".wmf");
  EXPECT_STREQ(SniffMediaExtension(emf, sizeof emf), ".emf");
  EXPECT_STREQ(SniffMediaExtension(jpg, 2), ".jpg");

  EXPECT_EQ(SniffMediaExtension(png, 3), nullptr);  // too short for its signature
  EXPECT_EQ(SniffMediaExtension(gif, 2), nullptr);
  EXPECT_EQ(SniffMediaExtension(jpg, 1), nullptr);
  EXPECT_EQ(SniffMediaExtension(jpg, 0), nullptr);
  EXPECT_EQ(SniffMediaExtension(nullptr, 10), nullptr);
  const std::uint8_t text[] = {'P', 'K', 3, 4};
  EXPECT_EQ(SniffMediaExtension(text, sizeof text), nullptr);
}

TEST(MediaSniff, CopyPath) {
  EXPECT_EQ(MediaCopyPath(kDir, "C:\\prog\\TMP\\XLSX\\xl\\media\\image1", ".jpg"), "C:\\prog\\TMP\\image1.jpg");
  EXPECT_EQ(MediaCopyPath(kDir, "D:\\x\\image2.bin", ".png"), "C:\\prog\\TMP\\image2.png");
  EXPECT_EQ(MediaCopyPath(kDir, "D:\\\x95\x5C\\pic", ".gif"), "C:\\prog\\TMP\\pic.gif");
  EXPECT_EQ(MediaCopyPath(kDir, "pic", nullptr), "C:\\prog\\TMP\\pic");
}

TEST(MarkerPanes, LayoutKeepsOrChangesTheSplitMode) {
  for (int mode : {20, 2, 1, 9}) {
    const MarkerLayout kept = PlanMarkerLayout(mode, 2);
    EXPECT_FALSE(kept.changed) << mode;
    EXPECT_EQ(kept.splitMode, mode);
  }
  EXPECT_EQ(PlanMarkerLayout(0, 1).splitMode, 20);
  EXPECT_EQ(PlanMarkerLayout(11, 3).splitMode, 20);
  EXPECT_EQ(PlanMarkerLayout(0, 2).splitMode, 10);
  const MarkerLayout fromFour = PlanMarkerLayout(10, 4);
  EXPECT_TRUE(fromFour.changed);
  EXPECT_EQ(fromFour.splitMode, 10);
  EXPECT_EQ(fromFour.layoutArg, 3);
  EXPECT_EQ(PlanMarkerLayout(0, 1).layoutArg, 0);
}

TEST(MarkerPanes, TargetPaneTable) {
  struct Row {
    int mode, pane, row, column;
  };
  const int c0 = 5, c1 = 7;
  const Row rows[] = {
      {2, 1, 1, c1},  {10, 3, 1, c0}, {2, 2, 0, c0},  {10, 4, 0, c1},
      {1, 1, 0, c0},  {9, 3, 0, c1},  {20, 2, 1, c1}, {20, 4, 1, c0},
  };
  for (const Row& r : rows) {
    const PaneCell cell = MarkerTargetPane(r.mode, r.pane, c0, c1);
    EXPECT_TRUE(cell.known) << r.mode << "/" << r.pane;
    EXPECT_EQ(cell.row, r.row) << r.mode << "/" << r.pane;
    EXPECT_EQ(cell.column, r.column) << r.mode << "/" << r.pane;
  }
  EXPECT_FALSE(MarkerTargetPane(3, 1, c0, c1).known);
  EXPECT_FALSE(MarkerTargetPane(20, 5, c0, c1).known);
}

TEST(MarkerPanes, TitlePrefix) {
  EXPECT_EQ(PaneTitlePrefix(0, 3), "");
  EXPECT_EQ(PaneTitlePrefix(-1, 1), "");
  EXPECT_EQ(PaneTitlePrefix(1, 3), "[1]  ");
  EXPECT_EQ(PaneTitlePrefix(20, 2), "[2]  ");
  EXPECT_EQ(PaneTitlePrefix(10, 1), "[3]  ");
  EXPECT_EQ(PaneTitlePrefix(10, 4), "[4]  ");
  EXPECT_EQ(PaneTitlePrefix(2, 0), "[4]  ");
}

}  // namespace
