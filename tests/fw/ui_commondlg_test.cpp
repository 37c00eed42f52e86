// Common dialogs answered through the test hooks.
#include <gtest/gtest.h>

#include <cstring>
#include <windows.h>

#include "fw/commondlg.h"
#include "fw/uihooks.h"
#include "support/ui_test.h"

namespace {

class CommonDialog : public testsupport::UiTest {};

TEST_F(CommonDialog, FileDialogAnswersAPath) {
  fw::hooks::ExpectFileDialog({"C:\\データ\\表ソ.csv"});
  CFileDialog dlg(true, "txt", nullptr, OFN_HIDEREADONLY, "CSV (*.csv)|*.csv|すべて (*.*)|*.*||");
  ASSERT_EQ(IDOK, dlg.DoModal());
  EXPECT_EQ("C:\\データ\\表ソ.csv", dlg.GetPathName());
  // 表 and ソ end in byte 0x5C, which is not a separator there.
  EXPECT_EQ("表ソ.csv", dlg.GetFileName());
  EXPECT_EQ("csv", dlg.GetFileExt());
  EXPECT_EQ("表ソ", dlg.GetFileTitle());
  EXPECT_EQ("C:\\データ\\表ソ.csv", std::string(dlg.m_ofn.lpstrFile));
  EXPECT_EQ('\\', dlg.m_ofn.lpstrFile[dlg.m_ofn.nFileOffset - 1]);
  EXPECT_EQ(std::string("csv"), dlg.m_ofn.lpstrFile + dlg.m_ofn.nFileExtension);
}

TEST_F(CommonDialog, FilterAndDefaultExtension) {
  CFileDialog dlg(false, "txt", "初期名", OFN_OVERWRITEPROMPT, "テキスト|*.txt|すべて|*.*||");
  // The filter becomes NUL-separated pairs ending in two NULs.
  const char* f = dlg.m_ofn.lpstrFilter;
  ASSERT_NE(nullptr, f);
  EXPECT_EQ("テキスト", std::string(f));
  f += strlen(f) + 1;
  EXPECT_EQ("*.txt", std::string(f));
  f += strlen(f) + 1;
  EXPECT_EQ("すべて", std::string(f));
  f += strlen(f) + 1;
  EXPECT_EQ("*.*", std::string(f));
  f += strlen(f) + 1;
  EXPECT_EQ('\0', *f);
  EXPECT_EQ("初期名", std::string(dlg.m_ofn.lpstrFile));
  EXPECT_TRUE(dlg.m_ofn.Flags & OFN_EXPLORER);
  dlg.SetInitialFolder("C:\\work");
  EXPECT_EQ(std::string("C:\\work"), dlg.m_ofn.lpstrInitialDir);

  // A name typed without extension gets the default one, as in the real dialog.
  fw::hooks::ExpectFileDialog({"C:\\out\\結果"});
  ASSERT_EQ(IDOK, dlg.DoModal());
  EXPECT_EQ("C:\\out\\結果.txt", dlg.GetPathName());
  EXPECT_EQ("結果", dlg.GetFileTitle());
}

TEST_F(CommonDialog, FileDialogMultiSelectAndCancel) {
  CFileDialog dlg(true, nullptr, nullptr, OFN_ALLOWMULTISELECT, "all|*.*||");
  fw::hooks::ExpectFileDialog({"C:\\a\\1.txt", "C:\\a\\2.txt", "C:\\a\\3"});
  ASSERT_EQ(IDOK, dlg.DoModal());
  EXPECT_EQ((std::vector<CString>{"C:\\a\\1.txt", "C:\\a\\2.txt", "C:\\a\\3"}), dlg.GetPathNames());
  EXPECT_EQ("C:\\a\\1.txt", dlg.GetPathName());
  fw::hooks::ExpectFileDialog({});
  EXPECT_EQ(IDCANCEL, dlg.DoModal());
  EXPECT_TRUE(dlg.GetPathNames().empty());
  EXPECT_EQ("", dlg.GetFileName());
}

TEST_F(CommonDialog, AnUnexpectedFileDialogIsCancelled) {
  CFileDialog dlg(true);
  EXPECT_EQ(IDCANCEL, dlg.DoModal());
  EXPECT_EQ(std::vector<std::string>{"file dialog"}, fw::hooks::Unexpected());
  fw::hooks::Reset();
}

TEST_F(CommonDialog, ColorDialogKeepsCustomColours) {
  CColorDialog::GetSavedCustomColors()[3] = RGB(1, 2, 3);
  CColorDialog dlg(RGB(10, 20, 30), CC_FULLOPEN);
  EXPECT_TRUE(dlg.m_cc.Flags & CC_RGBINIT);
  EXPECT_EQ(RGB(10, 20, 30), dlg.GetColor());
  EXPECT_EQ(RGB(1, 2, 3), dlg.m_cc.lpCustColors[3]);
  fw::hooks::ExpectColorDialog(true, RGB(200, 100, 50));
  ASSERT_EQ(IDOK, dlg.DoModal());
  EXPECT_EQ(RGB(200, 100, 50), dlg.GetColor());
  fw::hooks::ExpectColorDialog(false, 0);
  CColorDialog second;
  EXPECT_EQ(IDCANCEL, second.DoModal());
  EXPECT_EQ(RGB(1, 2, 3), second.m_cc.lpCustColors[3]);  // shared between dialogs
}

TEST_F(CommonDialog, FontDialogFillsTheLogFont) {
  LOGFONTA lf = {};
  lf.lfHeight = -12;
  lf.lfWeight = FW_BOLD;
  lf.lfCharSet = SHIFTJIS_CHARSET;
  std::strcpy(lf.lfFaceName, "ＭＳ ゴシック");
  EXPECT_FALSE(fw::hooks::LastFontDialogStart().shown);
  CFontDialog dlg(&lf, CF_SCREENFONTS | CF_NOVERTFONTS);
  EXPECT_TRUE(dlg.m_cf.Flags & CF_INITTOLOGFONTSTRUCT);
  fw::hooks::ExpectFontDialog(true, "ＭＳ 明朝", 120);
  ASSERT_EQ(IDOK, dlg.DoModal());
  // The test sees what the dialog was opened with.
  const fw::hooks::FontDialogStart start = fw::hooks::LastFontDialogStart();
  EXPECT_TRUE(start.shown);
  EXPECT_EQ("ＭＳ ゴシック", start.faceName);
  EXPECT_EQ(static_cast<std::uint32_t>(CF_SCREENFONTS | CF_NOVERTFONTS | CF_INITTOLOGFONTSTRUCT), start.flags);
  EXPECT_EQ("ＭＳ 明朝", dlg.GetFaceName());
  EXPECT_EQ(120, dlg.GetSize());
  EXPECT_TRUE(dlg.IsBold());
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(-MulDiv(120, GetDeviceCaps(screen, LOGPIXELSY), 720), dlg.m_lf.lfHeight);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(SHIFTJIS_CHARSET, dlg.m_lf.lfCharSet);
}

TEST_F(CommonDialog, PrintDialogCancelAndOk) {
  CPrintDialog dlg(false);
  fw::hooks::ExpectPrintDialog(false);
  EXPECT_EQ(IDCANCEL, dlg.DoModal());
  fw::hooks::ExpectPrintDialog(true);
  EXPECT_EQ(IDOK, dlg.DoModal());
  // With a printer installed the default one is chosen; without one there is
  // no device and no DC, and nothing blocks.
  HDC dc = dlg.CreatePrinterDC();
  EXPECT_EQ(dc != nullptr, !dlg.GetDeviceName().IsEmpty());
  if (dc) DeleteDC(dc);
  EXPECT_EQ(1, dlg.GetCopies() > 0 ? 1 : 0);

  CPageSetupDialog page;
  fw::hooks::ExpectPrintDialog(false);
  EXPECT_EQ(IDCANCEL, page.DoModal());
}

}  // namespace
