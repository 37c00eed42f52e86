// The library boundary: the handler table, the capacity of the output, the
// report of a function that is not available yet, and the cell formats of
// ATR.
#include "macro/macro_builtins.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "macro/macro_cellformat.h"
#include "macro/macro_state.h"
#include "test_host.h"

namespace {

void Overrun(macro::BuiltinScope&, macro::BuiltinArgs& a) {
  a.Put("abcdefghij", 10);
  *a.pnOutLen = 1 << 30;  // a length past what it may write is held to the capacity
}
void Echo(macro::BuiltinScope& s, macro::BuiltinArgs& a) { a.Put(a.Field(s)); }

TEST(Builtins, HandlersAreRegisteredAndPutBack) {
  EXPECT_EQ(nullptr, macro::MacroBuiltinHandler(-1));
  EXPECT_EQ(nullptr, macro::MacroBuiltinHandler(macro::kBuiltinCodes));
  EXPECT_EQ(nullptr, macro::MacroSetBuiltinHandler(700, Echo));
  const macro::BuiltinHandler before = macro::MacroBuiltinHandler(599);
  {
    macro::ScopedBuiltin h(599, Echo);
    EXPECT_EQ(&Echo, macro::MacroBuiltinHandler(599));
  }
  EXPECT_EQ(before, macro::MacroBuiltinHandler(599));
}

TEST(Builtins, TheOutputIsCutAtItsCapacity) {
  auto st = std::make_unique<macro::MacroState>();
  macrotest::TestHost host;
  macro::BuiltinScope scope{*st, &host, nullptr, 0};
  macro::ScopedBuiltin h(22, Overrun);
  std::uint8_t out[8] = {};
  int outLen = 2, readPos = 0;
  const std::uint8_t src[] = "x";
  EXPECT_EQ(0, macro::MacroCallBuiltinFunction(scope, 22, nullptr, 1, 1, &readPos, &outLen, nullptr, nullptr, src,
                                               out, "UP", "", nullptr, nullptr, nullptr, 6));
  EXPECT_EQ(6, outLen);
  EXPECT_EQ("abcd", std::string(reinterpret_cast<char*>(out) + 2, 4));
  EXPECT_EQ(0, out[6]);
  EXPECT_EQ(0, out[7]);
  EXPECT_TRUE(host.reports.empty());
}

TEST(Builtins, FieldReadsUpToItsEnd) {
  auto st = std::make_unique<macro::MacroState>();
  macro::BuiltinScope scope{*st, nullptr, nullptr, 9};
  const std::uint8_t src[] = "ab\x06" "cd\r\nef";
  int pos = 3;
  macro::BuiltinArgs a;
  a.pSource = src;
  a.pnReadPos = &pos;
  EXPECT_EQ("cd", std::string(a.Field(scope)));
  scope.sourceLength = 4;  // the source ends inside the field
  EXPECT_EQ("c", std::string(a.Field(scope)));
}

TEST(Builtins, ACodeWithoutAHandlerIsReportedAndChangesNothing) {
  auto st = std::make_unique<macro::MacroState>();
  macrotest::TestHost host;
  macro::BuiltinScope scope{*st, &host, nullptr, 0};
  macro::ScopedBuiltin none(41, nullptr);
  std::uint8_t out[4] = {1, 2, 3, 4};
  int outLen = 0, readPos = 0;
  EXPECT_EQ(-1, macro::MacroCallBuiltinFunction(scope, 41, nullptr, 1, 1, &readPos, &outLen, nullptr, nullptr,
                                                nullptr, out, "SD3", "", nullptr, nullptr, nullptr, 4));
  EXPECT_EQ((std::vector<std::string>{"#function not available yet : SD3"}), host.reports);
  EXPECT_EQ(0, outLen);
  EXPECT_EQ(1, out[0]);
}

TEST(CellFormat, ItemsAndErrors) {
  macro::CellFormat f;
  int at = -1;
  ASSERT_TRUE(macro::ParseCellFormat("b i,-U;s CFF8000 k00ff00 P72 ac", &f, &at));
  EXPECT_EQ(macro::FormatSwitch::kOn, f.bold);
  EXPECT_EQ(macro::FormatSwitch::kOn, f.italic);
  EXPECT_EQ(macro::FormatSwitch::kOff, f.underline);
  EXPECT_EQ(macro::FormatSwitch::kOn, f.strike);
  EXPECT_EQ(0x0080FF, f.textColour);
  EXPECT_EQ(0x00FF00, f.backColour);
  EXPECT_EQ(72, f.points);
  EXPECT_EQ('C', f.align);
  for (const char* bad : {"", "  ", "X", "P0", "P73", "P1234", "CFF00", "CGG0000", "AX", "-C", "BB"}) {
    EXPECT_FALSE(macro::ParseCellFormat(bad, &f, &at)) << bad;
  }
  EXPECT_FALSE(macro::ParseCellFormat("B,Q", &f, &at));
  EXPECT_EQ(2, at);
}

TEST(CellFormat, SpansOfColumnsInALine) {
  const std::string line = "ab\tcde\x06" "f\tg";
  int s = -1, e = -1;
  ASSERT_TRUE(macro::CellSpanInLine(line.data(), static_cast<int>(line.size()), 2, 3, &s, &e));
  EXPECT_EQ("cde\x06" "f", line.substr(s, e - s));
  ASSERT_TRUE(macro::CellSpanInLine(line.data(), static_cast<int>(line.size()), 4, 999, &s, &e));
  EXPECT_EQ("g", line.substr(s, e - s));
  ASSERT_TRUE(macro::CellSpanInLine(line.data(), static_cast<int>(line.size()), 1, 1, &s, &e));
  EXPECT_EQ("ab", line.substr(s, e - s));
  EXPECT_FALSE(macro::CellSpanInLine(line.data(), static_cast<int>(line.size()), 5, 5, &s, &e));
  EXPECT_FALSE(macro::CellSpanInLine(line.data(), static_cast<int>(line.size()), 0, 5, &s, &e));
}

}  // namespace
