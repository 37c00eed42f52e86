// Half-width katakana.
#include "csv/csv_katakana.h"

namespace csv {
namespace {

// Two decimal digits per second byte 0x40..0x96: d 87-91 a semi-voiced
// letter (d + 57203), other d above 71 a voiced letter (d + 56942), else the
// one byte 0xA0 + d.
constexpr char kDigits[] =
    "0717081809191020112122722373247425752676277728782979308031813282"
    "3383153484358536863738394041429287439388449489459590469691474800"
    "4950511252135314545556575859606018200661002124";

constexpr int kVu = 0x94;

}  // namespace

int KatakanaToHalfWidth(int secondByte) {
  if (secondByte < 0x40 || secondByte > 0x96) return -1;
  if (secondByte == kVu) return 0xDEB3;  // ｳ and the voiced mark
  const int at = 2 * (secondByte - 64);
  const int d = (kDigits[at] - '0') * 10 + (kDigits[at + 1] - '0');
  if (d >= 87 && d <= 91) return d + 57203;
  if (d > 71) return d + 56942;
  return d + 160;
}

}  // namespace csv
