// The list pane's keyboard: the media keys while a media file of this pane
// plays, the cursor keys with their marking rules, and the key table
// (flistcore/keyplan.h) whose rows send commands or run the list's
// routines.
#include <cstring>

#include "filelist/flistcore/keyplan.h"
#include "filelist/flistview.h"
#include "host/frame_host.h"
#include "res/resource.h"

namespace {

app::UpdateCode Code(int n) { return static_cast<app::UpdateCode>(n); }

}  // namespace

void CFlistView::OnKeyDown(UINT ch, UINT, UINT) {
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  // 1. The media keys.
  if (TakeMediaKey(ch)) return;
  // 3. (The default processing of a key-down does nothing for the pane.)
  CRect rc;
  if (m_hWnd) GetClientRect(&rc);
  const int page = flist::ListPageLines(rc.Height(), m_nLineHeight);
  // 4. The list macro's own keys come with the list-macro player.
  // 5. Cursor keys.
  flist::CursorKey key;
  if (flist::CursorKeyOf(ch, &key)) {
    MoveCursorByKey(key, page);
    return;
  }
  // 6. The key table.
  const bool shift = doc->KeyImageFields().m_bShiftHeld != 0;
  if (const flist::ListKey* k = flist::FindListKey(ch, shift, m_bCtrlDown != 0)) RunListKey(*k);
}

bool CFlistView::TakeMediaKey(UINT ch) {
  app::DocHost* doc = GetDocument();
  app::DocListFields& lf = doc->ListFields();
  if (!m_bActivePane || !(lf.m_nMediaState > 0 || lf.m_nMediaState2 > 0) || m_strStartPath != lf.m_strMediaPath)
    return false;
  const int code = flist::MediaKeyCode(ch, lf.m_nMediaState2 > 0, m_bCtrlDown != 0);
  if (code == 0) return false;
  if (code < 0) return true;
  if (m_nListMacroPc > 0) return lf.m_nMediaState2 > 0;
  lf.m_nListUpdateCode = code;
  doc->UpdateFields().m_nUpdateCode = app::UpdateCode::kContent;
  doc->AsDocument()->UpdateAllViews(nullptr, 0, nullptr);
  return true;
}

void CFlistView::MoveCursorByKey(flist::CursorKey key, int page) {
  app::DocHost* doc = GetDocument();
  const int old = m_state.m_nCurEntry;
  int next = old;
  if (!flist::MoveCursor(key, old, m_table.m_nEntryCount, page, &next)) return;
  m_state.m_bScrollTight = key == flist::CursorKey::kDown || key == flist::CursorKey::kUp ? 1 : 0;
  m_state.m_nCurEntry = next;
  const std::uint32_t shift = doc->KeyImageFields().m_bShiftHeld;
  flist::MarkAfterMove(m_table, m_state, key, old, shift != 0 || m_bCtrlDown != 0);
  if (!m_bCtrlDown) {
    const int layout = doc->WindowFields().m_nLayoutMode;
    ShowEntry(m_state.m_nCurEntry, layout == 2 || layout == 12 ? 2 : static_cast<int>(shift), 1);
  }
  ScrollToCursor();
  DrawEntryLines(m_bActivePane);
}

void CFlistView::SendListCommand(unsigned id) {
  // Through the routing: the active view (this pane, with the list's set
  // first) and then the frame and the application.
  CWnd* target = app::g_pFrameHost && app::g_pFrameHost->FrameWnd() && app::g_pFrameHost->FrameWnd()->m_hWnd
                     ? static_cast<CWnd*>(app::g_pFrameHost->FrameWnd())
                     : static_cast<CWnd*>(this);
  if (target->m_hWnd) target->SendMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void CFlistView::RunListKey(const flist::ListKey& k) {
  app::DocHost* doc = GetDocument();
  app::FrameHost* frame = app::g_pFrameHost;
  if (k.command) {
    SendListCommand(k.command);
    return;
  }
  switch (k.routine) {
    case flist::ListRoutine::kNone:
      return;
    case flist::ListRoutine::kParentFolder:
      GoToParentFolder();
      return;
    case flist::ListRoutine::kOpenEntry:
      OpenEntryAt(0, CPoint(0, 0));
      return;
    case flist::ListRoutine::kShiftHeld:
      doc->KeyImageFields().m_bShiftHeld = 1;
      return;
    case flist::ListRoutine::kCtrlHeld:
      doc->KeyImageFields().m_bCtrlHeld = 1;
      m_bCtrlDown = 1;
      return;
    case flist::ListRoutine::kLeftClick:
      OnLButtonDown(0, CPoint(0, 0));
      return;
    case flist::ListRoutine::kQuickCapture:
      // The numbered quick capture is carried out by the view update that
      // reads the word; the list's own update-code word stays as it is.
      doc->UpdateFields().m_nPendingViewCmd = 2;
      doc->AsDocument()->UpdateAllViews(nullptr, 0, nullptr);
      return;
    case flist::ListRoutine::kTextLayoutPlain:
      if (frame) frame->SetTextLayout(k.arg);
      return;
    case flist::ListRoutine::kTextLayout: {
      // Under the window-update lock of the active window, so the panes
      // are rearranged in one paint; the list pane stays the active one.
      CWnd* active = frame ? static_cast<CWnd*>(frame->FrameWnd()) : static_cast<CWnd*>(this);
      doc->BeginUpdateLock(active);
      if (frame) {
        frame->SetTextLayout(k.arg);
        frame->ActivateListPane(0, static_cast<int>(doc->PathFields().m_nActiveSide) - 1);
      }
      doc->EndUpdateLock();
      return;
    }
    case flist::ListRoutine::kFullLayout: {
      app::DocWindowFields& win = doc->WindowFields();
      const app::DocKeyImageFields& keys = doc->KeyImageFields();
      const flist::FullLayout f =
          flist::F11Layout(win.m_nLayoutMode, doc->PathFields().m_nActiveTextPane, keys.m_nTextPaneCol1, keys.m_nTextPaneCol2);
      win.m_nLayoutMode = f.layoutMode;
      if (frame) {
        if (f.activateText) frame->ActivateTextPane(f.row, f.col);
        frame->OnListDisplay();
      }
      return;
    }
    case flist::ListRoutine::kReloadAndSwitch:
      doc->ListFields().m_nListReloadRequest = 2;
      SendListCommand(ID_SWITCH_PANE);
      return;
    case flist::ListRoutine::kFlipOrWrap: {
      const app::DocUpdateFields& up = doc->UpdateFields();
      const bool picture = up.m_nFileKind >= 12 && up.m_nFileKind <= 28 && up.m_nOpenContext == 0;
      SendListCommand(picture ? flist::listcmd::kFlipImage : flist::listcmd::kWrap);
      return;
    }
    case flist::ListRoutine::kJumpRegister:
    case flist::ListRoutine::kAssociation:
      // The jump registers and the association list come with their
      // commands; until then these keys do nothing.
      return;
  }
}
