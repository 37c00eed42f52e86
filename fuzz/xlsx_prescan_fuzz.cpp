// The pre-scan and the sheet-list line of the XLSX export over any text,
// then the workbook's sheet list: there is at least one entry; every name
// is non-empty, at most 31 characters, free of the marks the format refuses
// and unique but for the case of ASCII letters; every entry names a written
// sheet; the workbook and application properties are well-formed UTF-8 as
// the sink stores them.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "export/byte_writer.h"
#include "export/part_sink.h"
#include "export/xlsx/xlsx_package_parts.h"
#include "export/xlsx/xlsx_prescan.h"
#include "export/xlsx/xlsx_run.h"
#include "tests/support/xml_wellformed.h"

namespace {

void Fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "%s: %s\n", what, detail.c_str());
  std::abort();
}

void CheckStored(const char* path, const exportcore::ByteWriter& part) {
  const std::string stored = exportcore::PartBytesOnDisk(path, part.Data(), part.Size());
  const std::string problem = testsupport::XmlWellFormedProblem(stored);
  if (!problem.empty()) Fail(path, problem);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 16)) return 0;
  const std::string text(reinterpret_cast<const char*>(data), size);
  auto run = std::make_unique<xlsx::XlsxRun>();
  const std::uint32_t len = static_cast<std::uint32_t>(size);
  const long long list = xlsx::XlsxPreScan(text.data(), len, *run);
  if (list >= 0) xlsx::XlsxReadSheetList(text.data(), len, static_cast<std::uint32_t>(list), *run);
  std::uint32_t sheets = run->headCount;
  for (int n = 1; n <= xlsx::kMaxSheets; ++n)
    if (!run->XlsxSheetNames[n].empty() && static_cast<std::uint32_t>(n) > sheets) sheets = static_cast<std::uint32_t>(n);
  if (sheets < 1) sheets = 1;
  if (sheets > static_cast<std::uint32_t>(xlsx::kMaxSheets)) sheets = xlsx::kMaxSheets;
  run->XlsxSheetCount = sheets;

  const std::vector<xlsx::XlsxSheetListEntry> entries = xlsx::BuildSheetList(*run);
  if (entries.empty()) Fail("sheet list", "empty");
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::string& name = entries[i].name;
    if (entries[i].sheet < 1 || static_cast<std::uint32_t>(entries[i].sheet) > sheets) Fail("sheet number", name);
    if (name.empty()) Fail("name", "empty");
    std::size_t chars = 0;
    for (std::size_t k = 0; k < name.size(); ++chars) {
      const std::size_t n = exportcore::SjisPairLength(name.data(), k, name.size());
      const unsigned char c = static_cast<unsigned char>(name[k]);
      if (n == 1 && (c < 0x20 || c == '*' || c == '/' || c == ':' || c == '?' || c == '\\' || c == '[' || c == ']'))
        Fail("name with a refused mark", name);
      k += n;
    }
    if (chars > 31) Fail("name over 31 characters", name);
    for (std::size_t j = 0; j < i; ++j)
      if (xlsx::XlsxSameSheetName(entries[j].name, name)) Fail("name used twice", name);
  }
  exportcore::ByteWriter out;
  xlsx::BuildWorkbookPart(*run, entries, out);
  CheckStored("xl/workbook.xml", out);
  xlsx::BuildAppProperties(*run, out);
  CheckStored("docProps/app.xml", out);
  return 0;
}
