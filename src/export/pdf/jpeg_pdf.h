// The one-page PDF of one JPEG picture: the picture's compressed bytes go in
// unchanged as a DCTDecode image, one pixel to one point. Every number in
// the file has a fixed width (width and height six characters, the JPEG
// length and the cross-reference offset eight), so the objects and the
// cross-reference table stand at fixed offsets; sizes that do not fit those
// widths are refused instead of shifting every offset.
#pragma once

#include <cstdint>
#include <string>

namespace pdfexp {

// Where the picture's bytes begin, and the file's bytes besides them.
constexpr uint64_t kJpegPdfImageOffset = 718;
constexpr uint64_t kJpegPdfFixedBytes = 1016;
// Largest width or height (six characters) and JPEG length (L + 735 in
// eight characters).
constexpr int kJpegPdfMaxSide = 99999;
constexpr uint64_t kJpegPdfMaxJpeg = 99999999 - 735;

enum class JpegPdfResult {
  kWritten,
  kNoPicture,     // empty JPEG path, width or height 0 or less
  kNoJpeg,        // the JPEG file does not open
  kOutOfRange,    // width or height above 99999, or the JPEG too long
  kCannotCreate,  // the PDF file cannot be created or written
};

// Whether the numbers fit their fixed widths.
bool JpegPdfFits(int width, int height, uint64_t jpegLength);

// The bytes before the picture (718: header, objects 1, 2, 3, 5, 6, 7, 8, 9
// and the head of object 4) and after it (298: the end of object 4, the
// cross-reference table and the trailer). Empty when the numbers do not fit.
std::string JpegPdfHead(int width, int height, uint64_t jpegLength);
std::string JpegPdfTail(uint64_t jpegLength);

// Checks the JPEG file and the sizes without writing anything; the JPEG's
// length goes to *jpegLength.
JpegPdfResult CheckJpegPdf(const std::string& jpegPath, int width, int height, uint64_t* jpegLength);

// Writes the PDF at `pdfPath` (used as it stands), copying the JPEG in
// 2000-byte reads. A PDF that cannot be written whole is removed again.
JpegPdfResult WriteJpegPdfFile(const std::string& pdfPath, const std::string& jpegPath, int width, int height);

// The PDF path is taken as it stands when it ends in "pdf" in any case;
// otherwise the save dialog proposes it without its extension plus ".pdf".
bool JpegPdfNeedsDialog(const std::string& pdfPath);
std::string ProposedPdfName(const std::string& pdfPath);

}  // namespace pdfexp
