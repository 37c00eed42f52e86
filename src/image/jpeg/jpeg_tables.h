// Fixed tables of the JPEG codec: the zigzag order, the encoder's three
// quantisation table sets and the standard Huffman tables (as ready-made DHT
// segments and as code tables indexed the way the encoder looks them up).
#pragma once

#include <cstdint>

namespace jpeg {

// Zigzag position -> natural (row-major) index.
extern const uint8_t kZigzag[64];

// Quantisation tables in natural order: [set 0..2][0 luminance, 1 chrominance].
// Set 0 is quality level 1 (coarsest), set 2 every level other than 1 and 2.
extern const uint8_t kQuantTables[3][2][64];
int QuantSetForLevel(int level);

// Whole DHT segments, marker included: luminance DC, chrominance DC,
// luminance AC, chrominance AC.
struct DhtSegment {
  const uint8_t* bytes;
  int size;
};
extern const DhtSegment kStandardDht[4];

// Code table of one standard Huffman table, indexed as the encoder looks
// codes up: DC by category (12 entries); AC by 10*run + size (+1 for run
// 15), 0 = EOB, 151 = ZRL (162 entries).
struct HuffCodeTable {
  int count;
  uint8_t length[162];
  uint16_t code[162];
};
// [0] luminance DC, [1] chrominance DC, [2] luminance AC, [3] chrominance AC.
const HuffCodeTable& StandardCodeTable(int which);

}  // namespace jpeg
