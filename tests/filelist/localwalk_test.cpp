// The walk over real folders made at test time (the local folder host).
#include <gtest/gtest.h>

#include <set>

#include "filelist/flistcore/listbuild.h"
#include "filelist/flistcore/walk.h"
#include "fw/file.h"
#include "tests/support/scratch.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace flist {
namespace {

struct LocalWalk : WalkState {
  fileops::LocalFolderHost host;
  int Run(const std::string& dir, int sub) {
    EXPECT_EQ(fileops::ChangeDirectory(host, dir, 0, 0), 0);
    WalkRequest r = Request(&host);
    r.walkSubfolders = sub;
    r.listFolder = dir;
    return WalkFolder(r);
  }
  std::multiset<std::string> Names() const {
    std::multiset<std::string> s;
    for (int i = 2; i < count; ++i) s.insert(work[static_cast<std::size_t>(i)].name);
    return s;
  }
};

#ifndef _WIN32
TEST(LocalWalk, SymbolicLinkLoopIsListedNotWalked) {
  testsupport::Scratch s;
  const std::string dir = s.Dir().GetString();
  fw::MakeDir(s.Path("sub"));
  { CFile f(s.Path("sub\\in.txt"), CFile::modeCreate | CFile::modeWrite); }
  const std::string native = fw::ToPosixPath(s.Dir().GetString());
  ASSERT_EQ(::symlink(native.c_str(), (native + "/loop").c_str()), 0);
  LocalWalk w;
  EXPECT_EQ(w.Run(dir, 1), 0);
  const auto n = w.Names();
  EXPECT_EQ(n.count("loop"), 1u);
  EXPECT_EQ(n.count("in.txt"), 1u);   // the real sub-folder is walked
  EXPECT_EQ(n.count("sub"), 1u);
  EXPECT_EQ(w.depth, 0);
  EXPECT_EQ(w.count, 5);              // loop, sub, in.txt
  ::unlink((native + "/loop").c_str());  // before the scratch folder goes
}

TEST(LocalWalk, SparseFileOfFiveGibibytesShowsAndSortsWhole) {
  testsupport::Scratch s;
  const std::string native = fw::ToPosixPath(s.Dir().GetString());
  {
    CFile f(s.Path("huge.bin"), CFile::modeCreate | CFile::modeWrite);
  }
  ASSERT_EQ(::truncate((native + "/huge.bin").c_str(), 5LL << 30), 0);
  {
    CFile f(s.Path("max32.bin"), CFile::modeCreate | CFile::modeWrite);
  }
  ASSERT_EQ(::truncate((native + "/max32.bin").c_str(), 4294967295LL), 0);
  LocalWalk w;
  ASSERT_EQ(w.Run(s.Dir().GetString(), 0), 0);
  EntryTable t;
  ASSERT_TRUE(t.AllocateEntryBuffers(100));
  PlaceRequest pr;
  pr.order.sortMode = 1;
  pr.sourceFiles = w.files;
  pr.sourceBytes = w.bytes;
  PlaceListing(w.work, static_cast<std::size_t>(w.count), pr, &t);
  EXPECT_EQ(GetNameRecord(t.m_pNameRecs, 1), "max32.bin");
  EXPECT_EQ(GetNameRecord(t.m_pNameRecs, 2), "huge.bin");
  EXPECT_EQ(FormatSizeText(static_cast<std::int32_t>(t.m_pEntryVal1[2]), 0, t.m_pSizeHigh[2]), "5120M000");
  EXPECT_EQ(t.WholeSize(1), 4294967295LL);
  EXPECT_EQ(w.bytes, (5ull << 30) + 4294967295ull);
}
#endif

}  // namespace
}  // namespace flist

#ifndef _WIN32
#include <cstdio>

#include "fw/codepage.h"
#include "tests/support/outside_tool.h"
#include "zone.h"

namespace flist {
namespace {

std::vector<std::string> Split(const std::string& line) {
  std::vector<std::string> out;
  std::size_t from = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', from);
    out.push_back(line.substr(from, tab == std::string::npos ? std::string::npos : tab - from));
    if (tab == std::string::npos) return out;
    from = tab + 1;
  }
}

TEST(LocalWalk, TablesEqualPythonScandirOfTheSameFolder) {
  REQUIRE_TOOLS("python3");
  flisttest::FixZone();
  testsupport::Scratch s;
  const std::string native = fw::ToPosixPath(s.Dir().GetString());
  const std::string cmd = std::string("TZ=Asia/Tokyo python3 ") + TABRYE_TEST_ROOT + "/tests/filelist/oracle_listing.py '" +
                          native + "'";
  FILE* p = popen(cmd.c_str(), "r");
  ASSERT_NE(p, nullptr);
  std::vector<std::vector<std::string>> want;
  char line[1024];
  while (std::fgets(line, sizeof line, p)) {
    std::string l(line);
    while (!l.empty() && (l.back() == '\n' || l.back() == '\r')) l.pop_back();
    want.push_back(Split(l));
  }
  ASSERT_EQ(pclose(p), 0);
  ASSERT_EQ(want.size(), 14u);
  LocalWalk w;
  ASSERT_EQ(w.Run(s.Dir().GetString(), 0), 0);
  EntryTable t;
  ASSERT_TRUE(t.AllocateEntryBuffers(100));
  PlaceRequest pr;
  pr.order.sortMode = 5;
  pr.sourceFiles = w.files;
  pr.sourceBytes = w.bytes;
  PlaceListing(w.work, static_cast<std::size_t>(w.count), pr, &t);
  ASSERT_EQ(t.m_nEntryCount, 16);  // "." and ".." counted, "." not shown
  for (std::size_t i = 0; i < want.size(); ++i) {
    const int e = static_cast<int>(i) + 1;
    const auto& wv = want[i];
    SCOPED_TRACE(wv[1]);
    EXPECT_EQ(fw::Cp932ToUtf8(GetNameRecord(t.m_pNameRecs, e)), wv[1]);
    if (wv[0] == "f") {
      EXPECT_EQ(t.WholeSize(e), std::stoll(wv[2]));
      EXPECT_EQ((t.m_pEntryVal2[e] & 1) != 0, wv[3] == "1");
      EXPECT_EQ((t.m_pEntryVal2[e] & 2) != 0, wv[4] == "1");
      EXPECT_EQ(FormatDateText(static_cast<std::int32_t>(t.m_pEntryVal3[e]), 0), wv[5]);
    } else {
      EXPECT_TRUE(static_cast<std::int32_t>(t.m_pEntryVal1[e]) < 0);
      EXPECT_EQ(FormatDateText(static_cast<std::int32_t>(t.m_pEntryVal3[e]), 0), wv[5]);
    }
  }
  // The read-only file goes with the folder when the scratch folder goes.
  std::system(("chmod -R u+w '" + native + "'").c_str());
}

}  // namespace
}  // namespace flist
#endif
