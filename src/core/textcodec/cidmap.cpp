// The break rows of the character-id table and the conversion through them.
#include "core/textcodec/cidmap.h"

#include <cstring>

namespace textcodec {
namespace {

constexpr std::uint8_t kSymbols[kCidSymbolCount] = {
    0x65, 0x62, 0x60, 0x49, 0x91, 0x92, 0x5E, 0xE7, 0x98, 0x5A, 0x67, 0x73, 0x71, 0x72,
    0x00, 0x00, 0x5D, 0xF5, 0xF6, 0x45, 0xF7, 0x9C, 0x43, 0x00, 0x68, 0x74, 0x63, 0xF1,
    0x48, 0x4C, 0x4F, 0x50, 0x4D, 0x4D, 0x4E, 0x4B, 0x43, 0x56, 0x43, 0x4D, 0x5C};

struct Row {
  std::int32_t id;
  std::uint32_t code;
};

// Rows 1-28: the symbols, digits, letters, kana and Greek and Cyrillic.
constexpr Row kHeadRows[] = {
    {422, 0x8640}, {485, 0x8680}, {503, 0x8693}, {633, 0x8140}, {696, 0x8180},  {749, 0x81C8}, {756, 0x81DA},
    {761, 0x8791}, {762, 0x8790}, {768, 0x879A}, {769, 0x8792}, {771, 0x81F0},  {779, 0x81FC}, {780, 0x824F},
    {790, 0x8260}, {816, 0x8281}, {842, 0x829F}, {925, 0x8340}, {842, 0x829F},  {925, 0x8340}, {988, 0x8380},
    {1011, 0x839F}, {1035, 0x83BF}, {1059, 0x8440}, {1092, 0x8470}, {1107, 0x8480}, {1125, 0x889F},
    {1219, 0x8940}};

// Rows 96-165: the rest of the kanji, the box drawing, the NEC symbols, the
// vertical forms and the end row.
constexpr Row kTailRows[] = {
    {7443, 0xEA80}, {7477, 0xEAA2}, {7479, 0x849F}, {7480, 0x84AA}, {7481, 0x84A0}, {7482, 0x84AB},
    {7491, 0x84A1}, {7494, 0x84AC}, {7495, 0x84A2}, {7498, 0x84AD}, {7499, 0x84A4}, {7502, 0x84AF},
    {7503, 0x84A3}, {7506, 0x84AE}, {7507, 0x84A5}, {7508, 0x84BA}, {7511, 0x84B5}, {7514, 0x84B0},
    {7515, 0x84A7}, {7516, 0x84BC}, {7519, 0x84B7}, {7522, 0x84B2}, {7523, 0x84A6}, {7526, 0x84B6},
    {7527, 0x84BB}, {7530, 0x84B1}, {7531, 0x84A8}, {7534, 0x84B8}, {7535, 0x84BD}, {7538, 0x84B3},
    {7539, 0x84A9}, {7542, 0x84B9}, {7545, 0x84BE}, {7554, 0x84B4}, {7555, 0x8740}, {7585, 0x875F},
    {7608, 0x8780}, {7624, 0x8793}, {7631, 0x879B}, {7632, 0x879C}, {7887, 0x8141}, {7889, 0x8150},
    {7891, 0x815B}, {7894, 0x8160}, {7899, 0x8169}, {7917, 0x8181}, {7918, 0x829F}, {7919, 0x82A1},
    {7920, 0x82A3}, {7921, 0x82A5}, {7922, 0x82A7}, {7923, 0x82C1}, {7924, 0x82E1}, {7925, 0x82E3},
    {7926, 0x82E5}, {7927, 0x82EC}, {7928, 0x8340}, {7929, 0x8342}, {7930, 0x8344}, {7931, 0x8346},
    {7932, 0x8348}, {7933, 0x8362}, {7934, 0x8383}, {7935, 0x8385}, {7936, 0x8387}, {7937, 0x838E},
    {7938, 0x8395}, {7940, 0x875F}, {7956, 0x8780}, {7958, 0x8782}};
static_assert(sizeof kTailRows / sizeof kTailRows[0] == 70, "rows 96-165");

// Runs whose codes the rows above would place wrongly: the set symbols
// (∈∋⊆⊇⊂⊃∪∩ at 0x81B8, not the unassigned 0x81AD), ≪≫√∽∝ (0x81E1) and ∬
// (0x81E8), whose ids would otherwise fall on the NEC symbols.
constexpr Row kAddedRows[] = {{741, 0x81B8}, {763, 0x81E1}, {770, 0x81E8}};

constexpr int kLastRow = 165 + static_cast<int>(sizeof kAddedRows / sizeof kAddedRows[0]);
static_assert(kLastRow < kCidBreakRows, "the rows fit the table");

// Puts `row` in order among rows 1 .. *last, moving the later rows down.
void InsertRow(std::int32_t* ids, std::uint32_t* codes, int* last, const Row& row) {
  int at = *last + 1;
  while (at > 1 && ids[at - 1] > row.id) {
    ids[at] = ids[at - 1];
    codes[at] = codes[at - 1];
    --at;
  }
  ids[at] = row.id;
  codes[at] = row.code;
  ++*last;
}

void SetBytes(std::uint8_t* hi, std::uint8_t* lo, unsigned first, unsigned second) {
  *hi = static_cast<std::uint8_t>(first & 0xFF);
  *lo = static_cast<std::uint8_t>(second & 0xFF);
}

// Ids 97-229 that are no symbol of the table: ligatures and a few signs.
void OtherSymbol(int id, std::uint8_t* hi, std::uint8_t* lo) {
  switch (id) {
    case 112: return SetBytes(hi, lo, 'f', 'i');
    case 113: return SetBytes(hi, lo, 'f', 'l');
    case 121: return SetBytes(hi, lo, ',', ',');
    case 139: return SetBytes(hi, lo, 0xA5, 0);
    case 151: return SetBytes(hi, lo, 0x81, 0x5D);
    case 152: return SetBytes(hi, lo, 'c', 0);
    case 154: return SetBytes(hi, lo, 'R', 0);
    case 155: return SetBytes(hi, lo, 0x81, 0x4B);
    case 156: return SetBytes(hi, lo, 0x81, 0x7D);
    case 215: return SetBytes(hi, lo, 0x81, 0x80);
    default: return SetBytes(hi, lo, '?', 0);
  }
}

}  // namespace

void BuildCidSjisTables(std::int32_t* cidBreaks, std::uint32_t* sjisBreaks, std::uint8_t* symbols) {
  std::memset(cidBreaks, 0, sizeof(std::int32_t) * kCidBreakRows);
  std::memset(sjisBreaks, 0, sizeof(std::uint32_t) * kCidBreakRows);
  std::memcpy(symbols, kSymbols, sizeof kSymbols);
  int r = 1;
  for (const Row& row : kHeadRows) {
    cidBreaks[r] = row.id;
    sjisBreaks[r++] = row.code;
  }
  // The kanji rows: each lead byte a row for trail bytes from 0x40 and one
  // from 0x80; level 2 starts at 4184 (0x9940), lead 0xE0 at 5500.
  int i = 28;
  std::int32_t id = 1219;
  std::uint32_t code = 0x8940;
  while (i < 94) {
    if (i == 58) i = 59;
    cidBreaks[i + 1] = id + 63;
    sjisBreaks[i + 1] = code + 0x40;
    id += 188;
    code += 0x100;
    i += 2;
    if (i == 75) {
      id = 5500;
      code = 0xE040;
    } else if (i == 61) {
      id = 4184;
      code = 0x9940;
    }
    cidBreaks[i] = id;
    sjisBreaks[i] = code;
  }
  cidBreaks[59] = 4090;
  sjisBreaks[59] = 0x989F;
  cidBreaks[60] = 4102;
  sjisBreaks[60] = 0x98AB;
  cidBreaks[61] = 4184;
  sjisBreaks[61] = 0x9940;
  r = 96;
  for (const Row& row : kTailRows) {
    cidBreaks[r] = row.id;
    sjisBreaks[r++] = row.code;
  }
  int last = r - 1;
  for (const Row& row : kAddedRows) InsertRow(cidBreaks, sjisBreaks, &last, row);
}

const CidSjisTables& CidTables() {
  static const CidSjisTables tables = [] {
    CidSjisTables t{};
    BuildCidSjisTables(t.m_anCidBreak, t.m_anSjisBreak, t.m_abCidSymbol);
    return t;
  }();
  return tables;
}

void CidToSjis(std::uint8_t* hi, std::uint8_t* lo, const std::int32_t* cidBreaks, const std::uint32_t* sjisBreaks,
               const std::uint8_t* symbols) {
  const int id = *hi * 256 + *lo;
  if (id == 0) return SetBytes(hi, lo, ' ', 0);
  if (id <= 96) return SetBytes(hi, lo, static_cast<unsigned>(id + 31), 0);
  if (id <= 229) {
    if (id >= 98 && id <= 138 && symbols[id - 98] != 0) return SetBytes(hi, lo, 0x81, symbols[id - 98]);
    return OtherSymbol(id, hi, lo);
  }
  if (id <= 326) return SetBytes(hi, lo, static_cast<unsigned>(id + 0x39), 0);
  if (id <= 389) return SetBytes(hi, lo, static_cast<unsigned>(id + 0x5A), 0);
  if (id <= 421) {
    *lo = 0;
    return;
  }
  if (id <= 7957) {
    // The tilde and the overline, which the code page writes as one byte
    // (the overline has no form of its own).
    if (id == 631) return SetBytes(hi, lo, '~', 0);
    if (id == 632) return SetBytes(hi, lo, '?', 0);
    for (int j = 1; j < kCidBreakRows; ++j) {
      if (cidBreaks[j] > id) {
        const std::uint32_t c = sjisBreaks[j - 1] + static_cast<std::uint32_t>(id - cidBreaks[j - 1]);
        return SetBytes(hi, lo, c >> 8, c);
      }
    }
    return;  // no row above the id: the bytes stay
  }
  if (id >= 8359 && id <= 8393) return SetBytes(hi, lo, 0xFA, static_cast<unsigned>(id - 75));
  if (id >= 8394 && id <= 8517) return SetBytes(hi, lo, 0xFA, static_cast<unsigned>(id - 74));
  if (id >= 8518 && id <= 8580) return SetBytes(hi, lo, 0xFB, static_cast<unsigned>(id - 6));
  if (id >= 8581 && id <= 8705) return SetBytes(hi, lo, 0xFB, static_cast<unsigned>(id - 5));
  if (id >= 8706 && id <= 8718) return SetBytes(hi, lo, 0xFC, static_cast<unsigned>(id + 62));
  if (*hi >= 32 && *hi <= 127) {
    *lo = 0;
    return;
  }
  SetBytes(hi, lo, 0x81, 0xA1);
}

void CidToSjis(std::uint8_t* hi, std::uint8_t* lo) {
  const CidSjisTables& t = CidTables();
  CidToSjis(hi, lo, t.m_anCidBreak, t.m_anSjisBreak, t.m_abCidSymbol);
}

}  // namespace textcodec
