#include "image/view/picture_commands.h"

namespace img {

int StepPictureZoom(int level, int step) {
  if (level < kPictureZoomMin || level > kPictureZoomMax) level = kPictureZoomPlain;
  const int next = level + (step > 0 ? 1 : step < 0 ? -1 : 0);
  return next < kPictureZoomMin ? kPictureZoomMin : next > kPictureZoomMax ? kPictureZoomMax : next;
}

uint32_t NextFitMode(uint32_t mode) { return mode >= 2 ? 0 : mode + 1; }

bool PictureOptionWordsClear(const uint32_t* settings, int words) {
  static const int kWords[] = {31, 36, 37, 38, 39, 40, 41, 43, 44, 45, 46, 47, 48};
  for (int w : kWords)
    if (w < words && settings[w] != 0) return false;
  return true;
}

std::string PictureReloadPath(const std::string& shownImagePath, const std::string& activePath) {
  return shownImagePath.empty() ? activePath : shownImagePath;
}

}  // namespace img
