// Times what opening a large file costs without the window: the file mapped,
// decoded into the document's buffer (the opener's text loader), and for a
// CSV the working form and its block index, next to iconv converting the
// same file. Not a test: it prints seconds and megabytes per second.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

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

}  // namespace

int main(int argc, char** argv) {
  std::size_t mb = argc > 1 ? static_cast<std::size_t>(std::atoi(argv[1])) : 100;
  const char* path = "/tmp/bench_open.csv";
  if (!bench::WriteFile(path, MakeText(mb << 20))) return 1;

  auto t0 = Clock::now();
  fw::MappedFile file;
  if (!file.Open(path)) return 1;
  docopen::TextLoad t;
  if (!docopen::LoadTextToSjis(file.Data(), static_cast<std::size_t>(file.Size()), textcodec::TextEncoding::kAuto,
                               100000, &t))
    return 1;
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
    v.m_nWorkSize = t.length + 100001;
    v.m_pTextBuf = static_cast<std::uint8_t*>(fw::Alloc(v.m_nWorkSize));
    if (!v.m_pTextBuf) return 1;
    csv::CommasToFieldSeparators(reinterpret_cast<const std::uint8_t*>(t.text), t.length, v.m_pTextBuf);
    v.m_pTextBuf[t.length] = 0;
    v.m_nTextLen = t.length;
    std::uint32_t len = 0;
    last = csv::BuildCsvIndex(v, v.m_pTextBuf, v.m_nTextLen, &len, &cols, csv::kCsvScanOnly, -1);
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
