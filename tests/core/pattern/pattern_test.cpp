// Escapes, translation and the splitting helpers of the pattern engine.
#include <gtest/gtest.h>

#include <string>

#include "core/pattern/pattern.h"

using namespace pat;

namespace {

std::string Expand(std::string t, int mode) {
  int n = ExpandEscapeSequences(t, mode);
  EXPECT_EQ(static_cast<int>(t.size()), n);
  return t;
}

struct Translated {
  std::string search, repl;
  unsigned flags;
};
Translated Translate(std::string rule, char anyRun = '&') {
  ExpandEscapeSequences(rule, kEscapeSearch);
  Translated t;
  t.flags = TranslateSearchPattern(rule, &t.search, &t.repl, anyRun);
  return t;
}

}  // namespace

TEST(PatternEscape, CommonEscapesInEveryMode) {
  for (int mode : {0, 2, 3}) {
    SCOPED_TRACE(mode);
    EXPECT_EQ("a\tb", Expand("a\\tb", mode));
    EXPECT_EQ("a\r\nb", Expand("a\\r\\nb", mode));
    EXPECT_EQ("a\\b", Expand("a\\\\b", mode));
    EXPECT_EQ("aAb", Expand("a\\x41b", mode));
    EXPECT_EQ("a\\x00b", Expand("a\\x00b", mode));  // NUL stays as written
    EXPECT_EQ("a\\xZZ", Expand("a\\xZZ", mode));    // not hex: no escape
    EXPECT_EQ("end\\", Expand("end\\", mode));      // a backslash at the end stays
  }
  EXPECT_EQ("a\r\nb", Expand("a\\nb", kEscapeMessage));
  EXPECT_EQ("a\nb", Expand("a\\nb", kEscapeSearch));
  EXPECT_EQ("50\\%", Expand("50\\%", kEscapeMessage));  // pattern escapes only in modes 2, 3
}

TEST(PatternEscape, PatternEscapesBecomePlaceholders) {
  EXPECT_EQ(std::string("\x10\x11\x12\x13\x14\x15\x16\x17"),
            Expand("\\%\\&\\*\\|\\:\\/\\$\\#", kEscapeSearch));
  EXPECT_EQ(std::string("\x18" "a" "\x19"), Expand("\\<a\\>", kEscapeRename));
  EXPECT_EQ("(a)", Expand("\\(a\\)", kEscapeSearch));  // other punctuation: literal
  EXPECT_EQ("\\q", Expand("\\q", kEscapeSearch));      // a letter: the backslash stays
  EXPECT_EQ(std::string("\x10"), Expand("\\x25", kEscapeSearch));  // "\x25" is a literal '%'
}

TEST(PatternEscape, TrailBytesAreNeverBackslashes) {
  // "表" is 0x95 0x5C: its trail byte is no escape.
  EXPECT_EQ("表n表t", Expand("表n表t", kEscapeSearch));
  EXPECT_EQ("表\t", Expand("表\\t", kEscapeMessage));
}

TEST(PatternTranslate, PrefixesAndFlags) {
  EXPECT_EQ(0u, Translate("abc").flags);
  EXPECT_EQ("abc", Translate(":abc").search);
  EXPECT_EQ(kFlagWholeText, Translate("1:abc").flags);
  EXPECT_EQ("abc", Translate("1:abc").search);
  EXPECT_EQ(0u, Translate("0:abc").flags);
  EXPECT_EQ(kFlagIgnoreCase, Translate(":nc:abc").flags);
  EXPECT_EQ(kFlagIgnoreCase | kFlagWholeText, Translate("nc:1:abc").flags);
  EXPECT_EQ("1:x", Translate("1:1:x").search);  // each prefix once
  EXPECT_EQ("1:30", Translate("1\\:30").search);  // an escaped colon is no prefix
  Translated t = Translate(std::string("abc\x1C") + "xyz");
  EXPECT_EQ(kFlagHasReplacement, t.flags);
  EXPECT_EQ("xyz", t.repl);
}

TEST(PatternTranslate, WildcardsAnchorsAndLiterals) {
  EXPECT_EQ(std::string("a\x01" "b\x03" "c*"), Translate("a%b&c*").search);
  EXPECT_EQ(std::string("a\x01" "b&c\x03"), Translate("a%b&c*", '*').search);
  EXPECT_EQ(std::string("\x02" "A"), Translate("|A").search);
  EXPECT_EQ(std::string("A\x04"), Translate("A|").search);
  EXPECT_EQ(std::string("a|b"), Translate("a|b").search);
  Translated both = Translate("|A|");
  EXPECT_EQ(kFlagWholeText, both.flags);
  EXPECT_EQ("%&|", Translate("\\%\\&\\|").search);
  EXPECT_EQ(std::string("\x18" "a" "\x19"), Translate("\\<a\\>").search);
  // A double-byte character whose trail byte is '|' is no anchor.
  EXPECT_EQ("\x88\x7C", Translate("\x88\x7C").search);
}

TEST(PatternTranslate, ReplacementForms) {
  auto repl = [](const std::string& r) { return Translate(std::string("x\x1C") + r).repl; };
  EXPECT_EQ("", repl("NULL"));
  EXPECT_EQ("NULLX", repl("NULLX"));
  EXPECT_EQ(std::string("<\x07>"), repl("<$P>"));
  EXPECT_EQ(std::string("\x08" "Fn_1\x08" "-"), repl("$NFn_1-"));
  EXPECT_EQ("$N", repl("$N"));
  EXPECT_EQ("$P%&", repl("\\$P%&"));
  EXPECT_EQ("a\tb", repl("a\\tb"));
}

TEST(PatternSplit, FindCharOutsideBrackets) {
  EXPECT_EQ(5, FindCharOutsideBrackets("[a:b]:c", ':', 0));
  EXPECT_EQ(4, FindCharOutsideBrackets("a\\:b:c", ':', 0));
  EXPECT_EQ(-1, FindCharOutsideBrackets("[[a]:b]", ':', 0));
  EXPECT_EQ(3, FindCharOutsideBrackets("a:b:c", ':', 2));
  EXPECT_EQ(-1, FindCharOutsideBrackets("表@", '\\', 0));  // trail byte 0x5C is no backslash
  EXPECT_EQ(2, FindCharOutsideBrackets("表@", '@', 0));
}

TEST(PatternSplit, ReverseFindUnescaped) {
  EXPECT_EQ(1, ReverseFindUnescaped("a:b\\:c", ':'));
  EXPECT_EQ(3, ReverseFindUnescaped("a\\\\:b", ':'));  // escaped backslash, then a separator
  EXPECT_EQ(-1, ReverseFindUnescaped("\\:", ':'));
  EXPECT_EQ(-1, ReverseFindUnescaped("表", '\\'));
}

TEST(PatternSplit, StatementAddress) {
  SearchAddress a;
  std::string p;
  EXPECT_TRUE(SplitSearchPattern("&1@1_:!#", &a, &p));
  EXPECT_EQ(1, a.firstCol);
  EXPECT_EQ(1, a.lastCol);
  EXPECT_EQ(1, a.firstRow);
  EXPECT_EQ(0, a.lastRow);  // to the last row
  EXPECT_EQ("!#", p);
  EXPECT_TRUE(SplitSearchPattern("@2_7&3-5:a:b", &a, &p));
  EXPECT_EQ(2, a.firstRow);
  EXPECT_EQ(7, a.lastRow);
  EXPECT_EQ(3, a.firstCol);
  EXPECT_EQ(5, a.lastCol);
  EXPECT_EQ("a:b", p);
  EXPECT_TRUE(SplitSearchPattern("@4:x", &a, &p));
  EXPECT_EQ(4, a.firstRow);
  EXPECT_EQ(4, a.lastRow);
  EXPECT_EQ(0, a.firstCol);
  EXPECT_TRUE(SplitSearchPattern("&2-:x", &a, &p));
  EXPECT_EQ(2, a.firstCol);
  EXPECT_EQ(0, a.lastCol);
  EXPECT_TRUE(SplitSearchPattern(":1:abc", &a, &p));
  EXPECT_EQ("1:abc", p);
  EXPECT_EQ(0, a.firstRow);
  // Not an address: the whole command is the pattern.
  for (const char* c : {"1:abc", "abc", "&x:y", "&0:y", "&3&4:y", "@5_2:y", "&[a:b]:x"}) {
    EXPECT_FALSE(SplitSearchPattern(c, &a, &p)) << c;
    EXPECT_EQ(c, p);
  }
}

TEST(PatternSplit, RenameForms) {
  std::string rule;
  EXPECT_TRUE(SplitRenamePattern(":a:b", &rule));
  EXPECT_EQ(std::string(":a\x1C" "b"), rule);
  EXPECT_TRUE(SplitRenamePattern("/a/b", &rule));
  EXPECT_EQ(std::string(":a\x1C" "b"), rule);
  EXPECT_TRUE(SplitRenamePattern(":a/b", &rule));
  EXPECT_EQ(std::string(":a\x1C" "b"), rule);
  EXPECT_FALSE(SplitRenamePattern("name.txt", &rule));
  EXPECT_FALSE(SplitRenamePattern("/a", &rule));
  EXPECT_FALSE(SplitRenamePattern("", &rule));
  EXPECT_TRUE(SplitRenamePattern(":a\\:b:c", &rule));  // an escaped separator is text
  EXPECT_EQ(std::string(":a\\:b\x1C" "c"), rule);
}

TEST(PatternSplit, RenameByPattern) {
  std::string out;
  EXPECT_EQ(1, RenameByPattern(":txt:csv", "memo.txt", &out));
  EXPECT_EQ("memo.csv", out);
  EXPECT_EQ(1, RenameByPattern("/TXT/csv", "memo.txt", &out));  // names compare without case
  EXPECT_EQ("memo.csv", out);
  EXPECT_EQ(1, RenameByPattern(":|x:y", "xax", &out));  // "|" = the start of the name
  EXPECT_EQ("yax", out);
  EXPECT_EQ(0, RenameByPattern(":|a:y", "xax", &out));  // no replacement: skipped
  EXPECT_EQ("", out);
  EXPECT_EQ(1, RenameByPattern(":*.txt:new.txt", "old.txt", &out));
  EXPECT_EQ("new.txt", out);
  EXPECT_EQ(2, RenameByPattern(":%:ab", "xy", &out));
  EXPECT_EQ("abab", out);
  // A new name past 256 bytes is refused, not cut.
  EXPECT_EQ(kErrOutputFull, RenameByPattern(":a:" + std::string(300, 'b'), "a", &out));
  EXPECT_EQ("", out);
}

TEST(PatternSplit, FindDialogBytes) {
  EXPECT_EQ(std::string("a\x01" "b\x03" "c%&\\"), DialogToFindText("a%b&c\\%\\&\\\\"));
  EXPECT_EQ("a%b&c\\%\\&\\\\", FindTextToDialog(std::string("a\x01" "b\x03" "c%&\\")));
  EXPECT_EQ("表%", FindTextToDialog("表\x01"));
  EXPECT_EQ("表\x01", DialogToFindText("表%"));
}

TEST(PatternSplit, EscapedLiteralsMatchThemselves) {
  for (std::string v : {"50%", "a&&b", "x||y", "1:30", "(a)", "c:\\dir\\f", "$P"}) {
    ConditionPattern c = PrepareConditionPattern(":|" + EscapePatternLiteral(v));
    EXPECT_TRUE(MatchConditionPattern(c, v + "tail")) << v;
    EXPECT_FALSE(MatchConditionPattern(c, "z" + v)) << v;
  }
  ConditionPattern c = PrepareConditionPattern(":|" + EscapePatternLiteral("50%"));
  EXPECT_FALSE(MatchConditionPattern(c, "50x"));
}

TEST(PatternCondition, OperatorForms) {
  EXPECT_EQ(2, ConditionPatternOperatorLength("=:abc"));
  EXPECT_EQ(3, ConditionPatternOperatorLength("=0:abc"));
  EXPECT_EQ(3, ConditionPatternOperatorLength("=1:abc"));
  EXPECT_EQ(4, ConditionPatternOperatorLength("=nc:abc"));
  EXPECT_EQ(0, ConditionPatternOperatorLength("==abc"));
  EXPECT_EQ(0, ConditionPatternOperatorLength("=2:abc"));
}

TEST(PatternCondition, Examples) {
  struct Case {
    const char* operand;
    const char* cell;
    bool match;
  };
  const Case cases[] = {
      {":b", "abc", true},        {":d", "abc", false},      {"0:b", "abc", true},
      {"1:b", "abc", false},      {"1:abc", "abc", true},    {":|a", "abc", true},
      {":|b", "abc", false},      {":c|", "abc", true},      {":b|", "abc", false},
      {":|abc|", "abc", true},    {":|ab|", "abc", false},   {":a%c", "abc", true},
      {":a%c", "ac", false},      {":a%c", "a表c", true},    {":a%%c", "a表c", false},
      {":a&c", "ac", true},       {":a&c", "axyzc", true},   {"1:a&", "abc", true},
      {"1:&c", "abc", true},      {"1:a&b", "abc", false},   {":B", "abc", true},
      {"nc:B", "abc", true},      {"1:", "", true},          {"1:", "x", false},
      {":", "abc", false},        {":&", "", true},          {":\\&", "a&b", true},
      {":\\&", "ab", false},      {":表", "代表", true},     {":\\", "表", false},
  };
  for (const Case& c : cases) {
    ConditionPattern p = PrepareConditionPattern(c.operand);
    EXPECT_EQ(c.match, MatchConditionPattern(p, c.cell)) << c.operand << " on " << c.cell;
  }
  EXPECT_EQ('=', PrepareConditionPattern("1:a").secondOperator);
  EXPECT_EQ('=', PrepareConditionPattern(":|a|").secondOperator);
  EXPECT_EQ('>', PrepareConditionPattern(":|a").secondOperator);
}
