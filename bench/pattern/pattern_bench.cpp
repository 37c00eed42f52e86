// The replace rules and the literal search over a large Shift-JIS CSV work
// text, whole process against whole process: a small command of ours (this
// program with -replace / -count, the file mapped, not copied) against GNU
// sed and grep -F -c on the same file, paired runs, outputs compared every
// run.
//
//   bench_pattern [-runs N] [file [megabytes]]   (default /tmp/tabrye_pattern_bench.txt, 100)
//   bench_pattern -replace CASE file             our replace of rule CASE, output to stdout
//   bench_pattern -count LITERAL file            lines holding LITERAL (the view's search)
//
// The file is written once (cells separated by 0x06, CR LF lines) and kept.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <cstring>

#include "../bench_util.h"
#include "core/pattern/pattern.h"
#include "view/viewfind/findscan.h"

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


constexpr int kCaseCount = static_cast<int>(sizeof(kCases) / sizeof(kCases[0]));

// Our replace of one rule over the file, written to stdout. Like sed, the
// command streams: the mapped file goes through ReplaceLines in pieces of
// about 4 MB cut after a line end, each piece's output written while the
// reader takes the previous one (the rules here use no line range, so the
// pieces give the bytes one call over the whole file gives).
int ReplaceCommand(int index, const std::string& path) {
  if (index < 0 || index >= kCaseCount) return 2;
  bench::MappedFile text(path);
  std::string rule = kCases[index].rule;
  pat::ExpandEscapeSequences(rule, pat::kEscapeSearch);
  std::string s, r, out;
  unsigned flags = pat::TranslateSearchPattern(rule, &s, &r, '&') | pat::kFlagsMacroReplace;
  constexpr std::size_t kPiece = 4u << 20;
  const char* data = text.data();
  const std::size_t size = text.size();
  for (std::size_t at = 0; at < size;) {
    std::size_t end = size - at > kPiece ? at + kPiece : size;
    if (end < size) {  // after the last LF of the piece, or the next one
      const void* lf = memrchr(data + at, '\n', end - at);
      if (lf == nullptr) lf = std::memchr(data + end, '\n', size - end);
      end = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - data) + 1 : size;
    }
    if (pat::ReplaceLines(data + at, static_cast<int>(end - at), s, r, flags, pat::ReplaceLinesOptions(), &out,
                          nullptr) < 0 ||
        std::fwrite(out.data(), 1, out.size(), stdout) != out.size())
      return 1;
    at = end;
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}

// Lines that hold the literal, found the way the view's search finds them.
int CountCommand(const std::string& literal, const std::string& path) {
  viewfind::FindRule rule;
  if (!viewfind::CompileDialogRule(literal, "", viewfind::kOptMatchCase, false, false, &rule)) return 2;
  bench::MappedFile file(path);
  viewfind::LineText text(std::string_view(file.data(), file.size()));
  long lines = 0, polls = 0;
  int from = 0;
  pat::PatternHit hit;
  // The view polls for Esc every 1000 lines; so does this search.
  const viewfind::PollFn poll = [&polls](int) { return ++polls < 0; };
  while (from <= text.size() &&
         viewfind::FindNext(text, rule, 0, from, &hit, poll) == viewfind::ScanResult::kFound) {
    ++lines;
    int line = text.LineOfByte(hit.start);
    if (!text.HasLine(line + 1)) break;
    from = text.LineStart(line + 1);
  }
  std::printf("%ld\n", lines);
  return 0;
}

std::string Quote(const std::string& s) { return "'" + s + "'"; }

}  // namespace

int main(int argc, char** argv) {
  if (argc > 3 && std::strcmp(argv[1], "-replace") == 0) return ReplaceCommand(std::atoi(argv[2]), argv[3]);
  if (argc > 3 && std::strcmp(argv[1], "-count") == 0) return CountCommand(argv[2], argv[3]);
  int arg = 1;
  const int runs = bench::TakeRuns(argc, argv, 5, &arg);
  std::string path = argc > arg ? argv[arg] : "/tmp/tabrye_pattern_bench.txt";
  size_t megabytes = argc > arg + 1 ? static_cast<size_t>(std::atoi(argv[arg + 1])) : 100;
  std::string text = bench::ReadFile(path);
  if (text.size() < megabytes * 1000000) {
    text = MakeText(megabytes * 1000000);
    bench::WriteFile(path, text);
  }
  std::printf("INFO|pattern|file %s: %zu bytes\n", path.c_str(), text.size());
  text.clear();
  const std::string self = Quote(argv[0]);
  std::string ours, theirs;
  for (int i = 0; i < kCaseCount; ++i) {
    std::string script = path + ".sed";
    bench::WriteFile(script, kCases[i].sedScript);
    bench::Paired p = bench::RunPaired(
        runs,
        [&](bool* ok) {
          return bench::RunCapture(self + " -replace " + std::to_string(i) + " " + Quote(path), &ours, ok);
        },
        [&](bool* ok) {
          double s = bench::RunCapture("LC_ALL=C sed -f " + Quote(script) + " " + Quote(path), &theirs, ok);
          *ok = *ok && theirs == ours;
          return s;
        });
    bench::PrintRow("pattern", std::string("replace: ") + kCases[i].name, "GNU sed", p, "<= 1.00");
    std::remove(script.c_str());
  }
  // Search for a literal: lines holding it, against grep -F -c.
  for (const char* literal : {"station", "東京駅"}) {
    bench::Paired p = bench::RunPaired(
        runs, [&](bool* ok) { return bench::RunCapture(self + " -count " + Quote(literal) + " " + Quote(path), &ours, ok); },
        [&](bool* ok) {
          double s = bench::RunCapture("LC_ALL=C grep -F -c " + Quote(literal) + " " + Quote(path), &theirs, ok);
          *ok = *ok && theirs == ours;
          return s;
        });
    bench::PrintRow("pattern", std::string("search lines holding a literal (") + (literal[0] == 's' ? "ASCII" : "double-byte") + ")",
                    "grep -F -c", p, "<= 1.00");
  }
  return 0;
}
