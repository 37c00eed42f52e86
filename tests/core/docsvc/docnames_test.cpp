// Size letters, text-file names, the history and file splitting.
#include <gtest/gtest.h>

#include "core/docsvc/docnames.h"
#include "support/scratch.h"

namespace {

using docsvc::SizeCode;

TEST(SizeCode, LettersBothWays) {
  for (int i = 0; i < 24; ++i) {
    for (bool lower : {false, true}) {
      char letter = static_cast<char>((lower ? 'a' : 'A') + i);
      SizeCode c;
      ASSERT_TRUE(docsvc::SetSizeCode(letter, c)) << letter;
      EXPECT_EQ(c.index, i % 12);
      EXPECT_EQ(c.high, i >= 12);
      EXPECT_EQ(c.lower, lower);
      EXPECT_EQ(docsvc::GetSizeCode(c), letter);
    }
  }
  SizeCode c{3, true, false};
  for (char bad : {'Y', 'z', '0', '#', '\0'}) {
    EXPECT_FALSE(docsvc::SetSizeCode(bad, c)) << bad;
    EXPECT_EQ(c.index, 3);
    EXPECT_TRUE(c.high);
  }
  EXPECT_EQ(docsvc::GetSizeCode(SizeCode{99, false, false}), 'A');
}

TEST(TextFileName, Forms) {
  EXPECT_EQ(docsvc::MakeTextFileName("memo.doc", 'c', 0), "memo#c.txt");
  EXPECT_EQ(docsvc::MakeTextFileName("memo.doc", 'c', 1), "memo.txb");
  EXPECT_EQ(docsvc::MakeTextFileName("README", 'A', 0), "README#A.txt");
  // the dot must lie within the last 8 characters
  EXPECT_EQ(docsvc::MakeTextFileName("a.1234567", 'B', 0), "a#B.txt");
  EXPECT_EQ(docsvc::MakeTextFileName("a.12345678", 'B', 0), "a.12345678#B.txt");
  EXPECT_EQ(docsvc::MakeTextFileName("表計算.xlsx", 'm', 0), "表計算#m.txt");
  EXPECT_EQ(docsvc::MakeTextFileName("", 'A', 0), "#A.txt");
}

TEST(History, ShiftsAtThirty) {
  CString h[docsvc::kHistoryMax];
  int count = 0;
  for (int i = 0; i < 29; ++i) {
    CString e;
    e.Format("p%d", i);
    docsvc::AddToHistory(h, count, e);
  }
  EXPECT_EQ(count, 29);
  EXPECT_EQ(h[28], "p28");
  docsvc::AddToHistory(h, count, "p29");  // the 30th: everything moves down
  EXPECT_EQ(count, 29);
  EXPECT_EQ(h[0], "p1");
  EXPECT_EQ(h[28], "p29");
  EXPECT_EQ(h[29], "");
  docsvc::AddToHistory(h, count, "p30");
  EXPECT_EQ(count, 29);
  EXPECT_EQ(h[0], "p2");
  EXPECT_EQ(h[28], "p30");
  // a damaged count is clamped, never out of bounds
  int bad = 1000;
  docsvc::AddToHistory(h, bad, "x");
  EXPECT_EQ(bad, 29);
  bad = -5;
  docsvc::AddToHistory(h, bad, "y");
  EXPECT_EQ(bad, 1);
  EXPECT_EQ(h[0], "y");
}

TEST(Split, PartNames) {
  EXPECT_EQ(docsvc::SplitPartName("C:\\d\\memo.txt", 1), "C:\\d\\memo_part1.txt");
  EXPECT_EQ(docsvc::SplitPartName("C:\\d\\memo.txt", 12), "C:\\d\\memo_part12.txt");
  EXPECT_EQ(docsvc::SplitPartName("C:\\d\\data", 2), "C:\\d\\data_part2");
  EXPECT_EQ(docsvc::SplitPartName("C:\\v1.0\\data", 2), "C:\\v1.0\\data_part2");
}

TEST(Split, CutsAndJoinsBack) {
  testsupport::Scratch dir;
  std::string data;
  for (int i = 0; i < 2500; ++i) data += static_cast<char>(i * 7 + (i >> 8));
  const CString src = dir.Path("big.bin");
  testsupport::WriteBytes(src, data);
  docsvc::SplitResult r = docsvc::SplitFileIntoParts(src, 1000);
  ASSERT_TRUE(r.ok) << r.error.GetString();
  EXPECT_EQ(r.parts, 3);
  std::string joined;
  for (int i = 1; i <= 3; ++i) {
    std::string part = testsupport::ReadBytes(docsvc::SplitPartName(src, i));
    EXPECT_EQ(part.size(), i < 3 ? 1000u : 500u);
    joined += part;
  }
  EXPECT_EQ(joined, data);
  EXPECT_EQ(testsupport::ReadBytes(src), data);  // source untouched
  CFileStatus st;
  EXPECT_FALSE(CFile::GetStatus(docsvc::SplitPartName(src, 4), st));
}

TEST(Split, ExactMultipleAndEmptyFile) {
  testsupport::Scratch dir;
  const CString src = dir.Path("x.dat");
  testsupport::WriteBytes(src, std::string(2000, 'a'));
  docsvc::SplitResult r = docsvc::SplitFileIntoParts(src, 1000);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.parts, 2);  // no empty third part
  CFileStatus st;
  EXPECT_FALSE(CFile::GetStatus(docsvc::SplitPartName(src, 3), st));
  const CString empty = dir.Path("e.dat");
  testsupport::WriteBytes(empty, "");
  r = docsvc::SplitFileIntoParts(empty, 10);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.parts, 0);
  // larger chunks than the reading buffer
  const CString big = dir.Path("big.dat");
  testsupport::WriteBytes(big, std::string(3 * 1024 * 1024 + 5, 'q'));
  r = docsvc::SplitFileIntoParts(big, 2LL * 1024 * 1024);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.parts, 2);
  EXPECT_EQ(testsupport::ReadBytes(docsvc::SplitPartName(big, 2)).size(), 1024u * 1024 + 5);
}

TEST(Split, FailuresAreReported) {
  testsupport::Scratch dir;
  docsvc::SplitResult r = docsvc::SplitFileIntoParts(dir.Path("missing.txt"), 100);
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.error.IsEmpty());
  EXPECT_EQ(r.parts, 0);
  const CString src = dir.Path("a.txt");
  testsupport::WriteBytes(src, "abc");
  r = docsvc::SplitFileIntoParts(src, 0);
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.error.IsEmpty());
  // a part that cannot be created: a folder stands in its place
  fw::MakeDir(docsvc::SplitPartName(src, 1));
  r = docsvc::SplitFileIntoParts(src, 2);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.parts, 0);
  EXPECT_NE(r.error.Find("a_part1.txt"), -1);
}

}  // namespace
