// The ruled display's paragraphs and cells: kinds read from the rich text,
// rows through the paragraph map, and typed cells back into the working form.
#include "view/viewload/ruledview.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using viewload::RuledPara;

const char kHeader[] =
    "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fmodern\\fcharset128 \\'82\\'6c\\'82\\'72;}}"
    "{\\colortbl;\\red1\\green0\\blue0;}\n";

TEST(RuledParagraphs, KindsFollowSpacingMarksAndTabs) {
  struct Case {
    const char* body;
    std::vector<RuledPara> kinds;
  } cases[] = {
      // The opening paragraph, a rule, a row, a mark, a row, the closing one.
      {"\\pard\\sl-270\\slmult0\\tx0\\tx200\\cf1\\lang1041\\f0\\fs21 \\par\n"
       "\\pard\\sl-20\\slmult0\\tx0\\tab\\highlight1\\fs2  \\tab\\fs2  \\highlight0\\par\n"
       "\\pard\\sl-282\\slmult0\\tx0\\tx200\\fs21 \\tab\\highlight1\\fs2  \\f0\\fs21  a\\tab\\highlight0\\par\n"
       "\\~~` \\page\\par\n"
       "\\pard\\sl-282\\slmult0\\tx0\\fs21 \\tab\\fs2 .\\fs21  b\\highlight0\\par\n"
       "\\pard\\sl-240\\fs21 \\par\n}",
       {RuledPara::kOther, RuledPara::kRule, RuledPara::kRow, RuledPara::kMark, RuledPara::kRow,
        RuledPara::kOther}},
      // Marks 1 and 2 after a row keep its spacing; a thick line is two rules.
      {"\\pard\\sl-282\\slmult0\\tab x\\par\n\\ ~~ \\par\n\\tab\\ ~~ \\par\n"
       "\\pard\\sl-20\\slmult0\\tab\\par\n\\pard\\sl-20\\slmult0\\tab\\par\n",
       {RuledPara::kRow, RuledPara::kMark, RuledPara::kMark, RuledPara::kRule, RuledPara::kRule}},
      // Escaped text never ends a paragraph nor makes a TAB: "\\par" and a
      // lead byte before 0x5C.
      {"\\pard\\sl-282\\slmult0\\tab a\\\\par b\\'83\\'5c\\tab c\\par\n", {RuledPara::kRow}},
      // A row of empty cells is a row; a hidden row (1 twip) too.
      {"\\pard\\sl-1\\slmult0\\tab\\highlight0\\fs2  \\cf0\\highlight0\\fs21    \\par\n", {RuledPara::kRow}},
  };
  for (const Case& c : cases) {
    const std::string rtf = std::string(kHeader) + c.body;
    EXPECT_EQ(c.kinds, viewload::ClassifyRuledParagraphs(rtf.data(), rtf.size())) << c.body;
  }
}

TEST(RuledParagraphs, TheFontAndColourTablesAreNoText) {
  // A font name with a TAB-like escape or a ';' is never a paragraph's text.
  const std::string rtf = std::string(kHeader) + "\\pard\\sl-282\\slmult0 \\par\n";
  EXPECT_EQ(std::vector<RuledPara>{RuledPara::kOther}, viewload::ClassifyRuledParagraphs(rtf.data(), rtf.size()));
}

TEST(RuledLayout, RowsThroughTheMap) {
  // opening, rule (row 0), row 0, rule (row 1), row 1, mark (row 3), row 3, closing
  const std::vector<RuledPara> kinds = {RuledPara::kOther, RuledPara::kRule, RuledPara::kRow, RuledPara::kRule,
                                        RuledPara::kRow,   RuledPara::kMark, RuledPara::kRow, RuledPara::kOther};
  const std::uint32_t map[] = {0, 0, 0, 1, 1, 3, 3};  // the closing paragraph is past the map
  const viewload::RuledLayout l = viewload::RuledLayout::Make(kinds, map, 7);
  EXPECT_EQ(2, l.ParagraphOfRow(0));
  EXPECT_EQ(4, l.ParagraphOfRow(1));
  EXPECT_EQ(-1, l.ParagraphOfRow(2));  // not shown (a directive line)
  EXPECT_EQ(6, l.ParagraphOfRow(3));
  EXPECT_EQ(2, l.FirstRowParagraph());
  const std::uint32_t rowOf[] = {0, 0, 0, 1, 1, 3, 3, 3};
  for (int p = 0; p < 8; ++p) EXPECT_EQ(rowOf[p], l.RowOfParagraph(p)) << p;
  EXPECT_EQ(viewload::kNoRow, viewload::RuledLayout::Make({RuledPara::kOther}, nullptr, 0).RowOfParagraph(0));
}

TEST(RuledCells, FieldsAndParagraphs) {
  EXPECT_EQ((std::vector<std::string>{"a", "b", "", "c"}), viewload::SplitParagraphs("a\r\nb\r\rc"));
  EXPECT_EQ((std::vector<std::string>{"", "  x", ". y"}), viewload::SplitFields("\t  x\t. y"));
  EXPECT_EQ(0, viewload::FieldStart("\t  x\t. y", 0));
  EXPECT_EQ(1, viewload::FieldStart("\t  x\t. y", 1));
  EXPECT_EQ(5, viewload::FieldStart("\t  x\t. y", 2));
  EXPECT_EQ(-1, viewload::FieldStart("\t  x\t. y", 3));
}

TEST(RuledCells, ChangedCellTakesOffOnlyTheGlyphsLeftInPlace) {
  struct Case {
    const char* shown;
    const char* now;
    const char* cell;
  } cases[] = {
      {"  abc", "  xyz", "xyz"},           // marker blank and blank, new text
      {". abc", ". abcd", "abcd"},         // a line marker
      {"     12", "     13", "13"},        // right-aligned padding
      {"  abc", "abc", "abc"},             // the glyphs deleted too
      {"  abc", "  ab c  ", "ab c"},       // trailing blanks are padding
      {"  ", "  new", "new"},              // an empty cell typed into
      {"  x", "  \x82\xa0", "\x82\xa0"},   // a double-byte character
  };
  for (const Case& c : cases) EXPECT_EQ(c.cell, viewload::ChangedCellText(c.shown, c.now)) << c.shown;
}

// A display of rows 0-2 of `buf`: opening, rule, row 0, row 1, rule, row 2,
// closing paragraph; cells shown as TAB + two blanks + text.
struct Display {
  viewload::RuledLayout layout;
  std::vector<std::string> shown;
};

Display MakeDisplay() {
  Display d;
  const std::uint32_t map[] = {0, 0, 0, 1, 2, 2};
  d.layout = viewload::RuledLayout::Make({RuledPara::kOther, RuledPara::kRule, RuledPara::kRow, RuledPara::kRow,
                                          RuledPara::kRule, RuledPara::kRow, RuledPara::kOther},
                                         map, 6);
  d.shown = {" ", "\t  \t  ", "\t  name\t  qty", "\t. a\t     1", "\t  \t  ", "\t  b\t     2", " "};
  return d;
}

std::string Rebuild(const std::string& buf, const Display& d, const std::vector<std::string>& now,
                    viewload::RuledRebuildError* err) {
  std::string out;
  viewload::RebuildFromRuledDisplay(reinterpret_cast<const std::uint8_t*>(buf.data()), buf.size(), d.layout,
                                    d.shown, now, out, err);
  return out;
}

TEST(RuledRebuild, UnchangedDisplayKeepsEveryByte) {
  const Display d = MakeDisplay();
  const std::string buf = "name\x06qty\r\n\"a\"\x06 1\r\nb\x06\x32\r\n";
  viewload::RuledRebuildError err;
  EXPECT_EQ(buf, Rebuild(buf, d, d.shown, &err));
  EXPECT_EQ(viewload::RuledRebuildError::kNone, err);
}

TEST(RuledRebuild, ATypedCellChangesThatCellOnly) {
  const Display d = MakeDisplay();
  struct Case {
    const char* buf;
    const char* typed;  // row 1's paragraph as the control holds it
    const char* want;
  } cases[] = {
      // Cell 2 of row 1; the quoted cell 1 keeps its quotes.
      {"name\x06qty\r\n\"a\"\x06 1\r\nb\x06\x32\r\n", "\t. a\t     7", "name\x06qty\r\n\"a\"\x06\x37\r\nb\x06\x32\r\n"},
      // A comma or a quote goes in quotes.
      {"name\x06qty\r\na\x06\x31\r\nb\x06\x32\r\n", "\t. a,z\t     1",
       "name\x06qty\r\n\"a,z\"\x06\x31\r\nb\x06\x32\r\n"},
      {"name\x06qty\r\na\x06\x31\r\nb\x06\x32\r\n", "\t. say \"hi\"\t     1",
       "name\x06qty\r\n\"say \"\"hi\"\"\"\x06\x31\r\nb\x06\x32\r\n"},
      // LF rows stay LF rows.
      {"name\x06qty\na\x06\x31\nb\x06\x32\n", "\t. c\t     1", "name\x06qty\nc\x06\x31\nb\x06\x32\n"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> now = d.shown;
    now[3] = c.typed;
    viewload::RuledRebuildError err;
    EXPECT_EQ(c.want, Rebuild(c.buf, d, now, &err)) << c.typed;
    EXPECT_EQ(viewload::RuledRebuildError::kNone, err);
  }
}

TEST(RuledRebuild, AMismatchedDisplayIsRefused) {
  const Display d = MakeDisplay();
  const std::string buf = "name\x06qty\r\na\x06\x31\r\nb\x06\x32\r\n";
  struct Case {
    const char* what;
    std::vector<std::string> now;
    viewload::RuledRebuildError err;
  } cases[] = {
      {"a row paragraph deleted", {" ", "\t  \t  ", "\t  name\t  qty", "\t  \t  ", "\t  b\t     2", " "},
       viewload::RuledRebuildError::kParagraphsChanged},
      {"a row typed in",
       {" ", "\t  \t  ", "\t  name\t  qty", "\tnew\tx", "\t. a\t     1", "\t  \t  ", "\t  b\t     2", " ", "x"},
       viewload::RuledRebuildError::kParagraphsChanged},
      {"a TAB typed into a cell", {" ", "\t  \t  ", "\t  name\t  qty", "\t. a\tb\t     1", "\t  \t  ", "\t  b\t     2", " "},
       viewload::RuledRebuildError::kCellsChanged},
  };
  for (const Case& c : cases) {
    viewload::RuledRebuildError err = viewload::RuledRebuildError::kNone;
    EXPECT_EQ("", Rebuild(buf, d, c.now, &err)) << c.what;
    EXPECT_EQ(c.err, err) << c.what;
  }
}

TEST(RuledRebuild, TypingIntoARuleIsNoRow) {
  const Display d = MakeDisplay();
  const std::string buf = "name\x06qty\r\na\x06\x31\r\nb\x06\x32\r\n";
  std::vector<std::string> now = d.shown;
  now[1] = "\t  x\t  ";
  viewload::RuledRebuildError err;
  EXPECT_EQ(buf, Rebuild(buf, d, now, &err));
}

TEST(RuledRebuild, ARowOfMoreCellsThanTabFieldsIsRefusedWhereItsTailChanged) {
  // Past the 31st column blanks stand in for TABs: the last TAB field holds
  // several cells, which cannot be told apart.
  viewload::RuledLayout l = viewload::RuledLayout::Make({RuledPara::kRow}, nullptr, 0);
  l.rows[0] = 0;
  const std::vector<std::string> shown = {"\t  a\t  b _ c"};
  const std::string buf = "a\x06" "b\x06" "c\r\n";
  std::string out;
  viewload::RuledRebuildError err;
  EXPECT_FALSE(viewload::RebuildFromRuledDisplay(reinterpret_cast<const std::uint8_t*>(buf.data()), buf.size(), l,
                                                 shown, {"\t  a\t  b _ d"}, out, &err));
  EXPECT_EQ(viewload::RuledRebuildError::kCellsChanged, err);
  // Its first cells still come back.
  EXPECT_TRUE(viewload::RebuildFromRuledDisplay(reinterpret_cast<const std::uint8_t*>(buf.data()), buf.size(), l,
                                                shown, {"\t  z\t  b _ c"}, out, &err));
  EXPECT_EQ("z\x06" "b\x06" "c\r\n", out);
}

}  // namespace
