// Text-view services: the right-click menus. The rows are data
// (view/viewui/ctxmenu.h); this file fills the state they depend on, greys
// the commands nobody handles yet (through the update-UI routing, as the
// menu bar does), and opens the menu at the press point + 10 pixels.
//
// The status-bar media strip and the image grab of a right press belong to
// the media and image views; a picture's first press only grabs it here.
#include "core/docsvc/filekind.h"
#include "host/doc_host.h"
#include "fw/cmdui.h"
#include "fw/menu.h"
#include "view/dvkview.h"
#include "view/viewui/ctxmenu.h"

namespace {

constexpr int kMenuOffset = 10;  // the menu opens right and below the press

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

  if (kind == viewui::ContextMenuKind::kImage) {
    // The first press on a picture only grabs it.
    if (!m_bImageGrab) {
      m_bImageGrab = 1;
      ::SetCursor(::LoadCursor(nullptr, IDC_SIZEALL));
      return 0;
    }
  }
  // The last right-click point: the print origin and the corner commands.
  m_ptImageCursor = pt;
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
  if (!menu.CreatePopupMenu()) return 0;
  for (const viewui::MenuRow& row : viewui::BuildContextMenu(kind, s)) {
    if (row.separator) {
      menu.AppendMenu(MF_SEPARATOR);
      continue;
    }
    // Commands without a handler yet are greyed, as on the menu bar.
    fw::RecordingCmdUI ui(row.id);
    ui.DoUpdate(this, TRUE);
    UINT f = MF_STRING;
    if (row.grayed || !ui.enabled) f |= MF_GRAYED;
    if (row.checked || ui.checked == 1) f |= MF_CHECKED;
    menu.AppendMenu(f, row.id, row.text);
  }
  CPoint at(pt.x + kMenuOffset, pt.y + kMenuOffset);
  ClientToScreen(&at);
  UINT chosen = static_cast<UINT>(menu.TrackPopupMenu(TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_RETURNCMD, at.x,
                                                      at.y, this));
  if (kind == viewui::ContextMenuKind::kImage) m_bImageGrab = 0;
  if (chosen) SendMessage(WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
  return chosen;
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
  viewui::PrintOrigin(::GetScrollPos(m_hWnd, SB_HORZ), ::GetScrollPos(m_hWnd, SB_VERT), m_ptImageCursor.x,
                      m_ptImageCursor.y, picture, &x, &y);
  m_anPrintState[0] = x;
  m_anPrintState[1] = y;
  m_anPrintState[2] = 1;
  m_nPrintFromChar = GetRichEditCtrl().CharFromPos(m_ptImageCursor);
  OnFilePrintPreview();
}
