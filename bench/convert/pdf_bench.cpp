// Two PDFs as text, whole process against whole process: this program with
// "-pdf FILE" (through convert::ConvertFile, with limits that hold every
// page) against `pdftotext -layout FILE -`. The files are made once in
// /tmp/tabrye_pdf_bench by make_pdf_bench.py (500 reportlab pages of text)
// and LibreOffice (200 pages of Japanese). Each run checks that both give the
// same characters other than blanks on every page.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../bench_util.h"
#include "convert/convert_registry.h"
#include "pdf_bench.h"
#include "word_bench.h"

namespace {

const char kDir[] = "/tmp/tabrye_pdf_bench";

std::string NoBlanks(const std::string& s) {
  std::string out;
  for (char c : s)
    if (static_cast<unsigned char>(c) > ' ') out += c;
  return out;
}

// Our pages: the characters between the band separators ("--P02--" lines),
// picture markers left out.
std::vector<std::string> OurPages(const std::string& text) {
  std::vector<std::string> pages(1);
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    const std::string s = NoBlanks(text.substr(at, end - at));
    at = end + 1;
    if (s.size() > 100 && s.compare(0, 3, "--P") == 0 && s.find_first_not_of('-', 6) == std::string::npos) {
      pages.emplace_back();
    } else if (s.find("[Im") == std::string::npos) {
      pages.back() += s;
    }
  }
  while (!pages.empty() && pages.back().empty()) pages.pop_back();
  return pages;
}

// pdftotext's pages: split at the form feeds.
std::vector<std::string> TheirPages(const std::string& text) {
  std::vector<std::string> pages(1);
  for (char c : text) {
    if (c == '\f') pages.emplace_back();
    else if (static_cast<unsigned char>(c) > ' ') pages.back() += c;
  }
  while (!pages.empty() && pages.back().empty()) pages.pop_back();
  return pages;
}

bool SamePages(const std::string& ours, const std::string& theirs) {
  const std::vector<std::string> a = OurPages(bench::Cp932ToUtf8(ours, std::string(kDir) + "/ours.txt")), b = TheirPages(theirs);
  return !a.empty() && a == b;
}

}  // namespace

int PdfText(const char* path) { return ConvertToStdout(convert::Request(), path, 11); }

void BenchPdf(const std::string& self, int runs) {
  const std::string dir = kDir;
  const std::string make = "mkdir -p " + dir + " && cd " + dir +
                           " && { [ -f text500.pdf ] && [ -f japanese200.pdf ] || { /usr/bin/python3 '" TABRYE_SOURCE_ROOT
                           "/bench/convert/make_pdf_bench.py' . && soffice -env:UserInstallation=file://" +
                           dir + "/lo-profile --headless --convert-to pdf japanese200.fodt; }; } >/dev/null 2>&1";
  if (std::system(make.c_str()) != 0 || std::system("command -v pdftotext >/dev/null 2>&1") != 0) {
    std::printf("convert: the PDF benchmark needs reportlab, soffice and pdftotext\n");
    return;
  }
  struct File {
    const char* name;
    const char* work;
  } files[] = {{"text500.pdf", "500-page reportlab PDF as text (whole process)"},
               {"japanese200.pdf", "200-page Japanese LibreOffice PDF as text (whole process)"}};
  for (const File& f : files) {
    const std::string path = dir + "/" + f.name;
    const bench::Paired p = bench::RunCommandsPaired(runs, self + " -pdf " + path,
                                                     "pdftotext -layout " + path + " -", SamePages);
    bench::PrintRow("convert", f.work, "pdftotext -layout", p, "<= 1.00");
  }
}
