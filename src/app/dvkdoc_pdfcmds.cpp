// The two word-spacing commands of a shown PDF: the step is decided by
// convert::StepPdfWordGap; here the settings change, are stored, and the file
// is shown again.
#include "app/dvkdoc.h"
#include "convert/pdf_wordgap.h"
#include "core/docsvc/filekind.h"
#include "fw/cmdui.h"

void CDvkDoc::OnPdfNarrow() { StepPdfWordGap(false); }

void CDvkDoc::OnPdfWiden() { StepPdfWordGap(true); }

void CDvkDoc::StepPdfWordGap(bool widen) {
  const convert::PdfWordGap g = convert::StepPdfWordGap(m_nPdfWidthAdjust, m_nPdfTdAdjust, widen);
  m_nPdfWidthAdjust = g.widthAdjust;
  m_nPdfTdAdjust = g.tdAdjust;
  if (g.changed) {
    SaveInfSettings();
    if (!m_strCurFile.IsEmpty()) OpenFile(m_strCurFile, docopen::OpenMode::kShowAgain);
  }
  // After the new showing, which writes its own progress texts.
  ShowStatusText(g.status);
}

void CDvkDoc::OnUpdatePdfWordGap(CCmdUI* ui) {
  ui->Enable(m_nFileKind == docsvc::kKindPdf && !m_strCurFile.IsEmpty());
}
