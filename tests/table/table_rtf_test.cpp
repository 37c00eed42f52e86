// The rich text of ruled tables, read back paragraph by paragraph.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "table_test_util.h"

using namespace tabletest;

namespace {

std::string Repeat(const std::string& cell, int n) {
  std::vector<std::string> cells(static_cast<std::size_t>(n), cell);
  return Row(cells);
}

// Highlight in effect for each tab of a paragraph (the stretch the tab spans).
std::vector<int> TabHighlights(const RtfPara& p) {
  std::vector<int> h;
  for (const RtfRun& r : p.runs) {
    for (char c : r.text) {
      if (c == '\t') h.push_back(r.highlight);
    }
  }
  return h;
}

}  // namespace

TEST(TableRtf, OneCharacterCellsGiveStopsOfTwoUnitsAndTheGap) {
  struct Case {
    int cmd;
    std::vector<std::string> stops;
  } cases[] = {
      {'N', {"0", "260", "520", "780"}},
      {'D', {"0", "200", "460", "720", "980"}},
      {'T', {"0", "200", "460", "720", "980"}},
      {'d', {"0", "20", "280", "540", "800"}},
  };
  for (const Case& c : cases) {
    Rendered r = Render(Row({"a", "b", "c"}) + Row({"d", "e", "f"}), Cmd(c.cmd));
    ASSERT_EQ(r.result.code, 0);
    const RtfPara* p = r.Para("a");
    ASSERT_NE(p, nullptr) << c.cmd;
    EXPECT_EQ(p->Stops(), c.stops) << static_cast<char>(c.cmd);
    EXPECT_TRUE(p->Has("sl-240"));  // 10 x 21 + 30
    EXPECT_EQ(r.result.fontSize, 21);
  }
}

TEST(TableRtf, FontHeightArgumentSetsTheBaseSize) {
  table::RenderRequest q = Cmd('D');
  q.row = 150;  // 15 pt
  Rendered r = Render(Row({"a", "b"}), q);
  const RtfPara* p = r.Para("a");
  ASSERT_NE(p, nullptr);
  EXPECT_TRUE(p->Has("fs30"));
  EXPECT_TRUE(p->Has("sl-330"));
  // U = 5 x 30 + 10 = 160: one character cells edge at 200 + 160 + 160 + 30.
  EXPECT_EQ(p->Stops()[2], "550");
}

TEST(TableRtf, ThirtyFiveColumnsUseTabsForThirtyAndBlanksAfter) {
  std::vector<std::string> first(35, "x");
  first[0] = "^01^x";
  std::string text = Row(first) + Repeat("y", 35);
  Rendered r = Render(text, Cmd('D'));
  const RtfPara* rule = nullptr;
  for (const RtfPara& p : r.doc.paras) {
    if (p.IsRule()) { rule = &p; break; }
  }
  ASSERT_NE(rule, nullptr);
  // The first tab to the lead-in edge, one per column up to the 30th.
  EXPECT_EQ(rule->Count("tab"), 31);
  std::string t = rule->Text();
  int dots = 0;
  for (std::size_t at = t.find(".."); at != std::string::npos; at = t.find("..", at + 2)) ++dots;
  EXPECT_EQ(dots, 5);
  const RtfPara* row = r.Para("y");
  ASSERT_NE(row, nullptr);
  int marks = 0;
  for (const RtfRun& run : row->runs) marks += run.fs == 2 && run.text == "_";
  EXPECT_EQ(marks, 10);  // two per column past the 30th
  EXPECT_LE(row->Stops().size(), 32u);
}

TEST(TableRtf, BottomLinesGiveRuleParagraphsAndSpansCutThem) {
  struct Case {
    const char* codes;
    int rules;
    std::vector<int> tabs;  // highlight under each tab of the first rule paragraph
  } cases[] = {
      {"^01^", 1, {0, 1, 1, 1, 1, 1}},
      {"^02^", 2, {0, 1, 1, 1, 1, 1}},
      {"^01q2^", 1, {0, 1, 1, 0, 0, 0}},
      {"^01q99999999999^", 1, {0, 1, 1, 1, 1, 1}},  // a span past the columns is all of them
      {"^00^", 0, {}},
  };
  for (const Case& c : cases) {
    std::string text = Row({std::string(c.codes) + "a", "b", "c", "d", "e"}) + Row({"f", "g", "h", "i", "j"});
    Rendered r = Render(text, Cmd('D'));
    EXPECT_EQ(r.RuleCount(), c.rules) << c.codes;
    if (!c.rules) continue;
    // The rule paragraphs follow the row and touch each other.
    std::size_t at = 0;
    while (at < r.doc.paras.size() && r.doc.paras[at].Text().find('a') == std::string::npos) ++at;
    for (int k = 1; k <= c.rules; ++k) {
      ASSERT_LT(at + static_cast<std::size_t>(k), r.doc.paras.size());
      EXPECT_TRUE(r.doc.paras[at + static_cast<std::size_t>(k)].Has("sl-20")) << c.codes;
    }
    EXPECT_EQ(TabHighlights(r.doc.paras[at + 1]), c.tabs) << c.codes;
  }
}

TEST(TableRtf, RowHeightsFollowTheCodes) {
  struct Case {
    const char* first;
    const char* spacing;
  } cases[] = {
      {"a", "sl-240"},           // 10 x H + 30 with H = 21
      {"^h20^a", "sl-430"},      // R = 40
      {"^E^a", "sl-1"},          // R = 0: a hidden row
      {"^h0^a", "sl-1"},
      {"^D^a", "sl-80"},         // R = 5
      {"^h99999999999^a", "sl-200030"},  // saturated: R = 20000
  };
  for (const Case& c : cases) {
    Rendered r = Render(Row({c.first, "b"}), Cmd('D'));
    const RtfPara* p = r.Para("a");
    ASSERT_NE(p, nullptr) << c.first;
    EXPECT_TRUE(p->Has(c.spacing)) << c.first;
  }
  // A cell code "P" sets the row's height too.
  Rendered r = Render(Row({"a", "^P30^b"}), Cmd('D'));
  EXPECT_TRUE(r.Para("a")->Has("sl-630"));
}

TEST(TableRtf, BlankCellsGetNoUnderline) {
  std::string text = Row({"^<%J2U^t1", "^%J2U^t2"}) + Row({"x", "   "}) + Row({"   ", "y"});
  Rendered r = Render(text, Cmd('D'));
  const RtfPara* x = r.Para("x");
  ASSERT_NE(x, nullptr);
  EXPECT_EQ(x->Count("ul"), 1);
  const RtfPara* y = r.Para("y");
  ASSERT_NE(y, nullptr);
  EXPECT_EQ(y->Count("ul"), 1);
}

TEST(TableRtf, PageMarksOfBlockLines) {
  std::string lead;
  for (int i = 0; i < 6; ++i) lead += Row({"r" + std::to_string(i), "v"});
  struct Case {
    std::string text;
    int editMode;
    int pages;
  } cases[] = {
      // "!*" before the "<" row (past row 5): a page mark.
      {Row({"!*x"}) + lead + Row({"^<^t", "u"}) + Row({"d", "e"}), 0, 1},
      {Row({"!*x"}) + lead + Row({"^<^t", "u"}) + Row({"d", "e"}), 3, 1},
      // "!*" after the "<" row: none.
      {lead + Row({"^<^t", "u"}) + Row({"d", "e"}) + Row({"!*x"}) + Row({"d", "e"}), 0, 0},
      // The "<" row not past row 5: none.
      {Row({"!*x"}) + Row({"^<^t", "u"}) + Row({"d", "e"}), 0, 0},
  };
  for (const Case& c : cases) {
    table::RenderRequest q = Cmd('D');
    q.editMode = c.editMode;
    Rendered r = Render(c.text, q);
    int pages = 0;
    for (const RtfPara& p : r.doc.paras) pages += p.Count("page");
    EXPECT_EQ(pages, c.pages) << c.text;
    EXPECT_EQ(r.rtf.find("!*x"), std::string::npos);  // the block line is never row text
  }
}

TEST(TableRtf, MarkParagraphsRaiseLastRowOutsideTheRuledDisplay) {
  std::string text = Row({"a", "b"}) + Row({"^P^c", "d"}) + Row({"^p^e", "f"});
  for (int mode : {0, 3}) {
    csv::Table t;
    ASSERT_TRUE(t.Assign(text.data(), text.size(), 16));
    std::int32_t before = t.m_nLastRow;
    table::RenderRequest q = Cmd('D');
    q.editMode = mode;
    Rendered r = RenderTable(t, q);
    EXPECT_EQ(r.rtf.find("\\ ~~ \\par") != std::string::npos, true);
    EXPECT_NE(r.rtf.find("\\tab\\ ~~ \\par"), std::string::npos);
    EXPECT_EQ(t.m_nLastRow - before, mode == 3 ? 0 : 2);
    EXPECT_EQ(r.result.lastRowIncrement, mode == 3 ? 0 : 2);
  }
}

TEST(TableRtf, ColourLettersGiveTableIndexes) {
  struct Case {
    const char* codes;
    const char* word;
  } cases[] = {
      {"^<%R^t", "cf2"},      // red text
      {"^<%D^t", "cf13"},     // real black
      {"^<%Ay^t", "highlight17"},  // pale yellow background
      {"^<%Cy^t", "cf17"},    // the user colour with a background takes the background's
      {"^<%C^t", "cf26"},
  };
  for (const Case& c : cases) {
    Rendered r = Render(Row({c.codes, "u"}) + Row({"v", "w"}), Cmd('D'));
    const RtfPara* p = r.Para("v");
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(p->Has(c.word)) << c.codes;
  }
  // Entry 26 of the colour table is the user colour (0x00BBGGRR).
  table::RenderRequest q = Cmd('D');
  q.userColour = 0x00336699;
  Rendered r = Render(Row({"a"}), q);
  EXPECT_NE(r.rtf.find("\\red1\\green0\\blue0;"), std::string::npos);
  EXPECT_NE(r.rtf.find("\\red153\\green102\\blue51;}"), std::string::npos);
}

TEST(TableRtf, EscapesOfLeadBytesAndBraces) {
  std::string text = Row({"\x83\x5c{x}\\", "\xe0\x40"});
  Rendered r = Render(text, Cmd('D'));
  EXPECT_NE(r.rtf.find("\\'83\\'5c\\{x\\}\\\\"), std::string::npos);
  EXPECT_NE(r.rtf.find("\\'e0\\'40"), std::string::npos);
  // The set with 0x80: a 0x80 lead byte takes the byte after it.
  Rendered r2 = Render(Row({"\x80\x7b"}), Cmd('D'));
  EXPECT_NE(r2.rtf.find("\\'80\\'7b"), std::string::npos);
  EXPECT_TRUE(r2.doc.balanced);
  EXPECT_EQ(r2.doc.depthAtEnd, 0);
}

TEST(TableRtf, InCellBreakStaysInsideItsRow) {
  Rendered r = Render(Row({"a\x0e" "b", "c\x7f\x0e" "d"}) + Row({"e", "f"}), Cmd('D'));
  const RtfPara* p = r.Para("a");
  ASSERT_NE(p, nullptr);
  std::string t = p->Text();
  EXPECT_NE(t.find("a\x0e" "b"), std::string::npos);
  EXPECT_NE(t.find("c\x7f\x0e" "d"), std::string::npos);
  EXPECT_EQ(p->Text().find('e'), std::string::npos);
}

TEST(TableRtf, ParagraphMapListsTheSourceRowOfEveryParagraph) {
  std::string text = Row({"a", "b"}) + Row({"^12P^c", "d"}) + Row({"e", "f"});
  Rendered r = Render(text, Cmd('D'));
  // The opening paragraph, row 0, the mark, the rule above row 1, row 1, the
  // thick rule below it (two), row 2.
  std::vector<std::uint32_t> want = {0, 0, 1, 1, 1, 1, 1, 2};
  ASSERT_EQ(r.result.paragraphs, want.size());
  std::vector<std::uint32_t> got(r.map.begin(), r.map.begin() + static_cast<std::ptrdiff_t>(want.size()));
  EXPECT_EQ(got, want);
  EXPECT_EQ(r.map[want.size()], 0xFFFFFFFFu);
  // Every paragraph of the text but the closing one is in the map.
  EXPECT_EQ(r.doc.paras.size(), want.size() + 1);
  // A map too small is filled while there is room.
  csv::Table t;
  ASSERT_TRUE(t.Assign(text.data(), text.size(), 16));
  std::uint32_t small[3] = {7, 7, 7};
  table::RenderRequest q = Cmd('D');
  q.paraRowMap = small;
  q.paraRowMapSize = 2;
  OutputBlock b;
  table::RenderResult res = table::RebuildTable(t, b.out, q);
  EXPECT_EQ(res.paragraphs, want.size());
  EXPECT_EQ(small[2], 7u);
}

TEST(TableRtf, ColumnEdgesAndMaxColumns) {
  Rendered r = Render(Row({"a", "bb", "c"}) + Row({"d", "e", "f"}), Cmd('D'));
  EXPECT_EQ(r.result.maxColumns, 3);
  EXPECT_EQ(r.edges[0], 0);
  EXPECT_EQ(r.edges[1], 200);
  EXPECT_EQ(r.edges[2], 460);
  EXPECT_EQ(r.edges[3], 835);  // 460 + 115 + 230 + 30
  EXPECT_EQ(r.edges[31], 115);  // from 31 on: W[c]
}

TEST(TableRtf, RightAlignmentPadsToTheColumnWidth) {
  std::string text = Row({"^<R^t", "^w6^u"}) + Row({"12", "x"}) + Row({"123456", "y"});
  Rendered r = Render(text, Cmd('D'));
  const RtfPara* p = r.Para("12");
  ASSERT_NE(p, nullptr);
  // Width 6 characters (content) - 2: four blanks before the number.
  bool found = false;
  for (const RtfRun& run : p->runs) found = found || run.text.find("12") != std::string::npos;
  ASSERT_TRUE(found);
  for (const RtfRun& run : p->runs) {
    if (run.text.find("12") != std::string::npos) {
      EXPECT_EQ(run.text, "     12\t");  // one blank + four
    }
  }
}

TEST(TableRtf, VerticalPositionInTallRows) {
  std::string text = Row({"^<h30^t", "^T^u", "^M^v"}) + Row({"^h30^a", "b", "c"});
  Rendered r = Render(text, Cmd('D'));
  const RtfPara* p = r.Para("a");
  ASSERT_NE(p, nullptr);
  EXPECT_TRUE(p->Has("up36"));  // 60 - 21 - 3
  EXPECT_TRUE(p->Has("up16"));  // (60 - 21) / 2 - 3
}

TEST(TableRtf, SimpleFormAndBlocks) {
  std::string text = Row({"a", "b"}) + Row({"c", "d"}) + Row({"!*"}) + Row({"XLxW3", ""}) + Row({"e", "f"}) +
                     Row({"g", "h"});
  Rendered r = Render(text, Cmd('N'));
  EXPECT_NE(r.rtf.find("\\tab\\highlight1\\fs2  \\highlight0\\fs21  "), std::string::npos);
  // The second block has its own default width: 3 characters.
  const RtfPara* e = r.Para("e");
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->Stops()[1], std::to_string(115 + 345 + 30));
  EXPECT_EQ(r.rtf.find("XLx"), std::string::npos);
}

TEST(TableRtf, ColourMarkersSwitchTheTextColourInTheirColumn) {
  char markers[] = "*# ";
  char codes[] = "RB";
  table::RenderRequest q = Cmd('D');
  q.colourBarColumn = 2;
  q.colourBarChars = markers;
  q.colourBarCodes = codes;
  Rendered r = Render(Row({"a*", "x*y#z w"}), q);
  const RtfPara* p = r.Para("x");
  ASSERT_NE(p, nullptr);
  EXPECT_NE(r.rtf.find("x\\cf2 *y\\cf4 #z\\cf0  w"), std::string::npos) << r.rtf;
  EXPECT_NE(r.rtf.find("a*"), std::string::npos);  // other columns keep their markers as text
}

TEST(TableRtf, LineGlyphsOfCellsFollowTheirLineCodes) {
  // Column 2 thick left line, column 3 no line, a cell with its own line
  // codes, a row outside the table range.
  std::string text = Row({"a", "b", "c"}) + Row({"^<^t", "^2^u", "^0^v"}) + Row({"d", "e", "^1^f"}) +
                     Row({"g", "h", "i"});
  Rendered r = Render(text, Cmd('D'));
  const RtfPara* d = r.Para("d");
  ASSERT_NE(d, nullptr);
  std::string raw = r.rtf.substr(r.rtf.find("\\tab\\highlight1\\fs2  "));  // the first row
  EXPECT_NE(r.rtf.find("\\highlight1\\fs2  .\\cf0\\highlight0\\f0\\fs21  \\up0 h"), std::string::npos);  // thick
  EXPECT_NE(r.rtf.find("\\highlight0\\fs2  \\cf0\\highlight0\\f0\\fs21  \\up0 i"), std::string::npos);  // no line
  EXPECT_NE(r.rtf.find("\\highlight1\\fs2 .\\cf0\\highlight0\\f0\\fs21  \\up0 f"), std::string::npos);  // own codes
  // The row before "<" lies outside the table range: its first cell's glyph is ".".
  EXPECT_EQ(raw.compare(0, 20, "\\tab\\highlight1\\fs2 "), 0);
  const RtfPara* a = r.Para("a");
  ASSERT_NE(a, nullptr);
  bool dotBeforeA = false;
  for (std::size_t i = 0; i + 1 < a->runs.size(); ++i) {
    if (a->runs[i].fs == 2 && a->runs[i].text == ".") dotBeforeA = true;
  }
  EXPECT_TRUE(dotBeforeA);
}

TEST(TableRtf, CellFormatterFormHasNoGlyphAndNoTrailingTab) {
  Rendered r = Render(Row({"a", "b", "c"}), Cmd('d'));
  const RtfPara* p = r.Para("a");
  ASSERT_NE(p, nullptr);
  std::string t = p->Text();
  EXPECT_EQ(std::count(t.begin(), t.end(), '\t'), 3);  // the first tab and one between cells
  EXPECT_EQ(t.back(), 'c');
}
