// The compound reader against olefile: every slot's copy holds the stream's
// bytes (streams below 4,096 bytes through the mini-FAT, larger ones along
// their chains), the kind of an unclassified file comes from its stream
// names, and damaged files end within their bytes with the damage noted.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "compound_fixture.h"
#include "convert/cfb_reader.h"
#include "convert/convert_texts.h"

namespace {

using compoundtest::FixtureBytes;
using compoundtest::Oracle;
using compoundtest::CfbRun;
using namespace convert;

struct SlotCase {
  const char* file;
  int kind;
  std::vector<std::pair<int, const char*>> slots;  // slot, stream
  std::vector<int> absent;
};

// The copy starts with the stream's bytes: exactly its size for a mini-stream
// copy, whole sectors (at least the size) along a chain; the summary stream
// keeps 2,048 bytes.
void ExpectCopy(const CfbRun& run, int slot, const std::string& stream, const std::string& file) {
  SCOPED_TRACE(file + " slot " + std::to_string(slot));
  ASSERT_NE(0, run.table.slot[slot]) << stream << " not copied";
  const std::string copy = run.Slot(slot);
  std::string want = stream;
  if (slot == kSlotDocSummary) want = want.substr(0, 2048);
  if (run.table.viaMiniStream[slot]) {
    EXPECT_EQ(want.size(), copy.size());
  } else {
    EXPECT_GE(copy.size(), want.size());
  }
  EXPECT_TRUE(copy.compare(0, want.size(), want) == 0) << "copy differs from olefile's bytes";
}

TEST(CfbReader, SlotCopiesEqualOlefilesStreams) {
  REQUIRE_COMPOUND_FIXTURES();
  const SlotCase cases[] = {
      {"crafted_word.doc", 2,
       {{kSlotMain, "WordDocument"}, {kSlotData, "Data"}, {kSlotTable1, "1Table"}, {kSlotPictures, "Pictures"},
        {kSlotDocSummary, "DocumentSummaryInformation"}},
       {kSlotTable0, kSlotSheetNames}},
      {"crafted_small_main.doc", 2, {{kSlotMain, "WordDocument"}, {kSlotTable0, "0Table"}}, {kSlotTable1}},
      {"summary_other.doc", 2, {{kSlotMain, "WordDocument"}}, {kSlotDocSummary}},
      {"straight.doc", 2, {{kSlotMain, "WordDocument"}, {kSlotTable1, "1Table"}}, {}},
      {"gsf_tree.doc", 2, {{kSlotMain, "WordDocument"}, {kSlotTable1, "1Table"}}, {}},
      {"lo_small.doc", 2, {{kSlotMain, "WordDocument"}, {kSlotTable1, "1Table"}}, {}},
      {"lo_large.doc", 2, {{kSlotMain, "WordDocument"}, {kSlotTable1, "1Table"}}, {}},
      {"lo_small.xls", 3, {{kSlotMain, "Workbook"}}, {}},
      {"lo_large.xls", 3, {{kSlotMain, "Workbook"}}, {}},
  };
  for (const SlotCase& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string bytes = FixtureBytes(c.file);
    if (bytes.empty()) {
      // LibreOffice and gsf files exist only where those tools are.
      std::printf("skipped %s (made by soffice or gsf, not on this machine)\n", c.file);
      continue;
    }
    auto oracle = Oracle(c.file);
    CfbRun run(bytes, c.kind);
    ASSERT_EQ(CompoundLoad::kLoaded, run.Load()) << run.Text();
    EXPECT_FALSE(run.reader->Damage().Marked()) << run.reader->Damage().Where();
    for (const auto& [slot, name] : c.slots) {
      ASSERT_TRUE(oracle.count(name)) << name;
      ExpectCopy(run, slot, oracle[name], c.file);
    }
    for (int slot : c.absent) EXPECT_EQ(0, run.table.slot[slot]) << "slot " << slot;
  }
}

TEST(CfbReader, SmallStreamsComeFromTheMiniStream) {
  REQUIRE_COMPOUND_FIXTURES();
  // A one-page LibreOffice document keeps both Word streams in the
  // mini-stream: the copies are their real bytes, not the sectors their
  // mini-sector numbers name.
  const std::string bytes = FixtureBytes("lo_small.doc");
  if (bytes.empty()) GTEST_SKIP() << "soffice (libreoffice-writer-nogui) is needed";
  auto oracle = Oracle("lo_small.doc");
  ASSERT_LT(oracle["WordDocument"].size(), 4096u);
  CfbRun run(bytes, 2);
  ASSERT_EQ(CompoundLoad::kLoaded, run.Load());
  EXPECT_TRUE(run.table.viaMiniStream[kSlotMain]);
  EXPECT_EQ(oracle["WordDocument"], run.Slot(kSlotMain));
  EXPECT_EQ(0xA5EC, static_cast<std::uint8_t>(run.Slot(kSlotMain)[0]) | static_cast<std::uint8_t>(run.Slot(kSlotMain)[1]) << 8);
}

TEST(CfbReader, UnclassifiedFilesTakeTheKindOfTheirStreams) {
  REQUIRE_COMPOUND_FIXTURES();
  const struct {
    const char* file;
    int kind;
  } cases[] = {
      {"kind99_all.bin", 3},   // "Workbook" is asked before "WordDocument" and "PowerPoint Document"
      {"kind99_word.bin", 2},
      {"kind99_ppt.bin", 1},   // "Pictures" as the first entry
      {"kind99_none.bin", 99},
  };
  for (const auto& c : cases) {
    CfbRun run(FixtureBytes(c.file), 99);
    run.Load();
    EXPECT_EQ(c.kind, run.reader->Kind()) << c.file;
    EXPECT_EQ(c.kind, run.job.m_nFileKind) << c.file;
  }
}

TEST(CfbReader, NoRootEntryLeavesTheFatEmpty) {
  REQUIRE_COMPOUND_FIXTURES();
  // The first directory entry is not "Root Entry": no FAT is loaded, the
  // first sector of the stream is still where its start says.
  const std::string bytes = FixtureBytes("not_root.doc");
  CfbRun run(bytes, 2);
  ASSERT_EQ(CompoundLoad::kLoaded, run.Load());
  for (int i = 0; i < 64; ++i) EXPECT_EQ(0, run.reader->m_anFat[i]);
  const std::string copy = run.Slot(kSlotMain);
  ASSERT_GE(copy.size(), 512u);
  const std::size_t start = static_cast<std::size_t>(run.table.filePos[kSlotMain]);
  EXPECT_EQ(bytes.substr(start, 512), copy.substr(0, 512));
}

TEST(CfbReader, DamagedFilesEndWithinTheirBytes) {
  REQUIRE_COMPOUND_FIXTURES();
  const struct {
    const char* file;
    bool loaded;
    bool damaged;
  } cases[] = {
      {"fat_cycle.doc", true, true},     // WordDocument's chain loops
      {"start_81920.doc", true, true},   // 1Table starts at the first number past the table
      {"start_16m.doc", true, true},
      {"difat_cycle.doc", true, false},  // the DIFAT names itself: the table fills and the list ends
      {"dir_beyond.doc", false, false},  // string 240
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    CfbRun run(FixtureBytes(c.file), 2);
    const auto t0 = std::chrono::steady_clock::now();
    const CompoundLoad status = run.Load();
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(1));
    EXPECT_EQ(c.loaded, status == CompoundLoad::kLoaded);
    EXPECT_EQ(c.damaged, run.reader->Damage().Marked());
    if (!c.loaded) {
      EXPECT_EQ(std::string(GetConvertText(ConvertText::kUnsupportedOffice)), run.Text());
    }
    if (std::string(c.file).rfind("start_", 0) == 0) {
      EXPECT_EQ(0, run.table.slot[kSlotTable1]);
      EXPECT_NE(0, run.table.slot[kSlotMain]);
    }
  }
  // The damage line: once, naming the stream.
  CfbRun run(FixtureBytes("fat_cycle.doc"), 2);
  run.Load();
  run.reader->Damage().WriteTo(run.job.out);
  run.reader->Damage().WriteTo(run.job.out);
  EXPECT_EQ("\r\n" + std::string(GetConvertText(ConvertText::kUnsupportedFormat)) + "(WordDocument)", run.Text());
}

TEST(CfbReader, TruncatedCopiesOfEveryFixtureStayInBounds) {
  REQUIRE_COMPOUND_FIXTURES();
  for (const auto& entry : std::filesystem::directory_iterator(compoundtest::Fixtures())) {
    if (!entry.is_regular_file()) continue;
    const std::string bytes = testsupport::ReadFileBytes(entry.path());
    if (bytes.size() < 8 || bytes.compare(0, 3, "\xD0\xCF\x11") != 0) continue;
    for (std::size_t cut : {std::size_t{511}, std::size_t{1024}, std::size_t{1536}, bytes.size() / 2,
                            bytes.size() - 1}) {
      if (cut >= bytes.size()) continue;
      for (int kind : {2, 3, 32, 99}) {
        CfbRun run(bytes.substr(0, cut), kind);
        run.Load();
        // Every slot lies inside the copies.
        for (int s = 0; s < kCompoundSlots && kind != 32; ++s)
          EXPECT_LE(run.table.slot[s] + run.table.length[s], run.table.end) << entry.path() << " " << cut;
      }
    }
  }
}

TEST(CfbReader, TheBufferLimitCutsTheCopies) {
  REQUIRE_COMPOUND_FIXTURES();
  const std::string bytes = FixtureBytes("crafted_word.doc");
  // The read size stops the 9,000-byte main stream; the later slots still
  // start (below the limit plus 99,000 bytes).
  CfbRun run(bytes, 2, 2048);
  // (The frame lowers the file size to the read size only when the file is
  // longer; here the sectors stay reachable and the limit alone stops.)
  run.job.m_nConvSize = static_cast<std::int32_t>(bytes.size());
  run.job.inputCut = false;
  run.reader = std::make_unique<CfbReader>(run.job);
  ASSERT_EQ(CompoundLoad::kLoaded, run.Load());
  EXPECT_TRUE(run.reader->Truncated());
  EXPECT_TRUE(run.job.inputCut);
  EXPECT_LE(run.table.end, 2048 + kCfbCopySlack + kCfbSectorSize);
  EXPECT_FALSE(run.reader->Damage().Marked());
}

// --- cursor operations over a FAT made by hand --------------------------------

struct CursorRun {
  std::string bytes = std::string(64 * 512, '\0');
  CfbRun run{bytes, 32};
  CfbReader& r() { return *run.reader; }
};

TEST(CfbCursor, MiniStreamSeekFollowsTheTwoRules) {
  CursorRun c;
  auto& fat = c.r().m_anFat;
  fat[0] = 5;
  fat[5] = 7;
  fat[7] = 9;
  fat[9] = 0xFFFE;
  fat[2] = 11;
  fat[11] = 13;
  const struct {
    std::int32_t offset, container, sector, pos;
  } cases[] = {
      {100, 512, 0, 512 + 100},            // sector 0, no hop
      {1024 + 3, 512, 7, 8 * 512 + 3},     // two hops from sector 0: 0 -> 5 -> 7
      {1536, 512, 11, 12 * 512},           // from 1,536 bytes: sector 2 with one hop fewer... 2 -> 11
      {2048 + 1, 512, 13, 14 * 512 + 1},   // 2 -> 11 -> 13
      {1024, 6 * 512, 9, 10 * 512},        // a container at sector 5: 5 -> 7 -> 9
      {2048, 6 * 512, 0, 512},             // the end marker before the last hop gives sector 0
  };
  for (const auto& t : cases) {
    c.r().CfbSeekMiniStream(t.offset, t.container);
    EXPECT_EQ(t.sector, c.r().m_nCurSector) << t.offset << "@" << t.container;
    EXPECT_EQ(t.pos, c.run.job.m_nConvPos) << t.offset << "@" << t.container;
  }
}

TEST(CfbCursor, SkipsAndHopsFollowTheChain) {
  CursorRun c;
  auto& fat = c.r().m_anFat;
  fat[1] = 4;
  fat[4] = 2;
  fat[2] = 0xFFFE;
  c.r().m_nSectorCount = 64;
  // Inside a sector.
  c.r().SetSectorCursor(2 * 512 + 10);
  c.r().CfbSkipBytes(100);
  EXPECT_EQ(2 * 512 + 110, c.run.job.m_nConvPos);
  // Across: 1 -> 4 -> 2.
  c.r().SetSectorCursor(2 * 512 + 500);
  c.r().CfbSkipBytes(12 + 512 + 7);
  EXPECT_EQ(3 * 512 + 7, c.run.job.m_nConvPos);
  EXPECT_EQ(2, c.r().m_nCurSector);
  // A remainder of exactly 512 hops once more to the next sector's start.
  c.r().SetSectorCursor(2 * 512);
  c.r().CfbSkipBytes(1024);
  EXPECT_EQ(3 * 512, c.run.job.m_nConvPos);
  EXPECT_EQ(0, c.r().m_nSectorOffset);
  // Byte steps hop at the sector end; the end marker sets state 2 and
  // keeps the cursor.
  c.r().SetSectorCursor(3 * 512 + 511);
  c.r().CfbAdvanceByte();
  EXPECT_EQ(2, c.r().m_nChainState);
  EXPECT_EQ(3, c.r().m_nCurSector);
  // A chain that leaves the file: state 1.
  fat[6] = 40000;
  c.r().SetSectorCursor(7 * 512);
  c.r().Hop();
  EXPECT_EQ(1, c.r().m_nChainState);
  // An index outside the table reads as 0.
  EXPECT_EQ(0, c.r().FatAt(kCfbFatEntries));
  EXPECT_EQ(0, c.r().FatAt(-1));
}

TEST(CfbCursor, ALoopingChainDoesNotSpin) {
  CursorRun c;
  auto& fat = c.r().m_anFat;
  fat[0] = 1;
  fat[1] = 0;  // 0 -> 1 -> 0 ...
  c.r().SetSectorCursor(512);
  const auto t0 = std::chrono::steady_clock::now();
  c.r().CfbSkipBytes(0x7FFFFFF0);
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(1));
  EXPECT_NE(0, c.r().m_nChainState);
  EXPECT_TRUE(c.r().Damage().Marked());
}

TEST(CfbCursor, LineEndsAndLeadBytes) {
  CursorRun c;
  c.run.job.m_pConvData[10] = '\r';
  c.run.job.m_pConvData[11] = '\n';
  c.run.job.m_pConvData[12] = 'x';
  const struct {
    std::int32_t pos;
    int want;
  } ends[] = {{10, 1}, {11, 1}, {12, 0}, {-1, 0}, {1 << 30, 0}};
  for (const auto& e : ends) {
    c.run.job.m_nConvPos = e.pos;
    EXPECT_EQ(e.want, c.r().IsCursorAtLineEnd()) << e.pos;
  }
  const struct {
    int byte, lead;
  } leads[] = {{0x7F, 0}, {0x80, 1}, {0x9F, 1}, {0xA0, 0}, {0xDF, 0}, {0xE0, 1},
               {0xEF, 1}, {0xF0, 0}, {0xF9, 0}, {0xFA, 1}, {0xFC, 1}, {0xFD, 0}};
  for (const auto& l : leads) EXPECT_EQ(l.lead, IsSjisLeadByteConv(static_cast<std::uint8_t>(l.byte))) << l.byte;
}

}  // namespace
