// The walk's readers: directive lines, codes, saturated numbers, widths,
// number formats and padding.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "table/table_cellfmt.h"
#include "table/table_walk.h"

using namespace table;

namespace {

const std::uint8_t* U8(const char* s) { return reinterpret_cast<const std::uint8_t*>(s); }

FormatCodes Codes(const char* s, CodeKind kind) {
  FormatCodes f;
  ReadCodes(U8(s), U8(s) + std::strlen(s), kind, &f);
  return f;
}

}  // namespace

TEST(TableWalk, DigitRunsSaturate) {
  struct Case {
    const char* text;
    int cap;
    int value;
    std::size_t end;
  } cases[] = {
      {"123x", 1000, 123, 3},
      {"99999999999999999999", 2000, 2000, 20},
      {"0007", 10, 7, 4},
      {"x1", 10, -1, 0},
      {"", 10, -1, 0},
  };
  for (const Case& c : cases) {
    std::size_t i = 0;
    EXPECT_EQ(ReadDigitsSaturated(U8(c.text), std::strlen(c.text), &i, c.cap), c.value) << c.text;
    EXPECT_EQ(i, c.end) << c.text;
  }
}

TEST(TableWalk, DirectiveLines) {
  struct Case {
    const char* line;
    bool directive;
    char paper;
    bool widthS;
    int font, height, width;
    bool title;
  } cases[] = {
      {"XLa", true, 'a', false, 0, 0, 0, false},
      {"XLdS", true, 'd', true, 0, 0, 0, false},
      {"XLxA3H", true, 'd', false, 0, 0, 0, false},
      {"XLxB5VF24W5h12~S", true, 'k', true, 24, 24, 5, true},
      {"XLxLTHT10B10", true, 'n', false, 0, 0, 0, false},
      {"XLxF999999W100", true, 0, false, 400, 0, 0, false},  // three digits read, width past 99 unset
      {"XLxW3 F30", true, 0, false, 0, 0, 3, false},          // a blank ends the items
      {"XLA", false, 0, false, 0, 0, 0, false},
      {"XL", false, 0, false, 0, 0, 0, false},
  };
  for (const Case& c : cases) {
    BlockSettings s;
    bool got = ReadDirective(U8(c.line), U8(c.line) + std::strlen(c.line), &s);
    EXPECT_EQ(got, c.directive) << c.line;
    if (!got) continue;
    EXPECT_EQ(s.paper, static_cast<std::uint8_t>(c.paper)) << c.line;
    EXPECT_EQ(s.widthModeS, c.widthS) << c.line;
    EXPECT_EQ(s.fontSize, c.font) << c.line;
    EXPECT_EQ(s.lineHeight, c.height) << c.line;
    EXPECT_EQ(s.defaultWidth, c.width) << c.line;
    EXPECT_EQ(s.titleMark, c.title) << c.line;
  }
}

TEST(TableWalk, LineStylesAreMapped) {
  const char* from = "0123459_678";
  const char* to = "01212209\0\0\0";
  for (int i = 0; from[i]; ++i) {
    EXPECT_EQ(MapLineStyle(static_cast<std::uint8_t>(from[i])), static_cast<std::uint8_t>(to[i])) << from[i];
  }
}

TEST(TableWalk, ColumnRowAndCellCodes) {
  FormatCodes c = Codes("<4_#RgCMf3w12Z%PG2bI", kColumnCodes);
  EXPECT_EQ(c.line[0], '2');
  EXPECT_EQ(c.line[1], '9');
  EXPECT_EQ(c.lineColour[0], 2);
  EXPECT_EQ(c.lineColour[1], 15);
  EXPECT_EQ(c.align, 'C');
  EXPECT_EQ(c.valign, 'M');
  EXPECT_EQ(c.numFormat, 'f');
  EXPECT_EQ(c.numDigits, 3);
  EXPECT_EQ(c.width, 12);
  EXPECT_EQ(c.face, 3);
  EXPECT_EQ(c.textColour, 3);     // "G" among the first two of the run
  EXPECT_EQ(c.fontSize, 9 + 3 * 2);
  EXPECT_EQ(c.backColour, 16);    // "b"
  EXPECT_EQ(c.attrs & 0x0F, 0x04);  // "I" from the third character: italic
  EXPECT_EQ(c.ruleFlag, 1);
  EXPECT_FALSE(c.rangeStart);     // "<" is the row's, not the column's

  FormatCodes r = Codes("<13#BBh12q3Pp", kRowCodes);
  EXPECT_TRUE(r.rangeStart);
  EXPECT_EQ(r.line[0], '1');
  EXPECT_EQ(r.line[1], '1');
  EXPECT_EQ(r.lineColour[0], 4);
  EXPECT_EQ(r.height, 24);
  EXPECT_EQ(r.ruleSpan, 3);
  EXPECT_EQ(r.mark, 2);

  FormatCodes s = Codes("123", kColumnCodes);  // three digits: span digits, no lines
  EXPECT_EQ(s.span[0], 1);
  EXPECT_EQ(s.span[2], 3);
  EXPECT_FALSE(s.hasLineCodes);

  // "K" in a cell takes the column's attributes away; in a column sets all four.
  FormatCodes k = Codes("%JAK", kCellCodes);
  EXPECT_EQ(k.attrMask & 0x0F, 0x0F);
  EXPECT_EQ(k.attrs & 0x0F, 0);
  FormatCodes kc = Codes("%JAK", kColumnCodes);
  EXPECT_EQ(kc.attrs & 0x0F, 0x0F);
}

TEST(TableWalk, CellsSplitIntoCodesAndText) {
  struct Case {
    const char* cell;
    const char* codes;
    const char* text;
  } cases[] = {
      {"plain", "", "plain"},
      {"^R2^Name", "R2", "Name"},
      {"^R2", "R2", ""},
      {"^^x", "", "x"},
  };
  for (const Case& c : cases) {
    CellSplit s = SplitCell(U8(c.cell), U8(c.cell) + std::strlen(c.cell));
    EXPECT_EQ(std::string(s.codesBegin, s.codesEnd), std::string(c.codes)) << c.cell;
    EXPECT_EQ(std::string(s.textBegin, s.textEnd), std::string(c.text)) << c.cell;
  }
}

TEST(TableWalk, MeasuredWidthsNeverTakeATrailByteForAQuote) {
  const char both[] = "\"ab\"";
  EXPECT_EQ(MeasureCell(U8(both), U8(both) + 4, 115), 2 * 115);
  const char trail[] = "\x83\x22" "x";  // 0x22 after a lead byte is no quote
  EXPECT_EQ(MeasureCell(U8(trail), U8(trail) + 3, 115), 3 * 115);
}

TEST(TableWalk, NumberFormats) {
  struct Case {
    const char* in;
    char letter;
    int digits;
    const char* out;
  } cases[] = {
      {"1234567", 'c', 2, "1,234,567"},
      {"-1234.5", 'c', 2, "-1,234.5"},
      {"1234.5", 'f', 2, "1234.50"},
      {"2.675", 'f', 2, "2.68"},
      {"999.996", 'f', 2, "1000.00"},
      {"-0.004", 'f', 2, "0.00"},
      {"12.5", 'i', 2, "13"},
      {"1234567.4", 'm', 2, "1,234,567"},
      {" 42 ", 'c', 2, " 42 "},
      {"abc", 'c', 2, "abc"},
      {"1.2.3", 'f', 2, "1.2.3"},
      {"-", 'c', 2, "-"},
      {"7", 'g', 2, "7"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ApplyNumberFormat(c.in, c.letter, c.digits), c.out) << c.in << " " << c.letter;
  }
}

TEST(TableWalk, AlignmentAndPadding) {
  CellFormat f;
  f.align = 'V';
  EXPECT_EQ(EffectiveAlign("-1,234.5", f), 'R');
  EXPECT_EQ(EffectiveAlign("12a", f), 'L');
  EXPECT_EQ(EffectiveAlign("", f), 'L');
  CellFormat n;
  n.numFormat = 'c';
  EXPECT_EQ(EffectiveAlign("12", n), 'R');

  struct Case {
    char align;
    int face;
    const char* text;
    int widthChars;
    const char* shown;
  } cases[] = {
      {'R', 0, "ab", 5, "   ab"},
      {'R', 0, "  ab  ", 5, "   ab"},
      {'C', 0, "ab", 6, "  ab"},
      {'L', 0, " ab ", 6, " ab "},
      {'R', 0, "toolongtext", 3, "toolongtext"},
      {'R', 3, "ab", 9, "      ab"},  // proportional: 9 x 8 / 9 = 8 characters
      {'R', 0, "   ", 5, ""},
  };
  for (const Case& c : cases) {
    CellFormat g;
    g.align = static_cast<std::uint8_t>(c.align);
    g.face = c.face;
    EXPECT_EQ(ShownCellText(U8(c.text), U8(c.text) + std::strlen(c.text), g, 115 * c.widthChars, 115, false),
              c.shown)
        << c.text;
  }
  // The ruled display drops the quotes of a quoted cell.
  CellFormat plain;
  const char q[] = "\"a,b\"";
  EXPECT_EQ(ShownCellText(U8(q), U8(q) + 5, plain, 1000, 115, true), "a,b");
  EXPECT_EQ(ShownCellText(U8(q), U8(q) + 5, plain, 1000, 115, false), "\"a,b\"");
  // A padding never passes the blank limit.
  CellFormat wide;
  wide.align = 'R';
  EXPECT_EQ(ShownCellText(U8("x"), U8("x") + 1, wide, 115 * 5000, 115, false).size(), 501u);
}
