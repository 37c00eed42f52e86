// The file statements against outside tools on the same files: "filepart"
// with 'n' against sed's line ranges, "filezip" archives tested by unzip,
// "fileall" totals against Python's os.walk.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "macro/macro_state.h"
#include "run_fixture.h"
#include "support/outside_tool.h"
#include "support/temp_folder.h"
#include "test_host.h"

namespace {

namespace fs = std::filesystem;
using Host = macrotest::FileFakes<macrotest::FakeRunHost>;

std::string ReadBytes(const fs::path& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

class FileOracle : public macrotest::RunFixture<Host> {
 protected:
  testsupport::TempProgramFolder dir;
  fs::path Native(const std::string& name) const { return fs::path(dir.Path()) / name; }
  std::string F(const std::string& name) const { return "Z:" + dir.Path() + "\\" + name; }
  int Stmt(const std::string& command, const std::string& operand) {
    return RunDocument("\t" + command + "\t" + operand + "\r\n");
  }
};

TEST_F(FileOracle, LineRangesEqualSed) {
  REQUIRE_TOOLS("sed");
  std::mt19937 rng(44);
  std::string text;
  for (int i = 1; i <= 12000; ++i) {
    text += std::string(rng() % 90, static_cast<char>('a' + i % 26));
    text += rng() % 7 == 0 ? "\r\n" : "\n";
  }
  text += "no line feed at the end";
  std::ofstream(Native("src.txt"), std::ios::binary) << text;
  const std::string src = Native("src.txt").string();
  struct Case {
    int first, last;
    const char* sedRange;
  } cases[] = {{3, 0, "3,10003p"}, {1, 1, "1,1p"}, {4000, 4100, "4000,4100p"},
               {11990, 0, "11990,21990p"}, {12001, 12001, "12001,12001p"}, {20000, 0, "20000,30000p"}};
  for (const Case& c : cases) {
    Stmt("filepartn" + std::to_string(c.first) + "," + std::to_string(c.last), F("src.txt") + ">" + F("out.txt"));
    const std::string want = testsupport::RunCapture("sed -n '" + std::string(c.sedRange) + "' '" + src + "'");
    EXPECT_EQ(want, ReadBytes(Native("out.txt"))) << c.sedRange;
  }
}

TEST_F(FileOracle, ZipArchivePassesUnzipAndKeepsTheWorkingFolder) {
  REQUIRE_TOOLS("unzip");
  fs::create_directories(Native("sub/deeper"));
  std::ofstream(Native("one.txt"), std::ios::binary) << "first file\r\n";
  std::ofstream(Native("sub/two.csv"), std::ios::binary) << std::string(70000, 'q');
  std::ofstream(Native("sub/deeper/three.bin"), std::ios::binary) << std::string("\0\1\2", 3);
  const fs::path before = fs::current_path();
  Stmt("filezip", F("pack.zip") + ":one.txt:sub");
  EXPECT_EQ("", Var(macro::kSlotLastResult));
  EXPECT_EQ(before, fs::current_path());
  const std::string zip = Native("pack.zip").string();
  const std::string test = testsupport::RunCapture("unzip -t '" + zip + "' 2>&1");
  EXPECT_NE(std::string::npos, test.find("No errors detected")) << test;
  const std::string list = testsupport::RunCapture("unzip -Z1 '" + zip + "'");
  EXPECT_NE(std::string::npos, list.find("one.txt")) << list;
  EXPECT_NE(std::string::npos, list.find("sub/two.csv")) << list;
  EXPECT_NE(std::string::npos, list.find("sub/deeper/three.bin")) << list;
  const std::string two = testsupport::RunCapture("unzip -p '" + zip + "' sub/two.csv");
  EXPECT_EQ(std::string(70000, 'q'), two);
}

TEST_F(FileOracle, FolderTotalsEqualOsWalk) {
  std::mt19937 rng(7);
  for (int d = 0; d < 6; ++d) {
    const fs::path folder = Native("tree/" + std::string(d % 3 + 1, 'd') + std::to_string(d));
    fs::create_directories(folder);
    for (int f = 0; f < 5 + d; ++f)
      std::ofstream(folder / ("f" + std::to_string(f)), std::ios::binary) << std::string(rng() % 5000, 'x');
  }
  std::ofstream(Native("tree/top.txt"), std::ios::binary) << "top";
  Stmt("fileall181,182", F("tree"));
  ASSERT_EQ("", Var(macro::kSlotLastResult));
  const std::string script =
      "import os,sys\n"
      "b=n=0\n"
      "for r,ds,fs in os.walk(sys.argv[1]):\n"
      "  for f in fs:\n"
      "    b+=os.path.getsize(os.path.join(r,f)); n+=1\n"
      "print(b, n)\n";
  std::ofstream(Native("walk.py")) << script;
  const std::string out =
      testsupport::RunCapture("/usr/bin/python3 '" + Native("walk.py").string() + "' '" + Native("tree").string() + "'");
  EXPECT_EQ(out, Var(181) + " " + Var(182) + "\n");
}

}  // namespace
