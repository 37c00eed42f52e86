// One picture of a PDF written out: the image object a marker names is
// decoded and saved as a scratch picture (JPEG, JPEG 2000 or JBIG2 data as
// it is, fax data behind a TIFF header, bitmap samples as a BMP through
// "\TMP\temp.txt"), which the host loads. The walk then ends: the picture's
// number is raised by 200,000, 300,000 or 100,000.
#include <algorithm>
#include <cstring>
#include <vector>

#include "archive/lzw_decode.h"
#include "convert/pdf_converter.h"
#include "convert/pdf_scan.h"
#include "convert/picture_save.h"
#include "core/docsvc/backup.h"

namespace convert {
namespace {

constexpr std::int32_t kSideLimit = 1000000000;  // sides read saturate here

// Components of a colour space named at buf[v] ('/'), 0 when unknown.
int NamedComponents(const std::uint8_t* buf, std::int32_t v, std::int32_t end) {
  const std::int32_t ve = pdfscan::SkipName(buf, v, end);
  if (pdfscan::NameIs(buf, v, ve, "DeviceGray") || pdfscan::NameIs(buf, v, ve, "CalGray") ||
      pdfscan::NameIs(buf, v, ve, "G"))
    return 1;
  if (pdfscan::NameIs(buf, v, ve, "DeviceRGB") || pdfscan::NameIs(buf, v, ve, "CalRGB") ||
      pdfscan::NameIs(buf, v, ve, "RGB") || pdfscan::NameIs(buf, v, ve, "Lab"))
    return 3;
  if (pdfscan::NameIs(buf, v, ve, "DeviceCMYK") || pdfscan::NameIs(buf, v, ve, "CMYK")) return 4;
  return 0;
}

}  // namespace

bool PdfConverter::ResolveValue(std::int32_t pos, std::int32_t end, std::int32_t* vpos, std::int32_t* vend) const {
  const std::uint8_t* buf = m_pConvData;
  std::int32_t p = pdfscan::SkipWhite(buf, pos, end);
  const std::int32_t ref = pdfscan::ReadRef(buf, p, end, nullptr);
  if (ref > 0) {
    std::int32_t b = 0, e = 0;
    if (!ObjectDictionary(ref, &b, &e)) return false;
    // The referenced object's own value: up to "endobj" (or "stream").
    *vpos = pdfscan::SkipWhite(buf, b, e);
    *vend = e;
    return *vpos < e;
  }
  *vpos = p;
  *vend = end;
  return p < end;
}

int PdfConverter::ColourComponents(std::int32_t pos, std::int32_t end, std::uint8_t* palette, bool* hasPalette,
                                   int depth) {
  const std::uint8_t* buf = m_pConvData;
  std::int32_t v = 0, ve = 0;
  if (depth > 2 || !ResolveValue(pos, end, &v, &ve)) return 0;
  if (buf[v] == '/') return NamedComponents(buf, v, ve);
  if (buf[v] != '[') return 0;
  const std::int32_t close = pdfscan::SkipValue(buf, v, ve);
  std::int32_t p = pdfscan::SkipWhite(buf, v + 1, close);
  if (p >= close || buf[p] != '/') return 0;
  const std::int32_t nameEnd = pdfscan::SkipName(buf, p, close);
  if (pdfscan::NameIs(buf, p, nameEnd, "ICCBased")) {
    // The /N of the profile's stream; 3 when it says nothing.
    const std::int32_t ref = pdfscan::ReadRef(buf, nameEnd, close, nullptr);
    std::int32_t b = 0, e = 0;
    if (ref > 0 && ObjectDictionary(ref, &b, &e)) {
      const std::int32_t k = pdfscan::FindKey(buf, b, e, "N");
      std::int64_t n = 0;
      if (k >= 0 && pdfscan::ReadNumbers(buf, pdfscan::SkipName(buf, k, e), e, &n, 1) == 1 &&
          (n == 100 || n == 300 || n == 400))
        return static_cast<int>(n / 100);
    }
    return 3;
  }
  if (pdfscan::NameIs(buf, p, nameEnd, "CalRGB") || pdfscan::NameIs(buf, p, nameEnd, "Lab")) return 3;
  if (pdfscan::NameIs(buf, p, nameEnd, "CalGray")) return 1;
  if (!(pdfscan::NameIs(buf, p, nameEnd, "Indexed") || pdfscan::NameIs(buf, p, nameEnd, "I"))) return 0;
  // [/Indexed base hival lookup]: one component; the lookup table becomes
  // the palette, its entries in the base's components.
  const std::int32_t basePos = pdfscan::SkipWhite(buf, nameEnd, close);
  const int base = ColourComponents(basePos, close, nullptr, nullptr, depth + 1);
  std::int32_t q = pdfscan::SkipValue(buf, basePos, close);
  std::int64_t hival = 0;
  if (pdfscan::ReadNumbers(buf, q, close, &hival, 1) != 1) return 1;
  q = pdfscan::SkipValue(buf, pdfscan::SkipWhite(buf, q, close), close);
  q = pdfscan::SkipWhite(buf, q, close);
  std::vector<std::uint8_t> table;
  if (q < close && buf[q] == '<') {
    pdfscan::HexString(buf, q, close, &table);
  } else if (q < close && buf[q] == '(') {
    pdfscan::LiteralString(buf, q, close, &table);
  } else {
    const std::int32_t ref = pdfscan::ReadRef(buf, q, close, nullptr);
    const std::int32_t n = ref > 0 ? DecodeObjectStream(ref, false) : -1;
    if (n > 0) table.assign(m_pWork, m_pWork + n);
  }
  if (palette && hasPalette && base > 0 && !table.empty()) {
    const std::int64_t entries = std::min<std::int64_t>(256, hival / 100 + 1);
    for (std::int64_t i = 0; i < entries; ++i) {
      const std::size_t at = static_cast<std::size_t>(i * base);
      if (at + static_cast<std::size_t>(base) > table.size()) break;
      const std::uint8_t* t = &table[at];
      std::uint8_t* rgb = palette + i * 3;
      if (base == 1) {
        rgb[0] = rgb[1] = rgb[2] = t[0];
      } else if (base == 3) {
        rgb[0] = t[0];
        rgb[1] = t[1];
        rgb[2] = t[2];
      } else {
        for (int c = 0; c < 3; ++c) rgb[c] = static_cast<std::uint8_t>(255 - std::min(255, t[c] + t[3]));
      }
    }
    *hasPalette = true;
  }
  return 1;
}

void PdfConverter::ShowOnePicture(std::int32_t obj) {
  std::int32_t b = 0, e = 0;
  if (!ObjectDictionary(obj, &b, &e)) return;
  const std::uint8_t* d = m_pConvData;
  const std::int32_t sub = pdfscan::FindKey(d, b, e, "Subtype");
  if (sub < 0) return;
  const std::int32_t v = pdfscan::SkipWhite(d, pdfscan::SkipName(d, sub, e), e);
  if (!pdfscan::NameIs(d, v, pdfscan::SkipName(d, v, e), "Image")) return;

  auto number = [&](std::int32_t from, std::int32_t to, const char* key, std::int64_t fallback) -> std::int64_t {
    const std::int32_t k = pdfscan::FindKey(d, from, to, key);
    std::int64_t n = 0;
    if (k < 0 || pdfscan::ReadNumbers(d, pdfscan::SkipName(d, k, to), to, &n, 1) != 1) return fallback;
    return n / 100;
  };
  const std::int32_t width = static_cast<std::int32_t>(std::clamp<std::int64_t>(number(b, e, "Width", 0), 0, kSideLimit));
  const std::int32_t height =
      static_cast<std::int32_t>(std::clamp<std::int64_t>(number(b, e, "Height", 0), 0, kSideLimit));
  std::int32_t bpc = static_cast<std::int32_t>(std::clamp<std::int64_t>(number(b, e, "BitsPerComponent", 8), 0, 64));
  // "/ImageMask true": one bit, one component.
  bool mask = false;
  const std::int32_t mk = pdfscan::FindKey(d, b, e, "ImageMask");
  if (mk >= 0) {
    const std::int32_t mv = pdfscan::SkipWhite(d, pdfscan::SkipName(d, mk, e), e);
    mask = mv + 4 <= e && std::memcmp(d + mv, "true", 4) == 0;
  }
  // "/Decode [1 0]" (of a one-component picture).
  bool reversed = false;
  const std::int32_t dk = pdfscan::FindKey(d, b, e, "Decode");
  if (dk >= 0) {
    std::int64_t dec[2] = {};
    reversed = pdfscan::ReadNumbers(d, pdfscan::SkipName(d, dk, e), e, dec, 2) == 2 && dec[0] == 100 && dec[1] == 0;
  }
  std::uint8_t palette[256 * 3] = {};
  bool hasPalette = false;
  int components = 1;
  if (mask) {
    bpc = 1;
  } else {
    const std::int32_t ck = pdfscan::FindKey(d, b, e, "ColorSpace");
    if (ck >= 0) components = ColourComponents(pdfscan::SkipName(d, ck, e), e, palette, &hasPalette, 0);
    if (components == 0) components = 3;
  }
  // /K of the fax parameters.
  std::int64_t k = 0;
  const std::int32_t pk = pdfscan::FindKey(d, b, e, "DecodeParms");
  if (pk >= 0) {
    std::int32_t db = 0, de = 0;
    std::int32_t pv = pdfscan::SkipWhite(d, pdfscan::SkipName(d, pk, e), e);
    if (pv < e && d[pv] == '[') pv = pdfscan::SkipWhite(d, pv + 1, e);
    if (pdfscan::DictionaryAt(d, pv, e, &db, &de)) k = number(db, de, "K", 0);
  }

  const int filter = m_anObjFlags[static_cast<std::size_t>(obj)] & kPdfFlagFilterMask;
  const bool bitmap = filter != kPdfFilterDct && filter != kPdfFilterJpx && filter != kPdfFilterJbig2 &&
                      filter != kPdfFilterCcitt;
  m_nImageWidth = width;
  m_nImageHeight = height;
  m_nImageBits = bpc;
  m_nImageFilter = filter;
  // Filters the reader cannot undo leave nothing to show.
  if (pdfscan::FindKey(d, b, e, "Filter") >= 0 &&
      (pdfscan::Find(d, b, e, "/RunLength") >= 0 || pdfscan::Find(d, b, e, "/ASCIIHex") >= 0 ||
       pdfscan::Find(d, b, e, "/AHx") >= 0 || pdfscan::Find(d, b, e, "/RL ") >= 0))
    return;
  const int filters = StreamFiltersBetween(b, e);
  std::int32_t n = 0;
  std::int32_t dataPos = 0, dataLen = 0;
  if (filter == kPdfFilterLzw && filters == kPdfStreamLzw && m_pWork && StreamBytes(obj, &dataPos, &dataLen) &&
      dataLen < m_nCfMax) {
    // LZW samples decode as pictures do (zero bytes stay zero), into at
    // most the picture's own size.
    const std::int64_t rows = (std::int64_t{width} * bpc * 4 + 7) / 8 * height;
    const std::int32_t expected = static_cast<std::int32_t>(std::clamp<std::int64_t>(rows, 1, m_nCfMax));
    std::memcpy(m_pWork, m_pConvData + dataPos, static_cast<std::size_t>(dataLen));
    bool noMemory = false;
    n = arc::LzwDecode(m_pWork, dataLen, expected, arc::kLzwTiff, 8, &noMemory);
    if (noMemory || n <= 0) {
      WriteDecodeFailure(noMemory ? kPdfDecodeNoMemory : kPdfDecodeFailed);
      if (m_nLastLine > m_nMaxLine) m_nMaxLine = m_nLastLine;
      return;
    }
  } else {
    n = DecodeObjectStream(obj, bitmap);
    if (n < 0) return;
  }

  PictureSaveContext ctx;
  ctx.programDir = m_words.programDir;
  ctx.host = m_pHost;
  ctx.write = m_words.writeFile;
  ctx.read = m_words.readFile;
  std::int32_t raise = 0;
  if (!bitmap && filter != kPdfFilterCcitt) {
    PdfSaveEmbeddedImage(ctx, m_pWork, static_cast<std::size_t>(n), 0, 0, width, height);
    raise = 200000;
  } else if (filter == kPdfFilterCcitt) {
    PdfSaveEmbeddedImage(ctx, m_pWork, static_cast<std::size_t>(n), k < 0 ? 4 : 3, reversed ? -2 : -1, width,
                         height);
    raise = 300000;
  } else {
    // Bitmap samples go through "\TMP\temp.txt", as the raw saver reads them.
    const CString temp = docsvc::ScratchDir(ctx.programDir) + "\\temp.txt";
    const bool written = ctx.write ? ctx.write(temp, m_pWork, static_cast<std::size_t>(n))
                                   : WritePictureFile(temp, m_pWork, static_cast<std::size_t>(n));
    const int bits = bpc * components;
    if (written)
      PdfSaveRawImageAsBmp(ctx, palette, hasPalette ? 1 : 0, n, width, height, bits,
                           bits == 1 && reversed ? kRawLoadReversed : 0);
    raise = 100000;
  }
  m_nPictureResult = ctx.m_nFileKind ? 1 : -1;
  if (!ctx.m_nFileKind) return;  // nothing written: the text is shown instead
  m_nPictureKind = ctx.m_nFileKind;
  m_strConvImage = ctx.m_strConvImage;
  m_words.extractNo += raise;
}

}  // namespace convert
