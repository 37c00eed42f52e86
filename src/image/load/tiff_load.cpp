// TIFF loader: the first image file directory, values read by their field
// type; uncompressed, LZW (with horizontal prediction) and PackBits data
// taken from the first strip offset on, CCITT fax strips each on their own.
// Forms the loader would show wrongly (planar samples, extra samples, 16-bit
// samples, other colour spaces) are refused with a status text.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "archive/lzw_decode.h"
#include "image/load/image_loaders.h"
#include "image/load/image_size.h"
#include "image/load/tiff_codecs.h"

namespace img {

// CCITT decoder (tiff_ccitt.cpp): decodes one strip into packed 1-bit rows
// appended to out (1 = black); returns the rows produced.
uint64_t CcittDecodeStrip(const uint8_t* data, uint64_t length, uint32_t width, uint64_t maxRows,
                          uint32_t compression, uint32_t fillOrder, bool twoDimOption, std::vector<uint8_t>* out);

namespace {

struct Reader {
  const uint8_t* d;
  uint64_t n;
  bool big;
  bool U16(uint64_t at, uint32_t* v) const {
    if (at + 2 > n) return false;
    *v = big ? uint32_t(d[at]) << 8 | d[at + 1] : uint32_t(d[at]) | uint32_t(d[at + 1]) << 8;
    return true;
  }
  bool U32(uint64_t at, uint32_t* v) const {
    if (at + 4 > n) return false;
    *v = big ? GetBe32(d + at) : GetLe32(d + at);
    return true;
  }
};

// One directory entry: its values read by field type (BYTE, SHORT, LONG),
// inline when they fit in 4 bytes, else at the offset.
struct Entry {
  uint32_t tag = 0, type = 0, count = 0;
  uint64_t at = 0;  // where the values start
  bool Value(const Reader& r, uint32_t i, uint32_t* v) const {
    if (i >= count) return false;
    switch (type) {
      case 1: case 7:
        if (at + i >= r.n) return false;
        *v = r.d[at + i];
        return true;
      case 3: return r.U16(at + 2ull * i, v);
      case 4: return r.U32(at + 4ull * i, v);
      default: return false;
    }
  }
};

struct Dir {
  uint32_t width = 0, height = 0, bits = 1, compression = 1, photometric = 1, samples = 1, fillOrder = 1;
  uint32_t predictor = 1, planar = 1, t4options = 0;
  bool extra = false;
  Entry offsets, counts, colormap;
  bool haveOffsets = false, haveCounts = false, haveMap = false;
};

const char* CompressionName(uint32_t c) {
  switch (c) {
    case 1: return "Uncompressed";
    case 2: return "CCITT(1D)";
    case 3: return "CCITTFAX(G3)";
    case 4: return "CCITTFAX(G4)";
    case 14: return "CCITTFAX(G4 w/oEOL)";
    case 5: return "LZW compression";
    case 32773: return "PackBits compression";
    default: return "Other compression";
  }
}

const char* ColourName(uint32_t p) {
  switch (p) {
    case 0: return "Normal B/W";
    case 1: return "Reverse B/W";
    case 2: return "RGB direct";
    case 3: return "RGB Palette";
    case 5: return "CMYK direct";
    default: return "Other Color system";
  }
}

}  // namespace

uint32_t LoadTiffImage(LoadRecord& rec, LoadHost& host, const uint8_t* data, uint32_t length, uint8_t* info) {
  if (length < 8) return 0;
  Reader r{data, length, false};
  if (data[0] == 'I' && data[1] == 'I' && data[2] == 42 && data[3] == 0) r.big = false;
  else if (data[0] == 'M' && data[1] == 'M' && data[2] == 0 && data[3] == 42) r.big = true;
  else return 0;
  uint32_t ifd = 0, entries = 0;
  if (!r.U32(4, &ifd) || !r.U16(ifd, &entries)) return 0;
  Dir dir;
  for (uint32_t k = 0; k < entries; ++k) {
    const uint64_t e = uint64_t(ifd) + 2 + 12ull * k;
    Entry en;
    if (!r.U16(e, &en.tag) || !r.U16(e + 2, &en.type) || !r.U32(e + 4, &en.count)) return 0;
    if (en.tag == 0 || en.type == 0) break;
    const uint32_t unit = en.type == 3 ? 2 : en.type == 4 ? 4 : en.type == 1 || en.type == 7 ? 1 : 0;
    if (uint64_t(unit) * en.count <= 4) {
      en.at = e + 8;
    } else {
      uint32_t off = 0;
      if (!r.U32(e + 8, &off)) return 0;
      en.at = off;
    }
    uint32_t v = 0;
    const bool has = en.Value(r, 0, &v);
    switch (en.tag) {
      case 256: if (has) dir.width = v; break;
      case 257: if (has) dir.height = v; break;
      case 258: if (has) dir.bits = v; break;
      case 259: if (has) dir.compression = v; break;
      case 262: if (has) dir.photometric = v; break;
      case 266: if (has) dir.fillOrder = v; break;
      case 277: if (has) dir.samples = v; break;
      case 284: if (has) dir.planar = v; break;
      case 292: if (has) dir.t4options = v; break;
      case 317: if (has) dir.predictor = v; break;
      case 338: dir.extra = true; break;
      case 273: dir.offsets = en; dir.haveOffsets = has; break;
      case 279: dir.counts = en; dir.haveCounts = has; break;
      case 320: dir.colormap = en; dir.haveMap = true; break;
      default: break;
    }
  }
  if (dir.width == 0 || dir.height == 0) return 0;
  if (!dir.haveOffsets || !dir.haveCounts) return 0;
  const bool rgb = dir.samples == 3 && dir.photometric == 2;
  std::string status = std::string(CompressionName(dir.compression)) + " , " + ColourName(dir.photometric);
  // Forms shown wrongly otherwise are refused.
  const bool sampleOk = rgb ? dir.bits == 8 : dir.samples == 1 && (dir.bits == 1 || dir.bits == 2 ||
                                                                    dir.bits == 4 || dir.bits == 8);
  if (!sampleOk || dir.planar == 2 || dir.extra || (dir.photometric != 3 && dir.photometric > 2)) {
    host.StatusText(status + " (not supported)");
    return 0;
  }
  const uint32_t outBits = rgb ? 24 : dir.bits;
  const uint64_t rowBytes = (uint64_t(dir.width) * outBits + 7) / 8;
  const uint64_t stride = DibStride(dir.width, outBits);
  uint64_t expected = 0;
  if (stride > kMaxSide || dir.height > kMaxSide ||
      !SizeWithin(rowBytes, dir.height, 0, std::min<uint64_t>(WorkLimit(host), host.textBufSize), &expected))
    return 0;

  // Colour table.
  uint8_t table[256][4] = {};
  uint32_t colours = 0;
  if (!rgb && dir.photometric == 3) {
    if (!dir.haveMap || dir.bits == 0) return 0;
    colours = std::min<uint32_t>(1u << dir.bits, 256);
    if (dir.colormap.count < 3 * colours) return 0;
    for (uint32_t k = 0; k < colours; ++k) {
      uint32_t red, green, blue;
      if (!dir.colormap.Value(r, k, &red) || !dir.colormap.Value(r, colours + k, &green) ||
          !dir.colormap.Value(r, 2 * colours + k, &blue))
        return 0;
      table[k][0] = uint8_t(blue >> 8);
      table[k][1] = uint8_t(green >> 8);
      table[k][2] = uint8_t(red >> 8);
    }
  } else if (!rgb) {
    const bool minIsWhite = dir.photometric == 0;
    if (dir.bits == 1) {
      colours = 2;
      const uint8_t first = minIsWhite ? 255 : 0;
      std::memset(table[0], first, 3);
      std::memset(table[1], 255 - first, 3);
    } else if (dir.bits > 4) {
      colours = 256;
      for (int k = 0; k < 256; ++k) std::memset(table[k], minIsWhite ? 255 - k : k, 3);
    } else {
      colours = 64;
      for (int k = 0; k < 64; ++k) std::memset(table[k], (k % 16) * 16, 3);
    }
  }
  host.StatusText(status);

  // Decode.
  uint32_t compression = dir.compression;
  uint32_t first = 0;
  dir.offsets.Value(r, 0, &first);
  if (first >= length) return 0;
  if (compression == 3 && first + 1 < length && data[first] == 0xFF && data[first + 1] == 0xFF) compression = 4;
  std::vector<uint8_t> out;
  try {
    out.reserve(size_t(expected));
    switch (compression) {
      case 1: {
        const uint64_t n = std::min<uint64_t>(length - first, expected);
        out.assign(data + first, data + first + n);
        break;
      }
      case 5: {
        // Decoded in place in the output vector (it holds the input first).
        const uint64_t inLen = length - first;
        out.resize(size_t(std::max(inLen, expected)) + 16);
        std::memcpy(out.data(), data + first, size_t(inLen));
        bool noMemory = false;
        const int32_t n = arc::LzwDecode(out.data(), int32_t(std::min<uint64_t>(inLen, 0x7FFFFFFF)),
                                         int32_t(expected), arc::kLzwTiff, 8, &noMemory);
        if (noMemory) host.MessageBox(kStrOutOfMemory);
        out.resize(size_t(std::max(n, 0)));
        break;
      }
      case 32773:
        PackBitsDecode(data + first, length - first, expected, &out);
        break;
      case 2: case 3: case 4: case 14: {
        if (dir.bits != 1 || rgb) return 0;
        // Each strip on its own, rows appended in strip order.
        uint64_t rows = 0;
        for (uint32_t s = 0; s < dir.offsets.count && rows < dir.height; ++s) {
          uint32_t off = 0, cnt = 0;
          if (!dir.offsets.Value(r, s, &off) || off >= length) break;
          if (!dir.counts.Value(r, s, &cnt)) cnt = uint32_t(length - off);
          const uint64_t n = std::min<uint64_t>(cnt, length - off);
          uint32_t c = compression;
          if (c == 3 && n >= 2 && data[off] == 0xFF && data[off + 1] == 0xFF) c = 4;
          rows += CcittDecodeStrip(data + off, n, dir.width, dir.height - rows, c, dir.fillOrder,
                                   (dir.t4options & 1) != 0, &out);
        }
        break;
      }
      default:
        return 0;
    }
  } catch (const std::bad_alloc&) {
    host.MessageBox(kStrOutOfMemory);
    return 0;
  }
  if (out.empty()) return 0;
  if (dir.predictor == 2 && compression == 5) {
    const uint32_t spp = rgb ? 3 : 1;
    if (dir.bits == 8)
      for (uint64_t y = 0; y * rowBytes < out.size(); ++y)
        for (uint64_t i = spp; i < rowBytes && y * rowBytes + i < out.size(); ++i)
          out[y * rowBytes + i] = uint8_t(out[y * rowBytes + i] + out[y * rowBytes + i - spp]);
  }
  if (!AllocLoadBits(rec, host, stride * dir.height + 10000)) return 0;
  for (uint64_t y = 0; y < dir.height && y * rowBytes < out.size(); ++y) {
    const uint8_t* s = out.data() + y * rowBytes;
    uint8_t* d = rec.m_pLoadBits + (dir.height - 1 - y) * stride;
    const uint64_t n = std::min<uint64_t>(rowBytes, out.size() - y * rowBytes);
    if (!rgb) {
      std::memcpy(d, s, size_t(n));
      continue;
    }
    // 24 bits: red, green, blue become blue, green, red after decoding.
    uint64_t i = 0;
    for (; i + 2 < n; i += 3) {
      d[i] = s[i + 2];
      d[i + 1] = s[i + 1];
      d[i + 2] = s[i];
    }
    for (; i < n; ++i) d[i] = s[i];
  }
  std::memset(info, 0, kInfoArea);
  DibHeader h;
  h.biWidth = int32_t(dir.width);
  h.biHeight = int32_t(dir.height);
  h.biBitCount = uint16_t(outBits);
  h.biSizeImage = uint32_t(stride * dir.height);
  if (outBits == 2) h.biClrUsed = 4;  // the first four grey entries
  WriteDibHeader(info, h);
  std::memcpy(info + kHeaderSize, table, 4 * std::min<uint32_t>(colours, 256));
  return uint32_t(std::min<uint64_t>(out.size(), 0xFFFFFFFFu));
}

}  // namespace img
