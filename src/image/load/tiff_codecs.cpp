#include "image/load/tiff_codecs.h"

namespace img {

uint64_t PackBitsDecode(const uint8_t* data, uint64_t length, uint64_t outMax, std::vector<uint8_t>* out) {
  const uint64_t start = out->size();
  uint64_t pos = 0;
  while (pos < length && out->size() - start < outMax) {
    const int n = int8_t(data[pos++]);
    const uint64_t room = outMax - (out->size() - start);
    if (n >= 0) {
      uint64_t take = uint64_t(n) + 1;
      if (take > length - pos) take = length - pos;
      if (take > room) take = room;
      out->insert(out->end(), data + pos, data + pos + take);
      pos += uint64_t(n) + 1;
    } else if (n != -128) {
      if (pos >= length) break;
      uint64_t count = uint64_t(1 - n);
      if (count > room) count = room;
      out->insert(out->end(), count, data[pos++]);
    }
  }
  return out->size() - start;
}

}  // namespace img
