// The character-id table: its rows, the examples of each id range, the rows
// that place the set symbols, ≪≫√∽∝ and ∬, and every id converted without
// touching more than its two bytes.
#include "core/textcodec/cidmap.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using textcodec::CidToSjis;

unsigned Cid(int id) {
  std::uint8_t hi = static_cast<std::uint8_t>(id >> 8), lo = static_cast<std::uint8_t>(id & 0xFF);
  CidToSjis(&hi, &lo);
  return static_cast<unsigned>(hi) << 8 | lo;
}

TEST(CidMap, IdsOfEachRange) {
  const struct {
    int id;
    unsigned sjis;
  } cases[] = {
      {633, 0x8140},  {1219, 0x8940}, {1282, 0x8980}, {4184, 0x9940}, {5500, 0xE040}, {8706, 0xFC40},
      {112, 'f' << 8 | 'i'}, {113, 'f' << 8 | 'l'}, {121, ',' << 8 | ','}, {139, 0xA500},
      {0, 0x2000},    {1, 0x2000},    {34, 0x4100},   {96, 0x7F00},   {97, '?' << 8},   {98, 0x8165},
      {112, 0x6669},  {138, 0x815C},  {151, 0x815D},  {152, 'c' << 8}, {153, '?' << 8}, {215, 0x8180},
      {231, 0x2000},  {325, 0x7E00},  {327, 0xA100},  {389, 0xDF00},  {390, 0x0100},   {421, 0x0100},
      {422, 0x8640},  {7957, 0x8781}, {7958, 0x81A1}, {8000, 0x81A1}, {8358, 0x2000}, {8359, 0xFA5C},   {8393, 0xFA7E},
      {8394, 0xFA80}, {8517, 0xFAFB}, {8518, 0xFB40}, {8580, 0xFB7E}, {8581, 0xFB80},   {8705, 0xFBFC},
      {8718, 0xFC4C}, {8719, 0x2200}, {9000, 0x2300}, {0x4142, 0x4100}, {0xFFFF, 0x81A1},
      // The sound rows: the set symbols, ≪ to ∝, ∬; the tilde and the overline.
      {740, 0x81AC},  {741, 0x81B8},  {748, 0x81BF},  {762, 0x8790},  {763, 0x81E1},   {767, 0x81E5},
      {768, 0x879A},  {769, 0x8792},  {770, 0x81E8},  {771, 0x81F0},  {631, '~' << 8},  {632, '?' << 8},
  };
  for (const auto& c : cases) EXPECT_EQ(c.sjis, Cid(c.id)) << "id " << c.id;
}

TEST(CidMap, TableRowsStayInOrderAndFit) {
  const textcodec::CidSjisTables& t = textcodec::CidTables();
  EXPECT_EQ(0, t.m_anCidBreak[0]);
  int last = 0;
  for (int r = 1; r < textcodec::kCidBreakRows && t.m_anCidBreak[r] != 0; ++r) {
    last = r;
    if (t.m_anCidBreak[r] == 842 && t.m_anCidBreak[r - 1] == 925) continue;  // the hiragana and katakana rows twice
    EXPECT_LE(t.m_anCidBreak[r - 1], t.m_anCidBreak[r]) << "row " << r;
  }
  EXPECT_EQ(168, last);
  EXPECT_EQ(7958, t.m_anCidBreak[last]);
  for (int r = last + 1; r < textcodec::kCidBreakRows; ++r) EXPECT_EQ(0, t.m_anCidBreak[r]);
  EXPECT_EQ(0x65, t.m_abCidSymbol[0]);
  EXPECT_EQ(0x5C, t.m_abCidSymbol[40]);
  // The same tables when built into the caller's arrays.
  std::int32_t ids[textcodec::kCidBreakRows];
  std::uint32_t codes[textcodec::kCidBreakRows];
  std::uint8_t symbols[textcodec::kCidSymbolCount];
  textcodec::BuildCidSjisTables(ids, codes, symbols);
  EXPECT_EQ(0, std::memcmp(ids, t.m_anCidBreak, sizeof ids));
  EXPECT_EQ(0, std::memcmp(codes, t.m_anSjisBreak, sizeof codes));
  EXPECT_EQ(0, std::memcmp(symbols, t.m_abCidSymbol, sizeof symbols));
}

TEST(CidMap, EveryIdWritesOnlyItsTwoBytes) {
  for (int id = 0; id < 0x10000; ++id) {
    std::uint8_t bytes[4] = {0xEE, static_cast<std::uint8_t>(id >> 8), static_cast<std::uint8_t>(id & 0xFF), 0xEE};
    CidToSjis(&bytes[1], &bytes[2]);
    ASSERT_EQ(0xEE, bytes[0]) << id;
    ASSERT_EQ(0xEE, bytes[3]) << id;
    // A pair has a lead byte; a single byte has a zero second byte.
    if (bytes[2] != 0 && id >= 422 && id <= 8718 && id != 631 && id != 632) {
      EXPECT_TRUE(bytes[1] >= 0x81 && (bytes[1] <= 0x9F || bytes[1] >= 0xE0)) << id;
    }
  }
}

}  // namespace
