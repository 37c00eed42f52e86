// The main frame's command set: every row of cmd/commands.def whose
// owner is the frame, with its handler and update handler. Also the two
// things the frame takes from the command table when it is created: the
// menu's captions with their key hints, and the accelerators.
#include <vector>

#include "cmd/command_set.h"
#include "app/mainfrm.h"
#include "cmd/command_table.h"

#define TABRYE_SET_CLASS CMainFrame
#undef TABRYE_SET_frame
#define TABRYE_SET_frame TABRYE_SET_ENTRIES

const fw::MsgEntry CMainFrame::kCommandSet[] = {
#include "cmd/commands.def"
    fw::MsgEntry{},
};

namespace {

// Every item of `menu` and its sub-menus that has a row gets the row's
// caption and key hint.
void ApplyCaptions(HMENU menu) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    if (HMENU sub = GetSubMenu(menu, i)) {
      ApplyCaptions(sub);
      continue;
    }
    const UINT id = GetMenuItemID(menu, i);
    const cmd::Command* row = cmd::FindCommand(id);
    if (!row || !*row->caption) continue;
    const std::string text = cmd::MenuTextFor(id);
    MENUITEMINFOA mi = {};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_STRING;
    mi.dwTypeData = const_cast<char*>(text.c_str());
    SetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &mi);
  }
}

}  // namespace

void CMainFrame::ApplyCommandTable() {
  if (HMENU menu = GetMenuHandle()) ApplyCaptions(menu);
  std::vector<ACCEL> keys;
  for (const cmd::KeyBinding& k : cmd::KeyTable()) {
    ACCEL a = {};
    a.fVirt = static_cast<BYTE>(FVIRTKEY | (k.ctrl ? FCONTROL : 0) | (k.shift ? FSHIFT : 0) | (k.alt ? FALT : 0));
    a.key = static_cast<WORD>(k.vk);
    a.cmd = static_cast<WORD>(k.id);
    keys.push_back(a);
  }
  if (m_hAccelTable) DestroyAcceleratorTable(m_hAccelTable);
  m_hAccelTable = keys.empty() ? nullptr : CreateAcceleratorTableA(keys.data(), static_cast<int>(keys.size()));
}

CString CMainFrame::GetCommandText(UINT id) {
  // Prompts and tooltips are the rows' own texts.
  if (const cmd::Command* row = cmd::FindCommand(id)) return CString(row->prompt);
  return CFrameWnd::GetCommandText(id);
}
