// RFC 1951 length and distance code tables, shared by the Deflate decoder and
// encoder.
#pragma once

#include <cstdint>

namespace arc {

struct DeflateTables {
  // Length symbols 257..285: base length and extra bits (index symbol - 257).
  uint16_t lenBase[29];
  uint8_t lenExtra[29];
  // Distance codes 0..29: base distance and extra bits.
  uint16_t distBase[30];
  uint8_t distExtra[30];
  // Encoder lookups: length code index for length - 3 (0..255), and distance
  // code for distance - 1: direct part for 0..255, then by (distance - 1) >> 7.
  uint8_t lenCode[256];
  uint8_t distCode[512];
};

// The one set of tables (built once; "016" if the direct distance part does
// not come out at exactly 256 entries).
const DeflateTables& GetDeflateTables();

// Encoder lookups with their checks: "033"/"034" for a length outside
// 3..258, "037"/"038" for a distance outside 1..32768.
int LengthCodeIndex(int length);
int DistanceCode(int distance);

// Order in which the code-length code lengths are sent.
extern const uint8_t kCodeLengthOrder[19];

}  // namespace arc
