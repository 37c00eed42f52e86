// The ':' splitter of the file statements over any bytes, checked against a
// model: joining the parts with ':' gives the operand back, no part but the
// last holds a ':' outside its drive, and a drive's ':' never splits.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "macro/macro_fileoperand.h"

namespace {

bool Letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 8192) size = 8192;
  const std::string_view op(reinterpret_cast<const char*>(data), size);
  const int limit = size > 0 ? data[0] % 8 + 1 : 100;
  for (int maxParts : {macro::kFileOperandParts, limit}) {
    const auto parts = macro::MacroSplitFileOperand(op, maxParts);
    if (op.empty() != parts.empty()) __builtin_trap();
    if (static_cast<int>(parts.size()) > maxParts) __builtin_trap();
    std::string joined;
    for (std::size_t k = 0; k < parts.size(); ++k) {
      if (k) joined += ':';
      joined += parts[k];
      if (k + 1 == parts.size()) break;
      // Only a drive's ':' inside a part that is not the last.
      const std::string& p = parts[k];
      const std::size_t colon = p.find(':');
      if (colon != std::string::npos && !(colon == 1 && Letter(p[0]) && p.find(':', 2) == std::string::npos))
        __builtin_trap();
    }
    if (joined != op) __builtin_trap();
  }
  // The wildcard test and matcher never read past their texts.
  const std::size_t half = size / 2;
  (void)macro::MacroHasWildcard(op);
  (void)macro::MacroWildcardMatch(op.substr(0, half), op.substr(half));
  // '*' matches everything; a name without wildcards matches itself.
  if (!macro::MacroWildcardMatch("*", op.substr(half))) __builtin_trap();
  if (op.substr(half).find_first_of("*?") == std::string_view::npos &&
      !macro::MacroWildcardMatch(op.substr(half), op.substr(half)))
    __builtin_trap();
  return 0;
}
