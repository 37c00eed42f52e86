// The jump tick's decisions: the jump text, the paragraph a line reaches in
// rich text, the caret of a line jump, and the lines the check marks go on.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "csv/csv_checklist.h"
#include "view/viewload/checkmarks.h"
#include "view/viewload/jumptarget.h"
#include "view/viewload/rtfspacing.h"

namespace {

viewload::JumpTarget Parse(const std::string& s) { return viewload::ParseJumpText(s.data(), s.size()); }

TEST(JumpText, LinesSearchesAndNothing) {
  viewload::JumpTarget t = Parse("12&5");
  EXPECT_EQ(viewload::JumpKind::kLine, t.kind);
  EXPECT_EQ(12, t.line);
  EXPECT_EQ(5, t.column);
  t = Parse("12");
  EXPECT_EQ(viewload::JumpKind::kLine, t.kind);
  EXPECT_EQ(12, t.line);
  EXPECT_EQ(0, t.column);
  t = Parse("!abc");
  EXPECT_EQ(viewload::JumpKind::kSearch, t.kind);
  EXPECT_EQ("abc", t.text);
  EXPECT_EQ(2, t.hit);
  t = Parse("abc");
  EXPECT_EQ(viewload::JumpKind::kSearch, t.kind);
  EXPECT_EQ("abc", t.text);
  EXPECT_EQ(1, t.hit);
  // No digit first: the whole text is searched, "&" and all.
  t = Parse("&5");
  EXPECT_EQ(viewload::JumpKind::kSearch, t.kind);
  EXPECT_EQ("&5", t.text);
  EXPECT_EQ(1, t.hit);
  EXPECT_EQ(viewload::JumpKind::kNone, Parse("").kind);
  EXPECT_EQ(viewload::JumpKind::kNone, Parse("!").kind);
  EXPECT_EQ(viewload::JumpKind::kNone, viewload::ParseJumpText(nullptr, 5).kind);
  // Numbers past 32 bits stay at the limit.
  t = Parse("99999999999999&88888888888888");
  EXPECT_EQ(0x7FFFFFFF, t.line);
  EXPECT_EQ(0x7FFFFFFF, t.column);
  t = Parse("7&");
  EXPECT_EQ(7, t.line);
  EXPECT_EQ(0, t.column);
}

TEST(JumpText, TheCaretStaysInsideTheText) {
  EXPECT_EQ(105, viewload::JumpCaret(100, 5, 1000));
  EXPECT_EQ(100, viewload::JumpCaret(100, 0, 1000));
  // A column past the line runs on into the next lines, never past the end.
  EXPECT_EQ(1000, viewload::JumpCaret(990, 50, 1000));
  EXPECT_EQ(1000, viewload::JumpCaret(990, 0x7FFFFFFF, 1000));
  EXPECT_EQ(-1, viewload::JumpCaret(-1, 5, 1000));
}

std::uint32_t Para(const std::string& rtf, int line) { return viewload::RtfJumpParagraph(rtf.data(), rtf.size(), line); }

TEST(RtfJumpParagraph, ParPageAndRowEndParagraphsAndPardDoesNot) {
  const std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 A;}}\\pard one\\par two\\page three\\row four\\par five}";
  EXPECT_EQ(0u, Para(rtf, 1));
  EXPECT_EQ(1u, Para(rtf, 2));
  EXPECT_EQ(2u, Para(rtf, 3));
  EXPECT_EQ(3u, Para(rtf, 4));
  EXPECT_EQ(4u, Para(rtf, 5));
  // Past the end: the last paragraph; below 1: the first.
  EXPECT_EQ(4u, Para(rtf, 50));
  EXPECT_EQ(0u, Para(rtf, 0));
  EXPECT_EQ(0u, Para(rtf, -3));
  // "\pard" is no paragraph end, nor are words inside skipped groups.
  EXPECT_EQ(1u, Para("{\\rtf1 a\\pard\\pard b\\par c{\\*\\x \\par\\par}}", 9));
}

TEST(RtfJumpParagraph, GroupsAndBinaryDataDoNotCount) {
  // "\par" inside a font table or "\bin" data is no paragraph end.
  std::string rtf = "{\\rtf1{\\fonttbl\\par\\par}a\\par{\\b b\\par}c\\bin8 \\par\\par d\\par e}";
  EXPECT_EQ(3u, Para(rtf, 4));
  EXPECT_EQ(3u, Para(rtf, 99));
  // Binary data that holds braces and backslashes.
  rtf = std::string("{\\rtf1 a\\bin4 ") + std::string("}\\{\\", 4) + "\\par b}";
  EXPECT_EQ(1u, Para(rtf, 2));
}

TEST(RtfJumpParagraph, ATallExactSpacingCountsTwoLines) {
  // First paragraph under \sl-60: lines 1 and 2; the fourth line is the third paragraph.
  const std::string tall = "{\\rtf1\\pard\\sl-60\\slmult0 one\\par\\pard two\\par three\\par four\\par five}";
  EXPECT_EQ(0u, Para(tall, 2));
  EXPECT_EQ(1u, Para(tall, 3));
  EXPECT_EQ(2u, Para(tall, 4));
  // \sl-20 is not tall: line 4 is the fourth paragraph.
  const std::string flat = "{\\rtf1\\pard\\sl-20\\slmult0 one\\par\\pard two\\par three\\par four\\par five}";
  EXPECT_EQ(3u, Para(flat, 4));
  // The spacing holds until the next \pard: both paragraphs are tall.
  const std::string held = "{\\rtf1\\pard\\sl-41 a\\par b\\par\\pard c\\par d}";
  EXPECT_EQ(1u, Para(held, 3));
  EXPECT_EQ(2u, Para(held, 5));
  // Exactly 40 is not over 40; at-least spacing (positive) is not exact.
  EXPECT_EQ(2u, Para("{\\rtf1\\pard\\sl-40 a\\par b\\par c\\par d}", 3));
  EXPECT_EQ(2u, Para("{\\rtf1\\pard\\sl60 a\\par b\\par c\\par d}", 3));
}

TEST(RtfJumpParagraph, TheStreamCountKeepsItsOwnEnds) {
  // The stream scan counts \sect and not \page; the jump count the other way.
  const std::string rtf = "{\\rtf1 a\\sect b\\page c}";
  viewload::RtfSpacingScan stream;
  stream.Feed(rtf.data(), rtf.size());
  stream.Finish();
  EXPECT_EQ(2u, stream.Paragraphs());
  viewload::RtfSpacingScan jump(viewload::ParagraphEnds::kJump);
  jump.Feed(rtf.data(), rtf.size());
  jump.Finish();
  EXPECT_EQ(2u, jump.Paragraphs());
  EXPECT_EQ(1u, Para(rtf, 2));
  EXPECT_EQ(0u, Para("", 5));
}

TEST(RtfJumpParagraph, ATwentyMegabyteTextIsCountedToItsEnd) {
  // One pass over the bytes: a line past the end of a 20 MB document gives
  // its last paragraph, and a line in the middle its own paragraph.
  const std::string para = "\\pard\\sl-20 some words of one paragraph {\\b bold}\\par\r\n";
  const std::size_t count = (20u << 20) / para.size() + 1;
  std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 A;}}";
  rtf.reserve(count * para.size() + 64);
  for (std::size_t i = 0; i < count; ++i) rtf += para;
  rtf += "last}";
  ASSERT_GT(rtf.size(), 20u << 20);
  EXPECT_EQ(static_cast<std::uint32_t>(count), Para(rtf, 0x7FFFFFFF));
  EXPECT_EQ(123455u, Para(rtf, 123456));
}

TEST(CheckMarkLines, ShiftRuledHeadAndTitleRow) {
  // Entries count rows from 1: row 3 is line 2.
  std::vector<std::uint32_t> entries = {0, 3, 10, 1, 500, 7};
  csv::CheckList list;
  list.m_pEntryList = entries.data();
  list.m_nEntryListCount = static_cast<std::uint32_t>(entries.size());
  list.m_nEntryListPos = 5;  // entry 5 (7) is not in use
  viewload::CheckMarkPlace place;
  place.lineCount = 100;
  EXPECT_EQ((std::vector<std::int32_t>{2, 9, 0}), viewload::CheckMarkLines(list, place));
  place.lineShift = 2;
  EXPECT_EQ((std::vector<std::int32_t>{0, 7}), viewload::CheckMarkLines(list, place));  // 1 - 1 - 2 < 0
  place.hasTitle = true;
  EXPECT_EQ((std::vector<std::int32_t>{1, 8}), viewload::CheckMarkLines(list, place));  // 1 - 1 - 2 + 1 < 0
  place.ruled = true;
  EXPECT_EQ((std::vector<std::int32_t>{6, 13, 4}), viewload::CheckMarkLines(list, place));
  // The title row counts only with a shift.
  place.lineShift = 0;
  EXPECT_EQ((std::vector<std::int32_t>{7, 14, 5}), viewload::CheckMarkLines(list, place));
  // A next-free position past the capacity reads no further than the list.
  list.m_nEntryListPos = 5000;
  place = viewload::CheckMarkPlace();
  place.lineCount = 1000;
  EXPECT_EQ((std::vector<std::int32_t>{2, 9, 0, 499, 6}), viewload::CheckMarkLines(list, place));
  // The line count is the last line taken.
  place.lineCount = 9;
  EXPECT_EQ((std::vector<std::int32_t>{2, 9, 0, 6}), viewload::CheckMarkLines(list, place));
}

}  // namespace
