// CCITT fax decoding of one TIFF strip: Modified Huffman rows (T.4 one-
// dimensional), Modified READ rows (T.4 two-dimensional) and T.6, with the
// code tables of the ITU-T recommendations. Changing elements are kept in
// arrays of width + 2 entries; run lengths are summed over every make-up
// code, so lines of any width decode.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace img {
namespace {

// Code tables as (run length, code text) pairs.
struct Code {
  int run;
  const char* bits;
};

const Code kWhite[] = {
    {0, "00110101"}, {1, "000111"}, {2, "0111"}, {3, "1000"}, {4, "1011"}, {5, "1100"}, {6, "1110"},
    {7, "1111"}, {8, "10011"}, {9, "10100"}, {10, "00111"}, {11, "01000"}, {12, "001000"}, {13, "000011"},
    {14, "110100"}, {15, "110101"}, {16, "101010"}, {17, "101011"}, {18, "0100111"}, {19, "0001100"},
    {20, "0001000"}, {21, "0010111"}, {22, "0000011"}, {23, "0000100"}, {24, "0101000"}, {25, "0101011"},
    {26, "0010011"}, {27, "0100100"}, {28, "0011000"}, {29, "00000010"}, {30, "00000011"}, {31, "00011010"},
    {32, "00011011"}, {33, "00010010"}, {34, "00010011"}, {35, "00010100"}, {36, "00010101"}, {37, "00010110"},
    {38, "00010111"}, {39, "00101000"}, {40, "00101001"}, {41, "00101010"}, {42, "00101011"}, {43, "00101100"},
    {44, "00101101"}, {45, "00000100"}, {46, "00000101"}, {47, "00001010"}, {48, "00001011"}, {49, "01010010"},
    {50, "01010011"}, {51, "01010100"}, {52, "01010101"}, {53, "00100100"}, {54, "00100101"}, {55, "01011000"},
    {56, "01011001"}, {57, "01011010"}, {58, "01011011"}, {59, "01001010"}, {60, "01001011"}, {61, "00110010"},
    {62, "00110011"}, {63, "00110100"}, {64, "11011"}, {128, "10010"}, {192, "010111"}, {256, "0110111"},
    {320, "00110110"}, {384, "00110111"}, {448, "01100100"}, {512, "01100101"}, {576, "01101000"},
    {640, "01100111"}, {704, "011001100"}, {768, "011001101"}, {832, "011010010"}, {896, "011010011"},
    {960, "011010100"}, {1024, "011010101"}, {1088, "011010110"}, {1152, "011010111"}, {1216, "011011000"},
    {1280, "011011001"}, {1344, "011011010"}, {1408, "011011011"}, {1472, "010011000"}, {1536, "010011001"},
    {1600, "010011010"}, {1664, "011000"}, {1728, "010011011"},
};

const Code kBlack[] = {
    {0, "0000110111"}, {1, "010"}, {2, "11"}, {3, "10"}, {4, "011"}, {5, "0011"}, {6, "0010"}, {7, "00011"},
    {8, "000101"}, {9, "000100"}, {10, "0000100"}, {11, "0000101"}, {12, "0000111"}, {13, "00000100"},
    {14, "00000111"}, {15, "000011000"}, {16, "0000010111"}, {17, "0000011000"}, {18, "0000001000"},
    {19, "00001100111"}, {20, "00001101000"}, {21, "00001101100"}, {22, "00000110111"}, {23, "00000101000"},
    {24, "00000010111"}, {25, "00000011000"}, {26, "000011001010"}, {27, "000011001011"}, {28, "000011001100"},
    {29, "000011001101"}, {30, "000001101000"}, {31, "000001101001"}, {32, "000001101010"}, {33, "000001101011"},
    {34, "000011010010"}, {35, "000011010011"}, {36, "000011010100"}, {37, "000011010101"}, {38, "000011010110"},
    {39, "000011010111"}, {40, "000001101100"}, {41, "000001101101"}, {42, "000011011010"}, {43, "000011011011"},
    {44, "000001010100"}, {45, "000001010101"}, {46, "000001010110"}, {47, "000001010111"}, {48, "000001100100"},
    {49, "000001100101"}, {50, "000001010010"}, {51, "000001010011"}, {52, "000000100100"}, {53, "000000110111"},
    {54, "000000111000"}, {55, "000000100111"}, {56, "000000101000"}, {57, "000001011000"}, {58, "000001011001"},
    {59, "000000101011"}, {60, "000000101100"}, {61, "000001011010"}, {62, "000001100110"}, {63, "000001100111"},
    {64, "0000001111"}, {128, "000011001000"}, {192, "000011001001"}, {256, "000001011011"},
    {320, "000000110011"}, {384, "000000110100"}, {448, "000000110101"}, {512, "0000001101100"},
    {576, "0000001101101"}, {640, "0000001001010"}, {704, "0000001001011"}, {768, "0000001001100"},
    {832, "0000001001101"}, {896, "0000001110010"}, {960, "0000001110011"}, {1024, "0000001110100"},
    {1088, "0000001110101"}, {1152, "0000001110110"}, {1216, "0000001110111"}, {1280, "0000001010010"},
    {1344, "0000001010011"}, {1408, "0000001010100"}, {1472, "0000001010101"}, {1536, "0000001011010"},
    {1600, "0000001011011"}, {1664, "0000001100100"}, {1728, "0000001100101"},
};

// Make-up codes shared by both colours.
const Code kShared[] = {
    {1792, "00000001000"}, {1856, "00000001100"}, {1920, "00000001101"}, {1984, "000000010010"},
    {2048, "000000010011"}, {2112, "000000010100"}, {2176, "000000010101"}, {2240, "000000010110"},
    {2304, "000000010111"}, {2368, "000000011100"}, {2432, "000000011101"}, {2496, "000000011110"},
    {2560, "000000011111"},
};

constexpr int kMaxLen = 13;
constexpr int kEol = -2;

// Lookup by (length, code): the run, kEol, or -1.
struct Table {
  std::vector<int> at[kMaxLen + 1];
  Table(const Code* codes, size_t n) {
    for (int len = 1; len <= kMaxLen; ++len) at[len].assign(size_t(1) << len, -1);
    auto add = [&](const Code& c) {
      const int len = int(std::strlen(c.bits));
      int v = 0;
      for (int i = 0; i < len; ++i) v = v * 2 + (c.bits[i] - '0');
      at[len][size_t(v)] = c.run;
    };
    for (size_t i = 0; i < n; ++i) add(codes[i]);
    for (const Code& c : kShared) add(c);
    at[12][1] = kEol;
  }
};

const Table& WhiteTable() {
  static const Table t(kWhite, sizeof kWhite / sizeof kWhite[0]);
  return t;
}
const Table& BlackTable() {
  static const Table t(kBlack, sizeof kBlack / sizeof kBlack[0]);
  return t;
}

struct Bits {
  const uint8_t* d;
  uint64_t n;
  bool reverse;
  uint64_t pos = 0;  // bit position
  bool End() const { return pos >= n * 8; }
  int Get() {
    if (End()) return -1;
    uint8_t b = d[pos >> 3];
    if (reverse) {
      b = uint8_t((b * 0x0202020202ull & 0x010884422010ull) % 1023);
    }
    const int v = (b >> (7 - (pos & 7))) & 1;
    ++pos;
    return v;
  }
  int Peek(int count) const {
    Bits c = *this;
    int v = 0;
    for (int i = 0; i < count; ++i) {
      const int b = c.Get();
      if (b < 0) return -1;
      v = v * 2 + b;
    }
    return v;
  }
  void Align() { pos = (pos + 7) & ~uint64_t(7); }
};

// One code of a table: the run (a make-up code adds to the next), kEol, or -1.
int ReadCode(Bits& b, const Table& t) {
  int v = 0;
  for (int len = 1; len <= kMaxLen; ++len) {
    const int bit = b.Get();
    if (bit < 0) return -1;
    v = v * 2 + bit;
    const int r = t.at[len][size_t(v)];
    if (r != -1) return r;
  }
  return -1;
}

// A whole run: make-up codes summed, ended by a terminating code (< 64).
int64_t ReadRun(Bits& b, bool black) {
  int64_t total = 0;
  for (;;) {
    const int r = ReadCode(b, black ? BlackTable() : WhiteTable());
    if (r < 0) return -1;
    total += r;
    if (r < 64) return total;
  }
}

// Two-dimensional mode codes: 0 pass, 1 horizontal, 2 + (k + 3) vertical k.
int ReadMode(Bits& b) {
  int v = 0;
  for (int len = 1; len <= 7; ++len) {
    const int bit = b.Get();
    if (bit < 0) return -1;
    v = v * 2 + bit;
    switch (len) {
      case 1: if (v == 1) return 2 + 3; break;                   // V0
      case 3:
        if (v == 1) return 1;                                     // H
        if (v == 3) return 2 + 4;                                 // VR1
        if (v == 2) return 2 + 2;                                 // VL1
        break;
      case 4: if (v == 1) return 0; break;                       // P
      case 6:
        if (v == 3) return 2 + 5;                                 // VR2
        if (v == 2) return 2 + 1;                                 // VL2
        break;
      case 7:
        if (v == 3) return 2 + 6;                                 // VR3
        if (v == 2) return 2 + 0;                                 // VL3
        break;
    }
  }
  return -1;
}

class Line {
 public:
  explicit Line(uint32_t width) : w_(width), px_(width, 0) { changes_.reserve(size_t(width) + 2); }
  void Fill(int64_t from, int64_t to, bool black) {
    if (from < 0) from = 0;
    if (to > int64_t(w_)) to = w_;
    for (int64_t x = from; x < to; ++x) px_[size_t(x)] = black ? 1 : 0;
  }
  void Change(int64_t at) {
    if (changes_.size() < size_t(w_) + 2) changes_.push_back(uint32_t(at < 0 ? 0 : at > int64_t(w_) ? w_ : at));
  }
  void Reset() {
    std::fill(px_.begin(), px_.end(), 0);
    changes_.clear();
  }
  const std::vector<uint32_t>& Changes() const { return changes_; }
  void Pack(std::vector<uint8_t>* out) const {
    const size_t at = out->size();
    out->resize(at + (size_t(w_) + 7) / 8, 0);
    for (uint32_t x = 0; x < w_; ++x)
      if (px_[x]) (*out)[at + x / 8] = uint8_t((*out)[at + x / 8] | 0x80 >> (x & 7));
  }

 private:
  uint32_t w_;
  std::vector<uint8_t> px_;
  std::vector<uint32_t> changes_;
};

// Decodes one row; returns the pixels reached (width when whole).
int64_t RowOneDim(Bits& b, Line& line, uint32_t width, bool* horizontalEnd) {
  int64_t a0 = 0;
  bool black = false;
  while (a0 < int64_t(width)) {
    const int64_t run = ReadRun(b, black);
    if (run < 0) return a0;
    line.Fill(a0, a0 + run, black);
    a0 += run;
    if (a0 > int64_t(width)) a0 = width;
    line.Change(a0);
    black = !black;
  }
  *horizontalEnd = true;
  return a0;
}

int64_t RowTwoDim(Bits& b, Line& line, const std::vector<uint32_t>& ref, uint32_t width, bool* horizontalEnd) {
  int64_t a0 = -1;
  bool black = false;
  size_t guard = 0;
  while (a0 < int64_t(width) && guard++ < 2 * size_t(width) + 8) {
    // b1: the first changing element of the reference line right of a0 whose
    // colour is the opposite of a0's; b2 the next one.
    size_t i = 0;
    while (i < ref.size() && (int64_t(ref[i]) <= a0 || (i & 1) != (black ? 1u : 0u))) ++i;
    const int64_t b1 = i < ref.size() ? ref[i] : width;
    const int64_t b2 = i + 1 < ref.size() ? ref[i + 1] : width;
    const int mode = ReadMode(b);
    *horizontalEnd = false;
    if (mode < 0) return a0 < 0 ? 0 : a0;
    if (mode == 0) {
      line.Fill(a0, b2, black);
      a0 = b2;
    } else if (mode == 1) {
      const int64_t start = a0 < 0 ? 0 : a0;
      const int64_t r1 = ReadRun(b, black);
      if (r1 < 0) return start;
      const int64_t r2 = ReadRun(b, !black);
      if (r2 < 0) return start;
      line.Fill(start, start + r1, black);
      line.Fill(start + r1, start + r1 + r2, !black);
      line.Change(start + r1);
      line.Change(start + r1 + r2);
      a0 = start + r1 + r2;
      *horizontalEnd = true;
    } else {
      int64_t a1 = b1 + (mode - 5);
      if (a1 < 0) a1 = 0;
      if (a1 > int64_t(width)) a1 = width;
      if (a1 < a0) return a0 < 0 ? 0 : a0;
      line.Fill(a0, a1, black);
      line.Change(a1);
      a0 = a1;
      black = !black;
    }
  }
  return a0 > int64_t(width) ? width : a0;
}

// Skips fill zeros and an EOL; true when one was there.
bool SkipEol(Bits& b) {
  Bits c = b;
  int zeros = 0;
  for (;;) {
    const int bit = c.Get();
    if (bit < 0) return false;
    if (bit == 0) {
      ++zeros;
      continue;
    }
    if (zeros >= 11) {
      b = c;
      return true;
    }
    return false;
  }
}

}  // namespace

uint64_t CcittDecodeStrip(const uint8_t* data, uint64_t length, uint32_t width, uint64_t maxRows,
                          uint32_t compression, uint32_t fillOrder, bool twoDimOption, std::vector<uint8_t>* out) {
  if (width == 0 || length == 0) return 0;
  Bits b{data, length, fillOrder == 2};
  Line line(width);
  std::vector<uint32_t> ref;  // all-white reference line: no changes
  uint64_t rows = 0;
  while (rows < maxRows && !b.End()) {
    bool twoDim = compression == 4 || compression == 14;
    if (compression == 3) {
      const bool eol = SkipEol(b);
      if (eol && twoDimOption) {
        const int tag = b.Get();
        if (tag < 0) break;
        twoDim = tag == 0;
      }
      if (eol && SkipEol(b)) break;  // two EOLs in a row: the end of the page
    }
    line.Reset();
    bool horizontalEnd = false;
    const int64_t got = twoDim ? RowTwoDim(b, line, ref, width, &horizontalEnd)
                               : RowOneDim(b, line, width, &horizontalEnd);
    if (got < int64_t(width)) {
      // A partial row: kept (white to its end) when it is long enough.
      const int64_t keep = compression == 4 && horizontalEnd ? 150 : 50;
      if (got > keep) {
        line.Pack(out);
        ++rows;
      }
      break;
    }
    line.Pack(out);
    ++rows;
    ref = line.Changes();
    if (compression == 2 || compression == 14) b.Align();
  }
  return rows;
}

}  // namespace img
