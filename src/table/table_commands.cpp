#include "table/table_commands.h"

namespace table {

namespace {

// Codes of the edit path come with the table editing; until their path is
// there they run the final steps only.
const TableCommandRow kCommands[] = {
    {'1', TablePath::kEdit, false, "bottom ruled line of the caret row: none, thin, thick"},
    {'2', TablePath::kEdit, false, "top ruled line of the caret row: none, thin, thick"},
    {'3', TablePath::kEdit, false, "left vertical line of the caret cell"},
    {'4', TablePath::kEdit, false, "right vertical line of the caret cell"},
    {'5', TablePath::kEdit, false, "erase the line over the whole column"},
    {'6', TablePath::kEdit, false, "restore the line over the whole column"},
    {'7', TablePath::kEdit, false, "line marks of the selection to ',' marks"},
    {'8', TablePath::kEdit, false, "',' marks of the selection back to line marks"},
    {'9', TablePath::kEdit, false, "no operation of its own"},
    {'0', TablePath::kEdit, false, "remove a thin-line paragraph"},
    {'E', TablePath::kEdit, false, "insert a column at the caret"},
    {'R', TablePath::kEdit, false, "delete the caret column"},
    {'I', TablePath::kEdit, false, "split the caret column"},
    {'U', TablePath::kEdit, false, "join the caret column with the next"},
    {'J', TablePath::kEdit, false, "insert a row"},
    {'K', TablePath::kEdit, false, "delete the caret row"},
    {kKeyLeft, TablePath::kEdit, false, "caret column narrower"},
    {kKeyUp, TablePath::kEdit, false, "caret row lower"},
    {kKeyRight, TablePath::kEdit, false, "caret column wider"},
    {kKeyDown, TablePath::kEdit, false, "caret row higher"},
    {'e', TablePath::kConvert, true, "TAB-separated lines into the ruled form"},
    {'f', TablePath::kConvert, true, "'|'-separated lines into the ruled form"},
    {'D', TablePath::kRebuild, true, "the ruled table from the CSV buffer, streamed in"},
    {'T', TablePath::kRebuild, true, "the ruled table's rich text, left in the document's buffer"},
    {'d', TablePath::kRebuild, true, "the ruled table for the cell formatter (one more column)"},
    {'N', TablePath::kRebuild, true, "a new table in the simple form, streamed in at the caret"},
    {'P', TablePath::kPdf, false, "the table as a PDF file"},
};

}  // namespace

const TableCommandRow* TableCommands(std::size_t* count) {
  if (count) *count = sizeof kCommands / sizeof kCommands[0];
  return kCommands;
}

const TableCommandRow* FindTableCommand(int code) {
  for (const TableCommandRow& r : kCommands)
    if (r.code == code) return &r;
  return nullptr;
}

TableCommandPlan PlanTableCommand(int cmd, int cellOnly, int firstLine, int lastLine, int count,
                                  std::uint32_t fileKind, std::uint32_t editMode, std::uint32_t shiftHeld) {
  TableCommandPlan p;
  p.cmd = cmd;
  p.count = count == 0 ? 1 : count;
  p.cellOnly = shiftHeld == 1 ? 1 : cellOnly;
  p.firstLine = firstLine;
  p.lastLine = lastLine;
  const TableCommandRow* row = FindTableCommand(cmd);
  if (!row || !row->built) return p;
  // 'D' on a view that already shows rich text re-lays the shown table
  // (the RTF line builder of the table editing); until it is there, the
  // final steps only.
  if (cmd == 'D' && fileKind == kKindRichText) return p;
  // The conversions work on the rich text the control shows: on any other
  // view they change nothing.
  if (row->path == TablePath::kConvert && fileKind != kKindRichText) return p;
  p.path = row->path;
  if (p.path != TablePath::kRebuild) return p;
  p.streamIn = cmd != 'T';
  p.replaceNothing = cmd == 'N';
  // The ruled display shows one page of the table: its rows replace the
  // whole text. Elsewhere a line range replaces those lines.
  p.replaceAll = !p.replaceNothing && ((firstLine == 0 && lastLine == 0) || editMode == kRuledTableMode);
  return p;
}

}  // namespace table
