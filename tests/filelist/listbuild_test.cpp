#include "filelist/flistcore/listbuild.h"

#include <gtest/gtest.h>

#include "filelist/flistcore/walk.h"

namespace flist {
namespace {

struct Build : WalkState {
  fileops::MemoryFolderHost host;
  EntryTable table;
  PlaceResult Run(const std::string& dir, int capacity = 9000, int fhold = 19000, unsigned mode = 5,
                  const std::string& f1 = "") {
    Reset();
    EXPECT_TRUE(host.SetCurrentDir(dir));
    WalkRequest r = Request(&host);
    r.listFolder = dir;
    r.fhold = fhold;
    ListFilter f[3] = {ParseListFilter(f1), ParseListFilter(""), ParseListFilter("")};
    r.conditions = ConditionsFromFilters(f);
    EXPECT_EQ(WalkFolder(r), 0);
    EXPECT_TRUE(table.AllocateEntryBuffers(capacity));
    PlaceRequest pr;
    pr.order.sortMode = mode;
    pr.fhold = fhold;
    pr.sourceFiles = files;
    pr.sourceBytes = bytes;
    pr.filtersSet = !f1.empty();
    pr.filterDescription = DescribeFilters(f1, "", "");
    return PlaceListing(work, static_cast<std::size_t>(count), pr, &table);
  }
  std::string Name(int i) const { return GetNameRecord(table.m_pNameRecs, i); }
};

TEST(ListBuild, ThreeFoldersAndFiveFiles) {
  Build b;
  for (const char* f : {"C:\\d\\s2", "C:\\d\\S1", "C:\\d\\s3"}) b.host.AddFolder(f);
  int k = 0;
  for (const char* f : {"e.txt", "A.txt", "c.csv", "b.TXT", "d.doc"}) b.host.AddFile(std::string("C:\\d\\") + f, 1024 * ++k, 0);
  PlaceResult r = b.Run("C:\\d");
  EXPECT_EQ(b.table.m_nEntryCount, 10);
  EXPECT_EQ(b.Name(0), "..");
  EXPECT_EQ(b.Name(1), "S1");
  EXPECT_EQ(b.Name(3), "s3");
  EXPECT_EQ(static_cast<std::int32_t>(b.table.m_pEntryVal1[1]), -2);
  EXPECT_EQ(b.Name(4), "A.txt");
  EXPECT_EQ(b.Name(8), "e.txt");
  EXPECT_EQ(b.Name(9), "");
  EXPECT_EQ(static_cast<std::int32_t>(b.table.m_pEntryVal1[9]), -1);
  EXPECT_EQ(GetNameRecord(b.table.m_pTextRecs3, 10), "  5");
  EXPECT_EQ(r.countText, "  5");
  // 15 KiB in all: -(10 + 0 * 10000 + 15).
  EXPECT_EQ(static_cast<std::int32_t>(b.table.m_pEntryVal1[10]), -25);
  EXPECT_EQ(FormatSizeText(static_cast<std::int32_t>(b.table.m_pEntryVal1[10]), 2), "  0M015");
  EXPECT_EQ(GetNameRecord(b.table.m_pTextRecs3, 4), "txt");
}

TEST(ListBuild, CursorByNameCaseInsensitiveElseZero) {
  Build b;
  b.host.AddFile("C:\\d\\Report.TXT", 1, 0);
  b.host.AddFile("C:\\d\\other", 1, 0);
  b.Run("C:\\d");
  EXPECT_EQ(CursorByName(b.table, "report.txt", AsciiNameEquals), 2);  // after "other"
  EXPECT_EQ(CursorByName(b.table, "missing", AsciiNameEquals), 0);
}

TEST(ListBuild, FholdAndCapacityCutWithPlacedCountedText) {
  Build b;
  for (int i = 0; i < 20000; ++i) b.host.AddFile("C:\\big\\f" + std::to_string(100000 + i), 1, 0);
  PlaceResult r = b.Run("C:\\big", 9000, 19000, 5);
  EXPECT_EQ(b.count, 18999);             // reading stopped at fhold
  EXPECT_EQ(b.table.m_nEntryCount, 9000);
  EXPECT_EQ(r.placedFiles, 8998);
  EXPECT_EQ(r.countText, "8998/18997");
  EXPECT_EQ(b.Name(8998), "f108997");
  EXPECT_EQ(b.Name(8999), "");
  EXPECT_EQ(GetNameRecord(b.table.m_pTextRecs3, 9000), "8998/18997");
}

TEST(ListBuild, FilteredCountsArePlacedEntries) {
  Build b;
  b.host.AddFile("C:\\d\\big", 20000, 0);
  b.host.AddFile("C:\\d\\small", 100, 0);
  PlaceResult r = b.Run("C:\\d", 9000, 19000, 5, ">10k");
  EXPECT_EQ(r.countText, "  1");
  EXPECT_EQ(b.Name(1), "big");
  EXPECT_EQ(b.Name(3), "[>10k]");
}

TEST(ListBuild, HeadersTitlesAndScrollRange) {
  HeaderText h[5];
  HeaderTexts(5, h);
  EXPECT_EQ(h[0].id, 108);
  EXPECT_EQ(h[2].id, 154);
  EXPECT_STREQ(h[2].suffix, " e");
  HeaderTexts(3, h);
  EXPECT_STREQ(h[1].literal, " new");
  HeaderTexts(8, h);
  EXPECT_EQ(h[2].id, 201);
  // A folder title stays unless it looks like a file path.
  EXPECT_EQ(ListTitle("C:\\data", "C:\\dat", "C:\\data\\a.txt"), "C:\\data\\a.txt");
  EXPECT_EQ(ListTitle("C:\\v1.2\\x", "C:", "P"), "P");
  EXPECT_EQ(ListTitle("C:\\d\\a.txt", "C:", "P"), "C:\\d\\a.txt");
  EXPECT_EQ(ListTitle("C:", "", "P"), "C:");
  EXPECT_EQ(ScrollMaxFor(3, 9000), 10);
  EXPECT_EQ(ScrollMaxFor(20000, 9000), 9000);
}

TEST(ListBuild, FolderFromPathSplitsAtWholeCharacters) {
  // "表" is 0x95 0x5C: its trail byte is no separator.
  const std::string hyo = "\x95\x5C";
  FolderChoice c = FolderFromPath("C:", "C:\\" + hyo + "\\a.txt", "C:", "a.txt", 0, 0, 1, 0);
  EXPECT_EQ(c.curDir, "C:\\" + hyo);
  c = FolderFromPath("C:\\" + hyo, "C:\\" + hyo, "", "x", 0, 1, 2, 0);
  EXPECT_EQ(c.cursorName, "..");
  EXPECT_EQ(LastComponent("C:\\" + hyo + "\\" + hyo), hyo);
  c = FolderFromPath("C:\\a", "C:\\b\\c", "C:\\a\\prev", "x", 1, 1, 3, 0);
  EXPECT_EQ(c.cursorName, "prev");
}

}  // namespace
}  // namespace flist

#include "filelist/flistcore/liststate.h"
#include "fw/alloc.h"

namespace flist {
namespace {

TEST(CompareHandOver, PublishesNamesSizesTimesAndFreesTheEarlierBlock) {
  EntryTable t;
  ASSERT_TRUE(t.AllocateEntryBuffers(100));
  t.m_nEntryCount = 4;
  StoreNameRecord(t.m_pNameRecs, 1, "a.txt");
  t.m_pEntryVal1[1] = 77;
  t.m_pEntryVal3[1] = 1700000000;
  char* names = nullptr;
  std::uint32_t* sizes = nullptr;
  std::uint32_t* times = nullptr;
  EXPECT_EQ(PublishNames(t, &names, &sizes, &times), 4);
  EXPECT_EQ(GetNameRecord(names, 1), "a.txt");
  EXPECT_EQ(GetNameRecord(names, 0), "..");
  EXPECT_EQ(sizes[1], 77u);
  EXPECT_EQ(times[1], 1700000000u);
  // A second hand-over replaces the block (the leak checker of the
  // sanitizer build fails the run when the first one is dropped).
  t.m_nEntryCount = 1;
  EXPECT_EQ(PublishNames(t, &names, &sizes, &times), 2);
  // Out of memory: nothing published, nothing kept.
  fw::alloctest::Reset();
  fw::alloctest::FailAt(1);
  EXPECT_EQ(PublishNames(t, &names, &sizes, &times), 0);
  EXPECT_EQ(names, nullptr);
  fw::alloctest::Reset();
  fw::Free(names);
  fw::Free(sizes);
  fw::Free(times);
}

TEST(ListStateOps, SelectAllAndDirSortDigits) {
  EntryTable t;
  ASSERT_TRUE(t.AllocateEntryBuffers(10));
  ListState s;
  t.m_nEntryCount = 3;
  SelectAllEntries(t, s);
  EXPECT_EQ(t.m_pMarks[0], 0);
  EXPECT_EQ(t.m_pMarks[1], 1);
  EXPECT_EQ(t.m_pMarks[2], 0);
  EXPECT_EQ(s.m_nCurEntry, 1);
  ClearMarkBytes(t, s);
  EXPECT_EQ(t.m_pMarks[1], 0);
  // Side 1 packs the units digit (hundreds cleared), side 2 the tens.
  EXPECT_EQ(PackDirSort(1234, 1, 6), 1036);
  EXPECT_EQ(PackDirSort(1234, 2, 6), 264);
  EXPECT_EQ(DisplayModeFromDirSort(1234, 1), 204u);
  EXPECT_EQ(DisplayModeFromDirSort(1234, 2), 103u);
}

}  // namespace
}  // namespace flist
