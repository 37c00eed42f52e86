// A small reader of rich-text grid tables for tests: the rows ("\trowd" to
// "\row") with their control words, "\cellx" edges, "\sl" and cells, each
// cell with its decoded text and the control words inside it. The font
// table is skipped; "\fs" before the first row is the header's size.
#pragma once

#include <cctype>
#include <cstdlib>
#include <string>
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

inline GridDoc ParseGrid(const std::string& s) {
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
  auto word = [&](const std::string& name, const std::string& num) {
    if (skipDepth >= 0) return;
    const std::string full = name + num;
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
      if (name == "fs" && doc.rows.empty() && doc.headerFs < 0) doc.headerFs = std::atol(num.c_str());
      return;
    }
    if (name == "cellx") {
      row.cellx.push_back(std::atol(num.c_str()));
    } else if (name == "sl") {
      row.sl = std::atol(num.c_str());
      row.words.push_back(full);
    } else if (name == "cell") {
      row.cells.push_back(cell);
      cell = GridCell();
    } else if (name == "row") {
      doc.rows.push_back(row);
      inRow = false;
    } else if (name == "pard" || name == "intbl" || name == "slmult" || name == "trgaph" || name == "trleft") {
      row.words.push_back(full);
    } else {
      cell.words.push_back(full);
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
      std::string name, num;
      while (p < s.size() && std::isalpha(static_cast<unsigned char>(s[p]))) name += s[p++];
      if (p < s.size() && (s[p] == '-' || std::isdigit(static_cast<unsigned char>(s[p])))) num += s[p++];
      while (p < s.size() && std::isdigit(static_cast<unsigned char>(s[p]))) num += s[p++];
      if (p < s.size() && s[p] == ' ') ++p;
      i = p - 1;
      word(name, num);
    } else if (n == '\'' && i + 3 < s.size()) {
      text(static_cast<char>(std::strtol(s.substr(i + 2, 2).c_str(), nullptr, 16)));
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
