// Times what opening a large CSV costs without the window: the file mapped,
// decoded into the document's buffer (the opener's text loader), the working
// form and its block index. Whole process against whole process: this
// program with -once against iconv converting the same file (its output
// counted by wc -l through a pipe), paired runs; every run checks that our
// row count equals the line count.
//
//   bench_open [-runs N] [megabytes]     the table row (default 100 MB)
//   bench_open -once FILE                open + index, prints the row count
//   bench_open -once-careful FILE        the same, the careful path forced
//   bench_open -steps [megabytes]        the steps' own times, in-process
//   bench_open -make FILE [megabytes]    writes the file the others time
//   bench_open [-runs N] -wine "CMD" [megabytes]
//                                        the table row with CMD FILE as our
//                                        side (bench_open_once.exe under Wine)
//
// -once opens as the program opens a CSV it shows: the one pass from the
// mapped file into the table (csv_fileopen.h), the file unmapped, the
// document's text given back from the table; the careful path (decode, then
// the working form and index from the decoded text) when the pass declines.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <algorithm>

#include <sys/resource.h>

#include "../bench_util.h"
#include "open_once.h"

#include "core/docopen/textload.h"
#include "core/textcodec/sjis_scan.h"
#include "csv/csv_fastscan.h"
#include "csv/csv_fileopen.h"
#include "csv/csv_table.h"
#include "csv/csv_index.h"
#include "csv/csv_loadscan.h"
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

}  // namespace

int Steps(std::size_t mb) {
  const char* path = "/tmp/bench_open.csv";
  if (!bench::WriteFile(path, MakeText(mb << 20))) return 1;
  fw::MappedFile file;
  if (!file.Open(path)) return 1;
  const auto* bytes = file.Data();
  const auto size = static_cast<std::size_t>(file.Size());

  // The careful open: decode (byte loops, then 64 bytes at a time), then the
  // view's working form and index.
  docopen::TextLoad t;
  double decode[2] = {0, 0};
  for (int pass = 0; pass < 2; ++pass) {
    textcodec::SetFastTextScans(pass == 1);
    if (t.text) fw::Free(t.text);
    auto t0 = Clock::now();
    if (!docopen::LoadTextToSjis(bytes, size, textcodec::TextEncoding::kAuto, 100000, &t)) return 1;
    decode[pass] = Seconds(t0);
  }
  Report("careful: detect + decode, byte loops", decode[0], size);
  Report("careful: detect + decode, 64 bytes", decode[1], size);

  csv::Table careful;
  auto t1 = Clock::now();
  if (!careful.LoadFileText(t.text, t.length, 100000)) return 1;
  const double view = Seconds(t1);
  Report("careful: working form + index", view, size);
  auto t2 = Clock::now();
  careful.Rescan();
  Report("  of which the index", Seconds(t2), size);

  auto td = Clock::now();
  const auto detected = textcodec::DetectTextEncoding(bytes, size);
  Report(detected == textcodec::TextEncoding::kShiftJis ? "detect (Shift-JIS)" : "detect (NOT Shift-JIS)",
         Seconds(td), size);
  for (int threads : {1, 0}) {
    std::uint8_t* form = static_cast<std::uint8_t*>(fw::Alloc(size + 1));
    auto tp = Clock::now();
    const bool ok = csv::SjisToWorkingForm(bytes, size, form, threads);
    Report(threads ? "check + working form, 1 thread" : "check + working form, threads", Seconds(tp), size);
    if (!ok) std::printf("  declined\n");
    fw::Free(form);
  }

  // The one pass on 1 and on the default threads.
  for (int threads : {1, 0}) {
    csv::Table one;
    auto t3 = Clock::now();
    if (!csv::LoadTableInOnePass(bytes, size, textcodec::TextEncoding::kAuto, 100000, &one, threads)) {
      std::printf("one pass declined\n");
      return 1;
    }
    const double pass = Seconds(t3);
    docopen::TextLoad back;
    auto t4 = Clock::now();
    if (!csv::FinishOnePassOpen(&one, 100000, &back, threads)) return 1;
    const double text = Seconds(t4);
    const bool same = one.m_nTextLen == careful.m_nTextLen &&
                      std::memcmp(one.m_pTextBuf, careful.m_pTextBuf, careful.m_nTextLen) == 0 &&
                      csv::SameBlockIndex(one, careful) && one.m_nFieldCount == careful.m_nFieldCount &&
                      back.length == t.length && std::memcmp(back.text, t.text, t.length) == 0 &&
                      back.info.encoding == t.info.encoding && !t.info.kept;
    std::printf("one pass, %s threads:\n", threads ? "1" : "default");
    Report("  detect + check + working form + index", pass, size);
    Report("  document text", text, size);
    std::printf("  %-38s %s\n", "same text, form, index as careful", same ? "yes" : "NO");
    fw::Free(back.text);
  }
  std::printf("%-40s rows %d, columns %u\n", "table", careful.m_nLastRow + 1, careful.m_nFieldCount);

  int rc = 0;
  double iconv = bench::TimeCommand(std::string("iconv -f CP932 -t UTF-8 ") + path + " > /dev/null", &rc);
  Report(rc ? "iconv -f CP932 -t UTF-8 (failed)" : "iconv -f CP932 -t UTF-8", iconv, size);
  fw::Free(t.text);
  file.Close();
  std::remove(path);
  return 0;
}

int main(int argc, char** argv) {
  // -wine "COMMAND" (anywhere): our side is COMMAND FILE, the Windows build's
  // bench_open_once.exe under Wine (the file given by its Windows path).
  const std::string wine = bench::TakeNamedArg(&argc, argv, "-wine");
  if (argc > 2 && std::strcmp(argv[1], "-once") == 0) return OpenOnce(argv[2]);
  if (argc > 2 && std::strcmp(argv[1], "-once-careful") == 0) {
    csv::SetOnePassOpen(false);
    return OpenOnce(argv[2]);
  }
  if (argc > 2 && std::strcmp(argv[1], "-make") == 0)
    return bench::WriteFile(argv[2], MakeText(static_cast<std::size_t>(argc > 3 ? std::atoi(argv[3]) : 100) << 20)) ? 0 : 1;
  if (argc > 1 && std::strcmp(argv[1], "-steps") == 0)
    return Steps(argc > 2 ? static_cast<std::size_t>(std::atoi(argv[2])) : 100);
  int arg = 1;
  const int runs = bench::TakeRuns(argc, argv, 5, &arg);
  // -careful: the paired runs force the careful open (the row before the one pass).
  const bool careful = argc > arg && std::strcmp(argv[arg], "-careful") == 0;
  if (careful) ++arg;

  std::size_t mb = argc > arg ? static_cast<std::size_t>(std::atoi(argv[arg])) : 100;
  const std::string path = "/tmp/tabrye_bench_open.csv";
  if (!bench::WriteFile(path, MakeText(mb << 20))) return 1;
  std::string ours, theirs;
  bench::Paired p = bench::RunPaired(
      runs,
      [&](bool* ok) {
        if (!wine.empty()) {
          std::string windowsPath = "Z:" + path;
          std::replace(windowsPath.begin(), windowsPath.end(), '/', '\\');
          return bench::RunCapture(wine + " '" + windowsPath + "'", &ours, ok);
        }
        return bench::RunCapture("'" + std::string(argv[0]) + (careful ? "' -once-careful '" : "' -once '") + path + "'",
                                 &ours, ok);
      },
      [&](bool* ok) {
        double s = bench::RunCapture("iconv -f CP932 -t UTF-8 '" + path + "' | wc -l", &theirs, ok);
        *ok = *ok && std::atol(ours.c_str()) == std::atol(theirs.c_str()) && std::atol(ours.c_str()) > 0;
        return s;
      });
  bench::PrintRow("open",
                  std::string(careful ? "careful " : "") + "open + CSV index, " + std::to_string(mb) + " MB CP932" +
                      (wine.empty() ? "" : ", Windows build under Wine") + " (whole process)",
                  "iconv -f CP932 -t UTF-8, lines by wc -l", p, wine.empty() ? "<= 0.25" : "<= 0.50");
  // The largest resident size of any run (ours are the larger ones).
  struct rusage ru;
  if (getrusage(RUSAGE_CHILDREN, &ru) == 0)
    std::printf("peak memory of a run: %.2f x the file\n", ru.ru_maxrss * 1024.0 / static_cast<double>(mb << 20));
  std::remove(path.c_str());
  return 0;
}
