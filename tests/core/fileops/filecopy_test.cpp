// The file copy routine over real folders (failures planted with
// fw::filetest) and the path checks of copy and move.
#include "core/fileops/filecopy.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/fileops/fileprims.h"
#include "fw/file.h"
#include "fw/path.h"
#include "tests/support/scratch.h"

namespace fileops {
namespace {

using testsupport::ReadBytes;
using testsupport::WriteBytes;

std::string Pattern(std::size_t n) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 131 + i / 251) & 0xFF);
  return s;
}

bool Exists(const CString& path) { return EntryAttributes(path) != 0xFFFFFFFFu; }

void SetTimeAndAttributes(const CString& path, std::int64_t mtime, BYTE attributes) {
  CFileStatus st;
  st.m_mtime = CTime(mtime);
  st.m_timesGiven = CFileStatus::kGiveMTime;
  st.m_attribute = attributes;
  CFile::SetStatus(path, st);
}

class FileCopyTest : public ::testing::Test {
 protected:
  void SetUp() override { fw::filetest::Reset(); }
  void TearDown() override { fw::filetest::Reset(); }
  testsupport::Scratch scratch;
};

TEST_F(FileCopyTest, CopyIsByteIdenticalWithTimeAndAttributes) {
  const CString src = scratch.Path("ソ表 a.bin"), dst = scratch.Path("copy 表.bin");
  const std::string data = Pattern(3 * kCopyPiece + 17);
  WriteBytes(src, data);
  SetTimeAndAttributes(src, 1600000000, CFile::readOnly | CFile::archive);
  const CopyFileResult r = PlaceFileCopy(src, dst, CopyFileOptions{});
  ASSERT_TRUE(r.placed) << r.error;
  EXPECT_EQ(ReadBytes(dst), data);
  CFileStatus st;
  ASSERT_TRUE(CFile::GetStatus(dst, st));
  EXPECT_EQ(st.m_mtime.GetTime(), 1600000000);
  EXPECT_TRUE(st.m_attribute & CFile::readOnly);
  EXPECT_FALSE(Exists(CopyTemporaryFor(dst)));
  // An empty file is copied too.
  const CString empty = scratch.Path("empty"), emptyCopy = scratch.Path("empty2");
  WriteBytes(empty, "");
  EXPECT_TRUE(PlaceFileCopy(empty, emptyCopy, CopyFileOptions{}).placed);
  EXPECT_EQ(ReadBytes(emptyCopy), "");
}

TEST_F(FileCopyTest, ConflictsGiveTheSystemCodesAndKeepTheOldFile) {
  const CString src = scratch.Path("src.txt"), dst = scratch.Path("dst.txt");
  WriteBytes(src, "new");
  WriteBytes(dst, "old");
  CopyFileOptions failIfExists;
  failIfExists.failIfExists = true;
  CopyFileResult r = PlaceFileCopy(src, dst, failIfExists);
  EXPECT_FALSE(r.placed);
  EXPECT_EQ(r.error, kErrFileExists);
  EXPECT_EQ(ReadBytes(dst), "old");

  SetTimeAndAttributes(dst, 0, CFile::readOnly);
  r = PlaceFileCopy(src, dst, CopyFileOptions{});
  EXPECT_EQ(r.error, kErrAccessDenied);
  EXPECT_EQ(ReadBytes(dst), "old");
  SetTimeAndAttributes(dst, 0, CFile::normal);

  // Without the flag the old file is replaced.
  r = PlaceFileCopy(src, dst, CopyFileOptions{});
  EXPECT_TRUE(r.placed);
  EXPECT_EQ(ReadBytes(dst), "new");

  // A folder in the destination's place, a missing source.
  ASSERT_TRUE(fw::MakeDir(scratch.Path("sub")));
  EXPECT_EQ(PlaceFileCopy(src, scratch.Path("sub"), CopyFileOptions{}).error, kErrAccessDenied);
  EXPECT_EQ(PlaceFileCopy(scratch.Path("none"), dst, CopyFileOptions{}).error, kErrNotFound);
}

TEST_F(FileCopyTest, FullDiskLeavesNewDestinationAbsentAndOldOneIntact) {
  const CString src = scratch.Path("big.bin"), fresh = scratch.Path("fresh.bin"), old = scratch.Path("old.bin");
  WriteBytes(src, Pattern(5 * kCopyPiece));
  WriteBytes(old, "the old contents");
  for (const CString& dst : {fresh, old}) {
    const bool hadOld = Exists(dst);
    fw::filetest::Reset();
    fw::filetest::FailAt(fw::filetest::Op::kWrite, 3);
    const CopyFileResult r = PlaceFileCopy(src, dst, CopyFileOptions{});
    fw::filetest::Reset();
    EXPECT_FALSE(r.placed);
    EXPECT_EQ(r.error, kErrDiskFull);
    if (hadOld) EXPECT_EQ(ReadBytes(dst), "the old contents");
    else EXPECT_FALSE(Exists(dst));
    EXPECT_FALSE(Exists(CopyTemporaryFor(dst)));
  }
}

TEST_F(FileCopyTest, FailedFinalRenameKeepsTheOldDestination) {
  const CString src = scratch.Path("a.txt"), dst = scratch.Path("b.txt");
  WriteBytes(src, "new");
  WriteBytes(dst, "old");
  fw::filetest::FailAt(fw::filetest::Op::kRename, 1);
  const CopyFileResult r = PlaceFileCopy(src, dst, CopyFileOptions{});
  EXPECT_FALSE(r.placed);
  EXPECT_EQ(r.error, kErrAccessDenied);
  EXPECT_EQ(fw::filetest::Count(fw::filetest::Op::kRename), 1);
  EXPECT_EQ(ReadBytes(dst), "old");
  EXPECT_FALSE(Exists(CopyTemporaryFor(dst)));
}

#ifdef _WIN32
// Only Windows has sharing modes: a destination another program holds open
// is busy, reported as refused, and stays as it was.
TEST_F(FileCopyTest, BusyDestinationIsRefusedAndKept) {
  const CString src = scratch.Path("a.txt"), dst = scratch.Path("b.txt");
  WriteBytes(src, "new");
  WriteBytes(dst, "old");
  {
    CFile busy(dst, CFile::modeRead | CFile::shareExclusive);
    const CopyFileResult r = PlaceFileCopy(src, dst, CopyFileOptions{});
    EXPECT_FALSE(r.placed);
    EXPECT_EQ(r.error, kErrAccessDenied);
    EXPECT_FALSE(Exists(CopyTemporaryFor(dst)));
  }
  EXPECT_EQ(ReadBytes(dst), "old");
}
#endif

TEST_F(FileCopyTest, RefusedTimesOrStaleTemporaryKeepTheOldDestination) {
  const CString src = scratch.Path("a.txt"), dst = scratch.Path("b.txt");
  WriteBytes(src, "new");
  WriteBytes(dst, "old");
  // The time and attributes cannot be given: nothing is placed.
  fw::filetest::FailFrom(fw::filetest::Op::kSetStatus, 1);
  CopyFileResult r = PlaceFileCopy(src, dst, CopyFileOptions{});
  fw::filetest::Reset();
  EXPECT_FALSE(r.placed);
  EXPECT_EQ(r.error, kErrAccessDenied);
  EXPECT_EQ(ReadBytes(dst), "old");
  EXPECT_FALSE(Exists(CopyTemporaryFor(dst)));
  // A read-only leftover temporary that cannot be removed stops the copy
  // before anything is written.
  WriteBytes(CopyTemporaryFor(dst), "stale");
  SetTimeAndAttributes(CopyTemporaryFor(dst), 0, CFile::readOnly);
  fw::filetest::FailFrom(fw::filetest::Op::kRemove, 1);
  r = PlaceFileCopy(src, dst, CopyFileOptions{});
  fw::filetest::Reset();
  EXPECT_FALSE(r.placed);
  EXPECT_EQ(r.error, kErrAccessDenied);
  EXPECT_EQ(ReadBytes(dst), "old");
  EXPECT_EQ(ReadBytes(CopyTemporaryFor(dst)), "stale");
  // A writable one is simply written over, with no removal needed.
  SetTimeAndAttributes(CopyTemporaryFor(dst), 0, CFile::normal);
  fw::filetest::FailFrom(fw::filetest::Op::kRemove, 1);
  r = PlaceFileCopy(src, dst, CopyFileOptions{});
  fw::filetest::Reset();
  EXPECT_TRUE(r.placed);
  EXPECT_EQ(ReadBytes(dst), "new");
  EXPECT_FALSE(Exists(CopyTemporaryFor(dst)));
}

TEST_F(FileCopyTest, LeftoverTemporaryIsRemovedByTheNextCopy) {
  const CString src = scratch.Path("a.txt"), dst = scratch.Path("b.txt");
  WriteBytes(src, "data");
  const CString temporary = CopyTemporaryFor(dst);
  EXPECT_EQ(GetPathLastName(temporary), ".b.txt.~copy");
  WriteBytes(temporary, "half a copy from a killed run");
  SetTimeAndAttributes(temporary, 0, CFile::readOnly);
  ASSERT_TRUE(PlaceFileCopy(src, dst, CopyFileOptions{}).placed);
  EXPECT_FALSE(Exists(temporary));
  EXPECT_EQ(ReadBytes(dst), "data");
  // A failed copy cleans up as well: the temporary never outlives a call.
  WriteBytes(temporary, "again");
  fw::filetest::Reset();
  fw::filetest::FailAt(fw::filetest::Op::kWrite, 1);
  EXPECT_FALSE(PlaceFileCopy(src, dst, CopyFileOptions{}).placed);
  EXPECT_FALSE(Exists(temporary));
  EXPECT_EQ(ReadBytes(dst), "data");
}

TEST_F(FileCopyTest, StopAndProgressFollowTheirPieceCounts) {
  const CString src = scratch.Path("big.bin"), dst = scratch.Path("dst.bin");
  const std::string data = Pattern(256 * kCopyPiece);
  WriteBytes(src, data);
  WriteBytes(dst, "old");
  std::vector<std::uint64_t> reports;
  int polls = 0;
  CopyFileOptions o;
  o.progress = [&](std::uint64_t done, std::uint64_t total) {
    EXPECT_EQ(total, data.size());
    reports.push_back(done);
    // Mid-copy: the old file is still in place and the temporary is hidden.
    EXPECT_EQ(ReadBytes(dst), "old");
    const std::uint32_t a = EntryAttributes(CopyTemporaryFor(dst));
    EXPECT_NE(a, 0xFFFFFFFFu);
#ifdef _WIN32
    EXPECT_TRUE(a & kAttrHidden);
#endif
  };
  o.stop = [&] {
    ++polls;
    return false;
  };
  ASSERT_TRUE(PlaceFileCopy(src, dst, o).placed);
  // Piece 9 is the first past 64 KB; reports come at its 101st and 202nd.
  EXPECT_EQ(reports, (std::vector<std::uint64_t>{109ull * kCopyPiece, 210ull * kCopyPiece}));
  EXPECT_EQ(polls, 4);  // pieces 100, 109, 200, 210
  EXPECT_EQ(ReadBytes(dst), data);

  // A stop at the first poll: nothing placed, the old file as it was.
  WriteBytes(scratch.Path("dst2.bin"), "old");
  o.stop = [] { return true; };
  const CopyFileResult r = PlaceFileCopy(src, scratch.Path("dst2.bin"), o);
  EXPECT_FALSE(r.placed);
  EXPECT_TRUE(r.stopped);
  EXPECT_EQ(ReadBytes(scratch.Path("dst2.bin")), "old");
  EXPECT_FALSE(Exists(CopyTemporaryFor(scratch.Path("dst2.bin"))));
}

TEST_F(FileCopyTest, RefusedNamesAreNotWritten) {
  const CString src = scratch.Path("a.txt");
  WriteBytes(src, "data");
  for (const char* name : {"con.txt", "a:b.txt", "x?.txt", "nul", "LPT1.log"}) {
    const CopyFileResult r = PlaceFileCopy(src, scratch.Path(name), CopyFileOptions{});
    EXPECT_FALSE(r.placed) << name;
    EXPECT_EQ(r.error, kErrInvalidName) << name;
  }
  EXPECT_EQ(testsupport::FolderNames(scratch.Dir()).size(), 1u);
}

TEST(FileCopyChecks, RefusedNames) {
  for (const char* bad : {"con", "CON.txt", "con .txt", "aux", "prn.x", "nul.tar.gz", "com1", "Lpt9.txt", "conin$",
                          "a:b.txt", "x?.txt", "a*b", "a<b", "a>b", "a|b", "a\"b", "a/b", "a\\b", "tab\there",
                          "dot.", "blank ", ".", "..", ""})
    EXPECT_TRUE(IsRefusedName(bad)) << bad;
  // "表" and "ソ" end in 0x5C; "ポ" in 0x7C: whole characters, no separators.
  for (const char* good : {"a.txt", "表.txt", "ソ", "\x83\x7C", "console.txt", "com10", "lpt", "con_x", ".hidden",
                           "a b.txt"})
    EXPECT_FALSE(IsRefusedName(good)) << good;
}

TEST(FileCopyChecks, SelfNestingFoldsCaseAndNeedsASeparator) {
  EXPECT_TRUE(IsSameOrInsideFolder("C:\\Data", "c:\\data\\x"));
  EXPECT_TRUE(IsSameOrInsideFolder("C:\\Data\\", "c:\\DATA\\x\\y"));
  EXPECT_TRUE(IsSameOrInsideFolder("C:\\Data", "C:\\Data"));
  EXPECT_TRUE(IsSameOrInsideFolder("C:\\", "C:\\x"));
  EXPECT_FALSE(IsSameOrInsideFolder("C:\\a", "C:\\ab"));
  EXPECT_FALSE(IsSameOrInsideFolder("C:\\a\\b", "C:\\a"));
  EXPECT_FALSE(IsSameOrInsideFolder("C:\\a", "D:\\a\\b"));
  // The second byte of a double-byte character is never folded: "ア" is
  // 0x83 0x41 and "ヂ" 0x83 0x61.
  EXPECT_FALSE(IsSameOrInsideFolder("C:\\\x83\x41", "C:\\\x83\x61\\x"));
  // "表" ends in 0x5C, which is no separator.
  EXPECT_TRUE(IsSameOrInsideFolder("C:\\\x95\x5C", "C:\\\x95\x5C\\x"));
  EXPECT_FALSE(IsSameOrInsideFolder("C:\\\x95\x5C", "C:\\\x95\x5C" "x"));
  EXPECT_TRUE(SamePathText("C:\\Data\\A.txt", "c:\\data\\a.TXT"));
  EXPECT_FALSE(SamePathText("C:\\Data\\A.txt", "C:\\Data\\A.txt2"));
}

TEST_F(FileCopyTest, SameFileByTextOrIdentity) {
  const CString a = scratch.Path("a.txt");
  WriteBytes(a, "x");
  WriteBytes(scratch.Path("b.txt"), "x");
  EXPECT_TRUE(SameFileOrFolder(a, scratch.Dir() + "\\.\\a.txt"));
  ASSERT_TRUE(fw::MakeDir(scratch.Path("sub")));
  EXPECT_TRUE(SameFileOrFolder(scratch.Dir(), scratch.Dir() + "\\sub\\.."));
  EXPECT_FALSE(SameFileOrFolder(a, scratch.Path("b.txt")));
  EXPECT_FALSE(SameFileOrFolder(a, scratch.Path("missing.txt")));
  // The copy routine refuses a copy onto the file itself before anything else.
  CopyFileOptions failIfExists;
  failIfExists.failIfExists = true;
  for (const CString& same : {scratch.Dir() + "\\.\\a.txt", a}) {
    EXPECT_EQ(PlaceFileCopy(a, same, failIfExists).error, kErrSameFile);
    EXPECT_EQ(PlaceFileCopy(a, same, CopyFileOptions{}).error, kErrSameFile);
  }
  EXPECT_EQ(ReadBytes(a), "x");
}

TEST(FileCopyChecks, LastNameAndCopierParameters) {
  EXPECT_EQ(GetPathLastName("C:\\a\\b.txt"), "b.txt");
  EXPECT_EQ(GetPathLastName("Y:\\pub/x.txt"), "x.txt");
  EXPECT_EQ(GetPathLastName("name"), "name");
  EXPECT_EQ(GetPathLastName("C:\\\x95\x5C"), "\x95\x5C");
  EXPECT_EQ(RobocopyParameters("C:\\a b", "C:\\c d\\"), "\"C:\\a b\" \"C:\\c d\" /e /dcopy:t");
  EXPECT_EQ(RobocopyParameters("C:\\", "D:\\x\\\\"), "\"C:\\.\" \"D:\\x\" /e /dcopy:t");
  // A name ending in "表" keeps its second byte.
  EXPECT_EQ(RobocopyParameters("C:\\\x95\x5C", "C:\\t"), "\"C:\\\x95\x5C\" \"C:\\t\" /e /dcopy:t");
}

}  // namespace
}  // namespace fileops
