// A fixed byte string found in a long text quickly, for the whole-text scans
// of the line-wise replace and the find commands (one pass over the text
// instead of one engine call per line).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pat {
namespace detail {

// Two of the string's bytes (the rarest by a rough table of byte frequencies
// in Japanese text and CSV work texts) are compared 16 positions at a time;
// only where both agree are the other bytes compared. Bytes marked to fold
// are ASCII letters that match in either case; every other byte matches
// itself only. Positions found are byte positions: whether one starts a
// character is the caller's question.
class LiteralFinder {
 public:
  // fold[i] != 0: byte i is an ASCII letter compared in either case (fold may
  // be shorter than bytes: the rest compares exactly).
  void Init(std::string_view bytes, const std::vector<unsigned char>& fold);
  bool empty() const { return bytes_.empty(); }
  int size() const { return static_cast<int>(bytes_.size()); }
  // First p in [from, end - size()] where the bytes stand, or -1.
  int Next(const char* text, int from, int end) const;
  // The same one byte at a time (memchr of the rarest byte): the fallback
  // without SSE2, and what the tests hold the fast path to.
  int NextPortable(const char* text, int from, int end) const;
  // Last p in [begin, end - size()] where the bytes stand, or -1 (upward
  // searches); and the same one byte at a time.
  int Prev(const char* text, int begin, int end) const;
  int PrevPortable(const char* text, int begin, int end) const;

 private:
  bool EqualAt(const unsigned char* s) const;

  std::string bytes_;                // folded letters in lower case
  std::vector<unsigned char> case_;  // 0x20 where a letter folds, else 0
  bool anyFold_ = false;
  int probe1_ = 0, probe2_ = 0;  // the two compared positions
};

}  // namespace detail
}  // namespace pat
