// One BIFF8 string read and one format string classified, over any bytes
// (an exact-size copy, so a read past it is found).
// Checks: a string read either fails or moves the cursor forward, never past
// the end; its text holds at most 1,500 bytes, no TAB, LF or 0x02, and its
// kind code is 1000 + its length; skipping never moves back or past the end;
// the classifier gives one of the five classes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "convert/biff_number.h"
#include "convert/biff_string.h"

using namespace convert;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> bytes(data, data + size);
  BiffCursor cur;
  cur.data = bytes.data();
  cur.end = static_cast<std::int32_t>(bytes.size());
  cur.contState = size > 0 && (data[0] & 1);
  for (int i = 0; i < 8 && cur.pos < cur.end; ++i) {
    const std::int32_t before = cur.pos;
    BiffString s;
    const int r = BiffReadString(cur, s);
    if (r == 1) {
      if (cur.pos <= before) std::abort();
      if (cur.pos > cur.end) std::abort();
      if (s.text.size() > 1500 + 2) std::abort();
      if (s.kind != 1000 + static_cast<std::int32_t>(s.text.size())) std::abort();
      for (char c : s.text)
        if (c == '\t' || c == '\n' || c == '\x02') std::abort();
    } else {
      if (r != -1 && r != -2) std::abort();
      break;
    }
  }
  BiffCursor skip;
  skip.data = bytes.data();
  skip.end = static_cast<std::int32_t>(bytes.size());
  BiffSkipChars(skip, size / 2);
  if (skip.pos < 0 || skip.pos > skip.end) std::abort();
  const BiffFormatInfo f = ClassifyBiffFormat(bytes.data(), bytes.size());
  if (f.formatClass != kFormatOther && f.formatClass != kFormatGrouped && f.formatClass != kFormatCurrency &&
      f.formatClass != kFormatPercent && f.formatClass != kFormatDate)
    std::abort();
  return 0;
}
