// Times the line-wise replace over a large Shift-JIS CSV work text and runs
// sed with an equivalent expression on the same file.
//
//   bench_pattern [file [megabytes]]   (default /tmp/tabrye_pattern_bench.txt, 100)
//
// The file is written once (cells separated by 0x06, CR LF lines) and kept.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../bench_util.h"
#include "core/pattern/pattern.h"

namespace {

struct Case {
  const char* name;
  const char* rule;       // user rule: search, 0x1C, replacement
  const char* sedScript;  // the same replacement as a sed script (bytes)
};

// Both sides see the same bytes: literals here are Shift-JIS.
const Case kCases[] = {
    {"double-byte literal", "東京\x1C" "大阪", "s/東京/大阪/g\n"},
    {"ASCII literal", "station\x1C" "STN", "s/station/STN/g\n"},
    {"ignore case", "nc:tokyo\x1C" "TYO", "s/tokyo/TYO/gI\n"},
    {"shortest run in a cell", "<&>\x1C[]", "s/<[^>\x06]*>/[]/g\n"},
    {"line start", "|1\x1C" "X", "s/^1/X/\n"},
    {"delete (NULL)", "\\x22\x1CNULL", "s/\"//g\n"},
};

const char* const kWords[] = {"東京都", "千代田区", "表示", "ソフト", "station", "Tokyo", "TOKYO",
                              "<b>", "</b>", "abc", "データ", "\"quoted\"", "12.50", "大阪府",
                              "東京駅", "予定表", "ｶﾀｶﾅ", "x"};

std::string MakeText(size_t bytes) {
  std::string t;
  t.reserve(bytes + 256);
  unsigned state = 12345;
  auto next = [&]() {
    state = state * 1103515245u + 12345u;
    return (state >> 8) & 0xFFFF;
  };
  long row = 0;
  while (t.size() < bytes) {
    t += std::to_string(++row);
    int cells = 4 + static_cast<int>(next() % 5);
    for (int c = 0; c < cells; ++c) {
      t += '\x06';
      int words = 1 + static_cast<int>(next() % 4);
      for (int w = 0; w < words; ++w) t += kWords[next() % (sizeof(kWords) / sizeof(kWords[0]))];
    }
    t += "\r\n";
  }
  return t;
}

}  // namespace

int main(int argc, char** argv) {
  std::string path = argc > 1 ? argv[1] : "/tmp/tabrye_pattern_bench.txt";
  size_t megabytes = argc > 2 ? static_cast<size_t>(std::atoi(argv[2])) : 100;
  std::string text = bench::ReadFile(path);
  if (text.size() < megabytes * 1000000) {
    text = MakeText(megabytes * 1000000);
    bench::WriteFile(path, text);
  }
  std::printf("file %s: %zu bytes\n\n", path.c_str(), text.size());
  std::printf("| case | matches | engine s | MB/s | sed s | sed MB/s | same output |\n"
              "|---|---|---|---|---|---|---|\n");
  const double mb = static_cast<double>(text.size()) / 1e6;
  for (const Case& c : kCases) {
    std::string rule = c.rule;
    pat::ExpandEscapeSequences(rule, pat::kEscapeSearch);
    std::string s, r, out;
    unsigned flags = pat::TranslateSearchPattern(rule, &s, &r, '&') | pat::kFlagsMacroReplace;
    auto t0 = bench::Clock::now();
    int n = pat::ReplaceLines(text.data(), static_cast<int>(text.size()), s, r, flags,
                              pat::ReplaceLinesOptions(), &out, nullptr);
    double ours = bench::Seconds(t0);

    std::string script = path + ".sed";
    bench::WriteFile(script, c.sedScript);
    int rc = 0;
    double sed = bench::TimeCommand("LC_ALL=C sed -f '" + script + "' '" + path + "' > /dev/null", &rc);
    // The same bytes as sed's output?
    std::string sedOut = path + ".out";
    std::string same = "no";
    if (rc == 0 && std::system(("LC_ALL=C sed -f '" + script + "' '" + path + "' > '" + sedOut + "'").c_str()) == 0) {
      if (bench::ReadFile(sedOut) == out) same = "yes";
      std::remove(sedOut.c_str());
    }
    std::printf("| %s | %d | %.3f | %.0f | %s | %.0f | %s |\n", c.name, n, ours, mb / ours,
                rc == 0 ? std::to_string(sed).substr(0, 5).c_str() : "failed", mb / sed, same.c_str());
  }
  return 0;
}
