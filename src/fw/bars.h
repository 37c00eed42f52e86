// Control bars of a frame: the toolbar (the common toolbar control, loaded
// from a bitmap and a TOOLBAR resource) and the status bar (the common status
// control with panes named by indicator ids). The frame lays them out along
// its edges and updates their items through the command routing when idle.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "fw/cmdui.h"
#include "fw/frame.h"
#include "fw/wnd.h"

// Bar styles.
enum : DWORD {
  CBRS_TOP = 0x1000,
  CBRS_BOTTOM = 0x2000,
  CBRS_TOOLTIPS = 0x0010,
  CBRS_FLYBY = 0x0020,
};

// The resource type of toolbar layouts: WORD version (1), width, height,
// count, then `count` command ids (0 for separators).
constexpr WORD RT_TOOLBAR_ID = 241;

class CControlBar : public CWnd {
 public:
  // Sets each item's state through the update handlers reachable from `target`.
  virtual void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) = 0;
  // Height the bar needs at the given frame width.
  virtual int CalcHeight(int width);
  DWORD GetBarStyle() const { return m_dwBarStyle; }
  void SetBarStyle(DWORD style) { m_dwBarStyle = style; }
  virtual int GetCount() const = 0;

  FW_DECLARE_MESSAGE_MAP()
  void OnDestroy();

 protected:
  BOOL CreateBar(const char* className, DWORD winStyle, DWORD barStyle, CWnd* parent, UINT id);
  DWORD m_dwBarStyle = 0;
  CFrameWnd* m_pFrame = nullptr;
};

// Button styles as GetButtonStyle reports them: the control's style in the
// low word, states in the high word (TBBS_DISABLED is the inverse of enabled).
enum : UINT {
  TBBS_BUTTON = TBSTYLE_BUTTON,
  TBBS_SEPARATOR = TBSTYLE_SEP,
  TBBS_CHECKBOX = TBSTYLE_CHECK,
  TBBS_GROUP = TBSTYLE_GROUP,
  TBBS_CHECKGROUP = TBSTYLE_CHECKGROUP,
  TBBS_CHECKED = TBSTATE_CHECKED << 16,
  TBBS_PRESSED = TBSTATE_PRESSED << 16,
  TBBS_DISABLED = TBSTATE_ENABLED << 16,
  TBBS_INDETERMINATE = TBSTATE_INDETERMINATE << 16,
  TBBS_HIDDEN = TBSTATE_HIDDEN << 16,
};

class CToolBar : public CControlBar {
 public:
  BOOL Create(CWnd* parent, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_TOP,
              UINT id = AFX_IDW_TOOLBAR);
  // Bitmap and TOOLBAR resource `resId`; FALSE when either is missing or bad.
  BOOL LoadToolBar(UINT resId);
  BOOL LoadBitmap(UINT resId, int buttonWidth = 16, int buttonHeight = 15);
  // Buttons for `ids` (0: separator); images are numbered in order.
  BOOL SetButtons(const UINT* ids, int count);

  int GetCount() const override;
  int CommandToIndex(UINT id) const;
  UINT GetItemID(int index) const;
  void GetItemRect(int index, CRect* rect) const;
  UINT GetButtonStyle(int index) const;
  void SetButtonStyle(int index, UINT style);

  void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) override;
  int CalcHeight(int width) override;

 private:
  CSize m_sizeImage{16, 15};
  int m_imageCount = 0;
};

// Pane styles of the status bar.
enum : UINT {
  SBPS_NORMAL = 0x0000,
  SBPS_NOBORDERS = 0x0100,
  SBPS_POPOUT = 0x0200,
  SBPS_OWNERDRAW = 0x1000,
  SBPS_DISABLED = 0x04000000,  // text not shown
  SBPS_STRETCH = 0x08000000,   // takes the width left over
};

constexpr UINT ID_SEPARATOR = 0;

class CStatusBar : public CControlBar {
 public:
  BOOL Create(CWnd* parent, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM,
              UINT id = AFX_IDW_STATUS_BAR);
  // One pane per id: ID_SEPARATOR panes start empty (the first one stretches
  // and has no border), the others show their string and are as wide as it.
  BOOL SetIndicators(const UINT* ids, int count);

  int GetCount() const override { return static_cast<int>(m_panes.size()); }
  int CommandToIndex(UINT id) const;
  UINT GetItemID(int index) const;
  void GetItemRect(int index, CRect* rect) const;

  // `update`: repaint the pane now, so the text is visible at once.
  BOOL SetPaneText(int index, const char* text, BOOL update = TRUE);
  CString GetPaneText(int index) const;
  // A prompt over pane 0 while a menu item or toolbar button is highlighted.
  // Texts set in pane 0 meanwhile wait beneath it (GetPaneText(0) gives the
  // prompt), and EndPrompt shows the latest of them, or what the pane held
  // before: a progress figure that ended while a menu was open does not
  // come back.
  void ShowPrompt(const char* text);
  void EndPrompt();
  bool PromptShown() const { return m_bPromptShown; }
  void GetPaneText(int index, CString& text) const { text = GetPaneText(index); }
  void SetPaneInfo(int index, UINT id, UINT style, int width);
  void GetPaneInfo(int index, UINT& id, UINT& style, int& width) const;
  UINT GetPaneStyle(int index) const;
  void SetPaneStyle(int index, UINT style);

  void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) override;
  int CalcHeight(int width) override;

  FW_DECLARE_MESSAGE_MAP()
  void OnSize(UINT type, int cx, int cy);

 private:
  struct Pane {
    UINT id = 0;
    UINT style = 0;
    int width = 0;
    CString text;
  };
  void UpdateParts();
  void ShowPane(int index);
  std::vector<Pane> m_panes;
  bool m_bPromptShown = false;
  CString m_strBeneathPrompt;  // pane 0's own text while a prompt covers it
};
