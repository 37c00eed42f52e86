// The logic of the modal-UI test hooks, the UiTest fixture and the temporary
// program folder (no window needed).
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "fw/clock.h"
#include "fw/uihooks.h"
#include "support/temp_folder.h"
#include "support/ui_test.h"

namespace hooks = fw::hooks;

namespace {

// Win32 values, as the hooks see them.
const int kIdOk = 1, kIdCancel = 2, kIdAbort = 3, kIdYes = 6, kIdNo = 7;
const unsigned kMbOk = 0, kMbOkCancel = 1, kMbAbortRetryIgnore = 2, kMbYesNoCancel = 3, kMbYesNo = 4;

int Box(const char* text, unsigned type, bool* handled = nullptr) {
  int answer = -1;
  bool h = hooks::AnswerMessageBox(text, "Tabry-Editor", type, &answer);
  if (handled) *handled = h;
  return answer;
}

// Outside test mode with nothing expected, the hooks are inert.
TEST(UiHooksShipped, NothingIsHandledWithoutTestModeOrExpectation) {
  hooks::SetTestMode(false);
  hooks::Reset();
  int answer = 0;
  EXPECT_FALSE(hooks::AnswerMessageBox("x", "t", kMbYesNo, &answer));
  hooks::DialogAnswer d;
  EXPECT_FALSE(hooks::TakeDialogAnswer(135, &d));
  std::vector<std::string> paths;
  EXPECT_FALSE(hooks::TakeFileDialogAnswer(&paths));
  bool ok = true;
  std::uint32_t rgb = 0;
  EXPECT_FALSE(hooks::TakeColorDialogAnswer(&ok, &rgb));
  std::string face;
  int size = 0;
  EXPECT_FALSE(hooks::TakeFontDialogAnswer(&ok, &face, &size));
  EXPECT_FALSE(hooks::TakePrintDialogAnswer(&ok));
  unsigned chosen = 0;
  EXPECT_FALSE(hooks::TakePopupMenu({}, &chosen));
  EXPECT_FALSE(hooks::RefuseModal("folder picker"));
  EXPECT_TRUE(hooks::Unexpected().empty());
  EXPECT_TRUE(hooks::MessageBoxTexts().empty());
}

TEST(UiHooksShipped, AnExpectationWorksWithoutTestMode) {
  hooks::SetTestMode(false);
  hooks::Reset();
  hooks::ExpectMessageBox("保存", kIdNo);
  bool handled = false;
  EXPECT_EQ(kIdNo, Box("変更を保存しますか？", kMbYesNoCancel, &handled));
  EXPECT_TRUE(handled);
  Box("other", kMbOk, &handled);
  EXPECT_FALSE(handled);
}

class UiHooks : public testsupport::UiTest {};

TEST_F(UiHooks, MessageBoxesAreAnsweredInOrder) {
  hooks::ExpectMessageBox("first", kIdYes);
  hooks::ExpectMessageBox("", kIdNo);  // any text
  hooks::ExpectMessageBox("third", kIdCancel);
  EXPECT_EQ(kIdYes, Box("the first question", kMbYesNo));
  EXPECT_EQ(kIdNo, Box("whatever", kMbYesNo));
  EXPECT_EQ(kIdCancel, Box("third", kMbOkCancel));
  EXPECT_EQ((std::vector<std::string>{"the first question", "whatever", "third"}), hooks::MessageBoxTexts());
  EXPECT_TRUE(hooks::Unexpected().empty());
  EXPECT_TRUE(hooks::Unused().empty());
}

TEST_F(UiHooks, AnAnswerGivenWhileTheBoxIsUpMayMeetAnotherBox) {
  // What the callback does stands for what runs behind a real box.
  std::vector<std::string> seen;
  hooks::ExpectMessageBox("outer", [&] {
    seen.push_back("up");
    // A box behind the box: the hooks are not locked meanwhile.
    seen.push_back(Box("inner", kMbOkCancel) == kIdOk ? "inner ok" : "inner other");
    return kIdYes;
  });
  hooks::ExpectMessageBox("inner", kIdOk);
  EXPECT_EQ(kIdYes, Box("the outer question", kMbYesNo));
  EXPECT_EQ((std::vector<std::string>{"up", "inner ok"}), seen);
  EXPECT_EQ((std::vector<std::string>{"the outer question", "inner"}), hooks::MessageBoxTexts());
  EXPECT_TRUE(hooks::Unused().empty());
}

TEST_F(UiHooks, ABoxOutOfOrderIsRefusedAndTheExpectationKept) {
  hooks::ExpectMessageBox("second", kIdYes);
  EXPECT_EQ(kIdCancel, Box("first", kMbOkCancel));
  EXPECT_EQ(kIdYes, Box("second", kMbYesNo));
  ASSERT_EQ(1u, hooks::Unexpected().size());
  EXPECT_NE(std::string::npos, hooks::Unexpected()[0].find("first"));
  EXPECT_NE(std::string::npos, hooks::Unexpected()[0].find("second"));  // what was expected
  hooks::Reset();
}

TEST_F(UiHooks, UnexpectedBoxesGetAButtonTheyHave) {
  EXPECT_EQ(kIdOk, Box("a", kMbOk));
  EXPECT_EQ(kIdCancel, Box("b", kMbOkCancel));
  EXPECT_EQ(kIdNo, Box("c", kMbYesNo));
  EXPECT_EQ(kIdCancel, Box("d", kMbYesNoCancel));
  EXPECT_EQ(kIdAbort, Box("e", kMbAbortRetryIgnore));
  EXPECT_EQ(kIdOk, Box("f", kMbOk | 0x30 /* MB_ICONEXCLAMATION */));
  std::vector<std::string> u = hooks::Unexpected();
  ASSERT_EQ(6u, u.size());
  EXPECT_EQ("message box: a", u[0]);
  EXPECT_EQ("message box: f", u[5]);
  hooks::Reset();
  EXPECT_TRUE(hooks::Unexpected().empty());
  EXPECT_TRUE(hooks::MessageBoxTexts().empty());
}

TEST_F(UiHooks, TheFixtureReportsUnexpectedUiAndUnusedExpectations) {
  Box("ファイルがありません", kMbOk);
  hooks::ExpectMessageBox("never", kIdYes);
  const std::string problems = testsupport::HookProblems();
  EXPECT_NE(std::string::npos, problems.find("unexpected message box: ファイルがありません"));
  EXPECT_NE(std::string::npos, problems.find("never shown: message box \"never\""));
  EXPECT_NONFATAL_FAILURE(testsupport::CheckHooks(), "ファイルがありません");
  // CheckHooks reset the records: the fixture's own check at the end passes.
  EXPECT_EQ("", testsupport::HookProblems());
}

TEST_F(UiHooks, TheFixtureFixesClockAndSeed) {
  EXPECT_EQ(testsupport::kUiTestTime, fw::CurrentTime());
  EXPECT_EQ(0u, fw::TickCount());
  const std::uint32_t first = fw::hooks::Random();
  fw::hooks::SeedRandom(testsupport::kUiTestSeed);
  EXPECT_EQ(first, fw::hooks::Random());
}

TEST_F(UiHooks, DialogAnswersPerResourceId) {
  int calls = 0;
  hooks::ExpectDialog(135, [&](CDialog&) { ++calls; return kIdOk; });
  hooks::ExpectDialog(135, [&](CDialog&) { calls += 10; return kIdCancel; });
  hooks::DialogAnswer a;
  ASSERT_TRUE(hooks::TakeDialogAnswer(135, &a));
  alignas(16) char storage[16] = {};  // never used by these answers
  CDialog& none = reinterpret_cast<CDialog&>(storage);
  EXPECT_EQ(kIdOk, a(none));
  ASSERT_TRUE(hooks::TakeDialogAnswer(135, &a));
  EXPECT_EQ(kIdCancel, a(none));
  EXPECT_EQ(11, calls);
  EXPECT_TRUE(hooks::Unused().empty());

  // A third one, or another id, is refused with Cancel.
  ASSERT_TRUE(hooks::TakeDialogAnswer(135, &a));
  EXPECT_EQ(kIdCancel, a(none));
  ASSERT_EQ(1u, hooks::Unexpected().size());
  EXPECT_EQ("dialog 135", hooks::Unexpected()[0]);
  hooks::Reset();
}

TEST_F(UiHooks, CommonDialogAnswers) {
  hooks::ExpectFileDialog({"C:\\a.txt", "C:\\b.txt"});
  hooks::ExpectFileDialog({});
  hooks::ExpectColorDialog(true, 0x123456);
  hooks::ExpectFontDialog(true, "ＭＳ ゴシック", 105);
  hooks::ExpectPrintDialog(false);
  EXPECT_EQ(5u, hooks::Unused().size());

  std::vector<std::string> paths;
  ASSERT_TRUE(hooks::TakeFileDialogAnswer(&paths));
  EXPECT_EQ((std::vector<std::string>{"C:\\a.txt", "C:\\b.txt"}), paths);
  ASSERT_TRUE(hooks::TakeFileDialogAnswer(&paths));
  EXPECT_TRUE(paths.empty());
  bool ok = false;
  std::uint32_t rgb = 0;
  ASSERT_TRUE(hooks::TakeColorDialogAnswer(&ok, &rgb));
  EXPECT_TRUE(ok);
  EXPECT_EQ(0x123456u, rgb);
  std::string face;
  int size = 0;
  ASSERT_TRUE(hooks::TakeFontDialogAnswer(&ok, &face, &size));
  EXPECT_EQ("ＭＳ ゴシック", face);
  EXPECT_EQ(105, size);
  ASSERT_TRUE(hooks::TakePrintDialogAnswer(&ok));
  EXPECT_FALSE(ok);
  EXPECT_TRUE(hooks::Unused().empty());
  EXPECT_TRUE(hooks::Unexpected().empty());

  // Unexpected ones: recorded and cancelled.
  paths = {"x"};
  ASSERT_TRUE(hooks::TakeFileDialogAnswer(&paths));
  EXPECT_TRUE(paths.empty());
  ok = true;
  ASSERT_TRUE(hooks::TakeColorDialogAnswer(&ok, &rgb));
  EXPECT_FALSE(ok);
  ok = true;
  ASSERT_TRUE(hooks::TakePrintDialogAnswer(&ok));
  EXPECT_FALSE(ok);
  EXPECT_TRUE(hooks::RefuseModal("folder picker"));
  EXPECT_EQ((std::vector<std::string>{"file dialog", "colour dialog", "print dialog", "folder picker"}),
            hooks::Unexpected());
  hooks::Reset();
}

TEST_F(UiHooks, PopupMenusAreRecorded) {
  std::vector<hooks::MenuItem> items(3);
  items[0].id = 100;
  items[0].text = "開く(&O)";
  items[1].separator = true;
  items[2].id = 101;
  items[2].text = "閉じる";
  items[2].grayed = true;
  hooks::ExpectPopupMenu(101);
  unsigned chosen = 0;
  ASSERT_TRUE(hooks::TakePopupMenu(items, &chosen));
  EXPECT_EQ(101u, chosen);
  ASSERT_EQ(3u, hooks::LastPopupMenu().size());
  EXPECT_EQ("閉じる", hooks::LastPopupMenu()[2].text);
  EXPECT_TRUE(hooks::LastPopupMenu()[2].grayed);

  ASSERT_TRUE(hooks::TakePopupMenu(items, &chosen));
  EXPECT_EQ(0u, chosen);
  ASSERT_EQ(1u, hooks::Unexpected().size());
  EXPECT_EQ("popup menu: 開く(&O) | 閉じる", hooks::Unexpected()[0]);
  hooks::Reset();
  EXPECT_TRUE(hooks::LastPopupMenu().empty());
}

TEST(UiHooksRandom, Pcg32ReferenceSequenceAndFixedSeeds) {
  hooks::SeedRandom(7);
  std::vector<std::uint32_t> a;
  for (int i = 0; i < 5; ++i) a.push_back(hooks::Random());
  hooks::SeedRandom(7);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(a[i], hooks::Random());
  hooks::SeedRandom(8);
  EXPECT_NE(a[0], hooks::Random());
  // Not a constant or a short cycle.
  std::set<std::uint32_t> seen(a.begin(), a.end());
  EXPECT_EQ(5u, seen.size());
}

TEST(UiHooksRandom, BelowStaysInRangeAndCoversIt) {
  hooks::SeedRandom(1);
  EXPECT_EQ(0u, hooks::RandomBelow(0));
  EXPECT_EQ(0u, hooks::RandomBelow(1));
  int counts[6] = {};
  for (int i = 0; i < 6000; ++i) {
    std::uint32_t r = hooks::RandomBelow(6);
    ASSERT_LT(r, 6u);
    ++counts[r];
  }
  for (int c : counts) {
    EXPECT_GT(c, 850);
    EXPECT_LT(c, 1150);
  }
  // Large bounds, where modulo bias would show most.
  for (int i = 0; i < 1000; ++i) ASSERT_LT(hooks::RandomBelow(0x80000001u), 0x80000001u);
}

TEST(TempProgramFolder, IsFreshUniqueAndRemovedWithItsContents) {
  std::string kept;
  {
    testsupport::TempProgramFolder a, b;
    EXPECT_NE(a.Path(), b.Path());
    ASSERT_TRUE(std::filesystem::is_directory(a.Path()));
    EXPECT_TRUE(std::filesystem::is_empty(a.Path()));
    std::filesystem::create_directories(a.File("TMP"));
    std::ofstream(a.File("Dorvik.inf")) << "#end/\n";
    std::ofstream(a.File("TMP") + "/x.tmp") << "x";
    EXPECT_TRUE(std::filesystem::exists(a.File("Dorvik.inf")));
    kept = a.Path();
  }
  EXPECT_FALSE(std::filesystem::exists(kept));
}

}  // namespace

namespace {

// The drag hook: an expected drag answers at once with its effect and keeps
// what was offered; an unexpected one in test mode is refused (no effect)
// and recorded; outside test mode the real drag loop runs.
TEST(UiHooksDrag, ExpectedUnexpectedAndShipped) {
  hooks::Reset();
  hooks::DragOffer offer;
  offer.allowedEffects = 1;
  offer.items.push_back({15, {20, 0, 0, 0, 'a', 0, 0}});
  unsigned effect = 99;
  EXPECT_FALSE(hooks::TakeDragDrop(offer, &effect));  // shipped: not handled
  hooks::ExpectDragDrop(1);
  ASSERT_TRUE(hooks::TakeDragDrop(offer, &effect));
  EXPECT_EQ(effect, 1u);
  hooks::SetTestMode(true);
  ASSERT_TRUE(hooks::TakeDragDrop(offer, &effect));
  EXPECT_EQ(effect, 0u);
  const std::vector<std::string> unexpected = hooks::Unexpected();
  ASSERT_EQ(unexpected.size(), 1u);
  EXPECT_EQ(unexpected[0], "drag and drop");
  const std::vector<hooks::DragOffer> seen = hooks::DragOffers();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].items[0].format, 15u);
  EXPECT_EQ(seen[0].items[0].bytes.size(), 7u);
  hooks::Reset();
  EXPECT_TRUE(hooks::DragOffers().empty());
  hooks::SetTestMode(false);
}

// The screen hook: a scripted foreground window by query number (0 before
// the first step, the latest begun step after), the desktop's size as set;
// Reset hands both back to the system, whose answers are not counted.
TEST(UiHooksScreen, ScriptedForegroundAndDesktop) {
  hooks::Reset();
  hooks::ForegroundWindow();
  EXPECT_EQ(hooks::ForegroundQueries(), 0);
  const std::uintptr_t frame = 0x1000, target = 0x2000, other = 0x3000;
  hooks::ScriptForegroundWindow(7, other);  // out of order on purpose
  hooks::ScriptForegroundWindow(2, frame);
  hooks::ScriptForegroundWindow(5, target);
  std::vector<std::uintptr_t> seen;
  for (int i = 0; i < 8; ++i) seen.push_back(hooks::ForegroundWindow());
  EXPECT_EQ(seen, (std::vector<std::uintptr_t>{0, frame, frame, frame, target, target, other, other}));
  EXPECT_EQ(hooks::ForegroundQueries(), 8);

  hooks::SetDesktopSize(1280, 720);
  const CRect r = hooks::DesktopWindowRect();
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right, 1280);
  EXPECT_EQ(r.bottom, 720);
  EXPECT_EQ(hooks::DesktopClientSize(), CSize(1280, 720));

  hooks::Reset();
  EXPECT_EQ(hooks::ForegroundQueries(), 0);
  hooks::ForegroundWindow();
  EXPECT_EQ(hooks::ForegroundQueries(), 0);
#ifndef _WIN32
  // No window system: no window in front and an empty desktop.
  EXPECT_EQ(hooks::ForegroundWindow(), 0u);
  EXPECT_EQ(hooks::DesktopClientSize(), CSize());
#else
  const CSize real = hooks::DesktopClientSize();
  EXPECT_GT(real.cx, 0);
  EXPECT_GT(real.cy, 0);
#endif
}

}  // namespace
