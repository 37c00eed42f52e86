#include "archive/deflate_tables.h"

#include "archive/arc_error.h"

namespace arc {

const uint8_t kCodeLengthOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

namespace {

DeflateTables Make() {
  DeflateTables t{};
  int base = 3;
  for (int i = 0; i < 28; ++i) {
    int extra = i < 8 ? 0 : (i - 4) / 4;
    t.lenBase[i] = static_cast<uint16_t>(base);
    t.lenExtra[i] = static_cast<uint8_t>(extra);
    for (int k = 0; k < (1 << extra) && base + k <= 258; ++k) t.lenCode[base + k - 3] = static_cast<uint8_t>(i);
    base += 1 << extra;
  }
  t.lenBase[28] = 258;
  t.lenExtra[28] = 0;
  t.lenCode[255] = 28;
  int dist = 1, direct = 0;
  for (int c = 0; c < 30; ++c) {
    int extra = c < 4 ? 0 : (c - 2) / 2;
    t.distBase[c] = static_cast<uint16_t>(dist);
    t.distExtra[c] = static_cast<uint8_t>(extra);
    for (int k = 0; k < (1 << extra); ++k) {
      int d = dist - 1 + k;
      if (d < 256) {
        t.distCode[d] = static_cast<uint8_t>(c);
        ++direct;
      } else {
        t.distCode[256 + (d >> 7)] = static_cast<uint8_t>(c);
      }
    }
    dist += 1 << extra;
  }
  if (direct != 256) Fail("016");
  return t;
}

}  // namespace

const DeflateTables& GetDeflateTables() {
  static const DeflateTables tables = Make();
  return tables;
}

int LengthCodeIndex(int length) {
  if (length < 3) Fail("033");
  if (length > 258) Fail("034");
  return GetDeflateTables().lenCode[length - 3];
}

int DistanceCode(int distance) {
  if (distance < 1) Fail("037");
  if (distance > 32768) Fail("038");
  int d = distance - 1;
  const DeflateTables& t = GetDeflateTables();
  return d < 256 ? t.distCode[d] : t.distCode[256 + (d >> 7)];
}

}  // namespace arc
