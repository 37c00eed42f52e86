#include "csv/csv_findinline.h"

#include <cstring>

namespace csv {

std::size_t FindInLine(const char* buf, std::size_t len) {
  if (buf == nullptr || len == 0) return 0;
  const void* nul = std::memchr(buf, 0, len);
  return nul == nullptr ? len : static_cast<std::size_t>(static_cast<const char*>(nul) - buf);
}

}  // namespace csv
