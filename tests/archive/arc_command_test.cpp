// The library stand-ins' command texts and report buffers, and the LZH
// writer's archives read back by the own reader.
#include <gtest/gtest.h>

#include <cstring>

#include "archive/arc_command.h"
#include "archive/arc_crc.h"
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

namespace arc {
namespace {

// A level-0 LZH header (name with '\' separators) and its data, stored.
std::string Level0(const std::string& name, const std::string& data) {
  std::string h;
  h += '\0';  // size, below
  h += '\0';  // checksum, below
  h += "-lh0-";
  for (uint32_t v : {static_cast<uint32_t>(data.size()), static_cast<uint32_t>(data.size()), 0x58A57000u})
    for (int i = 0; i < 4; ++i) h += static_cast<char>(v >> (8 * i));
  h += '\x20';
  h += '\0';
  h += static_cast<char>(name.size());
  h += name;
  uint16_t crc = Crc16Update(0, reinterpret_cast<const uint8_t*>(data.data()), data.size());
  h += static_cast<char>(crc & 0xFF);
  h += static_cast<char>(crc >> 8);
  h[0] = static_cast<char>(h.size() - 2);
  unsigned sum = 0;
  for (size_t i = 2; i < h.size(); ++i) sum += static_cast<unsigned char>(h[i]);
  h[1] = static_cast<char>(sum & 0xFF);
  return h + data;
}

TEST(LzhExtract, HostileNamesStayInside) {
  struct Case {
    const char* name;
    const char* path;  // nullptr: refused with "079"
  } cases[] = {{"..\\x", nullptr},      {"a\\..\\..\\x", nullptr}, {"\\abs\\y", "abs\\y"},
               {"C:\\z", "z"},          {"CON.txt", "_CON.txt"},   {"d\\x\x95\x5C.txt", "d\\x\x95\x5C.txt"}};
  for (const Case& c : cases) {
    MemoryTarget t;
    std::string arc = Level0("first.txt", "1") + Level0(c.name, "data") + std::string(1, '\0');
    ArcOutcome r = LzhExtractBlock(reinterpret_cast<const uint8_t*>(arc.data()), arc.size(), t, false, nullptr);
    EXPECT_TRUE(t.files.count("first.txt")) << c.name;
    if (c.path) {
      EXPECT_EQ(r.result, 0) << c.name << " " << r.Title();
      EXPECT_TRUE(t.files.count(c.path)) << c.name;
    } else {
      EXPECT_EQ(r.code, "079") << c.name;
      EXPECT_EQ(t.files.size(), 1u) << c.name;
    }
  }
  // A level-2 folder field with "..".
  std::vector<WalkEntry> v(1);
  v[0].folder = true;
  v[0].name = "../up/";
  testsupport::Scratch s;
  ASSERT_EQ(WriteLzh(s.Path("up.lzh").Str(), v).result, 0);
  std::string arc = testsupport::ReadBytes(s.Path("up.lzh"));
  MemoryTarget t;
  EXPECT_EQ(LzhExtractBlock(reinterpret_cast<const uint8_t*>(arc.data()), arc.size(), t, false, nullptr).code, "079");
  EXPECT_TRUE(t.folders.empty());
}

TEST(LzhExtract, BadCrc16IsWrittenThenReported) {
  std::string good = Level0("a.txt", "payload");
  good[good.size() - 7 - 2] ^= 0x55;  // the header's CRC-16 of the data
  // Fix the header checksum after the change.
  unsigned sum = 0;
  size_t hs = static_cast<unsigned char>(good[0]);
  for (size_t i = 2; i < hs + 2; ++i) sum += static_cast<unsigned char>(good[i]);
  good[1] = static_cast<char>(sum & 0xFF);
  std::string arc = good + std::string(1, '\0');
  MemoryTarget t;
  ArcOutcome r = LzhExtractBlock(reinterpret_cast<const uint8_t*>(arc.data()), arc.size(), t, false, nullptr);
  EXPECT_EQ(r.code, "066");
  EXPECT_EQ(r.result, -1);
  EXPECT_EQ(t.files["a.txt"].head, "payload");
}

}  // namespace
}  // namespace arc
