#include "export/pdf/jpeg_pdf.h"

#include <cctype>
#include <cstdio>
#include <vector>

#include "core/docsvc/pathpart.h"
#include "fw/file.h"

namespace pdfexp {

namespace {

constexpr UINT kCopyChunk = 2000;

std::string Fixed(const char* format, uint64_t v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, format, static_cast<unsigned long long>(v));
  return buf;
}

}  // namespace

bool JpegPdfFits(int width, int height, uint64_t jpegLength) {
  return width > 0 && height > 0 && width <= kJpegPdfMaxSide && height <= kJpegPdfMaxSide &&
         jpegLength <= kJpegPdfMaxJpeg;
}

std::string JpegPdfHead(int width, int height, uint64_t jpegLength) {
  if (!JpegPdfFits(width, height, jpegLength)) return std::string();
  const std::string w = Fixed("%6llu", uint64_t(width));
  const std::string h = Fixed("%6llu", uint64_t(height));
  const std::string ls = Fixed("%8llu", jpegLength);
  std::string s;
  s.reserve(kJpegPdfImageOffset);
  s += "%PDF-1.3\n%ABCD\n";
  s += "1 0 obj\n<</Type/Pages\n/Count 1\n/Kids[6 0 R\n]>>\nendobj\n";
  s += "2 0 obj\n<</Type/Catalog\n/Pages 1 0 R\n>>\nendobj\n";
  s += "3 0 obj\n<</Subject ( )\n/Title ( )\n/Creator (Dorvik ver.3.29)\n";
  s += "/Author ( )\n/CreationDate (D:              )\n/Producer ( )\n>>\nendobj\n";
  s += "5 0 obj\n" + ls + "\nendobj\n";
  s += "6 0 obj\n<</Type/Page\n/Parent 1 0 R\n/Resources 9 0 R\n/MediaBox[0 0" + w + h +
       "]\n/Contents[7 0 R ]\n>>\nendobj\n";
  s += "7 0 obj\n<</Length 8 0 R\n>>\nstream\nq\n" + w + " 0 0" + h + " 0 0 cm\n/I0 Do\nQ\n\nendstream\nendobj\n";
  s += "8 0 obj\n36\nendobj\n";
  s += "9 0 obj\n<</ProcSet[/PDF/ImageC]\n/XObject<</I0 4 0 R\n>>\n>>\nendobj\n";
  s += "4 0 obj\n<</Type/XObject\n/Subtype/Image\n/Width" + w + "\n/Height" + h +
       "\n/BitsPerComponent 8\n/ColorSpace/DeviceRGB\n/Filter[/DCTDecode]\n/DecodeParms[<<>>]\n/Length 5 0 R\n>>\nstream\n";
  return s;
}

std::string JpegPdfTail(uint64_t jpegLength) {
  if (jpegLength > kJpegPdfMaxJpeg) return std::string();
  std::string s = "endstream\nendobj\n";
  s += "xref\n0 10\n0000000000 65535 f \n";
  for (const char* at : {"15", "69", "116", "547", "246", "270", "377", "464", "482"})
    s += std::string(10 - std::string(at).size(), '0') + at + " 00000 n \n";
  s += "trailer\n";
  s += "<</Size 10\n/Info 3 0 R\n/Root 2 0 R\n>>\nstartxref\n" + Fixed("%8llu", jpegLength + 735) + "\n%%EOF\n";
  return s;
}

JpegPdfResult CheckJpegPdf(const std::string& jpegPath, int width, int height, uint64_t* jpegLength) {
  if (jpegPath.empty() || width <= 0 || height <= 0) return JpegPdfResult::kNoPicture;
  CFile in;
  if (!in.Open(jpegPath.c_str(), CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary))
    return JpegPdfResult::kNoJpeg;
  const uint64_t length = in.GetLength();
  in.Close();
  if (jpegLength) *jpegLength = length;
  if (!JpegPdfFits(width, height, length)) return JpegPdfResult::kOutOfRange;
  return JpegPdfResult::kWritten;
}

JpegPdfResult WriteJpegPdfFile(const std::string& pdfPath, const std::string& jpegPath, int width, int height) {
  uint64_t length = 0;
  const JpegPdfResult check = CheckJpegPdf(jpegPath, width, height, &length);
  if (check != JpegPdfResult::kWritten) return check;
  CFile in;
  if (!in.Open(jpegPath.c_str(), CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary))
    return JpegPdfResult::kNoJpeg;
  CFile out;
  if (!out.Open(pdfPath.c_str(), CFile::modeCreate | CFile::modeReadWrite | CFile::typeBinary))
    return JpegPdfResult::kCannotCreate;
  bool ok = true;
  try {
    const std::string head = JpegPdfHead(width, height, length);
    out.Write(head.data(), UINT(head.size()));
    // The picture as it stands, in 2000-byte reads until a short one; the
    // bytes copied must be the length the numbers were made from.
    std::vector<uint8_t> buf(kCopyChunk);
    uint64_t copied = 0;
    for (;;) {
      const UINT n = in.Read(buf.data(), kCopyChunk);
      if (n) out.Write(buf.data(), n);
      copied += n;
      if (n != kCopyChunk) break;
    }
    if (copied != length) ok = false;
    const std::string tail = JpegPdfTail(length);
    out.Write(tail.data(), UINT(tail.size()));
    out.Close();
  } catch (const CFileException&) {
    ok = false;
    out.Abort();
  }
  in.Abort();
  if (!ok) {
    try {
      CFile::Remove(pdfPath.c_str());
    } catch (const CFileException&) {
    }
    return JpegPdfResult::kCannotCreate;
  }
  return JpegPdfResult::kWritten;
}

bool JpegPdfNeedsDialog(const std::string& pdfPath) {
  if (pdfPath.size() < 3) return true;
  const char* t = pdfPath.c_str() + pdfPath.size() - 3;
  return !(std::tolower(static_cast<unsigned char>(t[0])) == 'p' &&
           std::tolower(static_cast<unsigned char>(t[1])) == 'd' &&
           std::tolower(static_cast<unsigned char>(t[2])) == 'f');
}

std::string ProposedPdfName(const std::string& pdfPath) {
  const CString base = GetPathPart(CString(pdfPath.c_str()), 6);
  return std::string(static_cast<const char*>(base)) + ".pdf";
}

}  // namespace pdfexp
