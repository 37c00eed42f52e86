// The ZIP listing over any bytes: the walk ends, every line comes between
// the title and the totals, and the text stops near its limit (the line that
// reaches it is the last, and a member line is bounded by its 999-byte name).
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "convert/archive_listing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::int64_t outdata = 200 + data[0] * 40;
  convert::MemorySource file(data + 1, size - 1);
  convert::LoadBuffer out;
  convert::ListZipArchive(file, outdata, out);
  if (out.Size() > out.Capacity() || std::strlen(out.Data()) > out.Size()) __builtin_trap();
  if (std::strncmp(out.Data(), "ZIP File\r\n", 10) != 0) __builtin_trap();
  if (out.Size() < 12 || std::strcmp(out.Data() + out.Size() - 11, "files Total") != 0) __builtin_trap();
  if (static_cast<std::int64_t>(out.Size()) > outdata + 1200 + 400) __builtin_trap();
  return 0;
}
