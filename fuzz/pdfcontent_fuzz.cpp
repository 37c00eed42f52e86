// The PDF reader's content walk over any content stream, with a font kind,
// flags and code table taken from the input's first bytes. Checks that every
// cell written lies inside the grid and the band: column 0 stays 0, columns
// 510 and 511 stay empty, and no line past the band's last text line is
// touched.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "convert/load_buffer.h"
#include "convert/pdf_converter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 8) return 0;
  // One run object for every input (its tables are large); what a content
  // walk changes is set back each time.
  static std::vector<std::uint8_t> file(64, ' ');
  static convert::LoadBuffer out;
  static convert::PdfConverter pdf(file.data(), 0, file.size(), convert::PdfRunWords(), out, nullptr);
  pdf.m_words.tblMax = 1000;
  pdf.m_words.widthAdjust = 1 + data[0] % 5;
  pdf.m_words.docEditMode = (data[1] & 7) == 2 ? 2 : 0;
  pdf.m_words.latin1 = data[1] >> 7;
  const convert::PdfRunWords& words = pdf.m_words;
  pdf.m_abGrid.clear();
  pdf.m_nGridLines = 0;
  pdf.m_nGridLine = pdf.m_nGridCol = pdf.m_nBandBase = 0;
  pdf.m_nMaxLine = -1;
  pdf.m_nGraphicsLevel = 0;
  pdf.m_bStopWalk = false;
  pdf.m_nWalkBudget = 1 << 20;
  pdf.ClearGridLines(0, 300);
  pdf.PrepareSeparator(301, 2);
  convert::PdfConverter::TextState ts;
  ts.width = 84 * words.widthAdjust;
  ts.fontKind = data[2] % 10;
  ts.twoByte = data[3] & 1;
  ts.vertical = (data[3] >> 1) & 1;
  ts.fontFlags = static_cast<std::uint16_t>(data[4] | (data[5] << 8));
  // A code table: every code maps to a character picked by the input.
  pdf.m_anFontCode.resize(static_cast<std::size_t>(convert::kPdfObjects));
  for (std::size_t i = 0; i < pdf.m_anFontCode.size(); ++i)
    pdf.m_anFontCode[i] = static_cast<std::uint16_t>((data[6] * 257u + i * data[7]) & 0xFFFF);
  pdf.m_bFontCodeLoaded = true;
  pdf.WalkContent(data + 8, static_cast<std::int32_t>(size - 8), ts, 0);
  for (std::int32_t l = 0; l < pdf.m_nGridLines; ++l) {
    const std::uint8_t* row = &pdf.m_abGrid[static_cast<std::size_t>(l) * convert::kPdfGridColumns];
    if (row[0] != 0) std::abort();
    if (row[510] != convert::kPdfEmptyCell || row[511] != convert::kPdfEmptyCell) std::abort();
    if (l > 301) {
      for (int c = 1; c < convert::kPdfGridColumns; ++c)
        if (row[c] != convert::kPdfEmptyCell) std::abort();
    }
  }
  if (pdf.m_nMaxLine > 300) std::abort();
  return 0;
}
