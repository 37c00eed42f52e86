// Text-view services in-process: a CSV edited in the rich edit and saved in
// comma form, refused saves, the pane split and its synchronisation,
// ReportMessage in its modes, zoom and wrap, the print layout and the
// missing printer, the context menu, the key dispatcher, line helpers.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fw/strtable.h"
#include "fw/uihooks.h"
#include "macro/macro_state.h"
#include "res/resource.h"
#include "shell_fixture.h"
#include "support/pump.h"
#include "support/temp_folder.h"
#include "view/dvkview.h"
#include "support/file_bytes.h"

namespace {

const char kCsv[] =
    "\"名前\",\"住所\",\"電話\"\r\n"
    "\"山田\",\"東京都,港区\",03-1234\r\n"
    "佐藤,大阪,\"06-9\"\r\n";

std::string StringOf(unsigned id) {
  std::string s;
  fw::LookupString(id, s);
  return s;
}

bool UnderWine() { return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr; }

constexpr int kTextFormat = SF_TEXT | SF_USECODEPAGE | (932 << 16);

class ViewServicesTest : public shelltest::ShellFileTest {};

// Replaces the first `from` in the control with `to`, as typing would.
void TypeOver(CDvkView* v, const char* from, const char* to) {
  int at = v->FindTextMatchCase(0, -1, from);
  ASSERT_GE(at, 0) << from;
  const int chars = MultiByteToWideChar(932, 0, from, -1, nullptr, 0) - 1;
  v->GetRichEditCtrl().SetSel(at, at + chars);
  v->GetRichEditCtrl().ReplaceSel(to, TRUE);
  v->GetRichEditCtrl().SetModify(TRUE);
}

TEST_F(ViewServicesTest, AnEditedCsvCellGoesBackIntoTheBufferAndIsSavedInCommaForm) {
  CDvkView* v = Open("a.csv", kCsv);
  ASSERT_NE(nullptr, v);
  TypeOver(v, "大阪", "京都");
  ASSERT_EQ(0, v->RebuildCsvBuffer(33, 2));
  const std::string buf(reinterpret_cast<const char*>(v->m_table.m_pTextBuf), v->m_table.m_nTextLen);
  EXPECT_NE(std::string::npos, buf.find("佐藤\x06京都\x06\"06-9\"\r\n")) << buf;
  EXPECT_NE(std::string::npos, buf.find("\"東京都,港区\"\x06"));
  EXPECT_EQ(2, v->m_table.m_nLastRow);

  const std::string path = File("a.csv");
  ASSERT_EQ(0, v->WriteDocument(path.c_str(), 0, 0));
  std::string expect = kCsv;
  expect.replace(expect.find("大阪"), std::strlen("大阪"), "京都");
  EXPECT_EQ(expect, testsupport::ReadFileBytes(path));
  // Every save leaves a backup of what was there.
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder_->Path() + "\\TMP\\BACKUP\\a_*~.csv").c_str(), &fd);
  ASSERT_NE(INVALID_HANDLE_VALUE, h);
  FindClose(h);
  EXPECT_EQ(std::string(kCsv), testsupport::ReadFileBytes(folder_->Path() + "\\TMP\\BACKUP\\" + fd.cFileName));
  // Post-save state: the document's text is the comma form, nothing modified.
  EXPECT_EQ(expect, std::string(doc->m_pText, doc->m_nTextLen));
  EXPECT_FALSE(v->GetRichEditCtrl().GetModify());
  EXPECT_EQ(app::UpdateCode::kRedrawAll, doc->m_nUpdateCode);
  EXPECT_EQ(33, doc->m_nFileKind);
}

TEST_F(ViewServicesTest, AnEditedCsvKeepsTheBytesOfItsUneditedRows) {
  // LF rows, a quoted line break, a TAB in a field, a stray quote and a
  // trailing empty line: only the edited row is written anew.
  const char kFile[] = "\"a\nb\",c\nx\ty,5\" disk\n大阪,2\n\n";
  CDvkView* v = Open("e.csv", kFile);
  ASSERT_NE(nullptr, v);
  TypeOver(v, "大阪", "京都,南");
  const std::string path = File("e.csv");
  ASSERT_EQ(0, v->WriteDocument(path.c_str(), 0, 0));
  EXPECT_EQ("\"a\nb\",c\nx\ty,5\" disk\n\"京都,南\",2\n\n", testsupport::ReadFileBytes(path));
}

TEST_F(ViewServicesTest, ASaveThatCannotWriteReportsAndChangesNothing) {
  CDvkView* v = Open("a.csv", kCsv);
  ASSERT_NE(nullptr, v);
  TypeOver(v, "大阪", "京都");
  const std::string ro = File("ro.csv");
  testsupport::WriteFileBytes(ro, "old,file\r\n");
  SetFileAttributesA(ro.c_str(), FILE_ATTRIBUTE_READONLY);
  fw::hooks::ExpectMessageBox("書込み禁止", IDNO);
  EXPECT_EQ(-1, v->WriteDocument(ro.c_str(), 0, 0));
  EXPECT_EQ("old,file\r\n", testsupport::ReadFileBytes(ro));
  EXPECT_STREQ(File("a.csv").c_str(), doc->m_strCurFile.GetString());
  EXPECT_EQ(std::string(kCsv), std::string(doc->m_pText, doc->m_nTextLen));
  EXPECT_TRUE(v->GetRichEditCtrl().GetModify());
  SetFileAttributesA(ro.c_str(), FILE_ATTRIBUTE_NORMAL);

  // A folder that does not exist.
  const std::string missing = File("no_such_folder\\b.csv");
  fw::hooks::ExpectMessageBox("", IDOK);
  EXPECT_EQ(-1, v->WriteDocument(missing.c_str(), 0, 0));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(missing.c_str()));
  EXPECT_STREQ(File("a.csv").c_str(), doc->m_strCurFile.GetString());
}

TEST_F(ViewServicesTest, AnEditedTextIsSavedAndRichTextGoesOutAsRtf) {
  CDvkView* v = Open("t.txt", "一行目\r\n二行目\r\n");
  ASSERT_NE(nullptr, v);
  TypeOver(v, "二行目", "２行目");
  const std::string path = File("t.txt");
  ASSERT_EQ(0, v->WriteDocument(path.c_str(), 0, 0));
  EXPECT_EQ("一行目\r\n２行目\r\n", testsupport::ReadFileBytes(path));
  // Mode 3 with another name: the document's text as it is.
  ASSERT_EQ(0, v->WriteDocument(File("copy.txt").c_str(), 3, 0));
  EXPECT_EQ("一行目\r\n２行目\r\n", testsupport::ReadFileBytes(File("copy.txt")));
  // Rich text from the control.
  ASSERT_EQ(0, v->SaveAsRtf(0));
  const std::string rtf = testsupport::ReadFileBytes(File("copy.rtf"));
  EXPECT_EQ(0u, rtf.find("{\\rtf")) << rtf.substr(0, 40);
  EXPECT_EQ(4, doc->m_nFileKind == 4 ? 4 : doc->GetFileKind(doc->m_strCurFile));
}

TEST_F(ViewServicesTest, ASplitPaneShowsTheSameTextAndFollowsSyncPanes) {
  CDvkView* v = Open("s.txt", "alpha\r\nbeta\r\ngamma\r\n");
  ASSERT_NE(nullptr, v);
  v->OnSplitWindow();
  EXPECT_EQ(4u, v->m_nSplitKind);
  std::vector<CDvkView*> others = v->OtherPanes();
  ASSERT_EQ(3u, others.size());
  const std::string first = v->StreamOut(kTextFormat);
  for (CDvkView* o : others) {
    EXPECT_EQ(first, o->StreamOut(kTextFormat));
    EXPECT_EQ(4u, o->m_nSplitKind);
    EXPECT_EQ(v->m_nPaneIndex, o->m_nPaneIndex);
  }
  // No pending load of the document may overwrite the copy later.
  testsupport::PumpFor(700);
  TypeOver(v, "beta", "BETA");
  v->SyncPanes(1);
  for (CDvkView* o : v->OtherPanes()) EXPECT_EQ(v->StreamOut(kTextFormat), o->StreamOut(kTextFormat));
  EXPECT_NE(std::string::npos, others[0]->StreamOut(kTextFormat).find("BETA"));
  // Codes handed over: 51 clears the other panes' check lists.
  others[0]->m_nEntryListPos = 5;
  v->ForOtherPanes(51);
  EXPECT_EQ(0u, others[0]->m_nEntryListPos);
  EXPECT_EQ(51, doc->m_nPaneAction);
  v->OnSplitWindow();
  EXPECT_EQ(0u, v->m_nSplitKind);
  EXPECT_TRUE(v->OtherPanes().empty());
}

TEST_F(ViewServicesTest, TheSplitToggleShowsTheDocumentInEveryPaneItAdds) {
  CDvkView* v = Open("w.txt", "左の行\r\n右の行\r\n");
  ASSERT_NE(nullptr, v);
  TypeOver(v, "右の行", "編集した行");  // what the pane shows now, not the file
  const std::string text = v->StreamOut(kTextFormat);
  ASSERT_NE(std::string::npos, text.find("編集した行"));
  // The toggle (menu item and toolbar button: one command) steps one pane ->
  // side by side -> stacked -> four -> one.
  const int panes[] = {2, 2, 4, 1};
  for (int step = 0; step < 4; ++step) {
    frame->SendMessage(WM_COMMAND, ID_WINDOW_SPLIT);
    testsupport::PumpFor(700);  // no load left pending overwrites a copy
    int shown = 0;
    for (int r = 0; r < 2; ++r) {
      for (int c = 0; c < 2; ++c) {
        CDvkView* p = frame->GetTextView(r, c);
        ASSERT_NE(nullptr, p);
        CRect rc;
        p->GetWindowRect(&rc);
        if (rc.Width() <= 0 || rc.Height() <= 0) continue;
        ++shown;
        EXPECT_EQ(text, p->StreamOut(kTextFormat)) << "step " << step << ", pane " << r << c;
        EXPECT_EQ(v->m_nFileKind, p->m_nFileKind);
        EXPECT_EQ(v->m_strViewPath, p->m_strViewPath);
      }
    }
    EXPECT_EQ(panes[step], shown) << "step " << step;
  }
  EXPECT_EQ(0, doc->m_nUpdateLockCount);
}

TEST_F(ViewServicesTest, EveryShownPaneTakesTheNextDocumentSoNoneKeepsTheOldText) {
  CDvkView* v = Open("old.txt", "古い文書\r\n");
  ASSERT_NE(nullptr, v);
  for (int step = 0; step < 3; ++step) frame->SendMessage(WM_COMMAND, ID_WINDOW_SPLIT);  // four panes
  testsupport::PumpFor(700);
  // Every pane on screen shows `expected` once the loads are done.
  auto checkAllShow = [&](const std::string& expected, const char* what) {
    int shown = 0;
    for (int r = 0; r < 2; ++r) {
      for (int c = 0; c < 2; ++c) {
        CDvkView* p = frame->GetTextView(r, c);
        ASSERT_NE(nullptr, p);
        ASSERT_TRUE(testsupport::PumpUntil([p] { return !p->LoadPending(); }, 10000));
        CRect rc;
        p->GetWindowRect(&rc);
        if (rc.Width() <= 0 || rc.Height() <= 0) continue;
        ++shown;
        // A pane left with the old text would write it over the new file
        // once edited and saved.
        EXPECT_EQ(expected, p->StreamOut(kTextFormat)) << what << ", pane " << r << c;
      }
    }
    EXPECT_EQ(4, shown) << what;
  };
  checkAllShow("古い文書\r\n", "the first file");
  const std::string next = File("next.txt");
  testsupport::WriteFileBytes(next, "新しい文書\r\n");
  ASSERT_NE(nullptr, AfxGetApp()->OpenDocumentFile(next.c_str()));
  checkAllShow("新しい文書\r\n", "after Open");
  frame->SendMessage(WM_COMMAND, ID_FILE_NEW, 0);
  checkAllShow("", "after New");
}

TEST_F(ViewServicesTest, ASaveBeforeTheNewTextIsInWritesTheNewDocument) {
  CDvkView* v = Open("first.txt", "最初の文書\r\n");
  ASSERT_NE(nullptr, v);
  const std::string next = File("second.txt");
  const std::string bytes = "二番目の文書\r\n二行目\r\n";
  testsupport::WriteFileBytes(next, bytes);
  ASSERT_NE(nullptr, AfxGetApp()->OpenDocumentFile(next.c_str()));
  ASSERT_TRUE(v->LoadPending());
  // A key reaches the control before the load timer fills it.
  v->GetRichEditCtrl().SetSel(0, 0);
  v->GetRichEditCtrl().ReplaceSel("x", TRUE);
  v->GetRichEditCtrl().SetModify(TRUE);
  frame->SendMessage(WM_COMMAND, ID_FILE_SAVE, 0);
  EXPECT_EQ(bytes, testsupport::ReadFileBytes(next));
}

TEST_F(ViewServicesTest, ReportMessageShowsCollectsOrWritesTheExternalText) {
  CDvkView* v = Open("r.txt", "text\r\n");
  ASSERT_NE(nullptr, v);
  fw::hooks::ExpectMessageBox("hello", IDOK);
  EXPECT_EQ(-1, v->ReportMessage(2, "hello"));
  fw::hooks::ExpectMessageBox("", IDOK);
  EXPECT_EQ(-1, v->ReportMessage(117, "ignored"));
  const std::vector<std::string> shown = fw::hooks::MessageBoxTexts();
  ASSERT_EQ(2u, shown.size());
  EXPECT_EQ("hello", shown[0]);
  EXPECT_EQ(StringOf(152) + " 117", shown[1]);
  EXPECT_STREQ(StringOf(152).c_str(), v->Macro().m_strLastResult().GetString());
  fw::hooks::ExpectMessageBox("sure?", IDNO);
  EXPECT_EQ(IDNO, v->ReportMessage(4, "sure?"));

  // "nodisp": nothing shown, the last text kept, 9.
  v->Macro().m_strMessageMode() = "nodisp";
  v->Macro().m_strLastResult() = "";
  EXPECT_EQ(9, v->ReportMessage(2, "first"));
  EXPECT_EQ(9, v->ReportMessage(3, "second"));
  EXPECT_EQ("second", std::string(v->Macro().m_strLastResult().GetString()));
  EXPECT_EQ(3u, fw::hooks::MessageBoxTexts().size());
  v->Macro().m_strMessageMode() = "NODISP";  // only the exact word silences
  fw::hooks::ExpectMessageBox("loud", IDOK);
  v->ReportMessage(2, "loud");
  v->Macro().m_strMessageMode() = "";

  // External run: the pane shows string 352, no box.
  doc->m_bExternalRun = 1;
  EXPECT_EQ(0, v->ReportMessage(4, "question"));
  std::string pane = v->StreamOut(kTextFormat);
  std::string want = StringOf(352);
  while (!want.empty() && want.back() == '\n') want.pop_back();
  EXPECT_EQ(0u, pane.find(want)) << pane;
  EXPECT_EQ(std::string::npos, pane.find("question"));
  EXPECT_EQ(1, doc->m_nLoadState);
  EXPECT_EQ(0, v->m_table.m_pTextBuf[v->m_table.m_nTextLen]);
  doc->m_bExternalRun = 0;
}

int ControlFontHeight(CDvkView* v) {
  CHARFORMAT2A cf = {};
  cf.cbSize = sizeof cf;
  v->GetRichEditCtrl().SetSel(0, 1);
  v->GetRichEditCtrl().SendMessage(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
  return static_cast<int>(cf.yHeight);
}

TEST_F(ViewServicesTest, ZoomStepsTheFontHeightAndWrapToggles) {
  CDvkView* v = Open("z.txt", "zoom me\r\n");
  ASSERT_NE(nullptr, v);
  doc->m_nTxtsiz = 5;
  frame->SendMessage(WM_COMMAND, ID_VIEW_ZOOM_IN);
  EXPECT_EQ(6, doc->m_nTxtsiz);
  EXPECT_EQ((6 * 3 + 9) * 10, ControlFontHeight(v));
  frame->SendMessage(WM_COMMAND, ID_VIEW_ZOOM_OUT);
  frame->SendMessage(WM_COMMAND, ID_VIEW_ZOOM_OUT);
  EXPECT_EQ(4, doc->m_nTxtsiz);
  EXPECT_EQ((4 * 3 + 9) * 10, ControlFontHeight(v));
  doc->m_nTxtsiz = 11;
  doc->OnViewZoomIn();  // already the largest
  EXPECT_EQ(11, doc->m_nTxtsiz);
  EXPECT_EQ(5, doc->m_nTblsiz);  // a text zooms the text size only

  EXPECT_TRUE(v->IsWrapped());
  frame->SendMessage(WM_COMMAND, ID_VIEW_WRAP);
  EXPECT_FALSE(v->IsWrapped());
  EXPECT_EQ(CRichEditView::WrapNone, v->m_nWordWrap);
  doc->OnViewWrap();
  EXPECT_TRUE(v->IsWrapped());

  // Font dialog: the face and size become the text settings.
  fw::hooks::ExpectFontDialog(true, "ＭＳ 明朝", 120);
  doc->OnViewFont();
  EXPECT_STREQ("ＭＳ 明朝", doc->m_strProfnt.GetString());
  EXPECT_EQ(5, doc->m_nTxtsiz);  // 12 pt = 240 twips = index 5
  EXPECT_NE(std::string::npos, testsupport::ReadFileBytes(folder_->Path() + "\\Dorvik.inf").find("ＭＳ 明朝"));

  doc->m_nBackColorIndex = 0;
  v->CycleBackgroundColor(1);
  EXPECT_EQ(1, doc->m_nBackColorIndex);
  EXPECT_NE(0xFFFFFFu, static_cast<unsigned>(doc->m_clrTextBack));
  v->CycleBackgroundColor(-1);
  EXPECT_EQ(0xFFFFFFu, static_cast<unsigned>(doc->m_clrTextBack));
}

// The face the pane's default format names.
std::string PaneFace(CDvkView* v) {
  CHARFORMAT2A cf = {};
  cf.cbSize = sizeof cf;
  v->GetRichEditCtrl().SendMessage(EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));
  return cf.szFaceName;
}

struct FaceSearch {
  std::string want;  // "" = any horizontal face but `other`
  std::string other;
  std::string found;
};

int CALLBACK MatchFace(const LOGFONTA* lf, const TEXTMETRICA*, DWORD, LPARAM data) {
  FaceSearch* s = reinterpret_cast<FaceSearch*>(data);
  const std::string face = lf->lfFaceName;
  if (s->want.empty() ? (face[0] == '@' || face == s->other) : lstrcmpiA(face.c_str(), s->want.c_str()) != 0) return 1;
  s->found = face;
  return 0;
}

// An installed family of that name (what the font dialog lists).
bool Listed(const std::string& face) {
  LOGFONTA q = {};
  q.lfCharSet = DEFAULT_CHARSET;
  std::strncpy(q.lfFaceName, face.c_str(), LF_FACESIZE - 1);
  FaceSearch s{face, "", ""};
  HDC dc = GetDC(nullptr);
  EnumFontFamiliesExA(dc, &q, MatchFace, reinterpret_cast<LPARAM>(&s), 0);
  ReleaseDC(nullptr, dc);
  return !s.found.empty();
}

// An installed horizontal Japanese face other than `other`.
std::string AnotherJapaneseFace(const std::string& other) {
  LOGFONTA q = {};
  q.lfCharSet = SHIFTJIS_CHARSET;
  FaceSearch s{"", other, ""};
  HDC dc = GetDC(nullptr);
  EnumFontFamiliesExA(dc, &q, MatchFace, reinterpret_cast<LPARAM>(&s), 0);
  ReleaseDC(nullptr, dc);
  return s.found;
}

// The face the system draws `face` with.
std::string DrawnFace(const std::string& face) {
  LOGFONTA lf = {};
  lf.lfCharSet = SHIFTJIS_CHARSET;
  lf.lfHeight = -16;
  std::strncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
  HFONT f = CreateFontIndirectA(&lf);
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, f);
  char got[LF_FACESIZE] = {};
  GetTextFaceA(dc, LF_FACESIZE, got);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(f);
  return got;
}

TEST_F(ViewServicesTest, TheFontDialogPreselectsThePaneFontAndOffersNoVerticalFaces) {
  CDvkView* v = Open("f.txt", "横書きの文\r\n");
  ASSERT_NE(nullptr, v);
  const std::string pane = PaneFace(v);
  EXPECT_EQ(std::string(doc->m_strProfnt.GetString()), pane);
  fw::hooks::ExpectFontDialog(false, "", 0);
  doc->OnViewFont();
  fw::hooks::FontDialogStart start = fw::hooks::LastFontDialogStart();
  ASSERT_TRUE(start.shown);
  EXPECT_TRUE(start.flags & CF_NOVERTFONTS) << "vertical faces are offered";
  EXPECT_TRUE(start.flags & CF_INITTOLOGFONTSTRUCT);
  // The pane's face, or when the dialog cannot list that name (a name only
  // mapped to another font, as "ＭＳ ゴシック" is under Wine), the face the
  // pane is drawn with: never the dialog's first entry.
  ASSERT_FALSE(start.faceName.empty());
  EXPECT_NE('@', start.faceName[0]);
  EXPECT_TRUE(Listed(start.faceName)) << start.faceName;
  EXPECT_EQ(Listed(pane) ? pane : DrawnFace(pane), start.faceName);
  // OK on what was preselected (a new size only) keeps the setting's face.
  fw::hooks::ExpectFontDialog(true, start.faceName, 140);
  doc->OnViewFont();
  EXPECT_EQ(pane, std::string(doc->m_strProfnt.GetString()));
  EXPECT_EQ(pane, PaneFace(v));

  // An installed face is preselected as it is.
  const std::string other = AnotherJapaneseFace(start.faceName);
  ASSERT_FALSE(other.empty());
  doc->m_strProfnt = other.c_str();
  v->ApplyDisplayFont();
  fw::hooks::ExpectFontDialog(false, "", 0);
  doc->OnViewFont();
  EXPECT_EQ(other, fw::hooks::LastFontDialogStart().faceName);
  // A vertical answer is not taken.
  fw::hooks::ExpectFontDialog(true, "@" + other, 120);
  doc->OnViewFont();
  EXPECT_EQ(other, std::string(doc->m_strProfnt.GetString()));
  EXPECT_EQ(other, PaneFace(v));
}

TEST_F(ViewServicesTest, AVerticalFaceFromTheSettingsIsNotUsed) {
  // "Dorvik.inf" as an older version left it after the dialog preselected a
  // vertical face.
  testsupport::WriteFileBytes(folder_->Path() + "\\Dorvik.inf",
                              "[fonts]\r\nprofnt\t@FixedSys\r\ntblfnt\t@IPAゴシック\r\n#end/\r\n");
  const std::string path = File("v.txt");
  testsupport::WriteFileBytes(path, "横書きの文\r\n");
  ASSERT_TRUE(Start(("\"" + path + "\"").c_str(), false, folder_->Path()));
  CDvkView* v = frame->GetTextView(0, 0);
  ASSERT_NE(nullptr, v);
  ASSERT_TRUE(testsupport::PumpUntil([v] { return !v->LoadPending(); }, 10000));
  EXPECT_STREQ("ＭＳ ゴシック", doc->m_strProfnt.GetString());
  EXPECT_STREQ("ＭＳ ゴシック", doc->m_strTblfnt.GetString());
  EXPECT_EQ("ＭＳ ゴシック", PaneFace(v));
  // A vertical face that reaches the field some other way shows the default.
  doc->m_strProfnt = "@FixedSys";
  v->ApplyDisplayFont();
  EXPECT_EQ("ＭＳ ゴシック", PaneFace(v));
  fw::hooks::ExpectFontDialog(false, "", 0);
  doc->OnViewFont();
  const fw::hooks::FontDialogStart start = fw::hooks::LastFontDialogStart();
  ASSERT_FALSE(start.faceName.empty());
  EXPECT_NE('@', start.faceName[0]);
}

TEST_F(ViewServicesTest, PrintLayoutOfTwoHundredLinesOnA4MatchesFormatRange) {
  std::string text;
  for (int i = 0; i < 200; ++i) text += "印刷の行 " + std::to_string(i) + "\r\n";
  CDvkView* v = Open("p.txt", text);
  ASSERT_NE(nullptr, v);
  // The reference: EM_FORMATRANGE page by page into a memory DC of A4 less
  // 20 mm margins.
  for (int i = 0; i < 4; ++i) v->m_nPageMargin[i] = 2000;
  HDC dc = CreateCompatibleDC(nullptr);
  const int w = 11906, h = 16838, m = 1134;
  CRichEditCtrl& ctrl = v->GetRichEditCtrl();
  GETTEXTLENGTHEX gl = {};
  gl.flags = GTL_NUMCHARS | GTL_PRECISE;
  gl.codepage = 932;
  const long len = static_cast<long>(ctrl.SendMessage(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&gl), 0));
  std::vector<long> want;
  long start = 0;
  FORMATRANGE fr = {};
  fr.hdc = fr.hdcTarget = dc;
  fr.rcPage = {0, 0, w, h};
  while (start < len) {
    fr.rc = {m, m, w - m, h - m};
    fr.chrg = {start, -1};
    long next = ctrl.FormatRange(&fr, FALSE);
    if (next <= start) break;
    want.push_back(start);
    start = next;
  }
  ctrl.FormatRange(nullptr, FALSE);
  const int pages = v->LayoutPrintPages(dc, w, h);
  DeleteDC(dc);
  if (want.empty() && UnderWine()) GTEST_SKIP() << "EM_FORMATRANGE is a stub in Wine 8";
  EXPECT_GT(pages, 1);
  EXPECT_EQ(want, v->m_aPrintPageStarts);
}

TEST_F(ViewServicesTest, WithoutAPrinterPrintAndPreviewSaySoAndDoNothingElse) {
  CDvkView* v = Open("q.txt", "nothing to print\r\n");
  ASSERT_NE(nullptr, v);
  if (CDvkView::PrinterInstalled()) GTEST_SKIP() << "a printer is installed here";
  frame->SetActiveView(v);
  fw::hooks::ExpectMessageBox("プリンタ", IDOK);
  frame->SendMessage(WM_COMMAND, ID_FILE_PRINT);
  fw::hooks::ExpectMessageBox("プリンタ", IDOK);
  v->SendMessage(WM_COMMAND, ID_FILE_PRINT_PREVIEW);
  // Ctrl+P in the view reaches the same command.
  fw::hooks::ExpectMessageBox("プリンタ", IDOK);
  v->SendMessage(WM_KEYDOWN, VK_CONTROL, 1);
  v->SendMessage(WM_KEYDOWN, 'P', 1);
  v->SendMessage(WM_KEYUP, VK_CONTROL, 1);
  EXPECT_EQ(3u, fw::hooks::MessageBoxTexts().size());
  EXPECT_EQ(0u, v->m_bInternalKey);
  // The margins: unset ones come from the print-spacing settings.
  doc->m_nPrspace[0] = 1525;
  doc->m_nPrspace[1] = 202;
  doc->m_nPrspace[2] = 0;
  v->m_nPageMargin[0] = -99;
  v->m_nPageMargin[1] = 700;
  v->m_nPageMargin[2] = -99;
  v->m_nPageMargin[3] = -99;
  v->InitPrintMargins();
  EXPECT_EQ(15000, v->m_nPageMargin[0]);
  EXPECT_EQ(700, v->m_nPageMargin[1]);
  EXPECT_EQ(2000, v->m_nPageMargin[2]);
}

TEST_F(ViewServicesTest, TheCsvContextMenuHasItsItemsInOrderWithUnbuiltCommandsGreyed) {
  CDvkView* v = Open("m.csv", kCsv);
  ASSERT_NE(nullptr, v);
  v->GetRichEditCtrl().SetSel(0, 0);
  fw::hooks::ExpectPopupMenu(0);
  v->SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 3));
  const std::vector<fw::hooks::MenuItem> items = fw::hooks::LastPopupMenu();
  std::vector<unsigned> ids;
  for (const auto& it : items) ids.push_back(it.separator ? 0u : it.id);
  const std::vector<unsigned> want = {
      391, 390, 392, 0, 393, 32886, 32973, 32974, 32990, 0, 33052, 32966,
      33104, 0, 33097, 33103, 33152, 33099, 0, 33107, 33108, 33120, 0, 33119, 33148, 33149, 33232, 0,
      33111, 33110, 33109, 0, 33195, 33196, 33197, 33113, 33207, 0, 33122};
  EXPECT_EQ(want, ids);
  auto item = [&](unsigned id) {
    for (const auto& it : items)
      if (it.id == id) return it;
    return fw::hooks::MenuItem();
  };
  EXPECT_TRUE(item(391).grayed);     // cut: nothing is selected after the press
  EXPECT_FALSE(item(33122).grayed);  // print origin
  EXPECT_FALSE(item(33104).grayed);  // the column find
  EXPECT_EQ(StringOf(361), item(391).text);
  EXPECT_EQ("上書\tIns", item(393).text);
  EXPECT_EQ(0u, item(33122).text.find(StringOf(364) + "(x,y)\t5,0"));
  EXPECT_EQ(5, v->m_image.m_ptImageCursor.x);
  // Overwrite through the menu command: checked next time.
  v->SendMessage(WM_COMMAND, ID_TEXT_OVERWRITE);
  EXPECT_EQ(0, v->m_nInsertWord);
  fw::hooks::ExpectPopupMenu(0);
  v->SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 3));
  for (const auto& it : fw::hooks::LastPopupMenu())
    if (it.id == 393) EXPECT_TRUE(it.checked);
  v->SendMessage(WM_KEYDOWN, VK_INSERT, 1);
  EXPECT_EQ(1, v->m_nInsertWord);
}

TEST_F(ViewServicesTest, LineAndCellHelpersReadTheControl) {
  CDvkView* v = Open("h.csv", kCsv);
  ASSERT_NE(nullptr, v);
  char buf[3000];
  int n = v->GetLineTextSjis(2, buf, sizeof buf);
  EXPECT_EQ("佐藤\t大阪\t\"06-9\"", std::string(buf, n));
  EXPECT_EQ(0, v->GetLineTextSjis(99, buf, sizeof buf));
  EXPECT_EQ(-1, v->GetLineEndIndex(99));
  const int line1 = v->GetRichEditCtrl().LineIndex(1);
  EXPECT_EQ(line1, v->GetLineEndIndex(0));
  // "大阪" starts after "佐藤" and a TAB: character 3, byte offset 5.
  const int osaka = v->FindTextMatchCase(0, -1, "大阪");
  const int line2 = v->GetRichEditCtrl().LineIndex(2);
  EXPECT_EQ(line2 + 3, osaka);
  EXPECT_EQ(5, v->GetLineStartOffset(osaka, 99999));
  EXPECT_EQ(8 + 0, v->GetLineStartOffset(osaka, 0));  // the TAB moves to column 8
  EXPECT_EQ(3, v->CalcLineMetrics(2, 5, 1));
  EXPECT_EQ(-1, v->FindTextMatchCase(0, osaka + 1, "大阪"));
  EXPECT_EQ(0, v->HasSelection());

  // The cell at the caret, and the caret put on a cell.
  v->GetRichEditCtrl().SetSel(osaka + 1, osaka + 1);
  CString cell;
  EXPECT_STREQ("大阪", v->SelectCell(&cell, 0, 0, 0).GetString());
  EXPECT_EQ(1u, v->m_nCurColumn);
  EXPECT_EQ(2u, v->m_nCurRow);
  EXPECT_EQ(osaka, v->GetCellCharIndex(2, 1));
  v->SelectCell(nullptr, 1, 2, 3);
  long s = 0, e = 0;
  v->GetRichEditCtrl().GetSel(s, e);
  EXPECT_EQ(v->GetCellCharIndex(1, 2), s);

  v->GetRichEditCtrl().SetSel(osaka, osaka + 2);
  EXPECT_EQ(1, v->HasSelection());
  v->UpdatePositionDisplay(0);
  const int pos = g_pStatusBar->CommandToIndex(ID_INDICATOR_POSITION);
  EXPECT_STREQ("3行 6桁", g_pStatusBar->GetPaneText(pos).GetString());
  EXPECT_EQ(2u, v->m_nCaretBlock);  // block 1, kept plus 1
  v->ShowRangeStatus();
  EXPECT_STREQ("3行 2-2桁", g_pStatusBar->GetPaneText(0).GetString());
}

TEST_F(ViewServicesTest, TheKeyDispatcherTracksCtrlAndFeedsKeys) {
  CDvkView* v = Open("k.txt", "keys\r\n");
  ASSERT_NE(nullptr, v);
  v->SendMessage(WM_KEYDOWN, VK_CONTROL, 1);
  EXPECT_EQ(1u, v->m_bInternalKey);
  v->SendMessage(WM_KEYUP, VK_CONTROL, 1);
  EXPECT_EQ(0u, v->m_bInternalKey);
  v->m_nKeyLatch = 7;
  v->m_bRepeatSearchBusy = 1;
  EXPECT_FALSE(v->FeedKey('W'));  // the recorder is not there yet
  EXPECT_EQ(0u, v->m_bInternalKey);
  EXPECT_EQ(0u, v->m_nKeyLatch);
  EXPECT_EQ(0, v->m_bRepeatSearchBusy);
}

TEST_F(ViewServicesTest, AModifiedPagedTextAsksBeforePagingAndAHandOverShowsTheDocument) {
  CDvkView* v = Open("w.txt", "page one\r\n");
  ASSERT_NE(nullptr, v);
  EXPECT_EQ(0, v->AskSaveModifiedPage());  // not modified: no question
  TypeOver(v, "one", "ONE");
  fw::hooks::ExpectMessageBox("内容が変更されています", IDCANCEL);
  EXPECT_EQ(-1, v->AskSaveModifiedPage());
  EXPECT_TRUE(v->GetRichEditCtrl().GetModify());
  fw::hooks::ExpectMessageBox("内容が変更されています", IDNO);
  EXPECT_EQ(0, v->AskSaveModifiedPage());
  EXPECT_EQ("page one\r\n", testsupport::ReadFileBytes(File("w.txt")));
  fw::hooks::ExpectMessageBox("内容が変更されています", IDYES);
  EXPECT_EQ(1, v->AskSaveModifiedPage());
  EXPECT_EQ("page ONE\r\n", testsupport::ReadFileBytes(File("w.txt")));

  // "text 1": update code 17 puts the document into pane 1 at once.
  v->GetRichEditCtrl().SetWindowText("");
  doc->m_nUpdateCode = app::HandOverCode(1);
  doc->UpdateAllViews(nullptr, 0, nullptr);
  EXPECT_NE(std::string::npos, v->StreamOut(kTextFormat).find("page ONE"));
  EXPECT_EQ(1, doc->m_nActiveTextPane);
}

}  // namespace
