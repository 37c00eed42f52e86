// A small reader of rich-text grid tables for tests: the rows ("\trowd" to
// "\row") with their control words, "\cellx" edges, "\sl" and cells, each
// cell with its decoded text and the control words inside it. The font
// table is skipped; "\fs" before the first row is the header's size.
#pragma once

#include <cctype>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace tabletest {

struct GridCell {
  std::string text;                // bytes: "\'xx" decoded, "\{" as '{'
  std::vector<std::string> words;  // "ul", "ulnone", "up2", "f0" ...
  bool Has(const std::string& w) const {
    for (const std::string& x : words) {
      if (x == w) return true;
    }
    return false;
  }
  // The first underline word ("ul", "ulth", ... ; "" when none).
  std::string Underline() const {
    for (const std::string& x : words) {
      if (x.compare(0, 2, "ul") == 0 && x != "ulnone") return x;
    }
    return "";
  }
};

struct GridRow {
  std::vector<std::string> words;  // the row's words before its first cell
  std::vector<long> cellx;
  long sl = 0;
  std::vector<GridCell> cells;
  bool HasWord(const std::string& w) const {
    for (const std::string& x : words) {
      if (x == w) return true;
    }
    return false;
  }
};

struct GridDoc {
  std::vector<GridRow> rows;
  long headerFs = -1;
  int depthAtEnd = 0;
  bool balanced = true;
  std::string textOutsideRows;  // text bytes outside any row (none expected)
};

// keepWords false leaves the control words out (the fuzz target reads the
// edges, heights and texts only, and runs faster so).
inline GridDoc ParseGrid(const std::string& s, bool keepWords = true) {
  GridDoc doc;
  int depth = 0;
  int skipDepth = -1;  // depth of the font table group being skipped
  bool inRow = false;
  GridRow row;
  GridCell cell;
  auto text = [&](char c) {
    if (skipDepth >= 0) return;
    if (inRow) {
      cell.text += c;
    } else {
      doc.textOutsideRows += c;
    }
  };
  auto word = [&](std::string_view name, std::string_view num) {
    if (skipDepth >= 0) return;
    auto full = [&] { return std::string(name) + std::string(num); };
    auto number = [&] { return std::atol(std::string(num).c_str()); };
    if (name == "fonttbl") {
      skipDepth = depth;
      return;
    }
    if (name == "trowd") {
      inRow = true;
      row = GridRow();
      cell = GridCell();
      return;
    }
    if (!inRow) {
      if (name == "fs" && doc.rows.empty() && doc.headerFs < 0) doc.headerFs = number();
      return;
    }
    if (name == "cellx") {
      row.cellx.push_back(number());
    } else if (name == "sl") {
      row.sl = number();
      if (keepWords) row.words.push_back(full());
    } else if (name == "cell") {
      row.cells.push_back(cell);
      cell = GridCell();
    } else if (name == "row") {
      doc.rows.push_back(row);
      inRow = false;
    } else if (!keepWords) {
      return;
    } else if (name == "pard" || name == "intbl" || name == "slmult" || name == "trgaph" || name == "trleft") {
      row.words.push_back(full());
    } else {
      cell.words.push_back(full());
    }
  };
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '{') {
      ++depth;
      continue;
    }
    if (c == '}') {
      if (skipDepth >= 0 && depth == skipDepth) skipDepth = -1;
      if (--depth < 0) doc.balanced = false;
      continue;
    }
    if (c == '\r' || c == '\n') continue;
    if (c != '\\') {
      text(c);
      continue;
    }
    if (i + 1 >= s.size()) break;
    const char n = s[i + 1];
    if (std::isalpha(static_cast<unsigned char>(n))) {
      std::size_t p = i + 1;
      const std::size_t nameAt = p;
      while (p < s.size() && std::isalpha(static_cast<unsigned char>(s[p]))) ++p;
      const std::size_t numAt = p;
      if (p < s.size() && (s[p] == '-' || std::isdigit(static_cast<unsigned char>(s[p])))) ++p;
      while (p < s.size() && std::isdigit(static_cast<unsigned char>(s[p]))) ++p;
      const std::string_view all(s);
      const std::string_view name = all.substr(nameAt, numAt - nameAt), num = all.substr(numAt, p - numAt);
      if (p < s.size() && s[p] == ' ') ++p;
      i = p - 1;
      word(name, num);
    } else if (n == '\'' && i + 3 < s.size()) {
      const char hex[3] = {s[i + 2], s[i + 3], 0};
      text(static_cast<char>(std::strtol(hex, nullptr, 16)));
      i += 3;
    } else {
      text(n);
      ++i;
    }
  }
  doc.depthAtEnd = depth;
  return doc;
}

}  // namespace tabletest
