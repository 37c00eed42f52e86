#include "convert/latin1.h"

namespace convert {
namespace {

// 0x80-0xBF: the Windows-1252 signs and the Latin-1 symbols.
constexpr char kSymbols[] =
    "C ,f\".+#^%S<C Z  ''\"\"*--~@s>c z"
    "Y icLo\\|S\"Ca< -R~`+23'uq*,10>   ?";
// 0xC0-0xFF: the accented letters, by their base letter.
constexpr char kLetters[] = "AAAAAAACEEEEIIIIDNOOOOOXOUUUUYTsaaaaaaaceeeeiiiidnooooo/ouuuuyty";

static_assert(sizeof kSymbols == 65 && sizeof kLetters == 65, "two tables of 64 bytes");

}  // namespace

unsigned char TransliterateLatin1(unsigned char c) {
  if (c >= 0xC0) return static_cast<unsigned char>(kLetters[c - 0xC0]);
  if (c >= 0x80) return static_cast<unsigned char>(kSymbols[c - 0x80]);
  switch (c) {
    case 0x13: return '#';
    case 0x14: return '[';
    case 0x15: return ']';
    case 0x0B: return 0x0D;
    default: break;
  }
  if (c >= 0x02 && c <= 0x06) return '\'';
  return c;
}

}  // namespace convert
