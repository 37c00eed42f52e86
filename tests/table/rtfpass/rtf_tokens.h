// A small reader of ruled-table RTF for the pass tests, independent of the
// passes' own walk: per paragraph the stops, the exact spacing and the
// characters with their size and highlight (groups restore the character
// format, paragraph properties last until "\pard", header groups are
// skipped); and per TAB or 1-point glyph a mark with the glyph's characters,
// highlight and size and the cell text after it.
#pragma once

#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace rtfpasstest {

struct Ch {
  unsigned char c;
  int fs, hl;
};

struct Para {
  std::vector<long> stops;
  long spacing = 240;
  std::vector<Ch> chars;
  bool Thin() const { return spacing <= 40; }
};

// A TAB (with the 1-point glyph right after it) or a dotted-layout glyph,
// and the normal-size text after it.
struct Mark {
  bool tab = false;
  std::string glyph;
  int hl = -1, fs = -1;  // of the glyph's first character
  int nextHl = -1;       // of the first character after the glyph
  std::string text;
};

inline bool IsAlpha(char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

inline std::vector<Para> Tokenize(std::string_view s) {
  struct Fmt {
    int fs = 24, hl = 0;
  };
  std::vector<Para> out;
  std::vector<Fmt> stack{Fmt()};
  Para cur;
  std::size_t i = 0;
  while (i < s.size()) {
    const char c = s[i];
    if (c == '{') {
      if (s.compare(i, 3, "{\\*") == 0 || s.compare(i, 9, "{\\fonttbl") == 0 || s.compare(i, 10, "{\\colortbl") == 0) {
        for (int depth = 0; i < s.size(); ++i) {
          if (s[i] == '\\') ++i;
          else if (s[i] == '{') ++depth;
          else if (s[i] == '}' && --depth == 0) break;
        }
      } else {
        stack.push_back(stack.back());
      }
      ++i;
      continue;
    }
    if (c == '}') {
      if (stack.size() > 1) stack.pop_back();
      ++i;
      continue;
    }
    const Fmt f = stack.back();
    auto put = [&](unsigned char b) { cur.chars.push_back(Ch{b, f.fs, f.hl}); };
    if (c != '\\') {
      if (c != '\r' && c != '\n') put(static_cast<unsigned char>(c));
      ++i;
      continue;
    }
    if (i + 1 < s.size() && s[i + 1] == '\'') {
      put(static_cast<unsigned char>(std::strtol(std::string(s.substr(i + 2, 2)).c_str(), nullptr, 16)));
      i += 4;
      continue;
    }
    if (i + 1 >= s.size() || !IsAlpha(s[i + 1])) {
      if (i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '{' || s[i + 1] == '}')) put(s[i + 1]);
      i += 2;
      continue;
    }
    std::size_t k = i + 1;
    while (k < s.size() && IsAlpha(s[k])) ++k;
    const std::string word(s.substr(i + 1, k - i - 1));
    char* end = nullptr;
    const long num = std::strtol(std::string(s.substr(k, 12)).c_str(), &end, 10);
    std::size_t digits = 0;
    while (k + digits < s.size() && (s[k + digits] == '-' || (s[k + digits] >= '0' && s[k + digits] <= '9'))) ++digits;
    i = k + digits + (k + digits < s.size() && s[k + digits] == ' ' ? 1 : 0);
    if (word == "par") {
      out.push_back(cur);
      cur.chars.clear();
    } else if (word == "pard") {
      cur.stops.clear();
      cur.spacing = 240;
    } else if (word == "sl") {
      cur.spacing = num < 0 ? -num : 240;
    } else if (word == "tx") {
      cur.stops.push_back(num);
    } else if (word == "tab") {
      put('\t');
    } else if (word == "fs") {
      stack.back().fs = digits ? static_cast<int>(num) : 24;
    } else if (word == "highlight") {
      stack.back().hl = static_cast<int>(num);
    }
  }
  if (!cur.chars.empty()) out.push_back(cur);
  return out;
}

inline std::vector<Mark> Marks(const Para& p) {
  std::vector<Mark> marks;
  bool inGlyph = false;
  for (const Ch& ch : p.chars) {
    const bool small = ch.fs < 10;
    if (inGlyph && (ch.c == '\t' || !small) && marks.back().nextHl < 0) marks.back().nextHl = ch.hl;
    if (ch.c == '\t' || (small && !inGlyph)) {
      marks.push_back(Mark());
      marks.back().tab = ch.c == '\t';
      inGlyph = true;
      if (ch.c == '\t') continue;
    }
    if (inGlyph && small) {
      Mark& m = marks.back();
      if (m.glyph.empty()) m.hl = ch.hl, m.fs = ch.fs;
      m.glyph += static_cast<char>(ch.c);
    } else {
      inGlyph = false;
      if (!marks.empty()) marks.back().text += static_cast<char>(ch.c);
    }
  }
  return marks;
}

// The text before the first mark.
inline std::string Lead(const Para& p) {
  std::string t;
  for (const Ch& ch : p.chars) {
    if (ch.c == '\t' || ch.fs < 10) break;
    t += static_cast<char>(ch.c);
  }
  return t;
}

// Boundary n as a ruled table counts them: TABs, and past the 30th every
// 1-point glyph (the one right after the 31st TAB included). An empty mark
// when the paragraph has none.
inline Mark Boundary(const Para& p, int n) {
  int counter = 0;
  for (const Mark& m : Marks(p)) {
    if (m.tab && ++counter == n) return m;
    if ((!m.tab || !m.glyph.empty()) && counter > 30 && ++counter == n) return m;
  }
  return Mark();
}

}  // namespace rtfpasstest
