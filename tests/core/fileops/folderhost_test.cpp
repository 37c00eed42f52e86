#include "core/fileops/folderhost.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/support/scratch.h"
#include "fw/file.h"
#include "fw/filefind.h"

#ifndef _WIN32
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fileops {
namespace {

#ifndef _WIN32
// Removes the symbolic links a test made when it ends, however it ends (the
// scratch folder's clean-up would follow a link to a folder).
struct LinksGone {
  std::vector<std::string> paths;
  ~LinksGone() {
    for (const std::string& p : paths) ::unlink(p.c_str());
  }
  bool Make(const std::string& target, const std::string& path) {
    ::unlink(path.c_str());
    paths.push_back(path);
    return ::symlink(target.c_str(), path.c_str()) == 0;
  }
};
#endif

std::set<std::string> List(FolderHost& h) {
  std::set<std::string> s;
  h.ListCurrentDir([&](const FolderEntry& e) {
    s.insert(e.name);
    return true;
  });
  return s;
}

TEST(FolderPaths, ResolveKeepsJapaneseTrailBytes) {
  EXPECT_EQ(ResolvePath("C:\\a", "b\\..\\c"), "C:\\a\\c");
  EXPECT_EQ(ResolvePath("C:\\a", ".."), "C:");
  EXPECT_EQ(ResolvePath("C:\\a", "D:\\x\\"), "D:\\x");
  EXPECT_EQ(ResolvePath("C:\\a", "\\x"), "C:\\x");
  // "表" (0x95 0x5C) then ".." removes the whole name.
  EXPECT_EQ(ResolvePath("C:\\\x95\x5C", ".."), "C:");
  EXPECT_EQ(ResolvePath("C:\\\x95\x5C\\b", "..\\c"), "C:\\\x95\x5C\\c");
}

TEST(ChangeDirectoryLocalBranch, SkipDriveAndMissing) {
  MemoryFolderHost h;
  h.AddFolder("C:\\d");
  EXPECT_EQ(ChangeDirectory(h, "C:\\nowhere", 0, 1), 1);
  EXPECT_EQ(h.entered, 0);
  EXPECT_EQ(ChangeDirectory(h, "C:\\d", 0, 0), 0);
  EXPECT_EQ(h.CurrentDir(), "C:\\d");
  EXPECT_EQ(ChangeDirectory(h, "C:", 0, 0), 0);  // a drive enters its root
  EXPECT_EQ(h.CurrentDir(), "C:");
  EXPECT_EQ(ChangeDirectory(h, "C:\\nowhere", 0, 0), -1);
  EXPECT_EQ(h.CurrentDir(), "C:");
  h.Lock("C:\\d");
  EXPECT_EQ(ChangeDirectory(h, "C:\\d", 0, 0), -1);
}

TEST(LocalFolders, ListsARealFolderWithSizesAndAttributes) {
  testsupport::Scratch s;
  {
    CFile f(s.Path("a.txt"), CFile::modeCreate | CFile::modeWrite);
    f.Write("hello", 5);
  }
  fw::MakeDir(s.Path("sub"));
  LocalFolderHost h;
  ASSERT_EQ(ChangeDirectory(h, std::string(s.Dir().GetString()), 0, 0), 0);
  std::map<std::string, FolderEntry> got;
  ASSERT_TRUE(h.ListCurrentDir([&](const FolderEntry& e) {
    got[e.name] = e;
    return true;
  }));
  ASSERT_TRUE(got.count("a.txt"));
  EXPECT_EQ(got["a.txt"].size, 5u);
  EXPECT_FALSE(got["a.txt"].attributes & kAttrFolder);
  ASSERT_TRUE(got.count("sub"));
  EXPECT_TRUE(got["sub"].attributes & kAttrFolder);
  EXPECT_GT(got["a.txt"].mtime, 1600000000);
  ASSERT_EQ(ChangeDirectory(h, "sub", 0, 0), 0);
  EXPECT_EQ(List(h).count("a.txt"), 0u);
  EXPECT_EQ(ChangeDirectory(h, s.Path("missing").GetString(), 0, 0), -1);
}

// The host reads folders its own way (the find functions at their basic
// level on Windows, readdir and lstat natively, ASCII names unconverted);
// every entry must come out as the framework's CFileFind reads it.
TEST(LocalFolders, EntriesAgreeWithTheFrameworksFolderReading) {
  testsupport::Scratch s;
  const char* names[] = {"plain.txt", "UPPER.TXT", "!#$%&'()+,-;=@[]^_`{}~.x", "no_ext", "a.b.c",
                         "\x95\x5C\x8E\xA6.txt",   // "表示.txt": trail byte 0x5C
                         "\xB6\xC5",                 // half-width kana
                         "\x83\x5C\x83\x74\x83\x67 x.csv"};  // "ソフト x.csv"
  std::uint64_t size = 0;
  for (const char* n : names) {
    CFile f(s.Path(n), CFile::modeCreate | CFile::modeWrite);
    const std::string bytes(static_cast<std::size_t>(size), 'z');
    if (size) f.Write(bytes.data(), static_cast<UINT>(size));
    size += 7;
  }
  CFileStatus st;
  ASSERT_TRUE(CFile::GetStatus(s.Path("plain.txt"), st));
  st.m_mtime = st.m_atime = CTime(1234567890);
  st.m_ctime = CTime();
  CFile::SetStatus(s.Path("plain.txt"), st);
  fw::MakeDir(s.Path("sub"));
  fw::MakeDir(s.Path("\x97\x5C\x92\xE8"));  // "予定"
#ifndef _WIN32
  const std::string native = fw::ToPosixPath(s.Dir().GetString());
  LinksGone links;
  ASSERT_TRUE(links.Make(native + "/sub", native + "/link"));
  { CFile f(s.Path(".hidden"), CFile::modeCreate | CFile::modeWrite); }
  ASSERT_EQ(::chmod((native + "/UPPER.TXT").c_str(), 0444), 0);
#endif
  std::map<std::string, FolderEntry> want;
  CFileFind ff;
  BOOL more = ff.FindFile(s.Dir() + "\\*.*");
  while (more) {
    more = ff.FindNextFile();
    FolderEntry e;
    e.name = ff.GetFileName().Str();
    e.size = ff.GetLength();
    e.attributes = ff.GetAttributes();
    CTime t;
    if (ff.GetLastWriteTime(t)) e.mtime = t.GetTime();
    want[e.name] = e;
  }
  ff.Close();
  LocalFolderHost h;
  ASSERT_EQ(ChangeDirectory(h, std::string(s.Dir().GetString()), 0, 0), 0);
  std::map<std::string, FolderEntry> got;
  ASSERT_TRUE(h.ListCurrentDir([&](const FolderEntry& e) {
    EXPECT_EQ(got.count(e.name), 0u) << e.name;
    got[e.name] = e;
    return true;
  }));
  ASSERT_EQ(got.size(), want.size());
  for (const auto& [name, w] : want) {
    ASSERT_EQ(got.count(name), 1u) << name;
    const FolderEntry& g = got[name];
    EXPECT_EQ(g.size, w.size) << name;
    EXPECT_EQ(g.attributes, w.attributes) << name;
    EXPECT_EQ(g.mtime, w.mtime) << name;
  }
  for (const char* n : names) EXPECT_EQ(got.count(n), 1u) << n;
  EXPECT_EQ(got["plain.txt"].mtime, 1234567890);
  EXPECT_TRUE(got["\x97\x5C\x92\xE8"].attributes & kAttrFolder);
#ifndef _WIN32
  EXPECT_EQ(got["link"].attributes, kAttrFolder | kAttrReparse);
  EXPECT_TRUE(got[".hidden"].attributes & kAttrHidden);
  EXPECT_TRUE(got["UPPER.TXT"].attributes & kAttrReadOnly);
  ::chmod((native + "/UPPER.TXT").c_str(), 0644);
#endif
  // The reading stops at the first entry the caller declines.
  int calls = 0;
  ASSERT_TRUE(h.ListCurrentDir([&](const FolderEntry&) { return ++calls < 3; }));
  EXPECT_EQ(calls, 3);
}

#ifndef _WIN32
// Natively a big folder is read in batches of 8192 names whose status is
// taken on several threads: the entries, their order and their fields must
// be those of reading one entry after the other.
TEST(LocalFolders, BigFolderReadInBatchesAsOneByOne) {
  testsupport::Scratch s;
  const std::string native = fw::ToPosixPath(s.Dir().GetString());
  fw::MakeDir(s.Path("d"));
  LinksGone links;
  const int kFiles = 9300;
  for (int i = 0; i < kFiles; ++i) {
    const std::string n = native + "/f" + std::to_string(i) + (i % 3 ? ".txt" : "");
    if (i % 1000 == 7) {
      ASSERT_TRUE(links.Make(i % 2000 == 7 ? "nowhere" : native + "/d", n));  // dangling, or a folder
      continue;
    }
    const int fd = ::open(n.c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    const int sized = i % 10 == 0 ? ::ftruncate(fd, i) : 0;
    ::close(fd);
    ASSERT_EQ(sized, 0);
    // Read-only files (the scratch folder's clean-up makes them writable).
    if (i % 17 == 0) {
      ASSERT_EQ(::chmod(n.c_str(), 0444), 0);
    }
  }
  // One entry after the other, as the host read before it took batches.
  std::vector<FolderEntry> want;
  DIR* d = ::opendir(native.c_str());
  ASSERT_NE(d, nullptr);
  while (const struct dirent* de = ::readdir(d)) {
    const std::string n = de->d_name;
    struct stat st;
    if (::lstat((native + "/" + n).c_str(), &st) != 0) continue;
    std::uint32_t extra = 0;
    if (S_ISLNK(st.st_mode)) {
      extra = kAttrReparse;
      if (::stat((native + "/" + n).c_str(), &st) != 0) continue;
    }
    FolderEntry e;
    e.name = n;
    e.size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::uint64_t>(st.st_size);
    e.attributes = (S_ISDIR(st.st_mode) ? kAttrFolder : kAttrArchive) | extra;
    if ((st.st_mode & S_IWUSR) == 0) e.attributes |= kAttrReadOnly;
    if (n.size() > 1 && n[0] == '.' && n != "..") e.attributes |= kAttrHidden;
    e.mtime = st.st_mtime;
    want.push_back(e);
  }
  ::closedir(d);
  ASSERT_EQ(want.size(), static_cast<std::size_t>(kFiles + 3 - 5));  // ".", "..", "d"; five dangling links
  LocalFolderHost h;
  ASSERT_EQ(ChangeDirectory(h, std::string(s.Dir().GetString()), 0, 0), 0);
  std::vector<FolderEntry> got;
  ASSERT_TRUE(h.ListCurrentDir([&](const FolderEntry& e) {
    got.push_back(e);
    return true;
  }));
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < got.size(); ++i) {
    ASSERT_EQ(got[i].name, want[i].name) << i;
    EXPECT_EQ(got[i].size, want[i].size) << want[i].name;
    EXPECT_EQ(got[i].attributes, want[i].attributes) << want[i].name;
    // The parent's time moves while other tests make folders beside this one.
    if (want[i].name != "..") EXPECT_EQ(got[i].mtime, want[i].mtime) << want[i].name;
  }
  // Declined in the second batch: nothing more is handed on.
  std::size_t calls = 0;
  ASSERT_TRUE(h.ListCurrentDir([&](const FolderEntry&) { return ++calls < 8500; }));
  EXPECT_EQ(calls, 8500u);
}
#endif

}  // namespace
}  // namespace fileops
