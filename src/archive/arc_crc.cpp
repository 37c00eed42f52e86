#include "archive/arc_crc.h"

#include <cstring>

#include "archive/arc_error.h"

namespace arc {
namespace {

// Slicing-by-16 tables of CRC-32: t[0] is the classic byte table, t[k][i]
// the CRC of byte i followed by k zero bytes.
struct Crc32Tables {
  uint32_t t[16][256];
  Crc32Tables() {
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
      t[0][i] = c;
    }
    for (int k = 1; k < 16; ++k)
      for (int i = 0; i < 256; ++i) t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
  }
};

const Crc32Tables& Tables32() {
  static const Crc32Tables tables;
  return tables;
}

struct Crc16Tab {
  uint16_t t[256];
  Crc16Tab() {
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0xA001u : c >> 1;
      t[i] = static_cast<uint16_t>(c);
    }
  }
};

const Crc16Tab& Table16() {
  static const Crc16Tab table;
  return table;
}

}  // namespace

uint32_t Crc32Update(uint32_t crc, const uint8_t* p, size_t n) noexcept {
  // Short blocks are not worth the vector set-up.
  static const bool clmul = Crc32ClmulAvailable();
  if (clmul && n >= 64) return Crc32UpdateClmul(crc, p, n);
  return Crc32UpdateTables(crc, p, n);
}

uint32_t Crc32UpdateTables(uint32_t crc, const uint8_t* p, size_t n) noexcept {
  const Crc32Tables& T = Tables32();
  auto word = [](const uint8_t* q) {
    return uint32_t(q[0]) | uint32_t(q[1]) << 8 | uint32_t(q[2]) << 16 | uint32_t(q[3]) << 24;
  };
  while (n >= 16) {
    uint32_t a = crc ^ word(p), b = word(p + 4), c = word(p + 8), d = word(p + 12);
    crc = T.t[15][a & 0xFF] ^ T.t[14][(a >> 8) & 0xFF] ^ T.t[13][(a >> 16) & 0xFF] ^ T.t[12][a >> 24] ^
          T.t[11][b & 0xFF] ^ T.t[10][(b >> 8) & 0xFF] ^ T.t[9][(b >> 16) & 0xFF] ^ T.t[8][b >> 24] ^
          T.t[7][c & 0xFF] ^ T.t[6][(c >> 8) & 0xFF] ^ T.t[5][(c >> 16) & 0xFF] ^ T.t[4][c >> 24] ^
          T.t[3][d & 0xFF] ^ T.t[2][(d >> 8) & 0xFF] ^ T.t[1][(d >> 16) & 0xFF] ^ T.t[0][d >> 24];
    p += 16;
    n -= 16;
  }
  while (n >= 8) {
    uint32_t lo = crc ^ (uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
    uint32_t hi = uint32_t(p[4]) | uint32_t(p[5]) << 8 | uint32_t(p[6]) << 16 | uint32_t(p[7]) << 24;
    crc = T.t[7][lo & 0xFF] ^ T.t[6][(lo >> 8) & 0xFF] ^ T.t[5][(lo >> 16) & 0xFF] ^ T.t[4][lo >> 24] ^
          T.t[3][hi & 0xFF] ^ T.t[2][(hi >> 8) & 0xFF] ^ T.t[1][(hi >> 16) & 0xFF] ^ T.t[0][hi >> 24];
    p += 8;
    n -= 8;
  }
  while (n--) crc = T.t[0][(crc ^ *p++) & 0xFF] ^ (crc >> 8);
  return crc;
}

uint32_t Crc32(const uint8_t* p, size_t n) noexcept { return ~Crc32Update(0xFFFFFFFFu, p, n); }

uint16_t Crc16Update(uint16_t crc, const uint8_t* p, size_t n) noexcept {
  const Crc16Tab& T = Table16();
  while (n--) crc = static_cast<uint16_t>(T.t[(crc ^ *p++) & 0xFF] ^ (crc >> 8));
  return crc;
}

Crc16Table::Crc16Table(uint16_t poly, uint16_t start) noexcept : crc_(start) {
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ poly : c >> 1;
    table_[i] = static_cast<uint16_t>(c);
  }
}

LzhCrc16::LzhCrc16(std::ostream& out, int64_t targetSize) : out_(out), target_(targetSize) {
  if (!out_) Fail("026");
}

bool LzhCrc16::Put(uint8_t byte) { return Write(&byte, 1); }

bool LzhCrc16::Write(const uint8_t* p, size_t n) {
  crc_ = Crc16Update(crc_, p, n);
  out_.write(reinterpret_cast<const char*>(p), static_cast<std::streamsize>(n));
  count_ += static_cast<int64_t>(n);
  return count_ >= target_;
}

ZipCrc32::ZipCrc32(ArcState& st, std::ostream* out, int64_t targetSize)
    : st_(st), out_(out), target_(targetSize) {
  if (st_.m_nArcOutMax <= 0 && (!out_ || !*out_)) Fail("026");
}

bool ZipCrc32::Put(uint8_t byte) { return Write(&byte, 1); }

bool ZipCrc32::Write(const uint8_t* p, size_t n) {
  crc_ = Crc32Update(crc_, p, n);
  if (st_.m_nArcOutMax > 0) {
    if (count_ < st_.m_nArcOutMax && st_.m_pArcOutBuf) {
      int64_t room = st_.m_nArcOutMax - count_;
      size_t take = static_cast<int64_t>(n) < room ? n : static_cast<size_t>(room);
      std::memcpy(st_.m_pArcOutBuf + count_, p, take);
    }
  } else {
    out_->write(reinterpret_cast<const char*>(p), static_cast<std::streamsize>(n));
  }
  count_ += static_cast<int64_t>(n);
  return count_ >= target_;
}

}  // namespace arc
