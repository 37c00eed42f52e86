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
  // The command a single statement line normalises to.
  std::string Norm(const std::string& command) {
    const auto all = All("\t" + command + "\r\n");
    return all.size() == 1 ? all[0].command : "<" + std::to_string(all.size()) + " statements>";
  }
};

// Statements as "line:command\toperand", joined by " ; ".
struct Golden {
  int debug;
  const char* text;
  const char* statements;
};

std::string Render(const std::vector<Stmt>& all) {
  std::string out;
  for (const Stmt& s : all)
    out += (out.empty() ? "" : " ; ") + std::to_string(s.line) + ":" + s.command + "\t" + s.operand;
  return out;
}

TEST_F(Scan, LineMarksColumnsAndContinuation) {
  const Golden cases[] = {
      {0, "\tcmd\t\t\top\tnote\r\nrow:2\r\n", "0:cmd\top ; 1:row:2\t"},
      // Comment forms, empty lines; a command beginning with '/' is empty.
      {0, "// c\r\n/ c\r\n   // c\r\n\t// c\r\n\r\n \t \r\n\tcmd\r\n", "6:cmd\t"},
      {0, "||/ note\tx\r\n\tnext\r\n", "0:\t ; 1:next\t"},
      // Labels only at the line's first byte; a label line heads the
      // statement below it, never one with its own first column.
      {0, "Lab\tcmd\top\r\n\tLoad\tf\r\n Lx\r\n", "0:cmd\top ; 1:Load\tf ; 2:Lx\t"},
      {0, ":sub1\r\n\r\n\t\r\n  para\ta,b\r\n", "3:para\ta,b"},
      {0, "L1\r\nL2\tcmd\r\nL3\t// c\r\n\tx\r\n", "0:\t ; 1:cmd\t ; 3:x\t"},
      // Command continuation and its joiners.
      {0, "\tif:[a]=1 ||\r\n\t\t[b]=2\tjump\r\n\tnext\r\n", "1:if:[a]==1 ||[b]==2\tjump ; 2:next\t"},
      {0, "\t[a]=1 AND\r\n\t[b]=2\tx\r\n", "1:[a]==1 AND[b]==2\tx"},
      {0, "\t(x=1)OR \r\n y=2\r\n", "1:(x==1)OR y=2\t"},  // joins, ends no comparison
      {0, "\ta &&\r\n\tb\r\n\tc !!\r\n\td\r\n", "1:a &&b\t ; 3:c !!d\t"},
      {0, "\ta ||\r\n// note\r\n\r\n\tb\r\n", "3:a ||b\t"},
      {0, "\tCOLOR\r\n\ta ||  \r\n\tb ||\top\r\n\tc\r\n", "0:COLOR\t ; 1:a ||  \t ; 2:b ||\top ; 3:c\t"},
      {0, "\tx\x83||\r\n\ty\\||\r\n\tz\r\n", "0:x\x83||\t ; 1:y\\||\t ; 2:z\t"},
      {0, "\ta ||\r\n// end", "1:a ||\t"},
      // Operand continuation.
      {0, "\tc\tx ||\r\n\t\ty\r\n", "1:c\tx ||y"},
      {0, "\tc\tx\r\n\t&& y\r\n||z\r\n  !!w\r\n\tOR v\r\n\tAND u\r\n", "5:c\tx&& y||z!!wOR vAND u"},
      {0, "\tc\tx\r\n\t&&y\r\n", "0:c\tx ; 1:&&y\t"},
      {0, "\tc\r\n||\td\r\n\te\t\r\n||f\r\n", "0:c\t ; 1:d\t ; 2:e\t ; 3:f\t"},
      {0, "\tc\ta\t$b\tc\r\n\tc\t$x\r\n", "0:c\ta\t$b ; 1:c\t$x"},
      {0, "\tc\tx\x83||\r\n\tnext\r\n", "0:c\tx\x83|| ; 1:next\t"},
      // The break mark.
      {0, "#\tcmd\top\r\n\tnext\r\n", "0:cmd\top ; 1:next\t"},
      {-1, "#\tcmd\top\r\n", "0:cmd\top"},
      {1, "#\tcmd\top\r\n\tnext\r\n", "0:BK\r\n\t ; 1:next\t"},
      {2, "||#\tcmd\r\n\t#x\r\n", "0:BK\r\n\t ; 1:#x\t"},
      {1, "Lab\r\n#\tcmd\r\nLab\t// c\r\n#\tx\r\n", "1:BK\r\n\t ; 3:BK\r\n\t"},
      {0, "Lab\t// c\r\n#\tcmd\r\n", "1:cmd\t"},
      // Line ends: CR LF, LF, lone CR, CR CR LF; a NUL; no final line end.
      {0, "\ta\r\n\tb\n\tc\r\td\r\r\n\te", "0:a\t ; 1:b\t ; 2:c\t ; 3:d\t ; 5:e\t"},
      // Numeric statements: the rest of the line, no normalisation.
      {0, "\t9abc def\tghi\r\n\t7=1 ||\r\n\tx\r\n", "0:9abc def\t ; 1:7=1 ||\t ; 2:x\t"},
      // The stop mark: not after a dropped "||", not further in.
      {0, "||Sx\r\n\tSort\r\n", "0:Sx\t ; 1:Sort\t"},
      // "::" chains.
      {0, "\tcond1::cmd2\top\r\n\tcond::\top\r\n\ta::b::c::\t\r\n", "0:cond1::cmd2\top::cmd2 ; 1:cond\top ; 2:a::b::c\t::b::c"},
      {0, "\tx=1::\r\n\ty=2\tz\r\n\ta=:b\r\n\ta\\::b\r\n", "1:x==1::y==2\tz::y==2 ; 2:a=:b\t ; 3:a\\::b\t"},
  };
  for (const Golden& g : cases) EXPECT_EQ(Render(All(g.text, g.debug)), g.statements) << g.text;
  EXPECT_EQ(All("\t  cmd\r\n")[0].indent, 2);
  EXPECT_EQ(All("Lab\t \r\n   cmd\r\n")[0].indent, 3);  // on the command's own line
}

TEST_F(Scan, PositionsTheEndAndTheBreakMarkOffset) {
  const std::string text = "\tcmd\top\r\n\tcmd2\r\n";
  EXPECT_EQ(One(text).pos, 7u);  // at the line break that ends it
  EXPECT_EQ(One(text).line, 1);
  Stmt e = One(text);
  EXPECT_EQ(e.result, ScanResult::kEnd);
  EXPECT_EQ(e.pos, text.size());
  EXPECT_EQ(e.line, 2);
  EXPECT_EQ(One(text).result, ScanResult::kEnd);  // stays at the end
  // The break statement's offsets: just after the '#', where a resumed run
  // goes on and runs the statement.
  const std::string marked = "#\tcmd\r\n";
  auto d = All(marked, 1);
  EXPECT_EQ(d[0].at, (std::vector<std::uint32_t>(4, 1)));
  st->m_nMacroPos = d[0].at[0];
  st->m_nCmdLineNo = 0;
  EXPECT_EQ(One(marked, 1).command, "cmd");
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

TEST_F(Scan, LineBreaksAreCountedAsTheScannerPasses) {
  EXPECT_EQ(macro::MacroCountLineBreaks("a\r\nb\nc\rd\n\r", 0, 10), 5);
  EXPECT_EQ(macro::MacroCountLineBreaks("a\r\n", 0, 2), 1);  // CR LF cut after its CR
}

TEST_F(Scan, TheTextEndsAtNulOrItsLength) {
  const std::string text("\ta\0\tb\r\n", 7);
  EXPECT_EQ(Render(All(text)), "0:a\t");
  EXPECT_EQ(One(text).pos, 2u);  // the end stays at the NUL
  EXPECT_EQ(All("\tcmd\top")[0].pos, 7u);  // no final line end
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
}

TEST_F(Scan, NumericStatementsTakeTheRestOfTheLine) {
  EXPECT_EQ(All("\t9abc def\tghi\r\n")[0].at, (std::vector<std::uint32_t>{1, 2, 3, 4, 5, 6, 7, 8}));
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

TEST_F(Scan, ComparisonSignsAreNormalised) {
  const char* cases[][2] = {
      {"[a]=1", "[a]==1"}, {"a!b", "a!=b"}, {"a<b", "a<$b"}, {"a>b", "a>$b"}, {"a~b", "a~b"},
      // Two- and three-character operators stay as written.
      {"a==b", "a==b"}, {"a<=b", "a<=b"}, {"a<>b", "a<>b"}, {"a=#b", "a=#b"}, {"a~=b", "a~=b"},
      {"a!==b", "a!==b"}, {"a<=>b", "a<=>b"},
      // After one comparison, single signs are copied until a joiner.
      {"a=1,b=2", "a==1,b=2"}, {"a=1&&b=2||c<3", "a==1&&b==2||c<$3"}, {"a=1::b!2", "a==1::b!=2"},
      {"a=1 OR b=2 AND c>3", "a==1 OR b==2 AND c>$3"}, {"a=1 ORb=2", "a==1 ORb==2"},
      {"a=1 XOR b=2", "a==1 XOR b=2"},
      // "=nc", "=0:", "=1:", "=:" and "'=".
      {"x=nc:y", "x=0:y"}, {"x=ncy", "x==ncy"}, {"x=0:y", "x=0:y"}, {"x=1:y", "x=1:y"},
      {"x=2:y", "x==2:y"}, {"x=0::y", "x==0::y"}, {"x=:y", "x=:y"}, {"x'=y", "x'=y"},
      // Escapes; an escaped bar makes no joiner.
      {"a\\=b", "a\\=b"}, {"a\\<b=c", "a\\<b==c"}, {"a\\||b=c<d", "a\\||b==c<d"},
      // Square brackets raise and lower the state.
      {"[a=1]=2", "[a=1]==2"}, {"a=1[b]=2", "a==1[b]=2"}, {"]]a=1", "]]a==1"},
      // Second bytes are never read: '=', '\\', '|', '[' after a lead byte.
      {"\x81=a=1", "\x81=a==1"}, {"\x95\\=1", "\x95\\==1"}, {"\x83|\x83|a=1", "\x83|\x83|a==1"},
      {"\x88[a=1", "\x88[a==1"}, {"\xea\x9f<1", "\xea\x9f<$1"}, {"\\\x95\\=1", "\\\x95\\==1"},
      // 0xA0-0xDF and 0xF0-0xF9 are single bytes.
      {"\xb1=1", "\xb1==1"}, {"\xf0=1", "\xf0==1"},
  };
  for (const auto& c : cases) EXPECT_EQ(Norm(c[0]), c[1]) << c[0];
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
