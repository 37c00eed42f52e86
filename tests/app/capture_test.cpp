// The screen capture in the running program, in-process: the foreground
// window and the desktop's size come from the screen hook, the waits from the
// fixed clock (so nothing waits), the dialog and the messages from their
// hooks. Under the null driver the desktop reads back black; what is checked
// is the rectangle, the file and its size, the frame and the open afterwards.
// The clicked-window picture is left in the build tree's "capture_png"
// folder, where Pillow opens it after this test (capture_check.sh).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "filelist/flistview.h"
#include "fw/clock.h"
#include "fw/fwtext.h"
#include "fw/uihooks.h"
#include "image_view_fixture.h"
#include "res/resource.h"
#include "shell_fixture.h"
#include "support/file_bytes.h"
#include "support/pump.h"
#include "view/dvkview.h"

namespace {

namespace hooks = fw::hooks;

// The target window: partly off the left of the screen.
constexpr int kTargetX = -30, kTargetY = 40, kTargetW = 200, kTargetH = 120;

bool Exists(const std::string& p) { return GetFileAttributesA(p.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Width and height of a PNG file from its header; (0, 0) when it is none.
CSize PngSize(const std::string& png) {
  if (png.size() < 24 || png.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 || png.compare(12, 4, "IHDR") != 0)
    return CSize();
  auto be32 = [&](std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = v << 8 | static_cast<unsigned char>(png[at + i]);
    return static_cast<int>(v);
  };
  return CSize(be32(16), be32(20));
}

// Width and height of a BMP file; (0, 0) when it is none.
CSize BmpSize(const std::string& bmp) {
  if (bmp.size() < 26 || bmp[0] != 'B' || bmp[1] != 'M') return CSize();
  auto le32 = [&](std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(bmp[at + i]);
    return static_cast<int>(v);
  };
  return CSize(le32(18), le32(22));
}

std::uintptr_t Handle(HWND w) { return reinterpret_cast<std::uintptr_t>(w); }

class Capture : public imageviewtest::ImageViewFixture {
 protected:
  void SetUp() override {
    ImageViewFixture::SetUp();
    target_ = ::CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "capture target", WS_POPUP, kTargetX, kTargetY,
                                kTargetW, kTargetH, nullptr, nullptr, nullptr, nullptr);
    other_ = ::CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "another window", WS_POPUP, 500, 300, 50, 60, nullptr,
                               nullptr, nullptr, nullptr);
  }
  void TearDown() override {
    if (target_) ::DestroyWindow(target_);
    if (other_) ::DestroyWindow(other_);
    ImageViewFixture::TearDown();
  }
  // The program with pane 1 showing the picture `name` (a PNG written by the
  // program's own writer), made the active text pane.
  CDvkView* StartShowing(const char* name) {
    if (!StartIn("")) return nullptr;
    WritePng(File(name));
    if (!OpenAndWait(File(name))) return nullptr;
    frame->ActivateTextPane(0, 0);
    return View();
  }
  void WritePng(const std::string& path) {
    const std::string bmp = imageviewtest::Bmp24(16, 12);
    std::vector<std::uint8_t> header(2000, 0), pixels(bmp.begin() + 54, bmp.end());
    std::copy(bmp.begin() + 14, bmp.begin() + 54, header.begin());
    doc->WriteImageByFormat(pixels.data(), header.data(), path.c_str(), 5);
  }
  // The screen: the desktop's size, the frame in front until the target
  // comes on query `targetFrom` (0: never).
  void Screen(int targetFrom) {
    hooks::SetDesktopSize(640, 480);
    hooks::ScriptForegroundWindow(1, Handle(frame->m_hWnd));
    if (targetFrom > 0) hooks::ScriptForegroundWindow(targetFrom, Handle(target_));
  }
  bool Loaded() {
    CDvkView* v = View();
    return v && testsupport::PumpUntil([v] { return !v->LoadPending(); }, 10000);
  }
  std::uint64_t Ticks() const { return fw::TickCount(); }

  HWND target_ = nullptr;
  HWND other_ = nullptr;
};

// Mode 40: the fifth poll finds the target; its rectangle with the left
// raised to 0 is taken after the waits (on the fixed clock: 1000 ms, four
// poll steps, 1000 ms); the PNG has that size; the frame is back and the
// document shows the picture.
TEST_F(Capture, AClickedWindowIsTakenFromTheLeftEdgeAndOpened) {
  const std::string dir = std::string(TABRYE_BIN_ROOT) + "\\capture_png";
  CreateDirectoryA(dir.c_str(), nullptr);
  DeleteFileA((dir + "\\window.png").c_str());
  DeleteFileA((dir + "\\window.size").c_str());
  CDvkView* v = StartShowing("shown.png");
  ASSERT_NE(v, nullptr);
  RECT tr = {};
  ASSERT_TRUE(::GetWindowRect(target_, &tr));
  ASSERT_EQ(tr.left, kTargetX);
  Screen(5);
  const std::string out = File("cap.png");
  hooks::ExpectFileDialog({out});
  hooks::ExpectMessageBox("Click the target window", IDOK);
  const std::uint64_t t0 = Ticks();
  v->CaptureScreen(40);
  EXPECT_EQ(hooks::LastFileDialogOffer().name, File("shown.png"));
  EXPECT_EQ(Ticks() - t0, 1000u + 4 * 10 + 1000);
  EXPECT_EQ(hooks::ForegroundQueries(), 6);  // five polls, one for the grab
  EXPECT_EQ(v->m_image.m_rcCapture, CRect(0, kTargetY, kTargetX + kTargetW, kTargetY + kTargetH));
  const std::string png = testsupport::ReadFileBytes(out);
  EXPECT_EQ(PngSize(png), CSize(kTargetX + kTargetW, kTargetH));
  EXPECT_FALSE(::IsIconic(frame->m_hWnd));
  EXPECT_TRUE(Loaded());
  EXPECT_EQ(doc->m_strCurFile.Str(), out);
  // For Pillow, with the size it must find.
  testsupport::WriteFileBytes(dir + "\\window.png", png);
  testsupport::WriteFileBytes(dir + "\\window.size", std::to_string(kTargetX + kTargetW) + " " +
                                                         std::to_string(kTargetH) + "\n");
}

// A region on the shown picture limits the grab to it, placed on the
// window's corner with the offsets -8, +2 and +3; the frame is cleared after.
TEST_F(Capture, ARegionLimitsTheGrabAndIsClearedAfter) {
  CDvkView* v = StartShowing("shown.png");
  ASSERT_NE(v, nullptr);
  Screen(1);
  v->m_image.m_rcImageSel = CRect(10, 20, 110, 120);
  hooks::ExpectFileDialog({File("region.png")});
  hooks::ExpectMessageBox("Click the target window", IDOK);
  v->CaptureScreen(40);
  // x: 10 .. 110 + 2; y: 40 + 20 - 8 .. 40 + 120 + 3.
  EXPECT_EQ(PngSize(testsupport::ReadFileBytes(File("region.png"))), CSize(102, 111));
  EXPECT_EQ(v->m_image.m_rcImageSel.left, -1);
  EXPECT_TRUE(Loaded());
}

// No window ever comes to the front: the command ends after a minute of
// polls (at once on the fixed clock), with the frame restored, no file and
// no open. An Esc in the queue, answered Yes, ends it at the first poll.
TEST_F(Capture, NoWindowInFrontOrEscEndsWithoutAPicture) {
  CDvkView* v = StartShowing("shown.png");
  ASSERT_NE(v, nullptr);
  Screen(0);
  hooks::ExpectFileDialog({File("none.png")});
  hooks::ExpectMessageBox("Click the target window", IDOK);
  std::uint64_t t0 = Ticks();
  v->CaptureScreen(40);
  EXPECT_GE(Ticks() - t0, 1000u + 60000u);
  EXPECT_LT(Ticks() - t0, 1000u + 60000u + 100u);
  EXPECT_FALSE(Exists(File("none.png")));
  EXPECT_FALSE(::IsIconic(frame->m_hWnd));
  EXPECT_EQ(doc->m_strCurFile.Str(), File("shown.png"));
  testsupport::CheckHooks();

  Screen(0);
  hooks::ExpectFileDialog({File("esc.png")});
  hooks::ExpectMessageBox(fw::LoadText(IDS_ABORT_QUERY).Str(), IDYES);
  ::PostMessageA(frame->m_hWnd, WM_KEYDOWN, VK_ESCAPE, 1);
  t0 = Ticks();
  v->CaptureScreen(41);
  EXPECT_EQ(hooks::ForegroundQueries(), 1);
  EXPECT_EQ(Ticks() - t0, 1000u);
  EXPECT_FALSE(Exists(File("esc.png")));
  EXPECT_FALSE(Exists(File("esc_0001.png")));
  EXPECT_FALSE(::IsIconic(frame->m_hWnd));
  EXPECT_EQ(doc->m_bAbort, 0u);
  EXPECT_EQ(doc->m_strCurFile.Str(), File("shown.png"));
}

// A ".pdf" target is refused with string 162 before the frame is touched.
TEST_F(Capture, APdfTargetIsRefused) {
  CDvkView* v = StartShowing("shown.png");
  ASSERT_NE(v, nullptr);
  Screen(1);
  hooks::ExpectFileDialog({File("cap.pdf")});
  hooks::ExpectMessageBox("Save Desktop Window", IDOK);
  hooks::ExpectMessageBox(fw::LoadText(IDS_CANNOT_CREATE).Str(), IDOK);
  v->CaptureScreen(1);
  EXPECT_FALSE(Exists(File("cap.pdf")));
  EXPECT_EQ(hooks::ForegroundQueries(), 0);
  EXPECT_EQ(doc->m_strCurFile.Str(), File("shown.png"));
}

// F2 in the list: the view showing x09.png with x10.png present writes
// x11.png (no dialog, no question, x10.png untouched) of the desktop's size,
// the pending word back at 0 and the list-update word as it was.
TEST_F(Capture, TheListsF2TakesTheNextFreeNumber) {
  CDvkView* v = StartShowing("x09.png");
  ASSERT_NE(v, nullptr);
  WritePng(File("x10.png"));
  const std::string x10 = testsupport::ReadFileBytes(File("x10.png"));
  Screen(1);
  CFlistView* list = frame->GetListPane(0, 0);
  ASSERT_NE(list, nullptr);
  frame->ActivateListPane(0, 0);
  doc->m_nListUpdateCode = 7;
  list->OnKeyDown(VK_F2, 1, 0);
  EXPECT_EQ(doc->m_nPendingViewCmd, 0);
  EXPECT_EQ(doc->m_nListUpdateCode, 7);
  doc->m_nListUpdateCode = 0;
  EXPECT_EQ(PngSize(testsupport::ReadFileBytes(File("x11.png"))), CSize(640, 480));
  EXPECT_EQ(v->m_image.m_rcCapture, CRect(0, 0, 640, 480));
  EXPECT_EQ(testsupport::ReadFileBytes(File("x10.png")), x10);
  EXPECT_TRUE(Loaded());
  EXPECT_EQ(doc->m_strCurFile.Str(), File("x11.png"));
  // A second F2 follows on from the picture it opened.
  frame->ActivateListPane(0, 0);
  list->OnKeyDown(VK_F2, 1, 0);
  EXPECT_EQ(doc->m_strCurFile.Str(), File("x12.png"));
  EXPECT_EQ(PngSize(testsupport::ReadFileBytes(File("x12.png"))), CSize(640, 480));
  EXPECT_EQ(PngSize(testsupport::ReadFileBytes(File("x11.png"))), CSize(640, 480));
}

// The document's handlers with the list active hand the capture to the
// view's update and leave the pending word at 0 after it.
TEST_F(Capture, TheDocumentsHandlersWithTheListActive) {
  CDvkView* v = StartShowing("shown.png");
  ASSERT_NE(v, nullptr);
  struct Case {
    unsigned id;
    const char* file;
    const char* message;  // nullptr: none
    const char* written;
  };
  const Case cases[] = {{ID_CAPTURE_DESKTOP, "desk.png", "Save Desktop Window", "desk.png"},
                        {ID_CAPTURE_WINDOW, "win.png", "Click the target window", "win.png"},
                        {ID_CAPTURE_SERIES, "ser#1s500m.png", nullptr, "ser#1s500m_0002.png"}};
  for (const Case& c : cases) {
    Screen(1);
    frame->ActivateListPane(0, 0);
    hooks::ExpectFileDialog({File(c.file)});
    if (c.message) hooks::ExpectMessageBox(c.message, IDOK);
    frame->SendMessage(WM_COMMAND, c.id, 0);
    EXPECT_EQ(doc->m_nPendingViewCmd, 0) << c.id;
    EXPECT_TRUE(Exists(File(c.written))) << c.id;
    testsupport::CheckHooks();
    Loaded();
  }
  EXPECT_EQ(PngSize(testsupport::ReadFileBytes(File("desk.png"))), CSize(640, 480));
  EXPECT_FALSE(Exists(File("ser#1s500m_0003.png")));
}

// The series "s#1s200m.bmp": five pictures 200 ms apart on the fixed grid,
// the document showing the last; another window in front between the second
// and the third picture ends it after the second.
TEST_F(Capture, ASeriesKeepsItsGridAndEndsWhenAnotherWindowComesToTheFront) {
  CDvkView* v = StartShowing("shown.png");
  ASSERT_NE(v, nullptr);
  Screen(1);
  hooks::ExpectFileDialog({File("s#1s200m.bmp")});
  std::uint64_t t0 = Ticks();
  v->CaptureScreen(41);
  EXPECT_EQ(Ticks() - t0, 1000u + 1000u + 5 * 200u);
  for (const char* name : {"s#1s200m_0001.bmp", "s#1s200m_0002.bmp", "s#1s200m_0003.bmp", "s#1s200m_0004.bmp",
                           "s#1s200m_0005.bmp"})
    EXPECT_EQ(BmpSize(testsupport::ReadFileBytes(File(name))), CSize(kTargetX + kTargetW, kTargetH)) << name;
  EXPECT_FALSE(Exists(File("s#1s200m_0006.bmp")));
  EXPECT_FALSE(Exists(File("s#1s200m.bmp")));
  EXPECT_TRUE(Loaded());
  EXPECT_EQ(doc->m_strCurFile.Str(), File("s#1s200m_0005.bmp"));
  testsupport::CheckHooks();

  // Queries: 1 the poll; then per picture the grab's and the check's. The
  // second picture's check (query 5) sees another window.
  Screen(1);
  hooks::ScriptForegroundWindow(5, Handle(other_));
  hooks::ExpectFileDialog({File("e#1s200m.bmp")});
  v->CaptureScreen(41);
  EXPECT_TRUE(Exists(File("e#1s200m_0001.bmp")));
  EXPECT_TRUE(Exists(File("e#1s200m_0002.bmp")));
  EXPECT_FALSE(Exists(File("e#1s200m_0003.bmp")));
  EXPECT_TRUE(Loaded());
  EXPECT_EQ(doc->m_strCurFile.Str(), File("e#1s200m_0002.bmp"));
}

}  // namespace
