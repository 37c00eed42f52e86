// A raw load and the conversions of loaded text: any bytes go into a table
// through the separator detection and its conversion (as a CSV file and as
// another text), as TAB text and as a converted kind. Checks: the table's
// text keeps the length of the bytes and holds no NUL the bytes lacked; a
// CSV file's table equals the program's own CSV load of the same bytes and
// saves back to them; the TAB form has one separator per TAB; the converted
// form never grows and keeps every Shift-JIS trail byte.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <string>

#include "csv/csv_table.h"
#include "macro/macro_exec_load.h"

namespace {

std::string Content(const csv::Table& t) {
  return std::string(reinterpret_cast<const char*>(t.m_pTextBuf), t.m_nTextLen);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool csvKind = (data[0] & 1) != 0;
  const bool keepText = (data[0] & 2) != 0;
  std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::string original = bytes;
  csv::Table t;
  bool converted = false;
  if (!macro::MacroLoadRawIntoTable(t, reinterpret_cast<std::uint8_t*>(&bytes[0]), bytes.size(), csvKind, keepText,
                                    &converted))
    std::abort();
  if (t.m_nTextLen != bytes.size() || t.m_pTextBuf[t.m_nTextLen] != 0) std::abort();
  if (keepText && converted) std::abort();
  if (!converted && Content(t) != bytes) std::abort();
  if (converted && csvKind) {
    csv::Table menu;
    if (!menu.LoadFileText(bytes.data(), bytes.size(), 1000)) std::abort();
    if (Content(menu) != Content(t) || menu.m_nLastRow != t.m_nLastRow) std::abort();
  }
  for (std::size_t k = 0; k < bytes.size(); ++k)
    if (bytes[k] != original[k] && bytes[k] != ' ') std::abort();

  const auto* raw = reinterpret_cast<const std::uint8_t*>(original.data());
  const std::string tab = macro::MacroTabTextToTable(raw, original.size());
  std::size_t tabs = 0, seps = 0;
  for (char c : original) tabs += c == '\t';
  for (char c : tab) seps += c == '\x06';
  if (seps != tabs + static_cast<std::size_t>(std::count(original.begin(), original.end(), '\x06'))) std::abort();
  for (bool bars : {false, true}) {
    const std::string conv = macro::MacroConvertedToTable(raw, original.size(), bars);
    if (conv.size() > original.size()) std::abort();
  }
  return 0;
}
