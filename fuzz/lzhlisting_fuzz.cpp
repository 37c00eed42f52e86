// The LZH listing over any bytes: the walk ends, the text starts with the
// title and ends with the totals, and stops near its limit.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "convert/archive_listing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::int64_t outdata = 200 + data[0] * 40;
  convert::MemorySource file(data + 1, size - 1);
  convert::LoadBuffer out;
  convert::ListLzhArchive(file, outdata, out);
  if (out.Size() > out.Capacity()) __builtin_trap();
  if (std::strncmp(out.Data(), "LZH File\r\n", 10) != 0) __builtin_trap();
  if (out.Size() < 12 || std::strcmp(out.Data() + out.Size() - 11, "files Total") != 0) __builtin_trap();
  // A member line holds at most two parts of a 512-byte window.
  if (static_cast<std::int64_t>(out.Size()) > outdata + 1200 + 400) __builtin_trap();
  return 0;
}
