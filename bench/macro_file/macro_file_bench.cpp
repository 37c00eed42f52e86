// Two file statements as whole macro runs, each next to an outside tool on
// the same input:
//   "filepartn1000000,2000000" over a generated 500 MB text, against
//   `sed -n '1000000,2000000p'` (both outputs must be equal);
//   "filelistf" of a folder of 10,000 files, against Python's os.scandir and
//   stat writing the same table (bench/macro_file/list_folder.py; the rows
//   compared as sorted sets, since the folder's order is the system's).
//
//   bench_macro_file [-runs N] [MB]
//   bench_macro_file -part FILE       (ours alone: the lines to stdout)
//   bench_macro_file -list FOLDER     (ours alone: the table to stdout)
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "../bench_macro_host.h"
#include "../bench_util.h"
#include "core/docdata/doc_fields.h"
#include "csv/csv_table.h"
#include "macro/macro_run.h"
#include "macro/macro_run_host.h"
#include "macro/macro_state.h"

namespace {

struct Runner {
  std::unique_ptr<macro::MacroState> st = std::make_unique<macro::MacroState>();
  std::unique_ptr<app::DvkDocData> doc = std::make_unique<app::DvkDocData>();
  bench::QuietRunHost host{1, false};
  csv::Table table;
  std::uint32_t kind = 9, source = 0, edit = 0, sort = 0;
  macro::MacroRunContext rc{*st, host, table, *doc, *doc, *doc, *doc, *doc, {&kind, &source, &edit, &sort}};
  void Run(const std::string& text) { macro::RunMacro(rc, macro::kRunText, CString(text), "", CString("Z:/tmp")); }
};

int Part(const char* path) {
  Runner r;
  const std::string out = std::string(path) + ".part";
  r.Run("\tfilepartn1000000,2000000\tZ:" + std::string(path) + ">Z:" + out + "\r\n");
  std::ifstream in(out, std::ios::binary);
  std::vector<char> buf(1 << 20);
  while (in.read(buf.data(), static_cast<std::streamsize>(buf.size())) || in.gcount() > 0)
    std::fwrite(buf.data(), 1, static_cast<std::size_t>(in.gcount()), stdout);
  return 0;
}

int List(const char* folder) {
  Runner r;
  r.doc->m_nFlist = 20000;  // 2,000,000 bytes of listing
  r.Run("\tfilelistf\tZ:" + std::string(folder) + "\r\n");
  std::fwrite(r.table.m_pTextBuf, 1, r.table.m_nTextLen, stdout);
  return 0;
}

std::string Make(std::size_t bytes) {
  std::string s;
  s.reserve(bytes + 200);
  unsigned x = 44;
  long line = 0;
  while (s.size() < bytes) {
    x = x * 1103515245u + 12345u;
    s += std::to_string(++line);
    s += ',';
    s.append(20 + x % 120, static_cast<char>('a' + x % 26));
    s += "\n";
  }
  return s;
}

std::vector<std::string> SortedRows(const std::string& text) {
  std::vector<std::string> rows;
  std::size_t from = 0;
  while (from <= text.size()) {
    const std::size_t at = text.find("\r\n", from);
    rows.push_back(text.substr(from, at == std::string::npos ? std::string::npos : at - from));
    if (at == std::string::npos) break;
    from = at + 2;
  }
  std::sort(rows.begin(), rows.end());
  return rows;
}

std::string Quote(const std::string& s) { return "'" + s + "'"; }

}  // namespace

int main(int argc, char** argv) {
  if (argc > 2 && std::strcmp(argv[1], "-part") == 0) return Part(argv[2]);
  if (argc > 2 && std::strcmp(argv[1], "-list") == 0) return List(argv[2]);
  int arg = 1;
  const int runs = bench::TakeRuns(argc, argv, 3, &arg);
  const long mb = argc > arg ? std::atol(argv[arg]) : 500;
  const std::string path = "/tmp/tabrye_macrofile_bench_" + std::to_string(mb) + "mb.txt";
  if (!bench::EnsureFile(path, [&] { return Make(static_cast<std::size_t>(mb) * 1000000); })) {
    std::printf("INFO|macro_file|cannot write %s\n", path.c_str());
    return 1;
  }
  const bench::Paired part = bench::RunCommandsPaired(
      runs, Quote(argv[0]) + " -part " + Quote(path), "sed -n '1000000,2000000p' " + Quote(path),
      [](const std::string& a, const std::string& b) { return a == b; });
  bench::PrintRow("macro_file", "filepartn of lines 1,000,000-2,000,000 of " + std::to_string(mb) + " MB", "sed -n",
                  part, "<= 1.5");

  const std::string folder = "/tmp/tabrye_macrofile_bench_folder";
  if (!std::filesystem::exists(folder + "/f9999.txt")) {
    std::filesystem::create_directories(folder);
    for (int i = 0; i < 10000; ++i) std::ofstream(folder + "/f" + std::to_string(i) + ".txt") << std::string(i % 500, 'x');
  }
  const bench::Paired list = bench::RunCommandsPaired(
      runs, Quote(argv[0]) + " -list " + Quote(folder),
      "python3 " + Quote(TABRYE_SOURCE_ROOT "/bench/macro_file/list_folder.py") + " " + Quote(folder),
      [](const std::string& a, const std::string& b) { return SortedRows(a) == SortedRows(b); });
  bench::PrintRow("macro_file", "filelist of a folder of 10,000 files", "Python os.scandir + stat", list, "<= 1.0");
  return 0;
}
