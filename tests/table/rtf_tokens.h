// A small reader of the rich text the table writer makes, for tests: per
// paragraph its control words (spacing, stops, switches) and its runs of
// text with the font size and highlight in effect. Destinations of the
// header (font and colour tables) are skipped.
#pragma once

#include <cstdlib>
#include <string>
#include <vector>

namespace tabletest {

struct RtfRun {
  std::string text;   // bytes; "\tab" is '\t', "\'xx" the byte xx
  int fs = 24;
  int highlight = 0;
};

struct RtfPara {
  std::vector<std::string> words;  // "sl-20", "tx260", "fs2", "ul", ...
  std::vector<RtfRun> runs;
  std::string Text() const {
    std::string t;
    for (const RtfRun& r : runs) t += r.text;
    return t;
  }
  int Count(const std::string& word) const {
    int n = 0;
    for (const std::string& w : words) n += w == word;
    return n;
  }
  bool Has(const std::string& word) const { return Count(word) > 0; }
  std::vector<std::string> Stops() const {
    std::vector<std::string> s;
    for (const std::string& w : words) {
      if (w.compare(0, 2, "tx") == 0) s.push_back(w.substr(2));
    }
    return s;
  }
  bool IsRule() const { return Has("sl-20"); }
};

struct RtfDoc {
  std::vector<RtfPara> paras;  // the text after the last \par is a paragraph too when not empty
  int depthAtEnd = 0;          // 0 when the braces balance
  bool balanced = true;        // never below 0
};

inline RtfDoc ParseRtf(const std::string& s) {
  RtfDoc doc;
  struct State {
    int fs = 24, hl = 0;
    bool skip = false;
  };
  std::vector<State> stack{State()};
  RtfPara cur;
  int depth = 0;
  bool groupStart = false;
  auto put = [&](char c) {
    State& st = stack.back();
    if (st.skip) return;
    if (cur.runs.empty() || cur.runs.back().fs != st.fs || cur.runs.back().highlight != st.hl) {
      cur.runs.push_back(RtfRun{std::string(), st.fs, st.hl});
    }
    cur.runs.back().text += c;
  };
  for (std::size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (c == '{') {
      stack.push_back(stack.back());
      ++depth;
      groupStart = true;
      continue;
    }
    if (c == '}') {
      if (stack.size() > 1) stack.pop_back();
      if (--depth < 0) doc.balanced = false;
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
    char d = s[i + 1];
    if (d == '\'' && i + 3 < s.size()) {
      put(static_cast<char>(std::strtol(s.substr(i + 2, 2).c_str(), nullptr, 16)));
      i += 3;
      continue;
    }
    if (!((d >= 'a' && d <= 'z') || (d >= 'A' && d <= 'Z'))) {
      // Control symbols: "\{", "\}", "\\", "\~" (a blank), "\ " (a blank), "\*".
      if (d == '*') stack.back().skip = true;
      else put(d == '~' ? ' ' : d);
      ++i;
      continue;
    }
    std::size_t j = i + 1;
    while (j < s.size() && ((s[j] >= 'a' && s[j] <= 'z') || (s[j] >= 'A' && s[j] <= 'Z'))) ++j;
    std::string name = s.substr(i + 1, j - i - 1);
    std::size_t k = j;
    if (k < s.size() && s[k] == '-') ++k;
    while (k < s.size() && s[k] >= '0' && s[k] <= '9') ++k;
    std::string param = s.substr(j, k - j);
    if (k < s.size() && s[k] == ' ') ++k;
    i = k - 1;
    if (groupStart && (name == "fonttbl" || name == "colortbl" || name == "stylesheet" || name == "info")) {
      stack.back().skip = true;
    }
    groupStart = false;
    if (stack.back().skip) continue;
    if (name == "par") {
      doc.paras.push_back(cur);
      cur = RtfPara();
      continue;
    }
    cur.words.push_back(name + param);
    if (name == "tab") put('\t');
    if (name == "fs") stack.back().fs = std::atoi(param.c_str());
    if (name == "highlight") stack.back().hl = std::atoi(param.c_str());
    if (name == "pard") stack.back().hl = stack.back().hl;  // spacing words are kept per paragraph
  }
  if (!cur.runs.empty() || !cur.words.empty()) doc.paras.push_back(cur);
  doc.depthAtEnd = depth;
  return doc;
}

}  // namespace tabletest
