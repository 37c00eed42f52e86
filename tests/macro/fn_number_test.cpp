// The number functions and number formats of the built-in library through
// the command-line evaluator: each function's examples and edge cases, the
// faults built soundly (shifts by any count, the remainder by 0, overflowing
// numbers and exponents, 64-bit bit results, bytes that would end a cell),
// random numbers from the run's generator, and the output capacity. Runs
// natively and under Wine: the floating results must be the same text.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "csv/csv_table.h"
#include "fw/uihooks.h"
#include "macro/macro_builtins.h"
#include "macro/macro_cmdfunc.h"
#include "macro/macro_state.h"
#include "test_host.h"

namespace {

class FnNumber : public ::testing::Test {
 public:
  std::unique_ptr<macro::MacroState> st = std::make_unique<macro::MacroState>();
  macrotest::TestHost host;
  macro::CmdFuncScope scope{*st};

  void SetUp() override { scope.host = &host; }
  // The function over one value (variable mode), with variable 155 set.
  std::string F(const std::string& func, const std::string& value, const std::string& second = "") {
    st->m_strMacroVars[155] = CString(second);
    st->m_strMacroVars[187] = CString(value);
    EXPECT_EQ(1, macro::MacroEvalCommandLineFunctions(scope, 0, 0, -1, 187, CString("#" + func))) << func;
    return st->m_strMacroVars[187].Str();
  }
  // One direct call: the output, the read position and the capacity given.
  std::string Call(int code, int param, const std::string& source, int* readPos, int cap = 200,
                   std::uint32_t length = 0xFFFFFFFFu) {
    std::vector<std::uint8_t> src(source.begin(), source.end());
    std::vector<std::uint8_t> out(static_cast<std::size_t>(cap) + 1, 0xEE);
    int outLen = 0;
    macro::BuiltinScope bs{*st, &host, nullptr,
                           length == 0xFFFFFFFFu ? static_cast<std::uint32_t>(src.size()) : length};
    macro::MacroCallBuiltinFunction(bs, code, &param, 1, 1, readPos, &outLen, nullptr, nullptr, src.data(), out.data(),
                                    "XX", "", nullptr, nullptr, nullptr, cap);
    EXPECT_EQ(0xEE, out[static_cast<std::size_t>(cap)]) << code;
    return std::string(reinterpret_cast<const char*>(out.data()), static_cast<std::size_t>(outLen));
  }
};

struct Case {
  const char* func;
  const char* in;
  const char* second;  // variable 155
  const char* out;
};

void RunCases(FnNumber* t, const std::vector<Case>& cases);

TEST_F(FnNumber, FloatingFunctionsGiveTheirExamples) {
  const std::vector<Case> cases = {
      {"FSIN3", "30", "", "0.500"},       {"ASIN0", "1", "", "90"},          {"SQRT2", "-4", "", "0.00"},
      {"SQRT", "-4", "", "0.000000"},     {"SQRT3", "2", "", "1.414"},       {"FSIN", "30", "", "0.500000"},
      {"FCOS0", "180", "", "-1"},         {"FTAN4", "45", "", "1.0000"},     {"FTNZ4", "45", "", "1.0000"},
      {"SINH3", "0", "", "0.000"},        {"COSH3", "0", "", "1.000"},       {"TANH3", "0", "", "0.000"},
      {"ACOS1", "0", "", "90.0"},         {"ATAN1", "1", "", "45.0"},        {"ATNZ1", "-1", "", "-45.0"},
      {"EXPN4", "1", "", "2.7183"},       {"LOGN3", "1", "", "0.000"},       {"LOGE3", "0", "", "0.000"},
      {"LOGD2", "1000", "", "3.00"},      {"LOGD", "-5", "", "0.000000"},    {"SQUA2", "1.5", "", "2.25"},
      {"SQ", "3", "", "9.000000"},        {"CUBE0", "-3", "", "-27"},        {"SQUA0", "1,000", "", "1000000"},
      {"FSIN3", "\"30\"", "", "\"0.500\""}, {"FSIN3", "-0.0001", "", "-0.000"}, {"FSIN0x2", "30", "", "0.50"},
      {"FSIN3", "abc30def", "", "0.500"}, {"SQRT1", "1.5E2", "", "12.2"},    {"SQRT1", "2.25e+2", "", "15.0"},
      {"SQRT1", "1E4", "", "100.0"},      {"SQUA3", "25E-1", "", "6.250"},
      // The second operand of "POWR" is variable 155, with 10 decimals.
      {"POWR3", "2", "10", "1024.000"},   {"POWR3", "2", "0.5", "1.414"},    {"POWR3", "2", "-1", "0.500"},
      {"POWR3", "0", "2", "0.000"},       {"POWR3", "-2", "2", "0.000"},     {"POWR1", "10", "", "1.0"},
      {"POWR10", "10", "1.00000000019", "10.0000000023"},
      // Only the fraction's first 12 digits count.
      {"SQUA3", "0.0000000000019", "", "0.000"},
      // Not finite: the library's failure text.
      {"ASIN", "2", "", "EROR"},          {"ACOS2", "-1.5", "", "EROR"},     {"EXPN", "1000", "", "EROR"},
      {"SINH", "99999", "", "EROR"},      {"SQUA", "1E200", "", "EROR"},     {"POWR", "10", "400", "EROR"},
      // The exponent in one step.
      {"SQRT", "1E999999999", "", "EROR"}, {"FSIN3", "1.5E999999999", "", "EROR"},
      {"SQUA3", "1.0E-999999999", "", "0.000"}, {"SQRT3", "-1E999999999", "", "0.000"},
      {"SQRT0", "99999999999999999999999", "", "3037000500"},
      // Exact halves are written as Python writes them (to the even digit),
      // and long integers with all their digits, on every platform.
      {"CUBE2", "0.5", "", "0.12"},       {"SQUA1", "0.5", "", "0.2"},       {"CUBE2", "2.5", "", "15.62"},
      {"SQUA0", "1E22", "", "100000000000000008821361405306422640701865984"},
  };
  RunCases(this, cases);
}

TEST_F(FnNumber, PiAndExponentNotation) {
  const std::vector<Case> cases = {
      {"DFPI2", "", "", "3.14"},          {"DFPI0", "", "", "3"},           {"DFPI20", "", "", "3.14159265358979324"},
      {"DFPI17", "x", "", "3.14159265358979324"}, {"DFPI", "", "", "3.141592"}, {"DFPI4", "\"\"", "", "\"3.1415\""},
      {"TNE2", "150000", "", "1.50E+05"}, {"TEN2", "0.00000015", "", "1.50E-07"}, {"TNE", "123", "", "1E+02"},
      {"TNE1", "1.0E100", "", "1.0e+100"}, {"TNE3", "-2.5", "", "-2.500E+00"}, {"TNE2", "0", "", "0.00E+00"},
      {"TEN1", "0.0000000000019", "", "1.0E-12"}, {"TNE", "1E999", "", "EROR"}, {"TNE4", "1,234.5", "", "1.2345E+03"},
      {"TNE1", "0.125", "", "1.2E-01"},
  };
  RunCases(this, cases);
}

TEST_F(FnNumber, BitFunctionsWorkOnSixtyFourBits) {
  const std::vector<Case> cases = {
      {"BAND12", "10", "", "8"},          {"BIOR", "10", "5", "15"},         {"BEOR3", "5", "", "6"},
      {"BNOT", "0", "", "-1"},            {"BNOT", "-1", "", "0"},           {"BSFL4", "1", "", "16"},
      {"BSFR2", "-16", "", "-4"},         {"BSFR1", "-1", "", "-1"},         {"BSFL32", "1", "", "4294967296"},
      {"BAND0xFF", "0x1234", "", "52"},   {"BIOR", "1", "4294967296", "4294967297"},
      {"BAND", "-1", "-9223372036854775808", "-9223372036854775807"},
      // Shifts by any count: 64 and more, and negative counts.
      {"BSFL", "1", "63", "-9223372036854775808"}, {"BSFL", "1", "64", "0"}, {"BSFL", "5", "200", "0"},
      {"BSFR", "-5", "200", "-1"},        {"BSFR", "5", "64", "0"},          {"BSFL", "5", "-3", "5"},
      {"BSFR", "5", "-3", "5"},           {"BSFR", "-9223372036854775807", "63", "-1"},
      {"BIOR", "99999999999999999999", "0", "9223372036854775807"},
  };
  RunCases(this, cases);
}

TEST_F(FnNumber, IntegerFunctionsGiveTheirExamples) {
  const std::vector<Case> cases = {
      {"TNR", "1", "", "A"},              {"TNR", "26", "", "Z"},            {"TNR", "27", "", "AA"},
      {"TNR", "702", "", "ZZ"},           {"TNR", "703", "", "AAA"},         {"TNR", "18278", "", "ZZZ"},
      {"TNR", "18279", "", "???"},        {"TNR", "0", "", "???"},           {"TNR", "-5", "", "???"},
      {"TNR", "\"28\"", "", "\"AB\""},
      {"TXN", "0x1F", "", "31"},          {"TXN", "1F", "", "31"},           {"TXN", "ff", "", "255"},
      {"TXN", "zz", "", "0"},             {"TXN", "0xFFFFFFFFFFFFFFFFFF", "", "9223372036854775807"},
      {"TNX", "255", "", "ff"},           {"TNX1", "255", "", "0xff"},       {"TNX", "0x1F", "", "1f"},
      {"TNX", "-1", "", "ffffffffffffffff"}, {"TNX", "4294967296", "", "100000000"},
      {"RM3", "-7", "", "-1"},            {"RM3", "7", "", "1"},             {"RM", "5", "", "5"},
      {"RM", "-5", "", "-5"},             {"RM3", "-6", "", "0"},            {"RM3", "1,234", "", "1"},
      {"REM3", "7.9", "", "1"},           {"RM7", "99999999999999999999", "", "0"},
      {"ABS", "-12.7", "", "12"},         {"ABS", "-99999999999999999999", "", "9223372036854775807"},
      {"SGN", "0", "", "1"},              {"SGN", "-3", "", "-1"},           {"SGN", "-0", "", "1"},
      {"SGN", "-0.5", "", "-1"},          {"SGN", "5", "", "1"},             {"SGN", "", "", "1"},
      {"TNA", "65", "", "A"},             {"TNA", "33440", "", "\x82\xa0"},  {"TNA", "65536", "", "??"},
      {"TNA", "-1", "", "??"},            {"TNA", "64767", "", "\xfc\xff"},  {"TNA", "64768", "", "??"},
      {"TNU", "65", "", "A"},             {"TNU", "12354", "", "\x82\xa0"},  {"TNU", "65377", "", "\xa1"},
      {"TNU", "70000", "", "?"},          {"TNU", "55296", "", "?"},         {"TNU", "-3", "", "?"},
  };
  RunCases(this, cases);
}

TEST_F(FnNumber, DecodedBytesNeverEndTheCellOrTheRow) {
  const std::vector<Case> cases = {
      {"TNA", "0", "", " "},              {"TNA", "6", "", " "},             {"TNA", "13", "", "\x7f"},
      {"TNA", "10", "", "\x0e"},          {"TNA", "33290", "", "\x82\x0e"},  {"TNA", "33280", "", "\x82 "},
      {"TNU", "0", "", " "},              {"TNU", "10", "", "\x0e"},         {"TNU", "13", "", "\x7f"},
  };
  RunCases(this, cases);
}

TEST_F(FnNumber, NumberFormatsGiveTheirExamples) {
  const std::vector<Case> cases = {
      {"MUL3", "1.50", "", "4.50"},       {"MUL2", "-1,234", "", "-2468"},   {"MUL", "5", "", "0"},
      {"MUL2", "abc", "", "abc"},         {"MUL2", "\"12\"", "", "\"24\""},  {"MUL2", "", "", ""},
      {"MUL1000", "99999999999999999999", "", "99999999999999999999000"},
      {"DIV2", "7", "", "3"},             {"DIV2", "7.0", "", "3.5"},        {"DIV3", "7.00", "", "2.33"},
      {"DIV3", "-7.00", "", "-2.33"},     {"DIV", "5", "", "99999999"},      {"DIV7", "-1", "", "0"},
      {"DIV3", " 1,000 ", "", "333"},     {"DIV2", "1.2.3", "", "1.2.3"},
      {"AP2", "12345", "", "123.45"},     {"AP2", "5", "", "0.05"},          {"AP3", "-1,234", "", "-1.234"},
      {"AP0", "12", "", "12"},            {"APR1", "1.5", "", "0.15"},       {"AP2", "+7", "", "0.07"},
      {"FP2", "1.005", "", "1.01"},       {"FP2", "1.2", "", "1.20"},        {"FP0", "2.5", "", "3"},
      {"FP0", "-2.5", "", "-3"},          {"FP2", "-0.001", "", "0.00"},     {"FLP3", "7", "", "7.000"},
      {"FP1", "9.96", "", "10.0"},        {"FP2", ".5", "", "0.50"},
      {"RDU1", "1.21", "", "1.3"},        {"RDU1", "-1.21", "", "-1.3"},     {"RDD1", "1.29", "", "1.2"},
      {"RDM1", "1.25", "", "1.3"},        {"RDM1", "1.24", "", "1.2"},       {"RD1", "1.25", "", "1.3"},
      {"RND2", "1.2", "", "1.2"},         {"RDM2", "1.999", "", "2.00"},     {"RDU0", "0.001", "", "1"},
      {"RDD0", "-0.9", "", "0"},
      {"RZU2", "12301", "", "12400"},     {"RZD2", "12399", "", "12300"},    {"RZM2", "12350", "", "12400"},
      {"RZM2", "12349.99", "", "12300"},  {"RZ3", "-2500", "", "-3000"},     {"RZD5", "123", "", "0"},
      {"RZU5", "123", "", "100000"},      {"RZM0", "2.5", "", "3"},          {"RZM2", "-49", "", "0"},
      {"RZU1", "\"1,234.5\"", "", "\"1240\""},
  };
  RunCases(this, cases);
  st->m_nZeroDivValue = -1;
  EXPECT_EQ("-1", F("DIV", "5"));
}

void RunCases(FnNumber* t, const std::vector<Case>& cases) {
  for (const Case& c : cases) EXPECT_EQ(c.out, t->F(c.func, c.in, c.second)) << c.func << " on " << c.in;
}

TEST_F(FnNumber, AHugeExponentTakesOneStep) {
  const auto start = std::chrono::steady_clock::now();
  for (int k = 0; k < 50; ++k) EXPECT_EQ("EROR", F("TNE3", "9.9E999999999"));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST_F(FnNumber, EveryFunctionConsumesItsFieldAndNothingMore) {
  const int codes[] = {13, 14, 17, 19, 58, 59, 76, 77, 79, 81, 84, 87, 88, 89, 105, 114, 115, 116, 122, 125, 128, 130, 135};
  for (int code : codes) {
    int readPos = 2;
    const std::string out = Call(code, 2, "x\x06" "12.5\x06" "7", &readPos);
    EXPECT_EQ(6, readPos) << code;
    // At the end of the source (the length cuts the field) nothing past it is read.
    readPos = 2;
    Call(code, 2, "x\x06" "12.5\x06" "7", &readPos, 200, 4);
    EXPECT_EQ(4, readPos) << code;
  }
  // A code of the family without a function copies its field.
  int readPos = 0;
  EXPECT_EQ("12.5", Call(123, 0, "12.5", &readPos));
}

TEST_F(FnNumber, NoResultPassesTheCapacity) {
  const int codes[] = {13, 14, 17, 19, 58, 59, 76, 77, 79, 81, 82, 83, 84, 85, 86, 87, 88, 89, 105, 117,
                       120, 125, 128, 129, 130, 133, 135};
  for (int code : codes) {
    for (int cap : {0, 1, 2, 3, 7}) {
      int readPos = 0;
      const std::string out = Call(code, 40, "\"-123456789.125\"", &readPos, cap);
      EXPECT_LE(static_cast<int>(out.size()), cap) << code;
    }
  }
  // A count far past the output: "FP", "AP" and "RZU" fill exactly what fits.
  for (const char* func : {"FP99999999999", "AP2147483647", "RZU2147483647"}) {
    const std::string out = F(func, "1.5");
    EXPECT_EQ(static_cast<std::size_t>(macro::kVarResultBytes), out.size()) << func;
    EXPECT_EQ(std::string::npos, out.find_first_not_of("0123456789.")) << func;
  }
  EXPECT_EQ("1.5", F("RDU2147483647", "1.5"));
  EXPECT_EQ("0", F("RZM2147483647", "1.5"));
}

TEST_F(FnNumber, RandomNumbersComeFromTheRunsGeneratorWithoutSeedingIt) {
  fw::hooks::SeedRandom(4242);
  const std::string a = F("RAND", "x"), b = F("RAND", "\"y\"");
  fw::hooks::SeedRandom(4242);
  const std::uint32_t ra = fw::hooks::RandomBelow(32768), rb = fw::hooks::RandomBelow(32768);
  EXPECT_EQ(std::to_string(ra), a);
  EXPECT_EQ("\"" + std::to_string(rb) + "\"", b);
  for (int k = 0; k < 200; ++k) {
    const int v = std::stoi(F("RAND", ""));
    EXPECT_GE(v, 0);
    EXPECT_LE(v, 32767);
  }
}

TEST_F(FnNumber, CellsOfATableAreFormattedInPlace) {
  auto table = std::make_unique<csv::Table>();
  const std::string file = "name,price,rate\r\na,\"1,234.5\",30\r\nb,7,x\r\n";
  ASSERT_TRUE(table->LoadFileText(file.data(), file.size(), 64));
  scope.table = table.get();
  ASSERT_EQ(1, macro::MacroEvalCommandLineFunctions(scope, 2, 3, 2, 2, CString("#FP2")));
  ASSERT_EQ(1, macro::MacroEvalCommandLineFunctions(scope, 2, 3, 3, 3, CString("#FSIN3")));
  std::string text(reinterpret_cast<const char*>(table->m_pTextBuf), table->m_nTextLen);
  for (char& c : text) c = c == 0x06 ? ',' : c;
  EXPECT_EQ("name,price,rate\r\na,\"1234.50\",0.500\r\nb,7.00,0.000\r\n", text);
  scope.table = nullptr;
}

TEST_F(FnNumber, EveryNumberCodeHasAHandler) {
  for (int code : {13, 14, 17, 19, 58, 59, 76, 77, 79, 81, 82, 83, 84, 85, 86, 87, 88, 89})
    EXPECT_NE(nullptr, macro::MacroBuiltinHandler(code)) << code;
  for (int code = 105; code <= 135; ++code) EXPECT_NE(nullptr, macro::MacroBuiltinHandler(code)) << code;
}

}  // namespace
