// Character ids of Japanese PDF fonts (the Adobe-Japan1 collection) to
// Shift-JIS, through a table of break rows: each row gives the first id of a
// run of ids whose Shift-JIS codes follow one another, and that run's first
// code.
#pragma once

#include <cstdint>

namespace textcodec {

constexpr int kCidBreakRows = 256;   // rows 0 .. kCidBreakRows - 1; unused rows stay 0
constexpr int kCidSymbolCount = 41;  // the symbol bytes of ids 98-138

struct CidSjisTables {
  std::int32_t m_anCidBreak[kCidBreakRows];
  std::uint32_t m_anSjisBreak[kCidBreakRows];
  std::uint8_t m_abCidSymbol[kCidSymbolCount];
};

// Fills the three tables (the break ids, their codes, and the second bytes
// after 0x81 of ids 98-138).
void BuildCidSjisTables(std::int32_t* cidBreaks, std::uint32_t* sjisBreaks, std::uint8_t* symbols);

// The one table object, built on first use (thread-safe) and never changed.
const CidSjisTables& CidTables();

// The id *hi * 256 + *lo becomes a Shift-JIS character in place: *hi the
// first byte, *lo the second (0 for a single-byte result). Ids the tables
// do not know give '?' or 0x81 0xA1. Reads at most kCidBreakRows rows and
// writes only the two bytes.
void CidToSjis(std::uint8_t* hi, std::uint8_t* lo, const std::int32_t* cidBreaks, const std::uint32_t* sjisBreaks,
               const std::uint8_t* symbols);
// The same through CidTables().
void CidToSjis(std::uint8_t* hi, std::uint8_t* lo);

}  // namespace textcodec
