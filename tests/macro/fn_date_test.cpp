// The date and time functions of the built-in library through the
// command-line evaluator: the reader's forms (era letters, units between
// groups, four-digit years), every function's edge cases, quoted fields, the
// 64-bit time arithmetic and the output capacity.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "macro/macro_builtins.h"
#include "macro/macro_cmdfunc.h"
#include "app/fn_columns_data.h"
#include "csv/csv_table.h"
#include "macro/macro_state.h"
#include "run_fixture.h"
#include "test_host.h"

namespace {

class FnDate : public ::testing::Test {
 protected:
  std::unique_ptr<macro::MacroState> st = std::make_unique<macro::MacroState>();
  macrotest::TestHost host;
  macro::CmdFuncScope scope{*st};

  void SetUp() override { scope.host = &host; }
  // The function over one value (variable mode).
  std::string F(const std::string& func, const std::string& value) {
    st->m_strMacroVars[187] = CString(value);
    EXPECT_EQ(1, macro::MacroEvalCommandLineFunctions(scope, 0, 0, -1, 187, CString("#" + func))) << func;
    return st->m_strMacroVars[187].Str();
  }
};

// A direct call: the result and the read position after it.
struct Direct {
  std::string out;
  int readPos = 0;
  int param = 0;
};

Direct Call(macro::MacroState& st, int code, int param, const std::string& source, int cap = 200,
            const char* func = "XX") {
  std::vector<std::uint8_t> src(source.begin(), source.end());
  std::vector<std::uint8_t> out(static_cast<std::size_t>(cap > 0 ? cap : 1));
  Direct d;
  d.param = param;
  int outLen = 0;
  macro::BuiltinScope bs{st, nullptr, nullptr, static_cast<std::uint32_t>(src.size())};
  macro::MacroCallBuiltinFunction(bs, code, &d.param, 1, 1, &d.readPos, &outLen, nullptr, nullptr, src.data(),
                                  out.data(), func, "", nullptr, nullptr, nullptr, cap);
  d.out.assign(reinterpret_cast<const char*>(out.data()), static_cast<std::size_t>(outLen));
  return d;
}

struct Case {
  const char* func;
  const char* in;
  const char* out;
};

TEST_F(FnDate, TheReaderTakesEveryWrittenForm) {
  const Case cases[] = {
      {"TDN", "00/01/01", "036525"},          {"TDN", "2000/01/01", "036525"},
      {"TDN", "20000101", "036525"},          {"TDN", "2000年1月1日", "036525"},
      {"TDN", "1900/01/01", "000001"},        {"TDN", "1900/03/01", "000060"},
      {"TDN", "2024-03-05", "045355"},        {"TDN", "24.3.5", "045355"},
      {"TDN", "R6.3.5", "045355"},            {"TDN", "H31.4.30", "043584"},
      {"TDN", "R1.5.1", "043585"},            {"TDN", "S64.1.7", "032514"},
      {"TDN", "H1.1.8", "032515"},            {"TDN", "'99.12.31", "036524"},
      {"TDN", "49/12/31", "054787"},          {"TDN", "50/01/01", "018263"},
      {"TDN", "T15.12.25", "009855"},         {"TDN", "M45.7.30", "004594"},
      // Text before the number is copied; '-' there is dropped; the era
      // letter goes; the rest of the field after the date goes.
      {"TDN", "on 2024/03/05 (Tue)", "on 045355"}, {"TDN", "-R6.3.5", "045355"},
      {"TDN", "xR6.3.5", "x045355"},          {"TDN", "\"2024/03/05\"", "\"045355\""},
      {"TDN", "abc", "abc"},                  {"TDN", "", ""},
      {"TDN", "24/13/01", "EROR"},            {"TDN", "24/00/01", "EROR"},
      // Two or three groups: a four-digit year starting 19 or 20 is century
      // and year, then the month (day 1).
      {"TDN", "2024/3", "045351"},            {"TDN", "24/3", "045351"},
      {"TDN", "2024", "045291"},
      // A blank after the third group ends the date.
      {"TDN", "24/3/5 12:00", "045355"},
      // A double-byte character whose second byte is a letter is no era.
      {"TDN", "\x83\x52" "6.3.5", "\x83\x52" "038780"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.out, F(c.func, c.in)) << c.func << " on " << c.in;
}

TEST_F(FnDate, LayoutsSerialsAndMonths) {
  const Case cases[] = {
      {"TND", "36525", "000101"},       {"TND9", "36525", "00/01/01"},   {"TND8", "36525", "20000101"},
      {"TND10", "45355", "2024/03/05"}, {"TND11", "45355", "Mar.5 '24"}, {"TND12", "45355", "Mar.5 2024"},
      {"TND5", "45355", "240305"},      {"TND7", "45355", "240305"},     {"TND", "0", "0"},
      {"TND", "abc", "abc"},            {"TND", "\"45,355\"", "\"240305\""},
      {"TND8", "73050", "21000101"},    {"TND8", "58805", "20601231"},
      {"TDF9", "R6.3.5", "24/03/05"},   {"TDF8", "'99.12.31", "19991231"},
      {"TDF8", "M1.1.1", "18680101"},   {"TDF8", "M33.1.1", "19000101"},   {"TDF8", "H12.1.1", "20000101"},
      {"TDF8", "T99.1.1", "20100101"},  {"TDF10", "2024年3月5日", "2024/03/05"},
      {"TDF12", "24/10", "Oct. 2024"},  {"TDF11", "24/10/2", "Oct.2 '24"},
      {"TDM", "2024/03/05", "1490"},    {"TDM", "44/01", "1728"},        {"TDM", "45/01", "0540"},
      {"TMD", "1490", "2403"},          {"TMD9", "1490", "2403"},        {"TMD5", "1490", "24/03"},
      {"TMD6", "1490", "202403"},       {"TMD7", "1490", "2024/03"},     {"TMD8", "1490", "20240301"},
      {"TMD12", "1490", "Mar. 2024"},   {"TMD11", "1490", "Mar. '24"},   {"TMD8", "1800", "20500101"},
      {"TDM4", "5", "皐月"},            {"TDM6", "10", "かんなづき"},    {"TDM3", "10", "Oct"},
      {"TDM5", "10", "Octover"},        {"TDM7", "12", "December"},      {"TDM4", "13", "睦月"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.out, F(c.func, c.in)) << c.func << " on " << c.in;
}

TEST_F(FnDate, WeekdaysAndDesignedCodes) {
  const Case cases[] = {
      {"TDW", "2024/03/03", "1"},     {"TDW1", "2024/03/03", "7"},    {"TDW4", "2024/03/03", "日曜"},
      {"TDW2", "2024/03/04", "月"},   {"TDW3", "2024/03/05", "Tue"},  {"TDW6", "2024/03/06", "Wednesday"},
      {"TDW5", "2024/03/06", ""},     {"TDW", "3", "3"},              {"TDW", "9", "2"},
      {"TDW", "2023/02/29", "EROR"},  {"TDW", "", ""},                {"TDW", "none", "noneEROR"},
      {"TDW", "44/1/1", "6"},         {"TDW", "45/1/1", "2"},
      {"TDW8", "2024/12/31", "366"},  {"TDW8", "2023/03/01", "60"},   {"TDW9", "2023/01/01", "1"},
      {"TDW9", "2022/01/01", "1"},    {"TDW9", "2022/01/02", "2"},    {"TDW9", "2024/12/31", "53"},
      {"TDW8", "5", "EROR"},
      {"TAM", "2024/01/31", "2401"},  {"TAM1:8", "2024/01/31", "20240229"}, {"TAM1:8", "2023/01/31", "20230228"},
      {"TSM1:8", "2024/03/31", "20240229"}, {"TAM12:10", "2024/02/29", "2025/02/28"},
      {"TSM3:8", "2024/02/15", "20231115"}, {"TAM13:7", "24/12", "2026/01"},
      {"TEM8", "2024/02/10", "20240229"},   {"TEM8", "2100/02/10", "21000228"}, {"TBM8", "2024/02/10", "20240201"},
      {"TEM", "2024/02/10", "2402"},        {"TEM12", "2024/02/10", "Feb.29 2024"},
      {"TBN", "2024/02/10", "29"},    {"TNM", "2023/02/10", "28"},    {"TBN", "2024/04", "30"},
      {"TBN", "2024/13/01", "EROR"},
      {"TAD", "2024/02/28", "240228"}, {"TAD1:8", "2024/02/28", "20240229"}, {"TAD2:10", "2024/02/28", "2024/03/01"},
      {"TSD1:8", "2024/03/01", "20240229"}, {"TAD366:8", "2024/01/01", "20250101"},
      {"TCK", "2024/02/29", "2024/02/29"}, {"TCK", "x2023/02/29", "xEROR"}, {"TCK", "2024/04/31", "EROR"},
      {"TCK", "2024/13/01", "EROR"},       {"TCK", "R6.3.5", "R6.3.5"},     {"TCK", "2024", "EROR"},
      {"TDH", "2024/03/15", "15 上"}, {"TDH", "2024/03/16", "16_下"}, {"TDH", "2024/03/01", "01 上"},
      {"TDH", "2024/03/31", "31_下"}, {"TDH", "2024/03/00", "EROR"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.out, F(c.func, c.in)) << c.func << " on " << c.in;
}

TEST_F(FnDate, Times) {
  const Case cases[] = {
      {"THS", "pm1:00", "46800"},       {"THS", "PM1:00", "46800"},      {"THS", "p1:00", "46800"},
      {"THS", "pm12:00", "43200"},      {"THS", "1:02:03", "3723"},      {"THS", "1.02.03", "3723"},
      {"THS", "23h30m00s", "84600"},    {"THS", "5m3s", "303"},          {"THS", "3'20\"", "200"},
      {"THS", "1時2分3秒", "3723"},     {"THS", "at 1:00", "at 3600"},   {"THS", "2s 1h", "2"},
      {"THS", "\"1:00\"", "\"3600\""},  {"THS", "", ""},
      {"TSH", "45296", "12h34m56s"},    {"TSH1", "45296", "123456"},     {"TSH2", "45296", "12:34.56"},
      {"TSH3", "45296", "12:34'56\""},  {"TSH4", "45296", "12時34分56秒"}, {"TSH12", "45296", "12:34.56pm"},
      {"TSH11", "3600", "010000am"},    {"TSH10", "46800", "1h00m00spm"}, {"TSH10", "0", "0h00m00sam"},
      {"TSH", "t=90000s", "t=25h00m00ss"}, {"TSH", "none", "none"},
      {"TAS3600", "23h30m00s", "0h30m00s_001P"}, {"TSS3600", "0:30", "23h30m00s_001M"},
      {"TAS60", "1:00", "1h01m00s"},    {"TSS", "1:00", "1h00m00s"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.out, F(c.func, c.in)) << c.func << " on " << c.in;
}

// Faults built soundly: a shift of any int is computed in 64 bits and the
// day count widens past three digits.
TEST_F(FnDate, TimeArithmeticDoesNotOverflow) {
  EXPECT_EQ("3h14m06s_24856P", Call(*st, 102, 2147483647, "23:59:59\x06").out);
  EXPECT_EQ("20h45m54s_24856M", Call(*st, 103, 2147483647, "0:00:01\x06").out);
  EXPECT_EQ("20h45m52s_24856M", Call(*st, 102, -2147483647 - 1, "0\x06").out);
  // A huge written time saturates instead of wrapping.
  const std::string big = Call(*st, 100, 0, std::string(40, '9') + "\x06").out;
  EXPECT_EQ("3600000000000000000", big);
}

TEST_F(FnDate, FieldsAndPositions) {
  // The read position ends at the terminator; nothing past the source.
  Direct d = Call(*st, 8, 0, "2024/03/05\x06next");
  EXPECT_EQ("045355", d.out);
  EXPECT_EQ(10, d.readPos);
  d = Call(*st, 8, 0, "24/3");
  EXPECT_EQ("045351", d.out);
  EXPECT_EQ(4, d.readPos);
  // A field cut after a lead byte.
  d = Call(*st, 8, 0, "24\x8e");
  EXPECT_EQ("045291", d.out);
  // The month name style is reset to 0 through the operand.
  d = Call(*st, 70, 4, "3\x06");
  EXPECT_EQ("弥生", d.out);
  EXPECT_EQ(0, d.param);
  // Results are cut at the capacity, never past it.
  for (int cap = 0; cap < 12; ++cap) {
    d = Call(*st, 90, 4, "\"2024/03/03\"\x06", cap);
    EXPECT_LE(static_cast<int>(d.out.size()), cap);
    EXPECT_EQ(12, d.readPos);
  }
  // Dates the date type rejects.
  EXPECT_EQ("EROR", Call(*st, 9, 0, "99999999").out);
  EXPECT_EQ("EROR", Call(*st, 71, 0, "999999999").out);
  EXPECT_EQ("EROR", Call(*st, 92, 2147483647, "2024/01/01").out);
  EXPECT_EQ("EROR", Call(*st, 73, 2147483647, "2024/01/01").out);
}

// The end-to-end columns of the running program's test, here as a run over
// a portable table: the same ".rmc" gives the same CSV as Python.
class FnDateRun : public macrotest::RunFixture<> {
 protected:
  FnDateRun() : RunFixture(33) {}
};

TEST_F(FnDateRun, ColumnsOfDatesAndTimesMatchPython) {
  ASSERT_TRUE(table.LoadFileText(kFnColumnsInput, kFnColumnsInputLen, 64));
  RunDocument(std::string(kFnColumnsMacro, kFnColumnsMacroLen));
  EXPECT_TRUE(host.reports.empty()) << host.reports[0];
  EXPECT_EQ(std::string(kFnColumnsExpected, kFnColumnsExpectedLen), table.FileText(csv::CommaFormKind::kComma));
}

}  // namespace
