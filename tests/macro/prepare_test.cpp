// Statement preparation: the columns as the scanner hands them (signs
// already normalised) rewritten into the forms the classifier reads.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "macro/macro_prepare.h"
#include "macro/macro_state.h"

namespace {

constexpr std::uint32_t kBase = 100;  // offset of the command's first byte
constexpr int kLine = 5;

class Prepare : public ::testing::Test {
 protected:
  // Fills the statement as the scanner would: the command's bytes at
  // consecutive offsets from kBase, the next statement two bytes after it.
  macro::PreparedStatement Run(const std::string& cmd, const std::string& op = "") {
    st->m_strStmtCommand = CString(cmd.data(), static_cast<int>(cmd.size()));
    st->m_strStmtOperand = CString(op.data(), static_cast<int>(op.size()));
    st->m_anStmtCommandAt.clear();
    for (std::size_t i = 0; i < cmd.size(); ++i) st->m_anStmtCommandAt.push_back(kBase + static_cast<std::uint32_t>(i));
    st->m_nMacroPos = kBase + static_cast<std::uint32_t>(cmd.size()) + 2;
    st->m_nCmdLineNo = kLine;
    st->m_bStmtMultiCond = 7;
    return macro::PrepareStatement(*st);
  }
  std::string Cmd() const { return st->m_strStmtCommand.GetString(); }
  std::string Op() const { return st->m_strStmtOperand.GetString(); }

  std::unique_ptr<macro::MacroState> st = std::make_unique<macro::MacroState>();
};

std::string S(const CString& s) { return s.GetString(); }

TEST_F(Prepare, ConditionsCompareAndAssignmentsKeepOneEquals) {
  // The scanner made the single '=' of a condition "==": it stays.
  auto p = Run("if:[a]==1");
  EXPECT_EQ(S(p.word), "if");
  EXPECT_EQ(S(p.rest), "[a]==1");
  EXPECT_EQ(Cmd(), "if:[a]==1");
  EXPECT_TRUE(p.runControl);
  // An assignment with no operand is cut at its '=' and keeps one.
  p = Run("[a]==5");
  EXPECT_EQ(Cmd(), "[a]");
  EXPECT_EQ(Op(), "=5");
  // It runs as an assignment: the target with its '=', the value as rest.
  EXPECT_EQ(S(p.word), "[a]=");
  EXPECT_EQ(S(p.rest), "5");
  EXPECT_TRUE(p.directCondition && p.assignment);
  p = Run("[a]==", "7");  // the value as operand: one '=' of the two is the target's
  EXPECT_EQ(S(p.word), "[a]=");
  EXPECT_EQ(S(p.rest), "7");
  EXPECT_TRUE(p.assignment);
  p = Run("[a]==");  // nothing after the '=': the empty value
  EXPECT_EQ(S(p.word), "[a]=");
  EXPECT_EQ(S(p.rest), "");
  EXPECT_TRUE(p.assignment);
  p = Run("name==5");  // not a variable or address: no assignment
  EXPECT_FALSE(p.assignment);
  Run("&D5==abc");
  EXPECT_EQ(Cmd(), "&D5");
  EXPECT_EQ(Op(), "=abc");
  Run("[a]==b:c");  // the ':' after the '=' belongs to the value
  EXPECT_EQ(Cmd(), "[a]");
  EXPECT_EQ(Op(), "=b:c");
  Run("[a]=x");  // a '=' the scanner left single
  EXPECT_EQ(Op(), "=x");
  // No split: a ':' before the '=', an operand, or the '=' in brackets or escaped.
  p = Run("&1:x==y");
  EXPECT_EQ(Cmd(), "&1:x==y");
  EXPECT_EQ(Op(), "");
  Run("[a]==5", "op");
  EXPECT_EQ(Cmd(), "[a]==5");
  p = Run("[a=b]");
  EXPECT_EQ(Op(), "");
  EXPECT_TRUE(p.directCondition);
  EXPECT_EQ(S(p.word), "if");
  EXPECT_EQ(S(p.rest), "[a=b]");
  p = Run("abc\\=d");
  EXPECT_EQ(Cmd(), "abc\\=d");
  EXPECT_EQ(Op(), "");
}

TEST_F(Prepare, BracketFormsOfControlStatements) {
  auto p = Run("if([a]==1)");
  EXPECT_EQ(Cmd(), "if:[a]==1");
  EXPECT_EQ(S(p.word), "if");
  EXPECT_EQ(S(p.rest), "[a]==1");
  p = Run("while([i]<$5)");
  EXPECT_EQ(Cmd(), "while:[i]<$5");
  EXPECT_EQ(S(p.word), "while");
  p = Run("for([i]==1)");
  EXPECT_EQ(Cmd(), "for:[i]==1");
  EXPECT_EQ(S(p.word), "for");
  EXPECT_TRUE(p.runControl);
  Run("if(a");  // no final ')'
  EXPECT_EQ(Cmd(), "if:a");
  Run("if(a)&&if(b)");  // every "if(", one final ')'
  EXPECT_EQ(Cmd(), "if:a)&&if:b");
  // Too short to hold a condition: left as written.
  Run("if(");
  EXPECT_EQ(Cmd(), "if(");
  Run("while(");
  EXPECT_EQ(Cmd(), "while(");
  Run("for(");
  EXPECT_EQ(Cmd(), "for(");
  Run("else if(a)");  // only at the start
  EXPECT_EQ(Cmd(), "else if(a)");
}

TEST_F(Prepare, SortShorthand) {
  auto p = Run("&U");
  EXPECT_EQ(Cmd(), "&U");
  p = Run("&U3");
  EXPECT_EQ(Cmd(), "&Su3");
  EXPECT_EQ(S(p.word), "&Su3");
  EXPECT_EQ(p.letter, 'S');
  EXPECT_EQ(p.letter2, 'u');
  Run("&U3", "x");
  EXPECT_EQ(Cmd(), "&U3");
}

TEST_F(Prepare, EscapesAndShortForms) {
  Run("msg", "a\\_b\\_");
  EXPECT_EQ(Op(), "a b ");
  auto p = Run("abc\\_x");
  EXPECT_EQ(Cmd(), "abc x");
  Run("msg", "a\\\x81\x51z");  // backslash + full-width low line
  EXPECT_EQ(Op(), "a\x81\x40z");
  // A backslash that is the second byte of a character is no escape.
  Run("msg", "\x95\x5c_");
  EXPECT_EQ(Op(), "\x95\x5c_");
  Run("&@:abc", "x");
  EXPECT_EQ(Cmd(), "&@0:abc");
  Run("&@#sum", "x");
  EXPECT_EQ(Cmd(), "&@0#sum");
  // The operand's "&@:" is not the command's short form.
  Run("msg", "&@:");
  EXPECT_EQ(Op(), "&@:");
}

TEST_F(Prepare, TwoPlainStatementsOnOneLine) {
  auto p = Run("rowdel:2 || rowadd:3");
  EXPECT_TRUE(p.split);
  EXPECT_EQ(Cmd(), "&Rd2");
  EXPECT_EQ(S(p.word), "&Rd2");
  EXPECT_EQ(st->m_nMacroPos, kBase + 9);  // at the "||": the scanner drops it
  EXPECT_EQ(st->m_nCmdLineNo, kLine - 1);  // passed again by the next statement
  EXPECT_EQ(st->m_bStmtMultiCond, 0u);
  // The byte before the bars goes whatever it is; a double-byte character
  // goes whole.
  Run("abcd||ef");
  EXPECT_EQ(Cmd(), "abc");
  Run("ab\x8a\xbf||ef");
  EXPECT_EQ(Cmd(), "ab");
  // Only the first "||" is cut; the rest is scanned again from there.
  Run("abc ||de || fg");
  EXPECT_EQ(Cmd(), "abc");
  EXPECT_EQ(st->m_nMacroPos, kBase + 4);
}

TEST_F(Prepare, BarsThatDoNotSplit) {
  // In the first three bytes.
  auto p = Run("ab||cd");
  EXPECT_FALSE(p.split);
  EXPECT_EQ(Cmd(), "ab||cd");
  // With an operand: an implicit condition.
  p = Run("[a]==1 || [b]==2", "msg:x");
  EXPECT_FALSE(p.split);
  EXPECT_EQ(S(p.word), "if");
  EXPECT_EQ(S(p.rest), "[a]==1 || [b]==2");
  // The second byte of a double-byte character, or an escaped bar.
  p = Run("ab\x81\x7c|cd");
  EXPECT_FALSE(p.split);
  p = Run("abc\\||d");
  EXPECT_FALSE(p.split);
  // A line number of 0 is not lowered below 0.
  st->m_strStmtCommand = "abcd || ef";
  st->m_strStmtOperand = "";
  st->m_anStmtCommandAt.clear();
  for (std::uint32_t i = 0; i < 10; ++i) st->m_anStmtCommandAt.push_back(i);
  st->m_nMacroPos = 12;
  st->m_nCmdLineNo = 0;
  p = macro::PrepareStatement(*st);
  EXPECT_TRUE(p.split);
  EXPECT_EQ(st->m_nCmdLineNo, 0);
  EXPECT_EQ(st->m_nMacroPos, 5u);
}

TEST_F(Prepare, SplitNeverMovesThePositionBack) {
  auto setUp = [&](std::vector<std::uint32_t> at, std::uint32_t pos) {
    st->m_strStmtCommand = "abcd || ef";
    st->m_strStmtOperand = "";
    st->m_anStmtCommandAt = std::move(at);
    st->m_nMacroPos = pos;
    st->m_nCmdLineNo = kLine;
  };
  // The bars at the statement's first offset: no split.
  setUp({50, 51, 52, 53, 54, 50, 50, 57, 58, 59}, 62);
  auto p = macro::PrepareStatement(*st);
  EXPECT_FALSE(p.split);
  EXPECT_EQ(st->m_nMacroPos, 62u);
  EXPECT_EQ(st->m_nCmdLineNo, kLine);
  EXPECT_EQ(Cmd(), "abcd || ef");
  // Before it.
  setUp({50, 51, 52, 53, 54, 40, 41, 57, 58, 59}, 62);
  EXPECT_FALSE(macro::PrepareStatement(*st).split);
  // At or past the next statement.
  setUp({50, 51, 52, 53, 54, 62, 63, 57, 58, 59}, 62);
  EXPECT_FALSE(macro::PrepareStatement(*st).split);
  // Offsets that do not describe the command (a statement built as text).
  setUp({}, 62);
  EXPECT_FALSE(macro::PrepareStatement(*st).split);
  setUp({50, 51, 52}, 62);
  EXPECT_FALSE(macro::PrepareStatement(*st).split);
  // On a continued line: the bars' own offset.
  setUp({50, 51, 52, 53, 54, 80, 81, 82, 83, 84}, 90);
  p = macro::PrepareStatement(*st);
  EXPECT_TRUE(p.split);
  EXPECT_EQ(st->m_nMacroPos, 80u);
}

TEST_F(Prepare, TheLineNumberGoesBackByTheLineBreaksPassedAgain) {
  // "msg:a ||" continued on the next line by "msg:b": the scanner passed two
  // line breaks; the next statement starts at the bars and passes both again.
  const std::string text = "\tmsg:a ||\r\n\tmsg:b\r\nnext";
  st->m_strStmtCommand = "msg:a ||msg:b";
  st->m_strStmtOperand = "";
  st->m_anStmtCommandAt = {1, 2, 3, 4, 5, 6, 7, 8, 12, 13, 14, 15, 16};
  st->m_nMacroPos = 19;
  st->m_nCmdLineNo = 2;
  auto p = macro::PrepareStatement(*st, text);
  EXPECT_TRUE(p.split);
  EXPECT_EQ(Cmd(), "&Ma");
  EXPECT_EQ(st->m_nMacroPos, 7u);
  EXPECT_EQ(st->m_nCmdLineNo, 0);
  // One line: one line break, as without the text.
  const std::string one = "a:b || c:d\nx";
  st->m_strStmtCommand = "a:b || c:d";
  st->m_anStmtCommandAt.clear();
  for (std::uint32_t i = 0; i < 10; ++i) st->m_anStmtCommandAt.push_back(i);
  st->m_nMacroPos = 11;
  st->m_nCmdLineNo = 3;
  EXPECT_TRUE(macro::PrepareStatement(*st, one).split);
  EXPECT_EQ(st->m_nCmdLineNo, 2);
  // CR LF, a lone CR and a lone LF are one break each.
  const std::string mixed = "a:b ||\r\n\r\n\rc\n";
  st->m_strStmtCommand = "a:b ||c";
  st->m_anStmtCommandAt = {0, 1, 2, 3, 4, 5, 11};
  st->m_nMacroPos = 13;
  st->m_nCmdLineNo = 10;
  EXPECT_TRUE(macro::PrepareStatement(*st, mixed).split);
  EXPECT_EQ(st->m_nCmdLineNo, 6);
}

TEST_F(Prepare, ControlStatementsWithSeveralConditions) {
  for (const char* c : {"if:[a]==1||[b]==2", "do while:[a]==1||[b]==2", "while:[a]==1||[b]==2",
                        "until:[a]==1||[b]==2", "else if:[a]==1||[b]==2"}) {
    auto p = Run(c);
    EXPECT_EQ(st->m_bStmtMultiCond, 1u) << c;
    EXPECT_FALSE(p.split) << c;
    EXPECT_EQ(Cmd(), c);
    EXPECT_TRUE(p.runControl) << c;
  }
  auto p = Run("if:[a]==1||[b]==2");
  EXPECT_EQ(S(p.word), "if");
  EXPECT_EQ(S(p.rest), "[a]==1||[b]==2");
  Run("if:[a]==1");
  EXPECT_EQ(st->m_bStmtMultiCond, 0u);  // cleared for every statement
}

TEST_F(Prepare, IncrementsAndDecrements) {
  auto p = Run("[x]++");
  EXPECT_EQ(S(p.word), "inc");
  EXPECT_EQ(Cmd(), "[x]++");
  EXPECT_FALSE(p.directCondition);
  EXPECT_TRUE(p.runControl);
  p = Run("[x]--");
  EXPECT_EQ(S(p.word), "dec");
  p = Run("[x]++5");
  EXPECT_EQ(S(p.word), "inc5");
  EXPECT_EQ(p.c[0], 'i');
  p = Run("[x]--a");
  EXPECT_EQ(S(p.word), "deca");
  p = Run("[x]+++");
  EXPECT_EQ(S(p.word), "inc");
  // With an operand, or not a bracketed name: no increment.
  p = Run("[x]++", "3");
  EXPECT_EQ(S(p.word), "[x]++");
  p = Run("&D1++");
  EXPECT_EQ(S(p.word), "&D1++=");
  EXPECT_TRUE(p.directCondition);
}

TEST_F(Prepare, ImplicitConditions) {
  // A ':' one or two bytes after a comparison sign.
  auto p = Run("[a]=0:msg", "hello");
  EXPECT_EQ(S(p.word), "if");
  EXPECT_EQ(S(p.rest), "[a]=0:msg");
  p = Run("[a]==:x", "y");
  EXPECT_EQ(S(p.word), "if");
  p = Run("[a]<$:x", "y");
  EXPECT_EQ(S(p.word), "if");
  // Three bytes after it: a plain word and rest.
  p = Run("[a]==10:x", "y");
  EXPECT_EQ(S(p.word), "[a]==10");
  EXPECT_EQ(S(p.rest), "x");
  // The sign inside brackets does not count.
  p = Run("[a=]:x", "y");
  EXPECT_NE(S(p.word), "if");
  // "&&" or "||" after the first byte, with an operand, not after "if".
  p = Run("[a]==1&&[b]==2", "msg");
  EXPECT_EQ(S(p.word), "if");
  EXPECT_EQ(S(p.rest), "[a]==1&&[b]==2");
  p = Run("ifx&&y", "z");
  EXPECT_EQ(S(p.word), "ifx&&y");
  p = Run("&&2", "x");
  EXPECT_EQ(S(p.word), "&&2");
  EXPECT_EQ(p.letter, '&');
  p = Run("[a]==1&&[b]==2");  // no operand: an assignment
  EXPECT_EQ(Cmd(), "[a]");
}

TEST_F(Prepare, AddressAndVariableFormsAreConditions) {
  struct {
    const char* cmd;
    const char* command;
  } cases[] = {{"[a]", "[a]="},       {"&1", "&1="},     {"&D5", "&D5="},   {"12&3", "12&3="}, {"-&3", "-&3="},
               {"(5&2", "(5&2="},     {"&[key]", "&[key]="}, {"&@5", "&@5="}, {"&#", "&#="},     {"&-1", "&-1="},
               {"&(x)", "&(x)="},     {"(1-2[x]", "(1-2[x]="}};
  for (const auto& c : cases) {
    auto p = Run(c.cmd);
    EXPECT_TRUE(p.directCondition) << c.cmd;
    EXPECT_EQ(Cmd(), c.command) << c.cmd;
    EXPECT_EQ(S(p.word), c.command) << c.cmd;
  }
  // Not address forms, or with an operand or a ':'.
  for (const char* c : {"&R", "&x", "(a[x]", "abc"}) EXPECT_FALSE(Run(c).directCondition) << c;
  EXPECT_FALSE(Run("[a]", "x").directCondition);
  EXPECT_FALSE(Run("&1:x").directCondition);
}

TEST_F(Prepare, CommandLettersOfAmpersandCommands) {
  struct {
    const char* cmd;
    const char* op;
    unsigned char letter, letter2;
  } cases[] = {
      {"savexls:a.xls", "", 'S', 'x'},  {"row:2", "", 'R', ':'},          {"rowdel:2", "", 'R', 'd'},
      {"&&2", "x", '&', '2'},           {"&1@1_:!#", "", ':', '!'},       {"rep:&1@1_:!#", "", ':', '!'},
      {"&@:abc", "x", ':', 'a'},        {"form:3", "SUM", '#', 'S'},      {"&@#sum", "x", '#', 's'},
      {"&2==5", "msg", '=', '='},       {"&nc:abc", "x", ':', 'c'},       {"&3nc:", "x", ':', 'c'},
      {"&(1+2)Mx", "y", 'M', 'x'},      {"&DT[a]Sx", "y", 'S', 'x'},      {"&D[a[b]]Fw", "y", 'F', 'w'},
      {"&2@3Dx", "y", 'x', macro::kMissingLetter},                      {"&3", "y", macro::kMissingLetter, macro::kMissingLetter},
      {"loadmacro", "a.rmc", 'L', 'm'}, {"&2[x]Y", "y", 'Y', macro::kMissingLetter},
      {"&5&#abc", "y", '#', 'a'},
      // A double-byte character ends the address, and inside brackets its
      // second byte (here ']') is no bracket.
      {"&2\x82\xa0", "y", 0x82, 0xa0},      {"&[\x81\x5d]Mx", "y", 'M', 'x'},
  };
  for (const auto& c : cases) {
    auto p = Run(c.cmd, c.op);
    EXPECT_EQ(p.c[0], '&') << c.cmd;
    EXPECT_EQ(p.letter, c.letter) << c.cmd << " -> " << Cmd();
    EXPECT_EQ(p.letter2, c.letter2) << c.cmd << " -> " << Cmd();
  }
}

TEST_F(Prepare, ANulByteIsNoAddressCharacter) {
  auto p = Run(std::string("&1\0M", 4), "y");
  EXPECT_EQ(p.letterAt, 2);
  EXPECT_EQ(p.letter, 0);
  EXPECT_EQ(p.letter2, 'M');
}

TEST_F(Prepare, LettersOfOtherCommands) {
  auto p = Run("define#name");
  EXPECT_EQ(S(p.word), "D#name");
  EXPECT_EQ(p.c[0], 'D');
  EXPECT_EQ(p.letter, '#');
  EXPECT_EQ(p.letter2, 'n');
  EXPECT_EQ(p.letterAt, -1);
  p = Run("end");
  EXPECT_EQ(S(p.word), "E");
  EXPECT_EQ(p.c[1], macro::kMissingLetter);
  EXPECT_EQ(p.c[2], macro::kMissingLetter);
  EXPECT_EQ(p.letter, macro::kMissingLetter);
  p = Run("");
  EXPECT_EQ(p.c[0], macro::kMissingLetter);
  p = Run("break");
  EXPECT_EQ(p.c[0], 'B');
  EXPECT_EQ(p.c[1], 'K');
}

TEST_F(Prepare, RunControlWordsAreNotTranslated) {
  for (const char* w : {"registry", "registry_w", "system_para", "sys_para", "replreg", "eror_on", "eror_off", "do", "Do",
                        "outloop", "while", "until", "loop", "endif", "inc", "dec", "if", "else", "else if",
                        "do while", "do until", "for", "exe"}) {
    auto p = Run(std::string(w) + ":x", "y");
    EXPECT_EQ(S(p.word), w);
    EXPECT_TRUE(p.runControl) << w;
    EXPECT_EQ(Cmd(), std::string(w) + ":x");
  }
  // Translated, "replreg" would lose its "repl".
  auto p = Run("replreg:[a]:b", "c");
  EXPECT_EQ(S(p.word), "replreg");
  EXPECT_FALSE(Run("rowdel:2").runControl);
}

TEST_F(Prepare, ReplaceInsideAVariable) {
  for (const char* c : {"[x]:abc", "&D12:a", "&Da:x", "&DT5:x", "&DTa:x", "&D[name]:x", "[a[b]]:c", "&DT[n]:x"}) {
    auto p = Run(c, "new");
    EXPECT_EQ(S(p.word), "replreg") << c;
    EXPECT_TRUE(p.runControl) << c;
    EXPECT_EQ(Cmd(), c);
  }
  for (const char* c : {"[x]y:abc", "&D:x", "&D12x:a", "&1:x", "[x"}) EXPECT_NE(S(Run(c, "new").word), "replreg") << c;
}

// Every search of a statement sees the characters the shared bracket search
// sees: a CP932 lead byte (0xF0-0xF9 too) with a valid second byte is one
// character, so its second byte ']' closes no bracket.
TEST_F(Prepare, OneReadingOfDoubleByteCharacters) {
  auto p = Run("[a\xf1]:x");  // the ':' lies inside the brackets
  EXPECT_TRUE(p.directCondition);
  EXPECT_EQ(S(p.word), "[a\xf1]:x=");
  p = Run("[a\xf1]]:x", "y");  // the name "a" and that character
  EXPECT_EQ(S(p.word), "replreg");
  EXPECT_FALSE(p.directCondition);
  p = Run("abc\xf1|| x");  // the first '|' is a second byte
  EXPECT_FALSE(p.split);
}

TEST_F(Prepare, CommandWordsAreTranslated) {
  auto p = Run("savexls:a.xls");
  EXPECT_EQ(S(p.word), "&Sxa.xls");
  EXPECT_EQ(Cmd(), "&Sxa.xls");
  p = Run("row:2");
  EXPECT_EQ(Cmd(), "&R:2");
  p = Run("form:3", "SUM");
  EXPECT_EQ(Cmd(), "&3#SUM");
  EXPECT_EQ(Op(), "");
  p = Run("sortup:3", "NUM");
  EXPECT_EQ(Cmd(), "&Sun3");
  p = Run("rep:&1@1_:!#");
  EXPECT_EQ(Cmd(), "&1@1_:!#");
  // A command word written as a condition's action is not translated here.
  p = Run("if:[a]==1:msg", "x");
  EXPECT_EQ(S(p.word), "if");
}

}  // namespace
