// The format section: format lines into object records, positions and
// offsets, the object grid and its overlaps, the limits, the text-box codes
// in the record's drawing layout, the merges the worksheet writes, and the
// condition step on a table of its own (the view's table never changes).
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "csv/csv_index.h"
#include "csv/csv_table.h"
#include "export/xlsx/xlsx_conditions.h"
#include "export/xlsx/xlsx_export.h"
#include "export/xlsx/xlsx_grid.h"
#include "export/xlsx/xlsx_prescan.h"
#include "export/xlsx/xlsx_section.h"
#include "export/xlsx/xlsx_sheet.h"
#include "export/xlsx/xlsx_sheetmodel.h"
#include "fw/alloc.h"
#include "macro/macro_csvselect.h"
#include "macro/macro_state.h"

using namespace xlsx;

namespace {

// The working form of CSV `lines`: ',' between fields, '\n' a CR LF.
std::string Working(const std::string& csvText) {
  std::string w;
  for (char ch : csvText) {
    if (ch == ',') w += '\x06';
    else if (ch == '\n') w += "\r\n";
    else w += ch;
  }
  return w;
}

// Reads the section of `csvText` (which holds one "!%" line).
XlsxSectionObjects Read(const std::string& csvText, std::uint32_t columns = 5, std::string* keep = nullptr) {
  static std::string text;
  text = Working(csvText);
  if (keep) *keep = text;
  XlsxSectionInput in;
  in.text = text.data();
  in.length = text.size();
  in.sectionStart = text.find("!%");
  in.columnCount = columns;
  XlsxSectionObjects out;
  XlsxReadSectionLines(in, out);
  return out;
}

// Lays the records on a grid of `rows` rows and `columns` columns.
XlsxObjectLayer Lay(XlsxSectionObjects& o, std::uint32_t columns, std::uint64_t rows) {
  XlsxObjectLayer layer;
  layer.shapes = o.records;
  EXPECT_TRUE(XlsxBuildGrid(layer, columns, rows));
  XlsxLayRegions(layer);
  return layer;
}

// The two grid bytes of cell (row, column).
std::string Cell(const XlsxObjectLayer& layer, std::uint64_t row, std::uint64_t column) {
  std::uint64_t at = 0;
  if (!GridCellOffset(layer, row, column, &at)) return "--";
  return std::string{static_cast<char>(layer.grid[at]), static_cast<char>(layer.grid[at + 1])};
}

const std::string kTable = "a,b,c,d,e\n1,2,3,4,5\n6,7,8,9,10\n11,12,13,14,15\n16,17,18,19,20\n";

TEST(Section, LettersCoverTheRectangleAndTwoNumbersOneCell) {
  XlsxSectionObjects o = Read(kTable + "!%\n,%r,B2:D4\n,%b,5:1\n");
  ASSERT_EQ(o.records.size(), 2u);
  EXPECT_EQ(o.records[0].fromCol, 2);
  EXPECT_EQ(o.records[0].fromRow, 2);
  EXPECT_EQ(o.records[0].toCol, 4);
  EXPECT_EQ(o.records[0].toRow, 4);
  EXPECT_EQ(o.records[1].toCol, 5);
  EXPECT_EQ(o.records[1].toRow, 1);
  XlsxObjectLayer layer = Lay(o, 5, 7);
  for (int r = 1; r <= 6; ++r)
    for (int c = 1; c <= 5; ++c) {
      const bool inside = r >= 2 && r <= 4 && c >= 2 && c <= 4;
      const std::string want = inside ? "01" : (r == 1 && c == 5) ? "02" : "O:";
      EXPECT_EQ(Cell(layer, r, c), want) << r << "," << c;
    }
  // Laid records are marked.
  EXPECT_EQ(layer.shapes[0].fromCol, kLaidObject);
  // The line layout: "O:" 0x06 per cell, CR LF ending each line of 3 x 5 + 4 bytes.
  EXPECT_EQ(GridLineBytes(5), 19u);
  EXPECT_EQ(layer.grid[17], '\r');
  EXPECT_EQ(layer.grid[18], '\n');
  EXPECT_EQ(layer.grid[2], 0x06);
  EXPECT_TRUE(layer.overlaps.empty());
}

TEST(Section, NumbersRulesAndSeparators) {
  XlsxSectionObjects o = Read(kTable + "!%\n,%r,2:3:0:5\n,%r,0:3:4:5\n,%r,-2:3\n");
  ASSERT_EQ(o.records.size(), 3u);
  // A to-column of 0 takes the from-column.
  EXPECT_EQ(o.records[0].toCol, 2);
  EXPECT_EQ(o.records[0].toRow, 5);
  // A from-column of 0 clears the other three.
  EXPECT_EQ(o.records[1].fromRow, 0);
  EXPECT_EQ(o.records[1].toCol, 0);
  EXPECT_EQ(o.records[1].toRow, 0);
  EXPECT_EQ(o.records[2].fromCol, -2);
}

TEST(Section, OffsetsAndTheirNegativeRules) {
  XlsxSectionObjects o = Read(kTable + "!%\n,%r,C%50:2%-1:AA%-9999:4%-12000\n,%r,B2,3:4:7:250:20\n");
  ASSERT_EQ(o.records.size(), 2u);
  EXPECT_EQ(o.records[0].fromCol, 300050);
  EXPECT_EQ(o.records[0].fromRow, 290001);          // '-' adds 90000
  EXPECT_EQ(o.records[0].toCol, 27ll * 100000 + 99999);  // 9999 and more give 99999
  EXPECT_EQ(o.records[0].toRow, 4ll * 100000 + 99999);
  // Rotation stored * 1000000, the adjusts capped at 999 and added (the second * 1000).
  XlsxSectionObjects p = Read(kTable + "!%\nTH,%r,1:1:3:3:45:1200:20\n");
  ASSERT_EQ(p.records.size(), 1u);
  EXPECT_EQ(p.records[0].rotation, 45ll * 1000000 + 999 + 20000);
  // Degrees modulo 360, also for a rotation field with a huge offset.
  XlsxSectionObjects q = Read(kTable + "!%\nTH,%r,1:1:3:3:-30\nTH,%r,1:1:3:3:2099999999999%99999\n");
  ASSERT_EQ(q.records.size(), 2u);
  EXPECT_EQ(q.records[0].rotation, 330ll * 1000000);
  EXPECT_GE(q.records[1].rotation, 0);
  EXPECT_LT(q.records[1].rotation, 360ll * 1000000);
}

TEST(Section, RecordWithoutCodesCoversItsCellsAndRaisesItsKind) {
  XlsxSectionObjects o = Read(kTable + "!%\n,,2:2:3:3\nM,,1:1:2:1\n");
  ASSERT_EQ(o.records.size(), 2u);
  EXPECT_EQ(o.records[0].rec.c[19], '`');  // '_' raised by one
  EXPECT_EQ(o.records[1].rec.c[19], 'N');  // 'M' raised by one
  EXPECT_EQ(o.mergeCount, 1u);
  XlsxObjectLayer layer = Lay(o, 5, 7);
  EXPECT_EQ(Cell(layer, 2, 2), "01");
  EXPECT_EQ(Cell(layer, 3, 3), "01");
  // A merge keeps its cells for the worksheet: not laid.
  EXPECT_EQ(Cell(layer, 1, 1), "O:");
  EXPECT_EQ(layer.shapes[1].fromCol, 1);
}

TEST(Section, The32ndRecordIsTenAndOverlapsAreListedUpTo256) {
  std::string lines;
  for (int i = 1; i <= 32; ++i) lines += ",%r," + std::to_string(i) + ":1\n";
  XlsxSectionObjects o = Read(kTable + "!%\n" + lines, 40);
  ASSERT_EQ(o.records.size(), 32u);
  XlsxObjectLayer layer = Lay(o, 40, 3);
  EXPECT_EQ(Cell(layer, 1, 32), "10");
  EXPECT_EQ(Cell(layer, 1, 31), "0O");
  EXPECT_EQ(GridValue('O', ':'), 1002);

  // 300 one-cell regions on the same cell: the first lays, 256 overlaps listed.
  std::string same;
  for (int i = 0; i < 300; ++i) same += ",%r,1:1\n";
  XlsxSectionObjects s = Read(kTable + "!%\n" + same);
  XlsxObjectLayer l2 = Lay(s, 5, 3);
  ASSERT_EQ(l2.overlaps.size(), 256u);
  EXPECT_EQ(l2.overlaps[0].object, 1u);
  EXPECT_EQ(l2.overlaps[0].row, 1u);
  EXPECT_EQ(l2.overlaps[0].column, 1u);
  EXPECT_EQ(l2.overlaps[255].object, 256u);
  const std::string last{static_cast<char>('0' + 300 / 32), static_cast<char>('0' + 300 % 32)};
  EXPECT_EQ(Cell(l2, 1, 1), last);
}

TEST(Section, FiveHundredRecordsAndThe501stLine) {
  std::string lines;
  for (int i = 0; i < 501; ++i) lines += ",%r,1:1\n";
  XlsxSectionObjects o = Read(kTable + "!%\n" + lines);
  EXPECT_EQ(o.records.size(), 500u);
  EXPECT_EQ(o.linesRefused, 1u);
  // Copies count as records too.
  std::string most;
  for (int i = 0; i < 499; ++i) most += ",%r,1:1\n";
  XlsxSectionObjects c = Read(kTable + "!%\n" + most + ",%r,1:1^2:2^3:3\n");
  EXPECT_EQ(c.records.size(), 500u);
  EXPECT_EQ(c.records[499].fromCol, 1);
  EXPECT_EQ(c.linesRefused, 1u);
}

TEST(Section, CaretCopiesTheRecordForAnotherRange) {
  XlsxSectionObjects o = Read(kTable + "!%\n,L%r,A1:B1^D3:E4^C5\n");
  ASSERT_EQ(o.records.size(), 3u);
  for (const XlsxShapeRecord& r : o.records) {
    EXPECT_EQ(r.rec.c[6], 'r');
    EXPECT_EQ(r.rec.c[0] & 0xFC, 'P');
  }
  EXPECT_EQ(o.records[1].fromCol, 4);
  EXPECT_EQ(o.records[1].toRow, 4);
  EXPECT_EQ(o.records[2].fromCol, 3);
  EXPECT_EQ(o.records[2].toCol, 3);
  EXPECT_EQ(o.records[2].toRow, 5);
  XlsxObjectLayer layer = Lay(o, 5, 7);
  EXPECT_EQ(Cell(layer, 4, 5), "02");
  EXPECT_EQ(Cell(layer, 5, 3), "03");
}

TEST(Section, FormatCodesIntoTheirPositions) {
  XlsxSectionObjects o = Read(kTable + "!%\nuP,CMNi2315#RGBY%RIU7c@3,1:1\nF,cm,1:2:4\n,f,1:1\n,gc,1:1\n");
  ASSERT_EQ(o.records.size(), 4u);
  const auto& r = o.records[0].rec.c;
  EXPECT_EQ(r[0], 'p' | 1);   // centre, middle
  EXPECT_EQ(r[1], 'i');
  EXPECT_EQ(r[2], '2');
  EXPECT_EQ(r[3], '3');
  EXPECT_EQ(r[10], '1');
  EXPECT_EQ(r[11], '5');
  // '@' after the fill puts the next character in 12, over the first '#' letter.
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(r + 12), 4), "3GBY");
  EXPECT_EQ(r[4], 'u');
  EXPECT_EQ(r[5], 'I');       // 'R' then 'I', the later one stays
  EXPECT_EQ(r[7], 2);         // only 'U' adds a flag
  EXPECT_EQ(r[8], '7');
  EXPECT_EQ(r[6], 'c');
  EXPECT_EQ(r[9], 'N');
  EXPECT_TRUE(o.protectedSheet);
  // 'c' sets the high bit of a type already set; 'm' alone sets its own.
  EXPECT_EQ(o.records[1].rec.c[1], 'm' | 0x80);
  EXPECT_EQ(o.records[1].rec.c[19], 'F');
  EXPECT_EQ(o.filterFromColumn, 1u);
  EXPECT_EQ(o.filterRow, 2u);
  EXPECT_EQ(o.filterToColumn, 4u);
  EXPECT_EQ(o.records[2].rec.c[1], '2');  // 'f' without a digit
  EXPECT_EQ(o.records[3].rec.c[1], 'g' | 0x80);
}

TEST(Section, LinesWithoutTheirSeparatorsAndTheSectionEnd) {
  XlsxSectionObjects o = Read(kTable + "!%\n,%r\nnothing\n,%r,1:1\n!#next\n,%r,2:2\n");
  ASSERT_EQ(o.records.size(), 1u);
  EXPECT_EQ(o.records[0].fromCol, 1);
  // Shape and picture lines are handed on and counted.
  XlsxSectionObjects s = Read(kTable + "!%\nLi1A,,1:1:2:2\nImx,,1:1,a.png\npi,,2:2,b.png\nA25,,1:1\n$$\n,%r,1:1\n");
  EXPECT_EQ(s.shapeCount, 4u);
  EXPECT_EQ(s.pictureLines, 2u);
  ASSERT_EQ(s.records.size(), 4u);
  EXPECT_EQ(s.records[0].rec.c[19], 'L');
  EXPECT_EQ(s.records[1].rec.c[19], 'p');
  EXPECT_EQ(s.records[1].rec.c[0], 'p');
  EXPECT_EQ(s.records[1].rec.c[1], 'i');
  EXPECT_EQ(s.records[3].rec.c[19], 'A');
  EXPECT_FALSE(s.hasRegions);
}

// Every text-box code reaches the position the drawing reads.
TEST(Section, TextBoxCodesReachTheDrawingLayout) {
  std::string text;
  XlsxSectionObjects o =
      Read(kTable + "!%\nTHb,CB3A#Q%DJ8BUIx@4,1:1:3:3,note\nTV,R%%BDKc,2:2\n", 5, &text);
  ASSERT_EQ(o.records.size(), 2u);
  const XlsxShapeRecord& b = o.records[0];
  EXPECT_EQ(b.Kind(), 'b');
  EXPECT_EQ(o.shapeCount, 2u);
  EXPECT_EQ(b.rec.c[shapepos::kLineWidth], '3');    // eight line-code characters from 2
  EXPECT_EQ(b.rec.c[shapepos::kLineDash], 'A');
  EXPECT_EQ(b.rec.c[shapepos::kLineColour], 'Q');   // '#': the line colour
  EXPECT_EQ(b.rec.c[shapepos::kFontColour], 'D');
  EXPECT_EQ(b.rec.c[shapepos::kBoxFill], 'x');
  EXPECT_EQ(b.rec.c[shapepos::kBoxAlpha], '4');
  EXPECT_EQ(b.rec.c[shapepos::kSize], '8');
  EXPECT_EQ(b.rec.c[shapepos::kBoxStyle], '_' + (0x10 | 1 | 2 | 4));
  EXPECT_EQ(b.rec.c[shapepos::kBoxAlign], 'p' | 3);  // centred, bottom
  EXPECT_EQ(b.rec.c[shapepos::kAlign], '@');         // the cell alignment stays unset
  ASSERT_GE(b.textPos, 0);
  EXPECT_EQ(text.substr(static_cast<std::size_t>(b.textPos), 4), "note");
  const XlsxShapeRecord& t = o.records[1];
  EXPECT_EQ(t.Kind(), 't');
  EXPECT_EQ(t.rec.c[shapepos::kLineWidth], '0');  // no frame
  EXPECT_EQ(t.rec.c[shapepos::kBoxAlign] & 0xFC, '`');
  EXPECT_EQ(t.rec.c[shapepos::kBoxStyle], '_' + 0x0F);
  EXPECT_EQ(t.rec.c[shapepos::kBoxFill], 'c');
  EXPECT_EQ(t.rec.c[shapepos::kFontColour], 'D');  // the part's first two capitals are colours
  // Text boxes are drawn, never laid on cells.
  XlsxObjectLayer layer = Lay(o, 5, 7);
  EXPECT_EQ(Cell(layer, 1, 1), "O:");
}

TEST(Section, ConditionLineRecordsItsText) {
  std::string text;
  XlsxSectionObjects o = Read(kTable + "!%\n,%r,if:&3=8,&3=nn\n", 5, &text);
  ASSERT_EQ(o.records.size(), 1u);
  EXPECT_TRUE(o.hasConditions);
  EXPECT_EQ(o.records[0].fromCol, kConditionObject);
  EXPECT_EQ(text.substr(static_cast<std::size_t>(o.records[0].fromRow), 4), "&3=8");
}

TEST(Conditions, TextAndCommand) {
  EXPECT_EQ(ConditionText("&3=8", 4), "&3==8");
  EXPECT_EQ(ConditionText("&3==8\x06rest", 10), "&3==8");
  EXPECT_EQ(ConditionText("&3>=8", 5), "&3>=8");
  EXPECT_EQ(ConditionText("&3!=8", 5), "&3!=8");
  EXPECT_EQ(ConditionText("&3=:x", 5), "&3=:x");
  EXPECT_EQ(ConditionText("&3=", 3), "");
  EXPECT_EQ(ConditionCommand("", 0, 3), "&=zz03");
  EXPECT_EQ(ConditionCommand("/x", 2, 12), "&=zz12");
  EXPECT_EQ(ConditionCommand("&4=nn || &5=nn\r\n", 16, 7), "&4=zz07 || &5=zz07");
}

TEST(Merges, OverlappingRangesAreLeftOutAndCounted) {
  XlsxSectionObjects o = Read(kTable + "!%\nM,%r,A1:C1\nM,%r,B1:B2\nM,,D3:E4\nM,%r,E4:E5\nM,%r,A5:B5\n");
  ASSERT_EQ(o.records.size(), 5u);
  const std::vector<XlsxMergeRange> g = XlsxMergeRanges(o.records);
  ASSERT_EQ(g.size(), 3u);
  EXPECT_EQ(g[0].c2, 3u);
  EXPECT_EQ(g[1].c1, 4u);  // the raised 'N' is a merge too
  EXPECT_EQ(g[2].r1, 5u);

  // The worksheet writes the elements it counts.
  csv::Table t;
  const std::string w = Working(kTable);
  ASSERT_TRUE(t.Assign(w.data(), w.size(), 16));
  XlsxSheetLayout L;
  L.endRow = 5;
  L.rowLimit = 6;
  L.columnCount = 5;
  L.objects.shapes = o.records;
  L.mergeCount = o.mergeCount;
  XlsxStyleSlots slots;
  std::string part;
  ASSERT_TRUE(WriteWorksheetText(t, L, slots, &part, nullptr));
  EXPECT_NE(part.find("<mergeCells count=\"3\"><mergeCell ref=\"A1:C1\"/><mergeCell ref=\"D3:E4\"/>"
                      "<mergeCell ref=\"A5:B5\"/></mergeCells>"),
            std::string::npos)
      << part;
}

TEST(Grid, SixtyFourBitSizesAndCellsOutsideTheGrid) {
  EXPECT_EQ(GridLaidBytes(16384, 1048578), (3ull * 16384 + 4) * 1048578);
  XlsxObjectLayer layer;
  ASSERT_TRUE(XlsxBuildGrid(layer, 3, 4));
  GridMark(layer, 5, 1, 1);  // past the rows
  GridMark(layer, 1, 4, 1);  // past the columns
  GridMark(layer, 1, 1, 1000);  // cannot be named
  for (std::uint64_t line = 0; line < 4; ++line)
    for (std::uint64_t c = 0; c < 4; ++c) {
      const std::uint64_t at = line * GridLineBytes(3) + 3 * c;
      EXPECT_EQ(layer.grid[at], 'O') << at;
    }
  // A region far below the grid writes nothing and still counts as laid.
  XlsxShapeRecord r = NewFormatRecord('_', '4');
  r.rec.c[6] = 'r';
  r.fromCol = 1;
  r.fromRow = 30000;
  r.toCol = 2;
  r.toRow = 3000000000ll;
  layer.shapes.push_back(r);
  XlsxLayRegions(layer);
  EXPECT_EQ(layer.shapes[0].fromCol, kLaidObject);
}

// --- the whole sheet step ---

class Host : public XlsxRunHost {
 public:
  std::vector<std::string> messages;
  int ReportMessage(int code, const CString& text) override {
    messages.push_back(std::to_string(code) + " " + text.Str());
    return 1;
  }
  void ShowMessage(const CString& text) override { messages.push_back(text.Str()); }
  CString CannotOpenText(const CString& path) override { return path; }
  int CreateArchive(const CString&, const std::vector<CString>&, const CString&) override { return -1; }
  bool AskMakeWritable(const CString&) override { return false; }
  void ShowWriteProtected(const CString&) override {}
};

// The CSV selection of the program on the step's table.
class RealSelector : public XlsxConditionSelector {
 public:
  int calls = 0;
  int Select(csv::Table& table, const CString& condition, const CString& command) override {
    ++calls;
    macro::CsvSelectScope scope{*state, nullptr, table};
    return macro::MacroCsvSelectCommands(scope, condition, command, 1);
  }
  std::unique_ptr<macro::MacroState> state = std::make_unique<macro::MacroState>();
};

// Records the calls and marks column 2 of every row with the marker.
class FakeSelector : public XlsxConditionSelector {
 public:
  std::vector<std::string> conditions, commands;
  std::vector<std::uint32_t> fieldCounts, titleLines;
  int Select(csv::Table& table, const CString& condition, const CString& command) override {
    conditions.push_back(condition.Str());
    commands.push_back(command.Str());
    fieldCounts.push_back(table.m_nFieldCount);
    titleLines.push_back(table.m_nCurLine);
    return 0;
  }
};

struct Sheet {
  csv::Table view;
  XlsxRun run;
  Host host;
  explicit Sheet(const std::string& csvText) {
    const std::string w = Working(csvText);
    EXPECT_TRUE(view.Assign(w.data(), w.size(), 64));
    const char* text = reinterpret_cast<const char*>(view.m_pTextBuf);
    run.Clear();
    XlsxPreScan(text, view.m_nTextLen, run);
    XlsxReadSheetModel(view, text, view.m_nTextLen, 1, run);
  }
  std::string ViewBytes() const {
    return std::string(reinterpret_cast<const char*>(view.m_pTextBuf), view.m_nWorkSize);
  }
  std::string Cell(std::uint64_t r, std::uint64_t c) const { return ::Cell(run.XlsxObjects, r, c); }
};

const std::string kAmounts = "name,amount,note\nA,500,x\nB,1500,y\nC,2500,z\nD,50,w\n";

TEST(ConditionStep, RealSelectionMarksTheSelectedCellsAndLeavesTheViewAlone) {
  Sheet s(kAmounts + "!%\n,%r,if:&2>#(1000),&2=nn\n,%b,A1:C1\n");
  const std::string before = s.ViewBytes();
  const std::uint32_t len = s.view.m_nTextLen, fields = s.view.m_nFieldCount;
  const std::int32_t last = s.view.m_nLastRow;
  const std::uint8_t* buf = s.view.m_pTextBuf;
  RealSelector sel;
  ASSERT_EQ(XlsxSheetFormatSection(s.run, s.view, s.host, &sel), 0);
  EXPECT_EQ(sel.calls, 1);
  EXPECT_EQ(s.Cell(3, 2), "01");
  EXPECT_EQ(s.Cell(4, 2), "01");
  EXPECT_EQ(s.Cell(2, 2), "O:");
  EXPECT_EQ(s.Cell(5, 2), "O:");
  EXPECT_EQ(s.Cell(1, 1), "02");
  EXPECT_EQ(s.Cell(1, 3), "02");
  EXPECT_EQ(s.ViewBytes(), before);
  EXPECT_EQ(s.view.m_pTextBuf, buf);
  EXPECT_EQ(s.view.m_nTextLen, len);
  EXPECT_EQ(s.view.m_nFieldCount, fields);
  EXPECT_EQ(s.view.m_nLastRow, last);
  EXPECT_TRUE(s.host.messages.empty());
}

TEST(ConditionStep, EmptyCommandFieldMarksWithTheMarkerAssignment) {
  Sheet s(kAmounts + "!%\n,%r,1:1\n,%r,if:&2=500\n");
  FakeSelector sel;
  ASSERT_EQ(XlsxSheetFormatSection(s.run, s.view, s.host, &sel), 0);
  ASSERT_EQ(sel.commands.size(), 1u);
  EXPECT_EQ(sel.commands[0], "&=zz02");
  EXPECT_EQ(sel.conditions[0], "&2==500");
  EXPECT_EQ(sel.fieldCounts[0], 3u);
  EXPECT_EQ(sel.titleLines[0], 1u);
}

TEST(ConditionStep, GridOnlyForRegionsOrConditions) {
  Sheet s(kAmounts + "!%\nM,%r,A1:B1\nLi1,,1:1:2:2\n");
  FakeSelector sel;
  fw::alloctest::Reset();
  ASSERT_EQ(XlsxSheetFormatSection(s.run, s.view, s.host, &sel), 0);
  EXPECT_TRUE(s.run.XlsxObjects.grid.empty());
  EXPECT_EQ(s.run.XlsxObjects.shapes.size(), 2u);
  EXPECT_EQ(s.run.XlsxMergeCount, 1u);
  fw::alloctest::Reset();
}

TEST(ConditionStep, EveryFailedAllocationGivesMinusOneWith152AndTheViewUntouched) {
  int failures = 0;
  for (long n = 1;; ++n) {
    Sheet s(kAmounts + "!%\n,%r,if:&2>#(1000),&2=nn\n,%b,A1:C1\n");
    const std::string before = s.ViewBytes();
    FakeSelector sel;
    fw::alloctest::Reset();
    fw::alloctest::FailAt(n);
    const int r = XlsxSheetFormatSection(s.run, s.view, s.host, &sel);
    const long failed = fw::alloctest::Failed();
    fw::alloctest::Reset();
    EXPECT_EQ(s.ViewBytes(), before);
    if (failed == 0) {
      EXPECT_EQ(r, 0);
      break;
    }
    ++failures;
    EXPECT_EQ(r, -1) << n;
    ASSERT_EQ(s.host.messages.size(), 1u);
    const std::string& m = s.host.messages[0];
    EXPECT_TRUE(m.find("  abuff#=") != std::string::npos || m.find("  fbuff#=") != std::string::npos) << m;
    EXPECT_NE(m.find(std::to_string(s.view.m_nTextLen) + " "), std::string::npos) << m;
    EXPECT_TRUE(s.run.XlsxObjects.grid.empty());
  }
  EXPECT_GE(failures, 2);  // the grid and the step's table
}

TEST(ConditionStep, SectionFilterAndProtectionReachTheRun) {
  Sheet s(kAmounts + "!%\nFP,,A1:C1\n");
  ASSERT_EQ(XlsxSheetFormatSection(s.run, s.view, s.host, nullptr), 0);
  EXPECT_TRUE(s.run.XlsxSheetProtected);
  EXPECT_EQ(s.run.XlsxFilterRow[1], 1u);
  EXPECT_EQ(s.run.XlsxFilterColumns[1], 3u);
}

}  // namespace

namespace {

TEST(ConditionStep, TheStepTableStartsAtTheSheetsTitleLine) {
  Sheet s("Sales,,\nname,amount,note\nA,500,x\n!%\n,%r,if:&2=500\n");
  FakeSelector sel;
  ASSERT_EQ(XlsxSheetFormatSection(s.run, s.view, s.host, &sel), 0);
  ASSERT_EQ(sel.titleLines.size(), 1u);
  EXPECT_EQ(sel.titleLines[0], s.run.sheet.bounds.titleRow) << s.view.m_aSecLine[1];
}

}  // namespace

namespace {

// A '%' colour letter takes the size digit of the from-column's format
// entry (read once the positions are known); a digit in the part wins.
TEST(Section, ColourLetterTakesTheFromColumnsSizeDigit) {
  std::vector<XlsxFormatRecord> columns(6);
  columns[3].c[8] = '7';
  static std::string text;
  text = Working(kTable + "!%\n,%R,3:1\n,%R5,3:1\n,%R,2:1\n,%r,3:1\n");
  XlsxSectionInput in;
  in.text = text.data();
  in.length = text.size();
  in.sectionStart = text.find("!%");
  in.columnFormats = &columns;
  XlsxSectionObjects o;
  XlsxReadSectionLines(in, o);
  ASSERT_EQ(o.records.size(), 4u);
  EXPECT_EQ(o.records[0].rec.c[8], '7');
  EXPECT_EQ(o.records[1].rec.c[8], '5');
  EXPECT_EQ(o.records[2].rec.c[8], '4');  // the entry has none: the sheet's digit
  EXPECT_EQ(o.records[3].rec.c[8], '4');  // a fill letter alone takes nothing
}

}  // namespace
