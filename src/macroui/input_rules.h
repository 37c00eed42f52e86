// The rules of the macro input box (dialog 180) without a window: what its
// option string asks for, the size it opens at, and where its four controls
// go for a given window size. CMacroInputDlg turns the answers into window
// styles and moves.
#pragma once

#include <string>
#include <string_view>

namespace macroui {

// Face names of the input box's font.
inline constexpr const char* kInputFaceFixed = "ＭＳ ゴシック";         // option W
inline constexpr const char* kInputFaceProportional = "ＭＳ Ｐゴシック";  // otherwise

enum class PromptEdge { kNone, kStatic, kClient };

struct InputOptions {
  std::string letters;  // the part before the first ':', upper-cased
  std::string title;    // the part after it ("" when there is none)
  // The input field.
  bool rightAlign = false;  // R, N
  bool password = false;    // P
  bool numbersOnly = false; // N
  bool upperCase = false;   // U
  bool readOnly = false;    // O, T
  bool bare = false;        // T: no edge and no parent-of-controls style
  // The prompt area.
  bool promptHScroll = false;  // H
  bool promptVScroll = false;  // V
  PromptEdge promptEdge = PromptEdge::kNone;  // B static edge, else D client edge
  // The font of both fields.
  bool fixedFace = false;  // W
  int fontSize10 = 105;    // tenths of a point: (digit + 2) x 15 for a last digit 1-9
  // The focus moves to the input field shortly after opening (not with T or O).
  bool focusInput = true;
};

// Reads the option string of the input box. Option letters are single-byte
// characters; the bytes of a double-byte character are never taken as letters.
InputOptions ParseInputOptions(std::string_view options);

// The window size the box opens at, from the caller's height and width (the
// width may carry the input field's width as width + 2000 x input width).
struct InputSize {
  int width = 0;
  int height = 0;
  int inputWidth = 0;  // 0: the input field follows the window
};
InputSize ResolveInputSize(int height, int width);

struct Box {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const Box& o) const {
    return x == o.x && y == o.y && width == o.width && height == o.height;
  }
};

struct InputLayout {
  Box ok, cancel, prompt, input;
};

// Where the controls go in a window of `width` x `height` pixels with the
// font `fontSize10`; `inputWidth` 0 lets the input field follow the window.
// Sizes never go below 0, however small the user makes the window.
InputLayout LayOutInputBox(int width, int height, int fontSize10, int inputWidth);

}  // namespace macroui
