// The CString entries give the same results as the byte-string engine.
#include <gtest/gtest.h>

#include "core/pattern/pattern_cstring.h"

using namespace pat;

TEST(PatternCString, EntriesWrapTheEngine) {
  CString t("a\\tb\\%");
  EXPECT_EQ(4, ExpandEscapeSequences(t, kEscapeSearch));
  EXPECT_EQ(CString("a\tb\x10"), t);
  CString rule("1:a%b");
  rule += '\x1C';
  rule += "NULL";
  CString s, r("old");
  EXPECT_EQ(kFlagWholeText | kFlagHasReplacement, TranslateSearchPattern(rule, &s, &r, '&'));
  EXPECT_EQ(CString("a\x01" "b"), s);
  EXPECT_TRUE(r.IsEmpty());
  EXPECT_EQ(5, FindCharOutsideBrackets(CString("[a:b]:c"), ':', 0));
  EXPECT_EQ(5, FindCharOutsideBrackets("[a:b]:c", ':', 0));
  EXPECT_EQ(1, ReverseFindUnescaped(CString("a:b\\:c"), ':'));
  EXPECT_EQ(1, ReverseFindUnescaped("a:b\\:c", ':'));
  CString cmd("&2@3_:x:y");
  SearchAddress a;
  EXPECT_TRUE(SplitSearchPattern(&cmd, &a));
  EXPECT_EQ(CString("x:y"), cmd);
  EXPECT_EQ(2, a.firstCol);
  EXPECT_EQ(3, a.firstRow);
}
