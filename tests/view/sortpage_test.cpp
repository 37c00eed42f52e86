// The page commands' portable choices: the parts of a long text (next and
// previous, cut at line ends, wrapping at both ends, whole Shift-JIS
// characters in one long line), the step each command takes, the sort's key
// column and codes, and the page size of the ruled-table display.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/docsvc/filekind.h"
#include "view/viewload/sortpage.h"
#include "view/viewload/textparts.h"

namespace {

using viewload::TextPart;

std::string PartText(const std::string& t, const TextPart& p) { return t.substr(p.start, p.length); }

// Every part from the first by NextTextPart until it wraps.
std::vector<TextPart> ForwardParts(const std::string& t, long long limit) {
  std::vector<TextPart> parts;
  TextPart p = viewload::NextTextPart(t.data(), t.size(), 0, 0, limit);
  while (parts.size() < t.size() + 2) {
    parts.push_back(p);
    if (p.toEnd) break;
    p = viewload::NextTextPart(t.data(), t.size(), p.start, p.length, limit);
  }
  return parts;
}

TEST(TextParts, NextPartsCoverTheTextAtLineEndsAndWrap) {
  const std::string t = "line1\r\nline2\r\nline3\r\nlast";
  // "outdata" 15: two lines a part.
  const std::vector<TextPart> parts = ForwardParts(t, 15);
  ASSERT_EQ(2u, parts.size());
  EXPECT_EQ("line1\r\nline2\r\n", PartText(t, parts[0]));
  EXPECT_EQ("line3\r\nlast", PartText(t, parts[1]));
  EXPECT_FALSE(parts[0].toEnd);
  EXPECT_TRUE(parts[1].toEnd);
  // From the last part the next is the first again.
  const TextPart wrap = viewload::NextTextPart(t.data(), t.size(), parts[1].start, parts[1].length, 15);
  EXPECT_EQ(0u, wrap.start);
  EXPECT_EQ(parts[0].length, wrap.length);
  // No limit: the whole text is one part.
  const TextPart whole = viewload::NextTextPart(t.data(), t.size(), 0, 0, 0);
  EXPECT_EQ(t.size(), whole.length);
  EXPECT_TRUE(whole.toEnd);
}

TEST(TextParts, PreviousPartEndsWhereTheShownOneStartsAndWrapsToTheLast) {
  const std::string t = "aaaa\nbbbb\ncccc\ndddd\neeee\n";
  // From "dddd" (offset 15) with limit 12: the part ends at 15 and starts
  // at the first line start at most 12 bytes before it.
  TextPart p = viewload::PreviousTextPart(t.data(), t.size(), 15, 12);
  EXPECT_EQ("bbbb\ncccc\n", PartText(t, p));
  // Exactly at a line start 10 bytes back.
  p = viewload::PreviousTextPart(t.data(), t.size(), 15, 10);
  EXPECT_EQ("bbbb\ncccc\n", PartText(t, p));
  // Near the start: the part from 0.
  p = viewload::PreviousTextPart(t.data(), t.size(), 5, 12);
  EXPECT_EQ(0u, p.start);
  EXPECT_EQ("aaaa\n", PartText(t, p));
  // From the first part: the last part, ending at the text's end.
  p = viewload::PreviousTextPart(t.data(), t.size(), 0, 12);
  EXPECT_EQ("dddd\neeee\n", PartText(t, p));
  EXPECT_TRUE(p.toEnd);
}

TEST(TextParts, OneLongLineIsCutAtWholeCharacters) {
  // Shift-JIS characters with ASCII trail bytes (ソ 0x83 0x5C, 表 0x95 0x5C).
  const std::string t = "a\x83\x5C\x95\x5C" "b\x83\x5C\x95\x5C";  // 10 bytes, no line end
  const std::vector<TextPart> parts = ForwardParts(t, 4);
  std::string joined;
  for (const TextPart& p : parts) {
    EXPECT_GT(p.length, 0u);
    const std::string s = PartText(t, p);
    // Never a lead byte at a part's end.
    const unsigned char last = static_cast<unsigned char>(s.back());
    EXPECT_TRUE(last == 0x5C || last == 'a' || last == 'b') << s;
    joined += s;
  }
  EXPECT_EQ(t, joined);
  // Backwards from the end: whole characters too.
  TextPart p = viewload::PreviousTextPart(t.data(), t.size(), 0, 3);
  EXPECT_EQ("\x95\x5C", PartText(t, p));
  // Four bytes before offset 6 is the trail byte of ソ: the part starts
  // after that character.
  p = viewload::PreviousTextPart(t.data(), t.size(), 6, 4);
  EXPECT_EQ("\x95\x5C" "b", PartText(t, p));
  // A limit below one character still shows that character.
  p = viewload::NextTextPart(t.data(), t.size(), 0, 1, 1);
  EXPECT_EQ("\x83\x5C", PartText(t, p));
  p = viewload::PreviousTextPart(t.data(), t.size(), 5, 1);
  EXPECT_EQ("\x95\x5C", PartText(t, p));
}

TEST(TextParts, PartsPastTheTextAreSafe) {
  const std::string t = "x\ny\n";
  TextPart p = viewload::NextTextPart(t.data(), t.size(), 100, 100, 2);
  EXPECT_EQ(0u, p.start);
  EXPECT_EQ("x\n", PartText(t, p));
  p = viewload::PreviousTextPart(t.data(), t.size(), 100, 2);
  EXPECT_EQ("y\n", PartText(t, p));
  p = viewload::NextTextPart(nullptr, 0, 0, 0, 2);
  EXPECT_EQ(0u, p.length);
}

TEST(SortPage, PageCommandsStepByWhatIsShown) {
  using viewload::PageCase;
  EXPECT_EQ(PageCase::kCsvTable, viewload::PageCaseOf(docsvc::kKindCsv, 0, false));
  EXPECT_EQ(PageCase::kCsvTable, viewload::PageCaseOf(docsvc::kKindCommaTable, 2, false));
  EXPECT_EQ(PageCase::kOther, viewload::PageCaseOf(docsvc::kKindCsv, 1, false));  // source form 1
  EXPECT_EQ(PageCase::kTextPart, viewload::PageCaseOf(docsvc::kKindText, 0, true));
  EXPECT_EQ(PageCase::kOther, viewload::PageCaseOf(docsvc::kKindText, 0, false));
  EXPECT_EQ(PageCase::kOther, viewload::PageCaseOf(docsvc::kKindRichText, 0, true));
  EXPECT_EQ(PageCase::kOther, viewload::PageCaseOf(docsvc::kKindBmp, 0, false));
}

TEST(SortPage, KeyColumnAndCodes) {
  EXPECT_EQ(2, viewload::SortKeyColumn(2, 0, 0));
  // The column page's first column (low 16 bits) is added.
  EXPECT_EQ(12, viewload::SortKeyColumn(2, 0x0003000A, 0));
  // Ruled-table mode: one less, never below 0.
  EXPECT_EQ(1, viewload::SortKeyColumn(2, 0, 3));
  EXPECT_EQ(0, viewload::SortKeyColumn(0, 0, 3));
  EXPECT_EQ(3, viewload::SortKeyCode(2, false));
  EXPECT_EQ(-3, viewload::SortKeyCode(2, true));  // ~2
  EXPECT_EQ(-1, viewload::SortKeyCode(0, true));  // never 0: column 0 descending is still a request
  EXPECT_EQ(3, viewload::SortKeyArgument(2, false));
  EXPECT_EQ(-3, viewload::SortKeyArgument(2, true));
  EXPECT_EQ(-1, viewload::SortKeyArgument(0, true));
}

TEST(SortPage, RuledModeKeepsItsOwnPageSize) {
  std::int32_t copy = 0;
  EXPECT_EQ(1000u, viewload::PageSizeFor(0, 1000, &copy));
  EXPECT_EQ(0, copy);  // the normal display reads the setting each time
  EXPECT_EQ(500u, viewload::PageSizeFor(0, 500, &copy));
  EXPECT_EQ(1000u, viewload::PageSizeFor(0, 0, &copy));  // unset: 1000
  // Ruled-table mode: taken from the document the first time, then kept.
  EXPECT_EQ(500u, viewload::PageSizeFor(3, 500, &copy));
  EXPECT_EQ(500, copy);
  EXPECT_EQ(500u, viewload::PageSizeFor(3, 2000, &copy));
}

}  // namespace
