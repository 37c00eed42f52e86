// The PDF run object's tables and the character grid.
#include "convert/pdf_converter.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "fw/alloc.h"

namespace convert {

PdfConverter::PdfConverter(std::uint8_t* data, std::int32_t size, std::size_t capacity, const PdfRunWords& words,
                           LoadBuffer& out, ConvertHost* host)
    : m_pConvData(data),
      m_nConvSize(size < 0 ? 0 : size),
      m_nConvCapacity(capacity < static_cast<std::size_t>(m_nConvSize) ? static_cast<std::size_t>(m_nConvSize)
                                                                       : capacity),
      m_nFileSize(m_nConvSize),
      m_words(words),
      m_out(out),
      m_pHost(host) {
  if (m_words.widthAdjust < 1 || m_words.widthAdjust > 5) m_words.widthAdjust = 5;
  if (m_words.tdAdjust < 40 || m_words.tdAdjust > 115) m_words.tdAdjust = 85;
  for (int i = 0; i < 256; ++i) {
    m_abPalette[i * 3] = m_abPalette[i * 3 + 1] = m_abPalette[i * 3 + 2] = static_cast<std::uint8_t>(i);
  }
  m_cid = textcodec::CidTables();  // built once for the program
}

PdfConverter::~PdfConverter() { fw::Free(m_pWork); }

bool PdfConverter::AllocateWork() {
  const std::int64_t bySize = static_cast<std::int64_t>(m_words.readSize > 0 ? m_words.readSize : m_nFileSize) * 64;
  const std::int64_t smaller = std::min<std::int64_t>(m_words.textBufSize, bySize);
  std::int64_t cfmax = std::max<std::int64_t>(2000000, smaller);
  if (cfmax > INT32_MAX - kPdfWorkSpare) cfmax = INT32_MAX - kPdfWorkSpare;
  m_nCfMax = static_cast<std::int32_t>(cfmax);
  fw::Free(m_pWork);
  m_pWork = static_cast<std::uint8_t*>(fw::Alloc(static_cast<std::size_t>(m_nCfMax) + kPdfWorkSpare));
  return m_pWork != nullptr;
}

std::uint8_t* PdfConverter::GridLine(std::int32_t line) {
  const std::int32_t limit = m_words.tblMax - 3;
  if (line < 0 || line >= limit) return nullptr;
  if (line >= m_nGridLines) {
    // Lines are made a band at a time, each cleared to empty cells.
    std::int32_t want = std::min<std::int32_t>(limit, std::max(line + 1, m_nGridLines + kPdfBandLines));
    const std::size_t bytes = static_cast<std::size_t>(want) * kPdfGridColumns;
    m_abGrid.resize(bytes, kPdfEmptyCell);
    for (std::int32_t l = m_nGridLines; l < want; ++l) m_abGrid[static_cast<std::size_t>(l) * kPdfGridColumns] = 0;
    m_nGridLines = want;
  }
  return &m_abGrid[static_cast<std::size_t>(line) * kPdfGridColumns];
}

void PdfConverter::ClearGridLines(std::int32_t first, std::int32_t last) {
  for (std::int32_t l = std::max(first, 0); l <= last; ++l) {
    std::uint8_t* row = GridLine(l);
    if (!row) break;
    row[0] = 0;
    std::memset(row + 1, kPdfEmptyCell, kPdfGridColumns - 1);
  }
}

void PdfConverter::WriteGridText(std::int32_t line, const char* text, std::size_t length) {
  std::uint8_t* row = GridLine(line);
  if (!row) return;
  const std::size_t n = std::min<std::size_t>(length, kPdfGridColumns - 2);
  std::memcpy(row, text, n);
  if (line > m_nLastLine) m_nLastLine = line;
}

}  // namespace convert
