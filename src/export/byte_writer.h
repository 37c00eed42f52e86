// The growing byte buffer every export part is built in. Appends never fail
// loudly: when memory runs out while growing, the buffer keeps what it held,
// ignores every later append and reports Failed(); the caller turns that into
// the memory-shortage message (code 155) and -1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace exportcore {

// A Shift-JIS trail byte (0x40-0x7E, 0x80-0xFC).
inline bool IsSjisTrail(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

// Bytes of the character at p[i] (i < n) when text is copied: 2 only when a
// CP932 lead byte is followed by a trail byte, else 1. A lead byte before a
// byte that cannot follow it stands alone, so the next byte gets its own
// rules (a stray 0x81 never carries a '<' or a control byte with it).
std::size_t SjisPairLength(const char* p, std::size_t i, std::size_t n);

class ByteWriter {
 public:
  ByteWriter() = default;
  ~ByteWriter();
  ByteWriter(const ByteWriter&) = delete;
  ByteWriter& operator=(const ByteWriter&) = delete;
  ByteWriter(ByteWriter&& other) noexcept;
  ByteWriter& operator=(ByteWriter&& other) noexcept;

  // Makes room for `capacity` bytes in all; false (and Failed()) when that
  // much memory cannot be had. A capacity that does not fit size_t fails.
  bool Reserve(std::uint64_t capacity);
  // As Reserve, but a refusal leaves the buffer usable (not Failed()), for a
  // writer that can stop early and still close its part.
  bool TryReserve(std::uint64_t capacity) {
    if (m_failed) return false;
    if (Reserve(capacity)) return true;
    m_failed = false;
    return false;
  }

  // The appends of the cell writers run per byte and per cell: the common
  // case (room left) stays inline, growing goes out of line.
  void Append(const char* bytes, std::size_t len) {
    if (!m_failed && len <= m_capacity - m_size) {
      if (len != 0) std::memcpy(m_data + m_size, bytes, len);
      m_size += len;
      return;
    }
    AppendGrowing(bytes, len);
  }
  void Append(const char* text) { Append(text, std::strlen(text)); }  // up to its NUL
  void AppendByte(char c) {
    if (!m_failed && m_size < m_capacity) {
      m_data[m_size++] = c;
      return;
    }
    AppendGrowing(&c, 1);
  }
  void AppendDecimal(long long value);
  // printf-style append of one formatted item.
  void AppendFormat(const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
      ;

  // Appends text with '&', '"', '<' and '>' escaped, in this order of
  // replacement ("&amp;", "&quot;", "&lt;", "&gt;"); double-byte characters
  // are copied whole (SjisPairLength), so a trail byte is never escaped.
  void AppendEscaped(const char* bytes, std::size_t len);
  void AppendEscaped(const char* text);

  // Copies text unescaped, keeping double-byte characters whole: the copy
  // stops before a lead byte whose trail byte lies past `len`.
  void AppendSjis(const char* bytes, std::size_t len);

  const char* Data() const { return m_data ? m_data : ""; }
  std::size_t Size() const { return m_size; }
  std::size_t Capacity() const { return m_capacity; }
  bool Failed() const { return m_failed; }

  // Empties the buffer for the next part; the memory and a failure stay.
  void Clear() { m_size = 0; }
  // Back to a shorter length (never longer).
  void Truncate(std::size_t size) {
    if (size < m_size) m_size = size;
  }
  // Frees the memory and forgets a failure.
  void Release();

 private:
  bool Grow(std::size_t extra);
  void AppendGrowing(const char* bytes, std::size_t len);

  char* m_data = nullptr;
  std::size_t m_size = 0;
  std::size_t m_capacity = 0;
  bool m_failed = false;
};

}  // namespace exportcore
