// The graph subroutine's text against the fragments written down by hand in
// tests/macro/graph_template_fixture.txt, turned into code page 932 bytes by
// Python (tests/macro/graph_template_reference.py).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "macro/macro_template.h"
#include "support/outside_tool.h"

namespace {

namespace fs = std::filesystem;

std::string TemplateFromFixture() {
  const std::string dir = (fs::path(TABRYE_BIN_ROOT) / "macro_graph_template").string();
  fs::create_directories(dir);
  const std::string out = dir + "/graph.txt";
  const std::string cmd = "python3 '" TABRYE_TEST_ROOT "/tests/macro/graph_template_reference.py' '" TABRYE_TEST_ROOT
                          "/tests/macro/graph_template_fixture.txt' '" + out + "'";
  if (std::system(cmd.c_str()) != 0) return std::string();
  std::ifstream f(out, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

TEST(MacroTemplate, TheGraphTextEqualsTheFragmentsWrittenDownByHand) {
  REQUIRE_TOOLS("python3");
  const std::string expected = TemplateFromFixture();
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(expected, macro::BuildMacroTemplate());
  std::string joined;
  for (int k = 0; k < macro::kGraphTemplateFragments; ++k) joined += macro::MacroGraphTemplateFragment(k);
  EXPECT_EQ(joined, macro::BuildMacroTemplate());
  EXPECT_EQ(nullptr, macro::MacroGraphTemplateFragment(macro::kGraphTemplateFragments));
}

}  // namespace
