// The table conversion, width, rule glyph and rule segment passes, each on
// the ruled form as the program writes it and on the form the control's
// writer gives back under Wine (a blank after "\tab", "\lang"/"\f" words
// between the rule words, format words only where they change, "\pard" only
// where the paragraph format changes, a header of its own, double-byte text
// as "\'82\'a0"). Results are compared by structure (rtf_tokens.h).
#include "table/rtfpass/table_passes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "table/rtfpass/rtf_tokens.h"

namespace {

using namespace table::rtfpass;
using rtfpasstest::Boundary;
using rtfpasstest::Lead;
using rtfpasstest::Marks;
using rtfpasstest::Para;
using rtfpasstest::Tokenize;

enum class Form { kIdeal, kWine };
constexpr std::size_t kRoom = 1 << 20;

// Writes a ruled table: every switch in the ideal form, only the changed
// ones (with "\lang1041" and "\f0" between them) in Wine's.
class Emitter {
 public:
  explicit Emitter(Form f) : wine_(f == Form::kWine) {
    out = wine_ ? "{\\rtf1\\ansi\\ansicpg932\\deff0\\uc1\\deflang1041{\\fonttbl{\\f0\\fswiss\\fcharset128 MS UI "
                  "Gothic;}}\r\n{\\colortbl;}\r\n{\\*\\generator Wine riched20 2.0;}\r\n"
                : "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fnil\\fcharset128 MS Gothic;}}\n";
  }
  std::string out;
  void Para(long spacing, const std::vector<long>& stops) {
    std::string f = spacing <= 40 ? "\\pard\\sl-" + std::to_string(spacing) + "\\slmult0"
                                  : (wine_ ? "\\pard\\sl-240\\slmult1" : "\\pard");
    for (long s : stops) f += "\\tx" + std::to_string(s);
    if (!wine_ || f != lastPara_) out += f + (wine_ && lastPara_.empty() ? "\\lang1041\\f0" : "");
    lastPara_ = f;
  }
  void Set(int hl, int fs) {
    if (!wine_ || hl != hl_) out += "\\highlight" + std::to_string(hl) + (wine_ && fs < 10 ? "\\lang1041" : "");
    if (!wine_ || fs != fs_) out += (wine_ && fs >= 10 ? "\\f0\\fs" : "\\fs") + std::to_string(fs);
    blank_ = blank_ || !wine_ || hl != hl_ || fs != fs_;
    hl_ = hl, fs_ = fs;
  }
  void Text(const std::string& t) {
    out += blank_ ? " " : "";
    blank_ = false;
    for (unsigned char c : t) out += c < 0x80 ? std::string(1, static_cast<char>(c)) : "\\'" + Hex(c);
  }
  void Tab() {
    out += wine_ ? "\\tab " : "\\tab";
    blank_ = !wine_;
  }
  void End() {
    out += wine_ ? "\\par\r\n" : "\\par\n";
    blank_ = false;
  }

 private:
  static std::string Hex(unsigned char c) { return {"0123456789abcdef"[c >> 4], "0123456789abcdef"[c & 15]}; }
  bool wine_;
  std::string lastPara_;
  int hl_ = -1, fs_ = -1;
  bool blank_ = false;
};

// Rule paragraphs (20 twips) around rows; cells after TABs up to the 31st,
// then after dotted separators. `gap`: a cell whose rule piece is not drawn.
struct Table {
  int columns = 6;
  int gap = 0;
  bool rules = true;
};

std::string Build(const Table& t, Form form) {
  Emitter e(form);
  std::vector<long> stops;
  for (int k = 1; k <= std::min(t.columns, 31); ++k) stops.push_back(300L * k);
  if (t.columns > 31) stops.push_back(12000);
  auto rule = [&] {
    e.Para(20, stops);
    e.Set(1, 2);
    e.Text(" ");
    for (int k = 1; k <= t.columns; ++k) {
      // From the 31st cell on, the cells are blanks of the text size.
      const bool blanks = k >= 31 && t.columns > 31;
      if (k <= 31) {
        e.Tab();
        e.Set(1, 2);
        e.Text(" ");
      } else {
        e.Set(1, 2);
        e.Text("_");
      }
      e.Set(k == t.gap ? 0 : 1, blanks ? 21 : 2);
      if (blanks) e.Text("    ");
    }
    e.Set(0, 2);
    e.End();
  };
  for (int r = 0; r < 2; ++r) {
    if (t.rules) rule();
    e.Para(240, stops);
    e.Set(0, 21);
    e.Text(" ");
    for (int k = 1; k <= t.columns; ++k) {
      if (k <= 31) e.Tab();
      e.Set(1, 2);
      e.Text(k <= 31 ? " " : ".");
      if (k > 31) e.Set(0, 2), e.Text(" ");
      e.Set(0, 21);
      e.Text("r" + std::to_string(r) + "c" + std::to_string(k) + (r == 1 && k == 2 ? "\x82\xa0" : ""));
    }
    e.End();
  }
  if (t.rules) rule();
  return e.out + "}";
}

PassResult Pass(const std::string& rtf, int command, int column, int count, int first = 0, int end = 0,
                PassFacts facts = PassFacts()) {
  PassArgs a;
  a.command = command, a.column = column, a.count = count, a.firstPara = first, a.endPara = end;
  PassResult r = RewriteTable(rtf, a, facts, kRoom);
  EXPECT_EQ(r.error, PassError::kNone);
  return r;
}

std::vector<Para> Paras(const PassResult& r) { return Tokenize(r.rtf); }

const Form kForms[] = {Form::kIdeal, Form::kWine};
const char* FormName(Form f) { return f == Form::kWine ? "wine" : "ideal"; }

// 'D' ------------------------------------------------------------------------

// Three TAB lines ended with "\t  " and an empty last line, as the window
// side leaves them before the stream-out.
std::string TabLines(Form f) {
  if (f == Form::kIdeal)
    return "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil MS Gothic;}}\n\\pard\\tx0\\tx900\\tx1800\\fs21 "
           "a\\tab b\\tab c\\tab   \\par\nd\\tab e\\tab f\\tab   \\par\ng\\tab h\\tab i\\tab   \\par\n}";
  return "{\\rtf1\\ansi\\ansicpg932\\deff0\\uc1\\deflang1041{\\fonttbl{\\f0\\fswiss\\fcharset128 MS UI Gothic;}}\r\n"
         "{\\colortbl;}\r\n{\\*\\generator Wine riched20 2.0;}\r\n\\pard\\sl-240\\slmult1\\tx0\\tx900\\tx1800"
         "\\lang1041\\f0\\fs21 a\\tab b\\tab c\\tab   \\par\r\nd\\tab \\'82\\'a0\\tab f\\tab   \\par\r\n"
         "g\\tab h\\tab i\\tab   \\par\r\n}";
}

TEST(TableConvert, EveryTabGetsARuleAndLaterRowsStartWithBlankTabRule) {
  for (Form f : kForms) {
    SCOPED_TRACE(FormName(f));
    PassFacts facts;
    facts.lineCount = 4;
    facts.textSize = 24;
    std::vector<Para> p = Paras(Pass(TabLines(f), 'D', 0, -1, 0, 0, facts));
    ASSERT_EQ(p.size(), 4u);
    EXPECT_EQ(p[0].stops, (std::vector<long>{0, 300, 900, 1800}));
    for (std::size_t i = 0; i < 3; ++i) {
      std::vector<rtfpasstest::Mark> m = Marks(p[i]);
      ASSERT_EQ(m.size(), i == 0 ? 3u : 4u) << i;
      EXPECT_EQ(Lead(p[i]), i == 0 ? "a" : " ") << i;
      for (const rtfpasstest::Mark& k : m)
        EXPECT_TRUE(k.tab && k.glyph == " " && k.hl == 1 && k.fs == 2 && k.nextHl == 0) << i;
      EXPECT_EQ(m.back().text, "  ") << i;  // a TAB, a rule and the typed blanks end the row
      // Size 21 for the first row and a later row's first cell (the row
      // start's own rule); the control's size after the other rules.
      int tabs = 0;
      for (const rtfpasstest::Ch& ch : p[i].chars) {
        tabs += ch.c == '\t';
        if (ch.c >= 'a' && ch.c <= 'z') {
          EXPECT_EQ(ch.fs, i == 0 || tabs < 2 ? 21 : 24);
        }
      }
    }
    EXPECT_EQ(Marks(p[1])[1].text, f == Form::kWine ? "\x82\xa0" : "e");
    EXPECT_EQ(Lead(p[3]), " ");
  }
}

TEST(TableConvert, RowStartsOnlyBelowTheLineCountAndPardOrHeaderParsDoNotCount) {
  std::vector<Para> p = Paras(Pass(TabLines(Form::kIdeal), 'D', 0, -1, 0, 0, [] {
    PassFacts f;
    f.lineCount = 2;
    return f;
  }()));
  ASSERT_EQ(p.size(), 3u);
  EXPECT_EQ(Lead(p[1]), " ");
  EXPECT_EQ(Lead(p[2]), "g");
  // A "\pard" inside a line and a "\par" in the writer's own group.
  PassFacts three;
  three.lineCount = 3;
  p = Paras(Pass("{\\rtf1{\\*\\generator x\\par}\\pard a\\tab b\\pard\\tx0 c\\par\nd\\tab e\\par\nf\\par\n}", 'D', 0,
                 -1, 0, 0, three));
  ASSERT_EQ(p.size(), 3u);
  EXPECT_EQ(Lead(p[2]), " ");
  EXPECT_EQ(p[0].stops, (std::vector<long>{0, 300}));
}

// 37 and 39 -----------------------------------------------------------------

TEST(TableWidth, StepsFollowingRangeAndFloor) {
  struct Case {
    int key, column, count, first, end;
    bool following;
    std::vector<long> row1;  // the stops of paragraph 1 (a row)
    const char* status;
  } cases[] = {
      {39, 2, 0, 0, 0, true, {300, 610, 910, 1210, 1510, 1810}, "width = 20"},  // count 0: one step
      {39, 2, 3, 0, 0, false, {300, 630, 900, 1200, 1500, 1800}, "width = 22"},  // only the column's stop
      {37, 6, 2, 0, 0, false, {300, 600, 900, 1200, 1500, 1780}, "width = 18"},
      {39, 1, 1, 2, 3, true, {300, 600, 900, 1200, 1500, 1800}, "width = 20"},  // paragraph 1 out of range
  };
  for (Form f : kForms) {
    SCOPED_TRACE(FormName(f));
    for (const Case& c : cases) {
      PassFacts facts;
      facts.moveFollowing = c.following;
      PassResult r = Pass(Build(Table(), f), c.key, c.column, c.count, c.first, c.end, facts);
      std::vector<Para> p = Paras(r);
      EXPECT_EQ(p[1].stops, c.row1) << c.column;
      EXPECT_EQ(r.status, c.status) << c.column;
      EXPECT_EQ(p[1].chars.size(), Paras(Pass(Build(Table(), f), 0, 0, 0))[1].chars.size());
    }
    EXPECT_EQ(Paras(Pass(Build(Table(), f), 39, 1, 1, 2, 3))[2].stops[0], 310);
  }
  // A stop at 5 narrows to 0, not below; then narrowing changes nothing.
  PassResult r = Pass("{\\rtf1\\pard\\tx5\\tx900 a\\tab b\\par}", 37, 1, 1);
  EXPECT_EQ(Tokenize(r.rtf)[0].stops, (std::vector<long>{0, 900}));
  EXPECT_EQ(r.status, "width = 0");
  PassResult again = Pass(r.rtf, 37, 1, 1);
  EXPECT_TRUE(!again.changed && again.rtf == r.rtf);
  // A "\pard" without "\par" keeps the paragraph number.
  std::vector<Para> p = Paras(Pass("{\\rtf1\\pard\\tx100 a\\pard\\tx200\\tx400 b\\par\\pard\\tx200\\tx400 c\\par}", 39,
                                   2, 1, 1, 2));
  EXPECT_EQ(p[0].stops, (std::vector<long>{200, 400}));
  EXPECT_EQ(p[1].stops, (std::vector<long>{200, 410}));
}

// '3' and '4' ---------------------------------------------------------------

TEST(TableGlyph, CodesAtATabOfThinParagraphs) {
  Table t;
  t.gap = 5;
  for (Form f : kForms) {
    SCOPED_TRACE(FormName(f));
    const std::vector<Para> before = Tokenize(Build(t, f));
    for (int code : {0, 1, 2}) {
      std::vector<Para> after = Paras(Pass(Build(t, f), '3', 5, code));
      ASSERT_EQ(after.size(), before.size());
      for (std::size_t p = 0; p < after.size(); ++p) {
        for (int n = 1; n <= 6; ++n) {
          const rtfpasstest::Mark a = Boundary(after[p], n), b = Boundary(before[p], n);
          EXPECT_EQ(a.nextHl, b.nextHl);  // the rule piece after the glyph stays
          const bool target = n == 5 && after[p].Thin();
          // Code 1 thick, 2 none (in the cell's own highlight), 0 thin.
          EXPECT_EQ(a.glyph, target ? (code == 1 ? ".." : code == 2 ? "__" : "_") : b.glyph) << code << p << n;
          EXPECT_EQ(a.hl, target && code == 2 ? b.nextHl : b.hl) << code << p << n;
          EXPECT_EQ(a.fs, 2);
        }
      }
    }
  }
}

TEST(TableGlyph, CycleTakesItsCodeFromTheFirstGlyphAndHoldsIt) {
  for (Form f : kForms) {
    SCOPED_TRACE(FormName(f));
    // At a TAB the cycle runs thin -> thick -> none -> thin, as in the
    // dotted layout.
    std::string rtf = Build(Table(), f);
    for (const char* g : {"..", "__", "_"}) {
      rtf = Pass(rtf, '4', 3, -1).rtf;
      for (const Para& p : Tokenize(rtf)) EXPECT_EQ(Boundary(p, 3).glyph, p.Thin() ? g : " ");
    }
    // A thick glyph further down becomes what the first (thin) one becomes.
    std::vector<Para> p = Paras(Pass(Pass(Build(Table(), f), '4', 3, 1, 4).rtf, '4', 3, -1));
    EXPECT_EQ(Boundary(p[0], 3).glyph, "..");
    EXPECT_EQ(Boundary(p[4], 3).glyph, "..");
  }
}

TEST(TableGlyph, DottedLayoutPastTheThirtiethBoundary) {
  Table t;
  t.columns = 35;
  for (Form f : kForms) {
    SCOPED_TRACE(FormName(f));
    // Column 32 is the glyph that brings the count to 33; the dotted texts
    // cycle thin -> thick -> none -> thin.
    std::string rtf = Build(t, f);
    const std::vector<Para> before = Tokenize(rtf);
    for (const char* g : {"..", "__", "_"}) {
      rtf = Pass(rtf, '3', 32, -1).rtf;
      std::vector<Para> after = Tokenize(rtf);
      for (std::size_t p = 0; p < after.size(); p += 2) {
        EXPECT_EQ(Boundary(after[p], 33).glyph, g) << p;
        EXPECT_EQ(Boundary(after[p], 33).text, "    ") << p;
        EXPECT_EQ(Boundary(after[p], 32).glyph, Boundary(before[p], 32).glyph) << p;
      }
    }
    // Rows take the texts of other paragraphs: code 2 is a thick "..".
    const rtfpasstest::Mark m = Boundary(Paras(Pass(Build(t, f), '3', 33, 2))[1], 34);
    EXPECT_TRUE(m.glyph == ".." && m.hl == 1 && m.text == "r0c33") << m.glyph << m.text;
  }
}

// '5' and '6' ---------------------------------------------------------------

TEST(TableSegment, TakeOutAndDrawTheColumnsPieceFromTwoParagraphsEarly) {
  Table gapAfter, gapAt;
  gapAfter.gap = 4;
  gapAt.gap = 3;
  for (Form f : kForms) {
    SCOPED_TRACE(FormName(f));
    // '5' on column 3: the piece after TAB 3 goes; after TAB 4 the cell's own
    // highlight (a gap) stays. '6' draws the piece where it was missing.
    const std::vector<Para> out = Paras(Pass(Build(gapAfter, f), '5', 3, 0));
    const std::vector<Para> draw = Paras(Pass(Build(gapAt, f), '6', 3, 0));
    for (std::size_t p = 0; p < out.size(); ++p) {
      if (!out[p].Thin()) {
        EXPECT_EQ(Boundary(out[p], 3).glyph, " ");
        continue;
      }
      EXPECT_EQ(std::vector<int>({Boundary(out[p], 2).nextHl, Boundary(out[p], 3).nextHl, Boundary(out[p], 4).nextHl,
                                  Boundary(out[p], 5).nextHl}),
                std::vector<int>({1, 0, 0, 1}));
      EXPECT_EQ(Boundary(draw[p], 3).nextHl, 1);
      EXPECT_TRUE(Boundary(draw[p], 3).glyph == "_" && Boundary(draw[p], 3).fs == 2);
    }
    // First line 4: the rules of paragraphs 2 and 4, not 0.
    std::vector<Para> p = Paras(Pass(Build(Table(), f), '5', 2, 0, 4));
    EXPECT_EQ(std::vector<int>({Boundary(p[0], 2).nextHl, Boundary(p[2], 2).nextHl, Boundary(p[4], 2).nextHl}),
              std::vector<int>({1, 0, 0}));
  }
  // '5' acts only where the paragraph has a highlight.
  const std::string plain = "{\\rtf1\\pard\\sl-20\\slmult0\\tx300\\tx600\\fs2  \\tab  \\tab  \\par}";
  PassResult r = Pass(plain, '5', 1, 0);
  EXPECT_TRUE(!r.changed && r.rtf == plain);
  EXPECT_TRUE(Pass(plain, '6', 1, 0).changed);
}

TEST(TableSegment, AtAndPastTheSplitBoundary) {
  Table t;
  t.columns = 35;
  t.gap = 30;
  for (Form f : kForms) {
    SCOPED_TRACE(FormName(f));
    // Column 30: TABs 30 and 31; the 31st gets its dotted glyph.
    std::vector<Para> p = Paras(Pass(Build(t, f), '6', 30, 0));
    EXPECT_EQ(Boundary(p[0], 30).nextHl, 1);
    EXPECT_EQ(Boundary(p[0], 31).glyph, ".._");
    EXPECT_EQ(Boundary(p[0], 31).text, "    ");
    // Column 32 lies between separators 33 and 34; the one before keeps the
    // dot that the row above shows there (the first rule has no row above).
    p = Paras(Pass(Build(t, f), '5', 32, 0));
    for (std::size_t k : {0u, 2u}) {
      EXPECT_EQ(Boundary(p[k], 33).nextHl, 0);
      EXPECT_EQ(Boundary(p[k], 34).nextHl, 1);
      EXPECT_EQ(Boundary(p[k], 33).text, "    ");
    }
    EXPECT_EQ(Boundary(p[0], 33).glyph, "_");
    EXPECT_EQ(Boundary(p[2], 33).glyph, "._");
  }
}

// Every pass ------------------------------------------------------------------

TEST(TablePasses, NothingToChangeReturnsTheInputByteForByte) {
  Table rowsOnly;
  rowsOnly.rules = false;
  const std::string rows = Build(rowsOnly, Form::kWine);
  // Commands without a pass here, no thin paragraph for a glyph or piece, no
  // such stop, no column.
  const int cases[][3] = {{'X', 1, 0},  {'E', 2, 0}, {'U', 2, 0}, {38, 2, 1},  {0, 0, 0},  {'3', 2, 1},
                          {'6', 2, 0},  {'5', 2, 0}, {39, 9, 1},  {39, 0, 1},  {'3', 0, 1}};
  for (const auto& c : cases) {
    PassResult r = Pass(rows, c[0], c[1], c[2]);
    EXPECT_TRUE(!r.changed && r.rtf == rows) << c[0];
  }
  EXPECT_TRUE(IsColumnCommand('i') && !IsColumnCommand('D'));
}

TEST(TablePasses, TooLittleRoomFailsAndRaggedEndsStopAtTheText) {
  PassArgs a;
  a.command = 'D';
  PassFacts facts;
  facts.lineCount = 4;
  const std::string in = TabLines(Form::kWine);
  const PassResult full = RewriteTable(in, a, facts, kRoom);
  EXPECT_EQ(RewriteTable(in, a, facts, full.rtf.size()).rtf, full.rtf);
  const PassResult tight = RewriteTable(in, a, facts, full.rtf.size() - 1);
  EXPECT_TRUE(tight.error == PassError::kNoRoom && tight.rtf.empty());
  a.command = 'X';
  EXPECT_EQ(RewriteTable(in, a, facts, in.size() - 1).error, PassError::kNoRoom);
  // Texts cut inside a word, a symbol or a look-ahead, each in a buffer of
  // its own size so that a read past it shows under the sanitizer.
  for (const char* c : {"\\", "\\ta", "\\tab", "{\\rtf1\\pard\\sl-20\\tx5 \\tab\\highlight1\\fs2 _", "\\par\\tab\\'8",
                        "{\\*\\gen", "\\sl-20\\tab \\fs2 ..\\highlight", "\\tx"}) {
    const std::vector<char> own(c, c + std::char_traits<char>::length(c));
    for (int cmd : {int{'D'}, 37, 39, int{'3'}, int{'5'}, int{'6'}}) {
      for (int column : {1, 2, 31, 32}) {
        a.command = cmd, a.column = column, a.count = -1;
        PassResult r = RewriteTable(std::string_view(own.data(), own.size()), a, facts, kRoom);
        EXPECT_TRUE(r.error == PassError::kNone && (r.changed || r.rtf == c)) << c;
      }
    }
  }
}

TEST(TablePasses, OutputLimitAndWordHelpers) {
  EXPECT_EQ(OutputLimit(0, 0, 0, 0), 200000u + 499u);
  EXPECT_EQ(OutputLimit(1000, 2000, 100, 10), 300080u + 499u);
  EXPECT_EQ(OutputLimit(500000, 0, 0, 0), 1020000u + 499u);
  EXPECT_EQ(OutputLimit(SIZE_MAX, SIZE_MAX, SIZE_MAX, SIZE_MAX), SIZE_MAX);
  const std::string s = "\\pard\\par \\sl-20\\lang1041 \\f0\\cf2 \\tab\\'82{\\*\\g {\\}} \\bin3 }}x}y";
  RtfReader r(s);
  RtfWord w, par, sl, tab;
  ASSERT_TRUE(ReadWord(r, 0, &w) && ReadWord(r, w.end, &par) && ReadWord(r, par.end, &sl));
  EXPECT_TRUE(!IsParagraphEnd(w) && IsParagraphEnd(par) && par.blank);
  EXPECT_TRUE(sl.num == -20 && sl.Bytes(s) == "\\sl-20");
  EXPECT_TRUE(WordFollows(r, sl.end, "tab", s.size(), &tab));
  EXPECT_FALSE(WordFollows(r, sl.end, "tab", tab.start));
  EXPECT_EQ(TokenEnd(r, tab.end), tab.end + 4);
  EXPECT_EQ(s.substr(DestinationEnd(r, s.find('{'))), "y");
  EXPECT_FALSE(ReadWord(r, s.size() - 1, &w));
}

}  // namespace
