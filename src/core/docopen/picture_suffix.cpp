#include "core/docopen/picture_suffix.h"

#include "core/docopen/savename.h"

namespace docopen {

bool SplitPictureSuffix(const std::string& path, std::string* plain, int* code) {
  // "%" is never part of a double-byte character, so the byte before the
  // letter decides on its own.
  if (path.size() < 3 || path[path.size() - 2] != '%') return false;
  int c = 0;
  switch (path.back()) {
    case 'R': c = 1; break;
    case 'B': c = 2; break;
    case 'L': c = 3; break;
    case 'H': c = 4; break;
    case 'V': c = 5; break;
    case 'x': c = 9; break;
    default: return false;
  }
  if (plain) *plain = path.substr(0, path.size() - 2);
  if (code) *code = c;
  return true;
}

std::uint32_t TransformCodeForOpen(const std::string& path, const std::string& shownPath, std::uint32_t word,
                                   std::string* plain) {
  int code = 0;
  std::string rest;
  if (SplitPictureSuffix(path, &rest, &code)) {
    if (plain) *plain = rest;
    return static_cast<std::uint32_t>(code);
  }
  if (plain) *plain = path;
  return !shownPath.empty() && SamePath(path, shownPath) ? word : 0;
}

}  // namespace docopen
