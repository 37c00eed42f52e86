// Opening and showing documents in-process: CSV as a table, text in every
// encoding of the corpus, rich text with exact line spacing, kinds without a
// reader yet, long texts, saving back (byte for byte, a table's 0x06 bytes
// included, asking before losing characters), the encoding choice.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "csv/csv_buffer.h"
#include "csv/csv_fileopen.h"
#include "fw/fwtext.h"
#include "fw/uihooks.h"
#include "res/resource.h"
#include "shell_fixture.h"
#include "support/pump.h"
#include "support/temp_folder.h"
#include "view/dvkview.h"
#include "support/file_bytes.h"

namespace {

// A Shift-JIS CSV: quoted fields with commas, a "~" comment line and a "!#"
// second table block.
const char kCsv[] =
    "\"名前\",\"住所\",\"電話\",\"メモ\"\r\n"
    "\"山田\",\"東京都,港区\",\"03-1234\",\"a\"\r\n"
    "\"佐藤\",\"大阪\",\"06-9\",\"b,c\"\r\n"
    "~ 集計は下\r\n"
    "!#\r\n"
    "A,B,C,D\r\n"
    "1,2,3,4\r\n"
    "5,6,7,8\r\n";

std::string CorpusFile(const char* name) {
  return std::string(TABRYE_TEST_ROOT) + "/tests/data/textcodec/" + name;
}

using shelltest::ControlText;

std::string Lf(std::string s) {
  std::string out;
  for (char c : s)
    if (c != '\r') out += c;
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

class OpenShowTest : public shelltest::ShellFileTest {
 protected:
  CDvkView* View() { return frame->GetTextView(0, 0); }
  bool Shown() {
    CDvkView* v = View();
    return v && testsupport::PumpUntil([v] { return !v->LoadPending(); }, 10000);
  }
};

TEST_F(OpenShowTest, ACsvOnTheCommandLineIsShownAsATabTable) {
  const std::string path = File("a.csv");
  testsupport::WriteFileBytes(path, kCsv);
  ASSERT_TRUE(StartIn("\"" + path + "\""));
  CDvkView* v = View();
  ASSERT_NE(nullptr, v);
  ASSERT_TRUE(Shown());
  EXPECT_EQ(33, doc->m_nFileKind);
  EXPECT_EQ(33u, v->m_nFileKind);
  EXPECT_STREQ(path.c_str(), doc->m_strCurFile.GetString());
  EXPECT_EQ(std::string(kCsv), std::string(doc->m_pText, doc->m_nTextLen));

  // The working buffer: 0x06 between fields, commas inside quotes kept.
  std::string buf(reinterpret_cast<const char*>(v->m_table.m_pTextBuf), v->m_table.m_nTextLen);
  EXPECT_EQ(0u, buf.find("\"名前\"\x06\"住所\"\x06"));
  EXPECT_NE(std::string::npos, buf.find("\"東京都,港区\"\x06"));
  EXPECT_NE(std::string::npos, buf.find("A\x06" "B\x06" "C\x06" "D\r\n"));
  EXPECT_EQ(0, v->m_table.m_pTextBuf[v->m_table.m_nTextLen]);
  EXPECT_LT(v->m_table.m_nTextLen, v->m_table.m_nWorkSize);
  // Rows and blocks: 8 rows, the "!#" line (row 5) starts block 2.
  EXPECT_EQ(7, v->m_table.m_nLastRow);
  EXPECT_EQ(2u, v->m_table.BlockCount());
  EXPECT_EQ(5u, v->m_table.m_aSecRow[2]);
  EXPECT_EQ(static_cast<std::uint32_t>(std::string(kCsv).find("!#")), v->m_table.m_aSecScanPos[2]);
  EXPECT_EQ(4u, v->m_table.m_nFieldCount);

  const std::string shown = ControlText(v);
  EXPECT_EQ(
      "\"名前\"\t\"住所\"\t\"電話\"\t\"メモ\"\n\"山田\"\t\"東京都,港区\"\t\"03-1234\"\t\"a\"\n"
      "\"佐藤\"\t\"大阪\"\t\"06-9\"\t\"b,c\"\n~ 集計は下\n!#\nA\tB\tC\tD\n1\t2\t3\t4\n5\t6\t7\t8",
      shown);

  // Hiding quotes changes the display only.
  v->OnCsvHideQuotes();
  EXPECT_EQ(1u, doc->m_bHideQuotes);
  EXPECT_EQ(
      "名前\t住所\t電話\tメモ\n山田\t東京都,港区\t03-1234\ta\n佐藤\t大阪\t06-9\tb,c\n~ 集計は下\n!#\nA\tB\tC\tD\n"
      "1\t2\t3\t4\n5\t6\t7\t8",
      ControlText(v));
  EXPECT_EQ(buf, std::string(reinterpret_cast<const char*>(v->m_table.m_pTextBuf), v->m_table.m_nTextLen));
  EXPECT_EQ(7, v->m_table.m_nLastRow);
  EXPECT_EQ(1, doc->m_nLoadState);
  v->OnCsvHideQuotes();
  EXPECT_EQ(0u, doc->m_bHideQuotes);
  EXPECT_EQ(shown, ControlText(v));
}

// What an open of a CSV leaves: the document's text and encoding, the
// shown table's working form and index, and the file a save writes.
struct CsvOpened {
  std::string text, form, saved;
  textcodec::TextEncoding encoding = textcodec::TextEncoding::kAuto;
  bool kept = false;
  bool onePass = false;  // the view took the table the open made
  csv::TableFields index;
};

// A CSV of some 300 KB: quoted fields with commas, Shift-JIS pairs whose
// second byte is in the lead range, "~" lines and "!#" blocks.
std::string MixedCsv() {
  std::string s;
  for (int row = 0; s.size() < 300000; ++row) {
    if (row % 997 == 500) s += "~ 注記\r\n!#\r\n";
    s += "\"表示,項目" + std::to_string(row) + "\",\x93\x8c\x8b\x9e," + std::to_string(row * 7) +
         ",\"a\"\"b\",\xb1\xb2\r\n";
  }
  return s;
}

TEST_F(OpenShowTest, ACsvOpenedInOnePassShowsAndSavesWhatTheCarefulOpenDoes) {
  ASSERT_TRUE(StartIn(""));
  const std::string path = File("one.csv");
  // Opened, then saved over itself unchanged (the save that writes kept bytes).
  auto open = [&](const std::string& file, bool onePass, CsvOpened* got) {
    testsupport::WriteFileBytes(path, file);
    csv::SetOnePassOpen(onePass);
    const std::uint32_t taken = csv::OpenedTablesTaken();
    ASSERT_EQ(0, doc->OpenFile(path.c_str(), docopen::OpenMode::kPlain));
    csv::SetOnePassOpen(true);
    ASSERT_TRUE(Shown());
    got->onePass = csv::OpenedTablesTaken() == taken + 1;
    CDvkView* v = View();
    got->text.assign(doc->m_pText, doc->m_nTextLen);
    got->encoding = doc->m_openEncoding.encoding;
    got->kept = doc->m_openEncoding.kept != nullptr;
    got->form.assign(reinterpret_cast<const char*>(v->m_table.m_pTextBuf), v->m_table.m_nTextLen + 1);
    got->index = v->m_table;
    ASSERT_EQ(0, doc->SaveFile(path.c_str(), 0));
    got->saved = testsupport::ReadFileBytes(path);
  };
  // A file with a 0x06 byte is left to the careful open (its lines are kept).
  for (const std::string& file : {std::string(kCsv), MixedCsv(), std::string(kCsv) + "x\x06y,z\r\n"}) {
    CsvOpened careful, one;
    open(file, false, &careful);
    open(file, true, &one);
    EXPECT_FALSE(careful.onePass);
    EXPECT_EQ(file.find('\x06') == std::string::npos, one.onePass);
    EXPECT_EQ(careful.text, one.text);
    EXPECT_EQ(file, one.text);
    EXPECT_EQ(careful.encoding, one.encoding);
    EXPECT_EQ(careful.kept, one.kept);
    EXPECT_EQ(careful.form, one.form);
    EXPECT_EQ(careful.index.m_nLastRow, one.index.m_nLastRow);
    EXPECT_EQ(careful.index.m_nFieldCount, one.index.m_nFieldCount);
    EXPECT_EQ(0, std::memcmp(careful.index.m_aSecRow, one.index.m_aSecRow, sizeof one.index.m_aSecRow));
    EXPECT_EQ(0, std::memcmp(careful.index.m_aSecOffset, one.index.m_aSecOffset, sizeof one.index.m_aSecOffset));
    EXPECT_EQ(0, std::memcmp(careful.index.m_aSecInfoB, one.index.m_aSecInfoB, sizeof one.index.m_aSecInfoB));
    EXPECT_EQ(file, one.saved);
    EXPECT_EQ(careful.saved, one.saved);
    // The table is the view's own: a dropped offer never frees it.
    EXPECT_NE(nullptr, View()->m_table.m_pTextBuf);
  }
}

TEST_F(OpenShowTest, EveryEncodingOfTheCorpusShowsTheSameShiftJisText) {
  ASSERT_TRUE(StartIn(""));
  const std::string sjis = testsupport::ReadFileBytes(CorpusFile("sjis.txt"));
  ASSERT_FALSE(sjis.empty());
  std::string shownSjis;
  for (const char* name : {"sjis.txt", "utf8.txt", "utf8bom.txt", "utf16le.txt", "utf16be.txt", "eucjp.txt",
                           "iso2022jp.txt", "base64.txt", "binhex.hqx"}) {
    // Copied into the test folder under a text name (".hqx" is no text kind).
    const std::string path = File((std::string(name) + ".txt").c_str());
    testsupport::WriteFileBytes(path, testsupport::ReadFileBytes(CorpusFile(name)));
    ASSERT_EQ(0, doc->OpenFile(path.c_str(), docopen::OpenMode::kPlain)) << name;
    ASSERT_TRUE(Shown()) << name;
    EXPECT_EQ(9, doc->m_nFileKind) << name;
    EXPECT_EQ(sjis, std::string(doc->m_pText, doc->m_nTextLen)) << name;
    std::string shown = ControlText(View());
    if (shownSjis.empty()) shownSjis = shown;
    EXPECT_EQ(shownSjis, shown) << name;
  }
  EXPECT_EQ(Lf(sjis), shownSjis);
  EXPECT_EQ(textcodec::TextEncoding::kBinHex, doc->m_openEncoding.encoding);
  EXPECT_TRUE(doc->m_openEncoding.text.empty());
}

TEST_F(OpenShowTest, ExactRuleSpacingOfRichTextReadsBackAsExact) {
  const std::string path = File("rules.rtf");
  testsupport::WriteFileBytes(path,
            "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fnil MS Gothic;}}\r\n"
            "\\pard\\sl-20\\slmult0\\highlight1 \\par\r\n"
            "\\pard text line\\par\r\n"
            "\\pard\\sl-20\\slmult0 \\par\r\n"
            "\\pard last}\r\n");
  ASSERT_TRUE(StartIn(""));
  ASSERT_EQ(0, doc->OpenFile(path.c_str(), docopen::OpenMode::kPlain));
  ASSERT_TRUE(Shown());
  EXPECT_EQ(4, doc->m_nFileKind);
  CRichEditCtrl& ctrl = View()->GetRichEditCtrl();
  auto spacing = [&](int line, int* rule) {
    long at = ctrl.LineIndex(line);
    ctrl.SetSel(at, at);
    PARAFORMAT2 pf = {};
    pf.cbSize = sizeof pf;
    ctrl.GetParaFormat(pf);
    *rule = pf.bLineSpacingRule;
    return pf.dyLineSpacing;
  };
  int rule = -1;
  EXPECT_EQ(20, spacing(0, &rule));
  EXPECT_EQ(4, rule);
  EXPECT_EQ(20, spacing(2, &rule));
  EXPECT_EQ(4, rule);
  spacing(1, &rule);
  EXPECT_NE(4, rule);
  EXPECT_FALSE(ctrl.GetModify());

  // The same through the stream helper into a selection, as table code does.
  std::string rtf = "{\\rtf1\\ansi\\pard\\sl-20\\slmult0 x\\par}";
  std::memcpy(doc->m_pText, rtf.c_str(), rtf.size() + 1);
  doc->m_nTextLen = static_cast<std::uint32_t>(rtf.size());
  doc->m_nReadPos = 0;
  doc->m_nReadEnd = doc->m_nTextLen;
  doc->m_nStreamLen = doc->m_nTextLen;
  long end = ctrl.GetTextLength();
  ctrl.SetSel(end, end);
  EXPECT_EQ(0, View()->StreamInRtf(View()->m_hWnd, 1));
  EXPECT_EQ(0u, doc->m_nStreamLen);
  int last = ctrl.GetLineCount() - 1;
  for (int l = last; l >= 0; --l) {
    long at = ctrl.LineIndex(l);
    char buf[16] = {};
    int n = ctrl.GetLine(l, buf, sizeof buf - 1);
    if (n >= 1 && buf[0] == 'x') {
      EXPECT_EQ(20, spacing(l, &rule));
      EXPECT_EQ(4, rule);
      (void)at;
      break;
    }
  }
}

TEST_F(OpenShowTest, StreamingOutGrowsTheDocumentBufferInsteadOfCutting) {
  const std::string path = File("small.txt");
  std::string text;
  while (text.size() < 300000) text += std::string(98, 'x') + "\r\n";
  testsupport::WriteFileBytes(path, text + "end");
  ASSERT_TRUE(StartIn(""));
  ASSERT_EQ(0, doc->OpenFile(path.c_str(), docopen::OpenMode::kPlain));
  ASSERT_TRUE(Shown());
  // A tiny window at the end of the buffer: the RTF must not be cut there.
  doc->m_nReadPos = doc->m_nTextCapacity - 100;
  doc->m_nReadEnd = doc->m_nTextCapacity - 1;
  std::uint32_t from = doc->m_nReadPos;
  EXPECT_EQ(0, View()->StreamOutRtf(View()->m_hWnd, 0));
  EXPECT_GT(doc->m_nReadPos - from, 300000u);
  EXPECT_LT(doc->m_nReadPos, doc->m_nReadEnd);
  EXPECT_LE(doc->m_nReadEnd, doc->m_nTextCapacity);
  EXPECT_EQ(0, std::memcmp(doc->m_pText + from, "{\\rtf", 5));

  // With the cursor as an argument the document's cursor fields stay as they
  // were, and the stream lands where the cursor says.
  const std::uint32_t readPos = doc->m_nReadPos, readEnd = doc->m_nReadEnd;
  CDvkView::StreamCursor at;
  at.pos = 10;
  EXPECT_EQ(0, View()->StreamOutRtf(View()->m_hWnd, 0, at));
  EXPECT_GT(at.pos, 300010u);
  EXPECT_EQ(0, std::memcmp(doc->m_pText + 10, "{\\rtf", 5));
  EXPECT_EQ(readPos, doc->m_nReadPos);
  EXPECT_EQ(readEnd, doc->m_nReadEnd);
}

TEST_F(OpenShowTest, PlainTextShowsAsText) {
  const std::string path = File("memo.txt");
  testsupport::WriteFileBytes(path, "一行目\r\n二行目\tタブ\r\n");
  ASSERT_TRUE(StartIn("\"" + path + "\""));
  ASSERT_TRUE(Shown());
  EXPECT_EQ(9, doc->m_nFileKind);
  EXPECT_EQ(9u, View()->m_nFileKind);
  EXPECT_EQ("一行目\n二行目\tタブ", ControlText(View()));
  EXPECT_EQ(textcodec::TextEncoding::kShiftJis, doc->m_openEncoding.encoding);
  // The whole text is in the display font: the Shift-JIS character set and
  // the face of the settings, so Japanese text has glyphs.
  CHARFORMAT2A cf = {};
  cf.cbSize = sizeof cf;
  View()->GetRichEditCtrl().SetSel(0, -1);
  View()->GetRichEditCtrl().SendMessage(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
  EXPECT_TRUE(cf.dwMask & CFM_CHARSET);
  EXPECT_EQ(SHIFTJIS_CHARSET, cf.bCharSet);
  EXPECT_TRUE(cf.dwMask & CFM_FACE);
  EXPECT_STREQ(doc->m_strProfnt.GetString(), cf.szFaceName);
}

TEST_F(OpenShowTest, AFileNoReaderTakesSaysSoAndKeepsThePreviousDocument) {
  const std::string csv = File("a.csv");
  testsupport::WriteFileBytes(csv, kCsv);
  ASSERT_TRUE(StartIn("\"" + csv + "\""));
  ASSERT_TRUE(Shown());
  const std::string before = ControlText(View());
  // Every kind has its reader: a broken zipped rich text and a marked
  // source that does not decrypt are refused by the source forms, naming
  // the file.
  for (const char* name : {"x.rtz", "x.+txt"}) {
    const std::string path = File(name);
    testsupport::WriteFileBytes(path, "x");
    fw::hooks::ExpectMessageBox("file = ", IDOK);
    doc->m_nIndata = 204800;
    doc->m_nTblMax = 5000;
    EXPECT_EQ(-1, doc->OpenFile(path.c_str(), docopen::OpenMode::kPlain)) << name;
    EXPECT_EQ(33, doc->m_nFileKind) << name;
    EXPECT_STREQ(csv.c_str(), doc->m_strCurFile.GetString()) << name;
    EXPECT_EQ(std::string(kCsv), std::string(doc->m_pText, doc->m_nTextLen)) << name;
    // The settings stay: a converter gets its limits as arguments.
    EXPECT_EQ(204800, doc->m_nIndata) << name;
    EXPECT_EQ(5000, doc->m_nTblMax) << name;
    ASSERT_TRUE(Shown());
    EXPECT_EQ(before, ControlText(View())) << name;
  }
  // A picture the loaders refuse: string 210 and the path; the document stays.
  testsupport::WriteFileBytes(File("x.png"), "%PDF-1.3 not really");
  fw::hooks::ExpectMessageBox("file = ", IDOK);
  EXPECT_EQ(-1, doc->OpenFile(File("x.png").c_str(), docopen::OpenMode::kPlain));
  EXPECT_EQ(33, doc->m_nFileKind);
  EXPECT_NE(-1, doc->m_strOpenMessage.Find(fw::LoadText(210)));
  EXPECT_EQ(std::string(kCsv), std::string(doc->m_pText, doc->m_nTextLen));
  // A missing file: string 237 and the path.
  fw::hooks::ExpectMessageBox("file = ", IDOK);
  EXPECT_EQ(-1, doc->OpenFile(File("none.txt").c_str(), docopen::OpenMode::kPlain));
  EXPECT_EQ(33, doc->m_nFileKind);
  // Mode 12 says "no text" by a length of 0 and shows nothing.
  EXPECT_EQ(-1, doc->OpenFile(File("x.htm").c_str(), docopen::OpenMode::kTextOnly));
  EXPECT_EQ(0u, doc->m_nTextLen);
}

TEST_F(OpenShowTest, AnOfficeLoadAsAnotherKindReachesTheConverterOfThatKind) {
  ASSERT_TRUE(StartIn(""));
  const std::string path = File("book.xls");
  testsupport::WriteFileBytes(path, std::string("\x09\x04\x06\x00not a compound file", 23));  // a bare BIFF head
  // The Excel reader takes the bare BIFF head: it opens, with no notice.
  EXPECT_EQ(0, doc->OpenFile(path.c_str(), docopen::OpenMode::kPlain));
  // Mode 36 loads it as a workbook of the XML kind: its reader finds no
  // package in it and shows no text.
  EXPECT_EQ(0, doc->OpenFile(path.c_str(), docopen::OpenMode::kAsXlsx));
  EXPECT_EQ(std::string::npos, std::string(doc->m_pText, doc->m_nTextLen).find("[Sheet"));
}

TEST_F(OpenShowTest, ALongTextIsReadWholeAndShownInPart) {
  const std::string path = File("big.txt");
  std::string line = "長いテキストの一行です。0123456789\r\n";
  std::string text;
  while (text.size() < 3000000) text += line;
  testsupport::WriteFileBytes(path, text);
  ASSERT_TRUE(StartIn(""));
  doc->m_nOutdata = 200000;
  ASSERT_EQ(0, doc->OpenFile(path.c_str(), docopen::OpenMode::kPlain));
  ASSERT_TRUE(Shown());
  EXPECT_EQ(text.size(), doc->m_nTextLen);
  EXPECT_EQ(1u, View()->m_bShownInPart);
  EXPECT_LE(View()->m_nShownLength, 200000u);
  std::string shown = ControlText(View());
  EXPECT_NE(std::string::npos, shown.find("表示容量をオーバー"));
  EXPECT_EQ(0u, shown.find("長いテキスト"));
}

TEST_F(OpenShowTest, SavingWritesTheTableBackWithABackupAndRefusesQuietlyWhenProtected) {
  const std::string path = File("a.csv");
  testsupport::WriteFileBytes(path, kCsv);
  ASSERT_TRUE(StartIn("\"" + path + "\""));
  ASSERT_TRUE(Shown());
  ASSERT_EQ(0, doc->SaveFile(path.c_str(), 0));
  EXPECT_EQ(std::string(kCsv), testsupport::ReadFileBytes(path));
  // A backup copy is in TMP\BACKUP.
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder_->Path() + "\\TMP\\BACKUP\\a_*~.csv").c_str(), &fd);
  ASSERT_NE(INVALID_HANDLE_VALUE, h);
  FindClose(h);
  // Mode 99: only a backup.
  ASSERT_EQ(0, doc->SaveFile(path.c_str(), 99));

  // Write-protected: string 329 answered No leaves file and document.
  const std::string ro = File("ro.txt");
  testsupport::WriteFileBytes(ro, "old");
  SetFileAttributesA(ro.c_str(), FILE_ATTRIBUTE_READONLY);
  fw::hooks::ExpectMessageBox("書込み禁止", IDNO);
  EXPECT_EQ(-1, doc->SaveFile(ro.c_str(), 0));
  EXPECT_EQ("old", testsupport::ReadFileBytes(ro));
  EXPECT_EQ(33, doc->m_nFileKind);
  // Yes makes it writable and saves.
  fw::hooks::ExpectMessageBox("書込み禁止", IDYES);
  EXPECT_EQ(0, doc->SaveFile(ro.c_str(), 0));
  EXPECT_EQ(std::string(doc->m_pText, doc->m_nTextLen), testsupport::ReadFileBytes(ro));
}

// Opened and saved with no edit through the document's own open and save,
// every table comes back byte for byte.
TEST_F(OpenShowTest, CsvFilesSavedUneditedKeepEveryByte) {
  const char* const files[] = {
      "\"a\nb\",c\n1,2\n",                                // quoted line break, LF
      "\"a\r\nb\",c\r\n1,2\r\n",                         // the same with CR LF
      "a,b\r\n1,2\r\n\r\n",                                // trailing empty line
      "a\tb,c\n\"x\ty\"\tz\n",                               // TABs in and out of quotes
      "\"x,y\",\"say \"\"hi\"\"\",5\" disk\r\n",              // quoted comma, doubled and stray quotes
      "名前,\"表,ソ\"\r\n能力,予定",                           // Shift-JIS, no final line end
      "a,b\rc,d\r",                                          // CR rows
  };
  ASSERT_TRUE(StartIn(""));
  int n = 0;
  for (const char* bytes : files) {
    const std::string path = File(("t" + std::to_string(n++) + ".csv").c_str());
    testsupport::WriteFileBytes(path, bytes);
    ASSERT_EQ(0, doc->OpenFile(path.c_str(), docopen::OpenMode::kPlain)) << bytes;
    ASSERT_TRUE(Shown());
    ASSERT_EQ(33u, View()->m_nFileKind);
    ASSERT_EQ(0, doc->SaveFile(path.c_str(), 0)) << bytes;
    EXPECT_EQ(std::string(bytes), testsupport::ReadFileBytes(path));
  }
  // A UTF-8 table, with and without its mark, goes back in UTF-8.
  for (const std::string bytes : {std::string("\xE5\x90\x8D,\"\xE8\xA1\xA8,x\"\n1,2\n\n"),
                                  std::string("\xEF\xBB\xBF\xE5\x90\x8D,\"a\nb\"\r\n")}) {
    const std::string path = File(("u" + std::to_string(n++) + ".csv").c_str());
    testsupport::WriteFileBytes(path, bytes);
    ASSERT_EQ(0, doc->OpenFile(path.c_str(), docopen::OpenMode::kPlain));
    ASSERT_TRUE(Shown());
    ASSERT_EQ(0, doc->SaveFile(path.c_str(), 0));
    EXPECT_EQ(bytes, testsupport::ReadFileBytes(path));
  }
}

TEST_F(OpenShowTest, UtfEightTextIsWrittenBackInUtfEight) {
  const std::string path = File("u.txt");
  const std::string utf8 = testsupport::ReadFileBytes(CorpusFile("utf8.txt"));
  testsupport::WriteFileBytes(path, utf8);
  ASSERT_TRUE(StartIn("\"" + path + "\""));
  ASSERT_TRUE(Shown());
  EXPECT_EQ(textcodec::TextEncoding::kUtf8, doc->m_openEncoding.encoding);
  ASSERT_EQ(0, doc->SaveFile(path.c_str(), 0));
  EXPECT_EQ(utf8, testsupport::ReadFileBytes(path));
}

TEST_F(OpenShowTest, TheEncodingChoiceReopensWithTheForcedDecoder) {
  const std::string path = File("u.txt");
  testsupport::WriteFileBytes(path, testsupport::ReadFileBytes(CorpusFile("utf8.txt")));
  ASSERT_TRUE(StartIn("\"" + path + "\""));
  ASSERT_TRUE(Shown());
  // Item 2 of the menu: Shift-JIS (item 1 detects).
  fw::hooks::ExpectPopupMenu(1 + static_cast<unsigned>(textcodec::TextEncoding::kShiftJis));
  doc->OnEncodingChoice();
  ASSERT_TRUE(Shown());
  EXPECT_EQ(textcodec::TextEncoding::kShiftJis, doc->m_openEncoding.encoding);
  // UTF-8 bytes read as Shift-JIS: what that decoder makes of them.
  const std::string bytes = testsupport::ReadFileBytes(path);
  textcodec::DecodeResult forced;
  textcodec::DecodeTextToSjis(bytes.data(), bytes.size(), textcodec::TextEncoding::kShiftJis, &forced);
  EXPECT_EQ(forced.text, std::string(doc->m_pText, doc->m_nTextLen));
  EXPECT_EQ(forced.replaced, doc->m_nOpenReplaced);
  auto items = fw::hooks::LastPopupMenu();
  ASSERT_EQ(static_cast<std::size_t>(textcodec::kTextEncodingCount), items.size());
  EXPECT_TRUE(items[static_cast<int>(textcodec::TextEncoding::kUtf8)].checked);  // what the file was
  // Back to detection.
  EXPECT_EQ(0, doc->ReopenWithEncoding(textcodec::TextEncoding::kAuto));
  ASSERT_TRUE(Shown());
  EXPECT_EQ(textcodec::TextEncoding::kUtf8, doc->m_openEncoding.encoding);
}

// A status line belongs to the document it was said of: the next open (or a
// new document) empties pane 0.
TEST_F(OpenShowTest, AnOpenOrNewClearsTheLastFilesStatusLine) {
  const std::string lossy = File("smile.txt"), plain = File("plain.txt"), other = File("other.csv");
  testsupport::WriteFileBytes(lossy, "\xF0\x9F\x98\x80 smile \xF0\x9F\x98\x81\r\n");
  testsupport::WriteFileBytes(plain, "plain\r\n");
  testsupport::WriteFileBytes(other, "a,b\r\n");
  ASSERT_TRUE(StartIn(""));
  auto pane0 = [&] { return std::string(frame->m_wndStatusBar.GetPaneText(0).GetString()); };
  auto open = [&](const std::string& path) {
    fw::hooks::ExpectFileDialog({path});
    frame->SendMessage(WM_COMMAND, ID_FILE_OPEN, 0);
    return Shown();
  };
  const std::string message = "Shift-JIS にない文字 2 個を「〓」に置き換えました。";
  ASSERT_TRUE(open(lossy));
  EXPECT_EQ(message, pane0());
  ASSERT_TRUE(open(plain));
  EXPECT_STREQ(plain.c_str(), doc->m_strCurFile.GetString());
  EXPECT_EQ("", pane0());
  ASSERT_TRUE(open(other));
  EXPECT_EQ("", pane0());
  // The lossy file again says it again; a new document takes the line away.
  ASSERT_TRUE(open(lossy));
  EXPECT_EQ(message, pane0());
  frame->SendMessage(WM_COMMAND, ID_FILE_NEW, 0);
  ASSERT_TRUE(Shown());
  EXPECT_TRUE(doc->m_strCurFile.IsEmpty());
  EXPECT_EQ("", pane0());
  EXPECT_TRUE(fw::hooks::Unexpected().empty());
}

// Opening a file and saving it through the program's own commands writes the
// same bytes; an edit that would lose characters asks first, No by default.
class SaveUnchangedTest : public OpenShowTest {
 protected:
  // Opens `bytes` as file `name` (the first one starts the program).
  bool OpenAs(const char* name, const std::string& bytes, std::string* path) {
    *path = File(name);
    testsupport::WriteFileBytes(*path, bytes);
    if (doc == nullptr) return StartIn("\"" + *path + "\"") && Shown();
    return doc->OpenFile(path->c_str(), docopen::OpenMode::kPlain) == 0 && Shown();
  }
};

TEST_F(SaveUnchangedTest, SamplesOfEveryKindSaveByteForByte) {
  const struct {
    const char* name;
    std::string bytes;
  } kSamples[] = {
      {"sjis.txt", "\x82\xA0\x82\xA2 \xB1\xB2 \x87\x40\xFA\x40\r\nabc"},
      {"broken.txt", "\x82\xA0\x81\x20\x82\r\n\x82"},
      {"stray.txt", "\xE3\x81\x82\xE3\x81\x84\x80\n\xE3\x81\x86\n"},
      {"emoji.txt", "\xF0\x9F\x98\x80 \xF0\xA0\xAE\xB7\n\xE3\x81\x82\n"},
      {"bom.txt", "\xEF\xBB\xBF\xE3\x81\x82\r\n"},
      {"be.txt", std::string("\xFE\xFF\x30\x42\0\n\0x", 8)},
      {"le.txt", std::string("\xFF\xFE\x42\x30\r\0\n\0", 8)},
      {"eucms.txt", "\x8F\xF4\xFB\x8F\xF4\xBD \xA4\xA2\n"},
      {"jis.txt", "\x1B$B$\"\x1B(B x\r\n\x1B$@$$\x1B(J\r\n"},
      {"b64.txt", "44GC44GE44GG44GI44GK44GL44GN44GP\n"},
      {"quoted.csv", "\"a\r\nb\",c\r\n\"x\"\"y\",\"1,2\"\r\na\tb,c\r\n\r\n"},
      {"utf8.csv", "\xE5\x90\x8D,\xE5\x80\xA4\r\n\xE3\x81\x82,1\r\n\xF0\x9F\x98\x80,2\r\n"},
  };
  std::string path;
  for (const auto& s : kSamples) {
    ASSERT_TRUE(OpenAs(s.name, s.bytes, &path)) << s.name;
    ASSERT_EQ(0, doc->SaveFile(path.c_str(), 0)) << s.name;
    EXPECT_TRUE(testsupport::ReadFileBytes(path) == s.bytes) << s.name;
  }
  EXPECT_TRUE(fw::hooks::Unexpected().empty());
}

TEST_F(SaveUnchangedTest, LosingCharactersAsksFirstAndNoKeepsTheFile) {
  const std::string file = "\xF0\x9F\x98\x80 smile\r\n";
  std::string path;
  ASSERT_TRUE(OpenAs("smile.txt", file, &path));
  EXPECT_EQ(textcodec::TextEncoding::kUtf8, doc->m_openEncoding.encoding);
  EXPECT_EQ(1u, doc->m_openEncoding.replaced);
  // The line holding the emoji edited: its "〓" cannot become the emoji again.
  const std::string edited = "\x81\xAC smiles\r\n";
  std::memcpy(doc->m_pText, edited.data(), edited.size());
  doc->m_nTextLen = static_cast<std::uint32_t>(edited.size());
  fw::hooks::ExpectMessageBox("1個の文字は保存できません。保存しますか?", IDNO);
  EXPECT_EQ(-1, doc->SaveFile(path.c_str(), 0, nullptr, CDvkDoc::kSaveDocumentText));
  EXPECT_TRUE(testsupport::ReadFileBytes(path) == file);
  fw::hooks::ExpectMessageBox("1個の文字は保存できません", IDYES);
  EXPECT_EQ(0, doc->SaveFile(path.c_str(), 0, nullptr, CDvkDoc::kSaveDocumentText));
  EXPECT_EQ("\xE3\x80\x93 smiles\r\n", testsupport::ReadFileBytes(path));
  EXPECT_TRUE(fw::hooks::Unused().empty());
}

// Typed and deleted lines beside broken lines that read the same: a broken
// line's byte stays on its own line or is asked about, never moved to a line
// that merely reads the same ("a" + 0x82 and "a" + 0x81 both show "a〓").
TEST_F(SaveUnchangedTest, ABrokenLinesByteNeverMovesToALineThatReadsTheSame) {
  const std::string file = "a\x82\r\nmid\r\na\x81\r\nend\r\n";
  std::string path;
  ASSERT_TRUE(OpenAs("broken4.txt", file, &path));
  ASSERT_EQ(textcodec::TextEncoding::kShiftJis, doc->m_openEncoding.encoding);
  auto ctrl = [this]() -> CRichEditCtrl& { return View()->GetRichEditCtrl(); };
  // A real "a〓" typed as the new first line: which of the first two lines
  // was typed cannot be told, so neither gets the 0x82, and the save asks.
  ctrl().SetSel(0, 0);
  ctrl().ReplaceSel("a\x81\xAC\r\n", TRUE);
  fw::hooks::ExpectMessageBox("1個の文字は保存できません。保存しますか?", IDNO);
  EXPECT_EQ(-1, doc->SaveFile(path.c_str(), 0));
  EXPECT_TRUE(testsupport::ReadFileBytes(path) == file);
  fw::hooks::ExpectMessageBox("1個の文字は保存できません", IDYES);
  EXPECT_EQ(0, doc->SaveFile(path.c_str(), 0));
  EXPECT_EQ("a\x81\xAC\r\na\x81\xAC\r\nmid\r\na\x81\r\nend\r\n", testsupport::ReadFileBytes(path));

  // The first line deleted: the other broken line keeps its own 0x81.
  ASSERT_TRUE(OpenAs("broken4.txt", file, &path));
  ctrl().SetSel(0, ctrl().LineIndex(1));
  ctrl().ReplaceSel("", TRUE);
  fw::hooks::ExpectMessageBox("1個の文字は保存できません", IDYES);
  EXPECT_EQ(0, doc->SaveFile(path.c_str(), 0));
  EXPECT_EQ("mid\r\na\x81\r\nend\r\n", testsupport::ReadFileBytes(path));

  // A line typed where no line beside it reads the same: both keep their
  // bytes, and nothing is asked.
  ASSERT_TRUE(OpenAs("broken4.txt", file, &path));
  ctrl().SetSel(0, 0);
  ctrl().ReplaceSel("new\r\n", TRUE);
  EXPECT_EQ(0, doc->SaveFile(path.c_str(), 0));
  EXPECT_TRUE(testsupport::ReadFileBytes(path) == "new\r\n" + file);
  EXPECT_TRUE(fw::hooks::Unused().empty());
  EXPECT_TRUE(fw::hooks::Unexpected().empty());
}

// 0x06 is the table's field separator, written back as ','; a CSV file that
// holds one keeps its bytes on an unedited save, and an edit of the row that
// held it asks before writing the comma.
TEST_F(SaveUnchangedTest, ACsvHoldingSeparatorBytesKeepsThemAndAnEditOfTheirRowAsks) {
  const struct {
    const char* name;
    std::string bytes;
  } kSamples[] = {
      {"six_sjis.csv", "\x96\xBC,\"b\x06" "c\"\r\nd\x06" "e,f\r\n1,2\r\n"},
      {"six_lf.csv", "a\x06" "b\n\n\"\x06\"\nz"},
      {"six_utf8.csv", "\xE5\x90\x8D,\"\xE8\xA1\xA8\x06\"\n\xE3\x81\x82\x06x\n"},
  };
  std::string path;
  for (const auto& s : kSamples) {
    ASSERT_TRUE(OpenAs(s.name, s.bytes, &path)) << s.name;
    ASSERT_EQ(33u, View()->m_nFileKind) << s.name;
    ASSERT_EQ(0, doc->SaveFile(path.c_str(), 0)) << s.name;
    EXPECT_TRUE(testsupport::ReadFileBytes(path) == s.bytes) << s.name;
  }
  EXPECT_TRUE(fw::hooks::Unexpected().empty());

  // The second row typed into: its 0x06 would become a comma.
  const std::string& file = kSamples[0].bytes;
  ASSERT_TRUE(OpenAs("six_edit.csv", file, &path));
  CRichEditCtrl& ctrl = View()->GetRichEditCtrl();
  const long row1 = ctrl.LineIndex(1);
  ctrl.SetSel(row1, row1);
  ctrl.ReplaceSel("x", TRUE);
  fw::hooks::ExpectMessageBox("1個の文字は保存できません。保存しますか?", IDNO);
  EXPECT_EQ(-1, doc->SaveFile(path.c_str(), 0));
  EXPECT_TRUE(testsupport::ReadFileBytes(path) == file);
  // Yes writes it; the first row, unedited, keeps its 0x06.
  fw::hooks::ExpectMessageBox("1個の文字は保存できません", IDYES);
  EXPECT_EQ(0, doc->SaveFile(path.c_str(), 0));
  EXPECT_EQ("\x96\xBC,\"b\x06" "c\"\r\nxd,e,f\r\n1,2\r\n", testsupport::ReadFileBytes(path));
  EXPECT_TRUE(fw::hooks::Unused().empty());
  EXPECT_TRUE(fw::hooks::Unexpected().empty());
}

}  // namespace
