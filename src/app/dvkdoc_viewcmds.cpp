// The document's display commands (zoom, display style, wrap, font): the
// view menu and the file list reach them here, and they act on the text view
// of the active text pane.
#include "app/dvkdoc.h"
#include "core/docsvc/filekind.h"
#include "fw/cmdui.h"
#include "view/dvkview.h"

CDvkView* CDvkDoc::GetActiveTextView() {
  CDvkView* first = nullptr;
  for (CView* v : Views()) {
    CDvkView* t = dynamic_cast<CDvkView*>(v);
    if (!t) continue;
    if (!first) first = t;
    if (static_cast<int>(t->m_nPaneIndex) == m_nActiveTextPane) return t;
  }
  return first;
}

void CDvkDoc::OnViewZoomIn() {
  if (ShowsPicture()) return ZoomPicture(1);
  if (CDvkView* v = GetActiveTextView()) v->ZoomView(1);
}

void CDvkDoc::OnViewZoomOut() {
  if (ShowsPicture()) return ZoomPicture(-1);
  if (CDvkView* v = GetActiveTextView()) v->ZoomView(-1);
}

void CDvkDoc::OnViewStyle() {
  // The display-style words (m_nTableStyle, m_nTableStyleFlag,
  // m_nColumnWidthMode) are set by the caller; the table is shown again with
  // them. On a picture the display style is its effect style word.
  if (ShowsPicture()) return StylePicture();
  CDvkView* v = GetActiveTextView();
  if (!v) return;
  if (docsvc::IsCsvKind(static_cast<int>(v->m_nFileKind))) v->OnPageLeft();
  else v->ApplyDisplayFont();
}

void CDvkDoc::OnUpdateViewStyle(CCmdUI* ui) { ui->SetCheck(m_nTableStyle >= 2 ? 1 : 0); }

void CDvkDoc::OnViewWrap() {
  // On a picture the wrap is the fit to the window width.
  if (ShowsPicture()) return FitPictureWidth();
  if (CDvkView* v = GetActiveTextView()) v->ToggleWrap();
}

void CDvkDoc::OnUpdateViewWrap(CCmdUI* ui) {
  CDvkView* v = GetActiveTextView();
  ui->Enable(v != nullptr);
  ui->SetCheck(v && v->IsWrapped() ? 1 : 0);
}

void CDvkDoc::OnViewFont() {
  if (CDvkView* v = GetActiveTextView()) v->ChooseDisplayFont();
}

// The workbook's display form: the drawn grid with the column records'
// widths (0) or with widths fitted to the texts (1); any other mode (the
// table forms) goes back to 0. The setting is stored, and a workbook shown
// is shown again in the new form.
void CDvkDoc::OnXlsMode() {
  m_nXlsMode = m_nXlsMode == 0 ? 1 : 0;
  SaveInfSettings();
  if (IsWorkbookShown()) OpenFile(m_strCurFile, docopen::OpenMode::kShowAgain);
}

void CDvkDoc::OnUpdateXlsMode(CCmdUI* ui) { ui->Enable(IsWorkbookShown()); }

// A ".xls" or ".xlsx" is shown (by its name: the table form shows it as a
// CSV table).
bool CDvkDoc::IsWorkbookShown() const {
  if (m_strCurFile.IsEmpty()) return false;
  const int kind = GetFileKind(m_strCurFile);
  return kind == 3 || kind == 36;
}
