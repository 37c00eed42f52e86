#include "csv/csv_sortkey.h"

#include <cstring>

#include "core/docsvc/sjis_state.h"
#include "csv/csv_cellnumber.h"

namespace csv {
namespace {

constexpr int kBracketGroupMax = 20;

bool EndsKey(std::uint8_t c) { return c == 0x06 || c == '\r' || c == '\n' || c == 0; }

bool At(const std::uint8_t* p, const std::uint8_t* end, std::uint8_t a, std::uint8_t b) {
  return end - p >= 2 && p[0] == a && p[1] == b;
}

}  // namespace

FieldSpan FindField(const std::uint8_t* row, const std::uint8_t* rowEnd, int column0) {
  const std::uint8_t* p = row;
  for (int k = 0; k < column0; ++k) {
    const void* sep = p < rowEnd ? std::memchr(p, 0x06, static_cast<std::size_t>(rowEnd - p)) : nullptr;
    if (sep == nullptr) return {rowEnd, rowEnd};
    p = static_cast<const std::uint8_t*>(sep) + 1;
  }
  const void* sep = p < rowEnd ? std::memchr(p, 0x06, static_cast<std::size_t>(rowEnd - p)) : nullptr;
  return {p, sep ? static_cast<const std::uint8_t*>(sep) : rowEnd};
}

const std::uint8_t* SkipBracketGroup(const std::uint8_t* begin, const std::uint8_t* end) {
  const std::uint8_t* p = begin;
  if (p < end && *p == '"') ++p;
  const std::uint8_t* open = p;
  if (p < end && *p == '(') {
    ++p;
  } else if (At(p, end, 0x81, 0x69)) {  // "（"
    p += 2;
  } else {
    return begin;
  }
  const std::uint8_t* limit = end - open > kBracketGroupMax ? open + kBracketGroupMax : end;
  const std::uint8_t* close = nullptr;
  while (p < limit && close == nullptr) {
    if (*p == ')') {
      close = p + 1;
    } else if (docsvc::IsSjisLeadByte80(*p)) {
      if (At(p, limit, 0x81, 0x6A)) close = p + 2;  // "）"
      p += 2;
      continue;
    } else if (EndsKey(*p)) {
      break;
    }
    ++p;
  }
  if (close == nullptr) return begin;
  p = close;
  for (;;) {
    if (p < end && *p == ' ')
      ++p;
    else if (At(p, end, 0x81, 0x40))  // the full-width blank
      p += 2;
    else
      break;
  }
  return p;
}

TextKey MakeTextKey(const std::uint8_t* begin, const std::uint8_t* end) {
  const std::uint8_t* p = begin;
  if (p < end && *p == '"') ++p;
  const std::uint8_t* limit = end - p > kSortTextKeyMax ? p + kSortTextKeyMax : end;
  const std::uint8_t* q = p;
  while (q < limit && !EndsKey(*q)) ++q;
  return {p, static_cast<std::uint32_t>(q - p)};
}

std::uint64_t TextKeyPrefix(const TextKey& k) {
  std::uint64_t v = 0;
  for (int i = 0; i < 8; ++i) {
    const std::uint32_t at = static_cast<std::uint32_t>(i);
    const std::uint8_t b = at < k.length ? k.bytes[at] : at == k.length ? 0x06 : 0;
    v = (v << 8) | b;
  }
  return v;
}

int CompareTextKeys(const TextKey& a, const TextKey& b) {
  const std::uint32_t n = a.length < b.length ? a.length : b.length;
  if (n > 0) {
    const int c = std::memcmp(a.bytes, b.bytes, n);
    if (c != 0) return c;
  }
  if (a.length == b.length) return 0;
  // One key is the start of the other: its end (0x06) against the other's
  // next byte, which is never 0x06.
  if (a.length < b.length) return b.bytes[n] > 0x06 ? -1 : 1;
  return a.bytes[n] > 0x06 ? 1 : -1;
}

NumericKey MakeNumericKey(const std::uint8_t* begin, const std::uint8_t* end) {
  const CellNumber n = ReadCellNumber(begin, end);
  if (n.empty) return {0, 0};
  return {static_cast<std::uint64_t>(n.integer) ^ 0x8000000000000000ull,
          static_cast<std::uint32_t>(n.fraction8) ^ 0x80000000u};
}

void NumericKeyBytes(const NumericKey& k, std::uint8_t out[12]) {
  for (int i = 0; i < 8; ++i) out[i] = static_cast<std::uint8_t>(k.high >> (56 - 8 * i));
  for (int i = 0; i < 4; ++i) out[8 + i] = static_cast<std::uint8_t>(k.low >> (24 - 8 * i));
}

}  // namespace csv
