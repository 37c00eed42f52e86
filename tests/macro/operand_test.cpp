// Numbering codes, page codes, cell-address operands, field values and the
// sparse line index.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "csv/csv_table.h"
#include "macro/macro_codes.h"
#include "macro/macro_expr.h"
#include "macro/macro_lines.h"
#include "macro/macro_operand.h"
#include "macro/macro_state.h"
#include "test_host.h"

namespace {

std::string Tokens(const std::string& text, int size = 1500, int* count = nullptr) {
  std::vector<char> out(static_cast<size_t>(size) + 4, '\x7f');
  const int n = macro::MacroExpandNCodes(out.data(), CString(text), size);
  if (count) *count = n;
  EXPECT_EQ(out[static_cast<size_t>(size)], '\x7f');
  return std::string(out.data());
}

TEST(NumberingCodes, TokensCarryWidthFillDirectionAndStart) {
  EXPECT_EQ(Tokens("a&LN5Zb"), std::string("a\x05L5ZU?0001b"));
  EXPECT_EQ(Tokens("&LN5"), std::string("\x05L0NU?0005"));
  const std::string z = Tokens("&LNZ");
  ASSERT_EQ(z.size(), 10u);
  EXPECT_EQ(z[2], '0' + 12);
  EXPECT_EQ(z[3], 'Z');
  EXPECT_EQ(Tokens("&RN12S-3D"), std::string("\x05R<SD0") + "\xff\xff\xff\xfd");
  EXPECT_EQ(Tokens("&KN07Z100C"), std::string("\x05K7ZC>000d"));
  // "LNT", "LNP" and "HNR" are short forms of "TN", "BN" and "KN".
  EXPECT_EQ(Tokens("&LNT").substr(0, 2), std::string("\x05T"));
  EXPECT_EQ(Tokens("&HNR").substr(0, 2), std::string("\x05K"));
  // No NUL or control byte inside a token.
  for (const char* t : {"&LN0", "&LN-1", "&LN256", "&LN65536", "&LN2147483647", "&LN-2147483648"}) {
    const std::string tok = Tokens(t);
    ASSERT_EQ(tok.size(), 10u) << t;
    for (char c : tok.substr(1)) EXPECT_GE(static_cast<unsigned char>(c), 0x30u) << t;
  }
}

TEST(NumberingCodes, AtMostTwentyOneAndCutAtTheSize) {
  std::string text;
  for (int k = 0; k < 22; ++k) text += "&LN";
  int count = 0;
  const std::string out = Tokens(text, 1500, &count);
  EXPECT_EQ(count, 21);
  EXPECT_EQ(out.size(), 21u * 10 + 3);
  EXPECT_EQ(out.substr(210), "&LN");
  // A small buffer is never overrun.
  EXPECT_LE(Tokens(std::string(100, 'x') + "&LN5" + std::string(100, 'y'), 20).size(), 19u);
  EXPECT_EQ(Tokens("&TN", 5).size(), 4u);
}

const char kTable[] =
    "City,Total,Note\r\n"      // 1  title of block 1
    "Nagoya,1,a\r\n"           // 2
    "Kyoto,\"2\",b\r\n"        // 3
    "Tokyo,4\r\n"              // 4  (short row)
    "!#\r\n"                   // 5
    "Place,Sum\r\n"            // 6  title of block 2
    "Osaka,7\r\n"              // 7
    "東京,8\r\n";              // 8

class Operands : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(table->LoadFileText(kTable, std::strlen(kTable), 64));
    ASSERT_EQ(2u, table->BlockCount());
    env.table = table.get();
  }
  int Page(const std::string& text, char mark, int colBase, int rowBase, int* pos = nullptr, char* after = nullptr) {
    int p = 0;
    const int v = macro::MacroExpandPageCodes(env, CString(text), 0, pos ? pos : &p, &mark, colBase, rowBase, 0);
    if (after) *after = mark;
    return v;
  }
  struct Op {
    int ret, c1, c2, r1, r2, rowStep, colStep;
    char kind;
  };
  Op Operand(const std::string& text, int colBase = 0, int rowBase = 0) {
    Op o{};
    int hash = 0;
    o.ret = macro::MacroEvalOperand(env, text.c_str(), &o.c1, &o.c2, &o.r1, &o.r2, &o.kind, colBase, rowBase,
                                    &o.rowStep, &o.colStep, &hash, 0);
    return o;
  }
  std::string Field(char type, int row, int col, int quote = 0, int mode = 0, int* r = nullptr, int* c = nullptr,
                    int size = macro::kFieldValueDefault) {
    std::vector<char> out(static_cast<size_t>(size) + 4, '\x7f');
    int rr = row, cc = col;
    const int n = macro::MacroGetFieldValue(env, 0, out.data(), size, col, type, &rr, &cc, nullptr, mode, quote, 0, 0);
    EXPECT_EQ(out[static_cast<size_t>(size)], '\x7f');
    if (r) *r = rr;
    if (c) *c = cc;
    result = n;
    return std::string(out.data());
  }

  std::unique_ptr<macro::MacroState> st = std::make_unique<macro::MacroState>();
  std::unique_ptr<csv::Table> table = std::make_unique<csv::Table>();
  macrotest::TestHost host;
  macro::MacroEnv env{*st, &host, nullptr, &st->m_lineIndex, {}};
  int result = 0;
};

TEST_F(Operands, PageCodesReadTheCurrentBlock) {
  st->m_strMacroVars[macro::kSlotCurBlock] = "2";
  EXPECT_EQ(Page("[pgen]", '@', 0, 0), table->m_nLastRow + 1);
  EXPECT_EQ(Page("[pttn]", '@', 0, 0), static_cast<int>(table->m_aSecLine[2]));
  EXPECT_EQ(Page("[pbtn]", '@', 0, 0), static_cast<int>(table->m_aSecLine[2]) + 1);
  EXPECT_EQ(Page("[pren]", '&', 0, 0), 2);
  st->m_strMacroVars[macro::kSlotCurBlock] = "1";
  EXPECT_EQ(Page("[pgen]", '@', 0, 0), static_cast<int>(table->m_aSecRow[2]) - 1);
  // A block beyond the count leaves the text as it is (then no number).
  st->m_strMacroVars[macro::kSlotCurBlock] = "9";
  EXPECT_EQ(Page("[pgen]", '@', 0, 0), 0);
  st->m_strMacroVars[macro::kSlotCurBlock] = "499";
  EXPECT_EQ(Page("[pgen]", '@', 0, 0), 0);
}

TEST_F(Operands, AddressNumbersWithBasesStepsAndGroups) {
  EXPECT_EQ(Page("@(%+1)", '@', 0, 7), 8);
  EXPECT_EQ(Page("(%-2)", '@', 0, 7), 5);
  EXPECT_EQ(Page("(%*2+1)", '@', 0, 7), 15);
  EXPECT_EQ(Page("5L2", '&', 0, 0), 3);
  EXPECT_EQ(Page("1L5", '&', 0, 0), 1);
  EXPECT_EQ(Page("5R", '&', 0, 0), 6);
  EXPECT_EQ(Page("5D3", '@', 0, 0), 8);
  EXPECT_EQ(Page("5LC", '&', 0, 0), 4);
  EXPECT_EQ(Page("0x1F", '&', 0, 0), 31);
  EXPECT_EQ(Page("-4", '&', 0, 0), -4);
  EXPECT_EQ(Page("%", '&', 3, 0), 3);
  EXPECT_EQ(Page("%", '&', 0, 0), macro::kOperandNoBaseValue);
  EXPECT_EQ(Page("+", '@', 0, 0), -1);
  EXPECT_EQ(Page("", '@', 0, 0), 0);
  st->m_strMacroVars[118] = "12abc";
  st->m_strMacroVars[5] = "33";
  EXPECT_EQ(Page("ii", '@', 0, 0), 12);
  EXPECT_EQ(Page("[ii]", '@', 0, 0), 12);
  EXPECT_EQ(Page("[kk]", '@', 0, 0), 0);
  EXPECT_EQ(Page("&D5", '@', 0, 0), 33);
  EXPECT_EQ(Page("[7]", '@', 0, 0), 7);
  // Numbers saturate at the int range.
  EXPECT_EQ(Page("99999999999999999999", '@', 0, 0), 2147483647);
  EXPECT_EQ(Page("3R99999999999", '&', 0, 0), 2147483647);
  // Hex saturates as the decimal form does, with a sign as well.
  EXPECT_EQ(Page("0x80000000", '&', 0, 0), 2147483647);
  EXPECT_EQ(Page("0x100000005", '&', 0, 0), 2147483647);
  EXPECT_EQ(Page("-0x80000000", '&', 0, 0), -2147483647);
  EXPECT_EQ(Page("-99999999999", '&', 0, 0), -2147483647);
  int pos = 0;
  char after = 0;
  EXPECT_EQ(Page("12-15", '&', 0, 0, &pos, &after), 12);
  EXPECT_EQ(pos, 2);
  EXPECT_EQ(after, '-');
}

TEST_F(Operands, OperandsGiveRangesKindsAndSteps) {
  Op o = Operand("&1@1");
  EXPECT_EQ(o.kind, '@');
  EXPECT_EQ(o.ret, 1);
  EXPECT_EQ(o.c1, 1);
  EXPECT_EQ(o.c2, 1);
  EXPECT_EQ(o.r1, 1);
  EXPECT_EQ(o.r2, 1);
  o = Operand("&2_@1_");
  EXPECT_EQ(o.kind, '%');
  EXPECT_EQ(o.c1, 2);
  EXPECT_EQ(o.c2, static_cast<int>(table->m_nFieldCount));
  EXPECT_EQ(o.r1, 1);
  EXPECT_EQ(o.r2, table->m_nLastRow + 1);
  EXPECT_EQ(Operand("&12000@1").ret, 9999);
  o = Operand("&D5");
  EXPECT_EQ(o.ret, 6);
  EXPECT_EQ(o.kind, 'D');
  EXPECT_EQ(Operand("&DT3").ret, 104);
  EXPECT_EQ(Operand("&DA").ret, 'A' + 46);
  EXPECT_EQ(Operand("&D5180").ret, 5181);
  EXPECT_EQ(Operand("&D5181").ret, 0);  // no variable past 5180
  EXPECT_EQ(Operand("&D0").ret, 0);
  EXPECT_EQ(Operand("&2-4@3-9").kind, '%');
  // After a row number U and D are its own steps; after a column they are
  // the operand's row step.
  EXPECT_EQ(Operand("&3@5U2").r1, 3);
  o = Operand("&3U2R1");
  EXPECT_EQ(o.kind, 'u');
  EXPECT_EQ(o.rowStep, -2);
  EXPECT_EQ(o.colStep, 1);
  EXPECT_EQ(Operand("&3@2L1+").kind, 'l');
  EXPECT_EQ(Operand("&3@2E").kind, 'E');
  EXPECT_EQ(Operand("&RN").kind, '&');
  EXPECT_EQ(Operand("&AL").kind, 9);
  o = Operand("&1@");
  EXPECT_EQ(o.r1, table->m_nLastRow + 2);
  EXPECT_EQ(Operand("").ret, 0);
}

TEST_F(Operands, FieldValuesWithQuotesShortRowsAndModeNine) {
  EXPECT_EQ(Field('@', 2, 1), "Nagoya");
  EXPECT_EQ(Field('@', 3, 2), "\"2\"");
  EXPECT_EQ(Field('@', 3, 2, 1), "2");
  EXPECT_EQ(Field('@', 2, 2, 2), "\"1\"");
  EXPECT_EQ(Field('T', 3, 2), "2\"");
  EXPECT_EQ(result, 0);
  EXPECT_EQ(Field('E', 3, 2), "\"2");
  // A short row: empty, and mode 9 counts the missing columns.
  EXPECT_EQ(Field('@', 4, 3), "");
  int r = 0, c = 0;
  Field('@', 4, 5, 0, 9, &r, &c);
  EXPECT_EQ(c, 3);
  EXPECT_EQ(r, 0);
  const int off = macro::MacroGetFieldValue(env, 0, nullptr, 0, 1, '@', &r, &c, nullptr, 9, 0, 0, 0);
  EXPECT_EQ(off, 0);
  r = 2;
  c = 2;
  char out[16];
  EXPECT_EQ(macro::MacroGetFieldValue(env, 0, out, sizeof out, 2, '@', &r, &c, nullptr, 9, 0, 0, 0),
            static_cast<int>(std::strlen("City,Total,Note\r\nNagoya,")));
  EXPECT_EQ(r, 1);
  // Past the last row: empty, never row 1.
  EXPECT_EQ(Field('@', 99, 1), "");
  EXPECT_EQ(Field('@', 0, 1), "");
  // Variables: slots 1-5180 only.
  st->m_strMacroVars[5] = "five";
  EXPECT_EQ(Field('D', 0, 6), "five");
  EXPECT_EQ(Field('D', 0, 1), "");
  EXPECT_EQ(Field('D', 0, 5182), "");
  EXPECT_EQ(Field('D', 0, 6, 0, 0, nullptr, nullptr, 3), "fi");
}

TEST_F(Operands, RelativeFieldsMoveFromTheLine) {
  char out[64];
  int r = 0, c = 0;
  const int line3 = static_cast<int>(std::strlen("City,Total,Note\r\nNagoya,1,a\r\n")) + 4;  // inside row 3
  macro::MacroGetFieldValue(env, line3, out, sizeof out, 1, 'd', &r, &c, nullptr, 0, 0, 1, 1);
  EXPECT_STREQ(out, "4");
  macro::MacroGetFieldValue(env, line3, out, sizeof out, 1, 'u', &r, &c, nullptr, 0, 0, -2, 0);
  EXPECT_STREQ(out, "City");
  macro::MacroGetFieldValue(env, line3, out, sizeof out, 1, 'u', &r, &c, nullptr, 0, 0, -3, 0);
  EXPECT_STREQ(out, "");
  macro::MacroGetFieldValue(env, line3, out, sizeof out, 1, 'd', &r, &c, nullptr, 0, 0, 99, 0);
  EXPECT_STREQ(out, "");
}

TEST_F(Operands, LongVariablesAndCellsComeWhole) {
  const std::string big(3000, 'z');
  std::string csvText = "a,b\r\n1," + big + "\r\n";
  ASSERT_TRUE(table->LoadFileText(csvText.data(), csvText.size(), 64));
  st->m_strMacroVars[9] = CString(big);
  macro::ExprContext ctx;
  ctx.env = &env;
  std::vector<char> out(9005);
  char kind = 0;
  std::int64_t value = 0;
  EXPECT_EQ(macro::MacroEvalExpression(0, out.data(), 9005, CString("&D9"), &kind, &value, &ctx), 3000);
  EXPECT_EQ(std::string(out.data()), big);
  EXPECT_EQ(macro::MacroEvalExpression(0, out.data(), 9005, CString("&2@2"), &kind, &value, &ctx), 3000);
  EXPECT_EQ(std::string(out.data()), big);
}

// The offset after `line` line feeds, counted from the start (`feeds`
// holds the offset after each line feed, counted once).
std::uint32_t Counted(const std::vector<std::uint32_t>& feeds, std::uint32_t length, long long line) {
  if (line < 1) return 0;
  return line <= static_cast<long long>(feeds.size()) ? feeds[static_cast<size_t>(line - 1)] : length;
}

TEST(LineIndex, EqualsCountingLineFeedsForEveryStep) {
  std::mt19937 rng(5);
  std::string text;
  text.reserve(12000000);
  for (int k = 0; k < 1000000; ++k) {
    text += std::to_string(rng() % 100000);
    if (rng() % 7 == 0) text += "\x06x";
    text += rng() % 11 == 0 ? "\n" : "\r\n";
  }
  text += "tail";
  csv::TableFields t;
  std::vector<std::uint8_t> buf(text.begin(), text.end());
  buf.push_back(0);
  t.m_pTextBuf = buf.data();
  t.m_nWorkSize = static_cast<std::uint32_t>(buf.size());
  t.m_nTextLen = static_cast<std::uint32_t>(text.size());
  std::vector<long long> lines = {0, -5, 1, 2, 7, 8, 9, 127, 128, 129, 65535, 65536, 65537, 524288, 999999,
                                  1000000, 1000001, 5000000, 2147483647};
  for (int k = 0; k < 300; ++k) lines.push_back(rng() % 1000003);
  std::vector<std::uint32_t> feeds;
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] == '\n') feeds.push_back(static_cast<std::uint32_t>(i + 1));
  for (int step : {1, 8, 128}) {
    macro::MacroLineIndex index;
    macro::MacroBuildLineIndex(&index, t.m_pTextBuf, t.m_nTextLen, step);
    ASSERT_EQ(index.entries[0], step);
    for (long long line : lines)
      ASSERT_EQ(static_cast<std::uint32_t>(macro::LineOffsetFromTable(t, static_cast<int>(line), index.entries.data())),
                Counted(feeds, t.m_nTextLen, line))
          << "step " << step << " line " << line;
  }
  EXPECT_EQ(macro::MacroLineIndexStep(65536), 1);
  EXPECT_EQ(macro::MacroLineIndexStep(65537), 8);
  EXPECT_EQ(macro::MacroLineIndexStep(524288), 8);
  EXPECT_EQ(macro::MacroLineIndexStep(524289), 128);
}

TEST(LineIndex, IsRebuiltWhenTheTableIsReindexed) {
  csv::Table t;
  ASSERT_TRUE(t.LoadFileText("a\r\nb\r\nc\r\n", 9, 64));
  macro::MacroLineIndex index;
  const std::int32_t* e = macro::MacroTableLineIndex(&index, t);
  EXPECT_EQ(macro::LineOffsetFromTable(t, 2, e), 6);
  ASSERT_TRUE(t.LoadFileText("aaaa\r\nb\r\nc\r\n", 12, 64));
  e = macro::MacroTableLineIndex(&index, t);
  EXPECT_EQ(macro::LineOffsetFromTable(t, 1, e), 6);
  // Same buffer, same length, new scan: rebuilt too.
  std::memcpy(t.m_pTextBuf, "aa\r\nbb\r\nc\r\n", 12);
  t.Rescan();
  e = macro::MacroTableLineIndex(&index, t);
  EXPECT_EQ(macro::LineOffsetFromTable(t, 1, e), 4);
}

}  // namespace
