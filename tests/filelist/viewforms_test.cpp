#include "filelist/flistcore/viewforms.h"

#include <gtest/gtest.h>

namespace flist {
namespace {

TEST(ViewForms, ZoomStopsOnlyAtTheEndsOfAShownPicture) {
  struct Case {
    int step, kind, context, zoom;
    bool reaches;
  } cases[] = {
      {1, 13, 0, 8, false},  // JPEG at the largest zoom
      {1, 13, 0, 7, true},   {-1, 13, 0, 1, false}, {-1, 13, 0, 2, true},
      {1, 13, 1, 8, true},   // the binary form of a picture is text
      {1, 9, 0, 8, true},    // a text always reaches the document
      {-1, 9, 0, 1, true},   {1, 28, 0, 9, false},  {1, 29, 0, 9, true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.reaches, ZoomReachesDocument(c.step, c.kind, c.context, c.zoom))
        << c.step << " kind " << c.kind << " zoom " << c.zoom;
}

TEST(ViewForms, DisplayStyleWordsByKindAndModifier) {
  struct Case {
    int kind;
    StyleWords in;
    bool ctrl;
    StyleWords out;
    int status;
  } cases[] = {
      // CSV: the style toggles between 2 and 1; Shift is taken back.
      {33, {0, 0, 0, 1}, false, {2, 1, 0, 0}, -1},
      {33, {2, 1, 0, 0}, false, {1, 0, 0, 0}, -1},
      // Shift on a sheet from width mode 0: the flag toggles, mode 2, first text.
      {3, {0, 0, 0, 1}, false, {0, 1, 2, 1}, 0},
      {36, {0, 1, 0, 1}, false, {0, 0, 2, 1}, 0},
      // From mode 2 Shift only adds 2: the last text.
      {3, {0, 1, 2, 1}, false, {0, 1, 4, 1}, 2},
      // Ctrl: 11 with the flag, then back to 4.
      {3, {0, 0, 3, 0}, true, {0, 1, 11, 0}, -1},
      {3, {0, 1, 11, 0}, true, {0, 1, 4, 0}, -1},
      // Without Ctrl a mode of 10 or more becomes 4; other kinds keep the rest.
      {3, {0, 0, 12, 0}, false, {0, 0, 4, 0}, -1},
      {9, {5, 0, 1, 1}, true, {5, 0, 1, 1}, -1},
  };
  for (const Case& c : cases) {
    const StylePlan p = PlanDisplayStyle(c.kind, c.in, c.ctrl);
    SCOPED_TRACE(testing::Message() << "kind " << c.kind << " mode " << c.in.columnWidthMode);
    EXPECT_EQ(c.out.tableStyle, p.words.tableStyle);
    EXPECT_EQ(c.out.tableStyleFlag, p.words.tableStyleFlag);
    EXPECT_EQ(c.out.columnWidthMode, p.words.columnWidthMode);
    EXPECT_EQ(c.out.shiftHeld, p.words.shiftHeld);
    EXPECT_EQ(c.status, p.statusText);
  }
  // Width mode 1 shows the middle text (Shift from -1 gives 1).
  EXPECT_EQ(1, PlanDisplayStyle(3, {0, 0, -1, 1}, false).statusText);
}

TEST(ViewForms, BinaryViewStepsTheFormsAndSkipsAMissingSourceForm) {
  struct Case {
    int kind;
    unsigned seq[4];
  } cases[] = {
      {33, {1, 2, 0, 1}},  // CSV: text, binary, source, text
      {13, {1, 0, 1, 0}},  // picture: text, binary, text
      {9, {1, 0, 1, 0}},
      {98, {1, 0, 1, 0}},
  };
  for (const Case& c : cases) {
    unsigned form = 0;
    for (unsigned want : c.seq) {
      form = NextOpenContext(form, c.kind);
      EXPECT_EQ(want, form) << "kind " << c.kind;
    }
  }
  EXPECT_EQ(0u, NextOpenContext(7, 33));  // a stray value goes back to text
}

TEST(ViewForms, ExecuteByCaseSensitiveEndings) {
  struct Case {
    const char* path;
    ExecuteAction action;
  } cases[] = {
      {"C:\\m\\a.rmc", ExecuteAction::kRunMacro},  {"C:\\m\\a.rmcx", ExecuteAction::kRunMacro},
      {"C:\\m\\a.rmcz", ExecuteAction::kRunMacro}, {"C:\\m\\a.RMC", ExecuteAction::kLaunch},
      {"C:\\m\\k.mcr", ExecuteAction::kPlayList},  {"C:\\m\\k.MCR", ExecuteAction::kLaunch},
      {"C:\\m\\d.pdf", ExecuteAction::kLaunch},    {"mc", ExecuteAction::kLaunch},
  };
  for (const Case& c : cases) EXPECT_EQ(c.action, PlanExecute(c.path)) << c.path;
  EXPECT_EQ(5000, FollowUpDelayMs(11));
  EXPECT_EQ(1000, FollowUpDelayMs(9));
}

TEST(ViewForms, FtpFilesLaunchFromTheirLocalCopy) {
  EXPECT_EQ("C:\\P\\TMP\\Dorvik_r.pdf", FtpLaunchCopy("C:\\P", "Y:\\pub/docs\\r.pdf"));
  EXPECT_EQ("C:\\P\\TMP\\Dorvik_a.txt", FtpLaunchCopy("C:\\P", "Y:/a/b/a.txt"));
  // "表" ends in the byte of "\": the name is not cut inside it.
  EXPECT_EQ("C:\\P\\TMP\\Dorvik_\x95\x5C.txt", FtpLaunchCopy("C:\\P", "Y:\\\x95\x5C.txt"));
}

}  // namespace
}  // namespace flist
