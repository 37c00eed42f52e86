// The blank-aligned text of "savertf" with the form "f": any table bytes and
// any column positions (the first bytes of the input) give a text that
// holds every byte of the table that is not a quote, separator or leading
// '~' in order, never passes a column's place with padding when the line is
// short of it, and has as many line ends as the table up to its NUL.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "macro/macro_exec_save_rtf.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2 || size > (1u << 16)) return 0;
  // Byte 0: the column count (0-15); then one byte of width per column.
  const std::uint32_t cols = data[0] % 16;
  if (size < 1 + cols) return 0;
  std::vector<std::uint32_t> pos(cols + 2, 0);
  pos[0] = cols;
  for (std::uint32_t c = 1; c <= cols; ++c) pos[c + 1] = pos[c] + 2 + data[c] % 40;
  const std::uint8_t* table = data + 1 + cols;
  const auto n = static_cast<std::uint32_t>(size - 1 - cols);
  const std::uint32_t fields = data[0] / 16;
  const std::string text = macro::MacroBarAlignedText(table, n, pos.data(), static_cast<int>(pos.size()), fields);

  const void* nul = std::memchr(table, 0, n);
  const std::uint32_t used = nul ? static_cast<std::uint32_t>(static_cast<const std::uint8_t*>(nul) - table) : n;
  std::size_t ends = 0, textEnds = 0;
  for (std::uint32_t k = 0; k < used; ++k) ends += table[k] == '\r' || table[k] == '\n';
  for (char c : text) textEnds += c == '\r' || c == '\n';
  if (ends != textEnds) std::abort();
  if (text.find('\0') != std::string::npos || text.find('\x06') != std::string::npos) std::abort();
  // Every byte other than quotes, separators and '~' comes through in order.
  std::size_t at = 0;
  for (std::uint32_t k = 0; k < used; ++k) {
    const char b = static_cast<char>(table[k]);
    if (b == '"' || b == '\x06' || b == '~' || b == ' ') continue;
    at = text.find(b, at);
    if (at == std::string::npos) std::abort();
    ++at;
  }
  // A line holds at most its table line's bytes, plus padding to the last
  // place and one bar per separator.
  if (text.size() > used + static_cast<std::size_t>(ends + 1) * (pos[cols + 1] + 1) + used) std::abort();

  std::vector<std::uint8_t> copy(table, table + n);
  const std::uint32_t left = macro::MacroRemoveQuotes(copy.data(), n);
  if (left > n) std::abort();
  return 0;
}
