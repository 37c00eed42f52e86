#include "view/viewui/backcolor.h"

namespace viewui {
namespace {

// White, cream, pale green, pale blue, pale grey, pale pink, pale yellow.
const std::uint32_t kBackColors[kBackColorCount] = {
    0xFFFFFF, 0xE6F5FF, 0xE6FFE6, 0xFFF0E0, 0xEBEBEB, 0xF0E6FF, 0xCCFFFF,
};

int Wrap(int i) {
  int r = i % kBackColorCount;
  return r < 0 ? r + kBackColorCount : r;
}

}  // namespace

std::uint32_t BackColorOf(int index) { return kBackColors[Wrap(index)]; }

int StepBackColor(int index, int step) { return Wrap(Wrap(index) + step % kBackColorCount); }

}  // namespace viewui
