// The capture's rules: base and target paths, format codes, the quick
// capture's numbers (never an existing file), the series and the grab's
// rectangle.
#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>

#include "image/capture/capture_plan.h"

namespace {

using namespace image::capture;

TEST(CapturePaths, BasePathFromEachSourceAndFolderDefaults) {
  EXPECT_EQ(CaptureBasePath("C:\\a\\shown.png", "C:\\b\\cur.txt", "C:\\1", "C:\\2", 1, kDesktop), "C:\\a\\shown.png");
  EXPECT_EQ(CaptureBasePath("", "C:\\b\\cur.txt", "C:\\1", "C:\\2", 1, kDesktop), "C:\\b\\cur.txt");
  EXPECT_EQ(CaptureBasePath("", "", "C:\\one", "C:\\two", 1, kDesktop), "C:\\one\\temp.png");
  EXPECT_EQ(CaptureBasePath("", "", "C:\\one", "C:\\two", 2, kClicked), "C:\\two\\temp.png");
  EXPECT_EQ(CaptureBasePath("", "", "C:\\one", "C:\\two", 0, kClicked), "C:\\two\\temp.png");
  EXPECT_EQ(CaptureBasePath("", "", "C:\\one\\", "", 1, kSeries), "C:\\one\\temp#10s200m.bmp");
  EXPECT_EQ(CaptureBasePath("", "", "C:\\one", "", 1, kNumbered), "C:\\one\\");
  // A '.' anywhere makes it a file; a folder ending in a double-byte
  // character whose trail byte is 0x5C ("ソ") still gets its separator.
  EXPECT_EQ(CaptureBasePath("C:\\v1.2\\notes", "", "", "", 1, kDesktop), "C:\\v1.2\\notes");
  EXPECT_EQ(CaptureBasePath("", "", "C:\\\x83\x5C", "", 1, kDesktop), "C:\\\x83\x5C\\temp.png");
}

TEST(CapturePaths, TargetPathKeepsSinglePictureKinds) {
  EXPECT_EQ(CaptureTargetPath("C:\\a\\x.jpg", 13), "C:\\a\\x.jpg");
  EXPECT_EQ(CaptureTargetPath("C:\\a\\x.bmp", 12), "C:\\a\\x.bmp");
  EXPECT_EQ(CaptureTargetPath("C:\\a\\x.pi5", 21), "C:\\a\\x.pi5");
  EXPECT_EQ(CaptureTargetPath("C:\\a\\x.bmz", 22), "C:\\a\\x.png");
  EXPECT_EQ(CaptureTargetPath("C:\\a\\x.pic", 11), "C:\\a\\x.png");
  EXPECT_EQ(CaptureTargetPath("C:\\a\\memo.txt", 9), "C:\\a\\memo.png");
  EXPECT_EQ(CaptureTargetPath("C:\\a.b\\memo", 9), "C:\\a.b\\memo.png");
  EXPECT_EQ(CaptureTargetPath("x.tx", 9), "x.tx");  // four characters: kept
  EXPECT_EQ(CaptureTargetPath("C:\\d\\", 0), "C:\\d\\");
}

TEST(CapturePaths, FormatCodes) {
  EXPECT_EQ(CaptureFormatCode("a.bmz"), 4);
  EXPECT_EQ(CaptureFormatCode("a.PNG"), 5);
  EXPECT_EQ(CaptureFormatCode("a.jpg"), 7);
  EXPECT_EQ(CaptureFormatCode("a.JPEG"), 8);
  EXPECT_EQ(CaptureFormatCode("a.pdf"), kRefusedFormat);
  EXPECT_EQ(CaptureFormatCode("a.Pdf"), kRefusedFormat);
  EXPECT_EQ(CaptureFormatCode("x.txt"), 3);
  EXPECT_EQ(CaptureFormatCode("x.bmp"), 3);
  EXPECT_EQ(CaptureFormatCode("ab"), 3);
  EXPECT_EQ(CaptureFormatCode(""), 3);
}

TEST(CaptureNames, NumberedNames) {
  const auto none = [](const std::string&) { return false; };
  EXPECT_EQ(NumberedCaptureName("C:\\d\\x09.png", none), "C:\\d\\x10.png");
  EXPECT_EQ(NumberedCaptureName("C:\\d\\shot05.png", none), "C:\\d\\shot06.png");
  EXPECT_EQ(NumberedCaptureName("C:\\d\\x00.png", none), "C:\\d\\x00TMP01.png");
  EXPECT_EQ(NumberedCaptureName("C:\\d\\memo.txt", none), "C:\\d\\memoTMP01.png");
  EXPECT_EQ(NumberedCaptureName("C:\\d\\", none), "C:\\d\\TMP01.png");
  EXPECT_EQ(NumberedCaptureName("C:\\d\\x99.png", none), "C:\\d\\x99TMP01.png");
  EXPECT_EQ(NumberedCaptureName("C:\\d\\x99TMP01.png", none), "C:\\d\\x99TMP02.png");
  // Two characters or fewer are no number; three are.
  EXPECT_EQ(NumberedCaptureName("12", none), "12TMP01.png");
  EXPECT_EQ(NumberedCaptureName("C:\\d\\12.png", none), "C:\\d\\13.png");
  EXPECT_EQ(NumberedCaptureName("a12", none), "a13.png");
  EXPECT_EQ(NumberedCaptureName("", none), "TMP01.png");
}

TEST(CaptureNames, NumberedNameNeverOverwrites) {
  std::set<std::string> files;
  const auto exists = [&files](const std::string& p) { return files.count(p) != 0; };
  files = {"C:\\d\\x10.png"};
  EXPECT_EQ(NumberedCaptureName("C:\\d\\x09.png", exists), "C:\\d\\x11.png");
  files = {"C:\\d\\x99.png"};
  EXPECT_EQ(NumberedCaptureName("C:\\d\\x98.png", exists), "C:\\d\\x99TMP01.png");
  files = {"C:\\d\\x99TMP01.png", "C:\\d\\x99TMP02.png"};
  EXPECT_EQ(NumberedCaptureName("C:\\d\\x99.png", exists), "C:\\d\\x99TMP03.png");
  files = {"C:\\d\\TMP01.png"};
  EXPECT_EQ(NumberedCaptureName("C:\\d\\", exists), "C:\\d\\TMP02.png");
  // Every candidate taken: the search ends without a name.
  int asked = 0;
  const auto all = [&asked](const std::string&) { return ++asked > 0; };
  EXPECT_EQ(NumberedCaptureName("C:\\d\\x01.png", all), "");
  EXPECT_EQ(asked, kMaxNumberedTries);
}

TEST(CaptureSeries, CountIntervalAndNames) {
  SeriesPlan p = PlanSeries("C:\\d\\temp#10s200m.bmp");
  EXPECT_EQ(p.count, 50);
  EXPECT_EQ(p.intervalMs, 200);
  EXPECT_EQ(SeriesFileName(p, 1), "C:\\d\\temp#10s200m_0001.bmp");
  p = PlanSeries("s#1s200m.bmp");
  EXPECT_EQ(p.count, 5);
  EXPECT_EQ(SeriesFileName(p, 1), "s#1s200m_0001.bmp");
  EXPECT_EQ(SeriesFileName(p, 5), "s#1s200m_0005.bmp");
  EXPECT_EQ(SeriesOpenName(p, 3), "s#1s200m_0003.bmp");
  EXPECT_EQ(SeriesOpenName(p, 0), "s#1s200m_0001.bmp");
  EXPECT_EQ(PlanSeries("C:\\D\\SHOT#2S500M.PNG").ext, "png");
  // The last '#' counts.
  p = PlanSeries("C:\\a#9\\shot#2s500m.png");
  EXPECT_EQ(p.count, 4);
  EXPECT_EQ(p.intervalMs, 500);
}

TEST(CaptureSeries, ZeroMissingAndHugeNumbers) {
  // S = 0 asks for none: the caller takes one all the same.
  SeriesPlan p = PlanSeries("C:\\d\\temp#0s200m.bmp");
  EXPECT_EQ(p.count, 0);
  EXPECT_EQ(SeriesPictures(p), 1);
  // A missing or zero interval is 1000 ms.
  p = PlanSeries("C:\\d\\temp#7s.png");
  EXPECT_EQ(p.intervalMs, 1000);
  EXPECT_EQ(p.count, 7);
  p = PlanSeries("C:\\d\\temp#7s0m.png");
  EXPECT_EQ(p.intervalMs, 1000);
  EXPECT_EQ(p.count, 7);
  p = PlanSeries("C:\\d\\temp#7");
  EXPECT_EQ(p.intervalMs, 1000);
  // The caps; the count takes the interval before its cap.
  p = PlanSeries("C:\\d\\temp#999s1m.png");
  EXPECT_EQ(p.count, 9000);
  EXPECT_EQ(p.intervalMs, 1);
  p = PlanSeries("C:\\d\\temp#99999s99999m.png");
  EXPECT_EQ(p.intervalMs, 10000);
  EXPECT_EQ(p.count, 1000);
  p = PlanSeries("C:\\d\\t#99999999999999999999999s99999999999999999999999m.png");
  EXPECT_EQ(p.count, 1000);
  EXPECT_EQ(p.intervalMs, 10000);
}

TEST(CaptureSeries, NotASeriesName) {
  for (const char* name : {"#5s100m.bmp", "a#5.bmp", "ab#5s.bmp", "temp12.bmp", "C:\\d\\x.bmp"}) {
    const SeriesPlan p = PlanSeries(name);
    EXPECT_EQ(p.count, 10) << name;
    EXPECT_EQ(p.intervalMs, 1000) << name;
  }
  EXPECT_EQ(PlanSeries("abc#5s.bmp").count, 5);  // six characters: a series name
}

GrabInput Desktop() {
  GrabInput in;
  in.mode = kDesktop;
  in.window = CRect(0, 0, 1024, 768);
  in.clientW = 1024;
  in.clientH = 768;
  return in;
}

TEST(CaptureGrab, DesktopAndClickedWindow) {
  GrabInput in = Desktop();
  GrabPlan g = PlanGrab(in);
  EXPECT_TRUE(g.setCapture);
  EXPECT_EQ(g.rc, CRect(0, 0, 1024, 768));
  EXPECT_EQ(g.region, CRect(0, 0, 1024, 768));
  EXPECT_FALSE(g.hidesSelection);
  EXPECT_FALSE(g.tooFlat);
  // A clicked window partly off the left and top: the window query answers
  // its real rectangle, the capture rectangle (raised to 0 by the caller)
  // stands in for it.
  in.mode = kClicked;
  in.window = CRect(-5, -20, 300, 200);
  in.capture = CRect(0, 0, 300, 200);
  g = PlanGrab(in);
  EXPECT_EQ(g.rc, CRect(0, 0, 300, 200));
  EXPECT_FALSE(g.setCapture);
  EXPECT_EQ(g.region, CRect(0, 0, 300, 200));
  // A window wider than the screen is cut to the screen's width.
  in.capture = CRect(100, 10, 3000, 5000);
  g = PlanGrab(in);
  EXPECT_EQ(g.region, CRect(100, 10, 1124, 778));
}

TEST(CaptureGrab, SelectionOffsetsAndMinimum) {
  GrabInput in = Desktop();
  in.mode = kClicked;
  in.window = CRect(100, 50, 800, 600);
  in.sel = CRect(10, 20, 210, 220);
  GrabPlan g = PlanGrab(in);
  EXPECT_TRUE(g.hidesSelection);
  EXPECT_EQ(g.region, CRect(110, 62, 312, 273));
  // A negative right or top keeps the screen's edge for that side.
  in.sel = CRect(10, -3, -3, 220);
  EXPECT_EQ(PlanGrab(in).region, CRect(110, 0, 1024, 273));
  // At least 10 x 10; 50 pixels high or less is too flat.
  in.sel = CRect(10, 20, 12, 14);
  g = PlanGrab(in);
  EXPECT_EQ(g.region.Width(), 10);
  EXPECT_EQ(g.region.Height(), 10);
  EXPECT_TRUE(g.tooFlat);
  // y0 = 8 + 50 - 8 = 50; y1 = bottom + 50 + 3.
  in.sel = CRect(0, 8, 100, 47);
  EXPECT_EQ(PlanGrab(in).region.Height(), 50);
  EXPECT_TRUE(PlanGrab(in).tooFlat);
  in.sel = CRect(0, 8, 100, 48);
  EXPECT_FALSE(PlanGrab(in).tooFlat);
}

TEST(CaptureGrab, TextIsCutBelowItsLastLine) {
  GrabInput in = Desktop();
  in.fileKind = 9;
  in.hasLastLine = true;
  in.lastLineY = 100;
  EXPECT_EQ(PlanGrab(in).region, CRect(0, 0, 1024, 150));
  in.lastLineY = -40;  // scrolled past the top: a flat picture
  EXPECT_TRUE(PlanGrab(in).tooFlat);
  in.lastLineY = 100;
  for (int kind : {0, 12, 29, 50, 59}) {
    in.fileKind = kind;
    EXPECT_EQ(PlanGrab(in).region.bottom, 768) << kind;
  }
  for (int kind : {11, 30, 49, 60}) {
    in.fileKind = kind;
    EXPECT_EQ(PlanGrab(in).region.bottom, 150) << kind;
  }
  in.fileKind = 9;
  in.lastLineY = 718;  // not above the cut line: kept whole
  EXPECT_EQ(PlanGrab(in).region.bottom, 768);
  in.lastLineY = 717;
  EXPECT_EQ(PlanGrab(in).region.bottom, 767);
  in.hasLastLine = false;
  in.lastLineY = 0;
  EXPECT_EQ(PlanGrab(in).region.bottom, 768);
}

TEST(CaptureGrab, HugeValuesStayOrderedWithoutOverflow) {
  GrabInput in = Desktop();
  in.mode = kClicked;
  in.window = CRect(INT_MAX, INT_MAX, INT_MAX, INT_MAX);
  in.sel = CRect(INT_MAX, INT_MAX, INT_MAX, INT_MAX);
  GrabPlan g = PlanGrab(in);
  EXPECT_LE(g.region.left, g.region.right);
  EXPECT_LE(g.region.right, kCoordLimit);
  in.sel = CRect(-1, -1, -1, -1);
  in.capture = CRect(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
  in.window = CRect(-1, 0, 0, 0);
  in.clientW = INT_MAX;
  in.clientH = INT_MAX;
  g = PlanGrab(in);
  EXPECT_EQ(g.region, CRect(0, 0, kCoordLimit, kCoordLimit));
  EXPECT_GT(g.region.Width(), 0);
}

TEST(CaptureGrab, DibSizes) {
  std::uint32_t stride = 0, bytes = 0;
  ASSERT_TRUE(CaptureDibSizes(3, 2, &stride, &bytes));
  EXPECT_EQ(stride, 12u);
  EXPECT_EQ(bytes, 24u);
  ASSERT_TRUE(CaptureDibSizes(1, 1, &stride, &bytes));
  EXPECT_EQ(stride, 4u);
  ASSERT_TRUE(CaptureDibSizes(1366, 768, &stride, &bytes));
  EXPECT_EQ(stride, 4100u);
  EXPECT_EQ(bytes, 4100u * 768u);
  EXPECT_FALSE(CaptureDibSizes(0, 5, &stride, &bytes));
  EXPECT_FALSE(CaptureDibSizes(5, -1, &stride, &bytes));
  EXPECT_FALSE(CaptureDibSizes(100000, 100000, &stride, &bytes));
  EXPECT_FALSE(CaptureDibSizes(INT_MAX, INT_MAX, &stride, &bytes));
  // The largest picture whose buffer (with its slack) still fits.
  const int rows = static_cast<int>((0x7FFFFFFFu - kCaptureBufferSlack) / 4);
  EXPECT_TRUE(CaptureDibSizes(1, rows, &stride, &bytes));
  EXPECT_FALSE(CaptureDibSizes(1, rows + 1, &stride, &bytes));
}

}  // namespace
