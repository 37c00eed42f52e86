// The merge's worksheet rewrite over any template part and any block text.
// The first byte chooses between a well-formed UTF-8 template (rows of
// shared-string, number, formula and empty cells, a dimension, page breaks)
// and template bytes from the input; the rest, split at the first 0xFF 0xFF,
// is the template and the text (or the text alone). Both sit in buffers of
// their exact size. Checked: the reading stays within the text, and a
// well-formed template gives a well-formed part whose rows are numbered
// 1, 2, 3, ... in order.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "export/byte_writer.h"
#include "export/merge/merge_sheet.h"
#include "tests/support/xml_wellformed.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

const char kTemplate[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
    "<dimension ref=\"A1:C4\"/><sheetViews><sheetView tabSelected=\"1\" workbookViewId=\"0\"/></sheetViews>"
    "<sheetData>"
    "<row r=\"1\" spans=\"1:3\"><c r=\"A1\" s=\"1\" t=\"s\"><v>0</v></c><c r=\"B1\"><v>2</v></c>"
    "<c r=\"C1\" t=\"b\"><v>1</v></c></row>"
    "<row r=\"2\"><c r=\"A2\" t=\"inlineStr\"><is><t>x</t></is></c><c r=\"B2\" s=\"3\"/>"
    "<c r=\"C2\"><f>SUM(B1:B2)</f><v>2</v></c></row>"
    "<row r=\"3\"/>"
    "<row r=\"4\"><c r=\"A4\" t=\"e\"><v>#N/A</v></c><c r=\"B4\" t=\"str\"><v>s</v></c></row>"
    "</sheetData><mergeCells count=\"1\"><mergeCell ref=\"A1:C1\"/></mergeCells>"
    "<rowBreaks count=\"1\"><brk id=\"2\" max=\"16383\" man=\"1\"/></rowBreaks></worksheet>";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1 || size > 65536) return 0;
  const bool fixed = (data[0] & 1) == 0;
  const char* rest = reinterpret_cast<const char*>(data + 1);
  const std::size_t restLen = size - 1;
  std::vector<char> part;
  std::vector<char> text;
  if (fixed) {
    part.assign(kTemplate, kTemplate + sizeof kTemplate - 1);
    text.assign(rest, rest + restLen);
  } else {
    std::size_t cut = restLen;
    for (std::size_t i = 0; i + 1 < restLen; ++i)
      if (static_cast<unsigned char>(rest[i]) == 0xFF && static_cast<unsigned char>(rest[i + 1]) == 0xFF) {
        cut = i;
        break;
      }
    part.assign(rest, rest + cut);
    if (cut + 2 <= restLen) text.assign(rest + cut + 2, rest + restLen);
  }
  static const char kEmpty[1] = {0};
  const char* p = part.empty() ? kEmpty : part.data();
  const char* x = text.empty() ? kEmpty : text.data();
  const std::size_t start = text.empty() ? 0 : (data[0] >> 1) % (text.size() + 1);

  exportcore::ByteWriter out;
  const merge::SheetRewriteResult r = merge::RewriteTemplateSheet(p, part.size(), x, text.size(), start, &out);
  Check(r.textPos >= start && r.textPos <= text.size());
  if (fixed) {
    Check(r.ok);
    const std::string got(out.Data(), out.Size());
    Check(testsupport::XmlWellFormedProblem(got).empty());
    long long expect = 1;
    for (std::size_t at = got.find("<row r=\""); at != std::string::npos; at = got.find("<row r=\"", at + 1)) {
      Check(std::strtoll(got.c_str() + at + 8, nullptr, 10) == expect);
      ++expect;
    }
  }
  return 0;
}
