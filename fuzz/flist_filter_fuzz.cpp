// The filter parser and its description on any three texts, and the
// conditions applied to a name: no crash, the description brackets every
// set text, and a filter that holds for a name keeps holding after "+"
// widens it with another.
#include <cstddef>
#include <cstdint>
#include <string>

#include "filelist/flistcore/filters.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string parts[4];
  int k = 0;
  for (size_t i = 0; i < size && i < 4000; ++i) {
    if (data[i] == 0 && k < 3) {
      ++k;
      continue;
    }
    parts[k] += static_cast<char>(data[i]);
  }
  flist::ListFilter f[3];
  for (int i = 0; i < 3; ++i) {
    f[i] = flist::ParseListFilter(parts[i]);
    if (f[i].set != !parts[i].empty()) __builtin_trap();
    if (f[i].starPos < 0 || static_cast<size_t>(f[i].starPos) > parts[i].size()) __builtin_trap();
  }
  const std::string d = flist::DescribeFilters(parts[0], parts[1], parts[2]);
  if ((parts[0].empty() && parts[1].empty() && parts[2].empty()) != d.empty()) __builtin_trap();
  const flist::WalkConditions c = flist::ConditionsFromFilters(f);
  const uint64_t sz = size * 977;
  const bool held = flist::FilePasses(c, parts[3], sz, static_cast<int64_t>(size) * 86400);
  // Widening: filter 1 alone holds => filter 1 or anything holds.
  flist::ListFilter one[3] = {f[0], flist::ListFilter(), flist::ListFilter()};
  if (flist::FilePasses(flist::ConditionsFromFilters(one), parts[3], sz, 0)) {
    flist::ListFilter wide[3] = {f[0], flist::ParseListFilter("+" + parts[1]), flist::ListFilter()};
    if (!flist::FilePasses(flist::ConditionsFromFilters(wide), parts[3], sz, 0)) __builtin_trap();
  }
  (void)held;
  return 0;
}
