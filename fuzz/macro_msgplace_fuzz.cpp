// The processing dialog's parameter and position readers over any bytes:
// every part is found in the command, a text without ':' gives none, and
// the placement's arithmetic stays defined for any rectangle and size.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "macro/macro_msgplace.h"

namespace {
bool WithinCommand(const CString& part, const std::string& whole) {
  return part.IsEmpty() || whole.find(part.Str()) != std::string::npos;
}
int Int(const uint8_t* p) {
  int v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) size = 4096;
  // Up to six ints for the rectangles and the size, the rest is text.
  int nums[6] = {0, 0, 1024, 768, 254, 160};
  std::size_t k = 0;
  while (k < 6 && size >= sizeof(int) + 1 && data[0] == 0xFF) {
    nums[k++] = Int(data + 1);
    data += sizeof(int) + 1;
    size -= sizeof(int) + 1;
  }
  const std::string text(reinterpret_cast<const char*>(data), size);
  const CString command(text.c_str());  // up to the first NUL, as the statement holds it
  const std::string& s = command.Str();
  const macro::ProgressParams p = macro::MacroProgressParams(command);
  if (!WithinCommand(p.caption, s) || !WithinCommand(p.second, s) || !WithinCommand(p.okText, s) || !WithinCommand(p.cancelText, s))
    __builtin_trap();
  const std::size_t parts = p.caption.Str().size() + p.second.Str().size() + p.okText.Str().size() +
                            p.cancelText.Str().size();
  if (parts > s.size()) __builtin_trap();
  if (s.find(':') == std::string::npos && parts != 0) __builtin_trap();
  macro::MacroProgressHiddenButton(p.okText, p.cancelText);

  const macro::MacroRect desk{0, 0, nums[2], nums[3]}, view{nums[0], nums[1], nums[2], nums[3]};
  const macro::MacroPoint at = macro::MacroProgressPlace(&command, desk, view, nums[4], nums[5]);
  const macro::MacroPoint beside = macro::MacroProgressPlace(nullptr, desk, view, nums[4], nums[5]);
  if (s == "C:C" && at.x != static_cast<int>((static_cast<long long>(nums[2]) - nums[4]) / 2)) __builtin_trap();
  (void)beside;
  const std::int32_t n = macro::MacroReadSaturated(s.data(), s.size());
  if (n < 0) __builtin_trap();
  return 0;
}
