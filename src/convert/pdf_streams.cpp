// Stream decoding of the PDF reader: ASCII85, LZW and Flate into the work
// buffer, with the capacity rules of images, and the grid lines that say
// why a stream could not be decoded.
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "archive/inflater.h"
#include "archive/lzw_decode.h"
#include "convert/pdf_converter.h"
#include "core/docopen/opentexts.h"

namespace convert {
namespace {

bool Has(const std::uint8_t* buf, std::int32_t length, std::int32_t pos, const char* text) {
  const std::int32_t n = static_cast<std::int32_t>(std::strlen(text));
  if (pos < 0 || pos + n > length) return false;
  return std::memcmp(buf + pos, text, static_cast<std::size_t>(n)) == 0;
}

// A zlib head (deflate method, the check that makes the pair a multiple of 31).
bool IsZlibHead(const std::uint8_t* p, std::int32_t n) {
  return n >= 2 && (p[0] & 0x0F) == 8 && ((p[0] << 8) | p[1]) % 31 == 0;
}

}  // namespace

int PdfConverter::StreamFiltersBetween(std::int32_t dictPos, std::int32_t streamPos) const {
  int filters = 0;
  if (dictPos < 0) dictPos = 0;
  if (streamPos > m_nConvSize) streamPos = m_nConvSize;
  const std::uint8_t* buf = m_pConvData;
  auto letter = [&](std::int32_t p) {
    return p < streamPos && ((buf[p] >= 'A' && buf[p] <= 'Z') || (buf[p] >= 'a' && buf[p] <= 'z'));
  };
  for (std::int32_t i = dictPos; i + 1 < streamPos; ++i) {
    if (buf[i] != '/') continue;
    if (Has(buf, streamPos, i + 1, "ASCII85") || (Has(buf, streamPos, i + 1, "A85") && !letter(i + 4))) {
      filters |= kPdfStreamAscii85;
    } else if (Has(buf, streamPos, i + 1, "LZWDe") || (Has(buf, streamPos, i + 1, "LZW") && !letter(i + 4))) {
      filters |= kPdfStreamLzw;
    } else if (Has(buf, streamPos, i + 1, "Flate") || (Has(buf, streamPos, i + 1, "Fl") && !letter(i + 3))) {
      filters |= kPdfStreamFlate;
    }
  }
  return filters;
}

std::int32_t PdfConverter::DecodeStream(std::int32_t dataPos, std::int32_t dataLen, int filters, bool image) {
  m_nWorkSize = 0;
  m_nFailCapacity = 0;
  if (!m_pWork) return kPdfDecodeNoMemory;
  if (dataPos < 0 || dataLen < 0 || dataPos > m_nConvSize) return kPdfDecodeFailed;
  if (dataLen > m_nConvSize - dataPos) dataLen = m_nConvSize - dataPos;
  if (dataLen >= m_nCfMax) {
    m_nFailCapacity = dataLen;
    return kPdfDecodeTooLarge;
  }
  const std::uint8_t* src = m_pConvData + dataPos;
  std::int32_t srcLen = dataLen;

  if (filters & kPdfStreamAscii85) {
    std::memcpy(m_pWork, src, static_cast<std::size_t>(dataLen));
    const std::int32_t n = Ascii85DecodeInPlace(m_pWork, dataLen, static_cast<std::size_t>(m_nCfMax));
    if (n <= 0) return kPdfDecodeFailed;
    if (!(filters & (kPdfStreamFlate | kPdfStreamLzw))) {
      m_nWorkSize = n;
      m_pWork[n] = 0;
      return n;
    }
    // The decoded bytes are still in the decoder's scratch: the next filter
    // reads them there.
    src = m_abA85Scratch.data();
    srcLen = n;
  }

  if (filters & kPdfStreamFlate) {
    std::int64_t capacity = m_nCfMax;
    int mode = 0;
    if (image && m_nImageWidth > 9 && m_nImageHeight > 9) {
      // The image's own size bounds what it may inflate to (64-bit: the
      // values come from the file).
      // 128-bit products: three 32-bit factors do not fit 64 bits.
      const __int128 w = m_nImageWidth;
      const __int128 h = m_nImageHeight;
      const __int128 k = m_nImageBits;
      const __int128 wanted = k == 8 ? w * h * 4 + 2000 : k * w * h / 8 + 2000;
      mode = 1;
      if (wanted < 0 || wanted > m_nCfMax) {
        m_nFailCapacity = wanted < 0 ? 0 : wanted > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(wanted);
        return kPdfDecodeTooLarge;
      }
      capacity = static_cast<std::int64_t>(wanted);
    }
    (void)mode;
    std::int32_t skip = IsZlibHead(src, srcLen) ? 2 : 0;
    if (srcLen - skip <= 0) return kPdfDecodeFailed;
    const std::int64_t n = arc::InflateBytes(src + skip, static_cast<std::size_t>(srcLen - skip), m_pWork,
                                             static_cast<std::size_t>(capacity));
    if (n < 0 || n > m_nCfMax) return kPdfDecodeFailed;
    m_nWorkSize = static_cast<std::int32_t>(n);
    // Five blanks and a NUL behind the data end any token the walk reads last.
    std::memcpy(m_pWork + m_nWorkSize, "     ", 6);
    return m_nWorkSize;
  }

  if (filters & kPdfStreamLzw) {
    if (src != m_pWork) std::memmove(m_pWork, src, static_cast<std::size_t>(srcLen));
    bool noMemory = false;
    const std::int32_t n = arc::LzwDecode(m_pWork, srcLen, m_nCfMax, arc::kLzwText, 8, &noMemory);
    if (noMemory) return kPdfDecodeNoMemory;
    if (n < 0) return kPdfDecodeFailed;
    m_nWorkSize = n;
    m_pWork[n] = 0;
    return n;
  }

  std::memcpy(m_pWork, src, static_cast<std::size_t>(srcLen));
  m_nWorkSize = srcLen;
  std::memcpy(m_pWork + m_nWorkSize, "     ", 6);
  return srcLen;
}

void PdfConverter::WriteDecodeFailure(std::int32_t result) {
  std::string text;
  const auto add = [&text](const CString& s) { text += static_cast<const char*>(s); };
  switch (result) {
    case kPdfDecodeEncrypted:
      add(GetConvertText(ConvertText::kEncryptedData));
      text += " 012";
      break;
    case kPdfDecodeNoMemory: {
      add(docopen::GetOpenText(docopen::OpenText::kRenderMemory));
      while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
      break;
    }
    case kPdfDecodeTooLarge: {
      char mb[32];
      std::snprintf(mb, sizeof mb, " [%dMB]", static_cast<int>(m_nFailCapacity / 1048576 + 1));
      text = mb;
      add(docopen::GetOpenText(docopen::OpenText::kDisplayOver));
      text += " 012";
      break;
    }
    default:
      add(GetConvertText(ConvertText::kUnsupportedFormat));
      text += " 012";
      break;
  }
  // One line is skipped, the message takes the next, the walk goes on below.
  const std::int32_t line = m_nGridLine + 2;
  WriteGridText(line, text.data(), text.size());
  m_nGridLine = line + 1;
  m_nGridCol = 0;
  if (result == kPdfDecodeNoMemory) m_nConvPos = m_nConvSize;
}

void PdfConverter::WriteEncryptedNotice() {
  m_out.Append(static_cast<const char*>(GetConvertText(ConvertText::kEncryptedData)));
  m_out.Append("\r\n");
}

}  // namespace convert
