#include "view/macro_view_host.h"

#include "macroui/macro_input_dlg.h"
#include "macroui/varview_dlg.h"

#include <cstdio>
#include <string>

#include "fw/clock.h"
#include "fw/msgbox.h"
#include "host/doc_host.h"
#include "host/frame_host.h"
#include "host/pane_layout.h"
#include "view/dvkview.h"
#include "view/select_cond_dlg.h"

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


// The run holds the message loop, so the pane is repainted from here. The
// text is always set; the repaint is forced at most once a frame (a repaint
// costs about a millisecond under Wine, many statements run in that time,
// and the screen could not show them anyway). A text not yet painted is
// painted by the next forced repaint or, at the end of the run, by the
// message loop.
void MacroViewHost::ShowStatus(const CString& text) {
  if (!g_pStatusBar || !g_pStatusBar->m_hWnd) return;
  constexpr std::uint64_t kFrameMs = 15;
  const std::uint64_t now = fw::TickCount();
  const bool paint = now < lastTracePaint_ || now - lastTracePaint_ >= kFrameMs;
  if (paint) lastTracePaint_ = now;
  g_pStatusBar->SetPaneText(0, text, paint ? TRUE : FALSE);  // TRUE repaints the pane at once
}

bool MacroViewHost::TakeEscapeKeyDown() {
  MSG msg;
  if (!::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) return false;
  if (msg.message != WM_KEYDOWN || msg.wParam != VK_ESCAPE) return false;
  ::PeekMessageA(&msg, msg.hwnd, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE);
  return true;
}

bool MacroViewHost::AskYesNo(const CString& text) {
  return fw::ShowMessageBox(view_.m_hWnd, text.GetString(), "", MB_YESNO | MB_ICONQUESTION) == IDYES;
}

CString MacroViewHost::ResourceString(int id) {
  CString s;
  s.LoadString(static_cast<UINT>(id));
  return s;
}

void MacroViewHost::RedisplayView() { view_.OnUpdate(nullptr, 0, nullptr); }

void MacroViewHost::UpdateMenuTexts(int kind, int form, int state) {
  if (app::g_pFrameHost) app::g_pFrameHost->UpdateMenuTexts(kind, form, state);
}

void MacroViewHost::ApplyListLayout() {
  if (app::g_pFrameHost) app::g_pFrameHost->OnListDisplay();
}

void MacroViewHost::UpdateAllViews() {
  app::DocHost* doc = view_.GetDocument();
  if (doc) doc->AsDocument()->UpdateAllViews(nullptr, 0, nullptr);
}

void MacroViewHost::SetMainTitle(const CString& title) {
  if (app::g_pFrameHost && app::g_pFrameHost->FrameWnd()) app::g_pFrameHost->FrameWnd()->SetWindowText(title);
}

void MacroViewHost::ClearModified() { view_.GetRichEditCtrl().SetModify(FALSE); }

void MacroViewHost::ShowVariableView(int line, const CString& dump) {
  app::DocHost* doc = view_.GetDocument();
  if (!doc) return;
  CVariableViewDlg& vars = doc->VariableView();
  vars.m_nStopLine = line;
  vars.m_strText = dump;
  if (vars.m_hWnd) vars.UpdateData(FALSE);
}

int MacroViewHost::ShowStopDialog(const CString& lineText, const CString& dump, const CString& options, int height,
                                  int width) {
  CMacroInputDlg dlg(&view_);
  dlg.m_strInputText = lineText;
  dlg.m_strPromptText = dump;
  dlg.m_strOptions = options;
  dlg.m_nHeight = height;
  dlg.m_nWidth = width;
  return static_cast<int>(dlg.DoModal()) == IDOK ? macro::kStopDialogOk : IDCANCEL;
}

CString MacroViewHost::UserName() {
  char name[900] = {};
  DWORD size = sizeof name;
  return ::GetUserNameA(name, &size) ? CString(name) : CString();
}


namespace {

// Fills a selection-condition dialog from the values in field order and,
// after OK, reads them back.
bool RunCondDialog(CSelectCondBase& dlg, csv::CondDialogValues& values) {
  const csv::CondDialogTable& t = dlg.Table();
  for (std::size_t p = 0; p < t.prompts.size() && p < values.prompts.size(); ++p) dlg.m_aPrompt[p] = values.prompts[p].c_str();
  dlg.m_strCaption = values.caption.c_str();
  values.fields.resize(t.fields.size());
  for (std::size_t f = 0; f < t.fields.size(); ++f) {
    const csv::CondFieldEntry& e = t.fields[f];
    const std::string& v = values.fields[f];
    const std::size_t s = static_cast<std::size_t>(e.slot);
    switch (e.kind) {
      case csv::CondField::Combo: dlg.m_aComboText[s] = v.c_str(); break;
      case csv::CondField::Edit: dlg.m_strValue[s] = v.c_str(); break;
      case csv::CondField::Check: dlg.m_aCheck[s] = v == "1" ? TRUE : FALSE; break;
      case csv::CondField::Date: {
        int y = 0, m = 0, d = 0;
        if (v.size() == 8 && std::sscanf(v.c_str(), "%4d%2d%2d", &y, &m, &d) == 3 && y >= 1971 && m >= 1 && m <= 12 &&
            d >= 1 && d <= 31) {
          dlg.m_aDate[s] = CTime(y, m, d, 0, 0, 0);
        }
        break;
      }
    }
  }
  if (dlg.DoModal() != IDOK) return false;
  for (std::size_t f = 0; f < t.fields.size(); ++f) {
    const csv::CondFieldEntry& e = t.fields[f];
    const std::size_t s = static_cast<std::size_t>(e.slot);
    switch (e.kind) {
      case csv::CondField::Combo: values.fields[f] = dlg.m_aComboText[s].Str(); break;
      case csv::CondField::Edit: values.fields[f] = dlg.m_strValue[s].Str(); break;
      case csv::CondField::Check: values.fields[f] = dlg.m_aCheck[s] ? "1" : "0"; break;
      case csv::CondField::Date: {
        const CTime& d = dlg.m_aDate[s];
        values.fields[f] = d.GetTime() == 0 ? std::string() : std::string(d.Format("%Y%m%d").Str());
        break;
      }
    }
  }
  return true;
}

}  // namespace

bool MacroViewHost::RunSelectCondDialog(bool extended, csv::CondDialogValues& values) {
  // The interpreter's dialogs have no parent window.
  if (extended) {
    CSelectCondExDlg dlg(nullptr);
    return RunCondDialog(dlg, values);
  }
  CSelectCondDlg dlg(nullptr);
  return RunCondDialog(dlg, values);
}

// Row and line statements, sort, new rows and print.
void MacroViewHost::ClearPadTarget() { view_.m_nPadTarget = 0; }

void MacroViewHost::SetTitleLineFlag(bool on) { view_.m_nTitleLineFlag = on ? 1 : 0; }

std::int64_t MacroViewHost::SortTableLines(csv::Table& table, const csv::LineSortRequest& request) {
  // The run works on the view's own table: the view's sort, whose check
  // list follows the rows.
  if (&table != &view_.m_table) return csv::SortLines(table, request, nullptr);
  return view_.SortLines(request.numeric ? 1 : 0, request.skipBracket ? 1 : 0, request.key, request.block,
                         request.firstRow);
}

void MacroViewHost::SetPageMargins(const std::int32_t margins[4]) {
  for (int k = 0; k < 4; ++k) view_.m_nPageMargin[k] = margins[k];
}

void MacroViewHost::InitPrintMargins() { view_.InitPrintMargins(); }

void MacroViewHost::SetViewSizeIndexes(int table, int text) {
  view_.m_nTblsizCopy = table;
  view_.m_nTxtsizCopy = text;
}

}  // namespace view
