// The renderer's output: the text every reader writes, with its capacity
// known. Appends are bounded and grow the block as needed (through
// fw::Realloc, so a test can make any growth fail); nothing is ever written
// past the capacity. A reader that must stop at a length ("outdata") checks
// m_nWritePos itself, where its format says so.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>

namespace convert {

class LoadBuffer {
 public:
  LoadBuffer() = default;
  ~LoadBuffer();
  LoadBuffer(const LoadBuffer&) = delete;
  LoadBuffer& operator=(const LoadBuffer&) = delete;

  // Makes room for `capacity` bytes plus the final NUL; false when memory is
  // short (the text written so far stays).
  bool Reserve(std::size_t capacity);

  // Appends bytes; false (nothing written) when memory is short.
  bool Append(const void* bytes, std::size_t length);
  bool Append(const char* text);
  // printf-style append, any length.
  bool Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
  bool VPrintf(const char* format, std::va_list args);
  // Appends `count` copies of `byte`.
  bool Fill(char byte, std::size_t count);
  // Makes `length` more bytes part of the text and returns them for the
  // caller to fill (a NUL after them); nullptr when memory is short.
  char* Extend(std::size_t length);

  // Cuts the text to `length` bytes (never lengthens it).
  void Truncate(std::size_t length);
  void Clear() { Truncate(0); }

  // The text is always NUL-terminated once anything was reserved.
  const char* Data() const { return m_pLoadBuf ? m_pLoadBuf : ""; }
  std::size_t Size() const { return m_nWritePos; }
  std::size_t Capacity() const { return m_nCapacity; }
  bool Failed() const { return m_bFailed; }  // some append was refused

  char* m_pLoadBuf = nullptr;   // the text, m_nWritePos bytes and a NUL
  std::size_t m_nWritePos = 0;  // bytes written

 private:
  bool Grow(std::size_t needed);
  std::size_t m_nCapacity = 0;  // bytes the block holds before its NUL
  bool m_bFailed = false;
};

}  // namespace convert
