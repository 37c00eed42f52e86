#include "convert/pptx_canvas.h"

#include <cstring>

namespace convert {

bool PptxCanvas::ReserveBytes(std::uint64_t bytes) {
  if (bytes > kPptxCanvasMax + kPptxLineBytes * std::uint64_t{kPptxSlideLines}) return false;
  return m_out.Reserve(m_origin + static_cast<std::size_t>(bytes));
}

bool PptxCanvas::EnsureLines(std::int64_t lines) {
  if (lines <= m_lines) return true;
  const std::int64_t blocks = (lines - m_lines + kPptxSlideLines - 1) / kPptxSlideLines;
  const std::int64_t want = m_lines + blocks * kPptxSlideLines;
  if (static_cast<std::uint64_t>(want) * kPptxLineBytes > kPptxCanvasMax) return false;
  const std::size_t add = static_cast<std::size_t>(want - m_lines) * kPptxLineBytes;
  char* at = m_out.Extend(add);
  if (!at) return false;
  for (std::int64_t l = m_lines; l < want; ++l, at += kPptxLineBytes) {
    std::memset(at, ' ', kPptxColumns);
    at[kPptxColumns] = '\r';
    at[kPptxColumns + 1] = '\n';
  }
  m_lines = want;
  return true;
}

unsigned char PptxCanvas::At(std::int64_t line, std::int64_t column) const {
  if (line < 0 || line >= m_lines || column < 0 || column >= kPptxLineBytes) return 0;
  return static_cast<unsigned char>(m_out.m_pLoadBuf[m_origin + static_cast<std::size_t>(line * kPptxLineBytes + column)]);
}

bool PptxCanvas::Put(std::int64_t line, std::int64_t column, char c, bool grow) {
  if (line < 0 || column < 0 || column >= kPptxColumns) return false;
  if (line >= m_lines && (!grow || !EnsureLines(line + 1))) return false;
  m_out.m_pLoadBuf[m_origin + static_cast<std::size_t>(line * kPptxLineBytes + column)] = c;
  return true;
}

void PptxCanvas::PutText(std::int64_t line, const char* text, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) Put(line, static_cast<std::int64_t>(i), text[i]);
}

void PptxCanvas::Cut(std::int64_t lines) {
  if (lines < 0) lines = 0;
  if (lines >= m_lines) return;
  m_out.Truncate(m_origin + static_cast<std::size_t>(lines) * kPptxLineBytes);
  m_lines = lines;
}

}  // namespace convert
