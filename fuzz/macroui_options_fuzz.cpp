// The input box's option string over any bytes, and its size and layout rules
// over any numbers taken from the same input.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "macroui/input_rules.h"

namespace {

int TakeInt(const uint8_t*& data, size_t& size) {
  uint32_t v = 0;
  const size_t n = size < sizeof v ? size : sizeof v;
  if (n > 0) std::memcpy(&v, data, n);
  data += n;
  size -= n;
  return static_cast<int>(v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const int height = TakeInt(data, size);
  const int width = TakeInt(data, size);
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const macroui::InputOptions o = macroui::ParseInputOptions(text);
  // The letters and the title are the two halves of the text around the
  // first ':', nothing lost or added.
  const size_t colon = text.find(':');
  if (colon == std::string_view::npos) {
    if (o.letters.size() != text.size() || !o.title.empty()) __builtin_trap();
  } else if (o.letters.size() != colon || o.title != text.substr(colon + 1)) {
    __builtin_trap();
  }
  if (o.letters.find(':') != std::string::npos) __builtin_trap();
  if (o.fontSize10 != 105 && (o.fontSize10 < 45 || o.fontSize10 > 165 || o.fontSize10 % 15 != 0)) __builtin_trap();
  if (o.bare && !o.readOnly) __builtin_trap();
  if (o.focusInput == o.readOnly) __builtin_trap();
  if (o.numbersOnly && !o.rightAlign) __builtin_trap();

  const macroui::InputSize s = macroui::ResolveInputSize(height, width);
  if (s.height < 150 || s.width < 150 || s.width >= 2000 + (width <= 2000 ? 1 : 0) || s.inputWidth < 0) {
    __builtin_trap();
  }
  const macroui::InputLayout l =
      macroui::LayOutInputBox(s.width, s.height, o.fontSize10, s.inputWidth);
  if (l.prompt.width < 0 || l.prompt.height < 0 || l.input.height <= 0) __builtin_trap();
  if (s.inputWidth > 0 ? l.input.width != s.inputWidth : l.input.width < 80) __builtin_trap();
  return 0;
}
