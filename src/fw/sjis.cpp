#include "fw/sjis.h"

namespace fw {

bool IsSjisLeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

int SjisCharLength(const char* text, int len, int pos) {
  if (pos < 0 || pos >= len) return 0;
  if (IsSjisLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < len) return 2;
  return 1;
}

}  // namespace fw
