// The worksheet rewrite of the merge on small templates: rows renumbered,
// values replaced line by line, the row marks, kept cells, the dimension,
// cell types that must change with the value, and the part's encoding.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "export/byte_writer.h"
#include "export/merge/merge_sheet.h"
#include "support/xml_wellformed.h"

namespace {

using exportcore::ByteWriter;
using merge::RewriteTemplateSheet;

const char kHead[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">";

// A template of `rows` rows, each with a shared-string cell A (style 10 + row)
// and a number cell B, its dimension "A1:B<dimRows>", the first tab
// selected, a merged title and `tail` before the end.
std::string Template(int rows, int dimRows, const std::string& tail = "") {
  std::string s = kHead;
  s += "<dimension ref=\"A1:B" + std::to_string(dimRows) + "\"/>";
  s += "<sheetViews><sheetView tabSelected=\"1\" workbookViewId=\"0\"/></sheetViews><sheetData>";
  for (int r = 1; r <= rows; ++r) {
    const std::string n = std::to_string(r);
    s += "<row r=\"" + n + "\" spans=\"1:2\"><c r=\"A" + n + "\" s=\"" + std::to_string(10 + r) + "\" t=\"s\"><v>" +
         std::to_string(r - 1) + "</v></c><c r=\"B" + n + "\" s=\"2\"><v>" + n + "</v></c></row>";
  }
  s += "</sheetData><mergeCells count=\"1\"><mergeCell ref=\"A1:B1\"/></mergeCells>" + tail + "</worksheet>";
  return s;
}

struct Rewrite {
  std::string part;
  merge::SheetRewriteResult result;
};

Rewrite Rewritten(const std::string& tmpl, const std::string& text, std::size_t pos = 0) {
  ByteWriter out;
  Rewrite r;
  r.result = RewriteTemplateSheet(tmpl.data(), tmpl.size(), text.data(), text.size(), pos, &out);
  r.part.assign(out.Data(), out.Size());
  return r;
}

// The markup of the cell whose reference is `ref`, "" when there is none.
std::string Cell(const std::string& part, const std::string& ref) {
  const std::size_t at = part.find("<c r=\"" + ref + "\"");
  if (at == std::string::npos) return "";
  const std::size_t tagEnd = part.find('>', at);
  if (part[tagEnd - 1] == '/') return part.substr(at, tagEnd + 1 - at);
  return part.substr(at, part.find("</c>", at) + 4 - at);
}

std::vector<std::string> RowNumbers(const std::string& part) {
  std::vector<std::string> rows;
  for (std::size_t at = part.find("<row r=\""); at != std::string::npos; at = part.find("<row r=\"", at + 1))
    rows.push_back(part.substr(at + 8, part.find('"', at + 8) - at - 8));
  return rows;
}

TEST(MergeSheet, TenRowsTakeFourLinesAndKeepTheRestEmpty) {
  const std::string text = "a1\x06" "1\r\na2\x06" "2\r\na3\x06" "3\r\na4\x06" "4\r\n!*next\r\nz\r\n";
  const Rewrite r = Rewritten(Template(10, 10), text);
  ASSERT_TRUE(r.result.ok);
  EXPECT_EQ("", testsupport::XmlWellFormedProblem(r.part));
  EXPECT_EQ(r.result.rows, 10);
  EXPECT_EQ(RowNumbers(r.part), (std::vector<std::string>{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}));
  EXPECT_EQ(Cell(r.part, "A1"), "<c r=\"A1\" s=\"11\" t=\"inlineStr\"><is><t>a1</t></is></c>");
  EXPECT_EQ(Cell(r.part, "B4"), "<c r=\"B4\" s=\"2\"><v>4</v></c>");
  // Rows past the block keep their cells, styled, without values.
  EXPECT_EQ(Cell(r.part, "A5"), "<c r=\"A5\" s=\"15\"></c>");
  EXPECT_EQ(Cell(r.part, "B10"), "<c r=\"B10\" s=\"2\"></c>");
  EXPECT_EQ(r.result.textPos, text.find("!*next"));
  // The declaration and everything outside the rows stay; the tab is no
  // longer selected.
  EXPECT_EQ(r.part.compare(0, std::strlen(kHead), kHead), 0);
  EXPECT_NE(r.part.find("<mergeCell ref=\"A1:B1\"/>"), std::string::npos);
  EXPECT_NE(r.part.find("tabSelected=\"0\""), std::string::npos);
  EXPECT_NE(r.part.find("<dimension ref=\"A1:B10\" />"), std::string::npos);
}

TEST(MergeSheet, LeftOverLinesSurplusAndMissingFieldsAndTrailingSeparators) {
  // More lines than rows: the reading stops at the first line left over.
  const std::string more = "a\x06" "1\r\nb\x06" "2\r\nc\x06" "3\r\nd\r\n";
  Rewrite r = Rewritten(Template(2, 2), more);
  EXPECT_EQ(r.result.textPos, more.find("c\x06"));
  EXPECT_EQ(Cell(r.part, "A2"), "<c r=\"A2\" s=\"12\" t=\"inlineStr\"><is><t>b</t></is></c>");

  // A surplus field is passed over at the next row; a short line leaves the
  // row's other cells empty; a separator before the line break ends the line
  // without costing the next row its line.
  const std::string mixed = "x\x06" "7\x06surplus\r\ny\r\nz\x06" "8\x06\r\nw\x06" "9\r\n";
  r = Rewritten(Template(4, 4), mixed);
  ASSERT_TRUE(r.result.ok);
  EXPECT_EQ(Cell(r.part, "B1"), "<c r=\"B1\" s=\"2\"><v>7</v></c>");
  EXPECT_EQ(Cell(r.part, "A2"), "<c r=\"A2\" s=\"12\" t=\"inlineStr\"><is><t>y</t></is></c>");
  EXPECT_EQ(Cell(r.part, "B2"), "<c r=\"B2\" s=\"2\"></c>");
  EXPECT_EQ(Cell(r.part, "B3"), "<c r=\"B3\" s=\"2\"><v>8</v></c>");
  EXPECT_EQ(Cell(r.part, "A4"), "<c r=\"A4\" s=\"14\" t=\"inlineStr\"><is><t>w</t></is></c>");
  EXPECT_EQ(r.part.find("surplus"), std::string::npos);
  EXPECT_EQ(r.result.textPos, mixed.size());
}

TEST(MergeSheet, FormulasKeptCellsAndTextIntoNumberCells) {
  // "=A1+1" into a shared-string cell is a formula with its '='; "@@" keeps
  // the template cell; text into the number cell B becomes an inline string
  // while a number stays a value.
  const std::string text = "=A1+1\x06" "abc\r\n@@\x06" "12.5e3\r\n@@x\x06@@\r\n";
  const Rewrite r = Rewritten(Template(3, 3), text);
  ASSERT_TRUE(r.result.ok);
  EXPECT_EQ("", testsupport::XmlWellFormedProblem(r.part));
  EXPECT_EQ(Cell(r.part, "A1"), "<c r=\"A1\" s=\"11\"><f>=A1+1</f></c>");
  EXPECT_EQ(Cell(r.part, "B1"), "<c r=\"B1\" s=\"2\" t=\"inlineStr\"><is><t>abc</t></is></c>");
  EXPECT_EQ(Cell(r.part, "A2"), "<c r=\"A2\" s=\"12\" t=\"s\"><v>1</v></c>");
  EXPECT_EQ(Cell(r.part, "B2"), "<c r=\"B2\" s=\"2\"><v>12.5e3</v></c>");
  // "@@" must be the whole field.
  EXPECT_EQ(Cell(r.part, "A3"), "<c r=\"A3\" s=\"13\" t=\"inlineStr\"><is><t>@@x</t></is></c>");
  EXPECT_EQ(Cell(r.part, "B3"), "<c r=\"B3\" s=\"2\"><v>3</v></c>");
}

TEST(MergeSheet, RowMarksAddAndDropTemplateRows) {
  // Rows 1-5 with styles 11-15. "@-2:x" at row 2 drops rows 2 and 3; row 4
  // takes x with the number 2.
  Rewrite r = Rewritten(Template(5, 5), "a\r\n@-2:x\r\ny\r\n");
  ASSERT_TRUE(r.result.ok);
  EXPECT_EQ(RowNumbers(r.part), (std::vector<std::string>{"1", "2", "3"}));
  EXPECT_EQ(Cell(r.part, "A2"), "<c r=\"A2\" s=\"14\" t=\"inlineStr\"><is><t>x</t></is></c>");
  EXPECT_EQ(Cell(r.part, "A3"), "<c r=\"A3\" s=\"15\" t=\"inlineStr\"><is><t>y</t></is></c>");
  EXPECT_NE(r.part.find("<dimension ref=\"A1:B3\" />"), std::string::npos);

  // "@+" repeats the last plainly used row; on the first row it is text.
  r = Rewritten(Template(2, 2), "@+a\r\n@+b\r\n@+c\r\n");
  ASSERT_TRUE(r.result.ok);
  EXPECT_EQ("", testsupport::XmlWellFormedProblem(r.part));
  EXPECT_EQ(RowNumbers(r.part), (std::vector<std::string>{"1", "2", "3", "4"}));
  EXPECT_EQ(Cell(r.part, "A1"), "<c r=\"A1\" s=\"11\" t=\"inlineStr\"><is><t>@+a</t></is></c>");
  EXPECT_EQ(Cell(r.part, "A2"), "<c r=\"A2\" s=\"11\" t=\"inlineStr\"><is><t>b</t></is></c>");
  EXPECT_EQ(Cell(r.part, "A3"), "<c r=\"A3\" s=\"11\" t=\"inlineStr\"><is><t>c</t></is></c>");
  EXPECT_EQ(Cell(r.part, "A4"), "<c r=\"A4\" s=\"12\"></c>");
}

TEST(MergeSheet, MarksNeverCopyOrDropMarkupOutsideTheRows) {
  // Dropping more rows than are left uses the row at hand; the page breaks
  // after the sheet data are no row to drop to or to repeat at.
  const std::string breaks = "<rowBreaks count=\"1\"><brk id=\"1\" man=\"1\"/></rowBreaks>";
  Rewrite r = Rewritten(Template(2, 2, breaks), "a\r\n@-5:b\r\n@+c\r\n");
  ASSERT_TRUE(r.result.ok);
  EXPECT_EQ("", testsupport::XmlWellFormedProblem(r.part));
  EXPECT_EQ(Cell(r.part, "A2"), "<c r=\"A2\" s=\"12\" t=\"inlineStr\"><is><t>b</t></is></c>");
  EXPECT_EQ(r.part.find("</sheetData>"), r.part.rfind("</sheetData>"));
  EXPECT_EQ(r.part.find(breaks), r.part.rfind(breaks));
  // A "!#" line ends the block as "!*" does.
  const std::string text = "a\r\n!#\r\nb\r\n";
  r = Rewritten(Template(3, 3), text);
  EXPECT_EQ(r.result.textPos, text.find("!#"));
  EXPECT_EQ(Cell(r.part, "A2"), "<c r=\"A2\" s=\"12\"></c>");
  // An empty block: the next head stays where it is, no row takes it.
  r = Rewritten(Template(2, 2), text, text.find("!#"));
  EXPECT_EQ(r.result.textPos, text.find("!#"));
  EXPECT_EQ(Cell(r.part, "A1"), "<c r=\"A1\" s=\"11\"></c>");
}

TEST(MergeSheet, DimensionFollowsTheRowsAndRowBreaksCountAsARow) {
  Rewrite r = Rewritten(Template(12, 9), "x\r\n");
  EXPECT_NE(r.part.find("<dimension ref=\"A1:B12\" />"), std::string::npos);
  // The page breaks element counts as a row start; its line stays for the
  // next block.
  const std::string breaks = "<rowBreaks count=\"1\" manualBreakCount=\"1\"><brk id=\"1\" man=\"1\"/></rowBreaks>";
  const std::string text = "a\r\nb\r\nc\r\n";
  r = Rewritten(Template(2, 2, breaks), text);
  ASSERT_TRUE(r.result.ok);
  EXPECT_EQ(r.result.rows, 3);
  EXPECT_NE(r.part.find(breaks), std::string::npos);
  EXPECT_NE(r.part.find("<dimension ref=\"A1:B3\" />"), std::string::npos);
  EXPECT_EQ(r.result.textPos, text.find("c\r\n"));
}

TEST(MergeSheet, EscapesGrowTheOutputWithoutACut) {
  // One row of 2000 cells, a line of 2000 fields of '"'.
  std::string tmpl = kHead;
  tmpl += "<sheetData><row r=\"1\">";
  for (int i = 0; i < 2000; ++i) tmpl += "<c r=\"A1\" t=\"s\"><v>0</v></c>";
  tmpl += "</row></sheetData></worksheet>";
  std::string text;
  for (int i = 0; i < 2000; ++i) text += i ? "\x06\"" : "\"";
  const Rewrite r = Rewritten(tmpl, text + "\r\n");
  ASSERT_TRUE(r.result.ok);
  EXPECT_EQ("", testsupport::XmlWellFormedProblem(r.part));
  std::size_t n = 0;
  for (std::size_t at = r.part.find("<t>&quot;</t>"); at != std::string::npos; at = r.part.find("<t>&quot;</t>", at + 1))
    ++n;
  EXPECT_EQ(n, 2000u);
  EXPECT_NE(r.part.find("</row></sheetData></worksheet>"), std::string::npos);
}

TEST(MergeSheet, TextFollowsThePartsOwnEncoding) {
  // "売上" in Shift-JIS from the table; the template's header text is UTF-8.
  const std::string sjis = "\x94\x84\x8F\xE3";
  const std::string header = "<headerFooter><oddHeader>&amp;C\xE6\x9C\x88\xE5\xA0\xB1</oddHeader></headerFooter>";
  Rewrite r = Rewritten(Template(1, 1, header), sjis + "\r\n");
  ASSERT_TRUE(r.result.ok);
  EXPECT_EQ("", testsupport::XmlWellFormedProblem(r.part));
  EXPECT_EQ(Cell(r.part, "A1"), "<c r=\"A1\" s=\"11\" t=\"inlineStr\"><is><t>\xE5\xA3\xB2\xE4\xB8\x8A</t></is></c>");
  EXPECT_NE(r.part.find(header), std::string::npos);

  // Without a declaration the part is UTF-8 as well; one declared Shift-JIS
  // takes the bytes as they are.
  std::string bare = Template(1, 1);
  bare.erase(0, bare.find("<worksheet"));
  r = Rewritten(bare, sjis + "\r\n");
  EXPECT_NE(Cell(r.part, "A1").find("\xE5\xA3\xB2\xE4\xB8\x8A"), std::string::npos);
  std::string declaredSjis = Template(1, 1);
  declaredSjis.replace(declaredSjis.find("UTF-8"), 5, "Shift_JIS");
  r = Rewritten(declaredSjis, sjis + "\r\n");
  EXPECT_NE(Cell(r.part, "A1").find("<t>" + sjis + "</t>"), std::string::npos);
  EXPECT_NE(r.part.find("encoding=\"Shift_JIS\""), std::string::npos);

  // A UTF-16 part cannot be edited as bytes.
  const std::string utf16("\xFF\xFE<\0?\0x\0", 8);
  r = Rewritten(utf16, "a\r\n");
  EXPECT_FALSE(r.result.ok);
  EXPECT_TRUE(r.result.unsupported);
}

TEST(MergeSheet, CutAndOddTemplatesStayInsideTheirBytes) {
  // A part without dimension or sheet views is walked from its start; a tag
  // cut by the end of the part is copied as it stands.
  const std::string noHead = "<worksheet><sheetData><row r=\"7\"><c r=\"C7\"><v>1</v></c></row></sheetData></worksheet>";
  Rewrite r = Rewritten(noHead, "q\r\n");
  EXPECT_EQ(r.part, "<worksheet><sheetData><row r=\"1\"><c r=\"C1\" t=\"inlineStr\"><is><t>q</t></is></c></row>"
                    "</sheetData></worksheet>");
  for (const std::string cut : {"<row r=\"1", "<c r=\"A1\" t=\"s\"><v>0", "<c ", "<ro", "<row", "<dimension ref=\"A1:"}) {
    r = Rewritten(cut, "a\x06@@\r\n@+\r\n@-9");
    EXPECT_TRUE(r.result.ok) << cut;
  }
}

}  // namespace
