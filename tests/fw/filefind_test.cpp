#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fw/file.h"
#include "fw/filefind.h"
#include "support/scratch.h"

namespace {

void Touch(const CString& path, int size) {
  CFile f(path, CFile::modeCreate | CFile::modeWrite);
  std::string data(static_cast<std::size_t>(size), 'x');
  f.Write(data.data(), static_cast<UINT>(data.size()));
}

// "name:d" for folders, "name:<size>" for files, sorted (the order the system
// lists in is its own).
std::vector<std::string> List(const CString& pattern, CString* pathOfB = nullptr) {
  std::vector<std::string> out;
  CFileFind ff;
  BOOL more = ff.FindFile(pattern);
  while (more) {
    more = ff.FindNextFile();
    std::string e = ff.GetFileName().Str() + ":";
    e += ff.IsDirectory() ? "d" : std::to_string(ff.GetLength());
    if (ff.IsDots()) e += ":dots";
    if (pathOfB != nullptr && ff.GetFileName() == "b.TXT") *pathOfB = ff.GetFilePath();
    out.push_back(e);
  }
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace

TEST(FileFind, ListsPreparedFolder) {
  testsupport::Scratch scratch;
  Touch(scratch.Path("a.txt"), 1);
  Touch(scratch.Path("b.TXT"), 22);
  Touch(scratch.Path("c.csv"), 333);
  Touch(scratch.Path("noext"), 0);
  Touch(scratch.Path("表.txt"), 4);
  ASSERT_TRUE(fw::MakeDir(scratch.Path("sub")));
  Touch(scratch.Path("sub\\inner.txt"), 5);

  CString pathOfB;
  std::vector<std::string> all = List(scratch.Path("*.*"), &pathOfB);
  std::vector<std::string> want = {".:d:dots", "..:d:dots", "a.txt:1", "b.TXT:22", "c.csv:333",
                                   "noext:0", "sub:d", "表.txt:4"};
  std::sort(want.begin(), want.end());
  EXPECT_EQ(want, all);
  EXPECT_EQ(scratch.Path("b.TXT"), pathOfB);

  // Masks: case-insensitive extension, '?', a double-byte character.
  std::vector<std::string> txt = List(scratch.Path("*.txt"));
  std::vector<std::string> wantTxt = {"a.txt:1", "b.TXT:22", "表.txt:4"};
  std::sort(wantTxt.begin(), wantTxt.end());
  EXPECT_EQ(wantTxt, txt);
  EXPECT_EQ(std::vector<std::string>{"c.csv:333"}, List(scratch.Path("?.c*")));
  EXPECT_EQ(wantTxt, List(scratch.Path("?.txt")));  // "表" is one character
  EXPECT_EQ(std::vector<std::string>{"表.txt:4"}, List(scratch.Path("表*")));
  std::vector<std::string> sub = {"..:d:dots", ".:d:dots", "inner.txt:5"};  // sorted
  EXPECT_EQ(sub, List(scratch.Path("sub\\*")));
  // The pattern may name one entry.
  EXPECT_EQ(std::vector<std::string>{"sub:d"}, List(scratch.Path("sub")));
  EXPECT_TRUE(List(scratch.Path("*.none")).empty());
  EXPECT_TRUE(List(scratch.Path("missing\\*.*")).empty());
}

TEST(FileFind, EntryDetails) {
  testsupport::Scratch scratch;
  CString path = scratch.Path("one.dat");
  Touch(path, 10);
  CFileStatus st;
  ASSERT_TRUE(CFile::GetStatus(path, st));
  st.m_mtime = CTime(1600000000);
  st.m_atime = st.m_ctime = CTime();
  CFile::SetStatus(path, st);

  CFileFind ff;
  ASSERT_TRUE(ff.FindFile(path));
  EXPECT_EQ("", ff.GetFileName());  // nothing before the first FindNextFile
  EXPECT_FALSE(ff.FindNextFile());  // the first entry is also the last
  EXPECT_EQ("one.dat", ff.GetFileName());
  EXPECT_EQ("one", ff.GetFileTitle());
  EXPECT_EQ(scratch.Dir(), ff.GetRoot());
  EXPECT_EQ(10u, ff.GetLength());
  EXPECT_FALSE(ff.IsDirectory());
  EXPECT_FALSE(ff.IsDots());
  CTime t;
  ASSERT_TRUE(ff.GetLastWriteTime(t));
  EXPECT_EQ(1600000000, t.GetTime());
  EXPECT_FALSE(ff.FindNextFile());  // stepping past the end stays harmless
  EXPECT_EQ("one.dat", ff.GetFileName());
}

TEST(FileFind, WildcardMatching) {
  EXPECT_TRUE(fw::MatchWildcard("*.*", "noext"));
  EXPECT_TRUE(fw::MatchWildcard("*", ""));
  EXPECT_TRUE(fw::MatchWildcard("a*b*c", "aXXbYbc"));
  EXPECT_FALSE(fw::MatchWildcard("a*b*c", "aXXbYb"));
  EXPECT_FALSE(fw::MatchWildcard("??.TXT", "表.txt"));  // "表" is one character
  EXPECT_TRUE(fw::MatchWildcard("?x.TXT", "表x.txt"));
  // "ア" ends in 'A' (0x41): a mask "*A" must not match it through its trail byte.
  EXPECT_FALSE(fw::MatchWildcard("*A", "xア"));
  EXPECT_FALSE(fw::MatchWildcard("*a", "xア"));
  EXPECT_TRUE(fw::MatchWildcard("*ア", "xア"));
}
