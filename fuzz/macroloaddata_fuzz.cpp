// "loaddata": the data after a label of any macro text, and their index.
// Checks: the data are made of the text's own lines (less a leading TAB
// each), hold no line beginning with '$' but a "$$" header, and every index
// entry points at a line start inside them whose key is that entry's.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "macro/macro_exec_load.h"
#include "macro/macro_lookup.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  // The first byte picks the label's length (1-4 bytes after the ':').
  const std::size_t labelLen = 1 + data[0] % 4;
  if (size < 1 + labelLen) return 0;
  const std::string label = ":" + std::string(reinterpret_cast<const char*>(data) + 1, labelLen);
  const std::string text(reinterpret_cast<const char*>(data) + 1 + labelLen, size - 1 - labelLen);
  std::string got = "x";
  const bool found = macro::MacroDataAfterLabel(text.data(), text.size(), label, &got);
  if (!found && !got.empty()) std::abort();
  if (got.size() > text.size()) std::abort();
  // No data line but a "$$" first one begins with '$'.
  for (std::size_t p = 0; p < got.size();) {
    if (got[p] == '$' && !(p == 0 && got.size() > 1 && got[1] == '$')) std::abort();
    while (p < got.size() && got[p] != '\r' && got[p] != '\n') ++p;
    if (p < got.size() && got[p] == '\r' && p + 1 < got.size() && got[p + 1] == '\n') ++p;
    ++p;
  }
  std::vector<std::uint32_t> index(macro::kLookupKeys, 0xFFFFFFFFu);
  const std::string& d = found ? got : text;
  macro::MacroIndexLookupData(d.data(), static_cast<std::uint32_t>(d.size()), index.data());
  for (int k = 0; k < macro::kLookupKeys; ++k) {
    const std::uint32_t at = index[k];
    if (at == 0) continue;
    if (at + 1 >= d.size() || (d[at - 1] != '\n' && d[at - 1] != '\r')) std::abort();
    if (macro::MacroLookupKey(static_cast<unsigned char>(d[at]), static_cast<unsigned char>(d[at + 1])) !=
        static_cast<std::uint32_t>(k))
      std::abort();
  }
  return 0;
}
