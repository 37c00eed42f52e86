#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "fw/file.h"
#include "fw/mapped_file.h"
#include "fw/path.h"
#include "fw/stdiofile.h"
#include "support/scratch.h"

namespace {

void WriteBytes(const CString& path, const std::string& data) {
  CFile f(path, CFile::modeCreate | CFile::modeWrite | CFile::typeBinary);
  f.Write(data.data(), static_cast<UINT>(data.size()));
  f.Close();
}

std::string ReadBytes(const CString& path) {
  CFile f(path, CFile::modeRead | CFile::shareDenyWrite);
  std::string data(static_cast<std::size_t>(f.GetLength()), '\0');
  UINT got = f.Read(&data[0], static_cast<UINT>(data.size()));
  data.resize(got);
  return data;
}

}  // namespace

TEST(File, BinaryRoundTripWithNulAndCtrlZ) {
  testsupport::Scratch scratch;
  std::string data;
  for (int i = 0; i < 3000; ++i) data += static_cast<char>(i * 7);
  data.insert(10, std::string("\0\x1A\r\n\x1A\0", 6));
  CString path = scratch.Path("bin.dat");
  WriteBytes(path, data);
  EXPECT_EQ(data, ReadBytes(path));

  CFile f(path, CFile::modeReadWrite);
  EXPECT_EQ(data.size(), f.GetLength());
  EXPECT_EQ(10u, f.Seek(10, CFile::begin));
  char buf[6];
  ASSERT_EQ(6u, f.Read(buf, 6));
  EXPECT_EQ(std::string("\0\x1A\r\n\x1A\0", 6), std::string(buf, 6));
  EXPECT_EQ(data.size() - 2, f.Seek(-2, CFile::end));
  EXPECT_EQ(2u, f.Read(buf, 6));  // short read at the end, no error
  EXPECT_EQ(0u, f.Read(buf, 6));
  f.SetLength(5);
  EXPECT_EQ(5u, f.GetLength());
  f.SeekToEnd();
  f.Write("xyz", 3);
  EXPECT_EQ(8u, f.GetPosition());
  EXPECT_THROW(f.Seek(-100, CFile::current), CFileException);
  f.Close();
  EXPECT_EQ(data.substr(0, 5) + "xyz", ReadBytes(path));
  EXPECT_THROW(f.Read(buf, 1), CFileException);  // closed
}

TEST(File, OpenFailureGivesCauseAndName) {
  testsupport::Scratch scratch;
  CString missing = scratch.Path("missing.txt");
  try {
    CFile f(missing, CFile::modeRead);
    FAIL() << "opened a missing file";
  } catch (const CFileException& e) {
    EXPECT_EQ(CFileException::fileNotFound, e.m_cause);
    EXPECT_EQ(missing, e.m_strFileName);
    EXPECT_NE(0, e.m_lOsError);
  }
  CFileException e;
  CFile f;
  EXPECT_FALSE(f.Open(scratch.Path("no folder\\x.txt"), CFile::modeRead, &e));
  EXPECT_EQ(CFileException::badPath, e.m_cause);
  EXPECT_FALSE(f.Open(scratch.Dir(), CFile::modeRead, &e));  // a folder is no file
  EXPECT_EQ(CFileException::accessDenied, e.m_cause);
  EXPECT_FALSE(f.IsOpen());
}

TEST(File, ShiftJisNamesAndStatus) {
  testsupport::Scratch scratch;
  // "表" ends in 0x5C, the separator byte; it must stay part of the name.
  CString path = scratch.Path("表ソ①.txt");
  WriteBytes(path, "12345");
  CFile f(path, CFile::modeRead);
  EXPECT_EQ("表ソ①.txt", f.GetFileName());
  f.Close();

  CFileStatus st;
  ASSERT_TRUE(CFile::GetStatus(path, st));
  EXPECT_EQ(5u, st.m_size);
  EXPECT_EQ(0, st.m_attribute & CFile::directory);
  EXPECT_EQ(path, CString(st.m_szFullName));
  EXPECT_FALSE(CFile::GetStatus(scratch.Path("none"), st));

  // Modification time and read-only bit go back and forth.
  CFileStatus set;
  ASSERT_TRUE(CFile::GetStatus(path, set));
  set.m_mtime = CTime(1700000000);
  set.m_atime = CTime();
  set.m_ctime = CTime();
  set.m_attribute |= CFile::readOnly;
  CFile::SetStatus(path, set);
  ASSERT_TRUE(CFile::GetStatus(path, st));
  EXPECT_EQ(1700000000, st.m_mtime.GetTime());
  EXPECT_NE(0, st.m_attribute & CFile::readOnly);
  CFileException e;
  CFile w;
  EXPECT_FALSE(w.Open(path, CFile::modeWrite, &e));
  EXPECT_EQ(CFileException::accessDenied, e.m_cause);
  set.m_attribute &= static_cast<BYTE>(~CFile::readOnly);
  set.m_mtime = CTime();
  CFile::SetStatus(path, set);
  ASSERT_TRUE(CFile::GetStatus(path, st));
  EXPECT_EQ(0, st.m_attribute & CFile::readOnly);
  EXPECT_EQ(1700000000, st.m_mtime.GetTime());  // a zero time leaves it alone
  set.m_timesGiven = CFileStatus::kGiveMTime;     // unless it is given: the epoch itself
  CFile::SetStatus(path, set);
  ASSERT_TRUE(CFile::GetStatus(path, st));
  EXPECT_EQ(0, st.m_mtime.GetTime());
  set.m_timesGiven = 0;

  CString renamed = scratch.Path("新.txt");
  CFile::Rename(path, renamed);
  EXPECT_EQ("12345", ReadBytes(renamed));
  WriteBytes(path, "other");
  EXPECT_THROW(CFile::Rename(path, renamed), CFileException);  // never replaces
  CFile::Remove(renamed);
  try {
    CFile::Remove(renamed);
    FAIL();
  } catch (const CFileException& ex) {
    EXPECT_EQ(CFileException::fileNotFound, ex.m_cause);
  }
}

TEST(StdioFile, TextModeLines) {
  testsupport::Scratch scratch;
  CString path = scratch.Path("lines.txt");
  WriteBytes(path, "one\r\ntwo\nthree\r\r\n\n\x1A" "after\rlast");
  CStdioFile f(path, CFile::modeRead | CFile::typeText);
  CString line;
  std::string got;
  int count = 0;
  while (f.ReadString(line)) {
    got += std::string(line.Str()) + "|";
    ++count;
  }
  EXPECT_EQ(5, count);
  EXPECT_EQ("one|two|three\r||\x1A" "after\rlast|", got);
  EXPECT_FALSE(f.ReadString(line));
  EXPECT_TRUE(line.IsEmpty());
}

TEST(StdioFile, BinaryModeKeepsCarriageReturns) {
  testsupport::Scratch scratch;
  CString path = scratch.Path("lines.bin");
  WriteBytes(path, "a\r\nb\nc");
  CStdioFile f(path, CFile::modeRead | CFile::typeBinary);
  CString line;
  ASSERT_TRUE(f.ReadString(line));
  EXPECT_EQ("a\r", line);
  ASSERT_TRUE(f.ReadString(line));
  EXPECT_EQ("b", line);
  ASSERT_TRUE(f.ReadString(line));
  EXPECT_EQ("c", line);
  EXPECT_FALSE(f.ReadString(line));
}

TEST(StdioFile, WriteStringAndMixedAccess) {
  testsupport::Scratch scratch;
  CString path = scratch.Path("out.txt");
  {
    CStdioFile f(path, CFile::modeCreate | CFile::modeWrite | CFile::typeText);
    f.WriteString("表\n2行目\n");
    f.WriteString("end");
  }
  EXPECT_EQ("表\r\n2行目\r\nend", ReadBytes(path));

  // Line reads, raw reads and seeks see one consistent position.
  CStdioFile f(path, CFile::modeRead | CFile::typeText);
  CString line;
  ASSERT_TRUE(f.ReadString(line));
  EXPECT_EQ("表", line);
  EXPECT_EQ(4u, f.GetPosition());
  char buf[3];
  ASSERT_EQ(3u, f.Read(buf, 3));
  EXPECT_EQ("2行", std::string(buf, 3));
  ASSERT_TRUE(f.ReadString(line));
  EXPECT_EQ("目", line);
  f.Seek(0, CFile::begin);
  char small[4];
  ASSERT_NE(nullptr, f.ReadString(small, sizeof small));  // 3 bytes and a NUL
  EXPECT_EQ("表\n", std::string(small));
  ASSERT_NE(nullptr, f.ReadString(small, sizeof small));
  EXPECT_EQ("2行", std::string(small));
}

TEST(MappedFile, MapsWholeFileAndEmptyFile) {
  testsupport::Scratch scratch;
  std::string data(200000, '\0');
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i % 251);
  CString path = scratch.Path("big.bin");
  WriteBytes(path, data);
  fw::MappedFile m;
  ASSERT_TRUE(m.Open(path));
  ASSERT_EQ(data.size(), m.Size());
  EXPECT_EQ(0, std::memcmp(m.Data(), data.data(), data.size()));
  m.Close();
  EXPECT_FALSE(m.IsOpen());

  CString empty = scratch.Path("empty.bin");
  WriteBytes(empty, "");
  ASSERT_TRUE(m.Open(empty));
  EXPECT_EQ(0u, m.Size());
  EXPECT_NE(nullptr, m.Data());
  m.Close();

  CFileException e;
  EXPECT_FALSE(m.Open(scratch.Path("none.bin"), &e));
  EXPECT_EQ(CFileException::fileNotFound, e.m_cause);
}

TEST(Path, NativeMapping) {
  EXPECT_EQ("/tmp/a/b.txt", fw::ToPosixPath("Z:\\tmp\\a\\b.txt"));
  EXPECT_EQ("/data", fw::ToPosixPath("c:\\data"));
  EXPECT_EQ("/", fw::ToPosixPath("C:"));
  EXPECT_EQ("rel/x", fw::ToPosixPath("rel\\x"));
  EXPECT_EQ("/mixed/sep", fw::ToPosixPath("/mixed\\sep"));
  // "表" (0x95 0x5C) becomes its UTF-8 form, not "\x95/".
  EXPECT_EQ("/\xE8\xA1\xA8/x", fw::ToPosixPath("\\表\\x"));
  EXPECT_EQ(1, fw::LastPathSeparator("a\\表x", 5));
  EXPECT_EQ(-1, fw::LastPathSeparator("ab表", 4));  // its trail byte is 0x5C
  EXPECT_EQ("C:\\a", fw::FolderOfPath("C:\\a\\b.txt"));
  EXPECT_EQ("C:\\", fw::FolderOfPath("C:\\b.txt"));
  EXPECT_EQ("C:\\表", fw::FolderOfPath("C:\\表\\x"));
  EXPECT_EQ("", fw::FolderOfPath("ab表"));
}

// The fault hook refuses exactly the planned call of each operation, before
// it touches the disk, with the cause the system's own failure would give.
TEST(FileFaultHook, RefusesThePlannedCallOfEachOperation) {
  using fw::filetest::Op;
  testsupport::Scratch scratch;
  const CString a = scratch.Path("a.txt"), b = scratch.Path("b.txt");
  fw::filetest::Reset();
  fw::filetest::FailAt(Op::kWrite, 2);
  {
    CFile f(a, CFile::modeCreate | CFile::modeWrite);
    f.Write("one", 3);
    try {
      f.Write("two", 3);
      ADD_FAILURE() << "second write went through";
    } catch (const CFileException& e) {
      EXPECT_EQ(e.m_cause, CFileException::diskFull);
      EXPECT_EQ(e.m_strFileName, a);
    }
    f.Write("three", 5);
    f.Close();
  }
  EXPECT_EQ(ReadBytes(a), "onethree");
  EXPECT_EQ(fw::filetest::Count(Op::kWrite), 3);
  EXPECT_EQ(fw::filetest::Failed(Op::kWrite), 1);

  fw::filetest::FailAt(Op::kRename, 1);
  try {
    CFile::Rename(a, b);
    ADD_FAILURE() << "rename went through";
  } catch (const CFileException& e) {
    EXPECT_EQ(e.m_cause, CFileException::accessDenied);
  }
  CFileStatus st;
  EXPECT_TRUE(CFile::GetStatus(a, st));
  EXPECT_FALSE(CFile::GetStatus(b, st));
  CFile::Rename(a, b);  // only the first one was planned to fail
  EXPECT_EQ(ReadBytes(b), "onethree");

  fw::filetest::FailFrom(Op::kRemove, 1);
  EXPECT_THROW(CFile::Remove(b), CFileException);
  EXPECT_THROW(CFile::Remove(b), CFileException);
  EXPECT_TRUE(CFile::GetStatus(b, st));
  EXPECT_EQ(fw::filetest::Failed(Op::kRemove), 2);
  EXPECT_EQ(fw::filetest::Failed(Op::kRename), 1);

  fw::filetest::Reset();
  CFile::Remove(b);
  EXPECT_FALSE(CFile::GetStatus(b, st));
  EXPECT_EQ(fw::filetest::Count(Op::kRemove), 1);
}

// The open file's own status: the time and the read-only bit set through
// the handle are what the path shows after the close (writes came first);
// a refusal throws and leaves the file as it was.
TEST(File, StatusSetThroughTheOpenFile) {
  using fw::filetest::Op;
  testsupport::Scratch scratch;
  const CString a = scratch.Path("a.txt");
  {
    CFile f(a, CFile::modeCreate | CFile::modeWrite);
    f.Write("data", 4);
    CFileStatus st;
    st.m_mtime = CTime(1000000000);
    st.m_attribute = CFile::readOnly;
    f.SetOpenStatus(st);
    f.Close();
  }
  CFileStatus now;
  ASSERT_TRUE(CFile::GetStatus(a, now));
  EXPECT_EQ(1000000000, now.m_mtime.GetTime());
  EXPECT_NE(0, now.m_attribute & CFile::readOnly);
  EXPECT_EQ(4u, now.m_size);
  CFileStatus writable;
  writable.m_attribute = CFile::normal;
  CFile::SetStatus(a, writable);

  CFile g(a, CFile::modeWrite);
  fw::filetest::Reset();
  fw::filetest::FailAt(Op::kSetStatus, 1);
  CFileStatus st;
  st.m_mtime = CTime(2000000000);
  EXPECT_THROW(g.SetOpenStatus(st), CFileException);
  fw::filetest::Reset();
  g.Close();
  ASSERT_TRUE(CFile::GetStatus(a, now));
  EXPECT_EQ(1000000000, now.m_mtime.GetTime());
}

// A file made only new leaves an existing one untouched and fails as the
// system does; the open file's status (read through the handle) is the
// file's, with the name it was opened by.
TEST(File, CreateNewAndTheStatusOfAnOpenFile) {
  testsupport::Scratch scratch;
  const CString a = scratch.Path("a.txt"), b = scratch.Path("b.txt");
  {
    CFile f(a, CFile::modeCreate | CFile::modeCreateNew | CFile::modeWrite);
    f.Write("first", 5);
  }
  CFile again;
  CFileException e;
  EXPECT_FALSE(again.Open(a, CFile::modeCreate | CFile::modeCreateNew | CFile::modeWrite, &e));
  EXPECT_EQ(CFileException::accessDenied, e.m_cause);
  CFileStatus st;
  ASSERT_TRUE(CFile::GetStatus(a, st));
  EXPECT_EQ(5u, st.m_size);
  // A read-only name is refused by the plain create; the only-new one
  // refuses every existing name the same way.
  CFileStatus ro;
  ro.m_attribute = CFile::readOnly;
  CFile::SetStatus(a, ro);
  EXPECT_FALSE(again.Open(a, CFile::modeCreate | CFile::modeWrite, &e));
  EXPECT_FALSE(again.Open(a, CFile::modeCreate | CFile::modeCreateNew | CFile::modeWrite, &e));

  CFile in(a, CFile::modeRead);
  CFileStatus byHandle, byPath;
  ASSERT_TRUE(in.GetStatus(byHandle));
  ASSERT_TRUE(CFile::GetStatus(a, byPath));
  EXPECT_EQ(byPath.m_size, byHandle.m_size);
  EXPECT_EQ(byPath.m_mtime.GetTime(), byHandle.m_mtime.GetTime());
  EXPECT_EQ(byPath.m_attribute, byHandle.m_attribute);
  EXPECT_STREQ(byPath.m_szFullName, byHandle.m_szFullName);
  in.Close();
  EXPECT_FALSE(in.GetStatus(byHandle));
  CFileStatus rw;
  rw.m_attribute = CFile::normal;
  CFile::SetStatus(a, rw);
  // The rename that never replaces: refused onto an existing name, done
  // onto a free one.
  { CFile f(b, CFile::modeCreate | CFile::modeWrite); }
  EXPECT_THROW(CFile::Rename(a, b), CFileException);
  ASSERT_TRUE(CFile::GetStatus(b, st));
  EXPECT_EQ(0u, st.m_size);
  CFile::Remove(b);
  CFile::Rename(a, b);
  ASSERT_TRUE(CFile::GetStatus(b, st));
  EXPECT_EQ(5u, st.m_size);
}

// Status changes throw like the other calls; folder creation and removal
// report the refusal by their result and leave the disk as it was.
TEST(FileFaultHook, RefusesStatusChangesAndFolderCalls) {
  using fw::filetest::Op;
  testsupport::Scratch scratch;
  const CString a = scratch.Path("a.txt"), dir = scratch.Path("sub");
  { CFile f(a, CFile::modeCreate | CFile::modeWrite); }
  CFileStatus st;
  ASSERT_TRUE(CFile::GetStatus(a, st));
  fw::filetest::Reset();
  fw::filetest::FailAt(Op::kSetStatus, 1);
  st.m_attribute = CFile::readOnly;
  try {
    CFile::SetStatus(a, st);
    ADD_FAILURE() << "status change went through";
  } catch (const CFileException& e) {
    EXPECT_EQ(e.m_cause, CFileException::accessDenied);
  }
  CFileStatus now;
  ASSERT_TRUE(CFile::GetStatus(a, now));
  EXPECT_EQ(0, now.m_attribute & CFile::readOnly);

  fw::filetest::FailAt(Op::kMakeDir, 1);
  EXPECT_FALSE(fw::MakeDir(dir));
  EXPECT_FALSE(CFile::GetStatus(dir, now));
  EXPECT_TRUE(fw::MakeDir(dir));
  fw::filetest::FailAt(Op::kRemoveDir, 1);
  EXPECT_FALSE(fw::RemoveDir(dir));
  EXPECT_TRUE(CFile::GetStatus(dir, now));
  EXPECT_TRUE(fw::RemoveDir(dir));
  EXPECT_EQ(2, fw::filetest::Count(Op::kMakeDir));
  EXPECT_EQ(1, fw::filetest::Failed(Op::kRemoveDir));
  fw::filetest::Reset();
}
