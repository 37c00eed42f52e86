// Column order by title.
#include "csv/csv_titleorder.h"

#include <algorithm>
#include <vector>

#include "csv/csv_index.h"
#include "csv/csv_out.h"

namespace csv {
namespace {

constexpr std::size_t kMaxTitles = 9000;

}  // namespace

bool TitleOrderArguments(const std::string& text, int* mode, int* fixedCount) {
  if (text.size() > 3 && text.compare(0, 4, "sort") == 0) {
    *mode = text.size() >= 6 && text.compare(4, 2, "dn") == 0 ? kTitlesDescending : kTitlesAscending;
    const char last = text.back();
    *fixedCount = last >= '1' && last <= '9' ? last - '0' : 0;
    return true;
  }
  if (text.compare(0, 3, "sel") == 0) {
    *mode = kTitleSearch;
    if (text.compare(0, 4, "sel:") == 0) {
      *fixedCount = 0;
    } else {
      const int d = text.size() > 3 ? static_cast<unsigned char>(text[3]) - '0' : 0;
      *fixedCount = d > 0 ? d : 1;
    }
    return true;
  }
  return false;
}

std::string CsvOrderColumnsByTitle(const Table& table, const std::string& text, int mode, int fixedCount) {
  const std::uint8_t* t = table.m_pTextBuf;
  const std::uint32_t n = ContentLength(table);
  if (n == 0) return "Eror";
  std::uint32_t off = 0;
  LineToOffset(table, t, n, &off, kLinePlainCount, 0);
  if (off >= n) return "Eror";
  std::vector<std::string> titles(1);
  for (std::uint32_t i = off; i < n && t[i] != '\r' && t[i] != '\n' && t[i] != 0; ++i) {
    if (t[i] == CSV_FIELD_SEP) {
      if (titles.size() >= kMaxTitles) break;
      titles.emplace_back();
    } else if (t[i] != '"') {
      titles.back() += static_cast<char>(t[i]);
    }
  }
  const int count = static_cast<int>(titles.size());
  fixedCount = std::max(0, std::min(fixedCount, count));
  std::vector<int> order;
  if (mode == kTitleSearch) {
    const std::size_t cut = fixedCount > 0 ? 5 : 4;
    const std::string search = text.size() > cut ? text.substr(cut) : std::string();
    for (int c = 1; c <= count; ++c) {
      if (c <= fixedCount || titles[c - 1].find(search) != std::string::npos) order.push_back(c);
    }
  } else {
    const bool down = mode == kTitlesDescending;
    const int fixed = fixedCount > 0 ? fixedCount : 1;
    for (int c = 1; c <= fixed; ++c) order.push_back(c);
    const std::size_t sortedFrom = fixedCount > 0 ? static_cast<std::size_t>(fixedCount) : 0;
    for (int c = fixed + 1; c <= count; ++c) {
      const std::string& mine = titles[c - 1];
      std::size_t at = sortedFrom;
      for (; at < order.size(); ++at) {
        const int cmp = titles[order[at] - 1].compare(mine);  // bytes compare as unsigned char
        if (down ? cmp < 0 : cmp > 0) break;
      }
      order.insert(order.begin() + static_cast<std::ptrdiff_t>(at), c);
    }
  }
  std::string list;
  for (int c : order) {
    if (!list.empty()) list += ',';
    list += std::to_string(c);
  }
  return list;
}

}  // namespace csv
