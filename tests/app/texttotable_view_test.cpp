// The view's text-to-table conversion and the picture cells of a ruled
// table in the running program: lines of a text and of a rich text become
// the CSV table, a selection picks its lines, and a CSV cell naming a PNG
// is embedded through the scratch bitmap (read by ImageMagick afterwards,
// tests/app/picture_cell_check.sh).
#include <gtest/gtest.h>

#include <string>

#include "app/dvkdoc.h"
#include "csv/csv_table.h"
#include "fw/file.h"
#include "fw/uihooks.h"
#include "macro/macro_texttotable.h"
#include "shell_fixture.h"
#include "support/file_bytes.h"
#include "view/dvkview.h"

namespace {

class TextToTableView : public shelltest::ShellFileTest {
 protected:
  static std::string TableBytes(const CDvkView* v) {
    return std::string(reinterpret_cast<const char*>(v->m_table.m_pTextBuf), v->m_table.UsedLength());
  }
};

const char kTabText[] = "note\r\nid\tname\tcity\r\n1\tann\ttokyo, west\r\n2\tbob\t\r\nend\r\n";

TEST_F(TextToTableView, LinesOfATextBecomeTheTable) {
  CDvkView* v = Open("data.txt", kTabText);
  ASSERT_NE(nullptr, v);
  frame->ActivateTextPane(0, 0);
  struct Case {
    int first, last;
    const char* want;
  };
  const Case cases[] = {
      {1, 3, "note\r\nid\x06name\x06" "city\r\n1\x06" "ann\x06\"tokyo, west\"\r\n2\x06" "bob\x06\r\nend\r\n"},
      {2, 2, "note\r\nid\tname\tcity\r\n1\x06" "ann\x06\"tokyo, west\"\r\n2\tbob\t\r\nend\r\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(macro::kTextTableDone, v->ConvertTextToTable(1, c.first, c.last));
    EXPECT_EQ(c.want, TableBytes(v)) << c.first;
    // how 1 leaves the view as it was.
    EXPECT_EQ(9u, v->m_nFileKind);
  }
}

// The control's lines are display lines: a long line that wraps takes
// several, and the range still names the text's lines.
TEST_F(TextToTableView, WrappedLinesCountAsTheirTextLine) {
  std::string longLine;
  for (int i = 0; i < 60; ++i) longLine += "word ";
  CDvkView* v = Open("wrap.txt", longLine + "\r\na\tb\tc\r\n1\t2\t3\r\n");
  ASSERT_NE(nullptr, v);
  frame->ActivateTextPane(0, 0);
  CRichEditCtrl& ctrl = v->GetRichEditCtrl();
  const int aLine = ctrl.LineFromChar(static_cast<long>(longLine.size()) + 1);
  ASSERT_GT(aLine, 1) << "the long line did not wrap";
  EXPECT_EQ(macro::kTextTableDone, v->ConvertTextToTable(1, aLine, aLine + 1));
  EXPECT_EQ(longLine + "\r\na\x06" "b\x06" "c\r\n1\x06" "2\x06" "3\r\n", TableBytes(v));
}

TEST_F(TextToTableView, TheSelectionPicksTheLinesAndHowZeroShowsTheTable) {
  CDvkView* v = Open("data.txt", kTabText);
  ASSERT_NE(nullptr, v);
  frame->ActivateTextPane(0, 0);
  CRichEditCtrl& ctrl = v->GetRichEditCtrl();
  // From "id" to the middle of the "2" line.
  ctrl.SetSel(ctrl.LineIndex(1), ctrl.LineIndex(3) + 2);
  EXPECT_EQ(macro::kTextTableDone, v->ConvertTextToTable(0, 0, 0));
  EXPECT_EQ(33u, v->m_nFileKind);
  EXPECT_EQ(33, doc->m_nFileKind);
  EXPECT_EQ(2u, v->m_table.m_nCurLine);
  EXPECT_NE(-1, v->m_strViewPath.Find("data.csv"));
  EXPECT_EQ("note\r\nid\x06name\x06" "city\r\n1\x06" "ann\x06\"tokyo, west\"\r\n2\x06" "bob\x06\r\nend\r\n",
            TableBytes(v));
}

TEST_F(TextToTableView, RichTextLinesAreTakenFromTheControl) {
  CDvkView* v = Open("doc.rtf",
                     "{\\rtf1\\ansi{\\fonttbl{\\f0 Courier New;}}\\f0 Intro\\par a|b|c|d|e\\par 1|2|3|4|5\\par "
                     "Outro\\par}");
  ASSERT_NE(nullptr, v);
  frame->ActivateTextPane(0, 0);
  EXPECT_EQ(4u, v->m_nFileKind);
  EXPECT_EQ(macro::kTextTableDone, v->ConvertTextToTable(1, 1, 2));
  const std::string t = TableBytes(v);
  EXPECT_EQ(0u, t.find("Intro\r\na\x06" "b\x06" "c\x06" "d\x06" "e\r\n1\x06" "2\x06" "3\x06" "4\x06" "5\r\nOutro"))
      << t;
  EXPECT_EQ(4u, v->m_nFileKind);
}

// A text shown in part: an unedited text is read again whole from its file;
// an edited one asks string 335 first, and No changes nothing.
TEST_F(TextToTableView, ATextShownInPartIsReadAgainOrAsked) {
  CDvkView* v = Open("data.txt", kTabText);
  ASSERT_NE(nullptr, v);
  frame->ActivateTextPane(0, 0);
  const std::string path = File("data.txt");
  testsupport::WriteFileBytes(path, std::string(kTabText) + "3\tcy\tnara\r\n");
  v->m_bShownInPart = 1;
  v->m_nShownStart = 0;
  v->m_nShownLength = doc->m_nTextLen;
  EXPECT_EQ(macro::kTextTableDone, v->ConvertTextToTable(1, 1, 5));
  EXPECT_NE(std::string::npos, TableBytes(v).find("3\x06" "cy\x06" "nara\r\n")) << TableBytes(v);

  const std::string before = TableBytes(v);
  v->GetRichEditCtrl().SetModify(TRUE);
  fw::hooks::ExpectMessageBox("\x95\x5c\x8e\xa6", IDNO);  // "表示されているのは..."
  EXPECT_EQ(macro::kTextTableStopped, v->ConvertTextToTable(1, 1, 3));
  EXPECT_TRUE(fw::hooks::Unused().empty());
  EXPECT_EQ(before, TableBytes(v));
  v->m_bShownInPart = 0;
}

// A CSV whose cell names a PNG in its definition row, rebuilt with 'T': the
// rich text holds one bitmap object, and the scratch bitmap is the picture
// (its size read from its own header here; ImageMagick reads the copy left
// in the build tree by the check that follows).
TEST_F(TextToTableView, APictureCellEmbedsThePngAsABitmap) {
  const std::string png = std::string(TABRYE_BIN_ROOT) + "\\picture_cell.png";
  CFileStatus st;
  if (!CFile::GetStatus(png.c_str(), st)) GTEST_SKIP() << "no picture_cell.png (made by convert before this test)";
  const std::string bytes = testsupport::ReadFileBytes(png);
  CDvkView* v = OpenTable("Im1,pic.png,13,7\r\nname,[Im1\r\n", "pic.csv");
  ASSERT_NE(nullptr, v);
  testsupport::WriteFileBytes(File("pic.png"), bytes);
  EXPECT_EQ(0, v->TableCommand('T', 0, 0, 0, 0, 0, 0, 0));
  ASSERT_NE(nullptr, doc->m_pText);
  const std::string rtf(doc->m_pText, doc->m_nTextLen);
  std::size_t objects = 0;
  for (std::size_t at = 0; (at = rtf.find("{\\object", at)) != std::string::npos; ++at) ++objects;
  EXPECT_EQ(1u, objects);
  EXPECT_NE(std::string::npos, rtf.find("\\objw195\\objh105"));  // 13 x 10 x 1.5, 7 x 10 x 1.5
  const std::string bmpPath = File("TMP\\DorvikTMP01.bmp");
  const std::string bmp = testsupport::ReadFileBytes(bmpPath);
  ASSERT_GE(bmp.size(), 54u);
  EXPECT_EQ("BM", bmp.substr(0, 2));
  auto le32 = [&](std::size_t at) {
    return static_cast<int>(static_cast<unsigned char>(bmp[at]) | static_cast<unsigned char>(bmp[at + 1]) << 8 |
                            static_cast<unsigned char>(bmp[at + 2]) << 16 |
                            static_cast<unsigned char>(bmp[at + 3]) << 24);
  };
  EXPECT_EQ(13, le32(18));
  EXPECT_EQ(7, le32(22));
  testsupport::WriteFileBytes(std::string(TABRYE_BIN_ROOT) + "\\picture_cell.bmp", bmp);
}

TEST_F(TextToTableView, APictureThatCannotBeLoadedLeavesNoScratchFile) {
  CDvkView* v = OpenTable("Im1,pic.png,13,7\r\nname,[Im1\r\n", "pic.csv");
  ASSERT_NE(nullptr, v);
  testsupport::WriteFileBytes(File("pic.png"), "not a picture");
  testsupport::WriteFileBytes(File("old.bmp"), "BM");
  EXPECT_EQ(-1, doc->LoadImageForDoc(File("pic.png").c_str(), File("old.bmp").c_str()));
  CFileStatus st;
  EXPECT_FALSE(CFile::GetStatus(File("old.bmp").c_str(), st));
  // The document's picture record is the one it had.
  EXPECT_EQ(nullptr, doc->m_imageLoad.m_pLoadBits);
  EXPECT_EQ(0u, doc->m_imageLoad.m_nLoadReady);
}

}  // namespace
