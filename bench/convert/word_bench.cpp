// A 300-page Word document (made by LibreOffice from the flat-ODF source of
// tests/convert/make_word_docs.py, kept in /tmp/tabrye_word_bench) as text,
// whole process against whole process: this program with "-word FILE"
// (through convert::ConvertFile, with limits that hold the whole text)
// against `catdoc FILE`. Each run checks that both texts hold the same words.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../bench_util.h"
#include "convert/convert_registry.h"
#include "word_bench.h"

namespace {

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::string w;
  for (char c : text) {
    if (static_cast<unsigned char>(c) <= ' ') {
      if (!w.empty()) words.push_back(w);
      w.clear();
    } else {
      w += c;
    }
  }
  if (!w.empty()) words.push_back(w);
  return words;
}

}  // namespace

int ConvertToStdout(convert::Request r, const char* path, int kind) {
  r.path = path;
  r.kind = kind;
  r.limits.indata = 64000000;
  r.limits.outdata = 64000000;
  r.limits.tableRows = 200000;
  const convert::Result res = convert::ConvertFile(r);
  if (res.status != convert::Status::kOk) return 1;
  std::fwrite(res.text.data(), 1, res.text.size(), stdout);
  return 0;
}

int WordText(const char* path) { return ConvertToStdout(convert::Request(), path, 2); }

void BenchWord(const std::string& self, int runs) {
  const std::string dir = "/tmp/tabrye_word_bench";
  const std::string cmd = "sh '" TABRYE_SOURCE_ROOT "/tests/convert/make_word_fixtures.sh' " + dir + " >/dev/null 2>&1";
  if (std::system(cmd.c_str()) != 0 || std::system("command -v catdoc >/dev/null 2>&1") != 0) {
    std::printf("convert: the Word benchmark needs soffice, catdoc and python3-olefile\n");
    return;
  }
  const std::string doc = dir + "/word_large.doc";
  const bench::Paired p = bench::RunCommandsPaired(
      runs, self + " -word " + doc, "catdoc " + doc,
      [](const std::string& ours, const std::string& theirs) {
        return !ours.empty() && Words(ours) == Words(theirs);
      });
  bench::PrintRow("convert", "300-page .doc as text (whole process)", "catdoc", p, "<= 1.00");
}
