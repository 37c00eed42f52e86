// The part loader of the package converters: one XML part read whole and
// converted to Shift-JIS, NUL-terminated, with 10,000 zero bytes after the
// NUL so that the tag walkers' look-ahead reads stay inside the buffer and
// never see an earlier part's bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "convert/load_buffer.h"
#include "convert/ooxml_package.h"
#include "fw/cstring.h"

namespace convert {

// The converters' text buffer (one part at a time; loading replaces it).
class PartText {
 public:
  static constexpr std::size_t kSpare = 10000;

  PartText() = default;
  ~PartText();
  PartText(const PartText&) = delete;
  PartText& operator=(const PartText&) = delete;

  // The text: Size() bytes and a NUL, then zeros up to Readable(). Never
  // null: an empty text reads as kSpare zero bytes.
  const char* Data() const { return m_pText ? m_pText : kEmpty; }
  int Size() const { return m_nSize; }
  std::size_t Readable() const { return m_pText ? m_nCapacity : kSpare; }

  // An empty text (the buffer is kept).
  void Clear();
  // Makes room for `length` bytes plus the zeroed spare area; all zero
  // afterwards, Size() 0. False (the text empty) when memory is short.
  bool Reserve(std::size_t length);
  // The bytes to fill after Reserve; SetSize fixes the length (the bytes
  // after it up to Readable() must stay zero).
  char* Buffer() { return m_pText; }
  void SetSize(int size) { m_nSize = size; }

 private:
  static const char kEmpty[kSpare];
  char* m_pText = nullptr;
  std::size_t m_nCapacity = 0;  // bytes of m_pText
  int m_nSize = 0;
};

// Converts one part's bytes to Shift-JIS into `dst` (room for `length`
// bytes: the result is never longer than its source) and returns the bytes
// written. The marks "UTF" and "JIS" in the first 80 bytes choose between
// converting UTF-8 (the default) and copying (the later mark wins); a UTF-8
// sequence of two or three bytes becomes its code page 932 form ("?" where
// the code page has none, a blank for U+0000); a lead byte from 0xF0 is "?"
// for its four bytes; a sequence cut by the end of the part is "?"; NUL is
// "?"; any other byte is copied.
std::size_t ConvertPartToSjis(const std::uint8_t* src, std::size_t length, char* dst);

// Reads the part `path` of `package` into `text` as Shift-JIS. Result: the
// bytes of the text; 0 when the path is longer than 512 characters; below 0
// minus the length of the message written to `out`: string 237 when the part
// does not open, string 152 + " 018" when its bytes cannot be held (larger
// than `memoryLimit`, the "membuf" setting, or no memory), string 152 +
// " 019" when the text buffer cannot be had. On any failure the text is
// empty: no earlier part stays readable.
int LoadPartAsSjis(OoxmlPackage& package, const CString& path, std::uint64_t memoryLimit, PartText& text,
                   LoadBuffer& out);

// The messages of the loader and of the package start.
CString PartCannotOpenText();                 // string 237
CString PartMemoryText(const char* code);     // string 152 + code (" 018")

}  // namespace convert
