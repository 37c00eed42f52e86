// A plain LZW encoder for the tests: GIF codes (least significant bit first)
// or TIFF codes (most significant bit first, early change, end code), with
// the code widths a standard decoder expects.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace imgtest {

class LzwEncoder {
 public:
  LzwEncoder(bool tiff, uint32_t minCodeSize) : tiff_(tiff), k_(tiff ? 8 : minCodeSize) {}

  std::vector<uint8_t> Encode(const std::vector<uint8_t>& data, bool endCode = true) {
    out_.clear();
    acc_ = 0;
    nbits_ = 0;
    Clear();
    std::string w;
    for (uint8_t c : data) {
      std::string wc = w + char(c);
      if (w.empty() || dict_.count(wc)) {
        w = wc;
        continue;
      }
      Emit(Code(w));
      if (next_ < (tiff_ ? 4093u : 4096u)) {
        dict_[wc] = next_++;
      } else {
        Emit(clear_);
        Clear();
      }
      w = std::string(1, char(c));
    }
    if (!w.empty()) Emit(Code(w));
    if (endCode) Emit(clear_ + 1);
    Flush();
    return out_;
  }

 private:
  uint32_t Code(const std::string& s) {
    return s.size() == 1 ? uint8_t(s[0]) : dict_.at(s);
  }
  void Clear() {
    clear_ = 1u << k_;
    dict_.clear();
    next_ = clear_ + 2;
    width_ = int(k_) + 1;
    // The decoder's count of entries: it adds one per code after the first.
    dnext_ = clear_ + (tiff_ ? 1 : 2);
    first_ = true;
    if (out_.empty() && acc_ == 0 && nbits_ == 0) Emit(clear_);
  }
  void Emit(uint32_t code) {
    if (tiff_) {
      if ((dnext_ == 511 && width_ == 9) || (dnext_ == 1023 && width_ == 10) || (dnext_ == 2047 && width_ == 11))
        ++width_;
    } else if (dnext_ >= (1u << width_) && dnext_ < 4095 && width_ < 12) {
      ++width_;
    }
    for (int i = 0; i < width_; ++i) {
      const int bit = tiff_ ? (code >> (width_ - 1 - i)) & 1 : (code >> i) & 1;
      if (tiff_)
        acc_ = (acc_ << 1) | uint32_t(bit);
      else
        acc_ |= uint32_t(bit) << nbits_;
      if (++nbits_ == 8) {
        out_.push_back(uint8_t(acc_));
        acc_ = 0;
        nbits_ = 0;
      }
    }
    if (code == clear_) {
      width_ = int(k_) + 1;
      dnext_ = clear_ + (tiff_ ? 1 : 2);
      first_ = true;
      return;
    }
    if (tiff_ || !first_) ++dnext_;
    first_ = false;
  }
  void Flush() {
    if (nbits_) out_.push_back(uint8_t(tiff_ ? acc_ << (8 - nbits_) : acc_));
    nbits_ = 0;
    acc_ = 0;
  }
  bool tiff_;
  uint32_t k_;
  uint32_t clear_ = 256, next_ = 258, dnext_ = 257;
  int width_ = 9;
  bool first_ = true;
  std::map<std::string, uint32_t> dict_;
  std::vector<uint8_t> out_;
  uint32_t acc_ = 0;
  int nbits_ = 0;
};

}  // namespace imgtest
