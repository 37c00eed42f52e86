// The plain rules of the processing dialog and of the window statement:
// the dialog's parameter text, its placement, which button a "-" hides, and
// the main window's rectangle by the statement's letter. Pure functions over
// texts and rectangles, so they are tested and fuzzed without a window.
#pragma once

#include <cstdint>

#include "fw/cstring.h"

namespace macro {

// A screen rectangle.
struct MacroRect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// The parameters of msgopen, msgwrite and msghold: the command's text after
// its first ':' read as caption ':' second text '@' OK text ';' Cancel text,
// every part optional. Double-byte characters are never cut.
struct ProgressParams {
  CString caption, second, okText, cancelText;
};
ProgressParams MacroProgressParams(const CString& command);
// The same over the text after that ':' (the four parts themselves).
ProgressParams MacroProgressParamsOfRest(const CString& rest);

// Which button a "-" hides: the Cancel text "-" hides Cancel, else the OK
// text "-" hides OK.
enum class HiddenButton { kNone, kOk, kCancel };
HiddenButton MacroProgressHiddenButton(const CString& okText, const CString& cancelText);

// The dialog's top-left corner. With a position variable (`position` not
// null: its text "X:Y"), X "C" centres on the desktop ((right - width) / 2),
// an X beginning with 'R' is the number after it from the desktop's right
// edge (right - width - n), any other X is the number; Y likewise with "C"
// and a 'B' prefix from the bottom edge. Without one the dialog stands 30
// pixels inside the view's right edge and 30 below its top. Numbers are read
// digit by digit and saturate; the results stay inside the int range.
struct MacroPoint {
  int x = 0, y = 0;
};
MacroPoint MacroProgressPlace(const CString* position, const MacroRect& desktop, const MacroRect& view, int width,
                              int height);

// The digits of `text` from its first digit on, saturating at INT32_MAX; 0
// without a digit.
std::int32_t MacroReadSaturated(const char* text, std::size_t length);

// The window statement. `letter` is the command's third byte; `operand`
// gives up to four numbers (left, top, width, height) when it is longer
// than 6 bytes, and the statement then acts as 'X'.
enum class FrameShow {
  kMinimize,  // '0'
  kMaximize,  // '9'
  kHide,      // 'n'
  kRestore,   // any other letter: restored, not moved
  kPlace,     // restored and placed at `left`, `top`, `width`, `height`
};
struct FramePlacement {
  FrameShow show = FrameShow::kRestore;
  int left = 20, top = 20, width = 400, height = 400;
};
FramePlacement MacroWindowPlacement(unsigned char letter, const CString& operand, const MacroRect& desktop);

}  // namespace macro
