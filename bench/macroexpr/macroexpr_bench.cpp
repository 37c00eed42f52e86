// MacroEvalExpression over a list of generated arithmetic expressions
// (tests/macro/decimal_reference.py writes them with their expected texts,
// once, into a file kept in /tmp), next to Python's decimal module
// evaluating the same list (bench/macroexpr/decimal_eval.py). Both write one
// result a line; the outputs must be equal to each other and to the
// expected texts.
//
//   bench_macroexpr [-runs N] [FILE] [COUNT]
//   bench_macroexpr -eval FILE      (ours alone: the results to stdout)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "../bench_util.h"
#include "macro/macro_expr.h"
#include "macro/macro_state.h"

namespace {

int EvalCommand(const char* path) {
  bench::MappedFile file(path);
  const char* p = file.data();
  const char* end = p + file.size();
  auto st = std::make_unique<macro::MacroState>();
  macro::MacroEnv env{*st};
  macro::ExprContext ctx;
  ctx.env = &env;
  std::string out;
  out.reserve(file.size() / 2);
  char buf[256];
  while (p < end) {
    const char* nl = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
    if (!nl) nl = end;
    const char* tab = static_cast<const char*>(std::memchr(p, '\t', static_cast<size_t>(nl - p)));
    const CString expr(p, static_cast<int>((tab ? tab : nl) - p));
    char kind = 0;
    std::int64_t value = 0;
    const int n = macro::MacroEvalExpression(0, buf, sizeof buf, expr, &kind, &value, &ctx);
    if (n > 0) out.append(buf, static_cast<size_t>(n));
    out += '\n';
    p = nl + 1;
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}

std::string Quote(const std::string& s) { return "'" + s + "'"; }

// The expected column of the file.
std::string Expected(const std::string& path) {
  const std::string text = bench::ReadFile(path);
  std::string out;
  size_t p = 0;
  while (p < text.size()) {
    size_t nl = text.find('\n', p);
    if (nl == std::string::npos) nl = text.size();
    const size_t tab = text.find('\t', p);
    if (tab < nl) out.append(text, tab + 1, nl - tab - 1);
    out += '\n';
    p = nl + 1;
  }
  return out;
}

size_t Lines(const std::string& path) {
  const std::string text = bench::ReadFile(path);
  size_t n = 0;
  for (char c : text) n += c == '\n';
  return n;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 2 && std::strcmp(argv[1], "-eval") == 0) return EvalCommand(argv[2]);
  int arg = 1;
  const int runs = bench::TakeRuns(argc, argv, 5, &arg);
  const std::string path = argc > arg ? argv[arg] : "/tmp/tabrye_macroexpr_bench.txt";
  const long count = argc > arg + 1 ? std::atol(argv[arg + 1]) : 1000000;
  if (Lines(path) != static_cast<size_t>(count)) {
    const std::string gen = "python3 " + Quote(TABRYE_SOURCE_ROOT "/tests/macro/decimal_reference.py") + " exprs 1 " +
                            std::to_string(count) + " " + Quote(path);
    if (std::system(gen.c_str()) != 0) {
      std::printf("INFO|macroexpr|cannot generate %s (python3 missing?)\n", path.c_str());
      return 1;
    }
  }
  const std::string expected = Expected(path);
  std::printf("INFO|macroexpr|file %s: %ld expressions\n", path.c_str(), count);
  const std::string self = Quote(argv[0]);
  const std::string py = "python3 " + Quote(TABRYE_SOURCE_ROOT "/bench/macroexpr/decimal_eval.py") + " " + Quote(path);
  std::string ours, theirs;
  bench::Paired p = bench::RunPaired(
      runs,
      [&](bool* ok) {
        const double s = bench::RunCapture(self + " -eval " + Quote(path), &ours, ok);
        *ok = *ok && ours == expected;
        return s;
      },
      [&](bool* ok) {
        const double s = bench::RunCapture(py, &theirs, ok);
        *ok = *ok && theirs == ours;
        return s;
      });
  bench::PrintRow("macroexpr", "evaluate " + std::to_string(count) + " arithmetic expressions", "Python decimal", p,
                  "<= 1.00");
  return 0;
}
