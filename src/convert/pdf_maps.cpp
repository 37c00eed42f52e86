// Display bytes of single-byte PDF font codes and of symbol code points that
// code page 932 does not hold.
#include "convert/pdf_converter.h"

namespace convert {

void PdfConverter::PdfMapSimpleFontByte(std::uint8_t* byte, std::uint8_t* lead) {
  const std::uint8_t b = *byte;
  std::uint8_t out = b;
  std::uint8_t before = ' ';
  switch (b) {
    case 150: case 151: case 190: case 208: out = '-'; break;
    case 149: case 165: case 180: case 183: out = 0xA5; break;
    case 147: case 148: case 211: out = '"'; break;
    case 145: case 146: case 213: out = '\''; break;
    case 142: out = 'e'; break;
    case 162: out = '`'; break;
    case 186: case 201: out = 0xDF; break;
    case 133: out = '.'; break;
    case 167: before = 0x81; out = 0x98; break;
    case 168: before = '('; out = 'R'; break;
    case 157: case 169: case 227: before = '('; out = 'C'; break;
    case 153: case 170: before = '('; out = 'T'; break;
    case 11: before = 'f'; out = 'f'; break;
    case 12: before = 'f'; out = 'i'; break;
    case 13: before = 'f'; out = 'l'; break;
    case 14: case 15: before = 14; out = 'i'; break;
    default:
      if (b < 32) {
        out = static_cast<std::uint8_t>(b + 0x60);
      } else if (b > 127 && !(b >= 160 && b <= 223)) {
        out = 0xB7;
      }
      break;
  }
  *byte = out;
  if (lead) *lead = before;
}

int PdfConverter::PdfMapUnicodeSymbol(std::uint32_t cp, std::uint8_t* first, std::uint8_t* second) {
  struct Row {
    std::uint32_t cp;
    std::uint8_t b1, b2;
  };
  static const Row kRows[] = {
      {0x2014, 0x81, 0x5C}, {0x2022, 0x81, 0x45}, {0x22C5, 0x81, 0x45}, {0x2126, 0x83, 0xB6},
      {0x2264, 0x81, 0x85}, {0x2265, 0x81, 0x86}, {0x25CA, 0x81, 0x9E}, {0x2611, 0x83, 0x8C},
      {0x2714, 0x83, 0x8C}, {0x2666, 0x81, 0x9F}, {0x2217, 0x81, 0x96}, {0x21D0, 0x81, 0xA9},
      {0x21D1, 0x81, 0xAA}, {0x21D3, 0x81, 0xAB}, {0x2194, 0x81, 0xCC}, {0x220F, 0x84, 0x81},
      {0x03D5, 0x83, 0xB3}, {0xFB01, 'f', 'i'},   {0xFB02, 'f', 'l'},
  };
  *second = 0;
  if ((cp >= 0x2000 && cp <= 0x200F) || (cp >= 0x2800 && cp <= 0x28FF)) {
    *first = ' ';
    return 1;
  }
  if (cp == 0x2013 || cp == 0x2212) {
    *first = '-';
    return 1;
  }
  for (const Row& r : kRows) {
    if (r.cp == cp) {
      *first = r.b1;
      *second = r.b2;
      return 2;
    }
  }
  if (cp >= 0xE000 && cp <= 0xF8FF) {
    *first = 0x81;
    *second = 0xA0;
    return 2;
  }
  *first = 0x81;
  *second = 0xA1;
  return 2;
}

}  // namespace convert
