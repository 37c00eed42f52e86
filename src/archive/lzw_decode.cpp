#include "archive/lzw_decode.h"

#include <cstring>

#include "fw/alloc.h"

namespace arc {
namespace {

constexpr int kSlots = 4101;
constexpr uint32_t kByteMark = 0x10000;  // prefix that is a plain byte, not a code

struct Table {
  uint32_t prefix[kSlots];  // code, or kByteMark | byte
  uint32_t len[kSlots];     // 0 = undefined
  uint8_t suffix[kSlots];
  uint8_t first[kSlots];
};

class Decoder {
 public:
  Decoder(Table& t, uint8_t* out, uint32_t expected, uint32_t clear, bool text)
      : t_(t), out_(out), expected_(expected), clear_(clear), text_(text) {
    Reset();
  }
  // Empties the table: only the slots defined since the last reset (a stream
  // of clear codes stays cheap).
  void Reset() {
    if (hi_ >= lo_) std::memset(t_.len + lo_, 0, sizeof(uint32_t) * (hi_ - lo_ + 1));
    lo_ = kSlots;
    hi_ = 0;
  }
  void Mark(uint32_t at) {
    if (at < lo_) lo_ = at;
    if (at > hi_) hi_ = at;
  }
  // Length and first byte of a code's string (literals: 1; clear/end: 0).
  uint32_t Len(uint32_t c) const { return c < clear_ ? 1 : t_.len[c]; }
  uint8_t First(uint32_t c) const { return c < clear_ ? uint8_t(c) : t_.first[c]; }
  // Defines `at` as the string of `prev` followed by `byte`.
  void Define(uint32_t at, uint32_t prev, uint8_t byte) {
    Mark(at);
    if (prev < clear_) {
      t_.prefix[at] = kByteMark | prev;
      t_.first[at] = uint8_t(prev);
      t_.len[at] = 2;
    } else if (t_.len[prev] == 0) {
      // No string (clear or end code): just the byte.
      t_.prefix[at] = kByteMark | 0x20000;
      t_.first[at] = byte;
      t_.len[at] = 1;
    } else {
      t_.prefix[at] = prev;
      t_.first[at] = t_.first[prev];
      t_.len[at] = t_.len[prev] + 1;
    }
    t_.suffix[at] = byte;
  }
  // Rule for an undefined code: the previous string followed by its first
  // byte; a previous literal, clear or end code gives its low byte twice.
  void DefineUndefined(uint32_t at, uint32_t prev) {
    Mark(at);
    if (prev < clear_ || t_.len[prev] == 0) {
      t_.prefix[at] = kByteMark | (prev & 0xFF);
      t_.first[at] = uint8_t(prev);
      t_.suffix[at] = uint8_t(prev);
      t_.len[at] = 2;
    } else {
      Define(at, prev, t_.first[prev]);
    }
  }
  // Appends the code's string to the output (bytes past the expected length
  // are dropped, but count).
  void Emit(uint32_t c) {
    if (c < clear_) {
      Put(count_, uint8_t(c));
      ++count_;
      return;
    }
    const uint32_t n = t_.len[c];
    uint64_t pos = count_ + n;
    uint32_t code = c;
    if (!text_ && pos <= expected_) {
      // The whole string fits: written back to front without checks.
      uint8_t* o = out_ + pos;
      for (uint32_t i = 0; i < n; ++i) {
        if (code & kByteMark) {
          if (!(code & 0x20000)) *--o = uint8_t(code);
          break;
        }
        if (code < clear_) {
          *--o = uint8_t(code);
          break;
        }
        *--o = t_.suffix[code];
        code = t_.prefix[code];
      }
      count_ += n;
      return;
    }
    for (uint32_t i = 0; i < n; ++i) {
      --pos;
      if (code & kByteMark) {
        if (!(code & 0x20000)) Put(pos, uint8_t(code));
        break;
      }
      if (code < clear_) {
        Put(pos, uint8_t(code));
        break;
      }
      Put(pos, t_.suffix[code]);
      code = t_.prefix[code];
    }
    count_ += n;
  }
  uint64_t Count() const { return count_; }

 private:
  void Put(uint64_t pos, uint8_t b) {
    if (pos < expected_) out_[pos] = text_ && b == 0 ? 0x40 : b;
  }
  Table& t_;
  uint8_t* out_;
  uint64_t expected_;
  uint32_t clear_;
  bool text_;
  uint64_t count_ = 0;
  uint32_t lo_ = 0, hi_ = kSlots - 1;  // slots defined since the last reset
};

// Bit readers; bits past the input read as 0.
struct LsbReader {
  const uint8_t* d;
  uint64_t n;
  uint64_t bit = 0;
  uint32_t Read(int width) {
    const uint64_t byte = bit >> 3;
    if (byte + 2 < n) {
      const uint32_t w = uint32_t(d[byte]) | uint32_t(d[byte + 1]) << 8 | uint32_t(d[byte + 2]) << 16;
      bit += uint64_t(width);
      return (w >> ((bit - uint64_t(width)) & 7)) & ((1u << width) - 1);
    }
    uint32_t v = 0;
    for (int i = 0; i < width; ++i, ++bit) {
      const uint64_t at = bit >> 3;
      if (at < n && (d[at] >> (bit & 7)) & 1) v |= 1u << i;
    }
    return v;
  }
};
struct MsbReader {
  const uint8_t* d;
  uint64_t n;
  uint64_t bit = 0;
  uint32_t Read(int width) {
    const uint64_t byte = bit >> 3;
    if (byte + 2 < n) {
      const uint32_t w = uint32_t(d[byte]) << 16 | uint32_t(d[byte + 1]) << 8 | uint32_t(d[byte + 2]);
      const int shift = 24 - int(bit & 7) - width;
      bit += uint64_t(width);
      return (w >> shift) & ((1u << width) - 1);
    }
    uint32_t v = 0;
    for (int i = 0; i < width; ++i, ++bit) {
      const uint64_t at = bit >> 3;
      v <<= 1;
      if (at < n && (d[at] >> (7 - (bit & 7))) & 1) v |= 1;
    }
    return v;
  }
  uint8_t At(uint64_t byte) const { return byte < n ? d[byte] : 0; }
};

void DecodeGif(Decoder& dec, const uint8_t* in, uint64_t n, uint32_t k, uint64_t expected) {
  const uint32_t clear = 1u << k, end = clear + 1;
  int width = int(k) + 1;
  uint32_t next = clear + 2;
  uint32_t prev = clear;
  bool afterClear = true;
  LsbReader r{in, n};
  for (;;) {
    if (next >= (1u << width) && next < 4095 && width < 12) ++width;
    if ((r.bit >> 3) >= n) break;
    const uint32_t code = r.Read(width);
    if (code == end) break;
    if (code == clear) {
      width = int(k) + 1;
      next = clear + 2;
      dec.Reset();
      prev = clear;
      afterClear = true;
      continue;
    }
    if (code < clear) {
      dec.Emit(code);
      if (!afterClear && next < 4096) dec.Define(next++, prev, uint8_t(code));
    } else if (dec.Len(code) > 0) {
      dec.Emit(code);
      if (!afterClear && next < 4096) dec.Define(next++, prev, dec.First(code));
    } else {
      // Undefined: the previous string and its first byte, at the code's own
      // index (the ordinary LZW case when code == next).
      dec.DefineUndefined(code, prev);
      if (next < 4096) ++next;
      dec.Emit(code);
    }
    afterClear = false;
    prev = code;
    if (dec.Count() > expected) break;
  }
}

}  // namespace

int32_t LzwDecode(uint8_t* data, int32_t inputLength, int32_t expectedLength, uint32_t variant,
                  uint32_t minCodeSize, bool* noMemory) {
  if (noMemory) *noMemory = false;
  if (!data || inputLength <= 0 || expectedLength <= 0) return 0;
  if (variant == kLzwGif && minCodeSize > 11) return 0;
  Table* t = static_cast<Table*>(fw::Alloc(sizeof(Table)));
  uint8_t* out = static_cast<uint8_t*>(fw::Alloc(size_t(expectedLength) + 16));
  if (!t || !out) {
    fw::Free(t);
    fw::Free(out);
    if (noMemory) *noMemory = true;
    return 0;
  }
  const uint64_t n = uint64_t(inputLength), expected = uint64_t(expectedLength);
  uint64_t count = 0;
  if (variant == kLzwGif) {
    Decoder dec(*t, out, uint32_t(expected), 1u << minCodeSize, false);
    DecodeGif(dec, data, n, minCodeSize, expected);
    count = dec.Count();
  } else {
    const bool text = variant == kLzwText;
    const uint32_t clear = 256, endValue = text ? 256 : 257;
    Decoder dec(*t, out, uint32_t(expected), clear, text);
    MsbReader r{data, n};
    int width = 9;
    uint32_t next = 257, prev = 0;
    bool nine = false;
    while ((r.bit >> 3) + 2 < n && dec.Count() < expected) {
      bool grew = false;
      if ((next == 511 && width == 9) || (next == 1023 && width == 10) || (next == 2047 && width == 11)) {
        ++width;
        grew = true;
      }
      uint32_t code = r.Read(nine ? 9 : width);
      nine = false;
      if (grew && (code == 514 || code == 515)) {
        // An end (or, in text, clear) code written at the old width.
        const uint64_t endByte = (r.bit - 1) >> 3;
        const bool oneBit = ((r.bit - 1) & 7) == 0;
        if (r.At(oneBit ? endByte : endByte + 1) == 0x80) {
          code = endValue;
          if (oneBit) r.bit -= 8;
        }
      }
      if (code == clear) {
        width = 9;
        next = 257;
        dec.Reset();
        prev = clear;
        continue;
      }
      if (!text && code == endValue) {
        // Strips joined: the next strip starts at the following byte (a 0
        // byte there is skipped) with a 9-bit code.
        uint64_t byte = ((r.bit - 1) >> 3) + 1;
        if (r.At(byte) == 0 && byte < n) ++byte;
        r.bit = byte * 8;
        nine = true;
        continue;
      }
      if (code < clear || dec.Len(code) > 0) {
        const uint8_t f = dec.First(code);
        dec.Emit(code);
        if (next < 4097) dec.Define(next++, prev, f);
      } else {
        dec.DefineUndefined(code, prev);
        if (next < 4097) ++next;
        dec.Emit(code);
      }
      prev = code;
    }
    count = dec.Count();
  }
  if (count > expected) count = expected;
  std::memcpy(data, out, size_t(count));
  fw::Free(t);
  fw::Free(out);
  return int32_t(count);
}

}  // namespace arc
