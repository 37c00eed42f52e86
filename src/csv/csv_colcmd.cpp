// The column commands' map, cell and block arithmetic, narrowing statements
// and the texts of the totals and of the column and row commands. The check
// and mark conversions are in csv_colcmd_checks.cpp.
#include "csv/csv_colcmd.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace csv {
namespace {

std::string Printf(const char* format, ...) {
  char buf[160];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(buf, sizeof buf, format, args);
  va_end(args);
  if (n < 0) return std::string();
  return std::string(buf, static_cast<std::size_t>(std::min<int>(n, sizeof buf - 1)));
}

struct IdCode {
  unsigned id;
  int code;
};

// The commands that reach the column command executor.
constexpr IdCode kIdCodes[] = {
    {33097, kColNarrowSelect},   {33099, kColUndoSelect},      {33103, kColNarrowDelete},
    {33107, kColTotal},          {33068, kColCutTrailing},     {33069, kColCutLeading},
    {33071, kColCutQuotes},      {33072, kColAddQuotes},       {33108, kColItemTotals},
    {33104, kColFindInColumn},   {33109, kColThousands},       {33036, kColDeleteColumn},
    {33037, kColInsertColumn},   {33050, kColDeleteRows},      {33051, kColInsertRow},
    {33119, kColCheckToMark},    {33120, kColCheckedTotal},    {33148, kColMarkToCheck},
    {33149, kColClearChecks},    {33152, kColNarrowCheck},     {33110, kColAddQuotesMenu},
    {33111, kColCutQuotesMenu},  {33112, kColCutLeadingMenu},  {33113, kColCutTrailingMenu},
    {33195, kColAlignRight},     {33196, kColAlignLeft},       {33197, kColAlignCentre},
    {33207, kColTitleRow},       {33208, kColTitleRow},
};

struct CodeFunction {
  int code;
  const char* function;
};

constexpr CodeFunction kCodeFunctions[] = {
    {kColCutTrailing, "CR"},     {kColCutLeading, "CS"},     {kColCutQuotes, "CQ"},
    {kColAddQuotes, "AQ"},       {kColThousands, "AC"},      {kColAddQuotesMenu, "AQ"},
    {kColCutQuotesMenu, "CQ"},   {kColCutLeadingMenu, "CS"}, {kColCutTrailingMenu, "CR"},
    {kColAlignRight, "RA"},      {kColAlignLeft, "LA"},      {kColAlignCentre, "MA"},
};

int FirstShownColumn(const ColumnCommandPlace& place) { return static_cast<int>(place.columnPageWord & 0xFFFFu); }

bool IsNarrowCode(int code) {
  return code == kColNarrowSelect || code == kColNarrowDelete || code == kColNarrowCheck;
}

// Every occurrence of `from` in `s` replaced by `to`, left to right in one
// pass (a replacement is not searched again).
std::string ReplaceAll(const std::string& s, const std::string& from, const std::string& to) {
  std::string out;
  std::size_t at = 0;
  for (;;) {
    const std::size_t hit = s.find(from, at);
    if (hit == std::string::npos) break;
    out.append(s, at, hit - at);
    out += to;
    at = hit + from.size();
  }
  out.append(s, at, std::string::npos);
  return out;
}

bool IsCompareOp(char c) { return c == '>' || c == '<' || c == '=' || c == '!'; }

// One part of the condition as the test of "&N" it stands for (the text
// after "&N").
std::string PartTest(const std::string& part) {
  if (part.empty()) return "==NULL";
  if (part == "\"\"") return "==\"\"";
  if (part == "NULL") return "==NULL";
  if (part == "NULLQ") return "==NULLQ";
  const char c0 = part[0];
  const char c1 = part.size() > 1 ? part[1] : '\0';
  const char c2 = part.size() > 2 ? part[2] : '\0';
  if (IsCompareOp(c0) && c1 == '=' && c2 == '#') return std::string(1, c0) + "=#(" + part.substr(3) + ")";
  if (IsCompareOp(c0) && c1 == '=') return part;
  if (IsCompareOp(c0) && c1 == '#') return std::string(1, c0) + "#(" + part.substr(2) + ")";
  if (c0 == '=' || c0 == '!') return std::string(1, c0) + "=" + part.substr(1);
  if (c0 == '>' || c0 == '<') return std::string(1, c0) + "$" + part.substr(1);
  return "=:" + part;
}

}  // namespace

int ColumnCommandCode(unsigned id) {
  for (const IdCode& e : kIdCodes)
    if (e.id == id) return e.code;
  return -1;
}

const char* ColumnCommandFunction(int code) {
  for (const CodeFunction& e : kCodeFunctions)
    if (e.code == code) return e.function;
  return nullptr;
}

bool IsCellFunctionCode(int code) {
  return (code >= kColCutTrailing && code <= kColAddQuotes) || code == kColThousands ||
         (code >= kColAddQuotesMenu && code <= kColAlignCentre);
}

// ---------------------------------------------------------------------------

bool TitleLineHasXlsShift(const std::uint8_t* text, std::uint32_t len, int titleLine, int editMode) {
  if (editMode != 3 || titleLine <= 1 || text == nullptr) return false;
  // The start of line titleLine - 1 (1-based): past titleLine - 2 line feeds.
  std::uint32_t p = 0;
  for (int lf = 0; lf < titleLine - 2; ++lf) {
    while (p < len && text[p] != '\n') ++p;
    if (p >= len) return false;
    ++p;
  }
  auto at = [&](std::uint32_t i) -> std::uint8_t { return i < len ? text[i] : 0; };
  if (at(p) == '!' && at(p + 1) == '#') p += 2;
  if (at(p) != 'X' || at(p + 1) != 'L') return false;
  p += 2;
  if (at(p) == 'x') {
    // "XLx...#S": the text up to the next '#' or control byte, then 'S'
    // after the '#'.
    ++p;
    while (p < len && text[p] != '#' && text[p] >= 0x20) ++p;
    if (at(p) != '#') return false;
    return at(p + 1) == 'S';
  }
  if (at(p) < 0x20) return false;
  return at(p + 1) == 'S';
}

void ApplyXlsShift(ColumnCommandPlace* place) {
  ++place->curRow;
  ++place->anchorRow;
  place->xlsShift = true;
}

CommandCell CommandCellOf(const ColumnCommandPlace& place, int code) {
  CommandCell cell;
  cell.dialogColumn = place.curColumn + 1 + FirstShownColumn(place);
  if (place.editMode == 3 && IsNarrowCode(code)) --cell.dialogColumn;
  cell.column = cell.dialogColumn;
  cell.row = place.curRow + place.pageLineBase;
  if (place.editMode == 3) {
    cell.column = place.curColumn;
    cell.row = (code == kColDeleteColumn || code == kColInsertColumn) ? place.titleLine + 2 : place.curRow;
  }
  return cell;
}

CellBlock CommandBlock(const ColumnCommandPlace& place) {
  CellBlock b;
  const int first = FirstShownColumn(place);
  b.c1 = std::min(place.anchorColumn, place.curColumn) + 1 + first;
  b.c2 = std::max(place.anchorColumn, place.curColumn) + 1 + first;
  b.r1 = std::min(place.anchorRow, place.curRow) + 1 + place.pageLineBase;
  b.r2 = std::max(place.anchorRow, place.curRow) + 1 + place.pageLineBase;
  b.oneCell = place.anchorColumn == place.curColumn && place.anchorRow == place.curRow;
  return b;
}

CellBlock FunctionBlock(const ColumnCommandPlace& place) {
  CellBlock b = CommandBlock(place);
  const bool wholeColumn = b.oneCell || (b.r1 == b.r2 && b.r1 == place.titleLine);
  if (wholeColumn) {
    b.r1 = place.titleLine + 1;
    b.r2 = place.lastRow + 1;
  }
  return b;
}

// ---------------------------------------------------------------------------

std::string RewriteNarrowCondition(const std::string& condition) {
  std::string s;
  if (condition == "=U") {
    s = "=&UC||=&DC";
  } else if (condition == "!U") {
    s = "!=&UC";
  } else {
    s = ReplaceAll(condition, "=U ", "(=&UC||=&DC)");
    s = ReplaceAll(s, "!U ", "(!=&UC)");
  }
  if (s.empty()) s = "NULL";
  s = ReplaceAll(s, " ||", "||");
  s = ReplaceAll(s, "|| ", "||");
  s = ReplaceAll(s, " &&", "&&");
  s = ReplaceAll(s, "&& ", "&&");
  return s;
}

std::string BuildNarrowCommand(const std::string& condition, int column) {
  const std::string n = "&" + std::to_string(column);
  std::string s = RewriteNarrowCondition(condition);
  std::string out;
  std::size_t at = 0;  // s is used up from here
  while (at < s.size()) {
    while (at < s.size() && s[at] == '(') {
      out += '(';
      ++at;
    }
    std::size_t end = s.size();
    const char* joiner = nullptr;
    if (s.compare(at, 2, "||") != 0 && s.compare(at, 2, "&&") != 0) {
      const std::size_t orAt = s.find("||", at);
      const std::size_t andAt = s.find("&&", at);
      if (orAt != std::string::npos && (andAt == std::string::npos || orAt < andAt)) {
        end = orAt;
        joiner = " || ";
      } else if (andAt != std::string::npos) {
        end = andAt;
        joiner = " && ";
      }
    }
    out += n;
    out += PartTest(s.substr(at, end - at));
    if (joiner == nullptr) break;
    out += joiner;
    at = end + 2;
  }
  return out;
}

const char* NarrowOperand(int code) {
  switch (code) {
    case kColNarrowSelect: return "&SL";
    case kColNarrowDelete: return "&KL";
    case kColNarrowCheck: return "&CKL";
    default: return "";
  }
}

// ---------------------------------------------------------------------------

TotalStatement ColumnTotalStatement(const ColumnCommandPlace& place, const CellBlock& block) {
  TotalStatement t;
  // The ruled display shows a row-head column first: table columns are one lower.
  const int shift = place.editMode == 3 ? 1 : 0;
  const int c1 = block.c1 - shift;
  const int c2 = block.c2 - shift;
  const std::int64_t columns = static_cast<std::int64_t>(block.c2) - block.c1 + 1;
  const std::int64_t rows = static_cast<std::int64_t>(block.r2) - block.r1 + 1;
  if (block.oneCell) {
    t.address = Printf("&%d#SUM@%d_%d", c1, place.titleLine + 1, place.lastRow + 1);
    t.count = static_cast<std::int64_t>(place.lastRow) - place.titleLine + 1;
    t.header = Printf("clmn\t%d\nline\t%d - %d\n", c1, place.titleLine + 1, place.lastRow + 1);
  } else if (block.c1 == block.c2) {
    t.address = Printf("&%d#SUM@%d_%d", c1, block.r1, block.r2);
    t.count = rows;
    t.header = Printf("clmn\t%d\nline\t%d - %d\n", c1, block.r1, block.r2);
  } else if (block.r1 == block.r2) {
    t.address = Printf("&1@%d#SUM%d_%d", block.r1, c1, c2);
    t.count = columns;
    t.header = Printf("clmn\t%d - %d\nline\t%d\n", c1, c2, block.r1);
  } else {
    t.address = Printf("#(<<&%d-%d@%d-%d|&@+>>)", c1, c2, block.r1, block.r2);
    t.count = columns * rows;
    t.header = Printf("clmn\t%d - %d\nline\t%d - %d\n", c1, c2, block.r1, block.r2);
  }
  return t;
}

std::string TotalMessage(const std::string& header, const std::string& total, const std::string& count) {
  std::string bare;
  for (char ch : total)
    if (ch != '"') bare += ch;
  return header + "\ntotal\t" + bare + "  \nnumber\t" + count + "  ";
}

const char kCheckedTotalCommand[] = "&1#CK==1";

std::string CheckedTotalOperand(int column) {
  return Printf("&D10==&%d || &D171==#(&D171+&D10) || &D172==#(&D172+1)", column);
}

std::string CheckedTotalHeader(int column) { return Printf("clmn\t%d\nline\t[X] = 1 \n", column); }

// ---------------------------------------------------------------------------

ItemTotalsPlan PlanItemTotals(int anchorColumn, int column, int titleLine, int lastRow) {
  ItemTotalsPlan p;
  p.twoColumns = anchorColumn != column;
  p.markCommand = "&1L+N\\;M=";
  p.markOperand = "1\\;-1";
  p.columnOrder = p.twoColumns ? Printf("%d,%d,*", anchorColumn + 2, column + 2) : Printf("%d,*", column + 2);
  // Half the last row, rounded down.
  const int half = lastRow >= 0 ? lastRow / 2 : (lastRow - 1) / 2;
  p.wordFilter = Printf(p.twoColumns ? "&5_@%d#NWD@%d_%d>$#%d" : "&4_@%d#NWD@%d_%d>$#%d", titleLine, titleLine + 1,
                        lastRow + 1, half);
  p.wordFilterOperand = "&KR";
  if (p.twoColumns) {
    p.sortKeys[0] = 2;
    p.sortKeys[1] = 1;
    p.sortKeyCount = 2;
  } else {
    p.sortKeys[0] = 1;
    p.sortKeys[1] = 0;
    p.sortKeyCount = 1;
  }
  p.crossMode = p.twoColumns ? 2 : 1;
  p.deleteList = p.twoColumns ? "4" : "3";
  return p;
}

// ---------------------------------------------------------------------------

std::string DeleteColumnList(int column) { return Printf("%d", column); }

InsertColumnStatement PlanInsertColumn(int column, int fieldCount) {
  InsertColumnStatement s;
  const std::string title = Printf("A%03d=", column);
  s.command = column > fieldCount ? Printf("&%dR+", column - 1) + title : Printf("&%dL+", column) + title;
  s.operand = "\" \"";
  s.columnOne = column == 1;
  return s;
}

const char kColumnOneStatement[] = "\t&2#RG1=^\t&1=&1+^+&2#RGA^^\r\n";

std::string DeleteRowsList(int row, int extraLines) {
  if (extraLines > 0) return Printf("%d-%d", row + 1, row + 1 + extraLines);
  return Printf("%d", row + 1);
}

InsertRowPlan PlanInsertRow(int row, bool atLineStart, int lastRow, int editMode) {
  // The ruled display's row r stands one below the table's row.
  int r = editMode == 3 ? row - 1 : row;
  if (r < 0) r = 0;
  InsertRowPlan p;
  p.caretDown = !atLineStart;
  const int end = lastRow + 1 > 0 ? lastRow + 1 : 0;  // rows in the table
  if (atLineStart && r >= lastRow && lastRow >= 0) {
    // On the last row mode 1 with row 0 puts the new row before it.
    p.mode = 1;
    p.row = 0;
    p.newRow = static_cast<std::uint32_t>(lastRow);
    return p;
  }
  p.mode = 2;
  p.row = atLineStart ? r : r + 1;  // after the first `row` rows
  p.newRow = static_cast<std::uint32_t>(std::min(p.row, end));
  return p;
}

}  // namespace csv
