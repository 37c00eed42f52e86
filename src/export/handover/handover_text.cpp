#include "export/handover/handover_text.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

namespace handover {
namespace {

// Bytes of the conversion: counted first, then written into a string sized
// by that count.
struct CountSink {
  std::uint64_t n = 0;
  void Put(char) { ++n; }
  void PutRun(char, unsigned k) { n += k; }
  void PutSpan(const char*, std::size_t k) { n += k; }
};

struct WriteSink {
  std::string* out;
  void Put(char c) { out->push_back(c); }
  void PutRun(char c, unsigned k) { out->append(k, c); }
  void PutSpan(const char* p, std::size_t k) { out->append(p, k); }
};

inline unsigned char At(std::string_view s, std::size_t i) {
  return i < s.size() ? static_cast<unsigned char>(s[i]) : 0;
}

// The most bytes after "XLx" that may hold the closing '#'.
constexpr std::size_t kMarkerSpan = 49;
// Digit runs below this many asterisks are expanded.
constexpr unsigned kMaxStars = 900;

// The line of digits after an "XL...S" block head and the line after it:
// digits gather into N, and every byte at or below the space first writes
// N asterisks. Returns at the byte after the CR or LF that ends the line.
template <class Sink>
std::size_t StarLine(std::string_view s, std::size_t i, Sink& sink) {
  unsigned n = 0;
  while (i < s.size() && s[i] != '\0') {
    const unsigned char c = At(s, i);
    ++i;
    if (c >= '0' && c <= '9') {
      n = std::min(n * 10 + (c - '0'), kMaxStars);  // saturates, never wraps
      continue;
    }
    if (c > ' ') {
      sink.Put(static_cast<char>(c));
      continue;
    }
    if (n > 0 && n < kMaxStars) sink.PutRun('*', n);
    n = 0;
    sink.Put(static_cast<char>(c));
    if (c == '\r' || c == '\n') break;
  }
  return i;
}

// Where the "F=" line starts: it is kept as it stands, so a block head near
// the table's end can never take its digits for counts.
std::size_t LastLineStart(const std::string& s) {
  const std::size_t at = s.rfind("\r\n\r\nF=");
  return at == std::string::npos ? s.size() : at + 4;
}

template <class Sink>
void WalkBody(std::string_view s, Sink& sink) {
  const std::size_t n = s.size();
  std::size_t i = 0;
  while (i < n && s[i] != '\0') {
    // A line's opening quote goes, except at the text's very start.
    if (i > 0 && s[i] == '"') {
      ++i;
      if (i >= n || s[i] == '\0') break;
    }
    unsigned char lead = At(s, i);
    sink.Put(s[i++]);
    if (lead == '\n') continue;
    if (lead == '!' && At(s, i) == '#') {
      sink.Put(s[i++]);
      if (i < n && s[i] != '\0') {
        lead = At(s, i);
        sink.Put(s[i++]);
      }
    }
    bool lineDone = false;
    if (lead == 'X' && At(s, i) == 'L') {
      sink.Put(s[i++]);
      bool marker = true;
      bool tookOne = false;
      if (At(s, i) == 'x') {
        const std::size_t limit = std::min(n, i + kMarkerSpan);
        std::size_t j = i;
        while (j < limit && s[j] != '#' && s[j] != '\0') ++j;
        if (j < limit && s[j] == '#') {
          sink.PutSpan(s.data() + i, j + 1 - i);
          i = j + 1;
        } else {
          marker = false;
        }
      } else if (At(s, i) != 'S' && At(s, i) != 0) {
        sink.Put(s[i++]);
        tookOne = true;
      }
      if (marker && !tookOne && At(s, i) == 'S') {
        // This line and the next as they stand, then the line of counts.
        int lineEnds = 0;
        while (i < n && s[i] != '\0' && lineEnds < 2) {
          if (s[i] == '\n') ++lineEnds;
          sink.Put(s[i++]);
        }
        if (lineEnds == 2) {
          const std::size_t end = StarLine(s, i, sink);
          lineDone = end > i && s[end - 1] == '\n';
          i = end;
        } else {
          lineDone = true;
        }
      }
    }
    if (lineDone) continue;
    // The rest of the line through its LF, with the quote rules.
    while (i < n && s[i] != '\0') {
      const unsigned char c = At(s, i);
      if (c == '"') {
        const unsigned char next = At(s, i + 1);
        const unsigned char prev = At(s, i - 1);
        if (next < 0x20 || next == '^' || prev < 0x20) {
          ++i;
          continue;
        }
      }
      sink.Put(static_cast<char>(c));
      ++i;
      if (c == '\n') break;
    }
  }
}

template <class Sink>
void Walk(const std::string& s, Sink& sink) {
  const std::size_t n = LastLineStart(s);
  WalkBody(std::string_view(s.data(), n), sink);
  sink.PutSpan(s.data() + n, s.size() - n);
}

}  // namespace

bool SplitSheetSuffix(CString* arg, CString* suffix) {
  const int len = arg->GetLength();
  const int colon = arg->ReverseFind(':');
  if (colon < 0) return false;
  const bool atEnd = len > 5 && colon >= len - 3;
  const bool atStart = len > 1 && (*arg)[0] == ':';
  if (!atEnd && !atStart) return false;
  *suffix = arg->Mid(colon + 1);
  *arg = arg->Left(colon);
  return true;
}

std::string HandoverSource(const std::uint8_t* table, std::size_t len, int sheet, const CString& target) {
  std::string s;
  std::size_t used = 0;
  while (table && used < len && table[used] != 0) ++used;
  s.reserve(used + target.GetLength() + 32);
  for (std::size_t i = 0; i < used; ++i) s.push_back(table[i] == 0x06 ? '\t' : static_cast<char>(table[i]));
  s += "\r\n\r\nF=";
  if (sheet > 0) {
    char num[24];
    std::snprintf(num, sizeof num, "%lld;", static_cast<long long>(sheet) + 1);
    s += num;
  }
  s += target.Str();
  return s;
}

std::size_t HandoverConvertedLength(const std::string& source) {
  CountSink count;
  Walk(source, count);
  return static_cast<std::size_t>(count.n);
}

std::string ConvertHandover(const std::string& source) {
  std::string out;
  out.reserve(HandoverConvertedLength(source));
  WriteSink sink{&out};
  Walk(source, sink);
  return out;
}

}  // namespace handover
