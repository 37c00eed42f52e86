// The selection-condition list loader on random list texts and
// indexes, and the combo chain on random choices. Checks: at most 100
// items; a section that does not begin with "|" and was not cut is given
// back by joining its items with "|"; a dependent combo always reloads from
// its own list text, whatever was chosen in it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "csv/csv_selectcond.h"

namespace {

std::string Join(const std::vector<std::string>& items) {
  std::string s;
  for (std::size_t i = 0; i < items.size(); ++i) s += (i ? "|" : "") + items[i];
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2 || size > 8192) return 0;
  const int index = data[0] % 8;
  const std::string listText(reinterpret_cast<const char*>(data + 1), size - 1);
  const auto items = csv::LoadCondList(listText, index);
  if (items.size() > static_cast<std::size_t>(csv::kCondListMax)) __builtin_trap();
  if (index == 0 || listText.find('!') == std::string::npos) {
    if (!listText.empty() && listText[0] != '|' && items.size() < static_cast<std::size_t>(csv::kCondListMax) && Join(items) != listText) {
      __builtin_trap();
    }
  }
  // The chain: combo 0 plain, combo 1 dependent on it.
  const std::string dep = "!" + listText;
  csv::CondCombos combos(csv::SelectCondExTable());
  const auto lists = combos.Open({"a|b|c", dep});
  if (lists[1] != csv::LoadCondList(dep, 1)) __builtin_trap();
  std::vector<std::string> got;
  for (std::size_t k = 1; k + 1 < size && k < 16; ++k) {
    const int choice = data[k] % 5;
    if (data[k + 1] & 1) {
      combos.Choose(1, choice, listText.substr(0, choice), nullptr);
      continue;
    }
    got.clear();
    if (combos.Choose(0, choice, "x", &got) != 1) __builtin_trap();
    if (got != csv::LoadCondList(dep, choice + 1)) __builtin_trap();
  }
  return 0;
}
