// The style sheet: the fixed text around a default-only table, number
// formats and alignments, shared fonts and borders, border sides and font
// flags, lists of a thousand entries whose counts match their elements,
// memory failures, and the part as stored (UTF-8).
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "export/byte_writer.h"
#include "export/part_sink.h"
#include "export/xlsx/xlsx_run.h"
#include "export/xlsx/xlsx_styles.h"
#include "fw/alloc.h"

namespace {

using Record = std::array<char, 16>;

Record DefaultRecord() { return Record{'@', '_', '_', '_', '_', '_', '_', 0, '_', '_', '_', '_', '_', '_', '_', '_'}; }

std::string Styles(const std::vector<Record>& records) {
  exportcore::ByteWriter out;
  EXPECT_TRUE(xlsx::BuildStylesPart(records.data(), static_cast<int>(records.size()), out));
  return std::string(out.Data(), out.Size());
}

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
  return n;
}

// The cellXfs entry i of a style sheet.
std::string Xf(const std::string& styles, int i) {
  std::size_t at = styles.find("<cellXfs");
  for (int k = 0; k <= i; ++k) at = styles.find("<xf ", at + 1);
  const std::size_t next = styles.find("<xf ", at + 1);
  const std::size_t end = styles.find("</cellXfs>", at);
  return styles.substr(at, (next < end ? next : end) - at);
}

TEST(XlsxStyles, DefaultTableGivesTheFixedSheet) {
  const std::string s = Styles({DefaultRecord()});
  const std::string expected =
      "<?xml version=\"1.0\" encoding=\"Shift-JIS\" standalone=\"yes\"?>\n"
      "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
      "xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\" mc:Ignorable=\"x14ac\" "
      "xmlns:x14ac=\"http://schemas.microsoft.com/office/spreadsheetml/2009/9/ac\">"
      "<numFmts count=\"18\">"
      "<numFmt numFmtId=\"41\" formatCode=\"_ * #,##0_ ;_ * \\-#,##0_ ;_ * &quot;-&quot;_ ;_ @_ \"/>"
      "<numFmt numFmtId=\"179\" formatCode=\"0 \"/><numFmt numFmtId=\"180\" formatCode=\"#,##0_ \"/>"
      "<numFmt numFmtId=\"181\" formatCode=\"###0.0_ \"/><numFmt numFmtId=\"182\" formatCode=\"###0.00_ \"/>"
      "<numFmt numFmtId=\"183\" formatCode=\"###0.000_ \"/><numFmt numFmtId=\"184\" formatCode=\"###0.0000_ \"/>"
      "<numFmt numFmtId=\"185\" formatCode=\"###0.00000_ \"/><numFmt numFmtId=\"186\" formatCode=\"###0.000000_ \"/>"
      "<numFmt numFmtId=\"188\" formatCode=\"$#,##0_ ;$-#,##0_ \"/>"
      "<numFmt numFmtId=\"189\" formatCode=\"&quot;\\&quot;#,##0_ ;&quot;\\&quot;-#,##0_ \"/>"
      "<numFmt numFmtId=\"190\" formatCode=\"#,##0.######_ \"/>"
      "<numFmt numFmtId=\"191\" formatCode=\"#,##0.0_ \"/><numFmt numFmtId=\"192\" formatCode=\"#,##0.00_ \"/>"
      "<numFmt numFmtId=\"193\" formatCode=\"#,##0.000_ \"/><numFmt numFmtId=\"194\" formatCode=\"#,##0.0000_ \"/>"
      "<numFmt numFmtId=\"195\" formatCode=\"#,##0.00000_ \"/><numFmt numFmtId=\"196\" formatCode=\"#,##0.000000_ \"/>"
      "</numFmts>"
      "<fonts count=\"1\"><font><sz val=\"11\"/><color rgb=\"FF000000\"/><family val=\"3\"/><charset val=\"128\"/>"
      "</font></fonts>"
      "<fills count=\"15\"><fill><patternFill patternType=\"none\"/></fill>"
      "<fill><patternFill patternType=\"gray125\"/></fill>"
      "<fill><patternFill patternType=\"solid\"><fgColor rgb=\"FFC0FFC0\"/></patternFill></fill>"
      "<fill><patternFill patternType=\"solid\"><fgColor rgb=\"FFC0C0FF\"/></patternFill></fill>"
      "<fill><patternFill patternType=\"solid\"><fgColor rgb=\"FFC0A0A0\"/></patternFill></fill>"
      "<fill><patternFill patternType=\"solid\"><fgColor rgb=\"FFFFFFC0\"/></patternFill></fill>"
      "<fill><patternFill patternType=\"solid\"><fgColor rgb=\"FFFFE0C0\"/></patternFill></fill>"
      "<fill><patternFill patternType=\"solid\"><fgColor rgb=\"FFC0FFFF\"/></patternFill></fill>"
      "<fill><patternFill patternType=\"solid\"><fgColor rgb=\"FFFFC0FF\"/></patternFill></fill>"
      "<fill><patternFill patternType=\"solid\"><fgColor rgb=\"FFC0A0FF\"/></patternFill></fill>"
      "<fill><patternFill patternType=\"solid\"><fgColor rgb=\"FFC0C0C0\"/></patternFill></fill>"
      "<fill><patternFill patternType=\"solid\"><fgColor rgb=\"FF101010\"/></patternFill></fill>"
      "<fill><patternFill patternType=\"solid\"><fgColor rgb=\"FFFFC0C0\"/></patternFill></fill>"
      "<fill><patternFill patternType=\"solid\"><fgColor rgb=\"FFFFFFFF\"/></patternFill></fill>"
      "<fill><patternFill patternType=\"solid\"><fgColor rgb=\"FFFFFFFF\"/></patternFill></fill></fills>"
      "<borders count=\"1\"><border><left/><right/><top/><bottom/></border></borders>"
      "<cellStyleXfs count=\"2\"><xf numFmtId=\"0\" fontId=\"0\" borderId=\"0\"><alignment vertical=\"center\"/></xf>"
      "<xf numFmtId=\"0\" fontId=\"0\" borderId=\"0\"/></cellStyleXfs>"
      "<cellXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"1\"></xf></cellXfs>"
      "<cellStyles count=\"2\"><cellStyle name=\"標準\" xfId=\"0\" builtinId=\"0\"/>"
      "<cellStyle name=\"標準 2\" xfId=\"1\"/></cellStyles><dxfs count=\"0\"/>"
      "<tableStyles count=\"0\" defaultTableStyle=\"TableStyleMedium2\" defaultPivotStyle=\"PivotStyleLight16\"/>"
      "</styleSheet>";
  EXPECT_EQ(expected, s);
}

TEST(XlsxStyles, NumberFormatsAndAlignments) {
  std::vector<Record> r(8, DefaultRecord());
  r[1][1] = 'i';                                    // integer, no alignment: right
  r[2][1] = static_cast<char>('i' | 0x80);          // grouped
  r[3][1] = static_cast<char>('3' | 0x80), r[3][0] = 'q';
  r[4][0] = 'x';                                    // unknown alignment, no protection
  r[5][0] = 'x', r[5][4] = 'u';                     // unknown alignment, unlocked
  r[6][1] = 'm', r[6][0] = 'u';
  r[7][1] = 'f', r[7][0] = 'P';                     // an own alignment stays
  const std::string s = Styles(r);
  EXPECT_EQ("<xf numFmtId=\"179\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"1\">"
            "<alignment horizontal=\"right\"/></xf>",
            Xf(s, 1));
  EXPECT_EQ("<xf numFmtId=\"180\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"1\">"
            "<alignment horizontal=\"right\"/></xf>",
            Xf(s, 2));
  EXPECT_EQ("<xf numFmtId=\"193\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"1\">"
            "<alignment horizontal=\"center\" vertical=\"center\"/></xf>",
            Xf(s, 3));
  EXPECT_EQ("<xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"1\"/>", Xf(s, 4));
  EXPECT_EQ("<xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"1\">"
            "<protection locked=\"0\"/></xf>",
            Xf(s, 5));
  EXPECT_EQ("<xf numFmtId=\"189\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"1\">"
            "<alignment horizontal=\"center\" vertical=\"center\" wrapText=\"1\"/></xf>",
            Xf(s, 6));
  EXPECT_EQ("<xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"1\">"
            "<alignment horizontal=\"left\"/></xf>",
            Xf(s, 7));
  EXPECT_NE(std::string::npos, s.find("<cellXfs count=\"8\">"));
}

TEST(XlsxStyles, FontsAndBordersAreSharedAndFillsIndexed) {
  std::vector<Record> r(4, DefaultRecord());
  r[1][0] = 'p', r[1][2] = '1', r[1][12] = 'R', r[1][5] = 'B', r[1][6] = 'G';
  r[2] = r[1];
  r[2][0] = 'T';  // differs only in alignment
  r[3][6] = 'c';  // lower-case letters pick the same fills
  const std::string s = Styles(r);
  EXPECT_NE(std::string::npos, s.find("<fonts count=\"2\">"));
  EXPECT_NE(std::string::npos, s.find("<borders count=\"2\">"));
  EXPECT_NE(std::string::npos, Xf(s, 1).find("fontId=\"1\" fillId=\"2\" borderId=\"1\""));
  EXPECT_NE(std::string::npos, Xf(s, 2).find("fontId=\"1\" fillId=\"2\" borderId=\"1\""));
  EXPECT_NE(std::string::npos, Xf(s, 3).find("fontId=\"0\" fillId=\"14\" borderId=\"0\""));
  EXPECT_NE(std::string::npos, s.find("<font><sz val=\"11\"/><color rgb=\"FF0000FF\"/><family val=\"3\"/>"));
  EXPECT_NE(std::string::npos,
            s.find("<border><left style=\"thin\"><color rgb=\"FF0000\"/></left><right/><top/><bottom/></border>"));
}

TEST(XlsxStyles, BorderSidesAndFontFlags) {
  std::vector<Record> r(5, DefaultRecord());
  r[1][2] = '6', r[1][3] = '5', r[1][10] = '4', r[1][11] = '2';  // '6' writes no side
  r[2][2] = '3', r[2][12] = 'Z', r[2][3] = '1', r[2][13] = 'g';  // 'Z', 'g': no colour
  r[3][7] = 0x1B, r[3][8] = '9';                                 // bold, underline, strike, face 1
  r[4][7] = 0x24, r[4][8] = '0', r[4][5] = 'R';                  // italic, face 2
  const std::string s = Styles(r);
  EXPECT_NE(std::string::npos, s.find("<border><right style=\"thick\"/><top style=\"double\"/>"
                                      "<bottom style=\"medium\"/></border>"));
  EXPECT_NE(std::string::npos, s.find("<border><left style=\"dashed\"/><right style=\"thin\"/><top/><bottom/></border>"));
  EXPECT_NE(std::string::npos, s.find("<font><b/><u/><strike/><sz val=\"18\"/><color rgb=\"FF000000\"/>"
                                      "<name val=\"ＭＳ ゴシック\"/><family val=\"1\"/><charset val=\"128\"/></font>"));
  EXPECT_NE(std::string::npos, s.find("<font><i/><sz val=\"5\"/><color rgb=\"FFFF0000\"/>"
                                      "<name val=\"ＭＳ 明朝\"/><family val=\"1\"/>"));
}

// A thousand records with distinct fonts and borders: every list is
// complete, each count equals its elements, and the last entry is there for
// the last record to point at.
TEST(XlsxStyles, ThousandDistinctFontsAndBordersKeepTheirCounts) {
  std::vector<Record> r(1000, DefaultRecord());
  const char letters[] = "RGBTYOSIVADWrgbtyosivaw";
  for (int i = 1; i < 1000; ++i) {
    r[i][5] = letters[i % 23];
    r[i][7] = static_cast<char>((i / 23) % 64);
    r[i][8] = static_cast<char>('0' + (i / (23 * 64)) % 10);
    r[i][2] = static_cast<char>('1' + i % 5), r[i][3] = static_cast<char>('1' + (i / 5) % 5);
    r[i][10] = static_cast<char>('1' + (i / 25) % 5), r[i][11] = static_cast<char>('1' + (i / 125) % 5);
    r[i][12] = static_cast<char>('A' + (i / 625) % 25);
  }
  const std::string s = Styles(r);
  EXPECT_NE(std::string::npos, s.find("<fonts count=\"1000\">"));
  EXPECT_EQ(1000u, Count(s, "<font>"));
  EXPECT_NE(std::string::npos, s.find("<borders count=\"1000\">"));
  EXPECT_EQ(1000u, Count(s, "<border>"));
  EXPECT_NE(std::string::npos, s.find("<cellXfs count=\"1000\">"));
  EXPECT_EQ(1000u + 2u, Count(s, "<xf "));
  EXPECT_NE(std::string::npos, Xf(s, 999).find("fontId=\"999\""));
  EXPECT_NE(std::string::npos, Xf(s, 999).find("borderId=\"999\""));
  EXPECT_GT(s.size(), 30000u);
}

TEST(XlsxStyles, MemoryShortageFailsCleanly) {
  std::vector<Record> r(300, DefaultRecord());
  for (int i = 1; i < 300; ++i) r[i][8] = static_cast<char>('0' + i % 10), r[i][2] = static_cast<char>('1' + i % 5);
  for (long n = 1;; ++n) {
    fw::alloctest::Reset();
    fw::alloctest::FailAt(n);
    exportcore::ByteWriter out;
    const bool ok = xlsx::BuildStylesPart(r.data(), 300, out);
    const bool reached = fw::alloctest::Count() >= n;
    fw::alloctest::Reset();
    if (!reached) {
      EXPECT_TRUE(ok);
      break;
    }
    EXPECT_FALSE(ok) << n;
  }
}

TEST(XlsxStyles, StoredAsUtf8ThroughTheRun) {
  xlsx::XlsxRun run;
  Record r = DefaultRecord();
  r[0] = 'q';
  ASSERT_EQ(1, run.XlsxCellStyleTable.FindOrAdd(r));
  exportcore::MemoryPartSink sink;
  ASSERT_EQ(0, xlsx::XlsxWriteStyles(run, sink));
  const std::string& part = sink.parts["xl/styles.xml"];
  EXPECT_EQ(0u, part.find("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"));
  EXPECT_NE(std::string::npos, part.find(reinterpret_cast<const char*>(u8"<cellStyle name=\"標準 2\" xfId=\"1\"/>")));
  EXPECT_NE(std::string::npos, part.find("<cellXfs count=\"2\">"));
  EXPECT_NE(std::string::npos, part.find("<alignment horizontal=\"center\" vertical=\"center\"/></xf></cellXfs>"));
  EXPECT_EQ(0u, run.XlsxWorkBuffer.Size());
}

}  // namespace
