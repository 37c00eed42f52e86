#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "core/fileops/fileprims.h"
#include "tests/core/fileops/fileprims_support.h"
#include "tests/support/outside_tool.h"
#include "tests/support/scratch.h"

namespace fileops {
namespace {

// --- the walk's rules on an in-memory tree (entries listed in the order added) --

struct MemoryBench {
  MemoryFolderHost mem;
  TestOpsHost host{"C:\\prog"};
  MemoryBench() { host.memory = &mem; }
};

TEST(TreeSize, SixtyFourBitLengthsAddUpInFull) {
  MemoryBench b;
  b.mem.AddFile("C:\\r\\big.bin", 0x100000005ull, 0);  // 4 GiB + 5
  b.mem.AddFile("C:\\r\\sub\\small.txt", 7, 0);
  b.mem.AddFile("C:\\r\\sub\\huge.bin", 5ull << 30, 0);
  EXPECT_EQ(GetDirectoryTreeSize(b.host, "C:\\r", 0), kDone);
  EXPECT_EQ(b.host.bytes, 0x100000005ull + 7 + (5ull << 30));
  EXPECT_EQ(b.host.files, 3);
  EXPECT_EQ(b.host.depth, 0);
  EXPECT_EQ(b.mem.CurrentDir(), "C:");  // back above the folder
}

// A branch 35 levels deep: summed down to level 30; a level that got -1
// from below stops its own walk (the files listed after the deeper folder
// are not counted), the levels above go on; the depth counter keeps the two
// levels that stopped.
TEST(TreeSize, ABranchDeeperThanThirtyLevelsIsSummedToLevelThirty) {
  MemoryBench b;
  std::uint64_t expected = 0;
  std::int32_t expectedFiles = 0;
  std::string path = "C:\\r";
  for (int level = 1; level <= 35; ++level) {
    path += "\\d";
    // Level `level`'s file comes before its sub-folder; a second file
    // comes after it.
    const std::uint64_t before = 1ull << level, after = 1ull << (level + 20);
    b.mem.AddFile(path + "\\before.bin", before, 0);
    if (level <= 30) expected += before, ++expectedFiles;
    b.mem.AddFolder(path + "\\d");
    if (level < 35) b.mem.AddFile(path + "\\after.bin", after, 0);
    if (level <= 28) expected += after, ++expectedFiles;
  }
  b.mem.AddFile("C:\\r\\other\\o.bin", 3, 0);  // another branch, complete
  expected += 3, ++expectedFiles;
  EXPECT_EQ(GetDirectoryTreeSize(b.host, "C:\\r", 0), kDone);
  EXPECT_EQ(b.host.bytes, expected);
  EXPECT_EQ(b.host.files, expectedFiles);
  EXPECT_EQ(b.host.depth, 2);
}

TEST(TreeSize, EscStopsTheWalkWithTheCountsSoFar) {
  const struct {
    int escAt;
    int result;
    std::int32_t files;
  } cases[] = {{1, kStopped, 0}, {2, kStopped, 1}, {3, kStopped, 2}, {4, kDone, 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.escAt);
    MemoryBench b;
    b.mem.AddFile("C:\\r\\f0", 1, 0);
    b.mem.AddFile("C:\\r\\a\\fa", 10, 0);
    b.mem.AddFile("C:\\r\\b\\fb", 100, 0);
    b.host.escAt = c.escAt;  // polled once per folder: r, a, b
    EXPECT_EQ(GetDirectoryTreeSize(b.host, "C:\\r", 0), c.result);
    EXPECT_EQ(b.host.files, c.files);
  }
}

TEST(TreeSize, AFolderThatCannotBeEnteredIsMinusOneAndCountsNothing) {
  MemoryBench b;
  b.mem.AddFile("C:\\r\\f", 1, 0);
  b.mem.Lock("C:\\r");
  EXPECT_EQ(GetDirectoryTreeSize(b.host, "C:\\r", 0), kFailed);
  EXPECT_EQ(b.host.files, 0);
  // Below the top, the level above turns the -1 into 0 and stops.
  MemoryBench c;
  c.mem.AddFile("C:\\r\\a\\f", 1, 0);
  c.mem.AddFile("C:\\r\\g", 2, 0);
  c.mem.Lock("C:\\r\\a");
  EXPECT_EQ(GetDirectoryTreeSize(c.host, "C:\\r", 0), kDone);
  EXPECT_EQ(c.host.files, 0);
}

// --- real folders against Python's os.walk and du ---------------------------------

#ifndef _WIN32
std::string Posix(const CString& p) { return fw::ToPosixPath(p.GetString()); }

// Files and bytes below `dir` as Python's os.walk finds them, only files in
// folders at most `maxDepth` levels below (the top is level 0).
std::pair<std::int64_t, std::uint64_t> PythonTotals(const CString& dir, int maxDepth) {
  const std::string script =
      "import os,sys\n"
      "top=sys.argv[1]; n=0; b=0\n"
      "for root,dirs,files in os.walk(top):\n"
      "  rel=os.path.relpath(root,top)\n"
      "  depth=0 if rel=='.' else rel.count(os.sep)+1\n"
      "  if depth>" + std::to_string(maxDepth) + ": continue\n"
      "  for f in files:\n"
      "    n+=1; b+=os.lstat(os.path.join(root,f)).st_size\n"
      "print(n,b)\n";
  const CString file = dir + "_walk.py";
  testsupport::WriteBytes(file, script);
  const std::string out = testsupport::RunCapture("python3 '" + Posix(file) + "' '" + Posix(dir) + "'");
  try {
    CFile::Remove(file);
  } catch (const CFileException&) {
  }
  long long n = -1;
  unsigned long long bytes = 0;
  std::sscanf(out.c_str(), "%lld %llu", &n, &bytes);
  return {n, bytes};
}

std::uint64_t DuBytes(const CString& dir) {
  const std::string out = testsupport::RunCapture("find '" + Posix(dir) +
                                                  "' -type f -print0 | du -cb --apparent-size --files0-from=- | tail -1");
  return std::stoull(out.empty() ? "0" : out);
}

void WriteSized(const CString& path, std::uint64_t size) {
  CFile f(path, CFile::modeCreate | CFile::modeWrite);
  if (size <= 4096) {
    const std::string bytes(static_cast<std::size_t>(size), 'q');
    if (size) f.Write(bytes.data(), static_cast<UINT>(size));
  } else {
    f.SetLength(size);  // sparse: no blocks written
  }
}

TEST(TreeSize, AgreesWithPythonAndDuOnARealTreeBeyondFourGiB) {
  REQUIRE_TOOLS("python3", "du", "find");
  testsupport::Scratch s;
  const CString top = s.Path("\x95\x5C tree");
  fw::MakeDir(top);
  fw::MakeDir(top + "\\\x83\x5C a");
  fw::MakeDir(top + "\\\x83\x5C a\\b c");
  fw::MakeDir(top + "\\empty");
  std::uint64_t size = 0;
  for (const char* n : {"1.txt", "\x95\x5C 2.txt", "\x83\x5C a\\3.bin", "\x83\x5C a\\b c\\4 4.dat",
                        "\x83\x5C a\\b c\\\x95\x5C\x83\x5C.txt", "\x83\x5C a\\zero"}) {
    WriteSized(top + "\\" + n, size);
    size = size * 3 + 17;
  }
  WriteSized(top + "\\\x83\x5C a\\sparse.img", 5ull << 30);  // 5 GiB
  TestOpsHost host(s.Path("prog"));
  ASSERT_EQ(GetDirectoryTreeSize(host, top, 0), kDone);
  const auto py = PythonTotals(top, 1000);
  EXPECT_EQ(host.files, py.first);
  EXPECT_EQ(host.bytes, py.second);
  EXPECT_EQ(host.bytes, DuBytes(top));
  EXPECT_GT(host.bytes, 5ull << 30);
  EXPECT_EQ(host.depth, 0);
}

TEST(TreeSize, ADeepRealBranchAgreesWithPythonToLevelThirty) {
  REQUIRE_TOOLS("python3");
  testsupport::Scratch s;
  const CString top = s.Path("deep");
  fw::MakeDir(top);
  WriteSized(top + "\\top.txt", 5);
  fw::MakeDir(top + "\\side");
  WriteSized(top + "\\side\\s.txt", 11);
  CString path = top;
  for (int level = 1; level <= 35; ++level) {
    path += "\\d";
    ASSERT_TRUE(fw::MakeDir(path));
    // Levels 29 and 30 hold only the next folder, so what the walk counts
    // does not depend on the order the system lists the entries in.
    if (level != 29 && level != 30) WriteSized(path + "\\f.bin", 100 + level);
  }
  TestOpsHost host(s.Path("prog"));
  ASSERT_EQ(GetDirectoryTreeSize(host, top, 0), kDone);
  const auto py = PythonTotals(top, kMaxTreeDepth);
  EXPECT_EQ(host.files, py.first);
  EXPECT_EQ(host.bytes, py.second);
  EXPECT_EQ(host.files, 2 + 28);
  EXPECT_EQ(host.depth, 2);
  // Every branch but the deep one complete: the whole tree has 5 more files.
  EXPECT_EQ(PythonTotals(top, 1000).first, host.files + 5);
}
#endif

}  // namespace
}  // namespace fileops
