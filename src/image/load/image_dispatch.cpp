#include "image/load/image_dispatch.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "fw/alloc.h"
#include "fw/clock.h"
#include "fw/file.h"
#include "image/load/image_loaders.h"
#include "image/load/image_size.h"

namespace img {
namespace {

constexpr int kOpenAttempts = 10;
constexpr int kOpenRetryMs = 100;
constexpr uint64_t kWaitCursorFrom = 2000000;
constexpr uint32_t kFileSlack = 1000;     // bytes beyond the file in its buffer
constexpr uint32_t kPixelSlack = 10000;   // bytes beyond the pixels
constexpr int64_t kTrimUnit = 48;         // pixels per trimming unit

// Status texts of the bitmap path and the plug-ins, by kind.
struct KindStatus {
  int kind;
  const char* format;
};
const KindStatus kStatusTexts[] = {
    {kKindBmp, "Bitmap %d bit"}, {kKindJpeg, "Jpeg   %d bit"}, {kKindPng, "PING   %d bit"},
    {kKindGif, "Gif    %d bit"}, {kKindTiff, "Tiff   %d bit"},
};

// Own loader by plug-in name, when no library was loaded.
enum class Own { kNone, kJpeg, kPng, kGif, kTiff, kBmz, kMetafile };
struct NamedLoader {
  const char* name;
  Own own;
};
const NamedLoader kOwnLoaders[] = {
    {"IFJPEG", Own::kJpeg}, {"IFJPG", Own::kJpeg}, {"IFPNG", Own::kPng},      {"IFGIF", Own::kGif},
    {"IFWMF", Own::kMetafile}, {"IFEMF", Own::kMetafile}, {"IFTIF", Own::kTiff},
};

std::string Upper(std::string s) {
  for (char& c : s) c = char(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

uint32_t CallOwn(Own own, LoadRecord& rec, LoadHost& host, const uint8_t* data, uint32_t length, uint8_t* info) {
  switch (own) {
    case Own::kJpeg: return LoadJpegImage(rec, host, data, length, info);
    case Own::kPng: return LoadPngImage(rec, host, data, length, info);
    case Own::kGif: return LoadGifImage(rec, host, data, length, info);
    case Own::kTiff: return LoadTiffImage(rec, host, data, length, info);
    case Own::kBmz: return LoadBmzImage(rec, host, data, length, info);
    default: return 0;
  }
}

void ReleaseBits(LoadRecord& rec, LoadHost& host) {
  if (rec.m_nLoadBitsOwner == kOwnerPlugin) host.ReleasePluginBits(rec.m_hLoadBits);
  ReleaseLoadBits(rec);
}

// Colour count of a header (step 18).
uint32_t ColourCount(const DibHeader& h) {
  if (h.biClrUsed >= 1 && h.biClrUsed <= 256) return h.biClrUsed;
  switch (h.biBitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
  }
}

// Margins in pixels, each >= 0 (trimming applies when the mode is above 0).
struct Margins {
  int64_t t = 0, l = 0, b = 0, r = 0;
  bool any = false;
};
Margins TrimMargins(const LoadRecord& rec) {
  Margins m;
  if (rec.m_nTrimMode <= 0) return m;
  m.t = std::max<int64_t>(0, rec.m_nTrimTop) * kTrimUnit;
  m.l = std::max<int64_t>(0, rec.m_nTrimLeft) * kTrimUnit;
  m.b = std::max<int64_t>(0, rec.m_nTrimBottom) * kTrimUnit;
  m.r = std::max<int64_t>(0, rec.m_nTrimRight) * kTrimUnit;
  m.any = m.t || m.l || m.b || m.r;
  return m;
}

// The picture's geometry after trimming and the limits, shared by the
// bitmap path and the loaders.
struct Geometry {
  int64_t width = 0, height = 0;    // after trimming
  uint64_t oldStride = 0, stride = 0;
  uint64_t leftBytes = 0;           // byte offset of the left margin in a row
  uint64_t bottomRows = 0;          // rows dropped at the bottom
  uint64_t size = 0;                // height x stride
};

bool MakeGeometry(const DibHeader& h, const Margins& m, Geometry* g) {
  const uint32_t bits = h.biBitCount;
  if (h.biWidth <= 0 || h.biHeight <= 0 || bits == 0 || bits > 32) return false;
  g->oldStride = DibStride(uint32_t(h.biWidth), bits);
  g->width = h.biWidth;
  g->height = h.biHeight;
  if (m.any) {
    g->height -= m.t + m.b;
    g->width -= m.l + m.r;
    // Whole bytes for every depth: 48 pixels are 6 x bits bytes.
    g->leftBytes = uint64_t(m.l) * bits / 8;
    g->bottomRows = uint64_t(m.b);
  }
  if (g->width <= 0 || g->height <= 0) return false;
  g->stride = DibStride(uint64_t(g->width), bits);
  if (g->stride > kMaxSide || uint64_t(g->height) > kMaxSide || g->oldStride > 4 * uint64_t(kMaxSide)) return false;
  g->size = uint64_t(g->height) * g->stride;
  return true;
}

// Cuts the height to whole rows of `limit` bytes.
void CutToLimit(Geometry* g, uint64_t limit) {
  if (g->size <= limit) return;
  g->height = int64_t(limit / (g->stride ? g->stride : 1));
  g->size = uint64_t(g->height) * g->stride;
}

// Fills the record's fields after a successful decode (steps 22-24).
void FinishRecord(LoadRecord& rec, const Geometry& g, const DibHeader& h) {
  DibHeader out = h;
  out.biSize = kHeaderSize;
  out.biWidth = int32_t(g.width);
  out.biHeight = int32_t(g.height);
  out.biSizeImage = uint32_t(g.size);
  WriteDibHeader(rec.m_bmiLoad, out);
  rec.m_nLoadDataSize = uint32_t(g.size);
  rec.m_nLoadWidth = int32_t(g.width);
  rec.m_nLoadHeight = int32_t(g.height);
  rec.m_nLoadStride = g.stride ? uint32_t(g.stride) : 4;
  SetTransformWords(rec.m_aImageSettings, h.biBitCount);
  rec.m_nLoadReady = 1;
}

void BitmapStatus(LoadRecord& rec, LoadHost& host, int kind, uint32_t bits) {
  if (rec.m_nTrimMode != 0) return;
  const char* format = nullptr;
  for (const KindStatus& s : kStatusTexts)
    if (s.kind == kind) format = s.format;
  char text[64] = "";
  if (format) std::snprintf(text, sizeof text, format, int(bits));
  host.StatusText(text);
}

// The bitmap path (steps 13-22) over the file's bytes.
int LoadBitmap(LoadRecord& rec, LoadHost& host, const uint8_t* data, uint32_t length, uint64_t fileLength) {
  if (length < 18 || data[0] != 'B' || data[1] != 'M') return -1;
  const uint32_t biSize = GetLe32(data + 14);
  if (biSize < kHeaderSize || uint64_t(14) + biSize > length) return -1;
  DibHeader h = ReadDibHeader(data + 14);
  const uint32_t bits = h.biBitCount;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return -1;
  // Run-length, JPEG and PNG pixels are refused; BI_BITFIELDS only for 16 and 32 bits.
  bool bitfields = h.biCompression == 3 && (bits == 16 || bits == 32);
  if (h.biCompression != 0 && !bitfields) return -1;
  // BI_BITFIELDS after a 40-byte header whose pixels start right after it
  // carries no masks (one writer makes such files): the plain layout.
  if (bitfields && biSize == kHeaderSize && GetLe32(data + 10) != 0 && GetLe32(data + 10) < 14 + 40 + 12) {
    bitfields = false;
    h.biCompression = 0;
  }
  if (h.biHeight == 0) return -1;
  const Margins m = TrimMargins(rec);
  Geometry g;
  if (!MakeGeometry(h, m, &g)) return -1;
  // Size limits: the file limit, then the pixel data kept.
  CutToLimit(&g, host.textBufSize2);
  CutToLimit(&g, host.textBufSize);
  if (g.height <= 0) return -1;

  const uint32_t colours = ColourCount(h);
  uint32_t infoSize = kHeaderSize + 4 * colours;
  // The masks of BI_BITFIELDS: after a 40-byte header, or inside a longer one.
  const uint64_t maskAt = 14 + 40;
  if (bitfields) infoSize = kHeaderSize + 12;
  infoSize = std::min(infoSize, kMaxInfoSize);
  std::memset(rec.m_bmiLoad, 0, kInfoArea);
  const uint64_t tableAt = bitfields ? maskAt : 14 + uint64_t(biSize);
  const uint64_t tableWant = infoSize - kHeaderSize;
  if (tableAt < length)
    std::memcpy(rec.m_bmiLoad + kHeaderSize, data + tableAt, size_t(std::min<uint64_t>(tableWant, length - tableAt)));

  // Pixels at bfOffBits (0 there: right after the colour table).
  uint64_t offBits = GetLe32(data + 10);
  if (offBits == 0) offBits = 14 + uint64_t(biSize) + 4 * uint64_t(colours) + (bitfields && biSize == 40 ? 12 : 0);
  if (offBits >= fileLength || offBits >= length) return -1;

  if (!AllocLoadBits(rec, host, g.size + kPixelSlack)) return -1;
  for (int64_t k = 0; k < g.height; ++k) {
    const uint64_t from = offBits + g.leftBytes + (g.bottomRows + uint64_t(k)) * g.oldStride;
    if (from >= length) break;
    const uint64_t n = std::min<uint64_t>(g.stride, length - from);
    std::memcpy(rec.m_pLoadBits + uint64_t(k) * g.stride, data + from, size_t(n));
  }
  rec.m_nLoadInfoSize = infoSize;
  h.biClrUsed = h.biClrUsed > 256 ? 0 : h.biClrUsed;
  FinishRecord(rec, g, h);
  return 0;
}

// Steps 14-22 after a loader or plug-in: trimming rows inside the pixel
// block, the limits, and the record's header from the loader's.
int TakeDecoded(LoadRecord& rec, LoadHost& host, const uint8_t* info, uint32_t infoBytes) {
  if (infoBytes < kHeaderSize) return -1;
  DibHeader h = ReadDibHeader(info);
  const Margins m = TrimMargins(rec);
  Geometry g;
  if (!MakeGeometry(h, m, &g)) return -1;
  // Rows the block holds: never more than were allocated.
  const uint64_t alloc = rec.m_nLoadBitsAlloc;
  const uint64_t need = g.leftBytes + g.bottomRows * g.oldStride;
  if (need >= alloc) return -1;
  const uint64_t maxRows = g.oldStride ? (alloc - g.leftBytes) / g.oldStride : 0;
  if (uint64_t(g.height) + g.bottomRows > maxRows) {
    if (maxRows <= g.bottomRows) return -1;
    g.height = int64_t(maxRows - g.bottomRows);
    g.size = uint64_t(g.height) * g.stride;
  }
  CutToLimit(&g, host.textBufSize);
  if (g.height <= 0) return -1;
  const uint32_t colours = ColourCount(h);
  const uint32_t infoSize = std::min(kHeaderSize + 4 * colours, kMaxInfoSize);
  std::memset(rec.m_bmiLoad, 0, kInfoArea);
  std::memcpy(rec.m_bmiLoad, info, std::min(infoSize, infoBytes));
  if (m.any) {
    for (int64_t k = 0; k < g.height; ++k) {
      const uint64_t from = g.leftBytes + (g.bottomRows + uint64_t(k)) * g.oldStride;
      std::memmove(rec.m_pLoadBits + uint64_t(k) * g.stride, rec.m_pLoadBits + from, size_t(g.stride));
    }
  }
  rec.m_nLoadInfoSize = infoSize;
  FinishRecord(rec, g, h);
  return 0;
}

}  // namespace

std::string PluginName(int kind, const std::string pictExt[5]) {
  switch (kind) {
    case kKindJpeg: return "IFJPEG";
    case kKindPng: return "IFPNG";
    case kKindGif: return "IFGIF";
    case kKindTiff: return "IFTIF";
    case kKindWmf: return "IFWMF";
    case kKindEmf: return "IFEMF";
    case kKindBmz: return std::string();
    default: break;
  }
  if (kind >= kKindPict1 && kind <= kKindPict5) {
    std::string ext = pictExt[kind - kKindPict1];
    if (!ext.empty() && ext[0] == '.') ext = ext.size() > 3 ? ext.substr(ext.size() - 3) : ext.substr(1);
    return "IF" + Upper(ext);
  }
  return std::string();
}

void SetTransformWords(uint32_t* w, uint32_t bitCount) {
  const int32_t code = int32_t(w[kTransformCode]);
  const int d = code < 0 ? -1 : code % 10;
  auto wrap = [](uint32_t v) { return v > 3 ? v - 4 : v; };
  w[kFlipVEff] = w[kFlipV];
  w[kFlipHEff] = w[kFlipH];
  if (d == 1 || d == 3) {
    w[kFlipHEff] = w[kFlipV];
    w[kFlipVEff] = w[kFlipH];
    w[kRotationEff] = wrap(w[kRotation] + uint32_t(d));
  } else if (d == 0 || d == 2) {
    w[kRotationEff] = wrap(w[kRotation] + uint32_t(d));
  } else if (d == 4) {
    w[kFlipHEff] = w[kFlipH] + 1 > 1 ? 0 : w[kFlipH] + 1;
    w[kRotationEff] = w[kRotation];
  } else if (d == 5) {
    w[kFlipVEff] = w[kFlipV] + 1 > 1 ? 0 : w[kFlipV] + 1;
    w[kRotationEff] = w[kRotation];
  } else {
    w[kRotationEff] = w[kRotation];
  }
  const int32_t option = int32_t(w[kColorOption]);
  const bool plain = w[kEffectStyle] == 0 && w[kRotationEff] == 0 && w[kFlipHEff] == 0 && w[kFlipVEff] == 0 &&
                     option != -2 && !(option > 0 && bitCount == 24);
  w[kNeedTransform] = plain ? 0 : 1;
}

LoadOutcome LoadImageBytes(LoadRecord& rec, LoadHost& host, const uint8_t* data, uint32_t length,
                           uint64_t fileLength, const LoadRequest& req) {
  LoadOutcome out;
  out.result = -1;
  rec.m_aImageSettings[kColorOption] = uint32_t(req.option);
  if (rec.m_nLoadReady > 0) return out;
  if (length == 0) return out;
  ReleaseBits(rec, host);
  struct Cursor {
    LoadHost& host;
    bool on;
    ~Cursor() {
      if (on) host.WaitCursor(false);
    }
  } cursor{host, fileLength > kWaitCursorFrom};
  if (cursor.on) host.WaitCursor(true);

  int kind = req.kind;
  if (length >= 2 && data[0] == 'B' && data[1] == 'M') kind = kKindBmp;
  if (length >= 2 && data[0] == 'G' && data[1] == 'I') kind = kKindGif;
  if (kind <= kKindBmp) {
    out.result = LoadBitmap(rec, host, data, length, fileLength);
    if (out.result == 0) BitmapStatus(rec, host, kKindBmp, ReadDibHeader(rec.m_bmiLoad).biBitCount);
    else ReleaseBits(rec, host);
    return out;
  }

  // Plug-in or own loader (steps 8-11).
  const std::string name = PluginName(kind, req.pictExt);
  bool plugin = false;
  Own own = Own::kNone;
  if (kind == kKindBmz) {
    own = Own::kBmz;
  } else if (kind == kKindWmf || kind == kKindEmf) {
    own = Own::kMetafile;
  } else {
    if (!name.empty()) plugin = host.OpenPlugin(name, false);
    if (!plugin) {
      for (const NamedLoader& n : kOwnLoaders)
        if (name == n.name) own = n.own;
      if (own == Own::kTiff) {
        if (host.OpenPlugin("IFTIFF", false)) {
          plugin = true;
          own = Own::kNone;
        }
      } else if (own == Own::kNone) {
        // Other names: name (cut to five characters) + "*.SPI", found by search.
        if (!name.empty()) plugin = host.OpenPlugin(name.substr(0, 5), true);
        if (!plugin) {
          host.SetMessage(kStrNoPlugin);
          out.result = -2;
          return out;
        }
      }
    }
  }
  if (own == Own::kMetafile) {
    out.result = 0;
    out.metafile = true;
    return out;
  }
  if (plugin && kind == kKindJpeg && req.option > 0) {
    host.ReleasePluginInfo();
    plugin = false;
    own = Own::kJpeg;
  }

  if (plugin) {
    PluginPicture pic;
    if (host.CallPlugin(data, length, &pic) != 0 || !pic.info) return out;
    rec.m_pLoadBits = pic.bits;
    rec.m_hLoadBits = pic.bitsHandle;
    rec.m_nLoadBitsOwner = kOwnerPlugin;
    rec.m_nLoadBitsAlloc = pic.bitsBytes;
    out.result = TakeDecoded(rec, host, pic.info, pic.infoBytes);
    host.ReleasePluginInfo();
    if (out.result == 0) BitmapStatus(rec, host, kind, ReadDibHeader(rec.m_bmiLoad).biBitCount);
    else ReleaseBits(rec, host);
    return out;
  }
  uint8_t info[kInfoArea] = {};
  if (CallOwn(own, rec, host, data, length, info) == 0) {
    ReleaseBits(rec, host);
    return out;
  }
  out.result = TakeDecoded(rec, host, info, kInfoArea);
  if (out.result != 0) ReleaseBits(rec, host);
  return out;
}

LoadOutcome LoadImageFile(LoadRecord& rec, LoadHost& host, const std::string& path, const LoadRequest& req) {
  LoadOutcome out;
  out.result = -1;
  rec.m_aImageSettings[kColorOption] = uint32_t(req.option);
  if (rec.m_nLoadReady > 0) return out;
  CFile f;
  bool opened = false;
  for (int attempt = 0; attempt < kOpenAttempts && !opened; ++attempt) {
    opened = f.Open(path.c_str(), CFile::modeRead | CFile::shareExclusive | CFile::typeBinary) != FALSE;
    if (!opened && attempt + 1 < kOpenAttempts) fw::Wait(kOpenRetryMs);
  }
  if (!opened) return out;
  uint64_t fileLength = 0;
  try {
    fileLength = f.GetLength();
  } catch (...) {
    return out;
  }
  if (fileLength == 0) return out;
  uint64_t readLength = fileLength;
  if (fileLength > host.textBufSize2) {
    if (req.kind != kKindBmp) {
      out.result = -3;
      return out;
    }
    readLength = host.textBufSize2;
  }
  uint8_t* buf = static_cast<uint8_t*>(fw::Alloc(size_t(readLength) + kFileSlack));
  if (!buf) {
    host.SetMessage(kStrOutOfMemory);
    return out;
  }
  uint64_t got = 0;
  try {
    got = f.Read(buf, UINT(readLength));
  } catch (...) {
    got = 0;
  }
  f.Close();
  if (got == 0) {
    fw::Free(buf);
    return out;
  }
  out = LoadImageBytes(rec, host, buf, uint32_t(got), fileLength, req);
  fw::Free(buf);
  return out;
}

bool AllocLoadBits(LoadRecord& rec, LoadHost& host, uint64_t bytes) {
  ReleaseLoadBits(rec);
  if (bytes > 0xFFFFFFFFu) {
    host.MessageBox(kStrOutOfMemory);
    return false;
  }
  void* p = fw::Alloc(size_t(bytes));
  if (!p) {
    host.MessageBox(kStrOutOfMemory);
    return false;
  }
  std::memset(p, 0, size_t(bytes));
  rec.m_pLoadBits = static_cast<uint8_t*>(p);
  rec.m_nLoadBitsAlloc = uint32_t(bytes);
  rec.m_nLoadBitsOwner = kOwnerHeap;
  return true;
}

}  // namespace img
