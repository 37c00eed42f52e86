// The PDF reader's entry and its end: the work buffer, the passes, the page
// walk's loop conditions, and the grid written out as text lines.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "convert/convert_registry.h"
#include "convert/convert_texts.h"
#include "convert/pdf_converter.h"
#include "convert/render_frame.h"
#include "core/docopen/opentexts.h"
#include "fw/alloc.h"

namespace convert {
namespace {

constexpr std::size_t kExpandRoom = 900000;          // room behind the file for object streams
constexpr std::int32_t kOutdataMargin = 2000;        // nothing is written this close to "outdata"
constexpr std::int32_t kOutdataBack = 2200;          // a longer text is cut back to here
constexpr std::int32_t kFirstBandText = 300;         // lines 0-300 take the first page's text
constexpr std::int32_t kLastColumn = 510;            // the rightmost column looked at

}  // namespace

std::int64_t PdfConverter::Run() {
  if (m_words.openContext == 2) return RunStructureDump();
  if (m_words.openContext != 0) return static_cast<std::int64_t>(m_out.Size());
  return RunConversion();
}

std::int64_t PdfConverter::RunConversion() {
  // The work buffer (cfmax + 10,005 bytes).
  if (!AllocateWork()) {
    m_out.Append(static_cast<const char*>(docopen::GetOpenText(docopen::OpenText::kRenderMemory)));
    m_out.Append(" 011");
    m_out.Printf(" cfmax = %d", m_nCfMax);
    return static_cast<std::int64_t>(m_out.Size());
  }

  // The first band and its separator.
  ClearGridLines(0, kFirstBandText);
  PrepareSeparator(kFirstBandText + 1, 2);
  m_nBandBase = 0;
  m_nGridLine = 0;
  m_nGridCol = 0;

  ExpandObjectStreams();
  IndexObjects();
  if (!m_bEncrypted) WalkPages();
  WriteOutput();
  fw::Free(m_pWork);
  m_pWork = nullptr;
  return static_cast<std::int64_t>(m_out.Size());
}

bool PdfConverter::WalkGoesOn() {
  if (m_bStopWalk) return false;
  if (m_words.extractNo >= 100000) return false;
  if (m_nGridLine >= m_words.tblMax - 3) {
    m_bGridFull = true;
    return false;
  }
  if (static_cast<std::int64_t>(m_out.Size()) >= static_cast<std::int64_t>(m_words.outdata) - kOutdataMargin)
    return false;
  if (m_pHost && m_pHost->CheckEscapeAbort()) {
    m_bEscape = true;
    m_bStopWalk = true;
    return false;
  }
  return true;
}

void PdfConverter::PrepareSeparator(std::int32_t line, std::int32_t nextPage) {
  std::uint8_t* row = GridLine(line);
  if (!row) return;
  row[0] = 0;
  std::memset(row + 1, '-', 129);
  std::memset(row + 130, kPdfEmptyCell, kPdfGridColumns - 130);
  char number[16];
  std::snprintf(number, sizeof number, "P%02d", nextPage < 0 ? 0 : nextPage);
  std::memcpy(row + 3, number, std::strlen(number));
}

void PdfConverter::WriteOutput() {
  m_out.Truncate(0);
  const std::int64_t stop = static_cast<std::int64_t>(m_words.outdata) - kOutdataMargin;
  const std::int64_t back = static_cast<std::int64_t>(m_words.outdata) - kOutdataBack;
  if (m_bEncrypted) WriteEncryptedNotice();
  if (m_nMaxLine < 0) {
    if (m_words.extractNo > 0)
      m_out.Append(static_cast<const char*>(GetConvertText(ConvertText::kUnsupportedFormat)));
    else
      m_out.Append(static_cast<const char*>(GetConvertText(ConvertText::kPdfNoText)));
  }
  // Each line from column 0 to one past its rightmost written cell; control
  // bytes and empty cells as blanks.
  const std::int32_t last = std::min(m_nMaxLine, std::min(m_nGridLines, m_words.tblMax - 3) - 1);
  std::string line;
  for (std::int32_t l = 0; l <= last; ++l) {
    const std::uint8_t* row = &m_abGrid[static_cast<std::size_t>(l) * kPdfGridColumns];
    std::int32_t right = kLastColumn;
    while (right >= 1 && row[right] == kPdfEmptyCell) --right;
    if (right < 1) continue;
    line.clear();
    for (std::int32_t c = 0; c <= right + 1; ++c) line += static_cast<char>(row[c] <= 7 ? ' ' : row[c]);
    line += "\r\n";
    if (static_cast<std::int64_t>(m_out.Size() + line.size()) > stop) break;
    m_out.Append(line.data(), line.size());
  }
  if (back >= 0 && static_cast<std::int64_t>(m_out.Size()) > back) m_out.Truncate(static_cast<std::size_t>(back));
  if (m_bGridFull) {
    const std::int64_t len = m_nFileSize;
    const std::int64_t byFile = (len / 16384 + len / 4096) / 100 * 100;
    const std::int64_t bySetting = m_words.tblMax / 100 + 200;
    m_out.Printf(static_cast<const char*>(GetConvertText(ConvertText::kTableItemsOver)), static_cast<int>(std::max(byFile, bySetting)));
    if (m_pHost) {
      CString status;
      status.Format("Page No. = %d  continued", m_nPageCount);
      m_pHost->StatusText(status);
    }
  }
  if (static_cast<std::int64_t>(m_out.Size()) >= back) {
    m_out.Append("\r\n\r\n");
    m_out.Append(static_cast<const char*>(docopen::GetOpenText(docopen::OpenText::kDisplayOver)));
  }
  m_damage.WriteTo(m_out);
}

std::int64_t ConvertPdf(const Converter& row, RenderJob& job) {
  (void)row;
  // The reader appends object streams behind the file: the head buffer
  // grows to the read size and 900,000 bytes more.
  const std::int32_t size = job.readSize < 0 ? 0 : job.readSize;
  const std::size_t capacity = static_cast<std::size_t>(size) + kExpandRoom;
  if (job.headCapacity < capacity) {
    void* grown = fw::Realloc(job.m_pConvData, capacity + 5);
    if (!grown) {
      job.out.Append(static_cast<const char*>(docopen::GetOpenText(docopen::OpenText::kRenderMemory)));
      job.out.Append(" 011");
      return static_cast<std::int64_t>(job.out.Size());
    }
    job.m_pConvData = static_cast<std::uint8_t*>(grown);
    job.headCapacity = capacity + 5;
  }
  PdfRunWords words;
  words.openContext = job.openContext;
  words.readSize = size;
  words.outdata = job.outdata;
  words.tblMax = job.tblMax;
  words.textBufSize = job.m_nTextBufSize;
  words.widthAdjust = job.m_nPdfWidthAdjust;
  words.tdAdjust = job.m_nPdfTdAdjust;
  words.latin1 = job.m_bLatin1Text;
  words.docEditMode = job.m_nDocEditMode;
  words.extractNo = job.m_nExtractNo;
  words.extractLetter = job.m_nExtractLetter;
  words.sizeHigh = job.m_bSizeHigh;
  words.programDir = job.m_strProgramDir;
  // The run object holds large tables: on the heap, once per run.
  std::unique_ptr<PdfConverter> run(new (std::nothrow)
                                        PdfConverter(job.m_pConvData, size, capacity, words, job.out, job.host));
  if (!run) {
    job.out.Append(static_cast<const char*>(docopen::GetOpenText(docopen::OpenText::kRenderMemory)));
    job.out.Append(" 011");
    return static_cast<std::int64_t>(job.out.Size());
  }
  const std::int64_t written = run->Run();
  job.m_nExtractNo = run->m_words.extractNo;
  if (run->m_nPictureKind) {
    job.m_nFileKind = run->m_nPictureKind;
    job.m_strConvImage = run->m_strConvImage;
  }
  return written;
}

}  // namespace convert
