// The turn or flip asked for in a picture's name: a path ending in "%" and
// one of the letters R, B, L, H, V or x opens the file without those two
// characters and shows it turned right (1), upside down (2), left (3),
// mirrored left to right (4), flipped top to bottom (5), or plain (9). The
// number goes to word 8 of the image settings, which the view applies when
// it takes the picture over.
//
// The turn serves the picture it was asked for: the next open without a
// suffix clears it, unless it opens that same file again (the reload after a
// zoom, flip or style change keeps the picture turned).
#pragma once

#include <cstdint>
#include <string>

namespace docopen {

// The settings word the letter sets (8, the transform code).
constexpr int kPictureSuffixWord = 8;

// When `path` ends in such a suffix: true, the path without it in *plain and
// the number in *code. Otherwise false and nothing changed.
bool SplitPictureSuffix(const std::string& path, std::string* plain, int* code);

// Word 8 after an open of `path` as given (suffix and all), the path to open
// in *plain. With a suffix: its number. Without one: `word` (the value before
// the open) when `path` names the file the document shows now (`shownPath`,
// compared as SamePath does), else 0.
std::uint32_t TransformCodeForOpen(const std::string& path, const std::string& shownPath, std::uint32_t word,
                                   std::string* plain);

}  // namespace docopen
