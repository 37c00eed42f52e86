#include "export/colors.h"

namespace exportcore {
namespace {

struct HexEntry {
  char letter;
  const char* hex;
};

constexpr HexEntry kShapeHex[] = {
    {'R', "FF0000"}, {'G', "00A000"}, {'B', "0000FF"}, {'T', "600000"}, {'Y', "D0C000"}, {'O', "FF8000"},
    {'S', "0080FF"}, {'I', "FF00FF"}, {'V', "8000C0"}, {'A', "808080"}, {'W', "FFFFFF"}, {'D', "000000"},
    {'r', "FFC0C0"}, {'g', "C0FFC0"}, {'b', "C0C0FF"}, {'t', "E0C080"}, {'y', "FFFFC0"}, {'o', "FFE0C0"},
    {'s', "C0FFFF"}, {'i', "FFC0FF"}, {'v', "E0C0FF"}, {'a', "C0C0C0"}, {'w', "FFFFFF"},
};

struct IndexEntry {
  char letter;
  int index;
};

constexpr IndexEntry kShapeIndex[] = {
    {'R', 12}, {'G', 2}, {'B', 3}, {'T', 4}, {'Y', 5}, {'O', 6}, {'S', 7},
    {'I', 8},  {'V', 9}, {'A', 10}, {'D', 11}, {'W', 13}, {'C', 14},
};

}  // namespace

const char* XlsxShapeColorHex(char letter) {
  for (const HexEntry& e : kShapeHex)
    if (e.letter == letter) return e.hex;
  return "000000";
}

int XlsxShapeColorIndex(char letter) {
  unsigned char c = static_cast<unsigned char>(letter);
  if (c >= 'a') c = static_cast<unsigned char>(c - 32);
  for (const IndexEntry& e : kShapeIndex)
    if (static_cast<unsigned char>(e.letter) == c) return e.index;
  return 0;
}

}  // namespace exportcore
