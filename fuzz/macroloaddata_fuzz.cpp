// "loaddata": the data after a label of any macro text, and their index.
// Checks: the data are made of the text's own lines (less a leading TAB
// each), a data line beginning with '$' came from a TAB line (or is the
// "$$" header), and the index equals a model built line by line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
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
  // Every data line is a line of the text, less a leading TAB: a line that
  // begins with '$' in the data came from one that began with TAB '$' (the
  // end is a line beginning with '$' itself), or is the "$$" header.
  for (std::size_t p = 0; p < got.size();) {
    std::size_t e = p;
    while (e < got.size() && got[e] != '\r' && got[e] != '\n') ++e;
    const std::string line = got.substr(p, e - p);
    if (text.find(line) == std::string::npos) std::abort();
    if (!line.empty() && line[0] == '$' && !(p == 0 && line.size() > 1 && line[1] == '$') &&
        text.find("\t" + line) == std::string::npos)
      std::abort();
    if (e < got.size() && got[e] == '\r' && e + 1 < got.size() && got[e + 1] == '\n') ++e;
    p = e + 1;
  }
  // The index against a model built line by line: each key from 514 on
  // that rises points at the first line of that key (a whole-table loop
  // per input would cost more than the code under test).
  static std::uint32_t index[macro::kLookupKeys], model[macro::kLookupKeys];
  const std::string& d = found ? got : text;
  macro::MacroIndexLookupData(d.data(), static_cast<std::uint32_t>(d.size()), index);
  std::memset(model, 0, sizeof model);
  if (d.size() >= 2 && d[0] == '$' && d[1] == '$') {
    std::uint32_t next = macro::kFirstLookupKey;
    std::size_t p = 0;
    while (p < d.size() && d[p] != '\r' && d[p] != '\n') ++p;
    while (p < d.size()) {
      p += (d[p] == '\r' && p + 1 < d.size() && d[p + 1] == '\n') ? 2 : 1;
      if (p + 1 < d.size()) {
        const std::uint32_t key =
            macro::MacroLookupKey(static_cast<unsigned char>(d[p]), static_cast<unsigned char>(d[p + 1]));
        if (key >= next) {
          model[key] = static_cast<std::uint32_t>(p);
          next = key + 1;
        }
      }
      while (p < d.size() && d[p] != '\r' && d[p] != '\n') ++p;
    }
  }
  if (std::memcmp(index, model, sizeof model) != 0) std::abort();
  return 0;
}
