// The text picture of a presentation: lines of 130 columns and CR LF (132
// bytes each), one block of 64 lines per slide, held in the renderer's
// output buffer. The canvas grows a whole block at a time; every write is
// checked against it, so shapes placed off the slide and tables longer than
// their slide are clipped, never written outside the lines.
#pragma once

#include <cstddef>
#include <cstdint>

#include "convert/load_buffer.h"

namespace convert {

constexpr int kPptxLineBytes = 132;    // 130 columns, CR, LF
constexpr int kPptxColumns = 130;      // writable columns of a line
constexpr int kPptxSlideLines = 64;    // one slide block
// The canvas never grows past this many bytes; lines beyond are dropped.
constexpr std::uint64_t kPptxCanvasMax = std::uint64_t{64} << 20;

class PptxCanvas {
 public:
  // The canvas starts where `out` ends (the renderer's buffer is empty when
  // the converter starts).
  explicit PptxCanvas(LoadBuffer& out) : m_out(out), m_origin(out.Size()) {}

  // Room for `bytes` without another allocation; false when memory is short.
  bool ReserveBytes(std::uint64_t bytes);
  // Makes the canvas at least `lines` lines long, in whole slide blocks of
  // blank lines. False (the canvas unchanged) past the size cap or when
  // memory is short.
  bool EnsureLines(std::int64_t lines);
  std::int64_t Lines() const { return m_lines; }

  // The byte at (line, column); 0 outside the canvas.
  unsigned char At(std::int64_t line, std::int64_t column) const;
  // Writes one byte at (line, column); nothing outside the lines, in the
  // CR LF columns or past the canvas (a line past the end grows the canvas
  // when `grow` is set). True when written.
  bool Put(std::int64_t line, std::int64_t column, char c, bool grow = false);
  // Writes `n` bytes from column 0 of `line` (page lines).
  void PutText(std::int64_t line, const char* text, std::size_t n);

  // Cuts the canvas to its first `lines` lines (the end of the text).
  void Cut(std::int64_t lines);

 private:
  LoadBuffer& m_out;
  std::size_t m_origin;
  std::int64_t m_lines = 0;
};

}  // namespace convert
