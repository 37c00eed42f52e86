// The parts of a long text shown one at a time: any text, any "outdata"
// limit. Walking forward from the first part, the parts are non-empty,
// follow each other without a gap and make up the text; each is at most the
// limit (one character more where a character is wider than what is left of
// it). Walking backward from any part, each part ends where the one after it
// starts and keeps the same bound. Every part lies inside the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "view/viewload/textparts.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const long long limit = data[0] == 0 ? 0 : 1 + data[0] % 64;
  const std::size_t backSteps = data[1] % 16;
  const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);
  const std::size_t len = text.size();
  const std::size_t bound = limit <= 0 ? len : static_cast<std::size_t>(limit) + 1;

  // Forward from the first part to the last.
  viewload::TextPart p = viewload::NextTextPart(text.data(), len, 0, 0, limit);
  std::size_t covered = 0;
  for (std::size_t guard = 0; len > 0; ++guard) {
    Check(guard <= len);
    Check(p.start == covered && p.length > 0 && p.length <= bound && p.start + p.length <= len);
    covered += p.length;
    Check(p.toEnd == (covered == len));
    if (p.toEnd) break;
    p = viewload::NextTextPart(text.data(), len, p.start, p.length, limit);
  }
  Check(covered == len);
  if (len == 0) Check(p.length == 0);
  // From the last part the next is the first.
  if (len > 0) {
    const viewload::TextPart first = viewload::NextTextPart(text.data(), len, p.start, p.length, limit);
    Check(first.start == 0);
  }

  // Backward from the first part (wrapping to the last), a few steps.
  std::size_t start = 0;
  for (std::size_t i = 0; i < backSteps && len > 0; ++i) {
    const viewload::TextPart b = viewload::PreviousTextPart(text.data(), len, start, limit);
    const std::size_t end = start == 0 ? len : start;
    Check(b.length > 0 && b.start + b.length == end && b.length <= bound);
    start = b.start;
  }
  return 0;
}
