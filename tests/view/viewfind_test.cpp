// The find commands' portable part: dialog texts to rules, character
// positions of the control's text, next/previous scans, replace-all edits.
#include <gtest/gtest.h>

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

}  // namespace
