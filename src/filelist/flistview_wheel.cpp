// The wheel over a list pane, and the input one pane hands to another
// through an update of all views: a wheel turn, keys and a click.
#include "filelist/flistcore/wheelplan.h"
#include "filelist/flistview.h"
#include "host/frame_host.h"
#include "res/resource.h"

LRESULT CFlistView::OnMouseWheelMessage(WPARAM wp, LPARAM lp) {
  const CPoint pt(static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)));
  OnMouseWheel(LOWORD(wp), static_cast<short>(HIWORD(wp)), pt);
  return -1;
}

void CFlistView::OnMouseWheel(UINT, int delta, CPoint screenPt) {
  app::DocHost* doc = GetDocument();
  if (!doc || !m_hWnd) return;
  RECT rc = {};
  ::GetWindowRect(m_hWnd, &rc);
  RECT client = {};
  ::GetClientRect(m_hWnd, &client);
  flist::WheelInput in;
  in.layoutMode = doc->WindowFields().m_nLayoutMode;
  in.activeSide = static_cast<int>(doc->PathFields().m_nActiveSide);
  in.delta = delta;
  in.x = screenPt.x;
  in.y = screenPt.y;
  in.left = rc.left;
  in.top = rc.top;
  in.right = rc.right;
  in.bottom = rc.bottom;
  in.clientHeight = client.bottom;
  in.lineHeight = m_nLineHeight;
  const flist::WheelPlan plan = flist::PlanWheel(in, m_nSide);
  switch (plan.action) {
    case flist::WheelAction::kNone:
      return;
    case flist::WheelAction::kSwitchPane:
      if (app::g_pFrameHost && app::g_pFrameHost->FrameWnd())
        app::g_pFrameHost->FrameWnd()->SendMessage(WM_COMMAND, ID_SWITCH_PANE, 0);
      return;
    case flist::WheelAction::kActivateText: {
      if (!app::g_pFrameHost) return;
      const int pane = doc->PathFields().m_nActiveTextPane;
      const app::DocKeyImageFields& k = doc->KeyImageFields();
      if (pane < 2) app::g_pFrameHost->ActivateTextPane(0, k.m_nTextPaneCol2);
      else if (pane == 2) app::g_pFrameHost->ActivateTextPane(1, k.m_nTextPaneCol1);
      else if (pane == 3) app::g_pFrameHost->ActivateTextPane(0, k.m_nTextPaneCol1);
      else app::g_pFrameHost->ActivateTextPane(1, k.m_nTextPaneCol2);
      return;
    }
    case flist::WheelAction::kKey:
      SendMessage(WM_KEYDOWN, static_cast<WPARAM>(plan.key), 1);
      return;
    case flist::WheelAction::kScroll:
      break;
  }
  if (plan.hint > 0) {
    // One update of all views hands the turn to the other pane.
    app::DocListFields& lf = doc->ListFields();
    lf.m_nListPageHint = plan.hint;
    doc->UpdateFields().m_nUpdateCode = app::UpdateCode::kRedrawAll;
    doc->AsDocument()->UpdateAllViews(nullptr, 0, nullptr);
    lf.m_nListPageHint = 0;
  }
  int pos = m_state.m_nScrollPos + plan.step;
  if (pos > m_state.m_nScrollMax) pos = m_state.m_nScrollMax;
  if (pos < 0) pos = 0;
  m_state.m_nScrollPos = pos;
  ::SetScrollPos(m_hWnd, SB_VERT, pos, TRUE);
  DrawEntryLines(m_bActivePane);
}

bool CFlistView::TakeForwardedWheel() {
  app::DocHost* doc = GetDocument();
  if (!doc) return false;
  const int hint = doc->ListFields().m_nListPageHint;
  if (hint <= 10) return false;
  int delta = 0;
  if (flist::TakeWheelHint(hint, m_nSide, &delta) && m_hWnd) {
    RECT rc = {};
    ::GetWindowRect(m_hWnd, &rc);
    if (rc.right - rc.left > 60 && rc.bottom - rc.top > 30) OnMouseWheel(0, delta, CPoint(rc.right - 20, rc.bottom - 20));
  }
  return true;
}

bool CFlistView::TakeForwardedInput() {
  app::DocHost* doc = GetDocument();
  if (!doc) return true;
  app::DocListFields& lf = doc->ListFields();
  const int code = lf.m_nListInput;
  if (code <= 0) return true;
  // A pane the code is not for leaves the update at once.
  if (!flist::TakesForwardedInput(code, m_bActivePane != 0, m_nSide,
                                  static_cast<int>(doc->PathFields().m_nActiveSide)))
    return false;
  lf.m_nListInput = 0;
  if (!m_hWnd) return true;
  RECT rc = {};
  ::GetWindowRect(m_hWnd, &rc);
  if (code == 37 || code == 38 || code == 40) {
    SendMessage(WM_KEYDOWN, static_cast<WPARAM>(code), 1);
  } else if (code == 99) {
    doc->WindowFields().m_rcSaved = CRect(rc.left, rc.top, rc.right, rc.bottom);
  } else if (code == 999) {
    const CPoint at(lf.m_ptListClick.x - rc.left, lf.m_ptListClick.y - rc.top);
    SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
  }
  return true;
}
