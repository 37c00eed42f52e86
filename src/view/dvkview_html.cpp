// Command 33232: the CSV table saved as one HTML page beside the list side's
// file. The page itself is the export's HTML mode (export/html/html_run.h).
#include <windows.h>

#include "core/docsvc/pathpart.h"
#include "fw/cmdui.h"
#include "host/doc_host.h"
#include "view/dvkview.h"

void CDvkView::OnUpdateSaveCsvAsHtml(CCmdUI* ui) {
  ui->Enable(m_nFileKind == 33 && m_nEditMode != 3 && m_nSourceView == 0);
}

void CDvkView::OnSaveCsvAsHtml() {
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  app::DocPathFields& paths = doc->PathFields();
  const CString listFile = paths.m_nActiveSide == 1 ? paths.m_strPath1 : paths.m_strPath2;
  const CString name = GetPathPart(m_strViewPath, 2) + ".html";
  m_strStmtOperand = GetPathPart(listFile, 3) + "\\" + name;
  // The name is derived, not chosen: a page already there is asked about.
  if (doc->ConfirmOverwrite(m_strStmtOperand) == 0) return;
  XlsxWritePackage('H');
  doc->RedrawAllViews();
}
