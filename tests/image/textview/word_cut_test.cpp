// The word a double-click takes out of the caret's line, its "::" position
// suffix and how much of a followed word is shown selected.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/textview/word_cut.h"

namespace {

using namespace image::textview;

// Cuts from an exactly sized copy of the line (no terminator), so that
// any read past its end shows up under the address sanitizer.
WordCut CutIn(const std::string& line, int caret, bool spaces = false) {
  const std::vector<char> bytes(line.begin(), line.end());
  return CutWordAtCaret(bytes.empty() ? nullptr : bytes.data(), static_cast<int>(bytes.size()), caret, spaces);
}

std::string Word(const std::string& line, int caret, bool spaces = false) {
  const WordCut cut = CutIn(line, caret, spaces);
  if (cut.Length() <= 0) return "<none>";
  return line.substr(static_cast<std::size_t>(cut.start), static_cast<std::size_t>(cut.Length()));
}

TEST(WordCut, SpacesQuotesAndLineEnds) {
  EXPECT_EQ(Word("open file.txt now", 7), "file.txt");
  EXPECT_EQ(CutIn("open file.txt now", 7).closing, ' ');
  EXPECT_EQ(Word("open \"my file.txt\" now", 7), "my file.txt");
  EXPECT_EQ(CutIn("open \"my file.txt\" now", 7).closing, '"');
  // Without the option the backward scan stops at the inner space.
  EXPECT_EQ(Word("open \"my file.txt\" now", 10), "file.txt\"");
  EXPECT_EQ(Word("file.txt", 3), "file.txt");  // line start: space delimited
  EXPECT_EQ(Word("abc def\r\n", 5), "def");    // CR ends the word
  EXPECT_EQ(Word("abc def\n", 5), "def");      // LF when there is no CR
  EXPECT_EQ(Word("abc def", 5), "def");        // else the line's end
  EXPECT_EQ(Word("a \"q\r\nz", 3), "q");       // no closing quote: up to the CR
  EXPECT_EQ(Word("say \"x y", 5), "x y");      // nor a CR: to the line's end
}

TEST(WordCut, TabsOpenAndEndWords) {
  const WordCut afterTab = CutIn("a\tfoo bar", 3);
  EXPECT_EQ(afterTab.closing, ' ');  // an opening tab closes with a space
  EXPECT_EQ(Word("a\tfoo bar", 3), "foo");
  EXPECT_EQ(Word("foo\tbar", 1), "foo");  // a tab after the caret ends it
  EXPECT_EQ(Word("\"a\tb\" c", 1), "a");  // even before the closing quote
  EXPECT_EQ(Word("foo\tbar", 3), "bar");  // a tab at the caret itself does not
}

TEST(WordCut, SpacesInWordsJoinOnceAndPartTwice) {
  const std::string line = "x  my file.txt  y";
  EXPECT_EQ(Word(line, 7, false), "file.txt");
  EXPECT_EQ(Word(line, 7, true), "my file.txt");
  EXPECT_EQ(Word(line, 4, true), "my file.txt");
  EXPECT_EQ(Word(line, 16, true), "y");
  // A control byte ends the word and stays in it.
  EXPECT_EQ(Word("abc def\r\n", 5, true), "abc def\r");
  // A quote still delimits; a leading space is no part of the word.
  EXPECT_EQ(Word("go \"a b\" c", 5, true), "a b");
  EXPECT_EQ(Word(" ab cd", 4, true), "ab cd");
}

TEST(WordCut, BracketsAndReferenceLabels) {
  EXPECT_EQ(Word("see [a b] end", 5), "a b");  // "[" after the stop wins
  EXPECT_EQ(CutIn("see [a b] end", 5).closing, ']');
  EXPECT_EQ(Word("see [a b] end", 7), "b]");   // "[" before the stop does not
  EXPECT_EQ(Word("[Im2] text", 2), "Im2");
  EXPECT_EQ(Word("[[a]] x", 3), "a");          // the last "[" before the caret
  // "@", two characters and ":" right before the delimiter join the word.
  EXPECT_EQ(Word("go @ab:\"file.txt\" x", 10), "@ab:\"file.txt");
  EXPECT_EQ(Word("xx @ab:[name] yy", 9), "@ab:[name");
  EXPECT_EQ(Word("@ab:[n]", 5), "n");          // delimiter before byte 5
  EXPECT_EQ(Word("go @abc:[n] x", 9), "n");   // three characters: no label
}

TEST(WordCut, ShiftJisSecondBytesAreNoDelimiters) {
  // "表示" (0x95 0x5C ...) and "ソフト" carry 0x5C second bytes.
  const std::string hyo = "\x95\x5C\x8E\xA6.txt";
  EXPECT_EQ(Word("open " + hyo + " now", 7), hyo);
  const std::string soft = "\x83\x5C\x83\x74\x83\x67";
  EXPECT_EQ(Word("[" + soft + "] x", 3), soft);
  // "ー" (0x81 0x5B) is no "[", "‐" (0x81 0x5D) no "]".
  EXPECT_EQ(Word("a\x81\x5B" "b c", 3), "a\x81\x5B" "b");
  EXPECT_EQ(Word("[ab\x81\x5D" "cd] x", 2), "ab\x81\x5D" "cd");
  // A full-width blank (0x81 0x40) ends nothing and its 0x40 is no "@".
  const std::string line = "xx\x81\x40" "ab:\"f\" y";
  EXPECT_EQ(Word(line, 8), "f");
  EXPECT_EQ(Word("a\x81\x40" "b c", 1), "a\x81\x40" "b");
}

TEST(WordCut, CaretClampingAndBounds) {
  EXPECT_EQ(Word("abc def", 0), "abc");
  EXPECT_EQ(Word("abc def", -5), "abc");
  EXPECT_EQ(Word("abc def", 7), "def");      // at the end: one byte back
  EXPECT_EQ(Word("abc def", 999), "def");
  EXPECT_FALSE(CutIn("abc def", 3).Usable());  // on the space itself
  EXPECT_EQ(Word(std::string("ab\0cd", 5), 2), "ab");  // NUL ends the line
  EXPECT_FALSE(CutIn("", 0).Usable());
  EXPECT_FALSE(CutWordAtCaret(nullptr, 10, 3, false).Usable());
  EXPECT_FALSE(CutWordAtCaret("abc", -1, 1, true).Usable());

  // Only the first kLineBytes bytes count.
  std::string longLine(2500, 'x');
  longLine[1990] = ' ';
  const WordCut cut = CutIn(longLine, 2400);
  EXPECT_EQ(cut.start, 1991);
  EXPECT_EQ(cut.end, kLineBytes);
}

TEST(WordCut, UsableLengths) {
  EXPECT_TRUE(CutIn(std::string(299, 'a'), 10).Usable());
  EXPECT_EQ(CutIn(std::string(299, 'a'), 10).Length(), 299);
  EXPECT_FALSE(CutIn(std::string(300, 'a'), 10).Usable());
  EXPECT_TRUE(CutIn("a", 0).Usable());
}

TEST(PositionSuffix, LineAndColumn) {
  const PositionSuffix s = SplitPositionSuffix("file.txt::120&5");
  EXPECT_TRUE(s.applies);
  EXPECT_TRUE(s.numbersRead);
  EXPECT_EQ(s.jumpLine, -120);
  EXPECT_TRUE(s.hasColumn);
  EXPECT_EQ(s.jumpSel, 1292);
  EXPECT_EQ(s.word, "file.txt");
  EXPECT_EQ(s.suffix, "120&5");

  const PositionSuffix lineOnly = SplitPositionSuffix("file.txt::120");
  EXPECT_EQ(lineOnly.jumpLine, -120);
  EXPECT_FALSE(lineOnly.hasColumn);
  const PositionSuffix mixed = SplitPositionSuffix("file.txt::L12&C3");  // letters skipped
  EXPECT_EQ(mixed.jumpLine, -12);
  EXPECT_EQ(mixed.jumpSel, 3 * 256 + 12);
}

TEST(PositionSuffix, WhenItApplies) {
  const PositionSuffix single = SplitPositionSuffix("file.txt:120");
  EXPECT_FALSE(single.applies);
  EXPECT_TRUE(single.word.empty());
  EXPECT_FALSE(SplitPositionSuffix("ab.txt::12").applies);  // 10 bytes: too short
  EXPECT_FALSE(SplitPositionSuffix("a::1\\b.txt:9").applies);  // the last ":" counts

  // A suffix of 10 bytes or more, or "::" at the start: split, numbers unread.
  const PositionSuffix longSuffix = SplitPositionSuffix("a.txt::1&99999999");
  EXPECT_TRUE(longSuffix.applies);
  EXPECT_FALSE(longSuffix.numbersRead);
  EXPECT_EQ(longSuffix.word, "a.txt");
  const PositionSuffix atStart = SplitPositionSuffix("::123456789");
  EXPECT_TRUE(atStart.applies);
  EXPECT_FALSE(atStart.numbersRead);
  EXPECT_EQ(atStart.word, "");
}

TEST(PositionSuffix, ColumnSaturates) {
  const PositionSuffix s = SplitPositionSuffix("a.txt::1&9999999");
  EXPECT_TRUE(s.numbersRead);
  EXPECT_EQ(s.jumpLine, -1);
  EXPECT_EQ(s.jumpSel, 8388607 * 256 + 12);
  EXPECT_GT(s.jumpSel, 0);
  EXPECT_EQ(SplitPositionSuffix("a.txt::999999999").jumpLine, -999999999);
}

TEST(LinkSelection, LimitsAndHeads) {
  EXPECT_EQ(LinkSelectionChars(39, 39, false), 39);
  EXPECT_EQ(LinkSelectionChars(40, 40, false), 28);
  EXPECT_EQ(LinkSelectionChars(15, 15, true), 15);
  EXPECT_EQ(LinkSelectionChars(16, 16, true), 4);
  EXPECT_EQ(LinkSelectionChars(40, 20, false), 20);  // double-byte: never past the word
}

}  // namespace
