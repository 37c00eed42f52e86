// Function texts to numbers, operands and tails, and the number reader.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <sstream>
#include <string>

#include "macro/macro_number.h"
#include "macro/macro_state.h"

namespace {

using macro::MacroLookupFunctionCode;
using macro::MacroReadNumber;

struct Lookup {
  int code;
  int number;
  std::string tail;
  std::string text;
};

Lookup Look(const macro::MacroState& st, const char* text) {
  CString t(text), tail;
  int number = -12345;
  int code = MacroLookupFunctionCode(st, &t, &tail, &number);
  return {code, number, tail.GetString(), t.GetString()};
}

// The numbers of the function names, written out from the language's list
// (kept apart from the lookup's own table on purpose).
const char* const kExpected =
    "0 CZ CZL CLZ|1 CL CSL CLS CS|2 CR CSR CRS|3 CQ CQT CQU|4 AQ AQT AQU|5 FU FLU FUP|"
    "6 C0 CZR CRZ|7 TDF TYN|8 TDN TYD|9 TND TDY|10 FZ FZL FLZ|11 FL FSL FLS FS|12 FR FSR FRS|"
    "13 MUL|14 DIV|15 AC ACM|16 CR5 CSR5 CRS5|17 AP APR|18 AL ASL ALS AS|19 FP FLP|"
    "20 LD LDT LDC LDN|21 SN SLN|22 UP MKU|23 LW MKL|24 TU MKT|25 LEN|26 SA SLA|27 TZK|28 TZN|"
    "29 TZA|30 THK|31 THN|32 THA|33 CA CAS CSA|34 CC CCL CLC|35 CCR CRC|36 SR SRP|37 SL SLP|"
    "38 CN CHN NC|39 IL ICL ILC IC|40 IR ICR IRC|41 SD SLD|42 AZ AZL ALZ|43 A0 AZR ARZ|"
    "44 F0 FZR FRZ|45 LF LFT LFA MD MID MDA MDI|46 RG RGT RGA MDR|47 AR ASR ARS|"
    "48 CL5 CSL5 CLS5 CS5|49 TKN|50 TKB|51 RP|52 RAN|53 SPL|54 DN DGN ND|55 LN LNN|56 RN RWN|"
    "57 TKC|58 TNR|59 TNA|60 MAX|61 MIN|62 SUM|63 AVE|64 NUM|65 NDT|66 DEV|67 VAR|68 NWD|"
    "160 MAXC|161 MIN@|162 SUMC|168 NWDC|69 TTL|70 TDM TYM|71 TMD TMY|72 TAM|73 TSM|74 TEM|"
    "75 TBM|76 TXN|77 TNX|78 TUN|79 TNU|80 TAN|81 RDU|82 RDD|83 RD RND RDM|84 RZU|85 RZD|"
    "86 RZ RZM|87 RM REM|88 ABS|89 SGN|90 TDW TYW|91 TBN TNM|92 TAD|93 TSD|94 TCK|95 KEN|"
    "96 KENR|97 CK|98 ATR|100 THS|101 TSH|102 TAS|103 TSS|104 TDH|105 FSIN|106 FCOS|"
    "107 FTAN FTNZ|108 SINH|109 COSH|110 TANH|111 ASIN|112 ACOS|113 ATAN ATNZ|114 SQRT|"
    "115 POWR|116 RAND|117 EXPN|118 LOGN LOGE|119 LOGD|120 SQUA SQ|121 CUBE|125 DFPI|128 TNE|"
    "129 TEN|130 BAND|131 BIOR|132 BEOR|133 BNOT|134 BSFR|135 BSFL|138 POS|139 CKN|140 UTF8|"
    "141 EUCC|142 BINH|143 BASE|144 UNIC|173 DLA DLB DLC DLD|174 AA AAJ AAL|175 MA MAJ MAL|"
    "176 LA LAJ LAL|177 RA RAJ RAL|178 FD FLD FDN|179 TNC|180 MLL|181 MLC|182 LNM|183 PN PGN|"
    "184 CTR|185 CTL|186 BN|187 TN";

class FunctionNames : public ::testing::Test {
 protected:
  std::unique_ptr<macro::MacroState> st = std::make_unique<macro::MacroState>();
};

TEST_F(FunctionNames, EveryNameGivesItsNumber) {
  std::stringstream groups(kExpected);
  std::string group;
  int checked = 0;
  while (std::getline(groups, group, '|')) {
    std::stringstream words(group);
    int number;
    words >> number;
    std::string name;
    while (words >> name) {
      EXPECT_EQ(number, Look(*st, name.c_str()).code) << name;
      ++checked;
    }
  }
  EXPECT_GT(checked, 250);
}

TEST_F(FunctionNames, UnknownAndShortTextsGiveZero) {
  EXPECT_EQ(0, Look(*st, "").code);
  EXPECT_EQ(0, Look(*st, "X").code);
  EXPECT_EQ(0, Look(*st, "QQ").code);
  EXPECT_EQ(0, Look(*st, "LDX").code);
  EXPECT_EQ(0, Look(*st, "fsin").code);  // names are upper case
}

TEST_F(FunctionNames, FourByteNamesAndTheirOperands) {
  Lookup sq = Look(*st, "SQ");
  EXPECT_EQ(120, sq.code);
  EXPECT_EQ("SQUA", sq.text);
  EXPECT_EQ(-9, Look(*st, "FSIN").number);
  EXPECT_EQ(3, Look(*st, "FSIN3").number);
  EXPECT_EQ(12, Look(*st, "FSIN12").number);
  EXPECT_EQ(31, Look(*st, "FSIN0x1F").number);
  EXPECT_EQ(0x1F, Look(*st, "BAND0X1fz9").number);  // stops at the first other byte
  // Long hex runs wrap as 32-bit values instead of overflowing.
  EXPECT_EQ(static_cast<int>(0xFFFFFFFFu), Look(*st, "BAND0xFFFFFFFF").number);
  EXPECT_EQ(static_cast<int>(0x23456789u), Look(*st, "BAND0x123456789").number);
  EXPECT_EQ(80, Look(*st, "TAN5").code);  // TANH only on four bytes
}

TEST_F(FunctionNames, DigitAndLetterDependentNames) {
  EXPECT_EQ(1, Look(*st, "CL").code);
  EXPECT_EQ(48, Look(*st, "CL5").code);
  EXPECT_EQ(5, Look(*st, "CL5").number);
  EXPECT_EQ(2, Look(*st, "CR").code);
  EXPECT_EQ(16, Look(*st, "CR4").code);
  EXPECT_EQ(96, Look(*st, "KENR").code);
  EXPECT_EQ(95, Look(*st, "KENX").code);
  EXPECT_EQ(81, Look(*st, "RDU2").code);
  EXPECT_EQ(83, Look(*st, "RDX").code);
  EXPECT_EQ(86, Look(*st, "RZ3").code);
}

TEST_F(FunctionNames, FamiliesTakeAnyThirdByte) {
  EXPECT_EQ(51, Look(*st, "RPX").code);
  EXPECT_EQ(38, Look(*st, "CNT").code);
  EXPECT_EQ(38, Look(*st, "NCZ").code);
  EXPECT_EQ(37, Look(*st, "SLX").code);
  EXPECT_EQ(26, Look(*st, "SLA").code);
  EXPECT_EQ(21, Look(*st, "SLN").code);
  EXPECT_EQ(41, Look(*st, "SLD").code);
}

TEST_F(FunctionNames, OperandsModesAndAdjustments) {
  Lookup rg = Look(*st, "RG3");
  EXPECT_EQ(46, rg.code);
  EXPECT_EQ(3, rg.number);
  EXPECT_EQ(((3 + 1) << 10) + 4, Look(*st, "RG3:4").number);  // pair read in mode 8
  Lookup sum = Look(*st, "SUMC3:4");
  EXPECT_EQ(162, sum.code);
  EXPECT_EQ(3, sum.number);
  EXPECT_EQ((3 << 10) + 4, Look(*st, "SUM3:4").number);
  EXPECT_EQ(999, Look(*st, "FL").number);
  EXPECT_EQ(999, Look(*st, "FR0").number);
  EXPECT_EQ(999, Look(*st, "AA").number);
  EXPECT_EQ(7, Look(*st, "FL7").number);
  EXPECT_EQ(10005, Look(*st, "LDT5").number);
  EXPECT_EQ(20007, Look(*st, "LDC7:x").number);
  EXPECT_EQ(30000, Look(*st, "LDN").number);
  EXPECT_EQ(4, Look(*st, "LD4").number);
  EXPECT_EQ(2, Look(*st, "CQ2:9").number);  // cut before ':'
}

TEST_F(FunctionNames, Tails) {
  Lookup sr = Look(*st, "SR3^abc");
  EXPECT_EQ(36, sr.code);
  EXPECT_EQ(3, sr.number);
  EXPECT_EQ("^abc", sr.tail);
  EXPECT_EQ("", Look(*st, "SR3").tail);
  EXPECT_EQ(":x", Look(*st, "CN2:x").tail);
  EXPECT_EQ("", Look(*st, "SR3:").tail);
  // Without a delimiter the tail begins two bytes after the last digit.
  EXPECT_EQ("yz", Look(*st, "IL12xyz").tail);
  EXPECT_EQ(12, Look(*st, "IL12xyz").number);
  EXPECT_EQ("abc", Look(*st, "LDT:abc").tail);
  EXPECT_EQ("", Look(*st, "LDT:").tail);
  EXPECT_EQ("q", Look(*st, "DLA3:q").tail);
  EXPECT_EQ(3, Look(*st, "DLA3:q").number);
  // Other functions leave no tail behind from an earlier call.
  CString t("CQ2"), tail("old");
  int n = 0;
  MacroLookupFunctionCode(*st, &t, &tail, &n);
  EXPECT_TRUE(tail.IsEmpty());
}

TEST_F(FunctionNames, FnBecomesAReplaceCall) {
  Lookup fn = Look(*st, "FNabc:xyz");
  EXPECT_EQ(51, fn.code);
  EXPECT_EQ("RP:xyz:$Nabc", fn.text);
  EXPECT_EQ("RP:q:$Nname", Look(*st, "FNDname:q").text);
  EXPECT_EQ("FN", Look(*st, "FN").text);  // nothing to rewrite
}

TEST_F(FunctionNames, DefinedFunctionsMatchTheWholeName) {
  st->m_strMacroFuncs[0] = ":sqr::&D173*2";
  st->m_strMacroFuncs[1] = ":sq::&D173*&D173";
  st->m_nMacroFuncCount = 2;
  EXPECT_EQ(501, Look(*st, ":sq").code);
  EXPECT_EQ(500, Look(*st, ":sqr").code);
  EXPECT_EQ(501, Look(*st, ":sq:5").code);
  EXPECT_EQ(0, Look(*st, ":s").code);
  EXPECT_EQ(0, Look(*st, ":D173").code);  // a body's text is not a name
  // Slots past the count belong to an earlier run.
  st->m_strMacroFuncs[2] = ":old::1";
  EXPECT_EQ(0, Look(*st, ":old").code);
}

TEST_F(FunctionNames, TheHundredthDefinedFunctionIs599) {
  for (int k = 0; k < macro::kFuncSlots; ++k) {
    st->m_strMacroFuncs[k].Format(":f%d::%d", k, k);
  }
  st->m_nMacroFuncCount = macro::kFuncSlots;
  EXPECT_EQ(599, Look(*st, ":f99").code);
  EXPECT_EQ(500, Look(*st, ":f0").code);
  EXPECT_EQ(510, Look(*st, ":f10").code);
}

TEST(ReadNumber, PlainModes) {
  EXPECT_EQ(0, MacroReadNumber("", 0));
  EXPECT_EQ(0, MacroReadNumber("abc", 0));
  EXPECT_EQ(12293, MacroReadNumber("12:5", 0));
  EXPECT_EQ(13317, MacroReadNumber("12:5", 8));
  EXPECT_EQ(12, MacroReadNumber("12:5", 7));
  EXPECT_EQ(12, MacroReadNumber("12:", 0));  // ':' at the end is no pair
  EXPECT_EQ(42, MacroReadNumber("x42y", 0));
  EXPECT_EQ(-42, MacroReadNumber("x-42", 6));
  EXPECT_EQ(42, MacroReadNumber("x-42", 0));
  EXPECT_EQ(255, MacroReadNumber("=0xFFg", 0));
  EXPECT_EQ(0, MacroReadNumber("0x", 0));
}

TEST(ReadNumber, LongRunsSaturate) {
  EXPECT_EQ(2147483647, MacroReadNumber("99999999999999999999", 0));
  EXPECT_EQ(-2147483647, MacroReadNumber("-99999999999999999999", 6));
  EXPECT_EQ(2147483647, MacroReadNumber("99999999999:99999999999", 8));
}

TEST(ReadNumber, LongHexRunsSaturate) {
  EXPECT_EQ(2147483647, MacroReadNumber("0x7FFFFFFF", 0));
  EXPECT_EQ(2147483647, MacroReadNumber("0x80000000", 0));
  EXPECT_EQ(2147483647, MacroReadNumber("0x100000005", 0));
  EXPECT_EQ(2147483647, MacroReadNumber("x0xFFFFFFFFFFFFFFFFFFFF", 6));
  EXPECT_EQ(2147483647, MacroReadNumber("-0x80000000", 6));  // no sign for hex
  EXPECT_EQ(5, MacroReadNumber("0x5:7", 0));  // and no pair after it
}

TEST(ReadNumber, BlockNames) {
  EXPECT_EQ('B' + 169, MacroReadNumber("ptB", 9));
  EXPECT_EQ(2, MacroReadNumber("pt2", 9));
  EXPECT_EQ(0, MacroReadNumber("pB", 9));
}

TEST(ReadNumber, VariableReferences) {
  EXPECT_EQ(171, MacroReadNumber("&D171", 1));
  EXPECT_EQ(105, MacroReadNumber("&DT5", 1));
  EXPECT_EQ(110, MacroReadNumber("&DA", 1));
  EXPECT_EQ(1085, MacroReadNumber("&D1085", 1));  // the whole digit run
  EXPECT_EQ(5180, MacroReadNumber("x&D5180", 1));
  EXPECT_EQ(0, MacroReadNumber("&D5181", 1));      // no slot
  EXPECT_EQ(0, MacroReadNumber("&D99999999999", 1));
  EXPECT_EQ(0, MacroReadNumber("x&D12", 2));       // mode 2: only at the start
  EXPECT_EQ(12, MacroReadNumber("&D12", 2));
  EXPECT_EQ(0, MacroReadNumber("&DT", 1));
  EXPECT_EQ(0, MacroReadNumber("&D", 1));
}

TEST(ReadNumber, DeclaredNamesInModeOne) {
  auto st = std::make_unique<macro::MacroState>();
  std::strcpy(st->m_abMacroNameTable, "180:total;181:tbl<3>;1085:far;");
  EXPECT_EQ(180, MacroReadNumber("[total]", 1, st.get()));
  EXPECT_EQ(181, MacroReadNumber("x[tbl]", 1, st.get()));
  EXPECT_EQ(1085, MacroReadNumber("[far]", 1, st.get()));
  EXPECT_EQ(0, MacroReadNumber("[none]", 1, st.get()));
  EXPECT_EQ(0, MacroReadNumber("[total]", 1));  // no state, no names
}

}  // namespace
