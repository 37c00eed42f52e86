// CCmdUI: one update-UI request for a menu item, toolbar button, status-bar
// pane or other window. The update handler found through the command routing
// sets the state; bars derive their own kind that applies it to their items.
#pragma once

#include <windows.h>

#include <string>

#include "fw/cmdtarget.h"

class CWnd;

class CCmdUI {
 public:
  virtual ~CCmdUI() = default;

  UINT m_nID = 0;
  UINT m_nIndex = 0;         // item index in the menu or bar
  UINT m_nIndexMax = 0;
  HMENU m_hMenu = nullptr;   // set for a menu item
  CWnd* m_pOther = nullptr;  // set for a bar or other window

  virtual void Enable(BOOL on = TRUE);
  virtual void SetCheck(int check = 1);  // 0 off, 1 on, 2 indeterminate
  virtual void SetRadio(BOOL on = TRUE);
  virtual void SetText(const char* text);
  void ContinueRouting() { m_bContinueRouting = true; }

  // Routes the request to `target`. When nothing handles it and
  // `disableIfNoHandler` is set, the item is disabled unless a command
  // handler exists. Returns TRUE when an update handler ran.
  BOOL DoUpdate(CCmdTarget* target, BOOL disableIfNoHandler);

  bool m_bEnableChanged = false;
  bool m_bContinueRouting = false;
};

namespace fw {

// A CCmdUI that only records what the handler set (tests, and callers that
// need the state of a command, e.g. to ignore a disabled accelerator).
class RecordingCmdUI : public CCmdUI {
 public:
  explicit RecordingCmdUI(UINT id) { m_nID = id; }
  void Enable(BOOL on = TRUE) override { enabled = on != 0; m_bEnableChanged = true; }
  void SetCheck(int check = 1) override { checked = check; }
  void SetRadio(BOOL on = TRUE) override { checked = on ? 1 : 0; radio = true; }
  void SetText(const char* t) override { text = t ? t : ""; textSet = true; }

  bool enabled = true;
  int checked = 0;
  bool radio = false;
  bool textSet = false;
  std::string text;
};

}  // namespace fw
