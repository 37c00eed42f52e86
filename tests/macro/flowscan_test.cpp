// The text walks of the control statements on small texts: where each one
// lands, the line breaks it reports (always the difference of the line
// breaks before the two positions), and that none reads outside the text.
#include "macro/macro_flowscan.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

using macro::FlowLineKind;
using macro::FlowMove;
using macro::FlowText;

// The text in a buffer of exactly its size (no NUL after it), so that a
// read past the end is caught.
struct Text {
  explicit Text(const std::string& s) : bytes(new char[s.size() ? s.size() : 1]), n(static_cast<std::uint32_t>(s.size())) {
    if (!s.empty()) std::memcpy(bytes.get(), s.data(), s.size());
  }
  FlowText Flow() const { return FlowText(bytes.get(), n); }
  std::unique_ptr<char[]> bytes;
  std::uint32_t n;
};

int Lfs(const std::string& s, std::size_t to) {
  int k = 0;
  for (std::size_t p = 0; p < to && p < s.size(); ++p) k += s[p] == '\n';
  return k;
}

// Position of the end of the line holding `marker` (its CR), as the
// statement scanner leaves it.
std::uint32_t EndOf(const std::string& s, const std::string& marker) {
  const std::size_t at = s.find(marker);
  EXPECT_NE(std::string::npos, at) << marker;
  return static_cast<std::uint32_t>(s.find('\r', at));
}

void ExpectLanding(const std::string& s, std::uint32_t from, const FlowMove& m, std::size_t want) {
  ASSERT_TRUE(m.moved);
  EXPECT_EQ(want, m.pos);
  EXPECT_EQ(Lfs(s, want) - Lfs(s, from), m.lines);
}

TEST(FlowScan, LineKinds) {
  struct {
    const char* line;
    FlowLineKind kind;
    int indent;
    int command;
  } cases[] = {
      {"\tif:a\r\n", FlowLineKind::kStatement, 0, 1},  {"L1\t   loop\r\n", FlowLineKind::kStatement, 3, 6},
      {"2,3,4\r\n", FlowLineKind::kData, 0, 0},        {"// x\r\n", FlowLineKind::kComment, 0, 0},
      {"\r\n", FlowLineKind::kEmpty, 0, 0},            {"\n", FlowLineKind::kEmpty, 0, 0},
      {"", FlowLineKind::kEmpty, 0, 0},                {"  do\r\n", FlowLineKind::kNoMatch, 0, 0},
      {"\t  /x\r\n", FlowLineKind::kNoMatch, 0, 0},    {"\t2\r\n", FlowLineKind::kNoMatch, 0, 0},
      {"L1\x01\tdo\r\n", FlowLineKind::kNoMatch, 0, 0}, {"#\t do\r\n", FlowLineKind::kStatement, 1, 3},
      {"\t   ", FlowLineKind::kStatement, 3, 4},
  };
  for (const auto& c : cases) {
    const Text t(c.line);
    const macro::FlowLine line = macro::MacroFlowLineAt(t.Flow(), 0);
    EXPECT_EQ(c.kind, line.kind) << c.line;
    if (c.kind != FlowLineKind::kStatement) continue;
    EXPECT_EQ(c.indent, line.indent) << c.line;
    EXPECT_EQ(static_cast<std::uint32_t>(c.command), line.command) << c.line;
  }
}

TEST(FlowScan, BlockSkip) {
  const std::string s =
      "\tif:a\r\n\t  x\r\n// c\r\n2,1\r\n\r\n  y\r\n\t    z\r\n\t  loop\r\n\tnext\r\n\tloopy\r\n\tend\r\n";
  const Text t(s);
  const std::uint32_t from = EndOf(s, "if:a");
  // Indentation 0: the comment, data, empty and TAB-less lines never match.
  ExpectLanding(s, from, macro::MacroFlowSkipBlock(t.Flow(), from, 0, false), s.find("\tnext"));
  // Indentation 2: the "loop" line at 2 closes; with the rule the run goes
  // on after it.
  ExpectLanding(s, from, macro::MacroFlowSkipBlock(t.Flow(), from, 2, false), s.find("\t  x"));
  const std::uint32_t afterX = EndOf(s, "\t  x");
  ExpectLanding(s, afterX, macro::MacroFlowSkipBlock(t.Flow(), afterX, 2, true), s.find("\tnext"));
  // A command that begins with "loop" counts ("loopy").
  const std::uint32_t afterNext = EndOf(s, "\tnext");
  ExpectLanding(s, afterNext, macro::MacroFlowSkipBlock(t.Flow(), afterNext, 0, true), s.find("\tend"));
  // Running off the text: the end of the text.
  const std::uint32_t afterEnd = EndOf(s, "\tend");
  ExpectLanding(s, afterEnd, macro::MacroFlowSkipBlock(t.Flow(), afterEnd, 0, true), s.size());
  // A last line without its break, deeper than the statement, is not run.
  const std::string u = "\tif:a\r\n\t  body";
  const Text tu(u);
  ExpectLanding(u, 5, macro::MacroFlowSkipBlock(tu.Flow(), 5, 0, false), u.size());
  // A "loop" line that is the last one, without its break.
  const std::string v = "\tdo while:a\r\n\t  b\r\n\tloop";
  const Text tv(v);
  ExpectLanding(v, EndOf(v, "do while"), macro::MacroFlowSkipBlock(tv.Flow(), EndOf(v, "do while"), 0, true),
                v.size());
  // A NUL ends the text.
  const std::string w = std::string("\tif:a\r\n\t  b\r\n\0\tc\r\n", 17);
  const Text tw(w);
  ExpectLanding(w, 5, macro::MacroFlowSkipBlock(tw.Flow(), 5, 0, false), 13);
}

TEST(FlowScan, JumpBack) {
  const std::string s =
      "\tdo\r\n\t  for:a;b;c\r\n// x\r\n\t    y\r\n2,do\r\n\t  loop\r\n\tdon\r\n\t  z\r\n\t while:q\r\n";
  const Text t(s);
  // The inner "loop" at 2 finds the "for" at 2.
  const std::uint32_t loopEnd = EndOf(s, "\t  loop");
  ExpectLanding(s, loopEnd, macro::MacroFlowJumpBack(t.Flow(), loopEnd, 2, true), s.find("\t  for"));
  ExpectLanding(s, loopEnd, macro::MacroFlowJumpBack(t.Flow(), loopEnd, 2, false), s.find("// x"));
  // Indentation 1: the "don" line (it begins with "do") is the head.
  const std::uint32_t whileEnd = EndOf(s, "while:q");
  ExpectLanding(s, whileEnd, macro::MacroFlowJumpBack(t.Flow(), whileEnd, 1, false), s.find("\t  z"));
  // Indentation 0 from the "loop": the first "do".
  ExpectLanding(s, loopEnd, macro::MacroFlowJumpBack(t.Flow(), loopEnd, 0, true), 0);
  // No head: not moved.
  const std::string u = "\tx\r\n\t  do\r\n\tloop\r\n";
  const Text tu(u);
  EXPECT_FALSE(macro::MacroFlowJumpBack(tu.Flow(), EndOf(u, "loop"), 0, true).moved);
  // A closer on the first line, a position at the end, past it, or at 0.
  const Text tv("\tloop");
  for (std::uint32_t p : {0u, 3u, 5u, 99u}) EXPECT_FALSE(macro::MacroFlowJumpBack(tv.Flow(), p, 0, true).moved);
  // Lone CR and LF line ends.
  const std::string w = "\tdo\n\t  a\r\tloop\n";
  const Text tw(w);
  const FlowMove m = macro::MacroFlowJumpBack(tw.Flow(), static_cast<std::uint32_t>(w.size() - 1), 0, true);
  ASSERT_TRUE(m.moved);
  EXPECT_EQ(0u, m.pos);
  EXPECT_EQ(-2, m.lines);  // the LF and the lone CR
}

TEST(FlowScan, OneLineTarget) {
  const std::string s = "\tx\t>y\r\n\tif:a\t>[b]++\r\n";
  const Text t(s);
  const std::uint32_t end = EndOf(s, "if:a");
  ExpectLanding(s, end, macro::MacroFlowOneLineTarget(t.Flow(), end), s.find("[b]"));
  // The nearest '>' not after a TAB: nothing moves.
  const Text u("\tif:a>b\t>>c\r\n");
  EXPECT_FALSE(macro::MacroFlowOneLineTarget(u.Flow(), 11).moved);
  // Crossing earlier lines.
  ExpectLanding(s, static_cast<std::uint32_t>(s.find("\tif")), macro::MacroFlowOneLineTarget(t.Flow(), 8),
                s.find("y"));
  // None before: nothing; a '>' at offset 0 has no byte before it.
  const Text v(">x\r\n");
  EXPECT_FALSE(macro::MacroFlowOneLineTarget(v.Flow(), 2).moved);
  EXPECT_FALSE(macro::MacroFlowOneLineTarget(v.Flow(), 0).moved);
}

TEST(FlowScan, OutLoop) {
  const std::string s =
      "\toutloop\r\n\t  do\r\n\t  msg\tfor: x\r\n\t  loop\r\n// loop until\r\n\tuntil:a\r\n\tafter\r\n\tloop\r\n\tlast\r\n";
  const Text t(s);
  const std::uint32_t from = EndOf(s, "outloop");
  // One loop: " do" and "for:" open two, the first "loop" closes one, the
  // comment is passed, "until" closes the second... the third closer is ours.
  ExpectLanding(s, from, macro::MacroFlowOutLoop(t.Flow(), from, 1), s.find("\tlast"));
  // With no "for:" in the message the "until" would have been ours.
  const std::string u = "\toutloop\r\n\t  do\r\n\t  loop\r\n\tuntil:a\r\n\tafter\r\n";
  const Text tu(u);
  ExpectLanding(u, EndOf(u, "outloop"), macro::MacroFlowOutLoop(tu.Flow(), EndOf(u, "outloop"), 1), u.find("\tafter"));
  // Two loops: the "loop" and then the "until".
  const std::string v = "\toutloop:2\r\n\tloop\r\n\tuntil:a\r\n\tafter\r\n";
  const Text tv(v);
  ExpectLanding(v, EndOf(v, "outloop"), macro::MacroFlowOutLoop(tv.Flow(), EndOf(v, "outloop"), 2), v.find("\tafter"));
  // Not enough closers: not moved. A closer in the last line: the end.
  EXPECT_FALSE(macro::MacroFlowOutLoop(tv.Flow(), EndOf(v, "outloop"), 3).moved);
  const std::string w = "\toutloop\r\n\twhile:x";
  const Text tw(w);
  ExpectLanding(w, 8, macro::MacroFlowOutLoop(tw.Flow(), 8, 1), w.size());
}

TEST(FlowScan, CountBreaksMatchesTheStatementScanner) {
  const std::string s = "a\r\nb\rc\nd\r\r\ne\n\r";
  const Text t(s);
  EXPECT_EQ(7, macro::MacroFlowCountBreaks(t.Flow(), 0, static_cast<std::uint32_t>(s.size())));
  // Additive over any split, a CR LF counting at its CR.
  for (std::uint32_t k = 0; k <= s.size(); ++k)
    EXPECT_EQ(7, macro::MacroFlowCountBreaks(t.Flow(), 0, k) +
                     macro::MacroFlowCountBreaks(t.Flow(), k, static_cast<std::uint32_t>(s.size())));
  EXPECT_EQ(0, macro::MacroFlowCountBreaks(t.Flow(), 99, 120));  // past the text: nothing read
}

}  // namespace
