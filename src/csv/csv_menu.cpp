// The CSV menu's dispatch.
#include "csv/csv_menu.h"

#include "csv/csv_colcmd.h"

namespace csv {
namespace {

constexpr int kRichTextKind = 4;

struct MenuRow {
  unsigned id;
  int code;
  char letter;  // in a rich-text view; 0: the code there too
};

constexpr MenuRow kMenuRows[] = {
    {33036, kColDeleteColumn, 'R'}, {33037, kColInsertColumn, 'E'}, {33050, kColDeleteRows, 'K'},
    {33051, kColInsertRow, 'J'},    {33068, kColCutTrailing, 0},    {33069, kColCutLeading, 0},
    {33071, kColCutQuotes, 0},      {33072, kColAddQuotes, 0},
};

}  // namespace

CsvMenuTarget CsvMenuTargetOf(unsigned id, int fileKind) {
  CsvMenuTarget t;
  for (const MenuRow& r : kMenuRows) {
    if (r.id != id) continue;
    if (fileKind == kRichTextKind && r.letter != 0)
      t.tableLetter = r.letter;
    else
      t.code = r.code;
    break;
  }
  return t;
}

}  // namespace csv
