#include "image/jpeg/jpeg_huffman.h"

#include <cstring>

#include "image/jpeg/jpeg_errors.h"

namespace jpeg {

void JHuffLookup::Build(const JHuffTable& t) {
  std::memset(fast, 0, sizeof fast);
  std::memset(first, 0, sizeof first);
  std::memset(num, 0, sizeof num);
  std::memset(index, 0, sizeof index);
  count = t.count;
  values = t.values;
  maxSize = 0;
  for (int k = 0; k < t.count; ++k) {
    int len = t.sizes[k];
    if (len < 1 || len > 16) continue;  // cannot happen: lengths come from 16 counts
    if (num[len] == 0) {
      first[len] = t.codes[k];
      index[len] = k;
    }
    ++num[len];
    if (len > maxSize) maxSize = len;
  }
  // Shorter codes first; a prefix range already taken belongs to a shorter
  // code (ranges nest or are disjoint), so the first match wins as in a search.
  for (int len = 1; len <= kLookupBits && len <= maxSize; ++len) {
    for (int j = 0; j < num[len]; ++j) {
      int64_t c = static_cast<int64_t>(first[len]) + j;
      if (c >= (int64_t(1) << len)) break;  // codes that overflow their length never match
      int startSlot = static_cast<int>(c << (kLookupBits - len));
      if (fast[startSlot] != 0) continue;
      int n = 1 << (kLookupBits - len);
      uint16_t e = static_cast<uint16_t>((len << 8) | (values[index[len] + j] & 0xFF));
      for (int s = 0; s < n; ++s) fast[startSlot + s] = e;
    }
  }
  // Codes and value bits together, from the entries above (so the same
  // first-match answers): the value bits follow the code inside the index.
  for (int i = 0; i < (1 << kLookupBits); ++i) {
    const int len = fast[i] >> 8, sym = fast[i] & 0xFF;
    const int run = sym >> 4, size = sym & 15;
    int32_t e = 0;
    if (len == 0) {
    } else if (sym == 0) {
      e = kAcEob | len;
    } else if (size == 0) {
      if (run == 15) e = (15 << 8) | len;  // ZRL: sixteen zeros
    } else if (len + size <= kLookupBits) {
      int v = (i >> (kLookupBits - len - size)) & ((1 << size) - 1);
      if ((v & (1 << (size - 1))) == 0) v += 1 - (1 << size);
      e = v * 65536 + (run << 8) + len + size;
    }
    fastAc[i] = e;
  }
}

int Decode1HuffmanCode(JInBitStream& in, const JHuffTable& t) {
  if (t.count <= 0) ThrowFormat(in.Position(), JErr::HuffmanLengthOver);
  int code = 0, length = 0, k = 0;
  for (int i = 0; i < 16; ++i) {
    int bit = in.GetBit();
    if (bit < 0) return bit;
    code = code * 2 + bit;
    ++length;
    while (k < t.count && t.sizes[k] == length) {
      if (t.codes[k] == code) return t.values[k];
      ++k;
    }
    if (k >= t.count) break;
  }
  ThrowFormat(in.Position(), JErr::HuffmanLengthOver);
}

void JScanBits::Start() {
  data_ = in_.Begin();
  int64_t size = in_.Size();
  pos_ = start_ = in_.AlignedOffset();
  acc_ = 0;
  nbits_ = 0;
  // The stretch ends at the first 0xFF not followed by a stuffed 0x00.
  int64_t p = pos_;
  for (;;) {
    const void* hit = p < size ? std::memchr(data_ + p, 0xFF, static_cast<std::size_t>(size - p)) : nullptr;
    if (hit == nullptr) {
      p = size;
      break;
    }
    p = static_cast<const uint8_t*>(hit) - data_;
    if (p + 1 < size && data_[p + 1] == 0) {
      p += 2;
      continue;
    }
    break;
  }
  cleanEnd_ = p < pos_ ? pos_ : p;
  slow_ = false;
}

void JScanBits::ToSlow() {
  if (slow_) return;
  slow_ = true;
  // Walk back over the whole unread bytes still held in the accumulator.
  int whole = nbits_ / 8, partial = nbits_ % 8;
  int64_t off = pos_;
  for (int j = 0; j < whole; ++j) {
    unsigned v = static_cast<unsigned>((acc_ >> (64 - nbits_ + 8 * j)) & 0xFF);
    off -= (v == 0xFF) ? 2 : 1;
  }
  if (partial > 0) {
    bool stuffed = off - 2 >= start_ && data_[off - 1] == 0x00 && data_[off - 2] == 0xFF;
    int64_t byteAt = off - (stuffed ? 2 : 1);
    in_.Seek(byteAt, partial - 1, stuffed, false);
  } else {
    in_.Seek(off, 7, false, true);
  }
  acc_ = 0;
  nbits_ = 0;
}

void JScanBits::Stop() { ToSlow(); }

int JScanBits::SlowBits(int n) {
  if (!slow_) {
    Refill();
    if (nbits_ >= n) {
      int v = static_cast<int>(acc_ >> (64 - n));
      acc_ <<= n;
      nbits_ -= n;
      return v;
    }
    ToSlow();
  }
  return in_.GetBits(n);
}

int JScanBits::LongSymbol(const JHuffTable& t, const JHuffLookup& lk) {
  if (!slow_) {
    if (t.count <= 0) ThrowFormat(in_.Position(), JErr::HuffmanLengthOver);
    if (nbits_ < 16) Refill();
    unsigned e = lk.fast[acc_ >> (64 - JHuffLookup::kLookupBits)];
    int len = static_cast<int>(e >> 8);
    if (len != 0) {
      if (len <= nbits_) {
        acc_ <<= len;
        nbits_ -= len;
        return static_cast<int>(e & 0xFF);
      }
    } else if (lk.maxSize <= JHuffLookup::kLookupBits) {
      if (nbits_ >= lk.maxSize) ThrowFormat(in_.Position(), JErr::HuffmanLengthOver);
    } else {
      // Longer codes: each length holds a range of consecutive codes.
      for (int l = JHuffLookup::kLookupBits + 1; l <= lk.maxSize && l <= nbits_; ++l) {
        int32_t c = static_cast<int32_t>(acc_ >> (64 - l));
        if (lk.num[l] > 0 && c >= lk.first[l] && c - lk.first[l] < lk.num[l]) {
          acc_ <<= l;
          nbits_ -= l;
          return lk.values[lk.index[l] + (c - lk.first[l])] & 0xFF;
        }
        if (l == lk.maxSize) ThrowFormat(in_.Position(), JErr::HuffmanLengthOver);
      }
    }
    ToSlow();
  }
  return SlowSymbol(t);
}

int JScanBits::SlowSymbol(const JHuffTable& t) { return Decode1HuffmanCode(in_, t); }

}  // namespace jpeg
