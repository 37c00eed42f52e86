// Text-view services: the key dispatcher. Every WM_KEYDOWN of the view goes
// through OnKeyDownHandler, which keeps the Ctrl/Shift state, offers the key
// to the hooks of the subsystems that own key commands, and sends the
// view's own key commands (view/viewui/keymap.h). Keys nobody takes go on
// to the control.
//
// Order: Ctrl/Shift tracking and Ins; the ruled-table keys (K2) while the
// document's table flag is set; the key-macro recorder (K3); macro
// debugging keys in a macro text (K4); region commands of pictures (K5);
// then the key table (K7).
#include "host/doc_host.h"
#include "view/dvkview.h"
#include "view/viewui/keymap.h"

namespace {

bool IsPictureKind(std::uint32_t kind) { return kind >= 12 && kind <= 28; }

}  // namespace

void CDvkView::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (!OnKeyDownHandler(nChar, nRepCnt, nFlags)) Default();
}

void CDvkView::OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags) {
  (void)nRepCnt;
  (void)nFlags;
  if (nChar == VK_CONTROL) {
    m_bCtrlDown = false;
    m_bInternalKey = 0;
  }
  if (nChar == VK_SHIFT) {
    if (app::DocHost* doc = GetDocument()) doc->m_bShiftHeld = 0;
  }
  Default();
}

bool CDvkView::FeedKey(UINT nChar) {
  // F9 (play the key macro) is fed without the internal flag.
  const bool internal = nChar != VK_F9;
  if (internal) m_bInternalKey = 1;
  m_nKeyLatch = 0;
  m_nFedKeyState = 0;
  bool handled = OnKeyDownHandler(nChar, 1, 0);
  if (internal) m_bInternalKey = 0;
  return handled;
}

bool CDvkView::OnKeyDownHandler(UINT nChar, UINT nRepCnt, UINT nFlags) {
  (void)nRepCnt;
  app::DocHost* doc = GetDocument();
  // A repeated find runs once per press.
  m_bRepeatSearchBusy = 0;
  if (nChar == VK_CONTROL) {
    m_bCtrlDown = true;
    m_bInternalKey = 1;
    return false;
  }
  if (nChar == VK_SHIFT) {
    if (doc && doc->m_bShiftHeld == 0) doc->m_bShiftHeld = 1;
    return false;
  }
  const bool ctrl = m_bCtrlDown || ::GetKeyState(VK_CONTROL) < 0;
  const bool shift = ::GetKeyState(VK_SHIFT) < 0 || (doc && doc->m_bShiftHeld != 0);
  if (nChar == VK_INSERT && !ctrl && !shift) {
    // The control switches its overwrite mode itself; the word follows it.
    m_nInsertWord = m_nInsertWord == 0 ? 1 : 0;
    return false;
  }
  if (doc && doc->m_bTableEditMode == 1 && KeyTableEdit(nChar, ctrl)) return true;
  if (KeyMacroRecorder(nChar, nFlags)) return true;
  if (m_nFileKind == 98 && nChar == VK_F5 && KeyMacroDebug(nChar, ctrl)) return true;
  if (IsPictureKind(m_nFileKind) && KeyImageRegion(nChar, ctrl)) return true;
  const unsigned cmd = viewui::KeyCommandFor(nChar, ctrl, shift);
  if (cmd != 0) {
    SendMessage(WM_COMMAND, MAKEWPARAM(cmd, 0), 0);
    return true;
  }
  return false;
}

// --- hooks of the subsystems that own key commands ---------------------------
// Each returns true when it took the key. They stay empty until the table
// engine, the key-macro recorder, the macro debugger and the image view
// bring their key commands.

// K2: Ctrl+arrows, Ctrl+digits, Ctrl+I/U and Ctrl+D of ruled-table editing
// go to the table engine (TableCommand, MakeTable, ConvertSelectionToTable,
// ToggleCharEffect, SetTextColor).
bool CDvkView::KeyTableEdit(UINT nChar, bool ctrl) {
  (void)nChar;
  (void)ctrl;
  return false;
}

// K3: with m_bInternalKey 1, 'W' starts key-macro recording, 'Q' ends it;
// F9 plays the recording (100 entries, timer 50 as the recording clock).
bool CDvkView::KeyMacroRecorder(UINT nChar, UINT nFlags) {
  (void)nChar;
  (void)nFlags;
  return false;
}

// K4: F5 in a macro text: with Ctrl the debugger (then m_bInternalKey 0),
// else resume while debugging.
bool CDvkView::KeyMacroDebug(UINT nChar, bool ctrl) {
  (void)nChar;
  (void)ctrl;
  return false;
}

// K5: Ctrl+C, V, X, D, S, L, E, U and Esc on a picture: region commands.
bool CDvkView::KeyImageRegion(UINT nChar, bool ctrl) {
  (void)nChar;
  (void)ctrl;
  return false;
}
