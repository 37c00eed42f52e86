// Times what opening a large CSV costs without the window: the file mapped,
// decoded into the document's buffer (the opener's text loader), the working
// form and its block index. Whole process against whole process: this
// program with -once against iconv converting the same file (its output
// counted by wc -l through a pipe), paired runs; every run checks that our
// row count equals the line count.
//
//   bench_open [-runs N] [megabytes]     the table row (default 100 MB)
//   bench_open -once FILE                open + index, prints the row count
//   bench_open -steps [megabytes]        the steps' own times, in-process
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <algorithm>

#include "../bench_util.h"

#include "core/docopen/textload.h"
#include "csv/csv_fastscan.h"
#include "csv/csv_index.h"
#include "fw/alloc.h"
#include "fw/mapped_file.h"
#include "view/viewload/csvshow.h"
#include "csv/csv_fileform.h"

namespace {

using bench::Clock;
using bench::Seconds;

// Mixed Japanese CSV rows in Shift-JIS: quoted fields with commas, kana, NEC specials.
std::string MakeText(std::size_t bytes) {
  const std::string line =
      "\"\x93\x8C\x8B\x9E\x93\x73,\x90\xE7\x91\xE3\x93\x63\x8B\xE6\",\x82\xA0\x82\xA2\x82\xA4"
      "\x83\x41\x83\x43\x83\x45,\xB1\xB2\xB3\xB6\xDE,\x87\x40\x87\x41\x87\x54,"
      "ASCII text 0123456789 (sample),\x81\x79\x95\x5C\x8E\xA6\x81\x7A\r\n";
  return bench::RepeatLine(line, bytes);
}

void Report(const char* label, double s, std::size_t bytes) {
  std::printf("%-40s %8.3f s  %8.1f MB/s\n", label, s, bytes / 1e6 / s);
}

// The file mapped and decoded as the opener does.
bool Load(const char* path, fw::MappedFile* file, docopen::TextLoad* t) {
  return file->Open(path) && docopen::LoadTextToSjis(file->Data(), static_cast<std::size_t>(file->Size()),
                                                     textcodec::TextEncoding::kAuto, 100000, t);
}

// The working form and block index of the decoded text; the last row's
// index, or -2 when the buffer cannot be had.
int Index(const docopen::TextLoad& t, csv::TableFields* v, std::uint32_t* cols) {
  v->m_nWorkSize = t.length + 100001;
  v->m_pTextBuf = static_cast<std::uint8_t*>(fw::Alloc(v->m_nWorkSize));
  if (!v->m_pTextBuf) return -2;
  csv::CommasToFieldSeparators(reinterpret_cast<const std::uint8_t*>(t.text), t.length, v->m_pTextBuf);
  v->m_pTextBuf[t.length] = 0;
  v->m_nTextLen = t.length;
  std::uint32_t len = 0;
  return csv::BuildCsvIndex(*v, v->m_pTextBuf, v->m_nTextLen, &len, cols, csv::kCsvScanOnly, -1);
}

}  // namespace

int Steps(std::size_t mb) {
  const char* path = "/tmp/bench_open.csv";
  if (!bench::WriteFile(path, MakeText(mb << 20))) return 1;

  auto t0 = Clock::now();
  fw::MappedFile file;
  docopen::TextLoad t;
  if (!Load(path, &file, &t)) return 1;
  double open = Seconds(t0);
  Report("open: map + detect + decode", open, t.length);

  // The CSV part with the byte loops, then with the block-wise scans; both
  // must give the same working form and index.
  csv::TableFields slow, fast;
  double index[2] = {0, 0};
  int last = 0;
  std::uint32_t cols = 0;
  for (int pass = 0; pass < 2; ++pass) {
    csv::SetFastScans(pass == 1);
    csv::TableFields& v = pass ? fast : slow;
    auto t1 = Clock::now();
    last = Index(t, &v, &cols);
    if (last == -2) return 1;
    index[pass] = Seconds(t1);
  }
  const bool same = std::memcmp(slow.m_pTextBuf, fast.m_pTextBuf, t.length) == 0 &&
                    slow.m_nLastRow == fast.m_nLastRow &&
                    std::memcmp(slow.m_aSecRow, fast.m_aSecRow, sizeof slow.m_aSecRow) == 0 &&
                    std::memcmp(slow.m_aSecInfoB, fast.m_aSecInfoB, sizeof slow.m_aSecInfoB) == 0;
  Report("CSV: working form + index, byte loops", index[0], t.length);
  Report("CSV: working form + index, block-wise", index[1], t.length);
  std::printf("%-40s %s\n", "same working form and index", same ? "yes" : "NO");
  std::printf("%-40s %8.3f s  (rows %d, columns %u)\n", "open + index", open + index[1], last + 1, cols);
  fw::Free(slow.m_pTextBuf);
  csv::TableFields& v = fast;

  int rc = 0;
  double iconv = bench::TimeCommand(std::string("iconv -f CP932 -t UTF-8 ") + path + " > /dev/null", &rc);
  Report(rc ? "iconv -f CP932 -t UTF-8 (failed)" : "iconv -f CP932 -t UTF-8", iconv, t.length);

  fw::Free(v.m_pTextBuf);
  fw::Free(t.text);
  file.Close();
  std::remove(path);
  return 0;
}

// Open + index of one file; the row count on stdout.
int Once(const char* path) {
  fw::MappedFile file;
  docopen::TextLoad t;
  if (!Load(path, &file, &t)) return 1;
  csv::TableFields v;
  std::uint32_t cols = 0;
  int last = Index(t, &v, &cols);
  if (last == -2) return 1;
  std::printf("%d\n", last + 1);
  fw::Free(v.m_pTextBuf);
  fw::Free(t.text);
  return 0;
}

int main(int argc, char** argv) {
  if (argc > 2 && std::strcmp(argv[1], "-once") == 0) return Once(argv[2]);
  if (argc > 1 && std::strcmp(argv[1], "-steps") == 0)
    return Steps(argc > 2 ? static_cast<std::size_t>(std::atoi(argv[2])) : 100);
  int arg = 1;
  const int runs = bench::TakeRuns(argc, argv, 5, &arg);
  std::size_t mb = argc > arg ? static_cast<std::size_t>(std::atoi(argv[arg])) : 100;
  const std::string path = "/tmp/tabrye_bench_open.csv";
  if (!bench::WriteFile(path, MakeText(mb << 20))) return 1;
  std::string ours, theirs;
  bench::Paired p = bench::RunPaired(
      runs, [&](bool* ok) { return bench::RunCapture("'" + std::string(argv[0]) + "' -once '" + path + "'", &ours, ok); },
      [&](bool* ok) {
        double s = bench::RunCapture("iconv -f CP932 -t UTF-8 '" + path + "' | wc -l", &theirs, ok);
        *ok = *ok && std::atol(ours.c_str()) == std::atol(theirs.c_str()) && std::atol(ours.c_str()) > 0;
        return s;
      });
  bench::PrintRow("open", "open + CSV index, " + std::to_string(mb) + " MB CP932 (whole process)",
                  "iconv -f CP932 -t UTF-8, lines by wc -l", p, "<= 0.25");
  std::remove(path.c_str());
  return 0;
}
