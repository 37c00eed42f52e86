// The library stand-ins' command texts and report buffers, and the LZH
// writer's archives read back by the own reader.
#include <gtest/gtest.h>

#include <cstring>

#include "archive/arc_command.h"
#include "archive/lzh_extract.h"
#include "archive/lzh_writer.h"
#include "archive/zip_writer.h"
#include "support/scratch.h"

namespace arc {
namespace {

TEST(ArcCommand, UnZipForms) {
  ArchiverCommand c = ParseUnZipCommand("-x \"C:\\a b\\x.zip\" \"C:\\out dir\" *.*");
  EXPECT_TRUE(c.ok);
  EXPECT_EQ(c.archive, "C:\\a b\\x.zip");
  EXPECT_EQ(c.target, "C:\\out dir");
  c = ParseUnZipCommand("--i -o -x \"x.zip\" \"d\" *.*");
  EXPECT_TRUE(c.ok);
  EXPECT_EQ(c.archive, "x.zip");
  EXPECT_FALSE(ParseUnZipCommand("\"x.zip\" \"d\" *.*").ok);
  EXPECT_FALSE(ParseUnZipCommand("-x \"x.zip\"").ok);
  EXPECT_FALSE(ParseUnZipCommand("-x a b c d").ok);
}

TEST(ArcCommand, UnlhaForms) {
  ArchiverCommand a = ParseUnlhaCommand("a -x -r1 \"C:\\t\\out.lzh\" \"C:\\t\\src\"");
  EXPECT_TRUE(a.ok);
  EXPECT_EQ(a.op, 'a');
  EXPECT_EQ(a.archive, "C:\\t\\out.lzh");
  EXPECT_EQ(a.target, "C:\\t\\src");
  ArchiverCommand x = ParseUnlhaCommand("x \"in.lzh\" -a1 \"C:\\dest\" *.*");
  EXPECT_TRUE(x.ok);
  EXPECT_EQ(x.op, 'x');
  EXPECT_EQ(x.target, "C:\\dest");
  EXPECT_FALSE(ParseUnlhaCommand("d \"in.lzh\"").ok);
}

TEST(ArcCommand, ReportStaysInsideTheBuffer) {
  char buf[8];
  std::memset(buf, 'Z', sizeof buf);
  WriteReport(buf, 5, "0123456789");
  EXPECT_STREQ(buf, "0123");
  EXPECT_EQ(buf[5], 'Z');
  WriteReport(buf, 0, "x");
  EXPECT_EQ(buf[0], '0');
}

TEST(LzhWriter, RoundTripThroughTheOwnReader) {
  testsupport::Scratch s;
  fw::MakeDir(s.Path("src"));
  fw::MakeDir(s.Path("src\\empty"));
  std::string text;
  for (int i = 0; i < 50000; ++i) text += "word" + std::to_string(i % 97) + (i % 13 ? " " : "\r\n");
  testsupport::WriteBytes(s.Path("src\\t.txt"), text);
  testsupport::WriteBytes(s.Path("src\\one"), "1");
  std::vector<WalkEntry> v = CollectEntries({s.Path("src").Str()}, "");
  ArcOutcome r = WriteLzh(s.Path("o.lzh").Str(), v);
  ASSERT_EQ(r.result, 0) << r.Title();
  MemoryTarget t;
  std::string arc = testsupport::ReadBytes(s.Path("o.lzh"));
  std::string last;
  ArcOutcome x = LzhExtractBlock(reinterpret_cast<const uint8_t*>(arc.data()), arc.size(), t, false, &last);
  EXPECT_EQ(x.result, 0) << x.Title();
  bool found = false;
  for (auto& f : t.files)
    if (f.first.size() > 5 && f.first.substr(f.first.size() - 5) == "t.txt") {
      found = true;
      EXPECT_EQ(f.second.head.size(), text.size());
      EXPECT_TRUE(f.second.head == text);
    }
  EXPECT_TRUE(found);
  EXPECT_LT(arc.size(), text.size() / 4);
}

}  // namespace
}  // namespace arc
