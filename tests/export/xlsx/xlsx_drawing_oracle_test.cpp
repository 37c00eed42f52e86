// The drawing's objects judged from outside: a drawing of text boxes, a
// callout, lines with ends, a rectangle, an ellipse, preset and flowchart
// shapes and a picture, stored as the sink stores it, then wrapped into a
// workbook that xmllint, openpyxl and LibreOffice read (the shapes, the
// picture and the texts all arrive; the printed page shows the text box's
// text). Native tree only.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "export/byte_writer.h"
#include "export/part_sink.h"
#include "export/xlsx/xlsx_shapes.h"
#include "support/file_bytes.h"
#include "support/outside_tool.h"

namespace {

namespace fs = std::filesystem;
using namespace xlsx;

TEST(XlsxDrawingOracle, ShapesPictureAndTextsArrive) {
  if (std::system("/usr/bin/python3 -c 'import openpyxl' >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "python module missing: openpyxl";
  REQUIRE_TOOLS("xmllint", "soffice", "pdftotext");
  const std::string sep(1, '\x06');
  // "メモ & <note>" in Shift-JIS, then a second line.
  std::string text = "\x83\x81\x83\x82 & <note>\\nline two" + sep + "\r\n";
  std::vector<XlsxShapeRecord> shapes;
  XlsxShapeRecord box;
  box.rec.c[19] = 'T';
  box.rec.c[2] = '0';
  box.rec.c[5] = 'R';
  box.rec.c[6] = 'y';
  box.rec.c[8] = '4';
  box.textPos = 0;
  SetHorizontalAlign(box, 'p');
  SetFontFlags(box, 1);
  box.fromCol = 200000, box.fromRow = 200000, box.toCol = 500000, box.toRow = 600000;
  shapes.push_back(box);
  XlsxShapeRecord callout = box;
  callout.rec.c[19] = 'b';
  callout.fromCol = 700000, callout.toCol = 900000;
  callout.rotation = 20030;
  shapes.push_back(callout);
  const std::vector<std::string> lines = {
      "Li" + sep + "3B!TA" + sep + "B8:D10",
      "Li" + sep + "2R!oS" + sep + "30:20:40:-10",
      "Re" + sep + "r@3" + sep + "E8:F10:30",
      "El" + sep + "1Gg" + sep + "G8:H10",
      "A25" + sep + "b" + sep + "B12:C14",
      "f54" + sep + "o" + sep + "D12:E14",
      "A21" + sep + "y" + sep + "F12:G14:0:250",
      "pi" + sep + sep + "80:60" + sep + "photo.png",
  };
  for (const std::string& l : lines) {
    const std::size_t at = text.size();
    text += l + "\r\n";
    XlsxShapeRecord r;
    ReadShapeLine(text.data(), text.size(), at, static_cast<std::uint32_t>(shapes.size()), r);
    shapes.push_back(r);
  }
  std::vector<std::int32_t> widths(1001, 8);
  std::vector<std::uint8_t> heights(9000, 18);
  XlsxDrawingSource src;
  src.text = text.data();
  src.len = text.size();
  src.shapes = shapes.data();
  src.count = shapes.size();
  src.widths = widths.data();
  src.widthCount = widths.size();
  src.rowHeights = heights.data();
  src.rowCount = heights.size();
  exportcore::ByteWriter d;
  ASSERT_TRUE(XlsxAppendShapes(d, src));
  const fs::path dir = fs::path(TABRYE_BIN_ROOT) / "xlsx_drawing_oracle";
  fs::remove_all(dir);
  fs::create_directories(dir);
  testsupport::WriteFileBytes(dir / "drawing1.xml",
                              exportcore::PartBytesOnDisk("xl/drawings/drawing1.xml", d.Data(), d.Size()));
  // Nine shapes besides the picture; the texts as LibreOffice stores them.
  const std::string cmd = "/usr/bin/python3 '" TABRYE_TEST_ROOT "/tests/export/xlsx/drawing_oracle.py' '" +
                          dir.string() + "' 9 '\xE3\x83\xA1\xE3\x83\xA2' '&amp; &lt;note&gt;' 'line two' 2>&1";
  EXPECT_EQ("", testsupport::RunCapture(cmd));
}

}  // namespace
