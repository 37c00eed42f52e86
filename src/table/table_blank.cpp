#include "table/table_blank.h"

#include <cstring>

namespace table {

std::string BlankTableText() {
  std::string text;
  for (int row = 0; row < kBlankTableRows; ++row) {
    text += row == 0 ? ".." : "  ";
    for (int cell = 1; cell < kBlankTableCells - 1; ++cell) text += '\x06';
    text += "\x06 \r\n";
  }
  return text;
}

bool WriteBlankTable(csv::Table& table) {
  const std::string text = BlankTableText();
  // The buffer may be smaller than the table (an empty view's): room for
  // the text and its NUL first, or nothing is written.
  if (!table.Reserve(text.size() + 1)) return false;
  std::memcpy(table.m_pTextBuf, text.data(), text.size());
  table.m_pTextBuf[text.size()] = 0;
  table.m_nTextLen = static_cast<std::uint32_t>(text.size());
  table.Rescan();
  return true;
}

}  // namespace table
