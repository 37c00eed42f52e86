// Macro debugging in the text view: the debug and resume commands, the
// breakpoint command and the hand-over of a debug run to the pane beside.
// The decisions are portable (macro/macro_resume.h); the members act.
#include "core/docsvc/filekind.h"
#include "host/doc_host.h"
#include "host/frame_host.h"
#include "macro/macro_resume.h"
#include "macro/macro_state.h"
#include "macroui/varview_dlg.h"
#include "view/dvkview.h"
#include "view/viewload/updateplan.h"

namespace {

constexpr int kDebugStart = 1001;   // debug request: run the shown macro from the top
constexpr int kDebugResume = 1002;  // debug request: resume it at the stop
constexpr int kVarViewRightGap = 30, kVarViewDrop = 150;

bool ShowsMacro(const CDvkView& v) { return v.m_nFileKind == docsvc::kKindMacro; }

}  // namespace

void CDvkView::OnUpdateMacroDebug(CCmdUI* ui) {
  app::DocHost* doc = GetDocument();
  ui->Enable(ShowsMacro(*this) ? TRUE : FALSE);
  ui->SetCheck(doc && doc->UpdateFields().m_nMacroStopPos != 0 ? 1 : 0);
}

void CDvkView::OnUpdateMacroResume(CCmdUI* ui) {
  app::DocHost* doc = GetDocument();
  const bool debugging = doc && doc->UpdateFields().m_nMacroDebugMode > 0;
  ui->Enable((ShowsMacro(*this) && debugging) || m_nFileKind == docsvc::kKindCsv ? TRUE : FALSE);
}

void CDvkView::OnMacroResume() {
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  if (!ShowsMacro(*this)) {
    // A run paused in this view resumes on timer 25.
    if (Macro().m_nMacroResumePos > 0) SetTimer(view::kTimerMacroResume, macro::kResumeBusyMs);
    return;
  }
  if (doc->UpdateFields().m_nMacroStopPos != 0)
    ContinueMacroDebug(1);
  else
    OnMacroDebug();
}

void CDvkView::OnMacroDebug() {
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  app::DocUpdateFields& u = doc->UpdateFields();
  CVariableViewDlg& vars = doc->VariableView();
  if (u.m_nMacroStopPos != 0) {
    // A run is stopped: debug mode ends.
    u.m_nMacroStopPos = 0;
    u.m_bMacroStepMode = 0;
    u.m_nMacroStopLine = 0;
    u.m_nMacroDebugMode = 0;
    if (app::g_pFrameHost) app::g_pFrameHost->ClearSplitCycleState();
    u.m_nFileKind = static_cast<std::int32_t>(m_nFileKind);
    long start = 0, end = 0;
    GetRichEditCtrl().GetSel(start, end);
    GetRichEditCtrl().SetSel(start, start);
    if (vars.m_hWnd) vars.DestroyWindow();
    return;
  }
  CRect top;
  if (HWND active = ::GetActiveWindow()) {
    RECT r;
    ::GetWindowRect(active, &r);
    top = CRect(r.left, r.top, r.right, r.bottom);
  }
  if (vars.m_hWnd) {
    vars.ShowWindow(SW_SHOW);
  } else if (vars.Create(nullptr)) {
    vars.ShowWindow(SW_SHOW);
    CRect made;
    vars.GetWindowRect(&made);
    vars.MoveWindow(top.right - kVarViewRightGap - made.Width(), made.top + kVarViewDrop, made.Width(),
                    made.Height());
  }
  GetRichEditCtrl().SetModify(FALSE);
  ContinueMacroDebug(0);
}

void CDvkView::ContinueMacroDebug(int how) {
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  RebuildCsvBuffer(static_cast<int>(m_nFileKind), 0);
  app::FrameHost* frame = app::g_pFrameHost;
  int split = frame ? frame->TextSplitMode() : 9;
  bool relayout = false;
  split = macro::MacroDebugSplitMode(split, &relayout);
  if (frame && relayout) {
    frame->SetTextSplitMode(split);
    frame->ApplyTextLayout(0, 0);
  }
  const app::DocKeyImageFields& panes = doc->KeyImageFields();
  const macro::PaneCell run =
      macro::MacroDebugRunPane(static_cast<int>(m_nPaneIndex), split, panes.m_nTextPaneCol1, panes.m_nTextPaneCol2);
  if (frame) frame->ActivateTextPane(run.row, run.col);

  app::DocUpdateFields& u = doc->UpdateFields();
  if (how == 1) {
    Macro().m_nMacroResumePos = u.m_nMacroStopPos;
    u.m_nMacroDebugMode = kDebugResume;
  } else {
    Macro().m_nMacroResumePos = 0;
    u.m_nMacroStopPos = 0;
    u.m_nMacroDebugMode = kDebugStart;
  }
  u.m_nFileKind = static_cast<std::int32_t>(m_nFileKind);
  u.m_nOpenContext = 0;
  u.m_nUpdateCode = app::UpdateCode::kFolderChanged;
  doc->AsDocument()->UpdateAllViews(nullptr, 0, nullptr);
  // A request no view took (no active text view) is dropped.
  if (u.m_nMacroDebugMode > viewload::kMacroDebugRequest) u.m_nMacroDebugMode %= viewload::kMacroDebugRequest;

  const macro::PaneCell back = macro::MacroDebugFlipPane(run, split);
  if (frame) frame->ActivateTextPane(back.row, back.col);

  // The stopped statement's line is selected (an empty line: the one before).
  const int stopLine = u.m_nMacroStopLine;
  if (stopLine > 0) {
    CRichEditCtrl& edit = GetRichEditCtrl();
    int start = edit.LineIndex(stopLine - 1);
    int next = edit.LineIndex(stopLine);
    if (start >= 0) {
      if (next < 0) next = edit.GetTextLength() + 1;
      const int end = next - 1;
      if (start == end && stopLine >= 2) start = edit.LineIndex(stopLine - 2);
      edit.SetSel(start, end);
    }
  }
}

void CDvkView::OnToggleBreakpoint() {
  CRichEditCtrl& edit = GetRichEditCtrl();
  long selStart = 0, selEnd = 0;
  edit.GetSel(selStart, selEnd);
  const int lineStart = edit.LineIndex(edit.LineFromChar(selStart));
  if (lineStart < 0) return;
  if (m_bInternalKey != 1) {
    edit.SetSel(lineStart, lineStart + 1);
    if (edit.GetSelText() == "#") {
      edit.ReplaceSel("", FALSE);
    } else {
      edit.SetSel(lineStart, lineStart);
      edit.ReplaceSel("#", FALSE);
    }
    return;
  }
  // With Ctrl every mark at a line start goes.
  app::DocHost* doc = GetDocument();
  const int firstVisible = edit.GetFirstVisibleLine();
  if (doc) doc->BeginUpdateLock(CWnd::FromHandle(::GetActiveWindow()));
  const int lines = edit.GetLineCount();
  for (int line = 0; line < lines; ++line) {
    const int at = edit.LineIndex(line);
    if (at < 0) break;
    edit.SetSel(at, at + 1);
    if (edit.GetSelText() == "#") edit.ReplaceSel("", FALSE);
  }
  const int visibleAt = edit.LineIndex(firstVisible);
  if (visibleAt >= 0) edit.SetSel(visibleAt, visibleAt);
  edit.SetSel(lineStart, lineStart);
  if (doc) doc->EndUpdateLock();
}
