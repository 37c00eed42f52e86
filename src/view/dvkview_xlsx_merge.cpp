// The merge of the table's blocks into an existing workbook: a thin member
// over export/merge with the export's host.
#include <windows.h>

#include <memory>

#include "export/merge/merge_run.h"
#include "host/doc_host.h"
#include "view/dvkview.h"
#include "view/xlsx_run_host.h"

int CDvkView::MergeSheetsIntoWorkbook(CString workbook) {
  app::DocHost* doc = GetDocument();
  if (!doc) return -1;
  RefreshExportTable(doc);
  merge::MergeRunInput in;
  in.workbookAsGiven = workbook;
  in.workbook = MacroExpandParameters(workbook);
  in.text = reinterpret_cast<const char*>(m_table.m_pTextBuf);
  in.textLen = m_table.m_pTextBuf ? m_table.m_nTextLen : 0;
  in.programDir = doc->PathFields().m_strProgramDir;
  in.target = m_strStmtOperand;
  view::ViewRunHost host(*this, doc);
  std::unique_ptr<merge::MergeRun> run;
  try {
    run = std::make_unique<merge::MergeRun>();
  } catch (const std::bad_alloc&) {
    ReportMessage(155, CString());
    return -1;
  }
  return run->Run(in, host);
}
