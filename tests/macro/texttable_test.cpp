// The text-to-table statements: the detection counts, the letter choice, the
// separator conversion (quote mode, '~' lines, blanks before a separator),
// the output size on many short fields, a memory failure, and the
// fixed-width form through the column layout.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "csv/csv_table.h"
#include "fw/alloc.h"
#include "macro/macro_columnlayout.h"
#include "macro/macro_run.h"
#include "macro/macro_texttable.h"
#include "run_fixture.h"

namespace {

using macro::ChooseTableLetter;
using macro::ScanSeparators;
using macro::SeparatorCounts;

const std::uint8_t* U(const std::string& s) { return reinterpret_cast<const std::uint8_t*>(s.data()); }

std::string Convert(const std::string& text, std::uint8_t sep, bool quote) {
  // An exactly sized copy: a read past the text's end is caught.
  const std::vector<std::uint8_t> exact(text.begin(), text.end());
  macro::ConvertedText out;
  EXPECT_TRUE(macro::ConvertBySeparator(exact.data(), exact.size(), sep, quote, &out));
  std::string s(out.bytes, out.length);
  EXPECT_LT(out.length, out.capacity);
  fw::Free(out.bytes);
  return s;
}

TEST(TextToTableDetect, Counts) {
  struct Row {
    const char* text;
    int commas, tabs, bars;
  } rows[] = {
      {"1,234,567\r\n", 0, 0, 0},                  // thousands separators
      {"a,b,c,d,e,f\r\n", 5, 0, 0},                // six letters, five commas
      {"12,345.5,x\r\n", 1, 0, 0},                 // "345." is a thousands group
      {"12,3456,x\r\n", 2, 0, 0},                  // four digits: no group
      {"\"a,b\",c\r\n", 1, 0, 0},                  // inside quotes not counted
      {"title\r\na\tb\tc\td\r\nx,y,z,w,v,u\r\n", 0, 3, 0},  // stops after the line with TABs
      {"one\r\ntwo\r\nthree,a,b\r\n", 0, 0, 0},     // two lines at most
      {"a | b | c | d | e\r\n", 0, 0, 4},
  };
  for (const Row& r : rows) {
    const std::string t = r.text;
    const SeparatorCounts c = ScanSeparators(U(t), t.size(), 0);
    EXPECT_EQ(r.commas, c.commas) << r.text;
    EXPECT_EQ(r.tabs, c.tabs) << r.text;
    EXPECT_EQ(r.bars, c.bars) << r.text;
  }
}

TEST(TextToTableDetect, LetterChoice) {
  SeparatorCounts c;
  EXPECT_EQ('s', ChooseTableLetter('a', c));
  c.commas = 5;
  EXPECT_EQ('c', ChooseTableLetter('a', c));
  c.bars = 5;
  EXPECT_EQ('x', ChooseTableLetter('a', c));
  c.tabs = 3;
  EXPECT_EQ('b', ChooseTableLetter('a', c));
  c.sixes = 3;
  EXPECT_EQ('6', ChooseTableLetter('a', c));
  c = SeparatorCounts();
  c.commas = 4;  // four commas are not enough
  EXPECT_EQ('s', ChooseTableLetter('a', c));
  EXPECT_EQ('c', ChooseTableLetter('c', c));
  EXPECT_EQ('s', ChooseTableLetter('s', c));
  EXPECT_EQ('s', ChooseTableLetter('z', c));
}

TEST(TextToTableConvert, Cases) {
  struct Row {
    const char* name;
    std::string text;
    std::uint8_t sep;
    bool quote;
    std::string want;
  } rows[] = {
      {"comma", "a,b,c\r\n1,2,3\r\n", ',', false, "a\x06" "b\x06" "c\r\n1\x06" "2\x06" "3\r\n"},
      {"tilde line", "x,y\r\nno separator\r\nz,w", ',', false, "x\x06y\r\n~no separator\r\nz\x06w"},
      {"quote mode", "a,b\r\nc,d\r\n", ',', true, "\"a\"\x06\"b\"\r\n\"c\"\x06\"d\"\r\n"},
      {"bar drops blanks", "  a  |b |c\r\n", '|', false, "a\x06" "b\x06" "c\r\n"},
      {"tab keeps blanks", "a  \tb \tc\r\n", '\t', false, "a  \x06" "b \x06" "c\r\n"},
      {"comma in a TAB field", "a,1\tb\r\n", '\t', false, "\"a,1\"\x06" "b\r\n"},
      {"quoted comma stays one field", "\"1,234\",x\r\n", ',', false, "\"1,234\"\x06x\r\n"},
      {"quote in a wrapped field doubled", "a\"b,c\tx\n", '\t', false, "\"a\"\"b,c\"\x06x\n"},
      {"quote mode keeps a quoted field", "\"p,q\",r\n", ',', true, "\"p,q\"\x06\"r\"\n"},
      {"lone LF and CR", "a,b\nc,d\re,f", ',', false, "a\x06" "b\nc\x06" "d\re\x06" "f"},
      {"empty line", "a,b\r\n\r\nc,d\r\n", ',', false, "a\x06" "b\r\n~\r\nc\x06" "d\r\n"},
      {"separator last", "a,b,", ',', false, "a\x06" "b\x06"},
      {"quote last", "a,\"", ',', false, "a\x06\""},
  };
  for (const Row& r : rows) EXPECT_EQ(r.want, Convert(r.text, r.sep, r.quote)) << r.name;
}

TEST(TextToTableConvert, ManyOneByteFieldsInQuoteModeFit) {
  // 10,000 one-byte fields: three bytes each become five.
  std::string text;
  for (int k = 0; k < 10000; ++k) text += k % 100 == 99 ? "x\r\n" : "x,";
  macro::ConvertedText out;
  ASSERT_TRUE(macro::ConvertBySeparator(U(text), text.size(), ',', true, &out));
  EXPECT_GT(out.length, text.size() + 1000);  // more than the text + 1,000 bytes
  EXPECT_EQ(10000u * 4 - 100 * 1 + 100 * 2, out.length);
  EXPECT_EQ('\0', out.bytes[out.length]);
  fw::Free(out.bytes);
}

TEST(TextToTableConvert, SeparatorOfTheLetterAndOperand) {
  const std::string t = "a\tb\x06" "c\x06" "d";
  EXPECT_EQ('|', macro::TableSeparator('x', "", U(t), t.size()));
  EXPECT_EQ(',', macro::TableSeparator('c', "", U(t), t.size()));
  EXPECT_EQ(';', macro::TableSeparator('c', ";x", U(t), t.size()));
  // TAB, but the text holds more 0x06 than TABs.
  EXPECT_EQ(0x06, macro::TableSeparator('b', "", U(t), t.size()));
  EXPECT_EQ(0x06, macro::TableSeparator('c', "\\t", U(t), t.size()));
  const std::string tabs = "a\tb\tc";
  EXPECT_EQ('\t', macro::TableSeparator('c', "\\t", U(tabs), tabs.size()));
}

TEST(ColumnLayout, SpecParsing) {
  const std::vector<macro::LayoutEntry> e = macro::ParseLayoutSpec("4,2s;3d,P,t,s5,\"7");
  ASSERT_EQ(7u, e.size());
  EXPECT_EQ(4, e[0].width);
  EXPECT_EQ(-2, e[1].width);
  EXPECT_EQ(3, e[2].width);
  EXPECT_TRUE(e[2].quoted);
  EXPECT_EQ(macro::kRestOfLine, e[3].width);
  EXPECT_EQ(macro::kWideColumn, e[4].width);
  EXPECT_EQ(-5, e[5].width);
  EXPECT_TRUE(e[6].quoted);
  EXPECT_EQ("3,2s,4,1s,1", macro::LayoutSpecOfMask("xxx  xxxx x"));
  EXPECT_EQ("2s,2", macro::LayoutSpecOfMask("  xx"));
}

TEST(ColumnLayout, DetectAndCut) {
  const std::string text =
      "Monthly report\r\n"
      "\r\n"
      "Name     Qty   Price  City\r\n"
      "apple     12    1.50  Tokyo\r\n"
      "kiwi       3   12.00  Osaka\r\n"
      "melon    120  100.25  Kobe\r\n";
  macro::ColumnLayout layout;
  ASSERT_TRUE(macro::DetectColumnLayout(U(text), text.size(), macro::kLayoutFindTitle, 0, &layout));
  EXPECT_EQ(3, layout.titleLine);
  EXPECT_EQ("5,4s,3,2s,6,2s,5", layout.spec);
  macro::ScanResult cut;
  const std::size_t from = text.find("apple");
  macro::ScanTextRange(U(text), text.size(), from, layout.spec, "", &cut);
  EXPECT_EQ(3u, cut.rows);
  EXPECT_EQ(4u, cut.fields);
  // Trailing blanks are cut; a right-aligned column keeps its leading ones.
  EXPECT_EQ("apple\x06 12\x06  1.50\x06Tokyo\r\nkiwi\x06  3\x06 12.00\x06Osaka\r\nmelon\x06" "120\x06" "100.25\x06Kobe\r\n",
            cut.out);
}

TEST(ColumnLayout, CutForms) {
  struct Row {
    const char* name;
    std::string text, spec, skip, want;
  } rows[] = {
      {"comma field quoted", "ab,c  xy\n", "4,2s,2", "", "\"ab,c\"\x06xy\n"},
      {"quoted column", "ab  xy\n", "2d,2s,2", "", "\"ab\"\x06xy\n"},
      {"gap bytes join the field before", "abZ xy\n", "2,2s,2", "", "abZ\x06xy\n"},
      {"rest of the line", "ab   c d e\n", "2,P", "", "ab\x06" "cde\n"},
      {"past the layout", "ab  xy  more text\n", "2,2s,2", "", "ab\x06xy\x06more text\n"},
      {"short line", "ab\n", "2,2s,2", "", "ab\x06\n"},
      {"double-byte kept whole", "a\x82\xa0" "bc\n", "2,3", "", "a\x82\xa0\x06" "bc\n"},
      {"blanks in quotes", "\"a b\" x\n", "5,1s,1", "", "\"a b\"\x06x\n"},
      {"skip pattern", "--xx\nab cd\n", "2,1s,2", "--", "ab\x06" "cd\n"},
  };
  for (const Row& r : rows) {
    macro::ScanResult cut;
    macro::ScanTextRange(U(r.text), r.text.size(), 0, r.spec, r.skip, &cut);
    EXPECT_EQ(r.want, cut.out) << r.name;
  }
}

TEST(TextToTableFixed, FirstDataLine) {
  const std::string t = "Title\r\nsub title here\r\na b c d e\r\n1 2 3 4 5\r\n";
  EXPECT_EQ(3, macro::FirstFixedWidthDataLine(U(t), t.size()));
  const std::string narrow = "a b\r\nc d\r\n";
  EXPECT_EQ(1, macro::FirstFixedWidthDataLine(U(narrow), narrow.size()));
  EXPECT_EQ("\"a,b\"\x06x\x06y\r\n", macro::CopyCutFields("a,b\x06x\ty\r\n"));
}

// A text view: the text is the document's; the macro is given as text.
class TextToTableRun : public macrotest::RunFixture<> {
 protected:
  void SetText(const std::string& text) { SetDocumentText(text); }
  int Run(const std::string& macroText) {
    return macro::RunMacro(rc, macro::kRunText, CString(macroText.c_str()), "", "C:\\m");
  }
  std::string Text() const { return std::string(reinterpret_cast<const char*>(table.m_pTextBuf), table.m_nTextLen); }
};

TEST_F(TextToTableRun, AutoOnATabText) {
  SetText("List of things\r\na\tb\tc\td\r\n1\t2\t3\t4\r\n");
  EXPECT_EQ(macro::kRunEnded, Run("\ttextauto\r\n"));
  EXPECT_TRUE(host.reports.empty()) << host.reports[0];
  EXPECT_EQ("~List of things\r\na\x06" "b\x06" "c\x06" "d\r\n1\x06" "2\x06" "3\x06" "4\r\n", Text());
  EXPECT_EQ(33u, fileKind);
  EXPECT_EQ(2, table.m_nLastRow);
  EXPECT_EQ(4u, table.m_nFieldCount);
}

TEST_F(TextToTableRun, CsvWithQuoteModeAndItsOperand) {
  SetText("a;b\r\nc;d\r\n");
  EXPECT_EQ(macro::kRunEnded, Run("\ttextcsvq\t;\r\n"));
  EXPECT_EQ("\"a\"\x06\"b\"\r\n\"c\"\x06\"d\"\r\n", Text());
}

TEST_F(TextToTableRun, AutoOnAlignedTextCutsByColumns) {
  SetText("Name     Qty   Price  City\r\napple     12    1.50  Tokyo\r\nkiwi       3   12.00  Osaka\r\n");
  EXPECT_EQ(macro::kRunEnded, Run("\ttextauto\r\n"));
  EXPECT_TRUE(host.reports.empty()) << host.reports[0];
  EXPECT_EQ("Name\x06Qty\x06Price\x06" "City\r\napple\x06 12\x06 1.50\x06Tokyo\r\nkiwi\x06  3\x06" "12.00\x06Osaka\r\n",
            Text());
  EXPECT_EQ(33u, fileKind);
}

TEST_F(TextToTableRun, FixedWidthKeepsTheLinesBeforeTheData) {
  SetText("Report\r\na b c d e\r\n1 2 3 4 5\r\n");
  EXPECT_EQ(macro::kRunEnded, Run("\ttextsp\t1,1s,1,1s,1,1s,1,1s,1\r\n"));
  EXPECT_EQ("Report\r\na\x06" "b\x06" "c\x06" "d\x06" "e\r\n1\x06" "2\x06" "3\x06" "4\x06" "5\r\n", Text());
  EXPECT_EQ(2u, table.m_nCurLine);
}

TEST_F(TextToTableRun, EveryAllocationFailureLeavesTheTableWholeOrConverted) {
  const std::string text = "a,b,c,d,e,f\r\ng,h,i,j,k,l\r\n";
  const std::string converted = "a\x06" "b\x06" "c\x06" "d\x06" "e\x06" "f\r\ng\x06" "h\x06" "i\x06" "j\x06" "k\x06" "l\r\n";
  fw::alloctest::Reset();
  SetText(text);
  Run("\ttextauto\r\n");
  const long total = fw::alloctest::Count();
  ASSERT_EQ(converted, Text());
  int memoryExits = 0;
  for (long n = 1; n <= total; ++n) {
    fw::alloctest::Reset();
    table.Clear();
    SetText(text);
    fileKind = 9;
    host.reports.clear();
    const long before = fw::alloctest::Count();
    fw::alloctest::FailAt(before + n);
    Run("\ttextauto\r\n");
    fw::alloctest::Reset();
    const std::string got = table.m_pTextBuf ? Text() : std::string();
    EXPECT_TRUE(got.empty() || got == converted) << n;
    if (got != converted && !host.reports.empty() &&
        (host.reports.back() == "117:" || host.reports.back() == "123:")) {
      ++memoryExits;
      EXPECT_EQ(9u, fileKind);
    }
  }
  EXPECT_GE(memoryExits, 1);  // the output (the table keeps its buffer when the text fits)
}

}  // namespace
