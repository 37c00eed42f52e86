// CFrameWnd: a top-level (or child) frame with a menu, control bars along its
// edges and one client pane (id AFX_IDW_PANE_FIRST) that holds a view or a
// splitter. The frame is where menu, accelerator and toolbar commands arrive;
// it routes them to the active view (which passes them to its document), then
// handles them itself, then hands them to the application.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "fw/creator.h"
#include "fw/wnd.h"

class CControlBar;
class CDocument;
class CView;

// Window ids of the frame's parts.
enum : UINT {
  AFX_IDW_TOOLBAR = 0xE800,
  AFX_IDW_STATUS_BAR = 0xE801,
  AFX_IDW_PANE_FIRST = 0xE900,  // first pane; splitter panes are FIRST + 16*row + col
  AFX_IDW_PANE_LAST = 0xE9FF,
};

// Frame-only style flags (kept by the frame, never passed to the system).
enum : DWORD {
  FWS_ADDTOTITLE = 0x00008000,  // title is "document - program"
};

class CFrameWnd : public CWnd {
  FW_DECLARE_MESSAGE_MAP()

  CFrameWnd();
  ~CFrameWnd() override;

  bool IsFrameWnd() const override { return true; }

  // Title from string `resId` (up to its first '\n'), menu and accelerators of
  // the same id when they exist; the context's view is created as the pane.
  virtual BOOL LoadFrame(UINT resId, DWORD style = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                         CWnd* parent = nullptr, CCreateContext* context = nullptr);
  BOOL Create(const char* className, const char* title, DWORD style = WS_OVERLAPPEDWINDOW,
              const RECT& rect = kRectDefault, CWnd* parent = nullptr, HMENU menu = nullptr,
              DWORD exStyle = 0, CCreateContext* context = nullptr);
  static const RECT kRectDefault;

  // Creates the client area; the default creates the context's view.
  virtual BOOL OnCreateClient(LPCREATESTRUCTA cs, CCreateContext* context);
  // Creates a view of the context's class as child `id` of this frame.
  CWnd* CreateView(CCreateContext* context, UINT id = AFX_IDW_PANE_FIRST);

  // Places the bars along the edges and the pane in the rest.
  virtual void RecalcLayout(BOOL notify = TRUE);

  CView* GetActiveView() const { return m_pViewActive; }
  void SetActiveView(CView* view, BOOL notify = TRUE);
  virtual CDocument* GetActiveDocument();
  // Sends OnInitialUpdate to the document's views, activates a view and shows.
  void InitialUpdateFrame(CDocument* doc, BOOL makeVisible);

  void SetTitle(const char* title) { m_strTitle = title ? title : ""; }
  CString GetTitle() const { return m_strTitle; }
  virtual void OnUpdateFrameTitle(BOOL addToTitle);

  // Bars register themselves when created with this frame as parent.
  void AddControlBar(CControlBar* bar);
  void RemoveControlBar(CControlBar* bar);
  CControlBar* GetControlBar(UINT id) const;
  // Update-UI of every bar item (the message loop calls it when idle).
  void UpdateControlBars(BOOL disableIfNoHandler = TRUE);
  // Text of the status bar's first pane.
  void SetMessageText(const char* text);

  BOOL OnCmdMsg(UINT id, int code, void* extra, CmdHandlerInfo* info) override;
  BOOL OnCommand(WPARAM wp, LPARAM lp) override;
  // Toolbar tooltips and fly-by prompts; everything else as a window.
  BOOL OnNotify(WPARAM wp, LPARAM lp, LRESULT* result) override;

  // A command's string "prompt\ntooltip" (the default: string `id`).
  virtual CString GetCommandText(UINT id);
  // Status pane 0 shows the prompt of `id` (0: empty) while a menu item or a
  // toolbar button is highlighted; EndPrompt puts back pane 0's own text
  // (CStatusBar::ShowPrompt: what was set meanwhile waits beneath).
  void ShowPrompt(UINT id);
  void EndPrompt();

  // Files dropped on the frame (DragAcceptFiles): the paths in drop order.
  // The default opens the first one like Open.
  virtual void OnDropPaths(const std::vector<CString>& paths);
  void OnDropFiles(HDROP drop);
  BOOL PreTranslateMessage(MSG* msg) override;
  void PostNcDestroy() override;  // deletes the frame when m_bAutoDelete
  bool m_bAutoDelete = true;

  HMENU m_hMenuDefault = nullptr;
  HACCEL m_hAccelTable = nullptr;
  BOOL m_bAutoMenuEnable = TRUE;  // menu items without any handler are greyed
  UINT m_nIDHelp = 0;

  // Handlers (derived frames call them as CFrameWnd::OnX).
  int OnCreate(LPCREATESTRUCTA cs);
  void OnSize(UINT type, int cx, int cy);
  void OnClose();
  void OnDestroy();
  void OnSetFocus(CWnd* old);
  LRESULT OnInitMenuPopup(WPARAM wp, LPARAM lp);
  LRESULT OnMenuSelect(WPARAM wp, LPARAM lp);
  LRESULT OnExitMenuLoop(WPARAM wp, LPARAM lp);
  LRESULT OnDropFilesMessage(WPARAM wp, LPARAM lp);
  void OnUpdateKeyIndicator(CCmdUI* ui);

 protected:
  CString m_strTitle;
  DWORD m_dwFrameStyle = 0;  // FWS_ flags
  CView* m_pViewActive = nullptr;
  std::vector<CControlBar*> m_bars;
  bool m_inRecalc = false;
  bool m_bShownOnce = false;  // InitialUpdateFrame has applied the show command
};
