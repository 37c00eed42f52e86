// Text-view services: the right-click menus. The rows are data
// (view/viewui/ctxmenu.h); this file fills the state they depend on, greys
// the commands nobody handles yet (through the update-UI routing, as the
// menu bar does), and opens the menu at the press point + 10 pixels.
//
// A press on the status bar's media strip sets the play position or
// switches loop play (view/viewui/mediastrip.h) and opens no menu. On a
// picture the first press grabs it, a press on the remembered point forgets
// the point, and any other press opens the image menu.
#include "core/docsvc/filekind.h"
#include "host/doc_host.h"
#include "host/frame_host.h"
#include "fw/cmdui.h"
#include "fw/menu.h"
#include "view/dvkview.h"
#include "view/viewui/ctxmenu.h"
#include "view/viewui/mediastrip.h"

namespace {

constexpr int kMenuOffset = 10;  // the menu opens right and below the press
constexpr UINT kImageTimerDelayMs = 10;  // the pane's image refresh after the image menu

}  // namespace

void CDvkView::OnRButtonDown(UINT flags, CPoint pt) {
  (void)flags;
  m_ptRButtonDown = pt;
  OpenContextMenu(pt);
}

void CDvkView::OnRButtonUp(UINT flags, CPoint pt) {
  (void)flags;
  (void)pt;
  const bool picture = docsvc::IsPictureKind(static_cast<int>(m_nFileKind));
  if (!picture && m_nDisplayKind != 4) LayoutPrintPages();
}

UINT CDvkView::OpenContextMenu(CPoint pt) {
  app::DocHost* doc = GetDocument();
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  viewui::ContextMenuState s;
  s.fileKind = static_cast<int>(m_nFileKind);
  s.displayKind = m_nDisplayKind;
  s.sourceForm = static_cast<int>(m_nSourceView);
  s.tableEditMode = doc && doc->WindowFields().m_bTableEditMode == 1;
  s.blockMode = m_nBlockMode;
  s.insertWord = m_nInsertWord;
  s.editMode = static_cast<int>(m_nEditMode);
  s.selectUndoCount = m_nSelectUndoCount;
  s.titleRowFixed = m_bTitleRowFixed != 0;
  s.curLine = m_table.m_nCurLine;
  s.macroStopped = s.fileKind == docsvc::kKindMacro;
  const viewui::ContextMenuKind kind = viewui::ChooseContextMenu(s);
  viewui::PrintOrigin(::GetScrollPos(m_hWnd, SB_HORZ), ::GetScrollPos(m_hWnd, SB_VERT), pt.x, pt.y,
                      kind == viewui::ContextMenuKind::kImage, &s.originX, &s.originY);

  // The status bar's media strip, outside the picture kinds.
  if ((s.fileKind < 12 || s.fileKind > 29) && s.sourceForm == 0 && !PressOnMediaStrip(pt)) return 0;

  if (kind == viewui::ContextMenuKind::kImage) {
    // The probe under the press (its colour text shows once the picture
    // is grabbed).
    ShowPixelInfo(1, pt.x, pt.y);
    switch (viewui::PlanImagePress(m_image.m_bImageGrab != 0, m_image.m_nImageDragState != 0,
                                   m_image.m_ptImageCursor.x, m_image.m_ptImageCursor.y, pt.x, pt.y)) {
      case viewui::ImagePress::kGrab:
        // The grabbing press remembers its point, so that a second press
        // there forgets it.
        m_image.m_bImageGrab = 1;
        m_image.m_ptImageCursor = pt;
        ::SetCursor(::LoadCursor(nullptr, IDC_SIZEALL));
        return 0;
      case viewui::ImagePress::kBusy:
        return 0;
      case viewui::ImagePress::kForget:
        m_image.m_ptImageCursor.x = 0;
        return 0;
      case viewui::ImagePress::kOpenMenu:
        break;
    }
    s.regionSelected = m_image.m_rcImageSel.left >= 0;
    s.pastedImage = doc && doc->UpdateFields().m_nPastedImageCount > 0;
    s.imageSelMode = m_image.m_nImageSelMode;
    s.internalKey = m_bInternalKey == 1;
    s.backDiffers = doc && m_clrViewBack != doc->SettingsFields().m_clrTextBack;
  }
  // The last right-click point: the print origin and the corner commands.
  m_image.m_ptImageCursor = pt;
  if (kind == viewui::ContextMenuKind::kGeneral && s.fileKind == docsvc::kKindCsv) {
    long a = 0, b = 0;
    ctrl.GetSel(a, b);
    m_nSelStart = a;
    m_nSelEnd = b;
    if (a == b && m_nBlockMode == 0) {
      // Nothing selected: the caret's cell becomes the anchor, then the
      // caret goes to the pressed cell. A block of the column commands runs
      // from the cell clicked before to the cell pressed now.
      SelectCell(nullptr, 0, 0, 0);
      m_nSelAnchorColumn = m_nCurColumn;
      m_nSelAnchorRow = m_nCurRow;
      SendMessage(WM_LBUTTONDOWN, MK_RBUTTON, MAKELPARAM(pt.x, pt.y));
      SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
      // Two presses on one point in quick succession count as a double
      // click for the control, which selects a word: the caret stays at its
      // start, so a command sees the pressed cell and no selection.
      long s0 = 0, s1 = 0;
      ctrl.GetSel(s0, s1);
      if (s0 != s1) ctrl.SetSel(s0, s0);
      SelectCell(nullptr, 0, 0, 0);
    }
  }

  CMenu menu;
  if (!menu.CreatePopupMenu() || !AppendMenuRows(menu, viewui::BuildContextMenu(kind, s))) return 0;
  CPoint at(pt.x + kMenuOffset, pt.y + kMenuOffset);
  ClientToScreen(&at);
  UINT chosen = static_cast<UINT>(menu.TrackPopupMenu(TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_RETURNCMD, at.x,
                                                      at.y, this));
  if (kind == viewui::ContextMenuKind::kImage) {
    // The cursor back on the press point while it is still where the menu
    // opened; the pane's picture refreshed; the grab ends.
    CPoint press = pt;
    ClientToScreen(&press);
    POINT cursor = {};
    if (::GetCursorPos(&cursor) && viewui::PutCursorBack(press.x, press.y, cursor.x, cursor.y))
      ::SetCursorPos(press.x, press.y);
    if (m_image.m_nImageViewState == 1) SetTimer(m_nPaneIndex + 2, kImageTimerDelayMs);
    m_image.m_bImageGrab = 0;
  }
  if (chosen) SendMessage(WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
  return chosen;
}

bool CDvkView::PressOnMediaStrip(CPoint pt) {
  CWnd* frame = app::g_pFrameHost ? app::g_pFrameHost->FrameWnd() : GetParentFrame();
  if (!frame || !frame->m_hWnd || !g_pStatusBar || !g_pStatusBar->m_hWnd) return true;
  viewui::StripPress p;
  CPoint screen = pt;
  ClientToScreen(&screen);
  p.x = screen.x;
  p.y = screen.y;
  CRect f;
  frame->GetWindowRect(&f);
  p.frameLeft = f.left;
  p.frameRight = f.right;
  p.frameBottom = f.bottom;
  CRect pane;
  g_pStatusBar->GetItemRect(1, &pane);
  p.paneLeft = pane.left;
  p.paneRight = pane.right;
  const viewui::StripResult r = viewui::PlanStripPress(p);
  if (r.releaseCapture) CWnd::ReleaseCapture();
  app::DocHost* doc = GetDocument();
  switch (r.action) {
    case viewui::StripAction::kMenu:
      return true;
    case viewui::StripAction::kPosition:
      if (doc) {
        doc->UpdateFields().m_nMediaPosValue = r.position;
        // Update code 1 has the text panes take the document's text again:
        // with unsaved edits (the press may land on the text's last lines,
        // just above the bar) that would throw them away, so the views are
        // then left as they are and only the value is kept.
        if (!doc->AsDocument()->IsModified()) {
          doc->UpdateFields().m_nUpdateCode = app::UpdateCode::kContent;
          doc->AsDocument()->UpdateAllViews(nullptr, 0, nullptr);
        }
      }
      return false;
    case viewui::StripAction::kToggleLoop:
      m_bMediaLoop = m_bMediaLoop ? 0 : 1;
      if (doc) doc->UpdateFields().m_nLoopPlay = static_cast<std::uint32_t>(m_bMediaLoop);
      return false;
    case viewui::StripAction::kOnBar:
    case viewui::StripAction::kNoMenu:
      return false;
  }
  return true;
}

BOOL CDvkView::IsRichTextView() const { return m_nFileKind == docsvc::kKindRichText; }

void CDvkView::OnOverwriteToggle() {
  // Ins through the key handler: the insert word and the control's own
  // overwrite mode change together.
  SendMessage(WM_KEYDOWN, VK_INSERT, 1);
}

void CDvkView::OnUpdateOverwriteToggle(CCmdUI* ui) { ui->SetCheck(m_nInsertWord == 0 ? 1 : 0); }

void CDvkView::OnPrintOrigin() {
  // Scroll position + the last right-click point is the print origin; the
  // text from the character there is previewed.
  int x = 0, y = 0;
  const bool picture = docsvc::IsPictureKind(static_cast<int>(m_nFileKind));
  viewui::PrintOrigin(::GetScrollPos(m_hWnd, SB_HORZ), ::GetScrollPos(m_hWnd, SB_VERT), m_image.m_ptImageCursor.x,
                      m_image.m_ptImageCursor.y, picture, &x, &y);
  m_anPrintState[0] = x;
  m_anPrintState[1] = y;
  m_anPrintState[2] = 1;
  m_nPrintFromChar = GetRichEditCtrl().CharFromPos(m_image.m_ptImageCursor);
  OnFilePrintPreview();
}

bool CDvkView::AppendMenuRows(CMenu& menu, const std::vector<viewui::MenuRow>& rows) {
  for (const viewui::MenuRow& row : rows) {
    if (row.separator) {
      menu.AppendMenu(MF_SEPARATOR);
      continue;
    }
    if (!row.submenu.empty()) {
      CMenu sub;
      if (!sub.CreatePopupMenu() || !AppendMenuRows(sub, row.submenu)) return false;
      menu.AppendMenu(MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(sub.Detach()), row.text);
      continue;
    }
    // Commands without a handler yet are greyed, as on the menu bar; an
    // update handler may set the caption, the check or the radio mark.
    fw::RecordingCmdUI ui(row.id);
    ui.DoUpdate(this, TRUE);
    UINT f = MF_STRING;
    if (row.grayed || !ui.enabled) f |= MF_GRAYED;
    if (row.checked || ui.checked == 1) f |= MF_CHECKED;
    menu.AppendMenu(f, row.id, ui.textSet ? CString(ui.text.c_str()) : row.text);
  }
  return true;
}
