// The cell style table: the hashed search gives the slots a walk over every
// slot gives (first equal slot, never slot 0, slot 999 once full).
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "export/xlsx/xlsx_style_slots.h"

using namespace xlsx;

namespace {

// The table as a plain walk over the slots.
struct LinearSlots {
  std::vector<XlsxCellStyleRecord> slots{DefaultCellStyleRecord()};
  int Find(const XlsxCellStyleRecord& r) {
    for (std::size_t i = 1; i < slots.size(); ++i)
      if (slots[i] == r) return static_cast<int>(i);
    if (slots.size() < static_cast<std::size_t>(kStyleSlots)) {
      slots.push_back(r);
      return static_cast<int>(slots.size() - 1);
    }
    return kStyleSlots - 1;
  }
};

XlsxCellStyleRecord Rec(const char* s) {
  XlsxCellStyleRecord r;
  std::memcpy(r.data(), s, kStyleRecordLength);
  return r;
}

}  // namespace

TEST(XlsxStyleSlots, DefaultRecordTakesSlotOneAndRepeatsFindTheirSlot) {
  XlsxStyleSlots t;
  EXPECT_EQ(t.Count(), 1);
  // The default record itself is never matched with slot 0.
  EXPECT_EQ(t.FindOrAdd(DefaultCellStyleRecord()), 1);
  EXPECT_EQ(t.FindOrAdd(Rec("pg__________ABCD")), 2);
  EXPECT_EQ(t.FindOrAdd(DefaultCellStyleRecord()), 1);
  EXPECT_EQ(t.FindOrAdd(Rec("pg__________ABCD")), 2);
  EXPECT_EQ(t.Count(), 3);
  EXPECT_EQ(t.Record(0)[7], 0);
  EXPECT_EQ(t.Record(0)[0], '@');
}

TEST(XlsxStyleSlots, FullTableGivesSlot999ButStillFindsKnownRecords) {
  XlsxStyleSlots t;
  XlsxCellStyleRecord r = DefaultCellStyleRecord();
  for (int i = 1; i < kStyleSlots; ++i) {
    r[10] = static_cast<char>(i & 0xFF);
    r[11] = static_cast<char>(i >> 8);
    ASSERT_EQ(t.FindOrAdd(r), i);
  }
  EXPECT_EQ(t.Count(), kStyleSlots);
  r[11] = 0x7F;
  EXPECT_EQ(t.FindOrAdd(r), 999);
  EXPECT_EQ(t.Count(), kStyleSlots);
  r[10] = 5;
  r[11] = 0;
  EXPECT_EQ(t.FindOrAdd(r), 5);
}

TEST(XlsxStyleSlots, HashedSearchMatchesTheWalkOverRandomRecords) {
  // Round 0: six positions of three values each (729 records, the table
  // never fills, repeats are common). Round 1: every position varies, the
  // table fills early and the rest are repeats or slot 999.
  std::mt19937 rng(66);
  for (int round = 0; round < 2; ++round) {
    XlsxStyleSlots hashed;
    LinearSlots linear;
    const int positions = round == 0 ? 6 : kStyleRecordLength;
    for (int i = 0; i < 100000; ++i) {
      XlsxCellStyleRecord r = DefaultCellStyleRecord();
      for (int k = 0; k < positions; ++k) {
        const unsigned v = rng() % 3;
        if (v != 0) r[k] = static_cast<char>('A' + v);
      }
      ASSERT_EQ(hashed.FindOrAdd(r), linear.Find(r)) << "record " << i;
    }
    ASSERT_EQ(hashed.Count(), static_cast<int>(linear.slots.size()));
    for (int s = 0; s < hashed.Count(); ++s)
      EXPECT_EQ(hashed.Record(s), linear.slots[s]);
  }
}
