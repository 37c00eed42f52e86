#include "macroui/input_rules.h"

#include <algorithm>

#include "fw/sjis.h"

namespace macroui {

namespace {

constexpr int kDefaultFont10 = 105;
constexpr int kWidthCarry = 2000;
constexpr int kMinSide = 150;
constexpr int kDefaultHeight = 200;
constexpr int kDefaultWidth = 300;

bool Has(const std::string& letters, char c) {
  // Letters are the single-byte characters of the option part only.
  const int len = static_cast<int>(letters.size());
  for (int i = 0; i < len;) {
    const int n = fw::SjisCharLength(letters.data(), len, i);
    if (n == 1 && letters[static_cast<std::size_t>(i)] == c) return true;
    i += n;
  }
  return false;
}

}  // namespace

InputOptions ParseInputOptions(std::string_view options) {
  InputOptions o;
  const std::size_t colon = options.find(':');
  std::string_view part = options;
  if (colon != std::string_view::npos) {
    o.title.assign(options.substr(colon + 1));
    part = options.substr(0, colon);
  }
  // Upper-case the single-byte letters; a double-byte character stays as it is.
  o.letters.assign(part);
  const int len = static_cast<int>(o.letters.size());
  for (int i = 0; i < len;) {
    const int n = fw::SjisCharLength(o.letters.data(), len, i);
    char& c = o.letters[static_cast<std::size_t>(i)];
    if (n == 1 && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    i += n;
  }
  const std::string& l = o.letters;
  o.rightAlign = Has(l, 'R') || Has(l, 'N');
  o.password = Has(l, 'P');
  o.numbersOnly = Has(l, 'N');
  o.upperCase = Has(l, 'U');
  const bool bare = Has(l, 'T');
  o.readOnly = Has(l, 'O') || bare;
  o.bare = bare;
  o.promptHScroll = Has(l, 'H');
  o.promptVScroll = Has(l, 'V');
  o.promptEdge = Has(l, 'B') ? PromptEdge::kStatic : Has(l, 'D') ? PromptEdge::kClient : PromptEdge::kNone;
  o.fixedFace = Has(l, 'W');
  o.fontSize10 = kDefaultFont10;
  if (!l.empty()) {
    const char last = l.back();
    // A digit is single-byte wherever it stands: no lead byte is a digit, and
    // a trail byte is never below 0x40.
    if (last >= '1' && last <= '9') o.fontSize10 = (last - '0' + 2) * 15;
  }
  o.focusInput = !o.readOnly;
  return o;
}

InputSize ResolveInputSize(int height, int width) {
  InputSize s;
  if (width > kWidthCarry) {
    s.inputWidth = width / kWidthCarry;
    width %= kWidthCarry;
  }
  s.height = height == 0 ? kDefaultHeight : std::max(height, kMinSide);
  s.width = width == 0 ? kDefaultWidth : std::max(width, kMinSide);
  return s;
}

InputLayout LayOutInputBox(int width, int height, int fontSize10, int inputWidth) {
  // Window sizes come from the window manager and fonts from the option
  // digit (at most 165): nothing here can overflow an int.
  auto side = [](int v) { return std::max(v, 0); };
  const int b = width < 300 ? 50 : 80;
  const int f = fontSize10 / 10;
  InputLayout r;
  r.cancel = {width - b - 20, 10, b, 23};
  r.ok = {width - 2 * b - 30, 10, b, 23};
  r.prompt = {10, 70, side(width - 30), side(height - 120)};
  r.input = {10, 55 - f, inputWidth > 0 ? inputWidth : std::max(width - 120, 80), side(f + 8)};
  return r;
}

}  // namespace macroui
