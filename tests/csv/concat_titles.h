// A title resolver for the concatenation tests, standing in for the macro
// language's address rewriter (mode 6): each "[title]" of the list becomes
// the 1-based column of the cell that equals it (double quotes dropped) in
// the first line of the text; an unknown title becomes column 9999, which no
// row has.
#pragma once

#include <string>
#include <vector>

#include "csv/csv_concat.h"

namespace csvtest {

inline csv::TitleResolver TitleResolver() {
  return [](const std::string& titles, const std::uint8_t* text, std::uint32_t len) {
    std::uint32_t pos = 0;
    std::vector<std::string> cells(1);
    for (std::uint32_t i = pos; i < len && text[i] != '\r' && text[i] != '\n'; ++i) {
      if (text[i] == csv::CSV_FIELD_SEP) cells.emplace_back();
      else if (text[i] != '"') cells.back() += static_cast<char>(text[i]);
    }
    std::string list;
    for (std::size_t i = 0; i < titles.size();) {
      const std::size_t open = titles.find('[', i);
      if (open == std::string::npos) break;
      const std::size_t close = titles.find(']', open);
      const std::string t = titles.substr(open + 1, close - open - 1);
      std::size_t col = 9999;
      for (std::size_t c = 0; c < cells.size(); ++c)
        if (cells[c] == t) {
          col = c + 1;
          break;
        }
      if (!list.empty()) list += ',';
      list += std::to_string(col);
      i = close + 1;
    }
    return list;
  };
}

}  // namespace csvtest
