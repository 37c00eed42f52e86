#include "filelist/flistcore/keymacro.h"

#include <gtest/gtest.h>

namespace flist {
namespace {

TEST(KeyMacroFile, LinesCommentsAndBytes) {
  KeyMacroFile k = ReadKeyMacroFile("DVK test\r\na b // note\nx/y\n\x83\x65\x83\x58t\n");
  ASSERT_GE(k.lines.size(), 5u);
  EXPECT_EQ(k.lines[0], "DVKtest");
  EXPECT_EQ(k.lines[1], "ab");
  EXPECT_EQ(k.lines[2], "x/y");
  EXPECT_EQ(k.lines[3], "eXt");  // lead bytes dropped, ASCII trail bytes kept
  EXPECT_EQ(k.lines.back(), "END");
  EXPECT_EQ(k.pc, 0);
  EXPECT_EQ(ReadKeyMacroFile("dvk\n").pc, -1);
  EXPECT_EQ(ReadKeyMacroFile("", false).pc, -1);
  EXPECT_TRUE(ReadKeyMacroFile("", false).lines.empty());
}

TEST(KeyMacroFile, LimitsOfLinesAndBytes) {
  std::string many;
  for (int i = 0; i < 300; ++i) many += "L" + std::to_string(i) + "\n";
  KeyMacroFile k = ReadKeyMacroFile(many);
  ASSERT_EQ(k.lines.size(), 200u);
  EXPECT_EQ(k.lines[198], "L198");
  EXPECT_EQ(k.lines[199], "END");
  std::string big(5000, 'a');
  k = ReadKeyMacroFile(big);
  std::size_t chars = 0;
  for (std::size_t i = 0; i + 1 < k.lines.size(); ++i) chars += k.lines[i].size();
  EXPECT_EQ(chars, 3000u);
  EXPECT_EQ(k.lines[0].size(), 250u);
}

}  // namespace
}  // namespace flist
