// The designed text functions, one table each, through the evaluator with
// the names and operands as a macro writes them (the graph template's
// substring forms among them).
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "csv/csv_table.h"
#include "macro/macro_cmdfunc.h"
#include "macro/macro_state.h"
#include "test_host.h"

namespace {

struct Case {
  const char* func;
  const char* in;
  const char* out;
};

class FnText : public ::testing::Test {
 protected:
  std::unique_ptr<macro::MacroState> st = std::make_unique<macro::MacroState>();
  macrotest::TestHost host;
  macro::CmdFuncScope scope{*st};
  void SetUp() override { scope.host = &host; }
  std::string F(const std::string& func, const std::string& value) {
    st->m_strMacroVars[187] = CString(value);
    EXPECT_EQ(1, macro::MacroEvalCommandLineFunctions(scope, 0, 0, -1, 187, CString("#" + func))) << func;
    return st->m_strMacroVars[187].Str();
  }
  void Table(const Case* cases, std::size_t n) {
    for (std::size_t k = 0; k < n; ++k)
      EXPECT_EQ(cases[k].out, F(cases[k].func, cases[k].in)) << cases[k].func << " on " << cases[k].in;
  }
};

TEST_F(FnText, Substrings) {
  const Case cases[] = {
      {"LF3", "abcdef", "abc"},          {"RG4", "abcdef", "cdef"},       {"RG1", "abcdef", "f"},
      {"LF2", "\x82\xa0\x82\xa2x", "\x82\xa0\x82\xa2"}, {"RG2", "x\x82\xa0\x82\xa2", "\x82\xa0\x82\xa2"},
      {"LF9", "ab", "ab"},               {"MD2:3", "abcdef", "bcd"},      {"MD3", "abcdef", "cdef"},
      {"MDR2:3", "abcdefg", "def"},      {"CC2", "a\x82\xa0" "b", "a"},   {"CC3", "ab\x82\xa0", "ab"}, {"CC3", "a\x82\xa0" "b", "a\x82\xa0"},
      {"CCR3", "a\x82\xa0" "b", "\x82\xa0" "b"}, {"CCR2", "a\x82\xa0" "b", "b"},
      // The graph template's forms.
      {"LF^:", "2024:05", "2024"},       {"RG^:", "a:b:c", "b:c"},        {"RGA^:", "a:b:c", "c"},
      {"LFA^:", "a:b:c", "a:b"},         {"LF^:", "none", "none"},        {"RG^:", "none", ""},
      {"LF^\\#", "x#y", "x"},            {"LF3", "\"abcdef\"", "\"abc\""},
  };
  Table(cases, sizeof cases / sizeof cases[0]);
}

TEST_F(FnText, CommasBlanksDeletionsAndCounts) {
  const Case cases[] = {
      {"AC", "1234567.5", "1,234,567.5"}, {"AC", "-1234", "-1,234"},    {"AC", "123", "123"},
      {"AC", "12a34", "12a34"},           {"AC", "\"1234\"", "\"1,234\""},
      {"CA", " a b\x81\x40" "c ", "abc"},
      {"DLA:-", "-a-b-", "ab"},           {"DLB:-", "--a-b-", "a-b-"},  {"DLC:-", "-a-b--", "-a-b"},
      {"DLD:-*", "*-a-b-*", "a-b"},
      {"NC:ab", "abxabab", "3"},          {"NC:aa", "aaaa", "2"},       {"NC:z", "abc", "0"},
      {"IL2:XY", "abcd", "abXYcd"},       {"IR1:XY", "abcd", "abcXYd"}, {"IL9:X", "ab", "abX"},
  };
  Table(cases, sizeof cases / sizeof cases[0]);
}

TEST_F(FnText, ShiftsTokensCutsAndAlignment) {
  const Case cases[] = {
      {"SR2", "abcde", "  abc"},   {"SL2", "abcde", "cde  "},   {"SRC2", "abcde", "deabc"},
      {"SLC2", "abcde", "cdeab"},  {"SRK2", "abc", "  abc"},    {"SR2:*", "abcde", "**abc"},
      {"TKN2", "a12b345c6", "345"}, {"TKB3", " one  two three", "three"}, {"TKC2", "a,,c", ""},
      {"TKC3", "a,,c", "c"},        {"TKN5", "12", ""},
      {"CTR2", "\x82\xa0\x82\xa2\x82\xa4", "\x82\xa0\x82\xa2"}, {"CTL1", "ab\x82\xa0", "\x82\xa0"},
      {"LA5", " ab ", "ab   "},     {"RA5", "ab", "   ab"},     {"MA6", "ab", "  ab  "},
      {"AA5", "1,234", "1,234"},    {"AA6", "12", "    12"},   {"AA6", "ab", "ab    "},
      {"RAJ6", "ab", "\x81\x40\x81\x40" "ab"}, {"LAL3", "abcdef", "abc"}, {"LA3", "abcdef", "abcdef"},
  };
  Table(cases, sizeof cases / sizeof cases[0]);
}

}  // namespace
