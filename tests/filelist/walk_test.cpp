#include "filelist/flistcore/walk.h"

#include <gtest/gtest.h>

#include <set>

#include "filelist/flistcore/entries.h"
#include "fw/uihooks.h"

namespace flist {
namespace {

struct Walk : WalkState {
  fileops::MemoryFolderHost host;
  WalkRequest req = Request(&host);
  int Run(const std::string& dir, const std::string f1 = "", const std::string f2 = "", int sub = 0) {
    EXPECT_TRUE(host.SetCurrentDir(dir));
    req.listFolder = dir;
    req.walkSubfolders = sub;
    ListFilter f[3] = {ParseListFilter(f1), ParseListFilter(f2), ParseListFilter("")};
    req.conditions = ConditionsFromFilters(f);
    return WalkFolder(req);
  }
  std::set<std::string> Names() const {
    std::set<std::string> s;
    for (int i = 2; i < count; ++i) s.insert(work[static_cast<std::size_t>(i)].name);
    return s;
  }
};

TEST(FolderWalk, FiltersKeepFoldersAndCountFiles) {
  Walk w;
  w.host.AddFile("C:\\d\\big.bin", 2000000, 100);
  w.host.AddFile("C:\\d\\small.bin", 10, 100);
  w.host.AddFolder("C:\\d\\sub");
  EXPECT_EQ(w.Run("C:\\d", ">1000000b"), 0);
  EXPECT_EQ(w.Names(), (std::set<std::string>{"big.bin", "sub"}));
  EXPECT_EQ(w.files, 1);
  EXPECT_EQ(w.bytes, 2000000u);
  for (int i = 2; i < w.count; ++i)
    if (w.work[i].name == "sub") {
      EXPECT_EQ(w.work[i].size, -1);
      EXPECT_TRUE(w.work[i].IsFolderLike());
    } else {
      EXPECT_EQ(w.work[i].ext, "bin");
    }
}

TEST(FolderWalk, LateTimesBecomeZero) {
  Walk w;
  w.host.AddFile("C:\\d\\old.txt", 1, 2208988800);  // 2040
  w.host.AddFile("C:\\d\\new.txt", 1, 1700000000);
  EXPECT_EQ(w.Run("C:\\d"), 0);
  for (int i = 2; i < w.count; ++i) EXPECT_EQ(w.work[i].time, w.work[i].name == "old.txt" ? 0u : 1700000000u);
}

TEST(FolderWalk, DepthRuleWalks29LevelsAndListsThe30th) {
  Walk w;
  std::string p = "C:\\top";
  for (int i = 1; i <= 40; ++i) {
    p += "\\L" + std::to_string(i);
    w.host.AddFile(p + "\\f" + std::to_string(i) + ".txt", 1, 0);
  }
  EXPECT_EQ(w.Run("C:\\top", "", "", 1), 0);
  std::set<std::string> n = w.Names();
  EXPECT_TRUE(n.count("L1"));     // a first-level folder keeps its entry
  EXPECT_TRUE(n.count("f29.txt"));
  EXPECT_FALSE(n.count("f30.txt"));
  EXPECT_TRUE(n.count("L30"));    // listed, not walked
  EXPECT_FALSE(n.count("L31"));
  EXPECT_EQ(w.depth, 0);
  for (int i = 2; i < w.count; ++i) {
    if (w.work[i].name == "f3.txt") {
      EXPECT_EQ(w.work[i].folder, "L1\\L2\\L3");
    }
  }
}

TEST(FolderWalk, ReparsePointsAreListedNotEntered) {
  Walk w;
  w.host.AddFile("C:\\d\\a.txt", 1, 0);
  w.host.AddFolder("C:\\d\\link", fileops::kAttrReparse);
  w.host.AddFile("C:\\d\\link\\inside.txt", 1, 0);
  EXPECT_EQ(w.Run("C:\\d", "", "", 1), 0);
  EXPECT_TRUE(w.Names().count("link"));
  EXPECT_FALSE(w.Names().count("inside.txt"));
}

TEST(FolderWalk, UnreadableFolderAndLongPaths) {
  Walk w;
  bool told = false;
  w.req.folderUnreadable = [&] { told = true; };
  w.req.listFolder = "C:\\gone";
  w.host.AddFolder("C:\\x");
  ASSERT_TRUE(w.host.SetCurrentDir("C:\\x"));
  w.host.Lock("C:\\x");  // vanished after entering: nothing to list
  // A folder the host does not hold lists nothing.
  fileops::MemoryFolderHost empty;
  w.req.host = &empty;
  ASSERT_TRUE(empty.SetCurrentDir("C:"));
  EXPECT_EQ(WalkFolder(w.req), 0);
  // A path over 255 characters gives the error entry.
  Walk l;
  std::string deep = "C:\\" + std::string(260, 'p');
  l.host.AddFolder(deep);
  EXPECT_EQ(l.Run(deep), 0);
  ASSERT_EQ(l.count, 3);
  EXPECT_EQ(l.work[2].name, kLongPathEntry);
  EXPECT_EQ(l.work[2].time, 1u);
  (void)told;
}

TEST(FolderWalk, EscStopsWithMinusOneAndKeepsTheEntries) {
  Walk w;
  for (int i = 0; i < 250; ++i) w.host.AddFile("C:\\d\\f" + std::to_string(i), 1, 0);
  int polls = 0;
  std::string shown;
  w.req.showProgress = 1;
  w.req.checkEscape = [&] { return ++polls == 2 ? 1 : 0; };
  w.req.progressText = [&](const std::string& t) { shown = t; };
  EXPECT_EQ(w.Run("C:\\d"), -1);
  EXPECT_EQ(polls, 2);
  EXPECT_EQ(w.count, 202);  // 200 files kept
  EXPECT_EQ(shown, "     200  (Push ESC to Stop)  ");
}

TEST(FolderWalk, EncipheredNamesAreShownDeciphered) {
  Walk w;
  w.host.AddFile("C:\\d\\#~$_zz.txt", 1, 0);
  w.req.encryptKeyCode = "";
  EXPECT_EQ(w.Run("C:\\d"), 0);
  ASSERT_EQ(w.count, 3);
  // Whatever the key gives, the stored form leads back to the name on disk.
  EXPECT_FALSE(w.work[2].name.empty());
}

TEST(FolderWalk, StopsAtFhold) {
  Walk w;
  for (int i = 0; i < 50; ++i) w.host.AddFile("C:\\d\\f" + std::to_string(i), 1, 0);
  w.req.fhold = 20;
  EXPECT_EQ(w.Run("C:\\d"), 0);
  EXPECT_EQ(w.count, 19);
}

}  // namespace
}  // namespace flist
