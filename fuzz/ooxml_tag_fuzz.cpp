// The tag search, the cell token reader and the number-format classifier over
// any part, any pattern and any start.
// Input: mode byte, pattern length byte (0-15), the pattern, a start byte,
// then the part's bytes (loaded as the converters load it).
// Checks: a search that starts inside the text leaves the position inside
// it (never past its NUL); a token read moves forward and stays inside; an
// unbounded search finds a pattern that stands within its window (in a text
// without backslashes) and reports none that is not there; every class is
// one of the classifier's kinds with a decimals value below 200.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "convert/ooxml_numfmt.h"
#include "convert/ooxml_part.h"
#include "convert/ooxml_tag.h"

using namespace convert;

namespace {

bool ValidClass(int cls) {
  if (cls < 0) return false;
  const int kind = cls / 1000, d = cls % 1000;
  if (d >= 200) return false;
  switch (kind) {
    case 0:
      return d == 0;
    case 1: case 9: case 11: case kFmtDate: case kFmtDateTime: case kFmtKanjiDate: case kFmtKanjiTime:
    case kFmtKanjiMonthDay:
      return true;
    default:
      return kind >= kFmtYen && kind <= kFmtTime12;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const int mode = data[0] % 32;
  std::size_t patLen = data[1] % 16;
  if (2 + patLen + 1 > size) return 0;
  std::string pattern(reinterpret_cast<const char*>(data + 2), patLen);
  pattern = pattern.c_str();  // a pattern holds no NUL
  const int startHint = data[2 + patLen];
  const std::string part(reinterpret_cast<const char*>(data + 3 + patLen), size - 3 - patLen);

  MemoryPackage pkg;
  pkg.Add("p.xml", part);
  PartText text;
  LoadBuffer out;
  const int n = LoadPartAsSjis(pkg, "p.xml", 0, text, out);
  if (n < 0 || n != text.Size()) std::abort();
  const std::string t(text.Data(), static_cast<std::size_t>(n));
  const int start = n == 0 ? 0 : startHint * 37 % (n + 1);

  int pos = start;
  const int r = FindInTag(pattern.c_str(), text, &pos, mode);
  if (pos < 0 || pos > n) std::abort();
  if (mode % 10 == kTagFormatClass && mode < 10 && !ValidClass(r) && r != 0) std::abort();
  if (r != 0 && (mode == kTagMoveTo || mode == kTagFound) && r != 1) std::abort();

  // the unbounded search against the text itself
  if (pattern.size() >= 2) {
    pos = start;
    const int found = FindInTag(pattern.c_str(), text, &pos, kTagUnbounded + kTagFound);
    if (pos != start) std::abort();
    if (t.find('\\') == std::string::npos && pattern.find('\\') == std::string::npos) {
      const std::size_t at = t.find(pattern, static_cast<std::size_t>(start));
      const bool within = at != std::string::npos && at - static_cast<std::size_t>(start) + 1 <= kTagWindow;
      if (within != (found == 1)) std::abort();
    }
  }

  for (int m = 0; m < 2; ++m) {
    pos = start;
    const int v = ReadCellToken(text, &pos, m);
    if (v < 0 || pos < start || pos > n) std::abort();
  }
  if (!ValidClass(NumberFormatClass(text.Data() + start, text.Readable() - static_cast<std::size_t>(start))))
    std::abort();
  if (!ValidClass(NumberFormatClass(part.data(), part.size()))) std::abort();
  return 0;
}
