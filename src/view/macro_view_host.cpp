#include "view/macro_view_host.h"

#include "fw/msgbox.h"
#include "host/doc_host.h"
#include "host/frame_host.h"
#include "host/pane_layout.h"
#include "view/dvkview.h"

namespace view {

namespace {
constexpr int kSjisText = SF_TEXT | SF_USECODEPAGE | (932 << 16);
}

CString MacroViewHost::GetText() {
  std::string text = view_.StreamOut(kSjisText);
  return CString(text.data(), static_cast<int>(text.size()));
}

void MacroViewHost::GetSelection(long* start, long* end) {
  long s = 0, e = 0;
  view_.GetRichEditCtrl().GetSel(s, e);
  if (start) *start = s;
  if (end) *end = e;
}

void MacroViewHost::SetSelection(long start, long end) { view_.GetRichEditCtrl().SetSel(start, end); }

void MacroViewHost::ReplaceSelection(const CString& text) {
  view_.GetRichEditCtrl().ReplaceSel(text.GetString(), TRUE);
}

int MacroViewHost::OpenFile(const CString& path, int mode) {
  app::DocHost* doc = view_.GetDocument();
  // The script's mode number; one the table does not know opens plainly.
  return doc ? doc->OpenFile(path, static_cast<docopen::OpenMode>(mode)) : -1;
}

int MacroViewHost::SaveFile(const CString& path, int mode) {
  app::DocHost* doc = view_.GetDocument();
  return doc ? doc->SaveFile(path, mode, &view_) : -1;
}

int MacroViewHost::ReportMessage(int code, const CString& text) { return view_.ReportMessage(code, text); }

void MacroViewHost::ShowMessageBox(const CString& text) { AfxMessageBox(text, MB_OK); }

void MacroViewHost::SetStatusText(int pane, const CString& text) {
  if (g_pStatusBar && g_pStatusBar->m_hWnd) g_pStatusBar->SetPaneText(pane, text);
}

bool MacroViewHost::CheckEscapeAbort() { return app::g_pFrameHost && app::g_pFrameHost->CheckEscapeAbort() != 0; }

void MacroViewHost::ActivateTextPane(int pane) {
  if (!app::g_pFrameHost || pane < 1 || pane > 4) return;
  app::PaneCell c = app::CellOfPaneIndex(pane);
  app::g_pFrameHost->ActivateTextPane(c.row, c.col);
}

CString MacroViewHost::ProgramDir() {
  app::DocHost* doc = view_.GetDocument();
  return doc ? doc->PathFields().m_strProgramDir : CString();
}

CString MacroViewHost::ListDir(int side) {
  app::DocHost* doc = view_.GetDocument();
  if (!doc) return CString();
  return side == 2 ? doc->PathFields().m_strListDir2 : doc->PathFields().m_strListDir1;
}

int MacroViewHost::ActiveSide() {
  app::DocHost* doc = view_.GetDocument();
  return doc ? static_cast<int>(doc->PathFields().m_nActiveSide) : 1;
}

CString MacroViewHost::ParamPath() {
  app::DocHost* doc = view_.GetDocument();
  return doc ? doc->PathFields().m_strParamPath : CString();
}

int MacroViewHost::FormatCells(const macro::CellFormat& format, int firstRow, int lastRow, int firstCol,
                               int lastCol) {
  return view_.FormatCells(format, firstRow, lastRow, firstCol, lastCol);
}

}  // namespace view
