#include "export/byte_writer.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>
#include <utility>

#include "fw/alloc.h"
#include "fw/sjis.h"

namespace exportcore {

std::size_t SjisPairLength(const char* p, std::size_t i, std::size_t n) {
  if (i + 1 < n && fw::IsSjisLeadByte(static_cast<unsigned char>(p[i])) &&
      IsSjisTrail(static_cast<unsigned char>(p[i + 1])))
    return 2;
  return 1;
}

ByteWriter::~ByteWriter() { fw::Free(m_data); }

ByteWriter::ByteWriter(ByteWriter&& other) noexcept
    : m_data(other.m_data), m_size(other.m_size), m_capacity(other.m_capacity), m_failed(other.m_failed) {
  other.m_data = nullptr;
  other.m_size = other.m_capacity = 0;
  other.m_failed = false;
}

ByteWriter& ByteWriter::operator=(ByteWriter&& other) noexcept {
  if (this != &other) {
    fw::Free(m_data);
    m_data = std::exchange(other.m_data, nullptr);
    m_size = std::exchange(other.m_size, 0);
    m_capacity = std::exchange(other.m_capacity, 0);
    m_failed = std::exchange(other.m_failed, false);
  }
  return *this;
}

void ByteWriter::Release() {
  fw::Free(m_data);
  m_data = nullptr;
  m_size = m_capacity = 0;
  m_failed = false;
}

bool ByteWriter::Reserve(std::uint64_t capacity) {
  if (m_failed) return false;
  if (capacity <= m_capacity) return true;
  if (capacity > std::numeric_limits<std::size_t>::max() / 2) {
    m_failed = true;
    return false;
  }
  void* p = fw::Realloc(m_data, static_cast<std::size_t>(capacity));
  if (!p) {
    m_failed = true;
    return false;
  }
  m_data = static_cast<char*>(p);
  m_capacity = static_cast<std::size_t>(capacity);
  return true;
}

bool ByteWriter::Grow(std::size_t extra) {
  if (m_failed) return false;
  if (extra <= m_capacity - m_size) return true;
  if (extra > std::numeric_limits<std::size_t>::max() / 4 - m_size) {
    m_failed = true;
    return false;
  }
  std::size_t want = m_size + extra;
  std::size_t next = m_capacity < 4096 ? 4096 : m_capacity;
  while (next < want) next *= 2;
  return Reserve(next);
}

void ByteWriter::AppendGrowing(const char* bytes, std::size_t len) {
  if (len == 0 || !Grow(len)) return;
  std::memcpy(m_data + m_size, bytes, len);
  m_size += len;
}

void ByteWriter::AppendDecimal(long long value) {
  // The digits from the end, as "%lld" writes them (the magnitude in
  // unsigned arithmetic, so the most negative value needs no special case).
  char digits[24];
  char* end = digits + sizeof digits;
  char* p = end;
  unsigned long long m = value < 0 ? 0ull - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
  do {
    *--p = static_cast<char>('0' + m % 10);
    m /= 10;
  } while (m != 0);
  if (value < 0) *--p = '-';
  Append(p, static_cast<std::size_t>(end - p));
}

void ByteWriter::AppendFormat(const char* format, ...) {
  char small[256];
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(small, sizeof small, format, args);
  va_end(args);
  if (n < 0) return;
  if (static_cast<std::size_t>(n) < sizeof small) {
    Append(small, static_cast<std::size_t>(n));
    return;
  }
  if (!Grow(static_cast<std::size_t>(n) + 1)) return;
  va_start(args, format);
  std::vsnprintf(m_data + m_size, static_cast<std::size_t>(n) + 1, format, args);
  va_end(args);
  m_size += static_cast<std::size_t>(n);
}

void ByteWriter::AppendEscaped(const char* bytes, std::size_t len) {
  std::size_t i = 0;
  while (i < len && !m_failed) {
    std::size_t k = SjisPairLength(bytes, i, len);
    if (k == 2) {
      Append(bytes + i, 2);
    } else {
      switch (bytes[i]) {
        case '&': Append("&amp;", 5); break;
        case '"': Append("&quot;", 6); break;
        case '<': Append("&lt;", 4); break;
        case '>': Append("&gt;", 4); break;
        default: AppendByte(bytes[i]); break;
      }
    }
    i += k;
  }
}

void ByteWriter::AppendEscaped(const char* text) { AppendEscaped(text, std::strlen(text)); }

void ByteWriter::AppendSjis(const char* bytes, std::size_t len) {
  std::size_t i = 0;
  while (i < len) {
    if (i + 1 == len && fw::IsSjisLeadByte(static_cast<unsigned char>(bytes[i]))) break;
    i += SjisPairLength(bytes, i, len);
  }
  Append(bytes, i);
}

}  // namespace exportcore
