// Worksheet parts as the package stores them, checked by xmllint: the bytes
// a table can hold (markup characters, stray lead bytes, control bytes, the
// code page's extension characters) never make a part that is not XML.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "csv/csv_index.h"
#include "csv/csv_table.h"
#include "export/part_sink.h"
#include "export/xlsx/xlsx_sheet.h"
#include "support/outside_tool.h"
#include "support/temp_folder.h"

using namespace xlsx;

TEST(XlsxSheetOracle, PartsWithHostileBytesAreWellFormedForXmllint) {
  REQUIRE_TOOLS("xmllint");
  testsupport::TempProgramFolder dir;
  // Rows in the working form: 0x06 between fields.
  const std::string rows[] = {
      std::string("Title\x06") + "\x87\x40\x87\x54\xFA\x40\xFB\xFC",  // ①, Ⅱ, and two more extension characters
      std::string("a<b\x06") + "x\x81<y\x06\x81&\x06\x81\x06\x81\x7F",  // stray lead bytes before markup
      std::string("\"q\"\"\x06=A1&\"<\x06==B\x06=\x06\\n\x06\xF0<\x06\xFD\x80\xA0"),
      std::string("\x83\x5E\x95\x5C\x06tab\there\x06") + std::string(1, '\x01') + "ctl\x06" + "\x1F",
  };
  std::string text;
  for (const std::string& r : rows) text += r + "\r\n";
  csv::Table table;
  ASSERT_TRUE(table.Assign(text.data(), text.size(), 16));
  for (int variant = 0; variant < 3; ++variant) {
    XlsxSheetLayout L;
    L.firstTextRow = 1;
    L.titleRow = variant == 0 ? 1 : 0;
    L.endRow = static_cast<std::uint32_t>(table.m_nLastRow + 2);
    L.rowLimit = L.endRow;
    L.columnCount = 1;
    L.colourBarColumn = variant == 2 ? 2 : 0;
    L.colourBarChars[0] = '<';
    L.colourBarHex[0] = "FF0000";
    XlsxStyleSlots slots;
    std::string part;
    ASSERT_TRUE(WriteWorksheetText(table, L, slots, &part, nullptr));
    const std::string stored = exportcore::PartBytesOnDisk("xl/worksheets/sheet1.xml", part.data(), part.size());
    const std::string file = dir.File("sheet" + std::to_string(variant) + ".xml");
    std::ofstream(file, std::ios::binary) << stored;
    const std::string out = testsupport::RunCapture("xmllint --noout '" + file + "' 2>&1; echo rc=$?");
    EXPECT_NE(out.find("rc=0"), std::string::npos) << out;
  }
}
