#include "view/viewcore/commaform.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using viewcore::CommaFormKind;

std::string Comma(const std::string& work, viewcore::CommaFormStats* st = nullptr) {
  return viewcore::ToCommaForm(reinterpret_cast<const std::uint8_t*>(work.data()), work.size(),
                               CommaFormKind::kComma, st);
}
std::string Tabs(const std::string& work) {
  return viewcore::ToCommaForm(reinterpret_cast<const std::uint8_t*>(work.data()), work.size(),
                               CommaFormKind::kTab);
}

TEST(CommaForm, SeparatorsAndRowEnds) {
  EXPECT_EQ(Comma("a\x06" "b\x06" "c\r\n1\x06" "2\x06" "3\r\n"), "a,b,c\r\n1,2,3\r\n");
  // A TAB from the display is a separator too; lone CR and LF row ends stay.
  EXPECT_EQ(Comma("a\tb\rc\x06" "d\ne\x06" "f"), "a,b\rc,d\ne,f");
  EXPECT_EQ(Comma(""), "");
  EXPECT_EQ(Comma("\x06\x06\r\n"), ",,\r\n");
}

TEST(CommaForm, QuotesStayAsTheyWereInTheFile) {
  // A quoted field with a comma inside, a quoted field without one, and
  // doubled quotes: all written unchanged.
  const std::string row = "\"x,y\"\x06\"plain\"\x06\"say \"\"hi\"\"\"\x06z\r\n";
  EXPECT_EQ(Comma(row), "\"x,y\",\"plain\",\"say \"\"hi\"\"\",z\r\n");
}

TEST(CommaForm, CommaOutsideQuotesGetsQuoted) {
  viewcore::CommaFormStats st;
  EXPECT_EQ(Comma("1,000\x06" "b\r\n", &st), "\"1,000\",b\r\n");
  EXPECT_EQ(st.quotedFields, 1u);
  // Its own quotes are doubled, so the comma reads back inside quotes.
  EXPECT_EQ(Comma("\"a\"b,c\x06" "d\r\n"), "\"\"\"a\"\"b,c\",d\r\n");
  // Double-byte text around the comma is copied byte for byte.
  EXPECT_EQ(Comma("表,ソ\x06" "x"), "\"表,ソ\",x");
}

TEST(CommaForm, TabInsideQuotesIsData) {
  EXPECT_EQ(Comma("\"a\tb\"\tc\r\n"), "\"a\tb\",c\r\n");
}

TEST(CommaForm, UnpairedQuoteIsClosedAtTheFieldEnd) {
  viewcore::CommaFormStats st;
  EXPECT_EQ(Comma("5\" disk\x06" "x,y\r\nnext\x06row\r\n", &st), "5\" disk\",\"x,y\"\r\nnext,row\r\n");
  EXPECT_EQ(st.closedQuotes, 1u);
}

TEST(CommaForm, TrailingControlBytesAfterTheLastRowEnd) {
  viewcore::CommaFormStats st;
  // The display's last paragraph mark, a stray empty line: dropped.
  EXPECT_EQ(Comma("a\x06" "b\r\n\r", &st), "a,b\r\n");
  EXPECT_EQ(st.droppedTail, 1u);
  EXPECT_EQ(Comma("a\x06" "b\r\n\r\n", &st), "a,b\r\n");
  EXPECT_EQ(st.droppedTail, 2u);
  EXPECT_EQ(Comma("a\x06" "b\r\n\x06"), "a,b\r\n");
  // The row end itself stays; three or more bytes are real empty rows.
  EXPECT_EQ(Comma("a\x06" "b\r\n"), "a,b\r\n");
  EXPECT_EQ(Comma("a\x06" "b\r\n\r\n\r\n"), "a,b\r\n\r\n\r\n");
  // Separators ending an unterminated last row are empty fields, not a tail.
  EXPECT_EQ(Comma("a\x06" "b\r\nc\x06"), "a,b\r\nc,");
  // One field per row: nothing dropped.
  EXPECT_EQ(Comma("a\r\nb\r\n\r"), "a\r\nb\r\n\r");
}

TEST(CommaForm, EndsAtTheFirstNul) {
  const std::string work("a\x06" "b\r\n\0junk", 9);
  EXPECT_EQ(Comma(work), "a,b\r\n");
}

TEST(CommaForm, TabFormForKindNine) {
  EXPECT_EQ(viewcore::CommaFormKindFor(33), CommaFormKind::kComma);
  EXPECT_EQ(viewcore::CommaFormKindFor(35), CommaFormKind::kComma);
  EXPECT_EQ(viewcore::CommaFormKindFor(9), CommaFormKind::kTab);
  EXPECT_EQ(Tabs("a,1\x06\"b\"\x06" "c\r\nd\x06" "e\r\n\r"), "a,1\t\"b\"\tc\r\nd\te\r\n");
}

}  // namespace
