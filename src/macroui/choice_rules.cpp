#include "macroui/choice_rules.h"

namespace macroui {

namespace {

constexpr int kShrinkHeight = 80, kShrinkWidth = 120;
constexpr std::size_t kShortText = 20;
constexpr int kInsideRight = 30, kHighTop = 200, kMoveUp = 150;

}  // namespace

ChoiceShape ShapeChoice(const std::string (&texts)[kChoiceCount]) {
  ChoiceShape s;
  for (int k = 0; k < kChoiceCount; ++k) s.shown[k] = !texts[k].empty();
  if (texts[3].empty() && texts[4].empty()) {
    s.lessHeight = kShrinkHeight;
    if (texts[0].size() < kShortText && texts[1].size() < kShortText && texts[2].size() < kShortText)
      s.lessWidth = kShrinkWidth;
  }
  return s;
}

int ChoiceForKey(unsigned key, const std::string (&texts)[kChoiceCount]) {
  if (key < '1' || key > '5') return 0;
  const int n = static_cast<int>(key - '0');
  return texts[n - 1].empty() ? 0 : n;
}

Rect PlaceBesideView(const Rect& dialog, const Rect& view) {
  const long long width = static_cast<long long>(dialog.right) - dialog.left;
  const long long height = static_cast<long long>(dialog.bottom) - dialog.top;
  Rect r;
  r.right = view.right - kInsideRight;
  r.left = static_cast<int>(r.right - width);
  r.top = dialog.top > kHighTop ? dialog.top - kMoveUp : dialog.top;
  r.bottom = static_cast<int>(r.top + height);
  return r;
}

}  // namespace macroui
