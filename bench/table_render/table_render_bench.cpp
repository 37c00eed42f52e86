// The rich text of a ruled table ('T') over a generated CP932 CSV file of
// about 20 MB (six columns: an id, Shift-JIS names with 0x5C second bytes,
// amounts, codes, a Shift-JIS note, a date), against `iconv -f CP932 -t UTF-8`
// of the same file as a process. Ours is the rebuild alone, in this process,
// from the loaded table (loaded again, untimed, before each run); the ratio
// is ours / iconv's seconds, so at most 1.00 means an input throughput of at
// least iconv's. Every run checks that the text is whole (it ends with the
// closing brace) and that iconv succeeded.
//
//   bench_table_render [-runs N] [megabytes]
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "../bench_util.h"
#include "csv/csv_table.h"
#include "fw/alloc.h"
#include "table/table_render.h"

namespace {

std::string MakeFile(long megabytes) {
  static const char* const names[5] = {"\x83\x5C\x83\x74\x83\x67", "\x95\x5C\x8e\xa6\x97\x6c",
                                       "\x93\x8c\x8b\x9e\x93\x73", "kobe", "\x8f\x5C\x95\x5C"};
  static const char* const notes[3] = {"\x94\xf5\x8d\x6c\x82\xc8\x82\xb5", "\x8a\x6d\x94\x46\x8d\xcf\x82\xdd",
                                       "ok"};
  const std::size_t bytes = static_cast<std::size_t>(megabytes) << 20;
  std::string s = "id,name,amount,code,note,date\r\n";
  s.reserve(bytes + 200);
  std::uint64_t x = 20261208;
  char buf[200];
  for (long r = 0; s.size() < bytes; ++r) {
    x = x * 6364136223846793005ull + 1442695040888963407ull;
    std::snprintf(buf, sizeof buf, "%ld,%s,%llu.%02u,C%03u,%s,2026/%02u/%02u\r\n", r, names[(x >> 33) % 5],
                  static_cast<unsigned long long>((x >> 20) % 10000000), static_cast<unsigned>((x >> 10) % 100),
                  static_cast<unsigned>((x >> 45) % 1000), notes[(x >> 50) % 3],
                  static_cast<unsigned>((x >> 55) % 12 + 1), static_cast<unsigned>((x >> 3) % 28 + 1));
    s += buf;
  }
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  int next = 1;
  const int runs = bench::TakeRuns(argc, argv, 3, &next);
  const long mb = next < argc ? std::atol(argv[next]) : 20;
  const std::string path = "/tmp/tabrye_table_render_bench_" + std::to_string(mb) + "mb.csv";
  if (!bench::EnsureFile(path, [&] { return MakeFile(mb); })) return 1;
  const std::string file = bench::ReadFile(path);
  std::string iconvOut;
  bench::Paired p = bench::RunPaired(
      runs,
      [&](bool* ok) {
        auto t = std::make_unique<csv::Table>();
        if (!t->LoadFileText(file.data(), file.size(), 1000)) { *ok = false; return 0.0; }
        table::OutputText out;
        out.text = static_cast<char*>(fw::Alloc(16));
        table::RenderRequest q;
        q.cmd = table::kCmdRtfText;
        auto t0 = bench::Clock::now();
        table::RenderResult r = table::RebuildTable(*t, out, q);
        double s = bench::Seconds(t0);
        *ok = r.code == 0 && out.len > file.size() && out.text[out.len - 1] == '}';
        fw::Free(out.text);
        return s;
      },
      [&](bool* ok) { return bench::RunCapture("iconv -f CP932 -t UTF-8 '" + path + "'", &iconvOut, ok); });
  std::printf("file %zu bytes, %d pairs: ours %.3f s (%.1f MB/s), iconv %.3f s (%.1f MB/s)\n", file.size(), runs,
              p.ours, file.size() / 1e6 / (p.ours > 0 ? p.ours : 1), p.theirs,
              file.size() / 1e6 / (p.theirs > 0 ? p.theirs : 1));
  bench::PrintRow("table_render", "ruled-table rich text 'T' of a " + std::to_string(mb) + " MB CP932 CSV",
                  "iconv -f CP932 -t UTF-8", p, "<= 1.00");
  return p.checked ? 0 : 1;
}
