// The grid table of selected lines, read back with a small grid reader:
// rows, edges, heights, underline words and cell texts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "grid_tokens.h"
#include "table/table_grid.h"

using namespace tabletest;

namespace {

GridDoc Grid(const std::vector<std::string>& lines, int size = 24) {
  std::vector<table::GridLine> g;
  for (const std::string& l : lines) g.push_back(table::GridLineFromText(l));
  const std::string rtf = table::WriteGridTable(g, size);
  GridDoc d = ParseGrid(rtf);
  EXPECT_TRUE(d.balanced) << rtf;
  EXPECT_EQ(d.depthAtEnd, 0) << rtf;
  EXPECT_EQ(d.textOutsideRows, "") << rtf;
  return d;
}

std::vector<std::string> Texts(const GridRow& r) {
  std::vector<std::string> t;
  for (const GridCell& c : r.cells) t.push_back(c.text);
  return t;
}

}  // namespace

TEST(TableGrid, ThreeLinesGiveTwoTextRowsAroundAThinUnderlinedRule) {
  GridDoc d = Grid({"a|b", "-", "c|d"});
  ASSERT_EQ(d.rows.size(), 3u);
  EXPECT_EQ(Texts(d.rows[0]), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(Texts(d.rows[2]), (std::vector<std::string>{"c", "d"}));
  // The rule: 20 twips, two underlined cells under the columns of "a|b".
  const GridRow& rule = d.rows[1];
  EXPECT_EQ(rule.sl, -20);
  EXPECT_TRUE(rule.HasWord("intbl"));
  ASSERT_EQ(rule.cells.size(), 2u);
  for (const GridCell& c : rule.cells) EXPECT_EQ(c.Underline(), "ul");
  EXPECT_EQ(rule.cellx, d.rows[0].cellx);
  // The first and last rows carry the assumed '-': their cells are underlined.
  for (int r : {0, 2}) {
    EXPECT_EQ(d.rows[r].sl, -270) << r;  // 10 twips a half-point + 30
    for (const GridCell& c : d.rows[r].cells) EXPECT_EQ(c.Underline(), "ul") << r;
  }
  EXPECT_TRUE(d.rows[0].HasWord("trgaph-20"));
  EXPECT_TRUE(d.rows[1].HasWord("trgaph-5"));
  // The shapes the view sets the heights from again match the rows written.
  std::vector<table::GridRowShape> shapes;
  table::WriteGridTable({table::GridLineFromText("a|b"), table::GridLineFromText("-"), table::GridLineFromText("c|d|e")},
                        24, &shapes);
  ASSERT_EQ(shapes.size(), 3u);
  EXPECT_EQ(shapes[0].cells, 2);
  EXPECT_EQ(shapes[0].twips, 270);
  EXPECT_EQ(shapes[1].cells, 2);
  EXPECT_EQ(shapes[1].twips, 20);
  EXPECT_EQ(shapes[2].cells, 3);
}

TEST(TableGrid, EachMarkGivesItsUnderlineWord) {
  struct Case {
    char mark;
    const char* word;  // "" for a separating row
    const char* raise;
  };
  const Case cases[] = {
      {'~', "", ""},         {'-', "ul", "up2"},     {'=', "ulth", "up3"},  {':', "uld", "up2"},
      {';', "uldash", "up2"}, {'!', "uldashd", "up2"}, {'^', "ulwave", "up2"}, {'+', "ul", "up2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mark);
    GridDoc d = Grid({"x|y|z", std::string(5, c.mark), "1|2|3"});
    ASSERT_EQ(d.rows.size(), 3u);
    const GridRow& rule = d.rows[1];
    EXPECT_EQ(rule.sl, -20);
    ASSERT_EQ(rule.cells.size(), 3u);
    for (const GridCell& cell : rule.cells) {
      EXPECT_EQ(cell.Underline(), c.word);
      if (*c.raise) {
        EXPECT_TRUE(cell.Has(c.raise));
        EXPECT_TRUE(cell.Has("up0"));
        EXPECT_TRUE(cell.Has("ulnone"));
      }
    }
  }
}

TEST(TableGrid, LineMarks) {
  struct Case {
    const char* line;
    int kind;
  };
  const Case cases[] = {
      {"-", 2},        {"=====", 3},     {"---|---", 2},  {"-|", 2},      {"|-|-|", 2},    {"\t=\t=", 3},
      {"+---+---+", 8}, {"~", 1},         {"-5|10", 0},    {"a|b", 0},     {"", 0},         {"|", 0},
      {"~|x", 0},      {"x-", 0},        {"|a|b", 0},     {"^\t^", 7},    {"!", 6},        {";|:", 5},
  };
  for (const Case& c : cases) EXPECT_EQ(table::GridLineMark(c.line), c.kind) << '"' << c.line << '"';
}

TEST(TableGrid, CellTextsAreEscapedAndComeBackWhole) {
  const std::vector<std::string> cells = {
      "{x}",            // braces would open and close groups
      "a\\b}",          // a backslash and an unmatched brace
      "\x82\xa0\x82\xa2",  // two double-byte characters
      "\x83\x7c",       // a double-byte character whose second byte is '|'
      "\xf0\x7c\xf9\x5c",  // lead bytes 0xF0-0xF9 with '|' and '\' after them
      "\xa6\xb1",       // half-width katakana
  };
  std::string line;
  for (std::size_t i = 0; i < cells.size(); ++i) line += (i ? "|" : "") + cells[i];
  GridDoc d = Grid({"-", line, "-"});
  ASSERT_EQ(d.rows.size(), 3u);
  EXPECT_EQ(Texts(d.rows[1]), cells);
  // An unmatched brace of a cell never reaches the rich text unescaped.
  const std::string rtf = table::WriteGridTable({table::GridLineFromText("}")}, 24);
  EXPECT_NE(rtf.find("\\}"), std::string::npos);
  EXPECT_EQ(ParseGrid(rtf).depthAtEnd, 0);
}

TEST(TableGrid, HeaderSizeIsWrittenWhole) {
  struct Case {
    int size;
    long written;
  };
  const Case cases[] = {{24, 24}, {100, 100}, {9, 9}, {1000, 1000}, {0, 24}, {-5, 24}, {5000, 24}};
  for (const Case& c : cases) {
    GridDoc d = Grid({"a|b"}, c.size);
    EXPECT_EQ(d.headerFs, c.written) << c.size;
  }
  // The default row height follows the size.
  EXPECT_EQ(Grid({"a|b"}, 100).rows[0].sl, -1030);
}

TEST(TableGrid, CellEdgesComeFromSeparatorPixels) {
  struct Case {
    const char* text;
    std::vector<int> pixels;
    std::vector<long> cellx;
  };
  const Case cases[] = {
      {"ab|cd", {16, 40}, {390, 750}},
      {"a|b|c", {10, 10, 10}, {300, 360, 420}},  // narrowest cell kept
      {"x", {-20}, {150}},                       // no negative edge
      {"a|b", {7}, {270, 510}},                  // wrong count: 8 pixels a character
  };
  for (const Case& c : cases) {
    table::GridLine g;
    g.text = c.text;
    g.edgePixels = c.pixels;
    GridDoc d = ParseGrid(table::WriteGridTable({g}, 24));
    ASSERT_EQ(d.rows.size(), 1u);
    EXPECT_EQ(d.rows[0].cellx, c.cellx) << c.text;
  }
}

TEST(TableGrid, AssumedRuleOnlyOnUnmarkedEnds) {
  GridDoc d = Grid({"-", "a|b", "c|d", "="});
  ASSERT_EQ(d.rows.size(), 4u);
  EXPECT_EQ(d.rows[1].cells[0].Underline(), "");
  EXPECT_EQ(d.rows[2].cells[0].Underline(), "");
  EXPECT_EQ(d.rows[3].cells[0].Underline(), "ulth");
  // A rule with no text row takes its own cells; TAB separates as '|' does.
  GridDoc only = Grid({"-\t-\t-"});
  ASSERT_EQ(only.rows.size(), 1u);
  EXPECT_EQ(only.rows[0].cells.size(), 3u);
}

TEST(TableGrid, ParagraphSpacingAndLineLimit) {
  std::vector<table::GridLine> g = {table::GridLineFromText("a|b", 8, 400), table::GridLineFromText("c|d", 8, 30)};
  g.push_back(table::GridLine());
  g.back().text = std::string(5000, 'x') + "|y";
  GridDoc d = ParseGrid(table::WriteGridTable(g, 24));
  ASSERT_EQ(d.rows.size(), 3u);
  EXPECT_EQ(d.rows[0].sl, -400);
  EXPECT_EQ(d.rows[1].sl, -270);  // a thin spacing on a text row is not kept
  ASSERT_EQ(d.rows[2].cells.size(), 1u);  // the separator lies past the limit
  EXPECT_EQ(d.rows[2].cells[0].text.size(), table::kGridLineLimit);
}
