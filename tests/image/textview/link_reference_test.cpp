// References "@ab" followed to their definitions in the caret's line or,
// failing that, anywhere in the text.
#include <gtest/gtest.h>

#include <string>

#include "image/textview/link_reference.h"

namespace {

using namespace image::textview;

TEST(LinkReference, Definitions) {
  // In the line: the ending byte stays, '*' stands for either letter, '#'
  // for the second and marks the reference; the search skips the line's
  // first byte.
  EXPECT_EQ(FindReferenceTarget("@ab", "@ab  see @ab:http://x.jp/ z", "").target, "http://x.jp/ ");
  EXPECT_EQ(FindReferenceTarget("@ab", "@ab @*b=t1\tz", "").target, "t1\t");
  EXPECT_EQ(FindReferenceTarget("@ab", "@ab @ab=\x95\x5Cz", "").target, "\x95\x5Cz ");
  const ReferenceTarget hash = FindReferenceTarget("@ab", "@ab @a#=t3 z", "");
  EXPECT_EQ(hash.target, "t3 ");
  EXPECT_EQ(hash.mark, '#');
  // In the whole text: the last one, exact letters, without its ending byte.
  EXPECT_EQ(FindReferenceTarget("@ab", "@ab here", "see @ab\n@ab=one\n@ab=two\nend").target, "two");
  EXPECT_EQ(FindReferenceTarget("@ab", "@ab=self", "x @ab=self").target, "self");
  EXPECT_FALSE(FindReferenceTarget("@ab", "@ab @#b=t", "@*b=x @a#=y").found);
}

TEST(LinkReference, MarksLimitsAndMisses) {
  EXPECT_EQ(FindReferenceTarget("@ab:*", "@ab:* @ab=t", "").mark, '*');
  EXPECT_EQ(FindReferenceTarget("@ab:#", "", "@ab=t").mark, '#');
  EXPECT_EQ(FindReferenceTarget("@ab#", "@ab# @ab=t", "").mark, 0);
  const std::string x499(499, 'x');
  EXPECT_EQ(FindReferenceTarget("@ab", "@ab @ab=" + x499, "").target, x499 + " ");
  EXPECT_EQ(FindReferenceTarget("@ab", "@ab @ab=" + x499 + "yz", "").target.size(), 500u);
  EXPECT_EQ(FindReferenceTarget("@ab", "", "@ab=" + x499 + "yz").target, x499 + "y");
  for (const char* w : {"", "@a", "xab"}) EXPECT_FALSE(FindReferenceTarget(w, "@ab @ab=t", "@ab=t").found) << w;
  const ReferenceTarget none = FindReferenceTarget("@ab", "@ab none", "no definition");
  EXPECT_FALSE(none.found);
  EXPECT_TRUE(none.target.empty());
}

}  // namespace
