// The spreadsheet export's entries: thin members over export/xlsx. The run
// gets a small host: messages through ReportMessage and the message box, the
// document's archive writer in the scratch tree (the current folder put back
// on every path), the delivery's questions.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "export/excel_entry.h"
#include "export/handover/handover_text.h"
#include "export/html/html_run.h"
#include "export/xlsx/xlsx_delivery.h"
#include "export/xlsx/xlsx_export.h"
#include "fw/msgbox.h"
#include "fw/path.h"
#include "host/doc_host.h"
#include "macro/macro_number.h"
#include "macro/macro_state.h"
#include "res/resource.h"
#include "view/dvkview.h"
#include "view/xlsx_run_host.h"

void CDvkView::RefreshExportTable(app::DocHost* doc) {
  // The table read fresh from the document, the load state as it was.
  if (m_nFileKind == 4) return;
  app::DocUpdateFields& up = doc->UpdateFields();
  const std::int32_t loadState = up.m_nLoadState;
  up.m_nUpdateCode = app::UpdateCode::kContent;
  up.m_nLoadState = 99;
  OnUpdate(nullptr, 0, nullptr);
  up.m_nLoadState = loadState;
}

int CDvkView::XlsxWritePackage(unsigned char mode) {
  if (mode != 0 && mode != 'H') return -1;
  app::DocHost* doc = GetDocument();
  if (!doc) return -1;
  RefreshExportTable(doc);
  std::unique_ptr<xlsx::XlsxRun> run;
  try {
    run = std::make_unique<xlsx::XlsxRun>();
  } catch (const std::bad_alloc&) {
    ReportMessage(155, CString());
    return -1;
  }
  xlsx::XlsxRunInput in;
  in.table = &m_table;
  in.programDir = doc->PathFields().m_strProgramDir;
  in.target = m_strStmtOperand;
  in.macroDir = Macro().m_strMacroDir();
  in.tablePath = Macro().m_strTablePath;
  in.colourBarColumn = m_nColourBarColumn > 0 ? static_cast<std::uint32_t>(m_nColourBarColumn) : 0;
  in.colourBarChars = m_pColourBarChars;
  in.colourBarCodes = m_pColourBarCodes;
  in.curLine = m_table.m_nCurLine;
  view::ViewRunHost host(*this, doc);
  try {
    return mode == 'H' ? htmlexport::XlsxWriteHtmlRun(*run, in, host) : xlsx::XlsxWritePackageRun(*run, in, host);
  } catch (const std::bad_alloc&) {
    ReportMessage(155, CString());
    return -1;
  }
}

int CDvkView::ExportToExcel(CString templateArg, int mode, int show) {
  app::DocHost* doc = GetDocument();
  if (!doc) return -1;
  // A sheet number after ':' at the template's end.
  int sheet = 0;
  CString suffix;
  if (handover::SplitSheetSuffix(&templateArg, &suffix)) sheet = macro::MacroReadNumber(suffix, 7);
  const CString operand = m_strStmtOperand;
  const app::DocPathFields& paths = doc->PathFields();
  const CString folder = paths.m_nActiveSide == 1 ? paths.m_strListDir1 : paths.m_strListDir2;
  m_strStmtOperand = exportcore::ExcelExportTarget(m_strStmtOperand, Macro().m_strDocStem, templateArg, folder);
  switch (mode) {
    case 4:
      return XlsxWritePackage(0);
    case 5:
      return MergeSheetsIntoWorkbook(templateArg);
    default:
      return ExportByHandover(templateArg, mode, show, sheet, operand);
  }
}

int CDvkView::DeliverPatternBook(const std::string& bytes) {
  view::ViewRunHost host(*this, GetDocument());
  return xlsx::XlsxDeliverBytes(bytes, m_strStmtOperand, host) == xlsx::XlsxDelivery::kDone ? 0 : -1;
}
