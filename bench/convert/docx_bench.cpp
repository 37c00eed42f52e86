// A python-docx document of 300 pages (12,000 paragraphs, a table and a
// page break after every 400th) as page text, whole process against whole
// process: this program with "-docx FILE" (unpacking and layout) against
// python-docx's read-back of the same file's paragraphs and cells
// (docx_bench_pydocx.py). Each run checks that both hold the last
// paragraph.
#include "docx_bench.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "../bench_util.h"
#include "convert/convert_registry.h"

namespace {

const char kProgramDir[] = "/tmp/tabrye_docx_bench_program";
const char kLast[] = "Paragraph 12000 of the benchmark document";

}  // namespace

int DocxPages(const char* path) {
  std::system((std::string("mkdir -p ") + kProgramDir).c_str());
  convert::Request r;
  r.path = path;
  r.kind = 37;
  r.m_strProgramDir = kProgramDir;
  const convert::Result res = convert::ConvertFile(r);
  if (res.status != convert::Status::kOk) return 1;
  std::fwrite(res.text.data(), 1, res.text.size(), stdout);
  return 0;
}

void BenchDocx(const std::string& self, int runs) {
  const std::string doc = "/tmp/tabrye_docx_bench.docx";
  const std::string script = TABRYE_SOURCE_ROOT "/bench/convert/docx_bench_pydocx.py";
  if (std::system(("/usr/bin/python3 '" + script + "' make " + doc + " >/dev/null 2>&1").c_str()) != 0) {
    std::printf("convert: the docx benchmark needs python3-docx\n");
    return;
  }
  const bench::Paired p = bench::RunCommandsPaired(
      runs, self + " -docx " + doc, "/usr/bin/python3 '" + script + "' read " + doc,
      [](const std::string& ours, const std::string& theirs) {
        return ours.find(kLast) != std::string::npos && theirs.find(kLast) != std::string::npos;
      });
  bench::PrintRow("convert", "python-docx document of 300 pages as page text (whole process)",
                  "python-docx read-back of paragraphs and cells", p, "");
}
