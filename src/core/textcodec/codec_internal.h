// Helpers shared by the decoders and encoders (not for other modules).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "core/textcodec/sjis_map.h"
#include "core/textcodec/textcodec.h"

namespace textcodec {
namespace detail {

// Appends to a string through a raw pointer; grows geometrically, so a decode
// makes a handful of allocations whatever the input size.
class ByteWriter {
 public:
  ByteWriter(std::string& s, std::size_t expect) : s_(s), pos_(s.size()) {
    s_.resize(pos_ + expect + 16);
  }
  ~ByteWriter() { s_.resize(pos_); }
  ByteWriter(const ByteWriter&) = delete;
  ByteWriter& operator=(const ByteWriter&) = delete;

  // Room for n more bytes; returns where they go (call Advance after).
  char* Room(std::size_t n) {
    if (s_.size() - pos_ < n) Grow(n);
    return &s_[pos_];
  }
  void Advance(std::size_t n) { pos_ += n; }

  void Put(std::uint8_t b) { *Room(1) = static_cast<char>(b); ++pos_; }
  void Put2(std::uint8_t a, std::uint8_t b) {
    char* p = Room(2);
    p[0] = static_cast<char>(a);
    p[1] = static_cast<char>(b);
    pos_ += 2;
  }
  void PutBytes(const void* p, std::size_t n) {
    if (n == 0) return;
    std::memcpy(Room(n), p, n);
    pos_ += n;
  }
  // A Shift-JIS code (single byte below 0x100).
  void PutSjis(std::uint16_t code) {
    if (code < 0x100)
      Put(static_cast<std::uint8_t>(code));
    else
      Put2(static_cast<std::uint8_t>(code >> 8), static_cast<std::uint8_t>(code));
  }
  std::size_t Size() const { return pos_; }

 private:
  void Grow(std::size_t n) {
    std::size_t want = s_.size() + s_.size() / 2 + n + 64;
    s_.resize(want);
  }
  std::string& s_;
  std::size_t pos_;
};

// Length of the run of ASCII bytes (below 0x80) from p, at most n.
inline std::size_t AsciiRun(const std::uint8_t* p, std::size_t n) {
  std::size_t i = 0;
  while (i + 8 <= n) {
    std::uint64_t w;
    std::memcpy(&w, p + i, 8);
    if (w & 0x8080808080808080ull) break;
    i += 8;
  }
  while (i < n && p[i] < 0x80) ++i;
  return i;
}

// Writes the replacement for input without a Shift-JIS form and counts it.
inline void PutReplacement(ByteWriter& w, std::size_t& replaced) {
  w.PutSjis(kSjisReplacement);
  ++replaced;
}

// Copies the ASCII run at p[i..n) to w and moves i past it; false when that
// reaches the end of the input.
inline bool CopyAsciiRun(const std::uint8_t* p, std::size_t n, std::size_t& i, ByteWriter& w) {
  std::size_t a = AsciiRun(p + i, n - i);
  w.PutBytes(p + i, a);
  i += a;
  return i < n;
}

// Single decoders: append Shift-JIS to w, return replaced characters.
std::size_t DecodeSjis(const std::uint8_t* p, std::size_t n, ByteWriter& w);
std::size_t DecodeUtf8(const std::uint8_t* p, std::size_t n, ByteWriter& w);
std::size_t DecodeUtf16(const std::uint8_t* p, std::size_t n, bool bigEndian, ByteWriter& w);
std::size_t DecodeEuc(const std::uint8_t* p, std::size_t n, ByteWriter& w);
std::size_t DecodeIso2022(const std::uint8_t* p, std::size_t n, ByteWriter& w);

// EUC-JP three-byte code 0x8F b1 b2 of an IBM extension character -> its
// code page 932 code; 0 for every other three-byte code (JIS X 0212
// characters code page 932 lacks). The table's entries, for tests:
// (b1 b2) << 16 | code.
std::uint16_t EucSupplementToSjis(std::uint8_t b1, std::uint8_t b2);
std::size_t EucSupplementCount();
std::uint32_t EucSupplementAt(std::size_t i);

// Containers: decoded bytes into `out`.
TextCodecError DecodeBase64(const std::uint8_t* p, std::size_t n, std::string& out);
struct BinHexResult {
  std::string name;
  TextCodecError error = TextCodecError::kNone;
};
BinHexResult DecodeBinHex(const std::uint8_t* p, std::size_t n, std::string& data);
// Start of the BinHex line in p[0..n), or n when there is none.
std::size_t FindBinHexLine(const std::uint8_t* p, std::size_t n);
// The BinHex line's fixed part at the start of one of the first lines
// (blanks before it allowed); *at is where it starts.
bool BinHexMarkerAt(const std::uint8_t* p, std::size_t n, std::size_t* at);

// Detection of a non-container encoding.
TextEncoding DetectPlain(const std::uint8_t* p, std::size_t n);
// Only Base64 characters in lines of equal length (the last may be shorter),
// whole groups of four, at least `minChars` (`minSingleLine` on one line).
bool LooksLikeBase64(const std::uint8_t* p, std::size_t n, std::size_t minChars, std::size_t minSingleLine);

// Encoders of Shift-JIS text.
std::size_t EncodeUtf8(const std::uint8_t* p, std::size_t n, ByteWriter& w);
std::size_t EncodeUtf16(const std::uint8_t* p, std::size_t n, bool bigEndian, ByteWriter& w);
std::size_t EncodeEuc(const std::uint8_t* p, std::size_t n, ByteWriter& w);
std::size_t EncodeIso2022(const std::uint8_t* p, std::size_t n, ByteWriter& w);
void EncodeBase64(const std::uint8_t* p, std::size_t n, ByteWriter& w);

}  // namespace detail
}  // namespace textcodec
