// The "-lh5-" encoder of the LZH library stand-in: any bytes encoded, then
// decoded by the own "-lh5-" decoder, must give the input back exactly, and
// the CRC-16 must agree.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>

#include "archive/arc_bits.h"
#include "archive/arc_crc.h"
#include "archive/lzh_decoder.h"
#include "archive/lzh_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> packed = arc::EncodeLh5(data, size);
  std::string bytes(packed.begin(), packed.end());
  std::istringstream in(bytes);
  arc::ArcBitReader r(in);
  std::ostringstream out;
  arc::LzhCrc16 sink(out, static_cast<int64_t>(size));
  arc::LzhDecoder dec(r);
  arc::LzhDecoder::Decode(dec, sink);
  std::string back = out.str();
  if (back.size() != size || (size && back.compare(0, size, reinterpret_cast<const char*>(data), size) != 0)) {
    std::fprintf(stderr, "round trip differs: %zu bytes in, %zu back\n", size, back.size());
    __builtin_trap();
  }
  if (sink.Crc() != arc::Crc16Update(0, data, size)) __builtin_trap();
  return 0;
}
