// The table form of a workbook read back (the program's texts are Shift-JIS,
// as its string literals are): Python's csv module parses each
// sheet block into the cells that were laid out, and the CSV table loads the
// text with the same rows and fields.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "convert/workbook_layout.h"
#include "convert/workbook_table.h"
#include "csv/csv_table.h"
#include "support/outside_tool.h"
#include "support/temp_folder.h"

namespace {

struct Cell {
  int sheet, row, col;
  std::string text;
};

const std::vector<Cell> kCells = {
    {0, 0, 0, "名前"}, {0, 0, 1, "数"},          {0, 0, 3, "メモ"},          {0, 1, 0, "りんご"},
    {0, 1, 1, "1234.5"}, {0, 1, 3, "赤い, 甘い"}, {0, 3, 0, "say \"hi\""},   {0, 3, 2, "-1.5"},
    {1, 2, 1, "表"},     {1, 2, 2, "x"},          {2, 0, 4, "far right"},
};

// The cells of the Python parse: "sheet row col text" lines, the rows
// counted in each block from its first line.
std::vector<Cell> PythonCells(const testsupport::TempProgramFolder& dir, const std::string& path) {
  const std::string script = dir.File("read.py");
  std::ofstream(script, std::ios::binary)
      << "import csv,sys\n"
         "data=open(sys.argv[1],'rb').read().decode('cp932')\n"
         "blocks=data.split('\\r\\n!*[Sheet')[1:]\n"
         "for b in blocks:\n"
         "  head,body=b.split('\\r\\n',1)\n"
         "  n=int(head.split(']')[0])-1\n"
         "  body=body.split('\\n[Sheet end]')[0]\n"
         "  for r,row in enumerate(csv.reader(body.split('\\r\\n')[:-1])):\n"
         "    for c,v in enumerate(row):\n"
         "      if v: sys.stdout.buffer.write(('%d\\t%d\\t%d\\t%s\\n'%(n,r,c,v)).encode('cp932'))\n";
  const std::string out = testsupport::RunCapture("/usr/bin/python3 " + script + " " + path);
  std::vector<Cell> cells;
  std::size_t at = 0;
  while (at < out.size()) {
    const std::size_t e = out.find('\n', at);
    const std::string line = out.substr(at, e - at);
    at = e == std::string::npos ? out.size() : e + 1;
    Cell c{};
    std::size_t t1 = line.find('\t'), t2 = line.find('\t', t1 + 1), t3 = line.find('\t', t2 + 1);
    c.sheet = std::stoi(line.substr(0, t1));
    c.row = std::stoi(line.substr(t1 + 1, t2 - t1 - 1));
    c.col = std::stoi(line.substr(t2 + 1, t3 - t2 - 1));
    c.text = line.substr(t3 + 1);
    cells.push_back(c);
  }
  return cells;
}

TEST(WorkbookTableFormOracle, PythonCsvReadsTheCellsBack) {
  if (!testsupport::HaveTool("/usr/bin/python3")) GTEST_SKIP() << "outside tool missing: /usr/bin/python3";
  convert::WorkbookTable t;
  ASSERT_TRUE(t.Allocate(5000, 157));
  t.m_nFirstRecordLength = 16;
  std::vector<Cell> sjis;
  for (const Cell& c : kCells) {
    Cell s = c;
    const int v = t.AddValue(reinterpret_cast<const std::uint8_t*>(s.text.data()), s.text.size(), convert::kValueKindText);
    t.AddCell(c.row, c.col, v, c.sheet);
    sjis.push_back(s);
  }
  for (int s = 0; s < 3; ++s) {
    const std::string name = s == 0 ? "売上" : s == 1 ? "在庫" : "Sheet3";
    t.SetSheetName(s, reinterpret_cast<const std::uint8_t*>(name.data()), name.size());
  }
  convert::WorkbookLayoutRequest req;
  req.xlsMode = 11;
  convert::LoadBuffer out;
  ASSERT_EQ(33, convert::LayoutWorkbook(t, req, out).fileKind);
  const std::string text(out.Data(), out.Size());
  testsupport::TempProgramFolder dir;
  const std::string path = dir.File("book.csv");
  std::ofstream(path, std::ios::binary) << text;

  const std::vector<Cell> parsed = PythonCells(dir, path);
  ASSERT_EQ(sjis.size(), parsed.size()) << text;
  // Rows count from each sheet's first filled row.
  const int firstRow[3] = {0, 2, 0};
  for (std::size_t i = 0; i < sjis.size(); ++i) {
    EXPECT_EQ(sjis[i].sheet, parsed[i].sheet) << i;
    EXPECT_EQ(sjis[i].row - firstRow[sjis[i].sheet], parsed[i].row) << i;
    EXPECT_EQ(sjis[i].col, parsed[i].col) << i;
    EXPECT_EQ(sjis[i].text, parsed[i].text) << i;
  }

  // The CSV table takes the same text: a row per line, the fields of each
  // body line as Python counts them.
  csv::Table table;
  ASSERT_TRUE(table.LoadFileText(text.data(), text.size(), 16));
  const std::string work(reinterpret_cast<const char*>(table.m_pTextBuf), table.m_nTextLen);
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < work.size();) {
    std::size_t e = work.find("\r\n", at);
    if (e == std::string::npos) e = work.size();
    lines.push_back(work.substr(at, e - at));
    at = e + 2;
  }
  const std::vector<std::string> sheet0 = {"名前,数,,メモ", "りんご,1234.5,,\"赤い, 甘い\"", "", "\"say \"\"hi\"\"\",,-1.5"};
  // The first sheet's lines follow its heading (line 0 the head line, 1 the
  // blank before the heading, 2 the heading).
  ASSERT_GT(lines.size(), 7u);
  for (std::size_t i = 0; i < sheet0.size(); ++i) {
    const std::string& expect = sheet0[i];
    // The table keeps a field comma inside quotes and marks the others 0x06.
    std::string fields;
    bool quoted = false;
    for (char ch : expect) {
      if (ch == '"') quoted = !quoted;
      fields.push_back(ch == ',' && !quoted ? '\x06' : ch);
    }
    EXPECT_EQ(fields, lines[3 + i]) << i;
  }
}

}  // namespace
