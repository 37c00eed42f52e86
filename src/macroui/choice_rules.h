// The rules of the macro's open dialogs without a window: which choice
// buttons show and how much the choice dialog shrinks, which key answers,
// and where a dialog opened beside the view goes.
#pragma once

#include <string>

namespace macroui {

constexpr int kChoiceCount = 5;

struct ChoiceShape {
  bool shown[kChoiceCount] = {};  // button n + 1 shows: its text is not empty
  int lessHeight = 0;             // pixels the window loses
  int lessWidth = 0;
};
// Buttons with an empty text are hidden; with choices 4 and 5 both empty the
// window loses 80 pixels of height, and 120 of width as well when choices
// 1-3 are all shorter than 20 bytes.
ChoiceShape ShapeChoice(const std::string (&texts)[kChoiceCount]);

// The choice a key answers: the digit keys '1'-'5' for a choice with text;
// 0 for anything else.
int ChoiceForKey(unsigned key, const std::string (&texts)[kChoiceCount]);

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const Rect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
};
// A dialog opened beside the view keeps its size; its right edge goes 30
// pixels inside the view's right edge, and a top lower than 200 moves up by 150.
Rect PlaceBesideView(const Rect& dialog, const Rect& view);

}  // namespace macroui
