// The workbook layout over hand-filled workbook tables: headings, widths,
// numbers, run-on texts, empty rows, closing marks, shape markers, the ends
// and the capacity message, quick load, the table form, and the progress
// with its stop keys through a scripted host.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "convert/convert_host.h"
#include "convert/workbook_grid.h"
#include "convert/workbook_layout.h"
#include "convert/workbook_table.h"

namespace {

using convert::WorkbookTable;

const std::string kRule = "---------------------------------------------------------------\r\n";

struct Book {
  WorkbookTable t;
  explicit Book(int tblMax = 5000, int nChar = 157, int firstRecord = 16) {
    EXPECT_TRUE(t.Allocate(tblMax, nChar));
    t.m_nFirstRecordLength = firstRecord;
  }
  void Text(int sheet, int row, int col, const std::string& s) { Put(sheet, row, col, s, convert::kValueKindText); }
  void Number(int sheet, int row, int col, const std::string& s) { Put(sheet, row, col, s, convert::kValueKindNumber); }
  void Put(int sheet, int row, int col, const std::string& s, int base) {
    const int v = t.AddValue(reinterpret_cast<const std::uint8_t*>(s.data()), s.size(), base);
    t.AddCell(row, col, v, sheet);
  }
  void Name(int sheet, const std::string& s) {
    t.SetSheetName(sheet, reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
  }
};

std::string Layout(Book& b, convert::WorkbookLayoutRequest req = {}, convert::WorkbookLayoutResult* res = nullptr) {
  convert::LoadBuffer out;
  convert::WorkbookLayoutResult r = convert::LayoutWorkbook(b.t, req, out);
  if (res) *res = r;
  return std::string(out.Data(), out.Size());
}

std::vector<std::string> Lines(const std::string& s) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at <= s.size()) {
    std::size_t e = s.find("\r\n", at);
    if (e == std::string::npos) {
      lines.push_back(s.substr(at));
      break;
    }
    lines.push_back(s.substr(at, e - at));
    at = e + 2;
  }
  return lines;
}

// A grid line of six columns of width 8 and the tail slot of 15: each field
// given is its slot's bytes before the mark (empty: a blank slot).
std::string Row(std::vector<std::string> fields, char mark = '|') {
  fields.resize(7);
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    std::string f = fields[i];
    if (f.empty()) f = std::string(i == 6 ? 16 : 9, ' ');
    line += f;
    line.push_back(mark);
  }
  return line;
}

std::size_t Count(const std::string& s, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + what.size())) ++n;
  return n;
}

TEST(WorkbookGrid, HeadingsByVersion) {
  struct Case {
    const char* name;
    int firstRecord;
    std::vector<int> sheets;  // sheet counters of one cell each
    std::vector<std::string> headings;
  } cases[] = {
      {"BIFF8: counter + 1", 16, {0, 1, 2}, {"[Sheet 1]", "\r\n\r\n[Sheet 2]", "\r\n\r\n[Sheet 3]"}},
      {"BIFF5: the counter, none at 1", 8, {0, 1, 2}, {"[Sheet 1]", "\r\n\r\n[Sheet 2]"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Book b(5000, 157, c.firstRecord);
    for (int s : c.sheets) {
      b.Name(s, "S" + std::to_string(s));
      b.Text(s, 0, 0, "x");
    }
    const std::string text = Layout(b);
    EXPECT_EQ(0u, text.find("[Sheet 1]S0" + kRule)) << text;
    EXPECT_EQ(c.headings.size(), Count(text, "[Sheet"));
    for (std::size_t i = 1; i < c.headings.size(); ++i) {
      const int s = c.firstRecord == 16 ? static_cast<int>(i) : static_cast<int>(i) + 1;
      EXPECT_NE(std::string::npos, text.find(c.headings[i] + "S" + std::to_string(s) + kRule + " \r\n")) << text;
    }
  }
}

TEST(WorkbookGrid, SlotsMarksAndNumbers) {
  struct Case {
    int readerMode;
    std::string line;  // widths 8 (default), five columns and the tail slot of 15
  } cases[] = {
      {1, Row({"abc      ", " 1234.50 ", "   -1.50 "})},
      {2, Row({"abc      ", " 1234.50 ", "   -1.50 "}, '\x08')},
      {0, Row({"abc      ", " 1234.50 ", "   -1.50 "}, ' ')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.readerMode);
    Book b;
    b.Text(0, 0, 0, "abc");
    b.Number(0, 0, 1, "1234.50");
    b.Number(0, 0, 2, "-1.50");
    b.t.NextWidthRow();
    convert::WorkbookLayoutRequest req;
    req.readerMode = c.readerMode;
    const std::vector<std::string> lines = Lines(Layout(b, req));
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(c.line, lines[1]);
  }
}

TEST(WorkbookGrid, EmptyRows) {
  struct Case {
    int gap;  // rows between the two filled rows
    std::string between;
  } cases[] = {
      {1, ""},
      {2, "                \r\n"},
      {4, "                \r\n                \r\n                \r\n"},
      {13, "\r\n#------------- 12Line -------------#\r\n\r\n"},
      {255, "\r\n#-------------254Line -------------#\r\n\r\n"},
      {256, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.gap);
    Book b;
    b.Text(0, 5, 0, "top");
    b.Text(0, 5 + c.gap, 0, "low");
    convert::WorkbookLayoutRequest req;
    req.readerMode = 1;
    const std::string text = Layout(b, req);
    const std::size_t top = text.find("top");
    const std::size_t topEnd = text.find("\r\n", top) + 2;
    const std::size_t low = text.find("low");
    EXPECT_EQ(c.between, text.substr(topEnd, low - topEnd));
  }
}

TEST(WorkbookGrid, LongTextsRunOnAndCut) {
  struct Case {
    const char* name;
    std::vector<std::pair<int, std::string>> cells;  // column, text (row 0)
    std::string line;
  } cases[] = {
      {"runs over an empty slot", {{0, "0123456789ABC"}},
       "0123456789ABC      |" + Row({"", "", "", ""}).substr(0, 4 * 10) + std::string(16, ' ') + "|"},
      {"cut at the next filled slot", {{0, "0123456789ABCDEFGHIJKLMN"}, {2, "z"}},
       "0123456789ABCDEFGHI|" + Row({"z        "}).substr(0, 10) + Row({}).substr(0, 30) + std::string(16, ' ') + "|"},
      {"the text of the last column runs over the tail slot whole", {{5, std::string(40, 'w')}},
       Row({}).substr(0, 50) + std::string(40, 'w') + "|"},
      {"a double-byte character at the cut is dropped", {{0, "0123456789ABCDEFGH\x82\xA0"}, {2, "z"}},
       "0123456789ABCDEFGH |" + Row({"z        "}).substr(0, 10) + Row({}).substr(0, 30) + std::string(16, ' ') + "|"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Book b;
    for (const auto& [col, s] : c.cells) b.Text(0, 0, col, s);
    convert::WorkbookLayoutRequest req;
    req.readerMode = 1;
    const std::vector<std::string> lines = Lines(Layout(b, req));
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(c.line, lines[1]);
  }
}

TEST(WorkbookGrid, CellTexts) {
  // Cut at n_char - 2 with "..", a leading 0x1E as a blank, VT as a second
  // line of the row.
  Book b(5000, 12);
  b.Text(0, 0, 0, "ABCDEFGHIJKLMNOP");
  b.Text(0, 0, 2, "\x1Etab");
  b.Text(0, 0, 4, "up\vdown");
  convert::WorkbookLayoutRequest req;
  req.readerMode = 1;
  req.nChar = 12;
  const std::vector<std::string> lines = Lines(Layout(b, req));
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ("ABCDEFGHIJ..       |" + Row({"", "", " tab     ", "", "up       "}).substr(20), lines[1]);
  EXPECT_EQ(Row({"", "", "", "", "down     "}), lines[2]);
}

TEST(WorkbookGrid, WidthsByMode) {
  struct Case {
    int mode;
    bool first;
    int longest;
    int columns;
    int expect;
  } cases[] = {
      {1, true, 40, 6, 100 / 7 * 2 + 1},  // 29
      {1, true, 10, 6, 10},
      {1, false, 40, 6, 200 / 9},        // 22
      {1, true, 40, 30, 13},
      {1, false, 40, 60, 8},
      {2, true, 200, 6, 150},
      {2, true, 1, 6, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.mode << " " << c.first << " " << c.longest << " " << c.columns);
    Book b(5000, 255);
    b.Text(0, 0, 0, std::string(static_cast<std::size_t>(c.longest), 'a'));
    convert::WorkbookLayoutRequest req;
    req.xlsMode = c.mode;
    req.nChar = 255;
    const std::vector<int> w = convert::GridWidths(b.t, b.t.Cells(), 0, c.columns, c.first, req);
    ASSERT_EQ(static_cast<std::size_t>(c.columns) + 1, w.size());
    EXPECT_EQ(c.expect, w[0]);
    EXPECT_EQ(15, w.back());
  }
}

TEST(WorkbookGrid, RecordWidthsCarryToLaterSheets) {
  Book b;
  b.t.NextWidthRow();
  b.t.SetColumnWidths(0, 0, 3);
  b.t.NextWidthRow();
  b.t.SetColumnWidths(0, 0, 12);
  convert::WorkbookLayoutRequest req;
  for (int sheet : {0, 1, 2, 7}) {
    const std::vector<int> w = convert::GridWidths(b.t, {}, sheet, 6, sheet == 0, req);
    EXPECT_EQ(sheet == 0 ? 3 : 12, w[0]) << sheet;
    EXPECT_EQ(8, w[1]) << sheet;
  }
}

TEST(WorkbookGrid, ShapeMarkersMergeByKey) {
  Book b;
  b.Text(0, 0, 0, "a");
  b.Text(0, 4, 0, "b");
  b.Text(1, 0, 0, "c");
  // Pictures 3 and 5 are used; the JPEG entry is the second of the table.
  b.t.m_pictures.Add({0x62, 0, 0});
  b.t.m_pictures.Add({0x52, 0, 0});
  b.t.UsePicture(3);
  b.t.UsePicture(5);
  b.t.AddShapeCell(2, 1, 5, 0);  // picture 5: rank 1
  b.t.AddShapeCell(0, 3, 3, 1);  // picture 3: rank 0
  b.t.AddShapeCell(4, 0, convert::kShapeTextBase + 2, 0);
  const std::string note = "comment text";
  b.t.SetValue(b.t.ShapeValueIndex(2), reinterpret_cast<const std::uint8_t*>(note.data()), note.size(),
               convert::kValueKindText);
  const std::vector<convert::WorkbookCell> cells = convert::MergeShapeCells(b.t, 157);
  std::vector<std::string> texts;
  for (const auto& c : cells) texts.push_back(b.t.Text(c.value));
  // The comment shares the key of "b" and goes before it.
  EXPECT_EQ((std::vector<std::string>{"a", "[Image2]JPG", "comment text", "b", "c", "[Image1]PNG"}), texts);
  EXPECT_EQ(1000 + static_cast<int>(note.size()), b.t.Kind(cells[2].value));
}

TEST(WorkbookGrid, AShapeAloneStandsInItsCell) {
  Book b;
  b.t.m_pictures.Add({0x52, 0, 0});
  b.t.UsePicture(1);
  b.t.AddShapeCell(1, 2, 1, 0);
  convert::WorkbookLayoutRequest req;
  req.readerMode = 1;
  const std::vector<std::string> lines = Lines(Layout(b, req));
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(Row({}).substr(0, 20) + "[Image1]JPG        |" + Row({}).substr(40), lines[1]);
}

TEST(WorkbookGrid, Ends) {
  {
    SCOPED_TRACE("all placed");
    Book b;
    b.Text(0, 0, 0, "a");
    const std::string text = Layout(b);
    std::string tail = "\r\n[sheet end]-------------------------------------------------------------------\r\n";
    for (int i = 0; i < 11; ++i) tail += "\r\n";
    EXPECT_EQ(tail, text.substr(text.size() - tail.size()));
  }
  {
    SCOPED_TRACE("streams cut: no end lines");
    Book b;
    b.Text(0, 0, 0, "a");
    b.t.m_bStreamsWhole = false;
    const std::string text = Layout(b);
    EXPECT_EQ(std::string::npos, text.find("[sheet end]"));
  }
  {
    SCOPED_TRACE("xlsx of 256 sheets");
    Book b;
    b.t.m_nKind = 36;
    b.t.m_nSheetCount = 256;
    b.Text(0, 0, 0, "a");
    const std::string text = Layout(b);
    EXPECT_NE(std::string::npos, text.find("\r\n[sheet257-]----"));
  }
  {
    SCOPED_TRACE("cell list over the capacity");
    Book b(300);  // capacity 90
    for (int i = 0; i < 95; ++i) b.Text(0, i, 0, "v");
    const std::string text = Layout(b);
    EXPECT_EQ(std::string::npos, text.find("[sheet end]"));
    const std::size_t omitted = text.find("<以後データ省略>");
    EXPECT_NE(std::string::npos, omitted);
    EXPECT_NE(std::string::npos, text.find("表項目数を 2(x100) 以上にしてください。", omitted)) << text;
  }
  {
    SCOPED_TRACE("no cells: string 242, nothing when cut");
    Book b;
    convert::WorkbookLayoutResult r;
    EXPECT_EQ("\nデータがグラフ又は図のみで、表の欄内に数値、文字はありません。\n", Layout(b, {}, &r));
    EXPECT_TRUE(r.empty);
    b.t.m_bStreamsWhole = false;
    EXPECT_EQ("", Layout(b));
  }
}

TEST(WorkbookGrid, OutputBoundEndsWithOmittedMark) {
  Book b;
  for (int i = 0; i < 400; ++i) b.Text(0, i, 0, "row" + std::to_string(i));
  convert::WorkbookLayoutRequest req;
  req.outdata = 5000;
  convert::WorkbookLayoutResult r;
  const std::string text = Layout(b, req, &r);
  EXPECT_TRUE(r.bounded);
  const std::string omitted = "\r\n\r\n <以後データ省略>\r\n";
  ASSERT_GE(text.size(), omitted.size());
  EXPECT_EQ(omitted, text.substr(text.size() - omitted.size()));
  EXPECT_LE(text.size(), 5000u);
  EXPECT_EQ(std::string::npos, text.find("[sheet end]"));
}

TEST(WorkbookGrid, QuickLoadShowsTwentyOneRowsOfTheFirstSheet) {
  Book b;
  for (int s = 0; s < 2; ++s)
    for (int i = 0; i < 40; ++i) b.Text(s, i, 0, "r" + std::to_string(s) + "_" + std::to_string(i));
  convert::WorkbookLayoutRequest req;
  req.quickLoad = 1;
  const std::string text = Layout(b, req);
  EXPECT_NE(std::string::npos, text.find("r0_20 "));
  EXPECT_EQ(std::string::npos, text.find("r0_21"));
  EXPECT_EQ(std::string::npos, text.find("r1_"));
  EXPECT_EQ(21u, Count(text, "r0_"));
}

TEST(WorkbookGrid, ColumnsPastTheLastSlotStayInTheRow) {
  Book b;
  b.Text(0, 0, 300, "far");
  b.Text(0, 1, 0, "next");
  convert::WorkbookLayoutRequest req;
  req.readerMode = 1;
  const std::vector<std::string> lines = Lines(Layout(b, req));
  ASSERT_GE(lines.size(), 3u);
  EXPECT_NE(std::string::npos, lines[1].find("|far"));
  EXPECT_EQ(0u, lines[2].find("next"));
}

TEST(WorkbookNames, Utf8NamesBecomeShiftJis) {
  struct Case {
    std::string name;
    bool wholeTest;
    std::string shown;
  } cases[] = {
      {"\xE8\xA1\xA8\xE8\xA8\x88", true, "\x95\x5C\x8C\x76"},        // 表計
      {"A\xE8\xA1\xA8", true, "A\xE8\xA1\xA8"},                        // the grid tests bytes 1 and 4 only
      {"A\xE8\xA1\xA8", false, "A\x95\x5C"},
      {"\xE0\x40\xE0\x40", true, "\xE0\x40\xE0\x40"},                // Shift-JIS stays
      {"Sheet1", false, "Sheet1"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.shown, convert::SheetNameForShow(c.name.c_str(), c.wholeTest)) << c.name;
}

// --- the table form

TEST(WorkbookTableForm, ThreeSheetBlocks) {
  for (int mode : {10, 11}) {
    SCOPED_TRACE(mode);
    Book b;
    const char* names[] = {"first", "second", "third"};
    for (int s = 0; s < 3; ++s) {
      b.Name(s, names[s]);
      b.Text(s, 0, 0, "h" + std::to_string(s));
      b.Number(s, 0, 1, "1234.5");
    }
    convert::WorkbookLayoutRequest req;
    req.xlsMode = mode;
    convert::WorkbookLayoutResult r;
    const std::string text = Layout(b, req, &r);
    EXPECT_EQ(33, r.fileKind);
    std::string expect;
    if (mode == 11) expect = "!*first" + std::string(74, '-') + "\r\n";
    for (int s = 0; s < 3; ++s)
      expect += "\r\n!*[Sheet " + std::to_string(s + 1) + "]" + names[s] + "\r\nh" + std::to_string(s) + ",1234.5\r\n";
    if (mode == 11) expect += "\n[Sheet end]";
    EXPECT_EQ(expect, text);
  }
}

TEST(WorkbookTableForm, RowsAndFields) {
  Book b(5000, 157, 8);  // BIFF5: the first block has no heading
  b.Text(0, 2, 1, "a,b");
  b.Text(0, 2, 3, "say \"hi\"");
  b.Text(0, 4, 0, "two\vlines");
  b.Text(0, 5, 2, "plain");
  convert::WorkbookLayoutRequest req;
  req.xlsMode = 12;
  EXPECT_EQ(",\"a,b\",,\"say \"\"hi\"\"\"\r\n\r\n\"two\vlines\"\r\n,,plain\r\n", Layout(b, req));
}

TEST(WorkbookTableForm, BoundedByOutdata) {
  Book b;
  for (int i = 0; i < 500; ++i) b.Text(0, i, 0, "value" + std::to_string(i));
  convert::WorkbookLayoutRequest req;
  req.xlsMode = 11;
  req.outdata = 1000;
  const std::string text = Layout(b, req);
  EXPECT_EQ(1000u, text.size());
  EXPECT_EQ(std::string::npos, text.find("[Sheet end]"));
}

// --- progress

class ScriptedHost : public convert::ConvertHost {
 public:
  int LoadPicture(const CString&, int) override { return 0; }
  void StatusText(const CString& text) override { statuses.emplace_back(static_cast<const char*>(text)); }
  int PeekKey() override { return statuses.size() == keyAt ? key : 0; }
  int CheckEscapeAbort() override {
    ++escapeAsks;
    return statuses.size() == escapeAt ? 1 : 0;
  }
  std::vector<std::string> statuses;
  std::size_t keyAt = 0;
  int key = 0;
  std::size_t escapeAt = 0;
  int escapeAsks = 0;
};

Book& ThreeThousandCells(Book& b) {
  for (int i = 0; i < 3000; ++i) b.Text(0, i / 6, i % 6, "c" + std::to_string(i));
  return b;
}

TEST(WorkbookProgress, StatusEveryTwoHundredFiftySixCells) {
  Book b;
  ThreeThousandCells(b);
  ScriptedHost host;
  convert::WorkbookLayoutRequest req;
  req.host = &host;
  convert::WorkbookLayoutResult r;
  const std::string text = Layout(b, req, &r);
  ASSERT_EQ(11u, host.statuses.size());
  EXPECT_EQ("Making Table  1/11   (Push ESC to stop, Up/Down to skip)", host.statuses[0]);
  EXPECT_EQ("Making Table  11/11   (Push ESC to stop, Up/Down to skip)", host.statuses[10]);
  EXPECT_EQ(11, host.escapeAsks);
  EXPECT_FALSE(r.stopped);
  EXPECT_NE(std::string::npos, text.find("c2999"));
}

TEST(WorkbookProgress, StopKeys) {
  struct Case {
    const char* name;
    int key;
    std::size_t escapeAt;
    bool stops;
  } cases[] = {
      {"Up", 0x26, 0, true},
      {"Down", 0x28, 0, true},
      {"another key", 0x41, 0, false},
      {"Esc answered Yes", 0, 2, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Book b;
    ThreeThousandCells(b);
    ScriptedHost host;
    host.keyAt = 2;
    host.key = c.key;
    host.escapeAt = c.escapeAt;
    convert::WorkbookLayoutRequest req;
    req.host = &host;
    convert::WorkbookLayoutResult r;
    const std::string text = Layout(b, req, &r);
    EXPECT_EQ(c.stops, r.stopped);
    EXPECT_EQ(c.stops, b.t.m_bStop);
    if (c.stops) {
      EXPECT_EQ(2u, host.statuses.size());
      EXPECT_EQ(512, r.cellsLaidOut);
      EXPECT_NE(std::string::npos, text.find("c511"));  // what was laid out is kept
      EXPECT_EQ(std::string::npos, text.find("c512"));
      EXPECT_EQ(std::string::npos, text.find("[sheet end]"));
    } else {
      EXPECT_NE(std::string::npos, text.find("c2999"));
    }
  }
}

TEST(WorkbookProgress, QuietForSmallOrQuickLayouts) {
  for (bool quick : {false, true}) {
    Book b;
    if (quick)
      ThreeThousandCells(b);
    else
      for (int i = 0; i < 1000; ++i) b.Text(0, i, 0, "x");
    ScriptedHost host;
    convert::WorkbookLayoutRequest req;
    req.host = &host;
    req.quickLoad = quick ? 1 : 0;
    Layout(b, req);
    EXPECT_TRUE(host.statuses.empty()) << quick;
    EXPECT_EQ(0, host.escapeAsks);
  }
}

}  // namespace

namespace {

TEST(WorkbookProgress, AReaderStopStillLaysOutTheCellsRead) {
  Book b;
  b.Text(0, 0, 0, "first");
  b.Text(0, 1, 0, "second");
  b.t.m_bStop = true;  // the reader met a damaged record
  convert::WorkbookLayoutResult r;
  const std::string text = Layout(b, {}, &r);
  EXPECT_NE(std::string::npos, text.find("second"));
  EXPECT_FALSE(r.stopped);
  EXPECT_EQ(2, r.cellsLaidOut);
}

}  // namespace
