// zlib as the yardstick of the Deflate fuzz targets: raw Deflate (no zlib or
// gzip wrapper) decoded in one call sequence, output capped.
#pragma once

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fuzzsupport {

struct ZlibResult {
  enum Kind { kOk, kRejected, kTooLong } kind = kRejected;
  std::vector<uint8_t> out;
  std::string msg;  // zlib's own text when rejected
};

// Inflates raw Deflate data until the final block ends. Input that ends
// before it counts as rejected ("truncated"); output beyond cap is kTooLong.
inline ZlibResult ZlibInflateRaw(const uint8_t* data, size_t size, size_t cap) {
  ZlibResult res;
  z_stream zs{};
  if (inflateInit2(&zs, -15) != Z_OK) return res;
  zs.next_in = const_cast<Bytef*>(data);
  zs.avail_in = static_cast<uInt>(size);
  // One buffer for every run: clearing megabytes per input would dominate.
  static std::vector<uint8_t> space;
  if (space.size() < cap + 1) space.resize(cap + 1);
  zs.next_out = space.data();
  zs.avail_out = static_cast<uInt>(cap + 1);
  int rc = inflate(&zs, Z_FINISH);
  if (rc == Z_STREAM_END) {
    res.kind = zs.total_out > cap ? ZlibResult::kTooLong : ZlibResult::kOk;
  } else if (zs.avail_out == 0) {
    res.kind = ZlibResult::kTooLong;
  } else {
    res.kind = ZlibResult::kRejected;
    res.msg = zs.msg ? zs.msg : "truncated";
  }
  res.out.assign(space.data(), space.data() + zs.total_out);
  inflateEnd(&zs);
  return res;
}

}  // namespace fuzzsupport
