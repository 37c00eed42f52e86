// The turn or flip asked for in a picture's name: a path ending in "%" and
// one of the letters R, B, L, H, V or x opens the file without those two
// characters and shows it turned right (1), upside down (2), left (3),
// mirrored left to right (4), flipped top to bottom (5), or plain (9). The
// number goes to word 8 of the image settings, which the view applies when
// it takes the picture over.
#pragma once

#include <string>

namespace docopen {

// The settings word the letter sets (8, the transform code).
constexpr int kPictureSuffixWord = 8;

// When `path` ends in such a suffix: true, the path without it in *plain and
// the number in *code. Otherwise false and nothing changed.
bool SplitPictureSuffix(const std::string& path, std::string* plain, int* code);

}  // namespace docopen
