// The end of a table text that may hold a NUL before its recorded length.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "csv/csv_findinline.h"

namespace {

TEST(FindInLine, StopsAtTheFirstNulWithinTheLength) {
  struct Case {
    std::string text;
    std::size_t len;
    std::size_t want;
  } const cases[] = {
      {std::string("a,b\r\n"), 5, 5},                    // no NUL: the length itself
      {std::string("a,b\0c\r\n", 7), 7, 3},              // a NUL inside: cut there
      {std::string("\0abc", 4), 4, 0},                   // NUL first: empty
      {std::string("ab\0c\0", 5), 5, 2},                 // the first of two
      {std::string("abc\0", 4), 3, 3},                   // a NUL past the length is not seen
      {std::string(""), 0, 0},
  };
  for (const Case& c : cases) {
    // A copy with no terminator after the length: ASan sees any read past it.
    std::vector<char> buf(c.text.begin(), c.text.begin() + static_cast<std::ptrdiff_t>(c.len));
    EXPECT_EQ(csv::FindInLine(buf.empty() ? nullptr : buf.data(), c.len), c.want) << c.len;
  }
  EXPECT_EQ(csv::FindInLine(nullptr, 10), 0u);
}

TEST(FindInLine, LongBufferWithoutNulReadsOnlyItsBytes) {
  std::vector<char> buf(1 << 20, 'x');
  EXPECT_EQ(csv::FindInLine(buf.data(), buf.size()), buf.size());
  buf[700000] = '\0';
  EXPECT_EQ(csv::FindInLine(buf.data(), buf.size()), 700000u);
}

}  // namespace
