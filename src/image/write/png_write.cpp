#include "image/write/png_write.h"

#include <cstring>
#include <new>

#include "archive/arc_bits.h"
#include "archive/deflater.h"
#include "fw/file.h"
#include "image/load/image_record.h"
#include "image/load/image_size.h"
#include "image/write/write_host.h"

namespace img {
namespace {

const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

void Append(std::vector<uint8_t>& v, const void* p, size_t n) {
  const uint8_t* b = static_cast<const uint8_t*>(p);
  v.insert(v.end(), b, b + n);
}
void AppendBe32(std::vector<uint8_t>& v, uint32_t x) {
  uint8_t b[4];
  PutBe32(b, x);
  Append(v, b, 4);
}
// A chunk: length, type, data, CRC of type and data.
void Chunk(std::vector<uint8_t>& v, const char* type, const uint8_t* data, size_t n) {
  AppendBe32(v, uint32_t(n));
  const size_t start = v.size();
  Append(v, type, 4);
  if (n) Append(v, data, n);
  v.resize(v.size() + 4);
  PngChunkCrc(int32_t(start), int32_t(v.size() - 4), v.data());
}

}  // namespace

void PngChunkCrc(int32_t start, int32_t end, uint8_t* buffer) {
  static uint32_t table[256];
  static bool made = false;
  if (!made) {
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[n] = c;
    }
    made = true;
  }
  uint32_t c = 0xFFFFFFFFu;
  for (int32_t i = start; i < end; ++i) c = table[(c ^ buffer[i]) & 0xFF] ^ (c >> 8);
  PutBe32(buffer + (end > start ? end : start), c ^ 0xFFFFFFFFu);
}

uint32_t Adler32(const uint8_t* data, size_t n) {
  uint32_t a = 1, b = 0;
  while (n) {
    const size_t run = n < 5552 ? n : 5552;
    for (size_t i = 0; i < run; ++i) {
      a += data[i];
      b += a;
    }
    a %= 65521;
    b %= 65521;
    data += run;
    n -= run;
  }
  return b << 16 | a;
}

bool BuildPngFile(const uint8_t* pixels, const uint8_t* header, uint64_t memoryLimit, std::vector<uint8_t>* out,
                  bool* noMemory) {
  *noMemory = false;
  const DibHeader h = ReadDibHeader(header);
  const uint32_t bits = h.biBitCount;
  if ((bits != 1 && bits != 4 && bits != 8 && bits != 24) || h.biWidth <= 0 || h.biHeight <= 0) return false;
  const uint64_t w = uint32_t(h.biWidth), rows = uint32_t(h.biHeight);
  const uint64_t stride = DibStride(w, bits);
  const uint64_t rowLen = bits == 24 ? 3 * w : (w * bits + 7) / 8;
  uint64_t filteredSize = 0;
  if (!SizeWithin(rowLen + 1, rows, 0, memoryLimit, &filteredSize) || stride * rows > memoryLimit) return false;
  try {
    std::vector<uint8_t> filtered(static_cast<size_t>(filteredSize));
    uint8_t* f = filtered.data();
    for (uint64_t y = rows; y-- > 0;) {
      const uint8_t* s = pixels + y * stride;
      *f++ = 0;
      if (bits == 24) {
        for (uint64_t x = 0; x < w; ++x, s += 3, f += 3) {
          f[0] = s[2];
          f[1] = s[1];
          f[2] = s[0];
        }
      } else {
        std::memcpy(f, s, size_t(rowLen));
        f += rowLen;
      }
    }
    std::vector<uint8_t> packed;
    {
      arc::ArcBitWriter bw(packed);
      arc::Deflater d(bw, 32768);
      arc::DeflateWindow win;
      win.Compress(filtered.data(), filtered.size(), d);
      d.WriteLastBlock();
      bw.Flush();
    }
    std::vector<uint8_t>& v = *out;
    v.clear();
    v.reserve(packed.size() + 1100);
    Append(v, kSignature, 8);
    uint8_t ihdr[13] = {};
    PutBe32(ihdr, uint32_t(w));
    PutBe32(ihdr + 4, uint32_t(rows));
    ihdr[8] = uint8_t(bits == 24 ? 8 : bits);
    ihdr[9] = bits == 24 ? 2 : 3;
    Chunk(v, "IHDR", ihdr, 13);
    if (bits < 24) {
      const uint32_t n = 1u << bits;
      uint8_t plte[768];
      const uint8_t* q = header + kHeaderSize;
      for (uint32_t k = 0; k < n; ++k) {
        plte[3 * k] = q[4 * k + 2];
        plte[3 * k + 1] = q[4 * k + 1];
        plte[3 * k + 2] = q[4 * k];
      }
      Chunk(v, "PLTE", plte, 3 * n);
    }
    std::vector<uint8_t> idat;
    idat.reserve(packed.size() + 6);
    idat.push_back(0x78);
    idat.push_back(0xDA);
    Append(idat, packed.data(), packed.size());
    uint8_t adler[4];
    PutBe32(adler, Adler32(filtered.data(), filtered.size()));
    Append(idat, adler, 4);
    Chunk(v, "IDAT", idat.data(), idat.size());
    Chunk(v, "IEND", nullptr, 0);
  } catch (const std::bad_alloc&) {
    *noMemory = true;
    return false;
  }
  return true;
}

uint32_t WritePngFile(WriteHost& host, const uint8_t* pixels, const uint8_t* header, const std::string& path) {
  std::vector<uint8_t> file;
  bool noMemory = false;
  if (!BuildPngFile(pixels, header, host.MemoryLimit(), &file, &noMemory)) {
    if (noMemory) host.MessageBox(152);
    return 0;
  }
  CFile f;
  if (!f.Open(path.c_str(), CFile::modeCreate | CFile::modeReadWrite | CFile::typeBinary)) return 0;
  try {
    f.Write(file.data(), UINT(file.size()));
    f.Close();
  } catch (...) {
    return 0;
  }
  return uint32_t(file.size());
}

}  // namespace img
