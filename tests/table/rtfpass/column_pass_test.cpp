// The column pass (insert, remove, split, join) and its cell scanner, on
// ruled tables written in two forms: the program's own RTF, and the form
// the rich-edit control streams out under Wine (a blank after "\tab",
// "\lang1041\f0" between the words, "\pard" only where the format changes,
// its own header groups). Results are compared as structure: stops,
// spacing, and per TAB the glyph and the cell text.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "table/rtfpass/column_pass.h"
#include "tests/table/rtfpass/column_tokens.h"
#ifndef _WIN32
#include <filesystem>
#include <fstream>

#include "support/outside_tool.h"
#endif

namespace {

using table::rtfpass::CellScan;
using table::rtfpass::PassArgs;
using table::rtfpass::PassError;
using table::rtfpass::PassFacts;
using table::rtfpass::PassResult;
using table::rtfpass::RewriteColumns;
using table::rtfpass::RtfScanCellText;

enum class Form { kOwn, kWine };

struct Row {
  std::vector<std::string> cells;  // cell texts (bytes; 0x80 and up are written "\'xx")
  std::vector<long> stops;         // empty: the table's stops
};

struct Table {
  std::vector<Row> rows;
  std::vector<long> stops;
  int tabCells = 30;    // cells on stops; the later ones are dotted
  int dottedWidth = 6;  // blanks a dotted cell is padded to
  bool rules = false;   // a 1-point rule paragraph above every row
};

std::string Escaped(const std::string& t) {
  static const char kHex[] = "0123456789abcdef";
  std::string o;
  for (unsigned char b : t) {
    if (b >= 0x80) {
      o += "\\'";
      o += kHex[b >> 4];
      o += kHex[b & 15];
    } else {
      o += static_cast<char>(b);
    }
  }
  return o;
}

std::string StopWords(const std::vector<long>& stops) {
  std::string s;
  for (long t : stops) s += "\\tx" + std::to_string(t);
  return s;
}

// A rule paragraph: a highlighted 1-point blank after every TAB.
std::string RuleRow(const Table& t, std::size_t cells, Form f) {
  const bool wine = f == Form::kWine;
  std::string s = wine ? "\\pard\\sl-20\\slmult1" : "\\pard\\sl-20\\slmult0";
  s += StopWords(t.stops) + (wine ? "\\lang1041\\f0" : "");
  for (std::size_t j = 0; j <= cells && static_cast<int>(j) <= t.tabCells; ++j)
    s += wine ? "\\tab \\highlight1\\fs2  " : "\\tab\\highlight1\\fs2  ";
  s += wine ? "\\highlight0\\par\r\n" : "\\highlight0\\par\n";
  return s;
}

std::string Build(const Table& t, Form f) {
  const bool wine = f == Form::kWine;
  std::string s = wine ? "{\\rtf1\\ansi\\ansicpg932\\deff0\\uc1\\deflang1041{\\fonttbl{\\f0\\fswiss\\fcharset128 "
                         "\\'82\\'6c\\'82\\'72;}}\r\n{\\colortbl;\\red1\\green0\\blue0;}\r\n"
                         "{\\*\\generator Wine riched20 2.0;}\r\n"
                       : "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fmodern\\fcharset128 \\'82\\'6c\\'82\\'72;}}\n"
                         "{\\colortbl ;\\red1\\green0\\blue0;}\n";
  const std::vector<long>* last = nullptr;
  for (const Row& r : t.rows) {
    const std::vector<long>& stops = r.stops.empty() ? t.stops : r.stops;
    if (t.rules) {
      s += RuleRow(t, r.cells.size(), f);
      last = nullptr;
    }
    if (!wine || last == nullptr || *last != stops) {
      s += wine ? "\\pard\\sl-240\\slmult1" + StopWords(stops) + "\\lang1041\\f0\\fs21\\cf1 "
                : "\\pard\\sl-240\\slmult0" + StopWords(stops) + "\\cf1\\lang1041\\f0\\fs21 ";
    } else {
      s += "\\lang1041\\f0 ";
    }
    last = &stops;
    for (std::size_t j = 0; j < r.cells.size(); ++j) {
      const bool dotted = static_cast<int>(j) >= t.tabCells;
      if (j == 0) s += wine ? "\\tab " : "\\tab";
      if (dotted) {
        s += wine ? "\\highlight1\\fs2 _\\highlight0 _\\fs21 " : "\\highlight1\\fs2 _\\highlight0\\fs2 _\\cf0\\f0\\fs21 ";
        std::string text = r.cells[j];
        if (static_cast<int>(text.size()) < t.dottedWidth) text.append(t.dottedWidth - text.size(), ' ');
        s += Escaped(text) + " ";
      } else {
        s += wine ? "\\lang1041\\f0\\highlight1\\fs2 .\\lang1041\\f0\\highlight0\\fs21 "
                  : "\\highlight1\\fs2 .\\cf0\\highlight0\\f0\\fs21 ";
        s += Escaped(r.cells[j]) + (wine ? "\\tab " : "\\tab");
      }
    }
    s += wine ? "\\highlight0\\par\r\n" : "\\highlight0\\par\n";
  }
  s += wine ? "\\pard\\sl-240\\slmult1\\lang1041\\f0\\fs21 \\par\r\n}" : "\\pard\\sl-240\\fs21 \\par\n}";
  return s;
}

// Stops 0, 200 and one 800 twips further for each cell on a stop.
std::vector<long> EvenStops(int cells) {
  std::vector<long> s{0, 200};
  for (int j = 0; j < cells && j < 30; ++j) s.push_back(200 + 800L * (j + 1));
  return s;
}

Table ThreeColumns() {
  Table t;
  t.stops = EvenStops(3);
  t.rows = {{{"A1", "B1", "C1"}, {}}, {{"A2", "B2", "C2"}, {}}};
  return t;
}

// 35 cells: c0..c29 on stops, d30..d34 dotted.
Table WideTable(int rows = 2) {
  Table t;
  t.stops = EvenStops(35);
  for (int r = 0; r < rows; ++r) {
    Row row;
    for (int j = 0; j < 35; ++j) row.cells.push_back((j < 30 ? "c" : "d") + std::to_string(j));
    t.rows.push_back(row);
  }
  return t;
}

PassResult Rewrite(const std::string& rtf, int cmd, int column, PassFacts facts = {}, PassArgs args = {}) {
  args.command = cmd;
  args.column = column;
  return RewriteColumns(rtf, args, facts, rtf.size() * 4 + 100000);
}

// The table rows of a tokenized block (the closing paragraph left out).
std::vector<coltest::Para> Rows(const std::string& rtf) {
  std::vector<coltest::Para> p = coltest::Tokenize(rtf);
  if (!p.empty()) p.pop_back();
  return p;
}

using Rowset = std::vector<coltest::Para>;
using Texts = std::vector<std::string>;
using Stops = std::vector<long>;

// Runs the command on both forms of the table and hands the rows on.
template <typename F>
void OnBothForms(const Table& t, int cmd, int column, F check, PassFacts facts = {}, PassArgs args = {}) {
  for (Form f : {Form::kOwn, Form::kWine}) {
    SCOPED_TRACE(f == Form::kOwn ? "own form" : "Wine form");
    const PassResult r = Rewrite(Build(t, f), cmd, column, facts, args);
    ASSERT_TRUE(r.changed);
    const Rowset rows = Rows(r.rtf);
    SCOPED_TRACE(coltest::Show(rows));
    check(rows);
  }
}

Table SplitTable(const std::string& b) {
  Table t = ThreeColumns();
  t.rows = {{{"A1", b, "C1"}, {}}};
  return t;
}

PassFacts Caret(int offset) {
  PassFacts f;
  f.caretOffset = offset;
  return f;
}

PassArgs AtCaret() {
  PassArgs a;
  a.count = 1;
  return a;
}

constexpr long kStep = 21 * 5 + 10;  // the character step of size 21

// ---------------------------------------------------------------------------
// Removing, inserting, splitting, joining.

TEST(ColumnPass, RemoveDropsOneCellAndOneTabAndMovesLaterStops) {
  Table three;  // the lead-in and two cells: three columns
  three.stops = EvenStops(2);
  three.rows = {{{"A", "B"}, {}}};
  OnBothForms(three, 'R', 3, [](const Rowset& r) {
    EXPECT_EQ(r[0].stops, (Stops{0, 200, 1000}));
    EXPECT_EQ(r[0].Texts(), (Texts{"", "A", ""}));
  });
  Table t = ThreeColumns();
  t.stops.push_back(500);  // a stop left of the removed width goes to 0, not below
  OnBothForms(t, 'R', 3, [](const Rowset& r) {
    EXPECT_EQ(r[1].stops, (Stops{0, 200, 1000, 1800, 0}));
    EXPECT_EQ(r[1].Texts(), (Texts{"", "A2", "C2", ""}));
    EXPECT_EQ(r[1].cells[2].glyph, ".");  // the removed cell's right rule stays
  });
  OnBothForms(ThreeColumns(), 'R', 2, [](const Rowset& r) {
    EXPECT_EQ(r[0].stops, (Stops{0, 200, 1000, 1800}));
    EXPECT_EQ(r[0].Texts(), (Texts{"", "B1", "C1", ""}));
    EXPECT_EQ(r[0].cells[1].glyph, ".");  // the table's left rule stays
  });
}

TEST(ColumnPass, InsertOnColumnFourAddsAnEmptyColumnAsWideAsTheThird) {
  OnBothForms(ThreeColumns(), 'E', 4, [](const Rowset& r) {
    EXPECT_EQ(r[1].stops, (Stops{0, 200, 1000, 1800, 2600, 3400}));
    EXPECT_EQ(r[1].Texts(), (Texts{"", "A2", "B2", " ", "C2", ""}));
    EXPECT_EQ(r[1].cells[3].glyph, ".");  // the boundary's visible rule
    EXPECT_EQ(r[1].cells[3].glyphHighlight, 1);
  });
  // After a rule in the cell's own highlight the new one is invisible too.
  std::string rtf = Build(ThreeColumns(), Form::kOwn);
  const std::string rule = "\\tab\\highlight1\\fs2 .\\cf0\\highlight0\\f0\\fs21 B1";
  rtf.replace(rtf.find(rule), rule.size(), "\\tab\\highlight0\\fs2 __\\cf0\\highlight0\\f0\\fs21 B1");
  const Rowset r = Rows(Rewrite(rtf, 'E', 4).rtf);
  EXPECT_EQ(r[0].cells[3].glyph, "..");
  EXPECT_EQ(r[0].cells[3].glyphHighlight, 0);
  EXPECT_EQ(r[1].cells[3].glyph, ".");
}

TEST(ColumnPass, InsertInTheFirstColumnUsesTheFirstColumnForms) {
  Table t = ThreeColumns();
  t.rules = true;
  for (Form f : {Form::kOwn, Form::kWine}) {
    const Rowset ps = coltest::Tokenize(Rewrite(Build(t, f), 'E', 2).rtf);
    SCOPED_TRACE(coltest::Show(ps));
    EXPECT_EQ(ps[0].Tabs(), 5);                  // the rule paragraph gets its TAB
    EXPECT_EQ(ps[1].Texts()[1], "A ");           // a blank first, split after one character
    EXPECT_EQ(ps[1].cells[2].text, " 1");
  }
}

TEST(ColumnPass, SplitAfterThreeCharacters) {
  OnBothForms(SplitTable("abcdefgh"), 'I', 3, [](const Rowset& r) {
    EXPECT_EQ(r[0].stops, (Stops{0, 200, 1000, 1000 + 3 * kStep + 50, 2100, 2900}));
    EXPECT_EQ(r[0].Texts(), (Texts{"", "A1", "abc", " defgh", "C1", ""}));
  }, Caret(3), AtCaret());
  const Stops noShift{0, 200, 1000, 1000 + 3 * kStep - 10, 1800, 2600};
  OnBothForms(SplitTable("abcdefgh"), 'i', 3, [&](const Rowset& r) { EXPECT_EQ(r[0].stops, noShift); },
              Caret(3), AtCaret());
  PassArgs flagged = AtCaret();
  flagged.noShift = true;  // 'I' with the flag is 'i'
  EXPECT_EQ(Rows(Rewrite(Build(SplitTable("abcdefgh"), Form::kOwn), 'I', 3, Caret(3), flagged).rtf)[0].stops, noShift);
}

TEST(ColumnPass, SplitCountFromTheStatementIsClampedToTheScannerLimit) {
  const std::string rtf = Build(SplitTable(std::string(1200, 'x')), Form::kOwn);
  struct Case {
    int atr;
    std::size_t chars;
  } cases[] = {{-1, 8}, {0, 8}, {2, 4}, {6, 8}, {2000000000, 900}};
  for (const Case& c : cases) {
    PassFacts facts;
    facts.atrSplit = c.atr;
    const Rowset r = Rows(Rewrite(rtf, 'I', 3, facts).rtf);
    EXPECT_EQ(r[0].cells[2].text.size(), c.chars) << c.atr;
    EXPECT_EQ(r[0].stops[3], 1000 + static_cast<long>(c.chars) * kStep + 50) << c.atr;
  }
}

TEST(ColumnPass, SplitNeverCutsADoubleByteCharacter) {
  struct Case {
    std::string cell;
    int caret;
    std::string first;
  } cases[] = {
      {"\x82\xa0\x82\xa2xyz", 1, "\x82\xa0"},          // the split falls inside a pair
      {"\x82\xa0\x82\xa2xyz", 2, "\x82\xa0"},          // ... or right after it
      {"\x82\xa0\x82\xa2xyz", 3, "\x82\xa0\x82\xa2"},
      {"\x81@xyz", 1, "\x81@"},                        // escaped lead byte, plain trail byte
      {"a\x83\x8e" "b", 2, "a\x83\x8e"},               // a trail byte with a lead-like digit
  };
  for (const Case& c : cases) {
    OnBothForms(SplitTable(c.cell), 'I', 3, [&](const Rowset& r) {
      EXPECT_EQ(r[0].cells[2].text, c.first) << c.caret;
      EXPECT_EQ(r[0].cells[2].text + r[0].cells[3].text.substr(1), c.cell);
    }, Caret(c.caret), AtCaret());
  }
}

TEST(ColumnPass, JoinMakesOneCellOfTwo) {
  OnBothForms(ThreeColumns(), 'U', 3, [](const Rowset& r) {
    EXPECT_EQ(r[0].stops, (Stops{0, 200, 1800, 2600}));
    EXPECT_EQ(r[0].Texts(), (Texts{"", "A1B1", "C1", ""}));
  });
}

TEST(ColumnPass, RowOutOfLineIsCopiedUnchanged) {
  Table t = ThreeColumns();
  t.rows.push_back({{"A3", "B3", "C3"}, {0, 200, 1200, 2000, 2800}});  // 200 twips off
  t.rows.push_back({{"A4", "B4", "C4"}, {0, 200, 1100, 1900, 2700}});  // 100 twips off: in line
  for (Form f : {Form::kOwn, Form::kWine}) {
    const Rowset before = Rows(Build(t, f));
    for (int cmd : {'R', 'U'}) {
      const Rowset r = Rows(Rewrite(Build(t, f), cmd, cmd == 'R' ? 3 : 4).rtf);
      EXPECT_FALSE(r[0] == before[0]);
      EXPECT_TRUE(r[2] == before[2]) << char(cmd) << "\n" << coltest::Show(r);
      EXPECT_FALSE(r[3] == before[3]);
    }
  }
}

// ---------------------------------------------------------------------------
// The 31st boundary (35 columns: c0..c29 on stops, d30..d34 dotted).

TEST(ColumnPass, RemovingColumn31TurnsTheFirstDottedCellIntoATabCell) {
  OnBothForms(WideTable(), 'R', 31, [](const Rowset& r) {
    const coltest::Para& p = r[0];
    EXPECT_EQ(p.Tabs(), 31);
    EXPECT_EQ(p.cells[29].text, "c28");
    EXPECT_TRUE(p.cells[30].tab);
    EXPECT_EQ(p.cells[30].text, "d30");  // its padding left out
    EXPECT_TRUE(p.cells[31].tab);
    EXPECT_EQ(p.cells[31].text.substr(0, 3), "d31");
    // The stop after it: its left stop + its padded width and one blank.
    ASSERT_EQ(p.stops.size(), 32u);
    EXPECT_EQ(p.stops[30], EvenStops(35)[30]);
    EXPECT_EQ(p.stops[31], p.stops[30] + 105 * (6 + 1 + 1));
  });
  OnBothForms(WideTable(), 'R', 5, [](const Rowset& r) {  // below it: a stop after the 32nd
    const Stops in = EvenStops(35);
    ASSERT_EQ(r[0].stops.size(), 32u);
    EXPECT_EQ(r[0].stops[30], in[31] - 800);
    EXPECT_EQ(r[0].stops[31], in[31] - 800 + 4000);
    EXPECT_EQ(r[0].Tabs(), 30);
  });
}

TEST(ColumnPass, InsertingFillsTheCellPushedPastThe31stTab) {
  for (long width : {800L, 1600L}) {
    Table t = WideTable(1);
    t.stops[31] = t.stops[30] + width;  // the 31st column's width
    OnBothForms(t, 'E', 32, [&](const Rowset& r) {
      const coltest::Para& p = r[0];
      EXPECT_EQ(p.Tabs(), 31);
      ASSERT_EQ(p.stops.size(), 33u);
      EXPECT_EQ(p.stops[32] - p.stops[31], width);
      // The new cell after TAB 31: blanks to its width, then a dotted glyph and d30.
      EXPECT_EQ(p.cells[31].text, std::string(width / 105 + 2 + 1, ' '));
      EXPECT_FALSE(p.cells[32].tab);
      EXPECT_EQ(p.cells[32].glyph, "__");
      EXPECT_EQ(p.cells[32].text.substr(0, 3), "d30");
    });
  }
  // Inserting further left pushes c29 from the 30th TAB into the dotted layout.
  OnBothForms(WideTable(1), 'E', 5, [](const Rowset& r) {
    EXPECT_EQ(r[0].Tabs(), 31);
    EXPECT_EQ(r[0].cells[31].text, "c29" + std::string((800 + 30) / 105 + 99 - (3 + 98), ' '));
    EXPECT_FALSE(r[0].cells[32].tab);
    EXPECT_EQ(r[0].cells[32].text.substr(0, 3), "d30");
  });
}

TEST(ColumnPass, JoiningColumn31WithTheFirstDottedCell) {
  OnBothForms(WideTable(), 'U', 32, [](const Rowset& r) {
    for (const coltest::Para& p : r) {
      EXPECT_EQ(p.Tabs(), 31);
      EXPECT_EQ(p.cells[30].text.substr(0, 6), "c29d30");
      EXPECT_TRUE(p.cells[31].tab);
      EXPECT_EQ(p.cells[31].text.substr(0, 3), "d31");
      ASSERT_GE(p.stops.size(), 32u);  // the 32nd stop makes room for the dotted text
      EXPECT_GE(p.stops[31] - EvenStops(35)[31], 105L * 7);
    }
    EXPECT_EQ(r[0].stops, r[1].stops);
  });
}

// ---------------------------------------------------------------------------
// Ranges, the formats that rows share, unchanged input, the limit.

TEST(ColumnPass, OnlyTheRangeChangesWhenRowsShareAFormat) {
  Table t = ThreeColumns();
  t.rows.push_back({{"A3", "B3", "C3"}, {}});
  t.rows.push_back({{"A4", "B4", "C4"}, {}});
  PassArgs args;
  args.firstPara = 1;
  args.endPara = 2;
  const Rowset before = Rows(Build(t, Form::kOwn));
  const Rowset own = Rows(Rewrite(Build(t, Form::kOwn), 'E', 4, {}, args).rtf);
  const Rowset wine = Rows(Rewrite(Build(t, Form::kWine), 'E', 4, {}, args).rtf);
  ASSERT_EQ(own.size(), 4u);
  EXPECT_EQ(own[1].Tabs(), 5);
  for (std::size_t i : {0, 2, 3}) EXPECT_TRUE(own[i] == before[i]) << i;
  EXPECT_TRUE(own == wine) << coltest::Show(own) << coltest::Show(wine);
}

TEST(ColumnPass, BothFormsGiveTheSameTable) {
  for (int cmd : {'E', 'R', 'I', 'i', 'U'}) {
    for (int column : {2, 3, 4}) {
      const Rowset a = Rows(Rewrite(Build(ThreeColumns(), Form::kOwn), cmd, column, Caret(1), AtCaret()).rtf);
      const Rowset b = Rows(Rewrite(Build(ThreeColumns(), Form::kWine), cmd, column, Caret(1), AtCaret()).rtf);
      EXPECT_TRUE(a == b) << char(cmd) << column << "\n" << coltest::Show(a) << coltest::Show(b);
    }
  }
}

TEST(ColumnPass, NothingToChangeGivesTheInputByteForByte) {
  for (Form f : {Form::kOwn, Form::kWine}) {
    const std::string rtf = Build(ThreeColumns(), f);
    PassArgs beyond;
    beyond.firstPara = 50;
    for (const PassResult& r : {Rewrite(rtf, 'R', 40), Rewrite(rtf, 'Q', 3), Rewrite(rtf, 'E', 1),
                                Rewrite(rtf, 'R', 3, {}, beyond)}) {
      EXPECT_FALSE(r.changed);
      EXPECT_EQ(r.rtf, rtf);
      EXPECT_EQ(r.error, PassError::kNone);
    }
  }
}

TEST(ColumnPass, OutputPastTheLimitIsRefused) {
  const std::string rtf = Build(ThreeColumns(), Form::kOwn);
  PassArgs args;
  args.command = 'E';
  args.column = 4;
  const PassResult small = RewriteColumns(rtf, args, {}, rtf.size());
  EXPECT_EQ(small.error, PassError::kNoRoom);
  EXPECT_FALSE(small.changed);
  EXPECT_EQ(small.rtf, rtf);
  // A blank fill of about 9.5 million blanks between far stops.
  Table t = WideTable(1);
  t.stops[31] = 1000000000;
  args.column = 32;
  EXPECT_EQ(RewriteColumns(Build(t, Form::kOwn), args, {}, 4 << 20).error, PassError::kNoRoom);
}

// ---------------------------------------------------------------------------
// The cell scanner.

TEST(RtfScanCellText, StatesCountsAndPositions) {
  struct Case {
    const char* rtf;  // scanned from offset 1 (the "tab" of "\tab")
    int limit;
    int state, count;
    const char* rest;  // the text from where the count stopped
  } cases[] = {
      {"\\tab abc\\tab x", 9999, 10, 3, "\\tab x"},                                   // a TAB before any glyph
      {"\\tab abcdef\\tab", 3, 10, 2, "cdef\\tab"},                                   // ... cut at the limit
      {"\\tab\\highlight1\\fs2 .\\tab x", 9999, 11, 0, "\\tab x"},                    // glyph, TAB: empty
      {"\\tab\\highlight1\\fs2 .\\highlight0\\fs21 abcdef\\tab", 4, 2, 3, "def\\tab"},  // glyph, size, text
      {"\\tab \\lang1041\\f0\\highlight1\\fs2 .\\lang1041\\fs21  ab\\tab", 9999, 2, 3, "\\tab"},
      {"\\tab\\fs2 .\\fs21 a\\b b\\b0 c\\tab", 9999, 2, 3, "\\tab"},                  // words are no characters
      {"\\tab\\fs2 .\\'82\\'a0\\'82\\'a2z", 2, 3, 2, "\\'82\\'a2z"},                  // escape first
      {"\\tab\\fs2 .\\'82\\'a0\\'82\\'a2z", 3, 3, 2, "\\'82\\'a2z"},                  // never inside the pair
      {"\\tab\\fs2 .\\'81@z", 2, 3, 2, "z"},                                         // plain trail byte
      {"\\tab\\fs2 .\\'41\\'42z", 2, 3, 1, "\\'42z"},                                // no lead byte
      {"\\tab\\fs21 \x82\xa0z", 2, 2, 2, "z"},                                        // an unescaped pair
      {"\\tab\\fs21 \\'zq\\tab", 9999, 2, 2, "\\tab"},                                 // "\'" without hex digits
      {"\\tab\\fs2 .\\fs21 ab\\par x", 9999, 2, 2, "\\par x"},                       // the paragraph ends it
      {"\\tab\\fs2 .\\fs21 ab", 9999, 2, 2, ""},                                     // the text's end
  };
  for (const Case& c : cases) {
    const std::string rtf = c.rtf;
    const CellScan s = RtfScanCellText(rtf, 1, c.limit);
    EXPECT_EQ(s.state, c.state) << c.rtf;
    EXPECT_EQ(s.count, c.count) << c.rtf;
    EXPECT_EQ(rtf.substr(1 + s.position), c.rest) << c.rtf;
  }
}

TEST(RtfScanCellText, LimitsOf150And3000BytesAnd900Characters) {
  std::string words;  // format words past the first phase's 150 bytes
  while (words.size() < 160) words += "\\lang1041";
  const CellScan far = RtfScanCellText("\\tab" + words + "\\fs21 abc\\tab", 1, 9999);
  EXPECT_EQ(far.state, 0);
  EXPECT_EQ(far.textStart, 4u);
  EXPECT_EQ(far.count, 3);
  EXPECT_EQ(RtfScanCellText("\\tab\\lang1041\\fs21 abc\\tab", 1, 9999).state, 2);
  EXPECT_EQ(RtfScanCellText("\\tab\\fs21 " + std::string(1000, 'x'), 1, 9999).count, 900);
  std::string bytes = "\\tab\\fs21 ";
  while (bytes.size() < 4000) bytes += "a\\b0 ";
  const CellScan b = RtfScanCellText(bytes, 1, 9999);
  EXPECT_GE(b.position, 3000u);
  EXPECT_LT(b.position, 3010u);
  // A pair open at the byte limit is finished first.
  std::string pair = "\\tab\\fs21 ";
  while (pair.size() < 2995) pair += "\\b0 ";
  pair += std::string(2999 - pair.size(), 'a') + "\\'82\\'a0zz";
  EXPECT_EQ(pair.substr(1 + RtfScanCellText(pair, 1, 9999).position), "zz");
  // Cut anywhere, the text's end bounds the scan (and the sanitizer any read).
  const std::string full = "\\tab\\highlight1\\fs2 .\\highlight0\\fs21 a\\'82\\'a0b";
  for (std::size_t n = 1; n <= full.size(); ++n) {
    const std::string cut = full.substr(0, n);
    const CellScan s = RtfScanCellText(cut, 1, 9999);
    EXPECT_LE(1 + s.position, std::max<std::size_t>(cut.size(), 1));
    EXPECT_LE(s.textStart, cut.size());
  }
}

#ifndef _WIN32
// An outside reader shows every cell of the edited table in row order.
TEST(ColumnPassOracle, UnrtfShowsTheCellsAfterAnInsert) {
  REQUIRE_TOOLS("unrtf");
  const std::filesystem::path dir = std::filesystem::path(TABRYE_BIN_ROOT) / "column_pass_unrtf";
  std::filesystem::create_directories(dir);
  const std::filesystem::path file = dir / "table.rtf";
  std::ofstream(file, std::ios::binary) << Rewrite(Build(ThreeColumns(), Form::kWine), 'E', 3).rtf;
  std::string shown = testsupport::RunCapture("unrtf --text '" + file.string() + "' 2>/dev/null");
  const std::size_t body = shown.rfind("-----------------");
  if (body != std::string::npos) shown = shown.substr(body);
  std::size_t at = 0;
  for (const char* cell : {"A1", "B1", "C1", "A2", "B2", "C2"}) {
    const std::size_t f = shown.find(cell, at);
    ASSERT_NE(f, std::string::npos) << cell << " in:\n" << shown;
    at = f + 1;
  }
}
#endif

}  // namespace
