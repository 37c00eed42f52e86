// BinHex 4.0: the data fork of a ".hqx" file.
//
// Layout: a line "(This file must be converted with BinHex 4.0)" (or other
// words after "converted"), then the
// data between two ':' characters, six bits per character (line ends and
// blanks ignored). The decoded bytes are run-length coded (0x90 n repeats the
// previous byte to n copies; 0x90 0 is the byte 0x90). They hold a header
// (name length, name, version, type, creator, flags, data length, resource
// length, CRC), the data fork and its CRC, then the resource fork and its CRC.
// The CRCs are CRC-16/XMODEM (polynomial 0x1021, start 0). The resource fork
// is not read.
#include <algorithm>
#include <cstring>

#include "core/textcodec/codec_internal.h"

namespace textcodec {
namespace detail {

namespace {

constexpr std::uint32_t kMaxData = 512u << 20;  // largest data fork read
constexpr char kAlphabet[] = "!\"#$%&'()*+,-012345689@ABCDEFGHIJKLMNPQRSTUVXYZ[`abcdefhijklmpqr";
constexpr std::uint8_t kRunMark = 0x90;

struct Tables6 {
  std::uint8_t v[256];
  std::uint16_t crc[256];
  Tables6() {
    std::memset(v, 0xFF, sizeof v);
    for (int i = 0; i < 64; ++i) v[static_cast<std::uint8_t>(kAlphabet[i])] = static_cast<std::uint8_t>(i);
    for (int i = 0; i < 256; ++i) {
      std::uint16_t c = static_cast<std::uint16_t>(i << 8);
      for (int k = 0; k < 8; ++k) c = static_cast<std::uint16_t>(c & 0x8000 ? (c << 1) ^ 0x1021 : c << 1);
      crc[i] = c;
    }
  }
};
const Tables6 kT;

std::uint16_t Crc(std::uint16_t crc, std::uint8_t b) {
  return static_cast<std::uint16_t>((crc << 8) ^ kT.crc[((crc >> 8) ^ b) & 0xFF]);
}

// Pulls decoded, run-length expanded bytes.
class Reader {
 public:
  Reader(const std::uint8_t* p, std::size_t n) : p_(p), n_(n) {}
  // Next byte, or -1 at the closing ':' / the end of the input / a bad character.
  int Next() {
    if (repeat_ > 0) {
      --repeat_;
      return last_;
    }
    for (;;) {
      int b = Raw();
      if (b < 0) return -1;
      if (b != kRunMark) {
        last_ = b;
        return b;
      }
      int count = Raw();
      if (count < 0) return -1;
      if (count == 0) {
        last_ = kRunMark;
        return kRunMark;
      }
      if (last_ < 0) {  // nothing to repeat
        bad_ = true;
        return -1;
      }
      if (count == 1) continue;  // one copy: already written
      repeat_ = count - 2;
      return last_;
    }
  }
  bool Bad() const { return bad_; }

 private:
  int Raw() {
    while (nbits_ < 8) {
      if (i_ >= n_) return -1;
      std::uint8_t c = p_[i_];
      if (c == ':') return -1;
      ++i_;
      if (c == '\r' || c == '\n' || c == ' ' || c == '\t') continue;
      std::uint8_t v = kT.v[c];
      if (v == 0xFF) {
        bad_ = true;
        i_ = n_;
        return -1;
      }
      bits_ = (bits_ << 6 | v) & 0xFFFFFF;
      nbits_ += 6;
    }
    nbits_ -= 8;
    return static_cast<int>((bits_ >> nbits_) & 0xFF);
  }

  const std::uint8_t* p_;
  std::size_t n_;
  std::size_t i_ = 0;
  std::uint32_t bits_ = 0;
  int nbits_ = 0;
  int last_ = -1;
  int repeat_ = 0;
  bool bad_ = false;
};

}  // namespace

std::size_t FindBinHexLine(const std::uint8_t* p, std::size_t n) {
  std::size_t at = 0;
  return BinHexMarkerAt(p, n, &at) ? at : n;
}

BinHexResult DecodeBinHex(const std::uint8_t* p, std::size_t n, std::string& data) {
  BinHexResult r;
  std::size_t at = FindBinHexLine(p, n);
  if (at >= n) {
    at = 0;  // forced: the data may start without the line
  } else {
    while (at < n && p[at] != '\r' && p[at] != '\n') ++at;
  }
  while (at < n && p[at] != ':') ++at;
  if (at >= n) {
    r.error = TextCodecError::kBinHexNoData;
    return r;
  }
  Reader in(p + at + 1, n - at - 1);
  auto fail = [&](TextCodecError e) {
    r.error = in.Bad() ? TextCodecError::kBinHexBadCharacter : e;
    return r;
  };

  // Header.
  std::uint16_t crc = 0;
  std::uint8_t head[1 + 63 + 1 + 4 + 4 + 2 + 4 + 4];
  int nameLen = in.Next();
  if (nameLen < 0) return fail(TextCodecError::kBinHexNoData);
  if (nameLen < 1 || nameLen > 63) return fail(TextCodecError::kBinHexHeaderDamaged);
  const int headLen = 1 + nameLen + 1 + 4 + 4 + 2 + 4 + 4;
  head[0] = static_cast<std::uint8_t>(nameLen);
  for (int k = 1; k < headLen; ++k) {
    int b = in.Next();
    if (b < 0) return fail(TextCodecError::kBinHexTruncated);
    head[k] = static_cast<std::uint8_t>(b);
  }
  for (int k = 0; k < headLen; ++k) crc = Crc(crc, head[k]);
  int c1 = in.Next(), c2 = in.Next();
  if (c1 < 0 || c2 < 0) return fail(TextCodecError::kBinHexTruncated);
  if (crc != (c1 << 8 | c2)) return fail(TextCodecError::kBinHexHeaderDamaged);
  const std::uint8_t* lens = head + 1 + nameLen + 1 + 4 + 4 + 2;
  const std::uint32_t dataLen = static_cast<std::uint32_t>(lens[0]) << 24 | lens[1] << 16 | lens[2] << 8 | lens[3];
  r.name.assign(reinterpret_cast<const char*>(head + 1), static_cast<std::size_t>(nameLen));
  if (dataLen > kMaxData) return fail(TextCodecError::kBinHexTooLarge);

  // Data fork.
  {
    ByteWriter w(data, std::min<std::size_t>(dataLen, n * 2));
    crc = 0;
    for (std::uint32_t k = 0; k < dataLen; ++k) {
      int b = in.Next();
      if (b < 0) return fail(TextCodecError::kBinHexTruncated);
      w.Put(static_cast<std::uint8_t>(b));
      crc = Crc(crc, static_cast<std::uint8_t>(b));
    }
  }
  c1 = in.Next();
  c2 = in.Next();
  if (c1 < 0 || c2 < 0) return fail(TextCodecError::kBinHexTruncated);
  if (crc != (c1 << 8 | c2)) r.error = TextCodecError::kBinHexDataDamaged;
  return r;
}

}  // namespace detail
}  // namespace textcodec
