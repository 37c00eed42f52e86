// A text revealed to a following index piece by piece, as the open's pass
// writes it: pieces end after a LF (the last at the end of the text); what
// is not yet revealed holds bytes that would change the index, and under
// AddressSanitizer it is poisoned, so a read of it is caught either way.
// Used by the index tests and the csvindex fuzz target.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "csv/csv_index.h"

#if defined(__SANITIZE_ADDRESS__)
#define TABRYE_SIM_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TABRYE_SIM_ASAN 1
#endif
#endif
#if TABRYE_SIM_ASAN
#include <sanitizer/asan_interface.h>
#endif

namespace csvtest {

class RevealedText {
 public:
  // `cuts`: piece ends (each just after a LF of `text`; others are dropped),
  // `n` is added as the last. With failAt >= 0 the pass gives up instead of
  // revealing piece `failAt`.
  RevealedText(const std::uint8_t* text, std::uint32_t n, std::vector<std::uint32_t> cuts, int failAt = -1)
      : text_(text), n_(n), buf_(new std::uint8_t[n + 1]), failAt_(failAt) {
    for (std::uint32_t c : cuts)
      if (c > 0 && c < n && text[c - 1] == '\n') ends_.push_back(c);
    std::sort(ends_.begin(), ends_.end());
    ends_.erase(std::unique(ends_.begin(), ends_.end()), ends_.end());
    ends_.push_back(n);
    static const char kJunk[] = "\n!#\x06^<>\r$^!*~";
    for (std::uint32_t i = 0; i < n; ++i) buf_[i] = static_cast<std::uint8_t>(kJunk[i % (sizeof kJunk - 1)]);
    buf_[n] = 0;
    Poison(0, n);
  }
  ~RevealedText() { Unpoison(0, n_); }
  RevealedText(const RevealedText&) = delete;
  RevealedText& operator=(const RevealedText&) = delete;

  const std::uint8_t* data() const { return buf_.get(); }
  csv::IndexFollow Follow() { return csv::IndexFollow{&RevealedText::Wait, this}; }
  std::uint32_t Ready() const { return ready_; }
  int Pieces() const { return static_cast<int>(ends_.size()); }

 private:
  static bool Wait(void* self, std::uint64_t need, std::uint32_t* ready) {
    auto* r = static_cast<RevealedText*>(self);
    while (r->ready_ <= need && r->next_ < r->ends_.size()) {
      if (static_cast<int>(r->next_) == r->failAt_) {
        *ready = r->ready_;
        return false;
      }
      const std::uint32_t end = r->ends_[r->next_++];
      r->Unpoison(r->ready_, end - r->ready_);
      std::memcpy(r->buf_.get() + r->ready_, r->text_ + r->ready_, end - r->ready_);
      r->ready_ = end;
    }
    *ready = r->ready_;
    return true;
  }
  void Poison(std::uint32_t from, std::uint32_t len) {
#if TABRYE_SIM_ASAN
    if (len) __asan_poison_memory_region(buf_.get() + from, len);
#else
    (void)from, (void)len;
#endif
  }
  void Unpoison(std::uint32_t from, std::uint32_t len) {
#if TABRYE_SIM_ASAN
    if (len) __asan_unpoison_memory_region(buf_.get() + from, len);
#else
    (void)from, (void)len;
#endif
  }

  const std::uint8_t* text_;
  std::uint32_t n_;
  std::unique_ptr<std::uint8_t[]> buf_;
  std::vector<std::uint32_t> ends_;
  std::size_t next_ = 0;
  std::uint32_t ready_ = 0;
  int failAt_;
};

}  // namespace csvtest
