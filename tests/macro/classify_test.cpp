// Statement classes in table order, the dispatch rows, the common steps'
// parse kinds and substitutions, the status trace and the loop's own
// executors (error switch, define).
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "macro/macro_classify.h"
#include "macro/macro_dispatch.h"
#include "macro/macro_state.h"
#include "test_host.h"

namespace {

using macro::ClassifyResult;
using macro::ExecutorKind;
using macro::Outcome;

ClassifyResult Classify(const char* word, unsigned char letter = 0, unsigned char letter2 = 0, int depth = 0,
                        int frames = 0, const char* operand = "") {
  const CString op(operand);
  return macro::MacroClassifyStatement(macro::MacroClassifyInputFor(word, letter, letter2, depth, frames, &op));
}

// Expects class `cls` decided by table row `row`.
void ExpectClass(int cls, int row, const ClassifyResult& r, const std::string& what) {
  EXPECT_EQ(cls, r.cls) << what;
  EXPECT_EQ(row, r.row) << what;
}

TEST(Classify, InputTakesThreeBytesAndOnesForMissingOnes) {
  const macro::ClassifyInput in = macro::MacroClassifyInputFor("E", 'x', 'y', 2, 3, nullptr);
  EXPECT_EQ('E', in.c0);
  EXPECT_EQ(1, in.c1);
  EXPECT_EQ(1, in.c2);
  EXPECT_EQ('x', in.letter);
  EXPECT_EQ(2, in.callDepth);
  EXPECT_EQ(3, in.frameCount);
  const macro::ClassifyInput empty = macro::MacroClassifyInputFor("", 0, 0, 0, 0, nullptr);
  EXPECT_EQ(1, empty.c0);
  ExpectClass(99, 34, macro::MacroClassifyStatement(empty), "empty word");
  const macro::ClassifyInput high = macro::MacroClassifyInputFor("\x82\xa0z", 0, 0, 0, 0, nullptr);
  EXPECT_EQ(0x82, high.c0);  // bytes, not chars: no sign extension
  EXPECT_EQ('z', high.c2);
}

TEST(Classify, LetterCaseRules) {
  EXPECT_EQ('R', macro::MacroClassLetter('r'));
  EXPECT_EQ('#', macro::MacroClassLetter('#'));
  EXPECT_EQ(0x82, macro::MacroClassLetter(0x82));
  EXPECT_EQ('v', macro::MacroClassLetter2('V'));
  EXPECT_EQ(':', macro::MacroClassLetter2(':'));
}

TEST(Classify, FunctionStatementsRowOne) {
  ExpectClass(1, 1, Classify("&#a", '#', 'a'), "lower-case letter");
  ExpectClass(1, 1, Classify("&#LD", '#', 'L'), "L2 is lower-cased first");
  ExpectClass(1, 1, Classify("&#:", '#', ':'), "colon");
  ExpectClass(27, 24, Classify("&#1", '#', '1'), "a digit after '#' is a cell command");
  ExpectClass(27, 24, Classify("&#", '#', 0), "nothing after '#'");
  ExpectClass(36, 32, Classify("D#sq", '#', 's'), "a defined function is no function statement");
  ExpectClass(1, 1, Classify("registry", '#', 'a'), "row 1 comes before the words");
}

TEST(Classify, WordRowsTwoToTen) {
  const std::vector<std::pair<const char*, std::pair<int, int>>> cases = {
      {"registry", {2, 2}},  {"registry_w", {2, 2}}, {"system_para", {3, 3}}, {"sys_para", {3, 3}},
      {"replreg", {4, 4}},   {"eror_on", {9, 5}},     {"eror_off", {9, 5}},    {"do", {5, 6}},
      {"Do", {5, 6}},        {"outloop", {5, 6}},     {"while", {6, 7}},       {"until", {6, 7}},
      {"loop", {6, 7}},      {"endif", {6, 7}},       {"inc", {7, 8}},         {"dec", {7, 8}},
      {"incA", {7, 8}},      {"dec;", {7, 8}},        {"if", {8, 9}},          {"else", {8, 9}},
      {"else if", {8, 9}},   {"do while", {8, 9}},    {"do until", {8, 9}},    {"for", {8, 9}},
      {"a==b", {8, 9}},      {"x<$3", {8, 9}},        {"y>1", {8, 9}},         {"z!=1", {8, 9}},
      {"q~a", {8, 9}},       {"exe", {40, 10}},
  };
  for (const auto& c : cases) ExpectClass(c.second.first, c.second.second, Classify(c.first), c.first);
  // Whole words only, case as written.
  ExpectClass(99, 34, Classify("registryx"), "registryx");
  ExpectClass(36, 32, Classify("DO"), "DO");
  ExpectClass(99, 34, Classify("in"), "in");
  ExpectClass(99, 34, Classify("exec"), "exec");
  ExpectClass(31, 27, Classify("While"), "While");
  // A comparison sign in the second byte wins over later rows.
  ExpectClass(8, 9, Classify("E=1"), "E=1");
  ExpectClass(8, 9, Classify("&=", '=', 0), "&=");
}

TEST(Classify, AmpersandLetterRows) {
  struct Case {
    unsigned char letter, letter2;
    int cls, row;
  };
  const Case cases[] = {
      {'R', 0, 10, 11},   {'r', 'x', 10, 11}, {'&', 0, 10, 11},   {'Y', 0, 10, 11},   {'y', 0, 10, 11},
      {'W', 'x', 11, 12}, {'W', 0, 11, 12},   {'w', 'D', 0, 12},  {'W', 'd', 0, 12},  {'W', 't', 0, 12},
      {'W', 'f', 0, 12},  {'I', 0, 12, 13},   {'i', 'x', 12, 13}, {'M', 'a', 13, 14}, {'M', 'A', 13, 14},
      {'M', 't', 14, 14}, {'M', 'i', 15, 14}, {'M', 0, 15, 14},   {'S', 'u', 16, 15}, {'S', 'd', 16, 15},
      {'S', 't', 20, 15}, {'S', 'b', 20, 15}, {'S', 'c', 24, 15}, {'S', 'x', 53, 15}, {'S', 'R', 54, 15},
      {'S', 'p', 59, 15}, {'S', 'h', 60, 15}, {'S', 'f', 58, 15}, {'C', 0, 17, 16},   {'c', 's', 17, 16},
      {'P', 0, 18, 17},   {'N', 0, 19, 18},   {'n', 'v', 19, 18}, {'T', 'c', 21, 19}, {'F', 'g', 22, 20},
      {'F', 'G', 22, 20}, {'F', 'e', 52, 20}, {'F', 0, 52, 20},   {'L', 'c', 23, 21}, {'L', 'n', 25, 21},
      {'L', 'a', 50, 21}, {'L', 'j', 50, 21}, {'L', 'h', 50, 21}, {'L', 'f', 57, 21}, {'L', 'm', 56, 21},
      {'L', 0, 56, 21},   {'J', 'p', 51, 22}, {'@', 0, 26, 23},   {':', '!', 26, 23}, {'0', 0, 27, 24},
      {'9', 0, 27, 24},   {'[', 0, 27, 24},   {'(', 0, 27, 24},   {'Q', 0, 99, 34},   {'B', 'K', 99, 34},
      {0, 0, 99, 34},     {0x82, 0, 99, 34},  {'E', 0, 99, 34},
  };
  for (const Case& c : cases) {
    const std::string what = std::string("&") + static_cast<char>(c.letter ? c.letter : '?') + " / " +
                             static_cast<char>(c.letter2 ? c.letter2 : '?');
    ExpectClass(c.cls, c.row, Classify("&x", c.letter, c.letter2), what);
  }
  // The letters count only after '&'.
  ExpectClass(99, 34, Classify("xR", 'R', 0), "xR");
  ExpectClass(31, 27, Classify("W", 'W', 'x'), "W with letters");
}

int g_kindCalls = 0;
int KindOf(const CString& operand) {
  ++g_kindCalls;
  return operand == CString("xls") ? 36 : 9;
}

TEST(Classify, SaveByTheOperandsFileKind) {
  ExpectClass(53, 15, Classify("&S", 'S', 0, 0, 0, "out.xlsx"), "xlsx");
  ExpectClass(54, 15, Classify("&S", 'S', 0, 0, 0, "c:\\a\\b.RTF"), "rtf");
  ExpectClass(59, 15, Classify("&S", 'S', 'a', 0, 0, "b.pdf"), "pdf");
  ExpectClass(60, 15, Classify("&S", 'S', 0, 0, 0, "b.html"), "html");
  ExpectClass(55, 15, Classify("&S", 'S', 0, 0, 0, "b.csv"), "csv");
  ExpectClass(55, 15, Classify("&S", 'S', 0, 0, 0, ""), "empty");
  ExpectClass(55, 15, macro::MacroClassifyStatement(macro::MacroClassifyInputFor("&S", 'S', 0, 0, 0, nullptr)),
              "no operand");
  EXPECT_EQ(53, macro::MacroSaveClassByKind(36));
  EXPECT_EQ(54, macro::MacroSaveClassByKind(4));
  EXPECT_EQ(59, macro::MacroSaveClassByKind(11));
  EXPECT_EQ(60, macro::MacroSaveClassByKind(6));
  EXPECT_EQ(55, macro::MacroSaveClassByKind(3));  // the old spreadsheet kind is a plain save

  // The kind is asked only when L2 leaves the class open.
  const CString op("xls");
  macro::ClassifyInput in = macro::MacroClassifyInputFor("&S", 'S', 'x', 0, 0, &op);
  in.operandKind = KindOf;
  g_kindCalls = 0;
  EXPECT_EQ(53, macro::MacroStatementClass(in));
  EXPECT_EQ(0, g_kindCalls);
  in.letter2 = 'z';
  EXPECT_EQ(53, macro::MacroStatementClass(in));
  EXPECT_EQ(1, g_kindCalls);
  in.letter = 'R';
  EXPECT_EQ(10, macro::MacroStatementClass(in));
  EXPECT_EQ(1, g_kindCalls);
}

TEST(Classify, PlainCommandRowsAndTheirConditions) {
  ExpectClass(28, 25, Classify("[x]"), "[x]");
  ExpectClass(30, 26, Classify("E", 0, 0, 0, 0), "E frames 0");
  ExpectClass(30, 26, Classify("E", 0, 0, 3, 1), "E frames 1");
  ExpectClass(34, 26, Classify("E", 0, 0, 1, 2), "E frames 2");
  ExpectClass(34, 26, Classify("Ey", 0, 0, 0, 7), "E frames 7");
  ExpectClass(31, 27, Classify("W"), "W");
  ExpectClass(32, 28, Classify("C"), "C");
  ExpectClass(32, 28, Classify("J"), "J");
  ExpectClass(33, 29, Classify("P", 0, 0, 1), "P in a call");
  ExpectClass(99, 34, Classify("P", 0, 0, 0), "P outside a call");
  ExpectClass(34, 30, Classify("R", 0, 0, 2), "R in a call");
  ExpectClass(99, 34, Classify("R", 0, 0, 0), "R outside a call");
  ExpectClass(35, 31, Classify("BK"), "BK");
  ExpectClass(35, 31, Classify("BK1"), "BK1");
  ExpectClass(99, 34, Classify("B"), "B alone");
  ExpectClass(99, 34, Classify("Bk"), "Bk");
  ExpectClass(36, 32, Classify("D"), "D");
  ExpectClass(37, 33, Classify("9"), "9");
  ExpectClass(37, 33, Classify("8 x"), "8");
  ExpectClass(37, 33, Classify("7"), "7");
  ExpectClass(99, 34, Classify("6"), "6");
  ExpectClass(99, 34, Classify("e"), "lower-case e");
  EXPECT_EQ(34, macro::MacroClassRowCount());
}

TEST(Classify, FileConditionAfterTheNumbers) {
  EXPECT_EQ(8, macro::MacroReclassifyAfterNumbers(52, "&Fe==1"));
  EXPECT_EQ(8, macro::MacroReclassifyAfterNumbers(52, "&Fe=<3"));
  EXPECT_EQ(8, macro::MacroReclassifyAfterNumbers(52, "&Fe=!x"));
  EXPECT_EQ(52, macro::MacroReclassifyAfterNumbers(52, "&Fe=x"));
  EXPECT_EQ(52, macro::MacroReclassifyAfterNumbers(52, "&Fe="));
  EXPECT_EQ(52, macro::MacroReclassifyAfterNumbers(52, "&Fe:a:b"));
  EXPECT_EQ(52, macro::MacroReclassifyAfterNumbers(52, "&Fk==1"));
  EXPECT_EQ(10, macro::MacroReclassifyAfterNumbers(10, "&Fe==1"));
}

// Every class the table can give has a dispatch row.
TEST(Dispatch, EveryClassHasARow) {
  std::set<int> seen;
  const char* words[] = {"&x", "E", "W", "C", "J", "P", "R", "BK", "D", "9", "[", "x", "", "if", "exe", "inc",
                         "do", "while", "replreg", "registry", "sys_para", "eror_on", "a=b"};
  for (const char* w : words)
    for (int l = 0; l < 256; l += 1)
      for (unsigned char l2 : {'\0', 'a', 'c', 'd', 'f', 'g', 'h', 'j', 'n', 'p', 'r', 't', 'u', 'v', 'x', ':', '1'})
        for (int depth : {0, 1})
          for (int frames : {0, 2}) {
            const ClassifyResult r = Classify(w, static_cast<unsigned char>(l), l2, depth, frames, "a.csv");
            seen.insert(r.cls);
            ASSERT_NE(nullptr, macro::MacroDispatchRow(r.cls)) << "class " << r.cls;
          }
  // Every row is reachable.
  int count = 0;
  const macro::DispatchRow* rows = macro::MacroDispatchRows(&count);
  for (int k = 0; k < count; ++k) EXPECT_TRUE(seen.count(rows[k].cls)) << "class " << rows[k].cls;
  EXPECT_EQ(nullptr, macro::MacroDispatchRow(29));
  EXPECT_EQ(nullptr, macro::MacroDispatchRow(-1));
}

TEST(Dispatch, ExecutorsBuiltNowAndLater) {
  int count = 0;
  const macro::DispatchRow* rows = macro::MacroDispatchRows(&count);
  for (int k = 0; k < count; ++k) {
    const int c = rows[k].cls;
    ExecutorKind want = ExecutorKind::kLater;
    if (c == 0 || c == 27 || c == 28 || c == 37 || c == 40) want = ExecutorKind::kGoesOn;
    if (c == 35) want = ExecutorKind::kBreak;
    if (c == 2) want = ExecutorKind::kRegistry;
    if (c == 31) want = ExecutorKind::kWait;
    if (c == 9) want = ExecutorKind::kErrorSwitch;
    if (c == 30) want = ExecutorKind::kEnd;
    if (c == 36) want = ExecutorKind::kDefine;
    if (c == 99) want = ExecutorKind::kUnknown;
    if (c == 1) want = ExecutorKind::kCellStatement;
    if (c >= 5 && c <= 8) want = ExecutorKind::kControlFlow;
    if (c == 32) want = ExecutorKind::kCallOrJump;
    if (c == 33) want = ExecutorKind::kPara;
    if (c == 34) want = ExecutorKind::kReturn;
    if (c == 26) want = ExecutorKind::kReplace;
    if (c == 4) want = ExecutorKind::kReplaceInVariable;
    if (c == 21) want = ExecutorKind::kTextToTable;
    if (c == 17) want = ExecutorKind::kCountSum;
    if (c == 3) want = ExecutorKind::kSysPara;
    if (c == 13) want = ExecutorKind::kDisplay;
    if (c == 14) want = ExecutorKind::kStatus;
    if (c == 20) want = ExecutorKind::kSaveText;
    if (c == 23) want = ExecutorKind::kLoadClip;
    if (c == 24) want = ExecutorKind::kSaveClip;
    if (c == 53) want = ExecutorKind::kSpreadsheetSave;
    if (c == 56) want = ExecutorKind::kLoad;
    if (c == 54) want = ExecutorKind::kRichSave;
    if (c == 55) want = ExecutorKind::kSave;
    if (c == 59) want = ExecutorKind::kPageSave;
    if (c == 60) want = ExecutorKind::kHtmlSave;
    if (c == 12) want = ExecutorKind::kInput;
    if (c == 15) want = ExecutorKind::kMessage;
    if (c == 11) want = ExecutorKind::kWindow;
    if (c == 10 || c == 16 || c == 18 || c == 19) want = ExecutorKind::kTableRows;
    if (c == 50) want = ExecutorKind::kLoadAdd;
    if (c == 51) want = ExecutorKind::kJoin;
    if (c == 57) want = ExecutorKind::kLoadMFile;
    if (c == 58) want = ExecutorKind::kSaveMFile;
    if (c == 22) want = ExecutorKind::kFileReg;
    if (c == 25) want = ExecutorKind::kLoadNet;
    if (c == 52) want = ExecutorKind::kFile;
    EXPECT_EQ(want, rows[k].executor) << "class " << c;
    EXPECT_NE(std::string(), rows[k].family);
    const bool rebuilds = c == 10 || c == 26 || c == 50 || c == 51 || c == 57;
    EXPECT_EQ(rebuilds, rows[k].rebuildsCsvIndex) << "class " << c;
  }
}

TEST(Dispatch, CommandParseKinds) {
  EXPECT_EQ(2, macro::MacroCommandParseKind(10, ':'));
  EXPECT_EQ(0, macro::MacroCommandParseKind(10, 'd'));
  for (int c : {16, 17, 51}) EXPECT_EQ(4, macro::MacroCommandParseKind(c, 0));
  EXPECT_EQ(4, macro::MacroCommandParseKind(19, 'v'));
  EXPECT_EQ(0, macro::MacroCommandParseKind(19, 'e'));
  for (int c : {12, 2, 24, 22, 37}) EXPECT_EQ(5, macro::MacroCommandParseKind(c, 'x'));
  EXPECT_EQ(5, macro::MacroCommandParseKind(52, 's'));
  EXPECT_EQ(5, macro::MacroCommandParseKind(52, 'w'));
  EXPECT_EQ(3, macro::MacroCommandParseKind(52, 'k'));
  EXPECT_EQ(3, macro::MacroCommandParseKind(28, 0));
  for (int c : {0, 1, 8, 26, 27, 30, 36, 53, 99}) EXPECT_EQ(0, macro::MacroCommandParseKind(c, ':'));
}

TEST(Dispatch, OperandParsePlans) {
  using macro::OperandPrep;
  auto plan = [](int cls, unsigned char l, const char* cmd, const char* op) {
    return macro::MacroOperandParsePlan(cls, l, cmd, op);
  };
  EXPECT_EQ(2, plan(10, 'Y', "&Ya", "x").kind);          // 'Y' before the third byte
  EXPECT_EQ(6, plan(10, 'R', "&Ra", "x").kind);
  EXPECT_EQ(6, plan(10, 'R', "&Rd5", "x").kind);
  EXPECT_EQ(4, plan(10, 'R', "&Ri", "x").kind);
  EXPECT_EQ(4, plan(10, '&', "&&", "x").kind);
  EXPECT_EQ(OperandPrep::kSubstitute, plan(10, 'R', "&Ri", "x").prep);
  EXPECT_EQ(OperandPrep::kDropDollarParseKind3, plan(10, 'R', "&Ri", "$[a]").prep);
  EXPECT_EQ(OperandPrep::kSubstitute, plan(10, 'R', "&Ri", "$(a)").prep);
  EXPECT_EQ(3, plan(32, 0, "C", "sub").kind);
  EXPECT_EQ(OperandPrep::kNone, plan(32, 0, "C", "sub").prep);
  EXPECT_EQ(OperandPrep::kDropStarSubstitute, plan(32, 0, "C", "*sub").prep);
  EXPECT_TRUE(plan(51, 'J', "&Jp", "x").skip);
  EXPECT_FALSE(plan(52, 'F', "&Fk", "x").skip);
  EXPECT_EQ(0, plan(52, 'F', "&Fk", "x").kind);
  EXPECT_EQ(OperandPrep::kNone, plan(15, 'M', "&Mi", "$[a]").prep);
}

TEST(Dispatch, SubstitutionsByClass) {
  for (int c : {2, 7, 8}) EXPECT_FALSE(macro::MacroSubstitutesCommand(c));
  for (int c : {0, 1, 4, 9, 10, 32, 36, 99}) EXPECT_TRUE(macro::MacroSubstitutesCommand(c));
  for (int c : {8, 1, 4, 32}) EXPECT_FALSE(macro::MacroSubstitutesOperand(c, 0));
  EXPECT_FALSE(macro::MacroSubstitutesOperand(36, '#'));
  EXPECT_TRUE(macro::MacroSubstitutesOperand(36, 0));
  for (int c : {0, 7, 9, 10, 15, 27, 51, 99}) EXPECT_TRUE(macro::MacroSubstitutesOperand(c, '#'));
}

// Fake row-data routines that record their calls.
struct FakeOps {
  std::vector<std::string> calls;
  std::string answer;  // non-empty: the parse answers this
  macro::RowDataOps Ops() {
    macro::RowDataOps ops;
    ops.parse = [this](const CString& t, int kind) {
      calls.push_back("p" + std::to_string(kind) + ":" + t.GetString());
      return answer.empty() ? t : CString(answer.c_str());
    };
    ops.substitute = [this](const CString& t, int mode) {
      calls.push_back("s" + std::to_string(mode) + ":" + t.GetString());
      return t;
    };
    return ops;
  }
};

TEST(Dispatch, OperandRowDataSteps) {
  {
    FakeOps f;
    CString op("$[k]");
    EXPECT_TRUE(macro::MacroParseOperandRowData(10, 'R', "&Ri", &op, f.Ops()));
    EXPECT_EQ((std::vector<std::string>{"p3:[k]", "p4:[k]"}), f.calls);
  }
  {
    FakeOps f;
    CString op("$(1+2)");
    EXPECT_TRUE(macro::MacroParseOperandRowData(10, 'Y', "&Y", &op, f.Ops()));
    EXPECT_EQ((std::vector<std::string>{"s0:$(1+2)"}), f.calls);  // "$(" is not parsed
  }
  {
    FakeOps f;
    CString op("*sub");
    EXPECT_TRUE(macro::MacroParseOperandRowData(32, 0, "C", &op, f.Ops()));
    EXPECT_EQ((std::vector<std::string>{"s0:sub", "p3:sub"}), f.calls);
    EXPECT_EQ(std::string("sub"), op.GetString());
  }
  {
    FakeOps f;
    CString op("x");
    EXPECT_TRUE(macro::MacroParseOperandRowData(51, 'J', "&J", &op, f.Ops()));
    EXPECT_TRUE(f.calls.empty());
  }
  {
    FakeOps f;
    f.answer = "9999";
    CString op("@[nokey]");
    EXPECT_FALSE(macro::MacroParseOperandRowData(15, 'M', "&Mi", &op, f.Ops()));
  }
  {
    FakeOps f;  // an operand that is the word itself is no failure
    CString op("9999");
    EXPECT_TRUE(macro::MacroParseOperandRowData(15, 'M', "&Mi", &op, f.Ops()));
    CString cmd("Eror");
    EXPECT_TRUE(macro::MacroParseCommandRowData(99, 0, &cmd, f.Ops()));
  }
  {
    FakeOps f;
    f.answer = "Eror";
    CString cmd("&@[a]:x");
    EXPECT_FALSE(macro::MacroParseCommandRowData(26, 0, &cmd, f.Ops()));
    EXPECT_EQ((std::vector<std::string>{"p0:&@[a]:x"}), f.calls);
    EXPECT_EQ(std::string("Eror"), cmd.GetString());
  }
}

TEST(Trace, TextsOfTheTraceModes) {
  EXPECT_EQ(std::string("CMND   5 : &Mi    hello"), macro::MacroTraceText(0, 5, "&Mi", "hello").GetString());
  EXPECT_EQ(std::string("CMND  42 : E    "), macro::MacroTraceText(0, 42, "E", "").GetString());
  EXPECT_EQ(std::string("CMND 1234 : x    y"), macro::MacroTraceText(0, 1234, "x", "y").GetString());
  EXPECT_EQ(std::string("CMND   0 :     "), macro::MacroTraceText(0, 0, "", "").GetString());
  EXPECT_EQ(std::string("CMND  -1 : a    %d"), macro::MacroTraceText(0, -1, "a", "%d").GetString());
  EXPECT_EQ(std::string("CMND   7 "), macro::MacroTraceText(1, 7, "x", "y").GetString());
  EXPECT_EQ(std::string(), macro::MacroTraceText(2, 7, "x", "y").GetString());
  EXPECT_EQ(std::string(), macro::MacroTraceText(3, 7, "x", "y").GetString());
  EXPECT_EQ(std::string(), macro::MacroTraceText(-5, 7, "x", "y").GetString());
  EXPECT_TRUE(macro::MacroTraceShown(0));
  EXPECT_TRUE(macro::MacroTraceShown(2));  // shows the empty text
  EXPECT_FALSE(macro::MacroTraceShown(3));
  const std::string longCmd(25000, 'a');
  EXPECT_EQ(static_cast<int>(11 + 25000 + 4 + 1),
            macro::MacroTraceText(0, 1, CString(longCmd.c_str()), "z").GetLength());
}

class Executors : public ::testing::Test {
 protected:
  std::unique_ptr<macro::MacroState> st = std::make_unique<macro::MacroState>();
  macrotest::TestHost host;
};

TEST_F(Executors, ErrorSwitch) {
  EXPECT_EQ(Outcome::kNext, macro::MacroExecErrorSwitch(*st, "eror_off"));
  EXPECT_EQ(1u, st->m_bMacroErrorsOff);
  EXPECT_EQ(Outcome::kNext, macro::MacroExecErrorSwitch(*st, "eror_offx"));
  EXPECT_EQ(1u, st->m_bMacroErrorsOff);
  EXPECT_EQ(Outcome::kNext, macro::MacroExecErrorSwitch(*st, "eror_on"));
  EXPECT_EQ(0u, st->m_bMacroErrorsOff);
}

TEST_F(Executors, DefineDeclaresAndDefinesFunctions) {
  CString op("a,b");
  EXPECT_EQ(Outcome::kNext, macro::MacroExecDefine(*st, &host, "D", &op));
  EXPECT_EQ(std::string("180:a;181:b;"), st->m_abMacroNameTable);
  CString body("@In*2");
  EXPECT_EQ(Outcome::kNext, macro::MacroExecDefine(*st, &host, "D#dbl", &body));
  EXPECT_EQ(1, st->m_nMacroFuncCount);
  EXPECT_EQ(std::string(":dbl::&D173*2"), st->m_strMacroFuncs[0].GetString());
  EXPECT_TRUE(host.reports.empty());
}

TEST_F(Executors, DefineFailuresComeFromTheErrorTable) {
  st->m_nMacroFuncCount = macro::kFuncSlots;
  CString body("1");
  EXPECT_EQ(Outcome::kErrorExit, macro::MacroExecDefine(*st, &host, "D#f", &body));
  ASSERT_EQ(1u, host.reports.size());
  EXPECT_EQ("Over define function Eror   ", host.reports[0]);

  st->m_nMacroNextSlot = macro::kLastVarSlot;
  CString list("big<100>");
  EXPECT_EQ(Outcome::kErrorExit, macro::MacroExecDefine(*st, &host, "D", &list));
  ASSERT_EQ(2u, host.reports.size());
  EXPECT_EQ("Over define variables Eror   ", host.reports[1]);
}

}  // namespace
