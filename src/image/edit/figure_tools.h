// The figure tools of the image menu's "図形" submenu: the line style and
// fill kind that step on each choice, and the captions that show their
// current values.
#pragma once

#include <string>

namespace image {

// The line style steps 0 -> 1 -> ... -> 6 -> 0 (anything else starts at 0).
int NextLineStyle(int style);
// The fill kind steps 線のみ 0 -> 網掛けだけ塗る 1 -> 塗る 2 -> 境界色まで塗る 11 -> 0
// (anything else starts at 0).
int NextFillKind(int kind);

// "線種 3".
std::string LineStyleCaption(int style);
// "塗り方: 塗る" (an unknown kind reads as 線のみ).
std::string FillKindCaption(int kind);

}  // namespace image
