// The find commands' portable part: dialog texts to rules, character
// positions of the control's text, next/previous scans, replace-all edits.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "view/viewfind/findscan.h"

namespace {

using viewfind::FindRule;
using viewfind::LineText;
using viewfind::ScanResult;

FindRule Dialog(const std::string& typedSearch, unsigned options = 0, const std::string* typedRepl = nullptr,
                bool cells = false) {
  FindRule r;
  EXPECT_TRUE(viewfind::CompileDialogRule(pat::DialogToFindText(typedSearch),
                                          typedRepl ? pat::DialogToFindText(*typedRepl) : std::string(), options,
                                          typedRepl != nullptr, cells, &r))
      << typedSearch;
  return r;
}

std::string HitText(const LineText& t, const pat::PatternHit& h) { return std::string(t.data() + h.start, h.length); }

TEST(FindRuleTest, DialogWildcardsEscapesAndNoPrefixes) {
  LineText t("xxabc\rxab\\c 1:30", false);
  pat::PatternHit h;
  ASSERT_EQ(ScanResult::kFound, viewfind::FindNext(t, Dialog("a%c"), 0, 0, &h, nullptr));
  EXPECT_EQ("abc", HitText(t, h));
  EXPECT_EQ(2, h.start);
  // "%" matches one double-byte character; "\%" is a literal percent sign.
  LineText k("表示 50x 5%", false);
  ASSERT_EQ(ScanResult::kFound, viewfind::FindNext(k, Dialog("表%"), 0, 0, &h, nullptr));
  EXPECT_EQ("表示", HitText(k, h));
  ASSERT_EQ(ScanResult::kFound, viewfind::FindNext(k, Dialog("5\\%"), 0, 0, &h, nullptr));
  EXPECT_EQ("5%", HitText(k, h));
  EXPECT_EQ(9, h.start);
  // A colon is text, not the "1:" whole-text prefix; a backslash is text.
  ASSERT_EQ(ScanResult::kFound, viewfind::FindNext(t, Dialog("1:30"), 0, 0, &h, nullptr));
  EXPECT_EQ("1:30", HitText(t, h));
  ASSERT_EQ(ScanResult::kFound, viewfind::FindNext(t, Dialog("b\\\\c"), 0, 0, &h, nullptr));
  EXPECT_EQ("b\\c", HitText(t, h));
  // Nothing to look for.
  FindRule none;
  EXPECT_FALSE(viewfind::CompileDialogRule("", "", 0, false, false, &none));
}

TEST(FindRuleTest, CaseAndWholeWordOptions) {
  LineText t("Abc abcd abc", false);
  pat::PatternHit h;
  ASSERT_EQ(ScanResult::kFound, viewfind::FindNext(t, Dialog("abc"), 0, 0, &h, nullptr));
  EXPECT_EQ(0, h.start);  // case folded
  ASSERT_EQ(ScanResult::kFound, viewfind::FindNext(t, Dialog("abc", viewfind::kOptMatchCase), 0, 0, &h, nullptr));
  EXPECT_EQ(4, h.start);
  ASSERT_EQ(ScanResult::kFound,
            viewfind::FindNext(t, Dialog("abc", viewfind::kOptMatchCase | viewfind::kOptWholeWord), 0, 0, &h,
                               nullptr));
  EXPECT_EQ(9, h.start);
}

TEST(FindScanTest, NextAndPreviousWalkLinesFromThePosition) {
  LineText t("ab\rxab\r\rab", false);
  FindRule r = Dialog("ab");
  pat::PatternHit h;
  std::vector<int> down;
  for (int from = 0; viewfind::FindNext(t, r, 0, from, &h, nullptr) == ScanResult::kFound; from = h.start + h.length)
    down.push_back(h.start);
  EXPECT_EQ((std::vector<int>{0, 4, 8}), down);
  std::vector<int> up;
  for (int before = t.size(); viewfind::FindPrevious(t, r, 0, before, &h, nullptr) == ScanResult::kFound;
       before = h.start)
    up.push_back(h.start);
  EXPECT_EQ((std::vector<int>{8, 4, 0}), up);
  // Anchors stand at the line edges.
  ASSERT_EQ(ScanResult::kFound, viewfind::FindNext(t, Dialog("|ab"), 0, 1, &h, nullptr));
  EXPECT_EQ(8, h.start);
}

TEST(FindScanTest, CharacterPositionsCountDoubleByteCharactersOnce) {
  LineText t("表a\r\xb1x\r\n表", false);  // half-width kana is one byte
  EXPECT_EQ(3, t.LineCount());
  EXPECT_EQ(0, t.CharOfByte(0));
  EXPECT_EQ(1, t.CharOfByte(2));   // after 表
  EXPECT_EQ(3, t.CharOfByte(4));   // line 2 starts after "表a" CR
  EXPECT_EQ(7, t.CharOfByte(8));   // CR LF count two
  EXPECT_EQ(8, t.CharOfByte(10));
  for (int b : {0, 2, 3, 4, 5, 6, 8, 10}) EXPECT_EQ(b, t.ByteOfChar(t.CharOfByte(b))) << b;
  // A broken lead byte at a line end stands alone: the break survives.
  LineText broken("a\x81\rb", false);
  EXPECT_EQ(2, broken.LineCount());
  EXPECT_EQ(3, broken.CharOfByte(3));
}

TEST(FindScanTest, CellsAndColumnLimit) {
  // The CSV display: TAB between cells. Wildcards stay inside a cell.
  LineText t("abd\tb\td\tbxd\r0\tbd", true);
  FindRule r = Dialog("b&d", 0, nullptr, true);
  pat::PatternHit h;
  std::vector<int> hits;
  for (int from = 0; viewfind::FindNext(t, r, 0, from, &h, nullptr) == ScanResult::kFound; from = h.start + h.length)
    hits.push_back(h.start);
  EXPECT_EQ((std::vector<int>{1, 8, 14}), hits);
  // Column 2 only: the second line's "bd".
  ASSERT_EQ(ScanResult::kFound, viewfind::FindNext(t, r, 2, 0, &h, nullptr));
  EXPECT_EQ(14, h.start);
  std::string q = "Q";
  std::vector<viewfind::LineEdit> edits;
  bool stopped = true;
  EXPECT_EQ(1, viewfind::ReplaceAll(t, Dialog("b&d", 0, &q, true), 4, &edits, &stopped, nullptr));
  EXPECT_FALSE(stopped);
  ASSERT_EQ(1u, edits.size());
  EXPECT_EQ("abd\tb\td\tQ", edits[0].text);  // cells back to TAB for the control
}

TEST(FindScanTest, ReplaceAllAndReplaceSelected) {
  LineText t("a1b a2b\rnone\ra3b", false);
  std::string repl = "[$P]";
  FindRule r = Dialog("a%b", 0, &repl);
  std::vector<viewfind::LineEdit> edits;
  bool stopped = false;
  EXPECT_EQ(3, viewfind::ReplaceAll(t, r, 0, &edits, &stopped, nullptr));
  ASSERT_EQ(2u, edits.size());
  EXPECT_EQ("[a1b] [a2b]", edits[0].text);
  EXPECT_EQ(0, edits[0].start);
  EXPECT_EQ(7, edits[0].end);
  EXPECT_EQ("[a3b]", edits[1].text);
  std::string one;
  EXPECT_TRUE(viewfind::ReplaceSelected(t, r, 0, 4, 7, &one));
  EXPECT_EQ("[a2b]", one);
  EXPECT_FALSE(viewfind::ReplaceSelected(t, r, 0, 3, 7, &one));  // " a2b" is no match
  // An empty replacement deletes.
  std::string empty;
  edits.clear();
  EXPECT_EQ(3, viewfind::ReplaceAll(t, Dialog("a%b", 0, &empty), 0, &edits, &stopped, nullptr));
  EXPECT_EQ(" ", edits[0].text);
}

TEST(FindScanTest, PollStopsLongScans) {
  std::string big;
  for (int i = 0; i < 5000; ++i) big += "line\r";
  big += "needle";
  LineText t(big, false);
  int polls = 0;
  pat::PatternHit h;
  auto stopAtSecond = [&](int) { return ++polls == 2; };
  EXPECT_EQ(ScanResult::kStopped, viewfind::FindNext(t, Dialog("needle"), 0, 0, &h, stopAtSecond));
  EXPECT_EQ(2, polls);
  EXPECT_EQ(ScanResult::kFound, viewfind::FindNext(t, Dialog("needle"), 0, 0, &h, [](int) { return false; }));
  polls = 0;
  EXPECT_EQ(ScanResult::kStopped, viewfind::FindPrevious(t, Dialog("nothing"), 0, t.size(), &h, stopAtSecond));
  std::string x = "X";
  std::vector<viewfind::LineEdit> edits;
  bool stopped = false;
  polls = 0;
  EXPECT_EQ(1000, viewfind::ReplaceAll(t, Dialog("line", 0, &x), 0, &edits, &stopped, [&](int) { return true; }));
  EXPECT_TRUE(stopped);
}

TEST(FindScanTest, MacroRuleKeepsCaseAndCells) {
  FindRule r;
  ASSERT_TRUE(viewfind::CompileMacroRule("b&d", "Q", 0, true, &r));
  EXPECT_EQ(pat::kFlagsMacroReplace, r.flags & pat::kFlagsMacroReplace);
  LineText t("Bd\tbxd", true);
  std::vector<viewfind::LineEdit> edits;
  bool stopped = false;
  EXPECT_EQ(1, viewfind::ReplaceAll(t, r, 0, &edits, &stopped, nullptr));
  EXPECT_EQ("Bd\tQ", edits[0].text);
}

// ---- The whole-text scans against the line-by-line scans ----

namespace {

const char* const kScanPieces[] = {"a", "A", "b", "s", "t", "\\", "\x83", "\x81", "\x82\xA0", "\x95\x5C",
                                   "\x83\x41", "\x83\x83", "\r", "\n", "\r\n", "\t", "1", "@", "ｶ", " "};

std::string ScanText(std::mt19937& rng, int pieces) {
  std::string s;
  for (int i = 0; i < pieces; ++i) {
    if (rng() % 23 == 0) s += '\0';
    else s += kScanPieces[rng() % (sizeof kScanPieces / sizeof kScanPieces[0])];
  }
  return s;
}

// Lines, their ends and character positions as the index was made before:
// one character at a time from the start.
struct NaiveLines {
  std::vector<int> starts, ends;
  std::vector<long> chars;  // character position of every byte (and of the end)
  explicit NaiveLines(const std::string& s) {
    const int n = static_cast<int>(s.size());
    long ch = 0;
    int start = 0;
    for (int i = 0; i <= n;) {
      if (i == n || s[i] == '\r' || s[i] == '\n') {
        starts.push_back(start);
        ends.push_back(i);
        if (i == n) {
          chars.push_back(ch);
          break;
        }
        const int br = (s[i] == '\r' && i + 1 < n && s[i + 1] == '\n') ? 2 : 1;
        for (int k = 0; k < br; ++k) chars.push_back(ch++);
        i += br;
        start = i;
        continue;
      }
      const unsigned char c = static_cast<unsigned char>(s[i]);
      const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
      const unsigned char d = i + 1 < n ? static_cast<unsigned char>(s[i + 1]) : 0;
      const bool pair = lead && i + 1 < n && ((d >= 0x40 && d <= 0x7E) || (d >= 0x80 && d <= 0xFC));
      chars.push_back(ch);
      if (pair) chars.push_back(ch + 1);  // inside the character: the position after it
      ++ch;
      i += pair ? 2 : 1;
    }
  }
};

}  // namespace

TEST(FindScanTest, LineIndexAndPositionsOfLongTexts) {
  // Breaks in every lane of the 64-byte blocks, CR LF pairs split across
  // blocks, lone CRs; positions asked for in any order.
  std::mt19937 rng(5);
  for (int round = 0; round < 300; ++round) {
    std::string s = ScanText(rng, static_cast<int>(rng() % 400));
    if (round % 50 == 0) s = std::string(300000, 'x') + "\r" + s + std::string(300000, '\n');  // past one step of the index
    LineText t{std::string_view(s)};
    NaiveLines want(s);
    // Lines and positions asked for before the whole text was looked at.
    for (int k = 0; k < 10; ++k) {
      const int line = static_cast<int>(rng() % (want.starts.size() + 2));
      ASSERT_EQ(line < static_cast<int>(want.starts.size()), t.HasLine(line)) << round;
      if (line < static_cast<int>(want.starts.size())) {
        ASSERT_EQ(want.starts[line], t.LineStart(line)) << round;
        ASSERT_EQ(want.ends[line], t.LineEnd(line)) << round;
      }
      const int b = static_cast<int>(rng() % (s.size() + 1));
      ASSERT_EQ(want.chars[b], t.CharOfByte(b)) << round << " byte " << b;
    }
    ASSERT_EQ(static_cast<int>(want.starts.size()), t.LineCount()) << round;
    for (int l = 0; l < t.LineCount(); ++l) {
      ASSERT_EQ(want.starts[l], t.LineStart(l)) << round;
      ASSERT_EQ(want.ends[l], t.LineEnd(l)) << round;
    }
    for (int k = 0; k < 40 && !s.empty(); ++k) {
      const int b = static_cast<int>(rng() % (s.size() + 1));
      ASSERT_EQ(want.chars[b], t.CharOfByte(b)) << round << " byte " << b;
      const int line = static_cast<int>(std::upper_bound(want.starts.begin(), want.starts.end(), b) - want.starts.begin()) - 1;
      ASSERT_EQ(line, t.LineOfByte(b)) << round;
      const long ch = want.chars[b];
      const int back = t.ByteOfChar(ch);
      ASSERT_EQ(ch, want.chars[back]) << round;
    }
  }
}

TEST(FindScanTest, WholeTextScansPollAtTheSameLines) {
  // A match on a line that is due for a poll, just before and just after it,
  // searched from the first line and from later ones.
  for (int hitLine : {999, 1000, 1001, 2000, 2001}) {
    std::string s;
    for (int i = 0; i < 2500; ++i) s += i == hitLine ? "ab st\r\n" : "line\n";
    LineText t(s, false);
    for (const char* search : {"st", "s%"}) {
      for (int fromLine : {0, 1, 999, 1000}) {
        std::vector<int> polls[2];
        pat::PatternHit hits[2];
        ScanResult results[2];
        for (int k = 0; k < 2; ++k) {
          viewfind::g_wholeTextScans = k == 0;
          results[k] = viewfind::FindNext(t, Dialog(search), 0, t.LineStart(fromLine), &hits[k], [&](int l) {
            polls[k].push_back(l);
            return false;
          });
        }
        viewfind::g_wholeTextScans = true;
        EXPECT_EQ(results[1], results[0]);
        EXPECT_EQ(polls[1], polls[0]) << hitLine << " " << search << " " << fromLine;
        EXPECT_EQ(hits[1].start, hits[0].start);
        // Upwards from as far below the match.
        const int below = std::min(t.LineCount() - 1, 2 * hitLine - fromLine + 1);
        for (int k = 0; k < 2; ++k) {
          polls[k].clear();
          viewfind::g_wholeTextScans = k == 0;
          results[k] = viewfind::FindPrevious(t, Dialog(search), 0, t.LineStart(below), &hits[k], [&](int l) {
            polls[k].push_back(l);
            return false;
          });
        }
        viewfind::g_wholeTextScans = true;
        EXPECT_EQ(results[1], results[0]);
        EXPECT_EQ(polls[1], polls[0]) << hitLine << " " << search << " up from " << below;
        EXPECT_EQ(hits[1].start, hits[0].start);
      }
    }
  }
}

TEST(FindScanTest, WholeTextScansEqualTheLineByLineScans) {
  std::mt19937 rng(2026);
  const char* searches[] = {"a", "st", "\\", "\x83", "ア", "1", "a&b", "|a", "a|", "%1", "ｶ", "@", "s%",
                            "\x81\x81", "t a"};
  for (int round = 0; round < 3000; ++round) {
    std::string s = ScanText(rng, static_cast<int>(rng() % 90));
    if (round % 300 == 0) {
      std::string many;
      for (int i = 0; i < 4500; ++i) many += (i % 1777 == 0) ? "xa\r" : "line\r\n";
      s = many + s;
    }
    const unsigned options = rng() % 4;  // match case, whole word
    const bool cells = rng() % 4 == 0;
    std::string repl = "R";
    FindRule rule;
    if (!viewfind::CompileDialogRule(pat::DialogToFindText(searches[rng() % (sizeof searches / sizeof searches[0])]),
                                     pat::DialogToFindText(repl), options, true, cells, &rule))
      continue;
    LineText t(s, cells);
    const int column = (rng() % 5 == 0) ? 1 + static_cast<int>(rng() % 2) : 0;
    // Positions the view asks from: character starts.
    const int from = t.ByteOfChar(static_cast<long>(rng() % (t.CharOfByte(t.size()) + 2)));
    std::vector<int> fastPolls, slowPolls;
    const int stopAt = round % 600 == 0 ? 2 : -1;
    pat::PatternHit fh{-1, -1}, sh{-1, -1};
    ScanResult fr = viewfind::FindNext(t, rule, column, from, &fh, [&](int l) {
      fastPolls.push_back(l);
      return static_cast<int>(fastPolls.size()) == stopAt;
    });
    viewfind::g_wholeTextScans = false;
    ScanResult sr = viewfind::FindNext(t, rule, column, from, &sh, [&](int l) {
      slowPolls.push_back(l);
      return static_cast<int>(slowPolls.size()) == stopAt;
    });
    viewfind::g_wholeTextScans = true;
    ASSERT_EQ(sr, fr) << "round " << round;
    ASSERT_EQ(slowPolls, fastPolls) << "round " << round;
    if (sr == ScanResult::kFound) {
      ASSERT_EQ(sh.start, fh.start) << "round " << round;
      ASSERT_EQ(sh.length, fh.length) << "round " << round;
    }
    // Upwards from the same place.
    fastPolls.clear();
    slowPolls.clear();
    fh = sh = pat::PatternHit{-1, -1};
    fr = viewfind::FindPrevious(t, rule, column, from, &fh, [&](int l) {
      fastPolls.push_back(l);
      return static_cast<int>(fastPolls.size()) == stopAt;
    });
    viewfind::g_wholeTextScans = false;
    sr = viewfind::FindPrevious(t, rule, column, from, &sh, [&](int l) {
      slowPolls.push_back(l);
      return static_cast<int>(slowPolls.size()) == stopAt;
    });
    viewfind::g_wholeTextScans = true;
    ASSERT_EQ(sr, fr) << "round " << round << " up";
    ASSERT_EQ(slowPolls, fastPolls) << "round " << round << " up";
    if (sr == ScanResult::kFound) {
      ASSERT_EQ(sh.start, fh.start) << "round " << round << " up";
      ASSERT_EQ(sh.length, fh.length) << "round " << round << " up";
    }
    std::vector<viewfind::LineEdit> fe, se;
    bool fs = false, ss = false;
    fastPolls.clear();
    slowPolls.clear();
    const int fc = viewfind::ReplaceAll(t, rule, column, &fe, &fs, [&](int l) {
      fastPolls.push_back(l);
      return static_cast<int>(fastPolls.size()) == stopAt;
    });
    viewfind::g_wholeTextScans = false;
    const int sc = viewfind::ReplaceAll(t, rule, column, &se, &ss, [&](int l) {
      slowPolls.push_back(l);
      return static_cast<int>(slowPolls.size()) == stopAt;
    });
    viewfind::g_wholeTextScans = true;
    ASSERT_EQ(sc, fc) << "round " << round;
    ASSERT_EQ(ss, fs);
    ASSERT_EQ(slowPolls, fastPolls) << "round " << round;
    ASSERT_EQ(se.size(), fe.size()) << "round " << round;
    for (size_t i = 0; i < se.size(); ++i) {
      ASSERT_EQ(se[i].start, fe[i].start);
      ASSERT_EQ(se[i].end, fe[i].end);
      ASSERT_EQ(se[i].text, fe[i].text);
    }
  }
}

}  // namespace
