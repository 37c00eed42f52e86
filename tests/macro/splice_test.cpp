// Another macro file's text spliced into the running macro's text.
#include <gtest/gtest.h>

#include <string>

#include "macro/macro_splice.h"

namespace {

std::string Splice(const std::string& old, macro::SpliceRequest req, const std::string& ins, std::size_t* mark) {
  return macro::MacroSpliceMacroText(old.data(), old.size(), req, ins, mark);
}

TEST(Splice, LoadSubInsertsAfterTheStatementAndKeepsTheRest) {
  const std::string old = "\tmsg a\r\n\tLs sub.rmc\r\n\tmsg b\r\n";
  macro::SpliceRequest req;
  req.lineStart = 8;
  req.nextStmt = 21;
  std::size_t mark = 99;
  EXPECT_EQ(Splice(old, req, "\tmsg x", &mark), "\tmsg a\r\n\tLs sub.rmc\r\n\tmsg x\r\n\tmsg b\r\n");
  EXPECT_EQ(mark, 0u);
  req.headerName = ":Graph";
  EXPECT_EQ(Splice(old, req, "\tg\r\n", &mark), "\tmsg a\r\n\tLs sub.rmc\r\n\n\n:Graph\t\n\tg\r\n\tmsg b\r\n");
}

TEST(Splice, LoadMacroCutsTheLineToItsLabelAndEndsWithAnEndStatement) {
  const char raw[] = "\tmsg a\r\n*go\tLm m.rmc\r\n\tmsg b\0c\r\n";
  const std::string old(raw, sizeof raw - 1);
  macro::SpliceRequest req;
  req.replaceRest = true;
  req.lineStart = 8;
  req.nextStmt = 22;
  std::size_t mark = 0;
  const std::string got = Splice(old, req, std::string("\tx\0y\r\n", 6), &mark);
  const std::string want = "\tmsg a\r\n*go\r\n\tx y\r\n\tEy\r\n\tmsg b c\r\n";
  EXPECT_EQ(got, want);
  EXPECT_EQ(mark, want.find("\tmsg b"));
  // Without a label the line goes entirely.
  req.lineStart = 8;
  const std::string old2 = "\tmsg a\r\n\tLm m.rmc\r\n";
  req.nextStmt = old2.size();
  EXPECT_EQ(Splice(old2, req, "", &mark), "\tmsg a\r\n\r\n\tEy\r\n");
}

TEST(Splice, OffsetsPastTheTextAreBounded) {
  macro::SpliceRequest req;
  req.replaceRest = true;
  req.lineStart = 500;
  req.nextStmt = 400;
  std::size_t mark = 0;
  EXPECT_EQ(Splice("ab", req, "c", &mark), "abc\r\n\tEy\r\n");
  EXPECT_EQ(macro::MacroSpliceMacroText(nullptr, 10, req, "c", &mark), "c\r\n\tEy\r\n");
}

}  // namespace
