// The statement scanner: line marks, columns, continuation, limits, line
// numbers, the comparison normalisation of the command and the offsets of its
// bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "macro/macro_scan.h"
#include "macro/macro_state.h"

namespace {

using macro::ScanResult;

struct Stmt {
  ScanResult result;
  int line;
  std::string command;
  std::string operand;
  int indent;
  std::uint32_t pos;
  std::vector<std::uint32_t> at;
};

class Scan : public ::testing::Test {
 protected:
  std::unique_ptr<macro::MacroState> st = std::make_unique<macro::MacroState>();

  Stmt One(const std::string& text, int debug = 0) {
    const ScanResult r =
        macro::ScanMacroStatement(*st, text.data(), static_cast<std::uint32_t>(text.size()), debug);
    return {r, st->m_nCmdLineNo, st->m_strStmtCommand.GetString(), st->m_strStmtOperand.GetString(),
            st->m_nStmtIndent, st->m_nMacroPos, st->m_anStmtCommandAt};
  }
  // Every statement of the text from its start, up to the end or stop.
  std::vector<Stmt> All(const std::string& text, int debug = 0) {
    st->m_nMacroPos = 0;
    st->m_nCmdLineNo = 0;
    std::vector<Stmt> out;
    for (int guard = 0; guard < 100000; ++guard) {
      Stmt s = One(text, debug);
      if (s.result != ScanResult::kStatement) break;
      out.push_back(s);
    }
    return out;
  }
  std::vector<std::string> Commands(const std::string& text, int debug = 0) {
    std::vector<std::string> out;
    for (const Stmt& s : All(text, debug)) out.push_back(s.command);
    return out;
  }
  // The command a single statement line normalises to.
  std::string Norm(const std::string& command) {
    const auto all = All("\t" + command + "\r\n");
    return all.size() == 1 ? all[0].command : "<" + std::to_string(all.size()) + " statements>";
  }
};

using V = std::vector<std::string>;

TEST_F(Scan, ColumnsPositionsAndTheEnd) {
  const std::string text = "\tcmd\top\r\n\tcmd2\top 2\r\n";
  Stmt a = One(text);
  EXPECT_EQ(a.result, ScanResult::kStatement);
  EXPECT_EQ(a.command, "cmd");
  EXPECT_EQ(a.operand, "op");
  EXPECT_EQ(a.line, 0);
  EXPECT_EQ(a.pos, 7u);  // at the line break that ends it
  Stmt b = One(text);
  EXPECT_EQ(b.command, "cmd2");
  EXPECT_EQ(b.operand, "op 2");
  EXPECT_EQ(b.line, 1);
  Stmt e = One(text);
  EXPECT_EQ(e.result, ScanResult::kEnd);
  EXPECT_EQ(e.command, "");
  EXPECT_EQ(e.pos, text.size());
  EXPECT_EQ(e.line, 2);
  EXPECT_EQ(One(text).result, ScanResult::kEnd);  // stays at the end
  // Several TABs between the columns; a further column is passed over.
  EXPECT_EQ(All("\tcmd\t\t\top\tnote\r\n")[0].operand, "op");
  // A command in the first column of a line.
  EXPECT_EQ(Commands("row:2\r\n"), V{"row:2"});
}

TEST_F(Scan, CommentAndEmptyLinesAndIndentation) {
  const std::string text =
      "// two slashes\r\n/ one slash\r\n   // indented\r\n\t// after a TAB\r\n\r\n \t \r\n\t  cmd\top\r\n";
  const auto all = All(text);
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0].command, "cmd");
  EXPECT_EQ(all[0].line, 6);
  EXPECT_EQ(all[0].indent, 2);
  // A command that begins with '/' after the label column is an empty
  // statement; the rest of its line is passed over.
  const auto empty = All("||/ note\tx\r\n\tnext\r\n");
  ASSERT_EQ(empty.size(), 2u);
  EXPECT_EQ(empty[0].command, "");
  EXPECT_EQ(empty[1].command, "next");
}

TEST_F(Scan, LabelsAreReadOnlyAtTheLinesFirstByte) {
  EXPECT_EQ(Commands("Lab\tcmd\top\r\n"), V{"cmd"});
  EXPECT_EQ(Commands("\tLoad\tfile\r\n"), V{"Load"});  // indented 'L' is a command
  EXPECT_EQ(Commands(" Lx\r\n"), V{"Lx"});
  // A subroutine head alone on its line heads the statement below it.
  const auto sub = All(":sub1\r\n\tpara\ta,b\r\n");
  ASSERT_EQ(sub.size(), 1u);
  EXPECT_EQ(sub[0].command, "para");
  EXPECT_EQ(sub[0].line, 1);
  // ... across empty lines, but never into a line with its own first column.
  EXPECT_EQ(Commands(":sub1\r\n\r\n\t\r\n  para\r\n"), V{"para"});
  const auto two = All("L1\r\nL2\tcmd\r\n");
  ASSERT_EQ(two.size(), 2u);
  EXPECT_EQ(two[0].command, "");
  EXPECT_EQ(two[0].line, 0);
  EXPECT_EQ(two[1].command, "cmd");
  EXPECT_EQ(two[1].line, 1);
  // A label followed by a comment.
  EXPECT_EQ(Commands("L1\t// note\r\n\tcmd\r\n"), V{"cmd"});
}

TEST_F(Scan, ContinuationOfTheCommandColumn) {
  auto a = All("\tif:[a]=1 ||\r\n\t\t[b]=2\tjump\r\n\tnext\r\n");
  ASSERT_EQ(a.size(), 2u);
  EXPECT_EQ(a[0].command, "if:[a]==1 ||[b]==2");
  EXPECT_EQ(a[0].operand, "jump");
  EXPECT_EQ(a[0].line, 1);
  EXPECT_EQ(a[1].line, 2);
  EXPECT_EQ(Commands("\t[a]=1 AND\r\n\t[b]=2\tx\r\n"), V{"[a]==1 AND[b]==2"});
  // ")OR" joins the lines, but only a word after a blank ends the comparison.
  EXPECT_EQ(Commands("\t(x=1)OR \r\n y=2\r\n"), V{"(x==1)OR y=2"});
  EXPECT_EQ(Commands("\ta &&\r\n\tb\r\n"), V{"a &&b"});
  EXPECT_EQ(Commands("\ta !!\r\n\tb\r\n"), V{"a !!b"});
  // Comment and empty lines between are passed and counted.
  auto c = All("\ta ||\r\n// note\r\n\r\n\tb\r\n");
  ASSERT_EQ(c.size(), 1u);
  EXPECT_EQ(c[0].command, "a ||b");
  EXPECT_EQ(c[0].line, 3);
  // Not joiners: a word run into the one before, two blanks after, a joiner
  // before the TAB, and a bar that is the second byte of a character.
  EXPECT_EQ(Commands("\tCOLOR\r\n\tx\r\n"), (V{"COLOR", "x"}));
  EXPECT_EQ(Commands("\ta ||  \r\n\tb\r\n"), (V{"a ||  ", "b"}));
  EXPECT_EQ(All("\ta ||\top\r\n\tb\r\n").size(), 2u);
  EXPECT_EQ(Commands("\tx\x83||\r\n\ty\r\n").size(), 2u);
  EXPECT_EQ(Commands("\tx\\||\r\n\ty\r\n").size(), 2u);
  // A joiner on the last line of the text.
  EXPECT_EQ(Commands("\ta ||\r\n// end"), V{"a ||"});
}

TEST_F(Scan, ContinuationOfTheOperandColumn) {
  EXPECT_EQ(All("\tcmd\tx ||\r\n\t\ty\r\n")[0].operand, "x ||y");
  EXPECT_EQ(All("\tcmd\tx\r\n\t&& y\r\n")[0].operand, "x&& y");
  EXPECT_EQ(All("\tcmd\tx\r\n||y\r\n")[0].operand, "x||y");
  EXPECT_EQ(All("\tcmd\tx\r\n  !!y\r\n")[0].operand, "x!!y");
  EXPECT_EQ(All("\tcmd\tx\r\n\tOR y\r\n")[0].operand, "xOR y");
  EXPECT_EQ(All("\tcmd\tx\r\n\tAND y\r\n")[0].operand, "xAND y");
  // "&&" needs its blank; an empty operand is not continued.
  EXPECT_EQ(Commands("\tcmd\tx\r\n\t&&y\r\n"), (V{"cmd", "&&y"}));
  EXPECT_EQ(Commands("\tcmd\r\n||\tcmd2\r\n"), (V{"cmd", "cmd2"}));
  EXPECT_EQ(Commands("\tcmd\t\r\n||cmd2\r\n"), (V{"cmd", "cmd2"}));
  // A TAB before '$' stays in the operand; another TAB ends it.
  auto t = All("\tcmd\ta\t$b\tc\r\n");
  EXPECT_EQ(t[0].operand, "a\t$b");
  EXPECT_EQ(All("\tcmd\t$x\r\n")[0].operand, "$x");
  // A double-byte character whose second byte is '|' is no joiner.
  EXPECT_EQ(Commands("\tcmd\tx\x83||\r\n\tnext\r\n").size(), 2u);
}

TEST_F(Scan, BreakMarkDependsOnTheDebugMode) {
  const std::string text = "#\tcmd\top\r\n\tnext\r\n";
  EXPECT_EQ(Commands(text, 0), (V{"cmd", "next"}));
  auto d = All(text, 1);
  ASSERT_EQ(d.size(), 2u);
  EXPECT_EQ(d[0].command, "BK\r\n");
  EXPECT_EQ(d[0].operand, "");
  EXPECT_EQ(d[0].at, (std::vector<std::uint32_t>(4, 1)));  // just after the '#'
  EXPECT_EQ(d[1].command, "next");
  // A resumed run goes on at the mark's offset and runs the statement.
  st->m_nMacroPos = d[0].at[0];
  st->m_nCmdLineNo = 0;
  EXPECT_EQ(One(text, 1).command, "cmd");
  // After a dropped "||", and on the line after a label line.
  EXPECT_EQ(Commands("||#\tcmd\r\n", 2), V{"BK\r\n"});
  EXPECT_EQ(Commands("Lab\r\n#\tcmd\r\n", 1), V{"BK\r\n"});
  EXPECT_EQ(Commands("Lab\t// c\r\n#\tcmd\r\n", 1), V{"BK\r\n"});
  EXPECT_EQ(Commands("Lab\t// c\r\n#\tcmd\r\n", 0), V{"cmd"});
  // Negative debug modes are off.
  EXPECT_EQ(Commands(text, -1), (V{"cmd", "next"}));
  // A '#' further in is part of the command.
  EXPECT_EQ(Commands("\t#x\r\n", 1), V{"#x"});
}

TEST_F(Scan, LineNumbersCountEveryLine) {
  const std::string text =
      "// head\r\n\tone\r\n\r\n// c\r\n\ttwo ||\r\n\tmore\r\n \r\nL\tthree\r\n\tfour\r\n||\tfive\r\n\r\n";
  auto all = All(text);
  ASSERT_EQ(all.size(), 5u);
  const int lines[] = {1, 5, 7, 8, 9};
  for (std::size_t i = 0; i < all.size(); ++i) {
    EXPECT_EQ(all[i].line, lines[i]) << all[i].command;
    EXPECT_EQ(all[i].line, macro::MacroCountLineBreaks(text.data(), 0, all[i].pos));
  }
  EXPECT_EQ(One(text).line, 11);  // the end: every line break passed
}

TEST_F(Scan, LineEndsCrLfLfAndLoneCr) {
  auto all = All("\ta\r\n\tb\n\tc\r\td\r\r\n\te");
  ASSERT_EQ(all.size(), 5u);
  const int lines[] = {0, 1, 2, 3, 5};
  for (std::size_t i = 0; i < all.size(); ++i) EXPECT_EQ(all[i].line, lines[i]);
  EXPECT_EQ(all[3].command, "d");
  EXPECT_EQ(macro::MacroCountLineBreaks("a\r\nb\nc\rd\n\r", 0, 10), 5);
  EXPECT_EQ(macro::MacroCountLineBreaks("a\r\n", 0, 2), 1);  // CR LF cut after its CR
}

TEST_F(Scan, TheTextEndsAtNulOrItsLength) {
  const std::string text("\ta\0\tb\r\n", 7);
  auto all = All(text);
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(One(text).pos, 2u);  // the end stays at the NUL
  // No final line end.
  auto last = All("\tcmd\top");
  ASSERT_EQ(last.size(), 1u);
  EXPECT_EQ(last[0].operand, "op");
  EXPECT_EQ(last[0].pos, 7u);
  // Only `length` bytes are read: a buffer of exactly that size.
  const char raw[] = {'\t', 'a', '=', 'n'};
  auto buf = std::make_unique<char[]>(sizeof raw);
  std::memcpy(buf.get(), raw, sizeof raw);
  st->m_nMacroPos = 0;
  EXPECT_EQ(macro::ScanMacroStatement(*st, buf.get(), sizeof raw, 0), ScanResult::kStatement);
  EXPECT_EQ(std::string(st->m_strStmtCommand.GetString()), "a==n");
  // A position past the end, and no text at all.
  st->m_nMacroPos = 100;
  EXPECT_EQ(macro::ScanMacroStatement(*st, buf.get(), sizeof raw, 0), ScanResult::kEnd);
  EXPECT_EQ(st->m_nMacroPos, 100u);
  st->m_nMacroPos = 0;
  EXPECT_EQ(macro::ScanMacroStatement(*st, nullptr, 5, 0), ScanResult::kEnd);
}

TEST_F(Scan, TheStopMarkEndsTheRunWithoutWriting) {
  std::string text = "\ta\r\nS\tignored\r\n\tb\r\n";
  const std::string copy = text;
  st->m_nMacroPos = 0;
  st->m_nCmdLineNo = 0;
  EXPECT_EQ(One(text).command, "a");
  Stmt s = One(text);
  EXPECT_EQ(s.result, ScanResult::kStop);
  EXPECT_EQ(s.line, 1);
  EXPECT_EQ(s.pos, text.size());
  EXPECT_EQ(s.command, "");
  EXPECT_EQ(One(text).result, ScanResult::kEnd);
  EXPECT_EQ(text, copy);
  // Right after a label; a stop as the last byte of the text.
  EXPECT_TRUE(All("Lab\tStop\r\n").empty());
  st->m_nMacroPos = 0;
  EXPECT_EQ(One("Lab\tS").result, ScanResult::kStop);
  // Not a stop: after a dropped "||", or further in.
  EXPECT_EQ(Commands("||Sx\r\n\tSort\r\n"), (V{"Sx", "Sort"}));
}

TEST_F(Scan, NumericStatementsTakeTheRestOfTheLine) {
  auto a = All("\t9abc def\tghi\r\n\tnext\r\n");
  ASSERT_EQ(a.size(), 2u);
  EXPECT_EQ(a[0].command, "9abc def");
  EXPECT_EQ(a[0].operand, "");
  EXPECT_EQ(a[0].at, (std::vector<std::uint32_t>{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(a[1].command, "next");
  EXPECT_EQ(Commands("\t7=1 ||\r\n\tx\r\n"), (V{"7=1 ||", "x"}));  // no normalisation, no continuation
  EXPECT_EQ(All("\t8" + std::string(3000, 'x') + "\r\n\tn\r\n")[0].command.size(), 1900u);
  // A double-byte character that would pass the limit is left out whole.
  const std::string cut = All("\t7" + std::string(1898, 'x') + "\x82\xa0" + "\r\n")[0].command;
  EXPECT_EQ(cut.size(), 1899u);
  EXPECT_EQ(All("\t7" + std::string(1897, 'x') + "\x82\xa0" + "\r\n")[0].command.size(), 1900u);
}

TEST_F(Scan, ColumnsAreCutAtTheLimit) {
  auto a = All("\t" + std::string(30000, 'a') + "\top\r\n\tnext\r\n");
  ASSERT_EQ(a.size(), 2u);
  EXPECT_EQ(a[0].command.size(), static_cast<std::size_t>(macro::kStmtColumnMax));
  EXPECT_EQ(a[0].at.size(), a[0].command.size());
  EXPECT_EQ(a[0].operand, "op");
  auto b = All("\tcmd\t" + std::string(26000, 'b') + "\r\n");
  EXPECT_EQ(b[0].operand.size(), static_cast<std::size_t>(macro::kStmtColumnMax));
  // A sign whose added byte would pass the limit stays out whole.
  auto c = All("\t" + std::string(24999, 'a') + "=1\top\r\n");
  EXPECT_EQ(c[0].command, std::string(24999, 'a'));
  EXPECT_EQ(c[0].operand, "op");
  // Continued lines count towards the limit.
  std::string many;
  for (int i = 0; i < 6000; ++i) many += "\tab ||\r\n";
  many += "\tz\r\n";
  auto d = All(many);
  ASSERT_FALSE(d.empty());
  EXPECT_EQ(d[0].command.size(), static_cast<std::size_t>(macro::kStmtColumnMax));
  // "::" text given to the operand stays within the limit as well.
  auto e = All("\ta::" + std::string(24990, 'c') + "\t" + std::string(24990, 'o') + "\r\n");
  EXPECT_EQ(e[0].operand.size(), static_cast<std::size_t>(macro::kStmtColumnMax));
}

TEST_F(Scan, ChainedCommandsAreGivenToTheOperand) {
  auto a = All("\tcond1::cmd2\top\r\n");
  EXPECT_EQ(a[0].command, "cond1::cmd2");
  EXPECT_EQ(a[0].operand, "op::cmd2");
  auto b = All("\tcond::\top\r\n");
  EXPECT_EQ(b[0].command, "cond");
  EXPECT_EQ(b[0].operand, "op");
  EXPECT_EQ(b[0].at.size(), 4u);
  auto c = All("\ta::b::c::\t\r\n");
  EXPECT_EQ(c[0].command, "a::b::c");
  EXPECT_EQ(c[0].operand, "::b::c");
  // A "::" that ends a line joins the next one.
  auto d = All("\tx=1::\r\n\ty=2\tz\r\n");
  EXPECT_EQ(d[0].command, "x==1::y==2");
  EXPECT_EQ(d[0].operand, "z::y==2");
  // "=:" keeps its colon; "\::" is no joiner.
  EXPECT_EQ(All("\ta=:b\r\n")[0].operand, "");
  EXPECT_EQ(All("\ta\\::b\r\n")[0].operand, "");
}

TEST_F(Scan, ComparisonSignsAreNormalised) {
  EXPECT_EQ(Norm("[a]=1"), "[a]==1");
  EXPECT_EQ(Norm("a!b"), "a!=b");
  EXPECT_EQ(Norm("a<b"), "a<$b");
  EXPECT_EQ(Norm("a>b"), "a>$b");
  EXPECT_EQ(Norm("a~b"), "a~b");
  // Two- and three-character operators stay as written.
  for (const char* op : {"a==b", "a<=b", "a>=b", "a!=b", "a<>b", "a=#b", "a~=b", "a!==b", "a<=>b"})
    EXPECT_EQ(Norm(op), op);
  // After one comparison, single signs are copied until a joiner.
  EXPECT_EQ(Norm("a=1,b=2"), "a==1,b=2");
  EXPECT_EQ(Norm("a=1&&b=2||c<3"), "a==1&&b==2||c<$3");
  EXPECT_EQ(Norm("a=1::b!2"), "a==1::b!=2");
  EXPECT_EQ(Norm("a=1 OR b=2 AND c>3"), "a==1 OR b==2 AND c>$3");
  EXPECT_EQ(Norm("a=1 ORb=2"), "a==1 ORb==2");
  EXPECT_EQ(Norm("a=1 XOR b=2"), "a==1 XOR b=2");
  // "=nc", "=0:", "=1:", "=:" and "'=".
  EXPECT_EQ(Norm("x=nc:y"), "x=0:y");
  EXPECT_EQ(Norm("x=ncy"), "x==ncy");
  EXPECT_EQ(Norm("x=0:y"), "x=0:y");
  EXPECT_EQ(Norm("x=1:y"), "x=1:y");
  EXPECT_EQ(Norm("x=2:y"), "x==2:y");
  EXPECT_EQ(Norm("x=0::y"), "x==0::y");
  EXPECT_EQ(Norm("x=:y"), "x=:y");
  EXPECT_EQ(Norm("x'=y"), "x'=y");
  // Escapes.
  EXPECT_EQ(Norm("a\\=b"), "a\\=b");
  EXPECT_EQ(Norm("a\\<b=c"), "a\\<b==c");
  EXPECT_EQ(Norm("a\\||b=c<d"), "a\\||b==c<d");  // the escaped bar makes no joiner
  EXPECT_EQ(Norm("a\\_b"), "a\\_b");
  // Square brackets raise and lower the state.
  EXPECT_EQ(Norm("[a=1]=2"), "[a=1]==2");
  EXPECT_EQ(Norm("a=1[b]=2"), "a==1[b]=2");
  EXPECT_EQ(Norm("]]a=1"), "]]a==1");
}

TEST_F(Scan, SecondBytesAreNeverReadAsSigns) {
  // 0x81 0x3D, 0x95 0x5C ("\" as second byte), 0x83 0x7C ("|"), 0x81 0x60 ("~" region).
  EXPECT_EQ(Norm("\x81=a=1"), "\x81=a==1");
  EXPECT_EQ(Norm("\x95\\=1"), "\x95\\==1");
  EXPECT_EQ(Norm("\x83|\x83|a=1"), "\x83|\x83|a==1");
  EXPECT_EQ(Norm("\x88\x5b" "a=1"), "\x88\x5b" "a==1");  // '[' as a second byte raises nothing
  EXPECT_EQ(Norm("\xea\x9f<1"), "\xea\x9f<$1");
  // 0xA0-0xDF and 0xF0-0xF9 are single bytes: the byte after them is read.
  EXPECT_EQ(Norm("\xb1=1"), "\xb1==1");
  EXPECT_EQ(Norm("\xf0=1"), "\xf0==1");
  // An escaped lead byte keeps its pair together.
  EXPECT_EQ(Norm("\\\x95\\=1"), "\\\x95\\==1");
}

TEST_F(Scan, OffsetsMapEveryCommandByteToTheText) {
  const std::string text = "// c\r\n\tx=1 ||\r\n  y<2\t op\r\n\tp=nc:q'=r\r\n";
  auto all = All(text);
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0].command, "x==1 ||y<$2");
  const std::vector<std::uint32_t> at0 = {7, 8, 8, 9, 10, 11, 12, 17, 18, 18, 19};
  EXPECT_EQ(all[0].at, at0);
  EXPECT_EQ(all[1].command, "p=0:q'=r");
  const std::vector<std::uint32_t> at1 = {27, 28, 29, 31, 32, 33, 34, 35};
  EXPECT_EQ(all[1].at, at1);
  // Every byte comes from its offset, or was inserted after the byte there.
  for (const Stmt& s : all) {
    ASSERT_EQ(s.at.size(), s.command.size());
    for (std::size_t i = 0; i < s.at.size(); ++i) {
      if (text[s.at[i]] == s.command[i]) continue;
      EXPECT_TRUE((i > 0 && s.at[i] == s.at[i - 1] && (s.command[i] == '=' || s.command[i] == '$')) ||
                  (s.command[i] == '0' && text[s.at[i]] == 'n'))
          << i;
    }
  }
}

TEST_F(Scan, ALineCutAtBarsGoesOnThere) {
  // What preparation does with "a || b" and no operand: the position goes
  // back to the bars, and the line number down by the breaks passed since.
  auto cut = [&](const std::string& text, std::vector<Stmt>* out) {
    st->m_nMacroPos = 0;
    st->m_nCmdLineNo = 0;
    for (int guard = 0; guard < 20; ++guard) {
      Stmt s = One(text);
      if (s.result != ScanResult::kStatement) return;
      const std::size_t bars = s.command.find("||", 3);
      if (bars != std::string::npos && s.operand.empty()) {
        const std::uint32_t back = s.at[bars];
        st->m_nCmdLineNo -= macro::MacroCountLineBreaks(text.data(), back, st->m_nMacroPos);
        st->m_nMacroPos = back;
        s.command.resize(bars);
        s.line = st->m_nCmdLineNo;
      }
      out->push_back(s);
    }
  };
  std::vector<Stmt> a;
  cut("\tcmd1 || cmd2\r\n\tcmd3\r\n", &a);
  ASSERT_EQ(a.size(), 3u);
  EXPECT_EQ(a[1].command, "cmd2");
  EXPECT_EQ(a[1].line, 0);
  EXPECT_EQ(a[2].command, "cmd3");
  EXPECT_EQ(a[2].line, 1);
  std::vector<Stmt> b;
  cut("\tcmd1 ||\r\n\tcmd2\r\n\tcmd3\r\n", &b);
  ASSERT_EQ(b.size(), 3u);
  EXPECT_EQ(b[0].line, 0);
  EXPECT_EQ(b[1].command, "cmd2");
  EXPECT_EQ(b[1].line, 1);
  EXPECT_EQ(b[2].line, 2);
}

TEST_F(Scan, RandomTextAlwaysMovesOnAndCountsItsLines) {
  std::mt19937 rng(1234);
  const char alphabet[] = "\t\r\n /|&!:=<>~#[]\\'LS789ORAND$nc01x\x81\x95";
  for (int round = 0; round < 300; ++round) {
    std::string text(rng() % 200, ' ');
    for (char& c : text) c = alphabet[rng() % (sizeof alphabet - 1)];
    st->m_nMacroPos = 0;
    st->m_nCmdLineNo = 0;
    std::uint32_t last = 0;
    for (int guard = 0;; ++guard) {
      ASSERT_LT(guard, 1000);
      const ScanResult r =
          macro::ScanMacroStatement(*st, text.data(), static_cast<std::uint32_t>(text.size()), round % 2);
      if (r == ScanResult::kStop) break;
      ASSERT_EQ(st->m_nCmdLineNo, macro::MacroCountLineBreaks(text.data(), 0, st->m_nMacroPos)) << text;
      if (r == ScanResult::kEnd) break;
      ASSERT_GT(st->m_nMacroPos, last) << text;
      last = st->m_nMacroPos;
    }
  }
}

}  // namespace
