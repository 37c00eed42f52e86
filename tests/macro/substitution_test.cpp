// Variable references replaced by their values, the page-code step, file-name
// operands and operand escapes.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "csv/csv_buffer.h"
#include "macro/macro_paths.h"
#include "macro/macro_state.h"
#include "macro/macro_subst.h"
#include "test_host.h"

namespace {

class Substitution : public ::testing::Test {
 protected:
  std::unique_ptr<macro::MacroState> st = std::make_unique<macro::MacroState>();
  std::unique_ptr<csv::TableFields> table = std::make_unique<csv::TableFields>();

  std::string Sub(const std::string& text, int mode = 0, int i = 0, int j = 0, int page = 0) {
    return macro::MacroSubstituteVariables(*st, table.get(), CString(text), mode, i, j, page).GetString();
  }
  void TwoBlocks() {
    // Block 1: title line 1, rows 1-4; block 2: title line 6, rows 6-9.
    table->m_aSecRow[0] = 2;
    table->m_aSecLine[1] = 1, table->m_aSecRow[1] = 1, table->m_aSecInfoA[1] = 4, table->m_aSecFields[1] = 3;
    table->m_aSecLine[2] = 6, table->m_aSecRow[2] = 6, table->m_aSecInfoA[2] = 9, table->m_aSecFields[2] = 5;
    table->m_nLastRow = 8;
  }
};

TEST_F(Substitution, ReferencesAndTheirEnds) {
  st->m_strMacroVars[12] = "abc";
  EXPECT_EQ("xabcy", Sub("x&D12y"));
  EXPECT_EQ("xabc5", Sub("x&D12\x01" "5"));
  st->m_strMacroVars[110] = "A!";
  st->m_strMacroVars[142] = "a!";
  st->m_strMacroVars[103] = "t3";
  st->m_strMacroVars[129] = "tT";
  EXPECT_EQ("A!a!t3tT", Sub("&DA&Da&DT3&DTT"));
  EXPECT_EQ("&D", Sub("&D"));
  EXPECT_EQ("&D0&D5181&DC&DT&DT!", Sub("&D0&D5181&DC&DT&DT!"));
  EXPECT_EQ("&D99999999999999", Sub("&D99999999999999"));
  EXPECT_EQ("", Sub(""));
}

TEST_F(Substitution, ModesKeepTheFirstReferenceAndTheTForms) {
  st->m_strMacroVars[12] = "L";
  st->m_strMacroVars[13] = "R";
  st->m_strMacroVars[103] = "t";
  EXPECT_EQ("L==R", Sub("&D12==&D13", 0));
  EXPECT_EQ("&D12==R", Sub("&D12==&D13", 1));
  EXPECT_EQ("&D12==R", Sub("&D12==&D13", 3));
  // A leading reference followed by '&' at index 3 is replaced; when its
  // value starts with a reference again, that one is at the start in turn.
  st->m_strMacroVars[110] = "&D7x";
  st->m_strMacroVars[5] = "five";
  st->m_strMacroVars[7] = "seven";
  EXPECT_EQ("&D7xfive", Sub("&DA&D5", 1));
  EXPECT_EQ("sevenxfive", Sub("&DA&D5", 0));
  EXPECT_EQ("t", Sub("&DT3", 0));
  EXPECT_EQ("xt", Sub("x&DT3", 1));
  EXPECT_EQ("t", Sub("&DT3", 4));
  EXPECT_EQ("&DT3", Sub("&DT3", 2));
  EXPECT_EQ("x&DT3", Sub("x&DT3", 3));
}

TEST_F(Substitution, PlacesWhereTheStatementActsOnTheVariable) {
  st->m_strMacroVars[5] = "v";
  EXPECT_EQ("&D5++", Sub("&D5++"));
  EXPECT_EQ("&D5--", Sub("&D5--"));
  EXPECT_EQ("v+1", Sub("&D5+1"));
  EXPECT_EQ("&D5#RG", Sub("&D5#RG"));
  EXPECT_EQ("&v#RG", Sub("&&D5#RG"));
  EXPECT_EQ("@v#RG", Sub("@&D5#RG"));
  EXPECT_EQ("a,&D5=1", Sub("a,&D5=1"));
  EXPECT_EQ("(v=1", Sub("(&D5=1"));
  EXPECT_EQ("&D5<2>", Sub("&D5<2>"));
}

TEST_F(Substitution, ValuesAreExpandedInTurnAndShieldedInModeFour) {
  st->m_strMacroVars[5] = "&D6!";
  st->m_strMacroVars[6] = "z";
  EXPECT_EQ("z!", Sub("&D5"));
  st->m_strMacroVars[1] = "(2+3)";
  EXPECT_EQ("(\x1b" "2\x1a" "3\x1c)", Sub("(&D1)", 4));
  EXPECT_EQ("1+(2+3)", Sub("1+&D1", 0));
  // A doubled plus of the statement is seen through its shield.
  EXPECT_EQ("&D1++", Sub("&D1++", 4));
}

TEST_F(Substitution, LetterVariablesIAndJTakeTheGivenValues) {
  st->m_strMacroVars[118] = "old";
  EXPECT_EQ("7,9", Sub("&DI,&DJ", 0, 7, 9));
  EXPECT_EQ("7", std::string(st->m_strMacroVars[118].GetString()));
  EXPECT_EQ("9", std::string(st->m_strMacroVars[119].GetString()));
  st->m_strMacroVars[118] = "kept";
  EXPECT_EQ("kept", Sub("&DI", 0, 0, 0));
}

TEST_F(Substitution, SelfReferenceStopsWithinTheBound) {
  st->m_strMacroVars[5] = "&D5";
  EXPECT_EQ("&D5", Sub("&D5"));
  EXPECT_EQ("EROR", std::string(st->m_strMacroVars[146].GetString()));
  st->m_strMacroVars[146] = "";
  st->m_strMacroVars[5] = "&D5&D5xxxxxxxx";
  const std::string out = Sub("a&D5");
  EXPECT_LE(out.size(), static_cast<size_t>(macro::kSubstMaxBytes));
  EXPECT_EQ("a&D5&D5", out.substr(0, 7));
  EXPECT_EQ("EROR", std::string(st->m_strMacroVars[146].GetString()));
  // A big value that leads back to itself passes 16 MB quickly.
  st->m_strMacroVars[6] = CString(std::string("&D6") + std::string(1 << 20, 'q'));
  EXPECT_LE(Sub("&D6").size(), static_cast<size_t>(macro::kSubstMaxBytes));
}

TEST_F(Substitution, PageCodeReplacesExactlyTheCode) {
  TwoBlocks();
  st->m_strMacroVars[155] = "block 2";
  EXPECT_EQ("@6", Sub("@[pttn]", 9));
  EXPECT_EQ("@6", Sub("@[ttn]", 9));
  EXPECT_EQ("6 rows", Sub("[ttn] rows", 0, 0, 0, 1));  // at the very start
  EXPECT_EQ("a7", Sub("a[pbtn]", 9));
  EXPECT_EQ("a9", Sub("a[pben]", 9));
  EXPECT_EQ("a5", Sub("a[pren]", 9));
  EXPECT_EQ("a6", Sub("a[pgtn]", 9));
  EXPECT_EQ("a9", Sub("a[pgen]", 9));  // last block: m_nLastRow + 1
  st->m_strMacroVars[155] = "1";
  EXPECT_EQ("a5", Sub("a[pgen]", 9));  // next block's first row - 1
  EXPECT_EQ("a[pgen]", Sub("a[pgen]", 0));  // only mode 9 or the flag
  EXPECT_EQ("a[pxxn]", Sub("a[pxxn]", 9));
  EXPECT_EQ("axttn]", Sub("axttn]", 9));
  // Blocks the table does not have leave the text alone.
  st->m_strMacroVars[155] = "9";
  EXPECT_EQ("a[pttn]", Sub("a[pttn]", 9));
  st->m_strMacroVars[155] = "abc";  // a block letter: 'c' + 169
  EXPECT_EQ("a[pttn]", Sub("a[pttn]", 9));
  st->m_strMacroVars[155] = "0";
  EXPECT_EQ("a[pttn]", Sub("a[pttn]", 9));
  // Without a table page codes stay.
  EXPECT_EQ("a[pttn]", macro::MacroSubstituteVariables(*st, nullptr, "a[pttn]", 9).Str());
}

class Paths : public ::testing::Test {
 protected:
  std::unique_ptr<macro::MacroState> st = std::make_unique<macro::MacroState>();
  macrotest::TestHost host;
  std::string Expand(const char* path) { return macro::MacroExpandParameters(*st, host, path).GetString(); }
};

TEST_F(Paths, RelativeNamesAreAnchored) {
  host.listDir1 = "L:\\one";
  host.listDir2 = "L:\\two";
  EXPECT_EQ("L:\\one\\data.csv", Expand("data.csv"));
  host.side = 2;
  EXPECT_EQ("L:\\two\\data.csv", Expand("data.csv"));
  st->m_strMacroVars[132] = "M:\\macros";
  EXPECT_EQ("M:\\macros\\data.csv", Expand("data.csv"));
  st->m_strMacroVars[157] = "D:\\work";
  EXPECT_EQ("D:\\work\\data.csv", Expand("data.csv"));
  EXPECT_EQ("C:\\a.csv", Expand("C:\\a.csv"));
  EXPECT_EQ("\\\\srv\\share\\a.csv", Expand("\\\\srv\\share\\a.csv"));
  EXPECT_EQ("a:b", Expand("a:b"));
  st->m_strMacroVars[5] = "x";
  EXPECT_EQ("D:\\work\\x.csv", Expand("&D5.csv"));
  st->m_strMacroVars[6] = "E:\\y.csv";
  EXPECT_EQ("E:\\y.csv", Expand("&D6"));
}

TEST_F(Paths, ParameterPath) {
  st->m_strMacroVars[157] = "D:\\work";
  host.paramPath = "C:\\doc\\report.txt";
  EXPECT_EQ("C:\\doc\\report.txt", Expand("&PARA"));
  EXPECT_EQ("C:\\doc\\report.csv", Expand("&PARA.csv"));
  EXPECT_EQ("C:\\doc\\out\\report_x.txt", Expand("out\\&PARA_x.txt"));
  host.paramPath = "report";
  EXPECT_EQ("D:\\work\\report", Expand("&PARA"));
  EXPECT_EQ("D:\\work\\report.csv", Expand("&PARA.csv"));
  host.paramPath = "C:\\a.b\\file";  // the last '.' lies in the folder
  EXPECT_EQ("C:\\a.b\\.csv", Expand("&PARA.csv"));
  host.paramPath = "";
  EXPECT_EQ("D:\\work\\", Expand("&PARA"));
  st->m_strMacroVars[157] = "";
  EXPECT_EQ("\\", Expand("&PARA"));
}

TEST(LineEscapes, BreaksAndSeparators) {
  using macro::MacroExpandLineEscapes;
  EXPECT_EQ("line1\r\nline2", MacroExpandLineEscapes("line1\\nline2", 0).Str());
  EXPECT_EQ("line1\\nline2", MacroExpandLineEscapes("line1\\nline2", 1).Str());
  EXPECT_EQ("a\\nb\r\n", MacroExpandLineEscapes("a\\nb\\n", 1).Str());
  EXPECT_EQ("total\r\n", MacroExpandLineEscapes("total\\n", 1).Str());
  EXPECT_EQ("a\x06" "b", MacroExpandLineEscapes("a\\;b", 0).Str());
  EXPECT_EQ("a\\;b", MacroExpandLineEscapes("a\\\\;b", 0).Str());
  EXPECT_EQ("x\\n", MacroExpandLineEscapes("x\\\\n", 0).Str());
  EXPECT_EQ("x\\n", MacroExpandLineEscapes("x\\\\n", 1).Str());
  EXPECT_EQ("\\", MacroExpandLineEscapes("\\", 1).Str());
  // The second byte of a kanji is no backslash: 0x95 0x5C is one character.
  EXPECT_EQ("\x95\x5c" "n", MacroExpandLineEscapes("\x95\x5c" "n", 0).Str());
  EXPECT_EQ("\x95\x5c;", MacroExpandLineEscapes("\x95\x5c;", 0).Str());
}

}  // namespace
