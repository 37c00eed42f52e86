#include "core/docopen/picture_suffix.h"

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

}  // namespace docopen
