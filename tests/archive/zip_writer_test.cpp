// The own ZIP writer: archive names, the walk (folders, empty folders,
// patterns, the archive never its own entry, Shift-JIS names with a 0x5C
// trail byte), the plan refusals, and archives that extract back.
#include <gtest/gtest.h>

#include <algorithm>

#include "archive/arc_path.h"
#include "archive/zip_extract.h"
#include "archive/zip_writer.h"
#include "support/scratch.h"

namespace arc {
namespace {

using testsupport::Scratch;

std::vector<std::string> Names(const std::vector<WalkEntry>& v) {
  std::vector<std::string> out;
  for (const WalkEntry& e : v) out.push_back(e.name);
  std::sort(out.begin(), out.end());
  return out;
}

TEST(ZipWriter, ArchiveNames) {
  std::vector<std::string> items;
  EXPECT_EQ(ArchiveNameFor(1, 2, {"", "C:\\data\\dir\\"}, "", false, &items), "C:\\data\\dir_.zip");
  EXPECT_EQ(items, std::vector<std::string>{"C:\\data\\dir\\"});
  EXPECT_EQ(ArchiveNameFor(1, 3, {"", "a.txt", "b.txt"}, "", false, &items), "a.txt##.zip");
  EXPECT_EQ(items.size(), 2u);
  EXPECT_EQ(ArchiveNameFor(1, 0, {"out.zip", "folder"}, "", false, &items), "out.zip");
  EXPECT_EQ(items, std::vector<std::string>{"folder"});
  EXPECT_EQ(ArchiveNameFor(0, 2, {"", "x"}, "", false, &items), "x.lzh");
  EXPECT_EQ(ArchiveNameFor(2, 3, {"", "a", "b"}, "pack.rtz", false, &items), "pack.rtz");
  EXPECT_EQ(ArchiveNameFor(1, 2, {"", "x"}, "given.zip", false, &items), "given.zip");
  EXPECT_EQ(ArchiveNameFor(1, 2, {"", "C:\\data\\pic.bmp"}, "", true, &items), "C:\\ARCHTMP\\pic.bmp.zip");
  EXPECT_EQ(ArchiveNameFor(1, 2, {"", "rel"}, "", true, &items), "C:\\ARCHTMP\\rel.zip");
  // A Shift-JIS name whose last byte is 0x5C keeps it.
  EXPECT_EQ(ArchiveNameFor(1, 2, {"", "\x95\x5C"}, "", false, &items), "\x95\x5C.zip");
}

TEST(ZipWriter, WalkFoldersEmptyFoldersAndPatterns) {
  Scratch s;
  fw::MakeDir(s.Path("top"));
  fw::MakeDir(s.Path("top\\empty"));
  testsupport::WriteBytes(s.Path("top\\f.txt"), "file");
  std::string top = s.Path("top").Str();
  // Entries inside a folder are named by the folder's path form.
  EXPECT_EQ(Names(CollectEntries({top + "\\"}, "")),
            (std::vector<std::string>{PathForm(top) + "empty/", PathForm(top) + "f.txt"}));
  // A Shift-JIS folder with 0x5C as its second byte ("表").
  fw::MakeDir(s.Path("\x95\x5C"));
  testsupport::WriteBytes(s.Path("\x95\x5C\\a.txt"), "a");
  std::vector<WalkEntry> v = CollectEntries({s.Path("\x95\x5C").Str()}, "");
  ASSERT_EQ(v.size(), 1u);
  EXPECT_EQ(v[0].name, PathForm(s.Path("\x95\x5C").Str()) + "a.txt");
  EXPECT_EQ(v[0].name.substr(v[0].name.size() - 8), "\x95\x5C/a.txt");
  EXPECT_TRUE(CollectEntries({s.Path("missing").Str()}, "").empty());
  // "*.*" in a folder takes its files and never the archive being written.
  testsupport::WriteBytes(s.Path("top\\temp.zip"), "old archive");
  v = CollectEntries({s.Path("top\\*.*").Str()}, s.Path("top\\temp.zip").Str());
  EXPECT_EQ(Names(v), (std::vector<std::string>{top + "\\empty/", top + "\\f.txt"}));
}

TEST(ZipWriter, WritesAnArchiveThatExtractsBack) {
  Scratch s;
  fw::MakeDir(s.Path("src"));
  fw::MakeDir(s.Path("src\\sub"));
  fw::MakeDir(s.Path("src\\none"));
  std::string big;
  for (int i = 0; i < 300000; ++i) big += static_cast<char>('a' + (i * 31 + i / 97) % 26);
  testsupport::WriteBytes(s.Path("src\\big.txt"), big);
  testsupport::WriteBytes(s.Path("src\\sub\\e.bin"), "");
  ArcState st;
  std::vector<WalkEntry> v = CollectEntries({"src"}, "");
  // Relative items: run from the scratch folder through its full paths instead.
  v = CollectEntries({s.Path("src").Str()}, "");
  int stored = 0;
  ArcOutcome r = WriteZip(st, s.Path("out.zip").Str(), v, [&stored](const WalkEntry&) { ++stored; });
  ASSERT_EQ(r.result, 0) << r.Title();
  EXPECT_EQ(stored, 3);
  MemoryTarget t;
  std::string zip = testsupport::ReadBytes(s.Path("out.zip"));
  ArcState st2;
  st2.m_nArcInSize = static_cast<int32_t>(zip.size());
  ArcOutcome x = ZipExtractBlock(st2, reinterpret_cast<const uint8_t*>(zip.data()), zip.size(), ZipExtractOptions(), t);
  EXPECT_EQ(x.result, 0) << x.Title();
  bool found = false;
  for (auto& f : t.files)
    if (f.first.size() >= 7 && f.first.substr(f.first.size() - 7) == "big.txt") {
      found = true;
      EXPECT_EQ(f.second.head, big);
    }
  EXPECT_TRUE(found);
}

TEST(ZipWriter, NothingCollectedWritesNothing) {
  Scratch s;
  ArcState st;
  std::vector<WalkEntry> v = CollectEntries({s.Path("missing").Str()}, "");
  EXPECT_TRUE(v.empty());
}

TEST(ZipWriter, TooManyEntriesRefusedBeforeWriting) {
  Scratch s;
  std::vector<WalkEntry> v(65536);
  for (size_t i = 0; i < v.size(); ++i) {
    v[i].name = "f" + std::to_string(i);
    v[i].folder = true;
  }
  ArcState st;
  ArcOutcome r = WriteZip(st, s.Path("many.zip").Str(), v);
  EXPECT_EQ(r.code, "054");
  EXPECT_EQ(r.result, -1);
  EXPECT_TRUE(testsupport::FolderNames(s.Dir()).empty());
  std::vector<WalkEntry> huge(1);
  huge[0].name = "huge.bin";
  huge[0].stat.size = 0x100000000ll;
  r = WriteZip(st, s.Path("huge.zip").Str(), huge);
  EXPECT_EQ(r.code, "053");
  EXPECT_TRUE(testsupport::FolderNames(s.Dir()).empty());
}

}  // namespace
}  // namespace arc
