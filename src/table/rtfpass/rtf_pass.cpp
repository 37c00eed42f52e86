// The output limit of a rewrite and the reading helpers the passes share.
#include "table/rtfpass/rtf_pass.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <limits>

namespace table::rtfpass {

namespace {

// The frame's sizing: a floor, room per TAB and line, room per byte of the
// last line read, and room for the text to double. The buffers carry spare
// bytes behind the size; one of them holds the closing NUL.
struct SizingTable {
  std::uint64_t floor;
  std::uint64_t perTabOrLine;
  std::uint64_t linesPerLine;
  std::uint64_t perLastLineByte;
  std::uint64_t textFactor;
  std::uint64_t textExtra;
  std::uint64_t spare;
};
constexpr SizingTable kSizing = {200000, 100, 10, 8, 2, 20000, 500};

constexpr std::uint64_t kSaturated = std::numeric_limits<std::uint64_t>::max();

std::uint64_t Mul(std::uint64_t a, std::uint64_t b) {
  if (a != 0 && b > kSaturated / a) return kSaturated;
  return a * b;
}

std::uint64_t Add(std::uint64_t a, std::uint64_t b) { return b > kSaturated - a ? kSaturated : a + b; }

bool IsLetter(std::uint8_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(std::uint8_t c) { return c >= '0' && c <= '9'; }

// Destination words: the group's content is no document text.
constexpr std::string_view kDestinations[] = {
    "fonttbl", "colortbl", "stylesheet", "info",    "pict",    "object",  "header",  "headerl",
    "headerr", "headerf",  "footer",     "footerl", "footerr", "footerf", "footnote", "fldinst",
    "listtable", "listoverridetable", "rsidtbl", "generator", "themedata", "latentstyles", "datastore",
    "colorschememapping", "xmlnstbl", "filetbl", "revtbl", "bkmkstart", "bkmkend"};

constexpr std::string_view kInterleaved[] = {"lang", "langfe", "langnp", "f", "cf", "uc", "loch", "hich", "dbch"};

}  // namespace

std::size_t OutputLimit(std::size_t textLen, std::size_t tabs, std::size_t lines, std::size_t lastLineBytes) {
  const SizingTable& k = kSizing;
  const std::uint64_t perBlock =
      Add(Mul(Add(tabs, Mul(k.linesPerLine, lines)), k.perTabOrLine), Mul(k.perLastLineByte, lastLineBytes));
  const std::uint64_t perText = Add(Mul(k.textFactor, textLen), k.textExtra);
  const std::uint64_t size = std::max({k.floor, perBlock, perText});
  // The frame allocates size + spare bytes; the output leaves one for the NUL.
  const std::uint64_t limit = Add(size, k.spare - 1);
  if (limit > std::numeric_limits<std::size_t>::max()) return std::numeric_limits<std::size_t>::max();
  return static_cast<std::size_t>(limit);
}

bool ReadWord(const RtfReader& r, std::size_t at, RtfWord* w) {
  if (r.At(at) != '\\' || !IsLetter(r.At(at + 1))) return false;
  std::size_t p = at + 1;
  const std::size_t nameStart = p;
  while (p - nameStart < kMaxWordLetters && IsLetter(r.At(p))) ++p;
  // A name is never read past the text, so the view stays inside it.
  w->start = at;
  w->name = r.Text().substr(nameStart, p - nameStart);
  w->hasNum = false;
  w->num = 0;
  w->digits = 0;
  w->blank = false;
  bool negative = false;
  if (r.At(p) == '-' && IsDigit(r.At(p + 1))) {
    negative = true;
    ++p;
  }
  long long value = 0;
  while (w->digits < kMaxWordDigits && IsDigit(r.At(p))) {
    value = value * 10 + (r.At(p) - '0');
    ++w->digits;
    ++p;
  }
  if (w->digits > 0) {
    w->hasNum = true;
    if (negative) value = -value;
    w->num = std::clamp<long long>(value, INT_MIN, INT_MAX);
  }
  if (r.At(p) == ' ') {
    w->blank = true;
    ++p;
  }
  w->end = std::min(p, r.Size());
  return true;
}

std::size_t TokenEnd(const RtfReader& r, std::size_t at) {
  if (at >= r.Size()) return r.Size();
  if (r.At(at) != '\\') return at + 1;
  RtfWord w;
  if (ReadWord(r, at, &w)) return w.end;
  const std::size_t len = r.At(at + 1) == '\'' ? 4 : 2;
  return std::min(at + len, r.Size());
}

bool IsInterleavedWord(const RtfWord& w) {
  for (std::string_view n : kInterleaved)
    if (w.name == n) return true;
  return false;
}

std::size_t SkipInterleaved(const RtfReader& r, std::size_t at, std::size_t limit) {
  std::size_t p = at;
  while (p < limit && p < r.Size()) {
    const std::uint8_t c = r.At(p);
    if (c == ' ' || c == '\r' || c == '\n') {
      ++p;
      continue;
    }
    RtfWord w;
    if (c == '\\' && ReadWord(r, p, &w) && IsInterleavedWord(w)) {
      p = w.end;
      continue;
    }
    break;
  }
  return std::min(p, std::max(at, limit));
}

bool WordFollows(const RtfReader& r, std::size_t at, std::string_view name, std::size_t limit, RtfWord* w) {
  const std::size_t p = SkipInterleaved(r, at, limit);
  if (p >= limit) return false;
  RtfWord word;
  if (!ReadWord(r, p, &word) || !word.Is(name)) return false;
  if (w) *w = word;
  return true;
}

std::size_t DestinationEnd(const RtfReader& r, std::size_t at) {
  if (r.At(at) != '{' || r.At(at + 1) != '\\') return at;
  bool destination = r.At(at + 2) == '*';
  if (!destination) {
    RtfWord w;
    if (!ReadWord(r, at + 1, &w)) return at;
    for (std::string_view n : kDestinations)
      if (w.name == n) destination = true;
    if (!destination) return at;
  }
  // Find the closing brace; escaped braces and "\binN" data do not count.
  std::uint64_t depth = 0;
  std::size_t p = at;
  const std::size_t n = r.Size();
  while (p < n) {
    const std::uint8_t c = r.At(p);
    if (c == '{') {
      ++depth;
      ++p;
    } else if (c == '}') {
      ++p;
      if (--depth == 0) return p;
    } else if (c == '\\') {
      RtfWord w;
      if (ReadWord(r, p, &w)) {
        p = w.end;
        if (w.Is("bin") && w.num > 0) {
          const std::uint64_t skip = static_cast<std::uint64_t>(w.num);
          p = skip >= n - p ? n : p + static_cast<std::size_t>(skip);
        }
      } else {
        p = TokenEnd(r, p);
      }
    } else {
      ++p;
    }
  }
  return n;
}

void AppendWord(std::string* out, std::string_view name, long long num) {
  out->push_back('\\');
  out->append(name.data(), name.size());
  out->append(std::to_string(num));
}

}  // namespace table::rtfpass
