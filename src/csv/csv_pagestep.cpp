#include "csv/csv_pagestep.h"

namespace csv {
namespace {

// A page top this close to the start shows the first page.
constexpr std::int64_t kNearStart = 5;

std::uint32_t Settle(std::int64_t top) {
  if (top < kNearStart) return 0;
  return top > 0xFFFFFFFFll ? 0xFFFFFFFFu : static_cast<std::uint32_t>(top);
}

std::int64_t Size(const PageStep& s) { return s.pageSize > 0 ? s.pageSize : 1; }

// The step with Ctrl: the lines the window shows less the caret's distance
// from the first visible line less 1, at least 0.
std::int64_t LineStep(const PageStep& s) {
  const std::int64_t step = s.pageLines - s.caretDistance - 1;
  return step > 0 ? step : 0;
}

}  // namespace

bool OnLastPage(const PageStep& s) { return static_cast<std::int64_t>(s.pageTop) + Size(s) > s.lastRow; }

std::uint32_t NextPageTop(const PageStep& s) {
  if (s.byLines) {
    std::int64_t top = static_cast<std::int64_t>(s.pageTop) + LineStep(s);
    const std::int64_t lastTop = s.lastRow > 0 ? s.lastRow : 0;
    if (top > lastTop) top = lastTop > s.pageTop ? lastTop : s.pageTop;
    return Settle(top);
  }
  if (OnLastPage(s)) return 0;
  return Settle(static_cast<std::int64_t>(s.pageTop) + Size(s));
}

std::uint32_t PreviousPageTop(const PageStep& s) {
  if (s.byLines) return Settle(static_cast<std::int64_t>(s.pageTop) - LineStep(s));
  if (s.pageTop == 0) {
    const std::int64_t last = s.lastRow > 0 ? s.lastRow : 0;
    return Settle(last / Size(s) * Size(s));
  }
  return Settle(static_cast<std::int64_t>(s.pageTop) - Size(s));
}

}  // namespace csv
