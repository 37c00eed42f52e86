// The one output writer of the table operations: a heap buffer that grows
// before each write or refuses it, with 64-bit checked sizes. An operation
// builds its whole result in one and swaps it into the table only when every
// write succeeded (InstallInto), so a failure leaves the table as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "csv/csv_table.h"

namespace csv {

class OutWriter {
 public:
  // Largest content a writer holds: the table's 32-bit length, with room
  // for the NUL and the margin of the install.
  static constexpr std::uint64_t kMaxBytes = 0xFFFFFFFFull - 0x10000;

  OutWriter() = default;
  ~OutWriter();
  OutWriter(const OutWriter&) = delete;
  OutWriter& operator=(const OutWriter&) = delete;

  // Makes room for `bytes` of content at once (the sizing of a known
  // result). False when memory is short or the size is too large.
  bool Reserve(std::uint64_t bytes);

  // Appends; false (nothing written, the writer marked failed) when the
  // buffer cannot grow. Once failed, every later write fails too.
  bool Put(const void* bytes, std::size_t n);
  bool Put(const std::string& s) { return Put(s.data(), s.size()); }
  bool PutByte(std::uint8_t b);
  bool PutCrLf() { return Put("\r\n", 2); }
  // `count` copies of byte b.
  bool PutRepeat(std::uint8_t b, std::uint64_t count);

  bool Failed() const { return m_failed; }
  // The failure was a size past kMaxBytes, not a memory shortage.
  bool TooLarge() const { return m_tooLarge; }
  std::uint32_t Length() const { return static_cast<std::uint32_t>(m_len); }
  const std::uint8_t* Data() const { return m_buf; }
  std::uint8_t LastByte() const { return m_len ? m_buf[m_len - 1] : 0; }
  // Takes back the last `n` bytes (n at most the length).
  void Drop(std::size_t n) { m_len -= n < m_len ? n : m_len; }

  // Hands the content to `table` as its new buffer (capacity content + NUL
  // + margin) and frees the old one. The index is not rebuilt. False when
  // the writer failed or the final size cannot be had; the table is then
  // unchanged.
  bool InstallInto(Table& table, std::uint32_t margin);

 private:
  bool Grow(std::uint64_t need);
  std::uint8_t* m_buf = nullptr;
  std::uint64_t m_len = 0, m_cap = 0;
  bool m_failed = false;
  bool m_tooLarge = false;
};

// Content of `table` as the operations read it: the used bytes up to the
// first NUL.
std::uint32_t ContentLength(const Table& table);

}  // namespace csv
