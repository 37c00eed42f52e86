#include "view/viewload/checkmarks.h"

namespace viewload {

std::vector<std::int32_t> CheckMarkLines(const csv::CheckList& list, const CheckMarkPlace& place) {
  std::vector<std::int32_t> lines;
  const std::uint32_t end = list.UsedEnd();
  for (std::uint32_t i = 0; i < end; ++i) {
    const std::uint32_t entry = list.Entry(i);
    if (entry == 0) continue;
    long long line = static_cast<long long>(entry) - 1 - place.lineShift;
    if (place.ruled) line += 5;
    if (place.lineShift != 0 && place.hasTitle) line += 1;
    if (line < 0 || line > place.lineCount) continue;
    lines.push_back(static_cast<std::int32_t>(line));
  }
  return lines;
}

}  // namespace viewload
