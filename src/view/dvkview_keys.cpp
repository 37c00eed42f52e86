// Text-view services: the key dispatcher. Every WM_KEYDOWN of the view goes
// through OnKeyDownHandler, which keeps the Ctrl/Shift state, offers the key
// to the hooks of the subsystems that own key commands, and sends the
// commands of the program's key table (cmd/command_table.h, the same
// rows the frame's accelerators are made from). Keys nobody takes go on to
// the control.
//
// Order: Ctrl/Shift tracking and Ins; the ruled-table keys while the
// document's table flag is set; the key-macro recorder; macro
// debugging keys in a macro text; region commands of pictures;
// then the key table.
#include "host/doc_host.h"
#include "core/docsvc/filekind.h"
#include "view/dvkview.h"
#include "cmd/command_table.h"
#include "res/resource.h"

namespace {

bool IsPictureKind(std::uint32_t kind) { return docsvc::IsPictureKind(static_cast<int>(kind)); }

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
    if (app::DocHost* doc = GetDocument()) doc->KeyImageFields().m_bShiftHeld = 0;
  }
  Default();
}

void CDvkView::OnKillFocus(CWnd* next) {
  (void)next;
  // A Ctrl held down here comes up in the window that has the keys now (the
  // file dialog of Ctrl+O, a message box): this view never sees it, and a
  // latch kept would make the next letter typed here a Ctrl+letter command.
  // A Ctrl still held when the keys come back is in the keyboard state.
  if (m_bCtrlDown) {
    m_bCtrlDown = false;
    m_bInternalKey = 0;
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
    if (doc && doc->KeyImageFields().m_bShiftHeld == 0) doc->KeyImageFields().m_bShiftHeld = 1;
    return false;
  }
  const bool ctrl = m_bCtrlDown || ::GetKeyState(VK_CONTROL) < 0;
  const bool shift = ::GetKeyState(VK_SHIFT) < 0 || (doc && doc->KeyImageFields().m_bShiftHeld != 0);
  if (nChar == VK_INSERT && !ctrl && !shift) {
    // The control switches its overwrite mode itself; the word follows it.
    m_nInsertWord = m_nInsertWord == 0 ? 1 : 0;
    return false;
  }
  if (doc && doc->WindowFields().m_bTableEditMode == 1 && KeyTableEdit(nChar, ctrl)) return true;
  if (KeyMacroRecorder(nChar, nFlags)) return true;
  if (m_nFileKind == docsvc::kKindMacro && nChar == VK_F5 && KeyMacroDebug(nChar, ctrl)) return true;
  if (IsPictureKind(m_nFileKind) && KeyImageRegion(nChar, ctrl)) return true;
  const unsigned cmd = cmd::CommandForKey(nChar, ctrl, shift);
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

// Ctrl+arrows, Ctrl+digits, Ctrl+I/U and Ctrl+D of ruled-table editing
// go to the table engine (TableCommand, MakeTable, ConvertSelectionToTable,
// ToggleCharEffect, SetTextColor).
bool CDvkView::KeyTableEdit(UINT nChar, bool ctrl) {
  (void)nChar;
  (void)ctrl;
  return false;
}

// with m_bInternalKey 1, 'W' starts key-macro recording, 'Q' ends it;
// F9 plays the recording (100 entries, timer 50 as the recording clock).
bool CDvkView::KeyMacroRecorder(UINT nChar, UINT nFlags) {
  (void)nChar;
  (void)nFlags;
  return false;
}

// F5 in a macro text: with Ctrl the debugger (then m_bInternalKey 0),
// else resume while debugging.
bool CDvkView::KeyMacroDebug(UINT nChar, bool ctrl) {
  (void)nChar;
  if (ctrl) {
    OnMacroDebug();
    m_bInternalKey = 0;
    return true;
  }
  app::DocHost* doc = GetDocument();
  if (doc && doc->UpdateFields().m_nMacroDebugMode > 0) OnMacroResume();
  // F5 alone outside debug mode does nothing in a macro text.
  return true;
}

namespace {

// The image menu's keys on a picture: Esc alone, the others with Ctrl.
struct ImageKey {
  UINT key;
  bool ctrl;
  UINT command;
};
constexpr ImageKey kImageKeys[] = {
    {'C', true, ID_REGION_COPY},     {'X', true, ID_REGION_CUT},   {'V', true, ID_REGION_PASTE},
    {'S', true, ID_REGION_SAVE_FILE}, {'L', true, ID_REGION_INSERT_FILE},
    {'E', true, ID_REGION_CROP},     {'U', true, ID_REGION_UNDO},
    {VK_ESCAPE, false, ID_REGION_UNDO}, {'D', true, ID_REGION_CLEAR}, {'B', true, ID_IMAGE_BACK_COLOR},
};

UINT ImageCommandForKey(UINT nChar, bool ctrl) {
  for (const ImageKey& k : kImageKeys)
    if (k.key == nChar && k.ctrl == ctrl) return k.command;
  return 0;
}

}  // namespace

// On a picture the image menu's keys come before the frame's accelerators,
// which give the same keys to the text's commands (Ctrl+C copies text,
// Ctrl+B is the block edit).
BOOL CDvkView::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN && msg->hwnd == m_hWnd && IsPictureKind(m_nFileKind) &&
      ImageCommandForKey(static_cast<UINT>(msg->wParam), m_bCtrlDown || ::GetKeyState(VK_CONTROL) < 0) != 0)
    return KeyImageRegion(static_cast<UINT>(msg->wParam), m_bCtrlDown || ::GetKeyState(VK_CONTROL) < 0) ? TRUE
                                                                                                         : FALSE;
  return CRichEditView::PreTranslateMessage(msg);
}

// Ctrl+Down / Ctrl+PageDown and Ctrl+Up / Ctrl+PageUp page a tall picture;
// the image menu's keys run their commands.
bool CDvkView::KeyImageRegion(UINT nChar, bool ctrl) {
  if (ctrl && (nChar == VK_DOWN || nChar == VK_NEXT)) return ShowImagePage(1);
  if (ctrl && (nChar == VK_UP || nChar == VK_PRIOR)) return ShowImagePage(-1);
  const UINT cmd = ImageCommandForKey(nChar, ctrl);
  if (cmd == 0) return false;
  SendMessage(WM_COMMAND, MAKEWPARAM(cmd, 0), 0);
  return true;
}
