#include "convert/load_buffer.h"

#include <cstdio>
#include <cstring>
#include <limits>

#include "fw/alloc.h"

namespace convert {

LoadBuffer::~LoadBuffer() { fw::Free(m_pLoadBuf); }

bool LoadBuffer::Reserve(std::size_t capacity) {
  if (capacity <= m_nCapacity && m_pLoadBuf) return true;
  if (capacity >= std::numeric_limits<std::size_t>::max() - 1) return false;
  void* block = fw::Realloc(m_pLoadBuf, capacity + 1);
  if (!block) return false;
  m_pLoadBuf = static_cast<char*>(block);
  m_nCapacity = capacity;
  m_pLoadBuf[m_nWritePos] = '\0';
  return true;
}

// Grows geometrically so that a long listing costs few reallocations.
bool LoadBuffer::Grow(std::size_t needed) {
  if (needed > std::numeric_limits<std::size_t>::max() - m_nWritePos) return false;
  std::size_t want = m_nWritePos + needed;
  if (want <= m_nCapacity && m_pLoadBuf) return true;
  std::size_t next = m_nCapacity < 4096 ? 4096 : m_nCapacity;
  while (next < want) {
    if (next > std::numeric_limits<std::size_t>::max() / 2) {
      next = want;
      break;
    }
    next *= 2;
  }
  if (Reserve(next)) return true;
  m_bFailed = true;
  return false;
}

bool LoadBuffer::Append(const void* bytes, std::size_t length) {
  if (!Grow(length)) return false;
  if (length) std::memcpy(m_pLoadBuf + m_nWritePos, bytes, length);
  m_nWritePos += length;
  m_pLoadBuf[m_nWritePos] = '\0';
  return true;
}

bool LoadBuffer::Append(const char* text) { return Append(text, std::strlen(text)); }

bool LoadBuffer::Fill(char byte, std::size_t count) {
  if (!Grow(count)) return false;
  std::memset(m_pLoadBuf + m_nWritePos, byte, count);
  m_nWritePos += count;
  m_pLoadBuf[m_nWritePos] = '\0';
  return true;
}

char* LoadBuffer::Extend(std::size_t length) {
  if (!Grow(length)) return nullptr;
  char* at = m_pLoadBuf + m_nWritePos;
  std::memset(at, 0, length);
  m_nWritePos += length;
  m_pLoadBuf[m_nWritePos] = '\0';
  return at;
}

bool LoadBuffer::VPrintf(const char* format, std::va_list args) {
  std::va_list copy;
  va_copy(copy, args);
  char small[256];
  int n = std::vsnprintf(small, sizeof small, format, copy);
  va_end(copy);
  if (n < 0) return false;
  std::size_t length = static_cast<std::size_t>(n);
  if (length < sizeof small) return Append(small, length);
  if (!Grow(length)) return false;
  std::vsnprintf(m_pLoadBuf + m_nWritePos, length + 1, format, args);
  m_nWritePos += length;
  return true;
}

bool LoadBuffer::Printf(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  bool ok = VPrintf(format, args);
  va_end(args);
  return ok;
}

void LoadBuffer::Truncate(std::size_t length) {
  if (length >= m_nWritePos) return;
  m_nWritePos = length;
  if (m_pLoadBuf) m_pLoadBuf[m_nWritePos] = '\0';
}

}  // namespace convert
