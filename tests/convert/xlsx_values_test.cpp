// Cell values of ".xlsx" workbooks as text: numbers by their digits with
// grouping, decimals, rounding, currency, percent and scientific forms;
// dates, times and eras through the day serial; and the values that fall
// back to the number rules.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "convert/xlsx_values.h"

namespace {

using convert::XlsxNumberWords;

std::string Number(const char* value, int formatClass, int fixed = 0, int group = 0) {
  const convert::XlsxFormat f = convert::SplitFormatClass(formatClass);
  XlsxNumberWords w;
  w.fixedDecimals = fixed;
  w.groupSwitch = group;
  return convert::FormatXlsxNumber(value, std::strlen(value), f.kind, f.decimals, w);
}

struct NumberCase {
  const char* value;
  int formatClass;
  int fixed;
  int group;
  const char* shown;
};

TEST(XlsxValues, NumbersByTheirFormatClass) {
  const NumberCase cases[] = {
      // grouping and the grouping switch
      {"1234567.891", 549003, 0, 0, "1,234,567.89"},
      {"1234567.891", 549003, 0, 10, "1234567.89"},
      {"1234567.891", 549003, 0, 9, "1,234,567.89"},
      {"123.4", 549000, 0, 0, "123"},
      {"-1234.5", 4000, 0, 0, "-1,234.50"},
      {"12345678901234567890", 3000, 0, 0, "12,345,678,901,234,567,890"},
      // rounding: 5-9 up, a 4 followed by two 9s up, the carry over the point
      {"0.2449999", 549003, 0, 0, "0.25"},
      {"0.2449", 549003, 0, 0, "0.24"},
      {"9.999", 549003, 0, 0, "10.00"},
      {"999.995", 549003, 0, 0, "1,000.00"},
      {"0.995", 2000, 0, 0, "1.00"},
      {"-0.5", 1000, 0, 0, "-1"},
      // General: three decimals at most, trailing zeros dropped unless the
      // value had an exponent or the fixed decimals are set
      {"2.5000", 0, 0, 0, "2.5"},
      {"0.1235", 0, 0, 0, "0.124"},
      {"45292", 0, 0, 0, "45292"},
      {"0.0001", 0, 0, 0, "0"},
      {"2E+3", 0, 0, 0, "2000.000"},
      {"1.5E-3", 0, 0, 0, "0.002"},
      {"2.5", 0, 3, 0, "2.50"},
      // the fixed-decimals setting replaces a positive decimals value
      {"3.14159", 549003, 4, 0, "3.142"},
      {"3.14159", 549003, 1, 0, "3"},
      {"3.14159", 549000, 4, 0, "3"},
      // currency prefixes: yen (the Shift-JIS backslash), dollar, euro
      {"1234", 548000, 0, 0, "\\1,234"},
      {"1234.5", 550003, 0, 0, "$1,234.50"},
      {"1234.5", 551003, 0, 0, "E1,234.50"},
      {"-1234.5", 41000, 0, 0, "-\\1,235"},
      {"5", 53000, 0, 0, "$5.00"},
      // percent
      {"0.125", 9002, 0, 0, "12.5%"},
      {"0.5", 9000, 0, 0, "50%"},
      {"0.12345", 10000, 0, 0, "12.35%"},
      // scientific, with the exponent in the value text taken into account
      {"123456", 11003, 0, 0, "1.23E+05"},
      {"1.23E+100", 11003, 0, 0, "1.23E+100"},
      {"1.5e-05", 11003, 0, 0, "1.50E-05"},
      {"0", 11003, 0, 0, "0.00E+00"},
      {"99.96", 11002, 0, 0, "1.0E+02"},
      {"0.00012", 48000, 0, 0, "1.2E-04"},
      // odd texts stay bounded
      {"", 0, 0, 0, "0"},
      {"-", 549003, 0, 0, "0.00"},
      {"1.2.3", 0, 0, 0, "1.2"},
  };
  for (const NumberCase& c : cases) {
    EXPECT_EQ(Number(c.value, c.formatClass, c.fixed, c.group), c.shown)
        << c.value << " class " << c.formatClass << " fixed " << c.fixed << " group " << c.group;
  }
  // A huge exponent gives a bounded text.
  EXPECT_LE(Number("7E+99999", 0).size(), 600u);
  EXPECT_LE(Number("7E-99999", 11003).size(), 20u);
}

TEST(XlsxValues, FormatClassSplitAndCellClass) {
  struct Case {
    int id, idClass, cellClass, kind, decimals;
  } cases[] = {
      {0, 0, 0, 0, -1},          // General
      {2, 0, 2000, 2, 0},        // built-in "0.00": the kind's own decimals apply
      {10, 0, 10000, 9, 3},      // "0.00%"
      {11, 0, 11003, 11, 3},     // "0.00E+00"
      {48, 0, 48000, 11, 2},     // "##0.0E+0"
      {14, 0, 14000, 14, 0},     // the short date
      {176, 549003, 549003, 549, 3},
      {176, 9002, 9002, 9, 2},
      {950, 0, 0, 0, -1},        // no class and no built-in id
  };
  for (const Case& c : cases) {
    const int cls = convert::CellFormatClass(c.id, c.idClass);
    EXPECT_EQ(cls, c.cellClass) << c.id;
    const convert::XlsxFormat f = convert::SplitFormatClass(cls);
    EXPECT_EQ(f.kind, c.kind) << c.id;
    EXPECT_EQ(f.decimals, c.decimals) << c.id;
  }
  for (int k : {14, 22, 33, 45, 47, 55, 58, 552, 598}) EXPECT_TRUE(convert::IsXlsxDateKind(k)) << k;
  for (int k : {0, 9, 13, 34, 44, 48, 54, 59, 551, 599}) EXPECT_FALSE(convert::IsXlsxDateKind(k)) << k;
}

struct DateCase {
  const char* value;
  int kind;
  bool date1904;
  const char* shown;
};

TEST(XlsxValues, DatesTimesAndEras) {
  const DateCase cases[] = {
      {"45292", 14, false, "2024/1/1"},
      {"45292", 57, false, "R6.1.1"},
      {"45292", 58, false, "令和6年1月1日"},
      {"43585", 57, false, "H31.4.30"},
      {"43586", 57, false, "R1.5.1"},
      {"32515", 58, false, "昭和64年1月7日"},
      {"32516", 57, false, "H1.1.8"},
      {"9856", 57, false, "S1.12.25"},
      {"4595", 57, false, "T1.7.30"},
      {"400", 57, false, "M34.2.3"},
      {"300", 57, false, "X99.10.26"},
      {"43830", 14, true, "2024/1/1"},
      {"45292", 31, false, "2024年1月1日"},
      {"45292", 15, false, "1/Jan/24"},
      {"45306", 16, false, "15-Jan"},
      {"45627", 17, false, "Dec-24"},
      {"45292", 30, false, "1/01/24"},
      {"45292", 55, false, "2024年1月"},
      {"45292", 56, false, "1月1日"},
      {"45292", 552, false, "1/2024"},
      {"45292", 553, false, "2024/1"},
      {"45292", 554, false, "1/1"},
      {"45292", 556, false, "1/01/'24"},
      {"45292", 100, false, "2024/1/1"},
      // times: 9:05, 21:05:30 and the minute rounding of kinds 18, 20, 32
      {"0.378472222222222", 18, false, "9:05 AM"},
      {"0.378472222222222", 32, false, "9時05分"},
      {"0.878819444444444", 21, false, "21:05:30"},
      {"0.878819444444444", 20, false, "21:06"},
      {"0.878819444444444", 18, false, "9:06 PM"},
      {"0.878819444444444", 19, false, "9:05:30 PM"},
      {"0.878819444444444", 33, false, "21時05分30秒"},
      {"0.878819444444444", 23, false, "21h05m30s"},
      {"0.878819444444444", 45, false, "05:30"},
      {"0.878819444444444", 47, false, "05:30:0"},
      {"0.999826388888889", 20, false, "24:00"},
      {"0.5", 18, false, "12:00 PM"},
      {"0", 18, false, "12:00 AM"},
      {"45292.5", 22, false, "2024/1/1 12:00"},
      {"45292.5", 558, false, "2024年1月1日 12時00分"},
      {"45292.5", 559, false, "2024/01/01 12:00 PM"},
      {"45292.75", 560, false, "6:00:00 PM"},
      {"45292.75", 557, false, "18:00:00"},
      {"-5", 14, false, "1899/12/30"},
  };
  for (const DateCase& c : cases) {
    std::string out;
    ASSERT_TRUE(convert::FormatXlsxDate(c.value, std::strlen(c.value), c.kind, c.date1904, out)) << c.value;
    EXPECT_EQ(out, c.shown) << c.value << " kind " << c.kind;
  }
}

TEST(XlsxValues, SerialsBeyondTheDateTypeAreNumbers) {
  for (const char* v : {"2958466", "99999999", "1234567890123456789012345678901234567890123456789", "1E+5"}) {
    std::string out;
    EXPECT_FALSE(convert::FormatXlsxDate(v, std::strlen(v), 14, false, out)) << v;
  }
  std::string out;
  EXPECT_TRUE(convert::FormatXlsxDate("2958465", 7, 14, false, out));
  EXPECT_EQ(out, "9999/12/31");
}

TEST(XlsxValues, EraBoundaries) {
  struct Case {
    long serial;
    int year;
    const char* letter;
    int eraYear;
  } cases[] = {{43586, 2019, "R", 1}, {43585, 2019, "H", 31}, {32516, 1989, "H", 1},
               {32515, 1989, "S", 64}, {9856, 1926, "S", 1}, {9855, 1926, "T", 15},
               {4595, 1912, "T", 1},   {4594, 1912, "M", 45}, {400, 1901, "M", 34}, {366, 1900, "X", 99}};
  for (const Case& c : cases) {
    const convert::XlsxEra e = convert::EraOf(c.serial, c.year);
    EXPECT_STREQ(e.letter, c.letter) << c.serial;
    EXPECT_EQ(e.year, c.eraYear) << c.serial;
  }
}

}  // namespace
