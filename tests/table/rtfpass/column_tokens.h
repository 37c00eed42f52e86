// A small reader of ruled-table RTF for the column pass's tests: per
// paragraph its stops and line spacing, and its cells: the lead-in before
// the first TAB, one cell per TAB (with the 1-point rule glyph right after
// the TAB) and, in the dotted layout, one cell per 1-point glyph that
// follows text. A paragraph without "\pard" keeps the stops and spacing of
// the one before it, as the control reads it. Header groups are skipped.
#pragma once

#include <cstdlib>
#include <string>
#include <vector>

namespace coltest {

struct Cell {
  bool tab = false;       // begun by a TAB (false: the lead-in or a dotted cell)
  std::string glyph;      // characters in a 1-point size at the cell's start
  int glyphHighlight = 0; // the highlight of the glyph's first character
  std::string text;       // characters in a size of two or more digits ("\'xx" as its byte)
};

struct Para {
  std::vector<long> stops;
  long spacing = 240;  // the last "\sl" value; "\pard" sets 240
  std::vector<Cell> cells;
  int Tabs() const {
    int n = 0;
    for (const Cell& c : cells) n += c.tab;
    return n;
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> t;
    for (const Cell& c : cells) t.push_back(c.text);
    return t;
  }
};

inline bool operator==(const Cell& a, const Cell& b) {
  return a.tab == b.tab && a.glyph == b.glyph && a.glyphHighlight == b.glyphHighlight && a.text == b.text;
}
inline bool operator==(const Para& a, const Para& b) {
  return a.stops == b.stops && a.spacing == b.spacing && a.cells == b.cells;
}

// One line per paragraph, for failure messages.
inline std::string Show(const std::vector<Para>& ps) {
  std::string s;
  for (const Para& p : ps) {
    s += "sl" + std::to_string(p.spacing) + " [";
    for (long t : p.stops) s += std::to_string(t) + " ";
    s += "]";
    for (const Cell& c : p.cells) {
      s += c.tab ? " |" : " :";
      s += c.glyph + "/" + std::to_string(c.glyphHighlight) + "\"" + c.text + "\"";
    }
    s += "\n";
  }
  return s;
}

inline std::vector<Para> Tokenize(const std::string& s) {
  struct State {
    int fs = 24, hl = 0;
    bool skip = false;
  };
  std::vector<State> stack{State()};
  std::vector<Para> out;
  Para cur;
  cur.cells.emplace_back();
  bool textInCell = false;
  bool groupStart = false;
  auto put = [&](char ch) {
    const State& st = stack.back();
    if (st.skip) return;
    if (st.fs < 10) {
      if (textInCell) {  // a glyph after text: the next dotted cell
        cur.cells.emplace_back();
        textInCell = false;
      }
      Cell& c = cur.cells.back();
      if (c.glyph.empty()) c.glyphHighlight = st.hl;
      c.glyph += ch;
    } else {
      cur.cells.back().text += ch;
      textInCell = true;
    }
  };
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '{') {
      stack.push_back(stack.back());
      groupStart = true;
      continue;
    }
    if (c == '}') {
      if (stack.size() > 1) stack.pop_back();
      groupStart = false;
      continue;
    }
    if (c == '\r' || c == '\n') continue;
    if (c != '\\') {
      groupStart = false;
      put(c);
      continue;
    }
    if (i + 1 >= s.size()) break;
    const char d = s[i + 1];
    if (d == '\'' && i + 3 < s.size()) {
      put(static_cast<char>(std::strtol(s.substr(i + 2, 2).c_str(), nullptr, 16)));
      i += 3;
      continue;
    }
    if (!((d >= 'a' && d <= 'z') || (d >= 'A' && d <= 'Z'))) {
      if (d == '*') stack.back().skip = true;
      else put(d == '~' ? ' ' : d);
      ++i;
      continue;
    }
    std::size_t j = i + 1;
    while (j < s.size() && ((s[j] >= 'a' && s[j] <= 'z') || (s[j] >= 'A' && s[j] <= 'Z'))) ++j;
    const std::string name = s.substr(i + 1, j - i - 1);
    std::size_t k = j;
    if (k < s.size() && s[k] == '-') ++k;
    while (k < s.size() && s[k] >= '0' && s[k] <= '9') ++k;
    const std::string param = s.substr(j, k - j);
    if (k < s.size() && s[k] == ' ') ++k;
    i = k - 1;
    if (groupStart && (name == "fonttbl" || name == "colortbl" || name == "stylesheet" || name == "info"))
      stack.back().skip = true;
    groupStart = false;
    if (stack.back().skip) continue;
    const long v = std::atol(param.c_str());
    if (name == "par") {
      out.push_back(cur);
      Para next;
      next.stops = cur.stops;
      next.spacing = cur.spacing;
      cur = next;
      cur.cells.emplace_back();
      textInCell = false;
    } else if (name == "pard") {
      cur.stops.clear();
      cur.spacing = 240;
    } else if (name == "tx") {
      cur.stops.push_back(v);
    } else if (name == "sl") {
      cur.spacing = v;
    } else if (name == "tab") {
      Cell t;
      t.tab = true;
      cur.cells.push_back(t);
      textInCell = false;
    } else if (name == "fs") {
      stack.back().fs = static_cast<int>(v);
    } else if (name == "highlight") {
      stack.back().hl = static_cast<int>(v);
    }
  }
  if (cur.cells.size() > 1 || !cur.cells[0].text.empty() || !cur.cells[0].glyph.empty()) out.push_back(cur);
  return out;
}

}  // namespace coltest
