// The ZIP listing of the renderer over an archive of many one-byte stored
// members (100,000 by default), whole process against whole process: this
// program with "-list FILE" against `zipinfo -l FILE`. Both outputs are read
// in full; each run checks the member count (ours: "N files Total"; zipinfo:
// "N files," in its last line).
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "../bench_util.h"
#include "convert/archive_listing.h"
#include "convert/source_file.h"
#include "word_bench.h"
#include "xls_bench.h"
#include "docx_bench.h"
#include "xlsx_bench.h"
#include "markup_bench.h"
#include "pdf_bench.h"

namespace {

void Put16(std::string& s, unsigned v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>(v >> 8 & 0xFF);
}
void Put32(std::string& s, std::uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}

// A ZIP of `members` stored one-byte members with a central directory.
std::string MakeArchive(int members) {
  std::string zip, central;
  for (int i = 0; i < members; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "dir/file%06d.txt", i);
    const std::uint32_t offset = static_cast<std::uint32_t>(zip.size());
    const std::uint32_t crc = 0xE8B7BE43;  // CRC-32 of "a"
    auto header = [&](std::string& s, bool isCentral) {
      s += isCentral ? std::string("PK\x01\x02", 4) : std::string("PK\x03\x04", 4);
      if (isCentral) Put16(s, 20);
      Put16(s, 10);
      Put16(s, 0);
      Put16(s, 0);
      Put16(s, 0x6000);
      Put16(s, 0x5A21);
      Put32(s, crc);
      Put32(s, 1);
      Put32(s, 1);
      Put16(s, static_cast<unsigned>(std::strlen(name)));
      Put16(s, 0);
      if (isCentral) {
        Put16(s, 0);
        Put16(s, 0);
        Put16(s, 0);
        Put32(s, 0);
        Put32(s, offset);
      }
      s += name;
    };
    header(zip, false);
    zip += 'a';
    header(central, true);
  }
  const std::uint32_t centralAt = static_cast<std::uint32_t>(zip.size());
  zip += central;
  if (members > 0xFFFF) {
    // Past 65,535 members the counts go into the ZIP64 end record and its locator.
    const std::uint32_t end64At = static_cast<std::uint32_t>(zip.size());
    auto put64 = [&](std::uint64_t v) {
      Put32(zip, static_cast<std::uint32_t>(v));
      Put32(zip, static_cast<std::uint32_t>(v >> 32));
    };
    zip += std::string("PK\x06\x06", 4);
    put64(44);
    Put16(zip, 45);
    Put16(zip, 45);
    Put32(zip, 0);
    Put32(zip, 0);
    put64(static_cast<std::uint64_t>(members));
    put64(static_cast<std::uint64_t>(members));
    put64(central.size());
    put64(centralAt);
    zip += std::string("PK\x06\x07", 4);
    Put32(zip, 0);
    put64(end64At);
    Put32(zip, 1);
  }
  zip += std::string("PK\x05\x06", 4);
  Put16(zip, 0);
  Put16(zip, 0);
  Put16(zip, static_cast<unsigned>(members > 0xFFFF ? 0xFFFF : members));
  Put16(zip, static_cast<unsigned>(members > 0xFFFF ? 0xFFFF : members));
  Put32(zip, static_cast<std::uint32_t>(central.size()));
  Put32(zip, centralAt);
  Put16(zip, 0);
  return zip;
}

int List(const char* path) {
  std::unique_ptr<convert::SourceFile> file = convert::OpenSourceFile(path);
  if (!file) return 1;
  convert::LoadBuffer out;
  convert::ListZipArchive(*file, INT64_MAX, out);
  std::fwrite(out.Data(), 1, out.Size(), stdout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "-list") return List(argv[2]);
  if (argc == 3 && std::string(argv[1]) == "-word") return WordText(argv[2]);
  if (argc == 3 && std::string(argv[1]) == "-xls") return XlsTable(argv[2]);
  if (argc == 3 && std::string(argv[1]) == "-pdf") return PdfText(argv[2]);
  if (argc == 3 && std::string(argv[1]) == "-html") return HtmlText(argv[2]);
  if (argc == 3 && std::string(argv[1]) == "-xlsx") return XlsxTable(argv[2]);
  if (argc == 3 && std::string(argv[1]) == "-xlsx-shares") return XlsxShares(argv[2]);
  if (argc == 3 && std::string(argv[1]) == "-docx") return DocxPages(argv[2]);
  int next = 1;
  const int runs = bench::TakeRuns(argc, argv, 5, &next);
  // "-runs N html": the HTML page alone.
  if (next < argc && std::string(argv[next]) == "html") {
    BenchMarkup(argv[0], runs);
    return 0;
  }
  const int members = next < argc ? std::atoi(argv[next]) : 100000;
  const std::string path = "/tmp/bench_convert_listing.zip";
  if (!bench::WriteFile(path, MakeArchive(members))) return 1;
  const std::string self = argv[0];
  const std::string want = std::to_string(members);
  bench::Paired p = bench::RunPaired(
      runs,
      [&](bool* ok) {
        std::string out;
        double s = bench::RunCapture(self + " -list " + path, &out, ok);
        *ok = *ok && out.find("   " + want + " files Total") != std::string::npos;
        return s;
      },
      [&](bool* ok) {
        std::string out;
        double s = bench::RunCapture("zipinfo -l " + path + " 2>/dev/null", &out, ok);
        *ok = out.find("\n" + want + " files,") != std::string::npos;
        return s;
      });
  bench::PrintRow("convert", "ZIP listing, " + want + " one-byte members (whole process)", "zipinfo -l", p,
                  "<= 2.00");
  if (std::getenv("KEEP_ARCHIVE") == nullptr) std::remove(path.c_str());
  BenchWord(self, runs);
  BenchXls(self, runs);
  BenchPdf(self, runs);
  BenchMarkup(self, runs);
  BenchXlsx(self, runs);
  BenchDocx(self, runs);
  return 0;
}
