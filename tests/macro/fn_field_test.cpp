// The field and width functions of the built-in library through the
// command-line evaluator: each function's examples and edge cases, the
// table-walking functions over a small table, and the output capacity.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "csv/csv_table.h"
#include "csv/csv_widths.h"
#include "macro/macro_builtins.h"
#include "macro/macro_cmdfunc.h"
#include "macro/macro_fn_common.h"
#include "macro/macro_state.h"
#include "test_host.h"

namespace {

class Fn : public ::testing::Test {
 protected:
  std::unique_ptr<macro::MacroState> st = std::make_unique<macro::MacroState>();
  std::unique_ptr<csv::Table> table = std::make_unique<csv::Table>();
  std::vector<std::uint32_t> pos = std::vector<std::uint32_t>(csv::kColumnPositionSlots, 0);
  std::vector<std::uint32_t> checks = std::vector<std::uint32_t>(10, 0);
  macrotest::TestHost host;
  macro::CmdFuncScope scope{*st};

  void SetUp() override {
    scope.host = &host;
    scope.table = table.get();
    scope.columnPos = pos.data();
    scope.columnPosSlots = static_cast<int>(pos.size());
    scope.checkList = checks.data();
    scope.checkListUsed = 0;
  }
  void Load(const std::string& file) { ASSERT_TRUE(table->LoadFileText(file.data(), file.size(), 64)); }
  std::string Text() const {
    std::string s(reinterpret_cast<const char*>(table->m_pTextBuf), table->m_nTextLen);
    for (char& c : s) c = c == 0x06 ? ',' : c;
    return s;
  }
  // The function over one value (variable mode).
  std::string F(const std::string& func, const std::string& value) {
    st->m_strMacroVars[187] = CString(value);
    EXPECT_EQ(1, macro::MacroEvalCommandLineFunctions(scope, 0, 0, -1, 187, CString("#" + func))) << func;
    return st->m_strMacroVars[187].Str();
  }
  // The function over the cell at row, col (its result in slot 170).
  std::string At(const std::string& func, int row, int col) {
    st->m_strMacroVars[170] = "";
    EXPECT_EQ(1, macro::MacroEvalCommandLineFunctions(scope, 1, row, -1, col, CString("#" + func))) << func;
    return st->m_strMacroVars[170].Str();
  }
  int Cells(int r1, int r2, int c1, int c2, const std::string& funcs) {
    return macro::MacroEvalCommandLineFunctions(scope, r1, r2, c1, c2, CString(funcs));
  }
};

struct Case {
  const char* func;
  const char* in;
  const char* out;
};

TEST_F(Fn, FieldFunctionsGiveTheirExamples) {
  const Case cases[] = {
      {"CZ", "0", "0"},           {"CZ", "-007", "-7"},        {"CZ", "\"007\"", "\"7\""},
      {"CZ", "000", "0"},         {"CZ", "+0012", "+12"},      {"CZ", "", ""},
      {"CL", "  ab", "ab"},       {"CL", "\x81\x40 ab", "ab"}, {"CL", "\" x\"", "\"x\""},
      {"CR", "ab  ", "ab"},       {"CR", "\"ab  \"", "\"ab\""}, {"CR", "ab\x81\x40", "ab"},
      {"CR", "\x82\x81 ", "\x82\x81"},
      {"CQ", "\"1,234\"", "1234"}, {"CQ", "a\x82,b", "a\x82,b"},
      {"AQ", "\"abc\"", "\"abc\""}, {"AQ", "abc", "\"abc\""}, {"AQ", "a\"b", "\"a\"b"},
      {"C0", "1.500", "1.5"},     {"C0", "2.000", "2"},        {"C0", "\"x1.20\"", "\"x1.2\""},
      {"C0", "100", "100"},
      {"SN", "a-1,2.5b", "-1,2.5"}, {"SD", "a-1,2.5b", "125"},  {"SA", "a\x82\xa0" "b\xb1", "ab"},
      {"UP", "abc\x83\x61", "ABC\x83\x61"}, {"LW", "ABC\x83\x41", "abc\x83\x41"},
      {"TU", "hELLO wORLD", "Hello world"}, {"TU", "\"aBC\"", "\"Abc\""},
      {"LEN", "\"ab\"", "4"},      {"DN", "\"ab\"", "2"},        {"DN", "ab", "2"},
      {"POS", "abc", "abc"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.out, F(c.func, c.in)) << c.func << " on " << c.in;
}

TEST_F(Fn, WidthFunctionsGiveTheirExamples) {
  const Case cases[] = {
      {"FL5", "123", "  123"},   {"FL5", "abcdefg", "cdefg"}, {"FZ5", "-12", "-0012"},
      {"AL5", "abcdefg", "abcdefg"}, {"FR5", "ab", "ab   "}, {"FR5", "abcdefg", "abcde"},
      {"CR3", "abcdef", "abc"},  {"CR3", "ab", "ab"},          {"A05", "12", "12000"},
      {"CL3", "abcdef", "def"},  {"AZ5", " 7", "00007"},       {"F05", "1.5", "1.500"},
      {"AR4", "abcdef", "abcdef"}, {"FL5", "\"ab\"", "\"   ab\""}, {"FR3", "\"abcd\"", "\"abc\""},
      {"FL5", "~ab", "~ab"},     {"FR2", "~abcd", "~abcd"},
      // A cut through a double-byte character leaves a blank.
      {"FR3", "a\x82\xa0" "b", "a\x82\xa0"}, {"FR2", "a\x82\xa0" "b", "a "},
      {"FL2", "a\x82\xa0", "\x82\xa0"}, {"FL1", "a\x82\xa0", " "},
  };
  for (const Case& c : cases) EXPECT_EQ(c.out, F(c.func, c.in)) << c.func << " on " << c.in;
}

// Faults built soundly: a long field cut through a character keeps no half
// character, whatever its length (the lead bytes are tracked over the
// whole field, not a 3,000-byte work copy).
TEST_F(Fn, ALongFieldIsCutAtACharacterBoundary) {
  std::string big;
  for (int k = 0; k < 2000; ++k) big += "\x82\xa0";  // 4,000 bytes
  auto call = [&](int code, int width) {
    std::vector<std::uint8_t> src(big.begin(), big.end());
    src.push_back(0x06);
    std::vector<std::uint8_t> out(5000);
    int param = width, readPos = 0, outLen = 0;
    macro::BuiltinScope bs{*st, &host, nullptr, static_cast<std::uint32_t>(src.size())};
    macro::MacroCallBuiltinFunction(bs, code, &param, 1, 1, &readPos, &outLen, nullptr, nullptr, src.data(),
                                    out.data(), "FX", "", nullptr, nullptr, nullptr, 5000);
    EXPECT_EQ(4000, readPos);
    return std::string(reinterpret_cast<const char*>(out.data()), static_cast<std::size_t>(outLen));
  };
  const std::string left = call(12, 3999);  // FR
  ASSERT_EQ(3999u, left.size());
  EXPECT_EQ(' ', left.back());
  EXPECT_EQ(big.substr(0, 3998), left.substr(0, 3998));
  const std::string right = call(11, 3999);  // FL
  ASSERT_EQ(3999u, right.size());
  EXPECT_EQ(' ', right.front());
  EXPECT_EQ(big.substr(2), right.substr(1));
}

TEST_F(Fn, RowAndColumnNumbersAndCheckList) {
  Load("h1,h2\r\na,b\r\nc,d\r\ne,f\r\n");
  EXPECT_EQ("3", At("LN", 3, 2));
  ASSERT_EQ(1, Cells(3, 3, 2, 2, "#RN"));
  EXPECT_EQ("h1,h2\r\na,b\r\nc,2\r\ne,f\r\n", Text());
  checks[1] = 0;  // skipped
  checks[2] = 3;
  checks[3] = 4;
  scope.checkListUsed = 4;
  EXPECT_EQ("1", At("CK", 3, 1));
  EXPECT_EQ("0", At("CK", 2, 1));
  EXPECT_EQ("2", At("CKN", 4, 1));
  EXPECT_EQ("0", At("CKN", 2, 1));
  // The check statement fills the list from entry 0.
  checks[0] = 2;
  EXPECT_EQ("1", At("CK", 2, 1));
  EXPECT_EQ("3", At("CKN", 4, 1));
}

TEST_F(Fn, BlockFunctionsCountFromTheTitleRow) {
  Load("h1,h2\r\na,b\r\nc,d\r\ne,f\r\n");
  const int title = static_cast<int>(table->m_aSecLine[1]);
  ASSERT_GE(title, 1);
  EXPECT_EQ("1", At("TN", title, 1));
  EXPECT_EQ("2", At("LNM", title, 1));
  EXPECT_EQ("3", At("LNM", title + 1, 1));
  EXPECT_EQ("4", At("LNM", title + 2, 1));
  EXPECT_EQ("1", At("PN", title + 2, 1));
  EXPECT_EQ("3", At("TN", title + 2, 1));
  EXPECT_EQ("h2", At("TTL", title + 2, 2));
}

TEST_F(Fn, FillUpTakesTheRowAboveAcrossACommentLine) {
  Load("h1,h2\r\n,x\r\na,b\r\n~note\r\n,c\r\n,d\r\n");
  ASSERT_EQ(1, Cells(1, -1, 1, 1, "#FU"));
  // Row 2 (the first data row) stays empty; rows 5 and 6 take "a".
  EXPECT_EQ("h1,h2\r\n,x\r\na,b\r\n~note\r\na,c\r\na,d\r\n", Text());
}

// Faults built soundly: fill up never reads before the output; a row whose
// line above is not in the text rebuilt so far copies nothing.
TEST_F(Fn, FillUpWithoutTheLineAboveCopiesNothing) {
  std::uint8_t src[] = {0x06};
  for (const std::string head : {"", "abc", "x\r\n", "~c\r\ny,", "a\x06" "b\r\nc,"}) {
    std::vector<std::uint8_t> h(head.begin(), head.end());
    std::uint8_t out[16] = {};
    int param = 0, readPos = 0, outLen = 0;
    macro::BuiltinScope bs{*st, &host, nullptr, 1};
    bs.outHead = h.empty() ? nullptr : h.data();
    bs.outHeadLen = static_cast<std::uint32_t>(h.size());
    macro::MacroCallBuiltinFunction(bs, 5, &param, 2, 5, &readPos, &outLen, nullptr, nullptr, src, out, "FU", "",
                                    nullptr, nullptr, nullptr, 16);
    const std::string got(reinterpret_cast<const char*>(out), static_cast<std::size_t>(outLen));
    // Only the last one has a whole line above with a second field.
    EXPECT_EQ(head == "a\x06" "b\r\nc," ? "b" : "", got) << head;
  }
}

TEST_F(Fn, FillDownStopsAtANewBlock) {
  Load("h1,h2\r\n,x\r\n\"\",y\r\na,b\r\n,z\r\n!#\r\nq,r\r\n");
  ASSERT_EQ(1, Cells(1, -1, 1, 1, "#FD"));
  const std::string t = Text();
  EXPECT_NE(std::string::npos, t.find("a,x\r\na,y\r\na,b\r\n,z\r\n")) << t;
}

// Long runs of empty cells: the value found is remembered for the cells
// above it, so the walk stays linear.
TEST_F(Fn, FillDownOverLongGaps) {
  std::string file = "h,v\r\n", want = "h,v\r\n";
  for (int r = 0; r < 20000; ++r) {
    const bool value = r % 5000 == 4999;
    file += "x," + (value ? std::to_string(r) : std::string()) + "\r\n";
    want += "x," + std::to_string(r / 5000 * 5000 + 4999) + "\r\n";
  }
  Load(file);
  ASSERT_EQ(1, Cells(1, -1, 2, 2, "#FD"));
  // The last row is never filled (it is the last); here it holds a value.
  EXPECT_EQ(want, Text());
}

TEST_F(Fn, ReplaceCountsIntoTheRunTotal) {
  st->m_nMacroReplaceTotal = 0;
  EXPECT_EQ("xbxb", F("RPa:x", "abab"));
  EXPECT_EQ(2, st->m_nMacroReplaceTotal);
}

TEST_F(Fn, WidthNineNinetyNineTakesTheColumnsWidth) {
  Load("a,b,ccc\r\n1,2,3\r\n4,5,66666\r\n");
  ASSERT_EQ(1, Cells(1, -1, 3, 3, "#FS999"));
  EXPECT_EQ("a,b,ccc\r\n1,2,    3\r\n4,5,66666\r\n", Text());
}

// Faults built soundly: every write is held to the output's capacity.
TEST_F(Fn, NoHandlerWritesPastItsCapacity) {
  std::vector<std::uint8_t> src = {'"', 'a', 'b', 0x06};
  for (int code = 0; code < macro::kBuiltinCodes; ++code) {
    if (macro::MacroBuiltinHandler(code) == nullptr || code >= 500) continue;
    for (int cap = 0; cap < 6; ++cap) {
      std::vector<std::uint8_t> out(cap + 8, 0xEE);
      int param = 50, readPos = 0, outLen = 0;
      macro::BuiltinScope bs{*st, &host, table.get(), 3};
      macro::MacroCallBuiltinFunction(bs, code, &param, 1, 3, &readPos, &outLen, nullptr, nullptr, src.data(),
                                      out.data(), "XX50", "", nullptr, nullptr, nullptr, cap);
      EXPECT_LE(outLen, cap) << code;
      for (std::size_t k = static_cast<std::size_t>(cap); k < out.size(); ++k) EXPECT_EQ(0xEE, out[k]) << code;
      EXPECT_LE(readPos, 3) << code;
    }
  }
}

TEST_F(Fn, CodesOutsideTheTableWriteNothing) {
  std::uint8_t src[] = {'a', 0x06};
  std::uint8_t out[4] = {};
  for (int code : {-1, -999, 600, 5000}) {
    int param = 3, readPos = 0, outLen = 0;
    macro::BuiltinScope bs{*st, &host, table.get(), 2};
    EXPECT_EQ(0, macro::MacroCallBuiltinFunction(bs, code, &param, 1, 1, &readPos, &outLen, nullptr, nullptr, src, out,
                                                 "XX", "", nullptr, nullptr, nullptr, 4));
    EXPECT_EQ(0, outLen);
    EXPECT_EQ(0, readPos);
    EXPECT_EQ(3, param);
  }
  EXPECT_TRUE(host.reports.empty());
}

TEST_F(Fn, EveryFamilyHasItsHandlers) {
  // Dates and times, numbers, number formats and code conversions included.
  for (int code = 0; code < 500; ++code)
    if (macro::IsLaterFamilyCode(code)) EXPECT_NE(nullptr, macro::MacroBuiltinHandler(code)) << code;
  for (int code : {0, 5, 10, 11, 16, 48, 60, 168, 178, 180, 181, 187, 200, 499, 500, 599})
    EXPECT_NE(nullptr, macro::MacroBuiltinHandler(code)) << code;
}

}  // namespace
