// A 900 KB Shift-JIS page of headings, paragraphs, links and tables as text,
// whole process against whole process: this program with "-html FILE"
// (through convert::ConvertFile) against Python's html.parser collecting the
// page's text (markup_bench_htmlparser.py). The page is made once in
// /tmp/tabrye_markup_bench. Each run checks that every character Python
// extracts, blanks left out, stands in our text in the same order (ours adds
// its marks, the link numbers and the address list).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "../bench_util.h"
#include "markup_bench.h"
#include "word_bench.h"

namespace {

const char kDir[] = "/tmp/tabrye_markup_bench";
const char kScript[] = TABRYE_SOURCE_ROOT "/bench/convert/markup_bench_htmlparser.py";

bool ExtractedInOrder(const std::string& ours, const std::string& theirs) {
  const std::string a = bench::Cp932ToUtf8(ours, std::string(kDir) + "/ours.txt");
  if (a.empty()) return false;
  std::size_t at = 0;
  std::size_t seen = 0;
  for (const char c : theirs) {
    if (static_cast<unsigned char>(c) <= ' ') continue;
    at = a.find(c, at);
    if (at == std::string::npos) return false;
    ++at;
    ++seen;
  }
  return seen > 100000;
}

}  // namespace

int HtmlText(const char* path) { return ConvertToStdout(convert::Request(), path, 6); }

void BenchMarkup(const std::string& self, int runs) {
  const std::string dir = kDir;
  const std::string make = "mkdir -p " + dir + " && { [ -f " + dir + "/page900.html ] || /usr/bin/python3 " + kScript +
                           " make " + dir + "; } >/dev/null 2>&1";
  if (std::system(make.c_str()) != 0) {
    std::printf("convert: the HTML benchmark needs python3\n");
    return;
  }
  const std::string page = dir + "/page900.html";
  const bench::Paired p = bench::RunCommandsPaired(runs, self + " -html " + page,
                                                   std::string("/usr/bin/python3 ") + kScript + " text " + page,
                                                   ExtractedInOrder);
  bench::PrintRow("convert", "900 KB Shift-JIS HTML page of tables and links as text (whole process)",
                  "Python html.parser text (whole process)", p, "<= 0.20");
}
