// The document's picture just loaded (the load record) and the image settings
// words the loaders read and write. One plain struct: the document owns one,
// native tests and fuzz targets make their own.
//
// The record is always consistent: m_nLoadDataSize <= m_nLoadBitsAlloc,
// m_nLoadHeight x m_nLoadStride <= m_nLoadDataSize, and pixel bytes the file
// did not supply are 0.
#pragma once

#include <cstdint>
#include <cstring>

namespace img {

constexpr uint32_t kInfoArea = 2000;      // bytes of m_bmiLoad
constexpr uint32_t kMaxInfoSize = 1952;   // 40 + 4 x 256 is the most that reaches it
constexpr uint32_t kHeaderSize = 40;      // BITMAPINFOHEADER

// Words of the image settings block (196 bytes, word 0 = 196).
enum ImageWord : int {
  kColorOption = 6,
  kRotation = 7,
  kTransformCode = 8,
  kRotationEff = 9,
  kFlipV = 24,
  kFlipH = 25,
  kFlipVEff = 26,
  kFlipHEff = 27,
  kEffectStyle = 28,
  kNeedTransform = 29,
};
constexpr int kImageWords = 49;

// The 49 words of the image settings a record reads and writes. A record
// of its own (tests, the plug-in stand-in) keeps them here; the document
// binds its record to the settings words the settings file reads and
// writes, so those words are the only copy. Copies are by value: a copied
// record holds the words' values in its own block, and assigning a record
// puts the values into the words this one uses, wherever they live.
class SettingsWords {
 public:
  SettingsWords() = default;
  SettingsWords(const SettingsWords& o) { std::memcpy(own_, o.Words(), sizeof own_); }
  SettingsWords& operator=(const SettingsWords& o) {
    if (Words() != o.Words()) std::memmove(Words(), o.Words(), sizeof own_);
    return *this;
  }
  // Uses `words` (kImageWords of them, word 0 = 196) from now on; null
  // goes back to the own block.
  void Bind(uint32_t* words) { bound_ = words; }
  uint32_t* Words() { return bound_ ? bound_ : own_; }
  const uint32_t* Words() const { return bound_ ? bound_ : own_; }
  operator uint32_t*() { return Words(); }
  operator const uint32_t*() const { return Words(); }

 private:
  uint32_t own_[kImageWords] = {196};
  uint32_t* bound_ = nullptr;
};

// Who holds m_pLoadBits.
enum BitsOwner : uint32_t { kOwnerNone = 0, kOwnerHeap = 1, kOwnerPlugin = 2 };

struct LoadRecord {
  uint8_t m_bmiLoad[kInfoArea] = {};   // BITMAPINFOHEADER + RGBQUAD table
  uint32_t m_nLoadInfoSize = 0;        // bytes of m_bmiLoad in use
  uint8_t* m_pLoadBits = nullptr;      // pixel rows, bottom row first
  uint32_t m_nLoadBitsAlloc = 0;       // bytes allocated for m_pLoadBits
  void* m_hLoadBits = nullptr;         // plug-in pixel handle (owner 2)
  uint32_t m_nLoadBitsOwner = kOwnerNone;
  uint32_t m_nLoadStride = 0;
  uint32_t m_nLoadDataSize = 0;
  int32_t m_nLoadWidth = 0;
  int32_t m_nLoadHeight = 0;
  uint32_t m_nLoadReady = 0;           // 0 idle, 1 loaded, 2 the view works on it
  // Trimming margins in units of 48 pixels (applied when m_nTrimMode > 0).
  int32_t m_nTrimMode = 0;
  int32_t m_nTrimTop = 0;
  int32_t m_nTrimLeft = 0;
  int32_t m_nTrimBottom = 0;
  int32_t m_nTrimRight = 0;
  SettingsWords m_aImageSettings;
};

// Little-endian fields of a BITMAPINFOHEADER held as bytes.
struct DibHeader {
  uint32_t biSize = kHeaderSize;
  int32_t biWidth = 0;
  int32_t biHeight = 0;
  uint16_t biPlanes = 1;
  uint16_t biBitCount = 0;
  uint32_t biCompression = 0;
  uint32_t biSizeImage = 0;
  int32_t biXPelsPerMeter = 0;
  int32_t biYPelsPerMeter = 0;
  uint32_t biClrUsed = 0;
  uint32_t biClrImportant = 0;
};

inline uint32_t GetLe32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline uint16_t GetLe16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
inline uint32_t GetBe32(const uint8_t* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}
inline void PutLe32(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
  p[2] = uint8_t(v >> 16);
  p[3] = uint8_t(v >> 24);
}
inline void PutLe16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}
inline void PutBe32(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v >> 24);
  p[1] = uint8_t(v >> 16);
  p[2] = uint8_t(v >> 8);
  p[3] = uint8_t(v);
}

// Reads / writes the 40 header bytes at p.
DibHeader ReadDibHeader(const uint8_t* p);
void WriteDibHeader(uint8_t* p, const DibHeader& h);

// Releases the record's pixels by their owner (the plug-in's handle through
// `releasePlugin` when it is given) and empties the pixel fields.
void ReleaseLoadBits(LoadRecord& rec, void (*releasePlugin)(void* handle) = nullptr);

}  // namespace img
