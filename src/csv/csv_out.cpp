// The table operations' output writer.
#include "csv/csv_out.h"

#include <cstring>

#include "fw/alloc.h"

namespace csv {

OutWriter::~OutWriter() { fw::Free(m_buf); }

bool OutWriter::Grow(std::uint64_t need) {
  if (m_failed) return false;
  if (need <= m_cap) return true;
  if (need > kMaxBytes) {
    m_failed = m_tooLarge = true;
    return false;
  }
  std::uint64_t want = m_cap + m_cap / 2;
  if (want < need) want = need;
  if (want < 256) want = 256;
  if (want > kMaxBytes) want = kMaxBytes;
  void* p = fw::Realloc(m_buf, static_cast<std::size_t>(want));
  if (!p) {
    m_failed = true;
    return false;
  }
  m_buf = static_cast<std::uint8_t*>(p);
  m_cap = want;
  return true;
}

bool OutWriter::Reserve(std::uint64_t bytes) {
  if (m_failed) return false;
  if (bytes > kMaxBytes) {
    m_failed = m_tooLarge = true;
    return false;
  }
  return Grow(bytes);
}

bool OutWriter::Put(const void* bytes, std::size_t n) {
  if (m_failed) return false;
  if (n == 0) return true;
  if (!Grow(m_len + n)) return false;
  std::memcpy(m_buf + m_len, bytes, n);
  m_len += n;
  return true;
}

bool OutWriter::PutByte(std::uint8_t b) {
  if (m_len < m_cap && !m_failed) {
    m_buf[m_len++] = b;
    return true;
  }
  return Put(&b, 1);
}

bool OutWriter::PutRepeat(std::uint8_t b, std::uint64_t count) {
  if (m_failed) return false;
  if (count == 0) return true;
  if (count > kMaxBytes) m_tooLarge = true;
  if (count > kMaxBytes || !Grow(m_len + count)) {
    m_failed = true;
    return false;
  }
  std::memset(m_buf + m_len, b, static_cast<std::size_t>(count));
  m_len += count;
  return true;
}

bool OutWriter::InstallInto(Table& table, std::uint32_t margin) {
  if (m_failed) return false;
  const std::uint64_t size = m_len + 1 + margin;
  if (size > 0xFFFFFFFFull) return false;
  void* p = fw::Realloc(m_buf, static_cast<std::size_t>(size));
  if (!p) return false;
  m_buf = static_cast<std::uint8_t*>(p);
  m_buf[m_len] = 0;
  fw::Free(table.m_pTextBuf);
  table.m_pTextBuf = m_buf;
  table.m_nWorkSize = static_cast<std::uint32_t>(size);
  table.m_nTextLen = static_cast<std::uint32_t>(m_len);
  m_buf = nullptr;
  m_len = m_cap = 0;
  return true;
}

std::uint32_t ContentLength(const Table& table) {
  const std::uint32_t n = table.UsedLength();
  if (!table.m_pTextBuf) return 0;
  const void* nul = std::memchr(table.m_pTextBuf, 0, n);
  return nul ? static_cast<std::uint32_t>(static_cast<const std::uint8_t*>(nul) - table.m_pTextBuf) : n;
}

}  // namespace csv
