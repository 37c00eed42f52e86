#include "image/edit/figure_tools.h"

#include <algorithm>
#include <iterator>

namespace image {

namespace {

constexpr int kLastLineStyle = 6;

struct FillKindRow {
  int kind;
  const char* name;
};
// In stepping order.
constexpr FillKindRow kFillKinds[] = {
    {0, "線のみ"}, {1, "網掛けだけ塗る"}, {2, "塗る"}, {11, "境界色まで塗る"}};

}  // namespace

int NextLineStyle(int style) { return style >= 0 && style < kLastLineStyle ? style + 1 : 0; }

int NextFillKind(int kind) {
  const auto it = std::find_if(std::begin(kFillKinds), std::end(kFillKinds),
                               [kind](const FillKindRow& r) { return r.kind == kind; });
  if (it == std::end(kFillKinds) || it + 1 == std::end(kFillKinds)) return kFillKinds[0].kind;
  return (it + 1)->kind;
}

std::string LineStyleCaption(int style) {
  return "線種 " + std::to_string(style >= 0 && style <= kLastLineStyle ? style : 0);
}

std::string FillKindCaption(int kind) {
  const auto it = std::find_if(std::begin(kFillKinds), std::end(kFillKinds),
                               [kind](const FillKindRow& r) { return r.kind == kind; });
  return std::string("塗り方: ") + (it == std::end(kFillKinds) ? kFillKinds[0].name : it->name);
}

}  // namespace image
