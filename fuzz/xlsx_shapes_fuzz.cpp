// Shape lines and format-line '$' parts of any text read into object
// records, then drawn after a small chart drawing: the drawing as the sink
// stores it (UTF-8) is well-formed, holds one drawing element that ends the
// part, keeps the chart anchor, and has one anchor per drawn object.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "export/byte_writer.h"
#include "export/part_sink.h"
#include "export/xlsx/xlsx_shape_record.h"
#include "export/xlsx/xlsx_shapes.h"
#include "tests/support/xml_wellformed.h"

namespace {

// Counting reads the whole drawing: left out of clang's coverage feedback
// (its branches are not the program's).
__attribute__((no_sanitize("coverage"))) int Count(const std::string& s, const std::string& what) {
  int n = 0;
  for (std::size_t p = s.find(what); p != std::string::npos; p = s.find(what, p + 1)) ++n;
  return n;
}

void Fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "%s: %s\n", what, detail.c_str());
  std::abort();
}

const char kChartDrawing[] =
    "<?xml version=\"1.0\" encoding=\"Shift-JIS\" standalone=\"yes\"?>\n"
    "<xdr:wsDr xmlns:xdr=\"http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing\" "
    "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\"><xdr:absoluteAnchor><xdr:pos x=\"0\" "
    "y=\"0\"/><xdr:ext cx=\"1\" cy=\"1\"/><xdr:graphicFrame macro=\"\"><xdr:nvGraphicFramePr><xdr:cNvPr id=\"2\" "
    "name=\"c\"/><xdr:cNvGraphicFramePr/></xdr:nvGraphicFramePr><xdr:xfrm/><a:graphic/></xdr:graphicFrame>"
    "<xdr:clientData/></xdr:absoluteAnchor></xdr:wsDr>";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  // Four bytes of settings: size digit, a row height, a width, a chart drawing or not.
  const char sizeDigit = static_cast<char>(data[0]);
  std::vector<std::uint8_t> heights(9000, 18);
  for (std::size_t i = 0; i < heights.size(); i += 7) heights[i] = data[1];
  std::vector<std::int32_t> widths(1001, static_cast<std::int32_t>(data[2]) - 8);
  std::vector<xlsx::XlsxFormatRecord> formats(1001);
  for (std::size_t i = 0; i < formats.size(); i += 3) formats[i].c[9] = static_cast<char>(data[1]);
  const bool chart = (data[3] & 1) != 0;
  const std::string text(reinterpret_cast<const char*>(data) + 4, size - 4);

  std::vector<xlsx::XlsxShapeRecord> shapes;
  for (std::size_t at = 0; at < text.size() && shapes.size() < xlsx::kMaxShapeRecords;) {
    xlsx::XlsxShapeRecord r;
    std::size_t next;
    if (xlsx::IsShapeLine(text.data(), text.size(), at)) {
      const xlsx::XlsxShapeLine line =
          xlsx::ReadShapeLine(text.data(), text.size(), at, static_cast<std::uint32_t>(shapes.size()), r);
      if (!line.shape || line.next <= at) Fail("shape line", "no progress");
      next = line.next;
    } else {
      // A format line: kind letter first, a '$' part after its first '$', the
      // text at the line's start.
      r.rec.c[19] = static_cast<unsigned char>(text[at]);
      r.textPos = static_cast<std::int64_t>(at);
      const std::size_t dollar = text.find('$', at);
      std::size_t end = text.find('\n', at);
      if (end == std::string::npos) end = text.size();
      if (dollar != std::string::npos && dollar < end) {
        const std::size_t stop = xlsx::ReadLinePart(text.data(), text.size(), dollar + 1, r);
        if (stop > text.size()) Fail("line part", "past the text");
      }
      next = end + 1;
    }
    shapes.push_back(r);
    at = next;
  }

  xlsx::XlsxDrawingSource src;
  src.text = text.data();
  src.len = text.size();
  src.shapes = shapes.data();
  src.count = shapes.size();
  src.widths = widths.data();
  src.widthCount = widths.size();
  src.columnFormats = formats.data();
  src.formatCount = formats.size();
  src.rowHeights = heights.data();
  src.rowCount = heights.size();
  src.sizeDigit = sizeDigit;
  exportcore::ByteWriter d;
  if (chart) d.Append(kChartDrawing);
  if (!xlsx::XlsxAppendShapes(d, src)) return 0;
  const std::string part(d.Data(), d.Size());
  const std::string stored = exportcore::PartBytesOnDisk("xl/drawings/drawing1.xml", part.data(), part.size());
  const std::string problem = testsupport::XmlWellFormedProblem(stored);
  if (!problem.empty()) Fail("not well-formed", problem + "\n" + stored);
  if (Count(part, "</xdr:wsDr>") != 1 || part.compare(part.size() - 11, 11, "</xdr:wsDr>") != 0)
    Fail("drawing end", part);
  if (chart && Count(part, "<xdr:graphicFrame ") != 1) Fail("chart anchor lost", part);
  int drawn = 0;
  for (const xlsx::XlsxShapeRecord& r : shapes) drawn += xlsx::IsDrawnKind(r.Kind()) ? 1 : 0;
  if (Count(part, "<xdr:clientData/>") != drawn + (chart ? 1 : 0)) Fail("anchor count", part);
  return 0;
}
