// The window statement's numbers over any operand, letter and desktop: a
// placed window never gets a negative size, a left or top never passes the
// screen's edge, and the fixed letters keep their sizes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "macro/macro_msgplace.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 9) return 0;
  if (size > 4096) size = 4096;
  const unsigned char letter = data[0];
  int w, h;
  std::memcpy(&w, data + 1, sizeof w);
  std::memcpy(&h, data + 5, sizeof h);
  const std::string text(reinterpret_cast<const char*>(data + 9), size - 9);
  const CString operand(text.c_str());
  const macro::MacroRect desk{0, 0, w, h};
  const macro::FramePlacement f = macro::MacroWindowPlacement(letter, operand, desk);
  const bool numbers = operand.Str().size() > 6;
  if (numbers && f.show != macro::FrameShow::kPlace) __builtin_trap();
  if (f.show == macro::FrameShow::kPlace) {
    if (f.width < 0 || f.height < 0) __builtin_trap();
    // A read left or top stops at the screen's edge (20 when none was read).
    if (numbers && f.left > w && f.left != 20) __builtin_trap();
    if (numbers && f.top > h && f.top != 20) __builtin_trap();
    if (!numbers && letter == '1' && (f.width != 300 || f.height != 30 || f.left != 20)) __builtin_trap();
    if (!numbers && letter == '5' && w >= 0 && h >= 0 && (f.width != w / 2 || f.height != h / 2)) __builtin_trap();
  }
  return 0;
}
