// The main frame: toolbar 328, the status bar with seven indicators, the pane
// tree (a main splitter with the two file lists on one side and a 2x2 of
// dynamic 2x2 text splitters on the other), pane activation and layouts, the
// menu texts, the frame timers, the Esc abort poll and the key state.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "app/shell/menu_captions.h"
#include "fw/bars.h"
#include "fw/cmdset.h"
#include "fw/frame.h"
#include "fw/splitter.h"
#include "host/frame_host.h"
#include "host/pane_layout.h"

class CDvkView;
class CFlistView;
class CMainFrame;

extern CMainFrame* g_pMainFrame;   // the frame (null before creation and after exit)
// Its status bar is g_pStatusBar (host/frame_host.h).

class CMainFrame : public CFrameWnd, public app::FrameHost {
  FW_DECLARE_MESSAGE_MAP()
  // Its commands: the rows of cmd/commands.def owned by the frame
  // (mainfrm_commands.cpp).
  FW_DECLARE_COMMAND_SET()

  CMainFrame();
  ~CMainFrame() override;

  BOOL OnCreateClient(LPCREATESTRUCTA cs, CCreateContext* context) override;
  void OnUpdateFrameTitle(BOOL addToTitle) override;
  // A dropped folder is refused with a message; a file opens like Open.
  void OnDropPaths(const std::vector<CString>& paths) override;
  // A folder shown in the active side's list pane (a dropped folder).
  void ShowFolderInList(const CString& folder);
  // Writes the panes' folders and the window's rectangle into "Dorvik.sys" (once per run).
  void SaveListFoldersAtExit();
  BOOL PreTranslateMessage(MSG* msg) override;
  // The bars and panes, then the stored shares of the list side and the text panes.
  void RecalcLayout(BOOL notify = TRUE) override;

  // --- panes ----------------------------------------------------------------
  bool IsMainSplit2x1() const { return m_bMainSplit2x1; }
  // List pane (row, col) of the list splitter as it stands; null outside it.
  CFlistView* GetListPane(int row, int col) const;
  // The first view of text pane (row, col) of the 2x2 text splitter.
  CDvkView* GetTextView(int row, int col) const;
  CSplitterWnd& TextPaneSplitter(int row, int col) { return m_wndTextPane[ClampIndex(row, col)]; }

  // Makes text pane (row, col) active: row 0-1 (2 taken as 1), col 0-1, else 0.
  void ActivateTextPane(int row, int col) override;
  // Makes list pane (row, col) active: values outside 0-1 are 0; row and
  // column swap when the lists are stacked (m_nLayoutMode 9 or more).
  void ActivateListPane(int row, int col) override;
  // Sizes the text splitters for m_nTextSplitMode, or for the text-layout word
  // when one is set (it then becomes the split mode). b = 3 shows the second
  // row/column instead of the first; a != 0 also joins the dynamic splitters
  // of panes that get hidden. Runs under a window-update lock.
  void ApplyTextLayout(int a, int b = 0) override;
  int TextSplitMode() override { return m_nTextSplitMode; }
  void SetTextSplitMode(int mode) override { m_nTextSplitMode = mode; }
  int BrowserPass() override { return m_nBrowserPass; }
  void SetBrowserPass(int pass) override { m_nBrowserPass = pass; }
  void SetBrowserWindow(CWnd* window) override { m_pBrowserWnd = window; }
  void ClearSplitCycleState() override { m_nSplitCycleState = 0; }
  // The text panes of `cells` (shown by a new layout) show the document the
  // active text pane shows, as the panes of a view's own split do.
  void ShowDocumentInPanes(const std::vector<app::PaneCell>& cells);
  // apply 0: applies the text-layout word (the window statement sets it to 9
  // first); otherwise steps m_nTextSplitMode through the layout cycle
  // (backwards with shift) and applies it.
  void CycleTextLayout(int shift, int apply) override;
  void SetTextLayoutWord(int word) override { m_nTextLayoutWord = word; }
  // Layout request 5-8: one pane, side by side, stacked, four.
  void SetTextLayout(int request) override;
  // Applies m_nLayoutMode to the main splitter (share of the list side).
  void OnListDisplay() override;
  // Applies m_nSideDisplay to the window (start window modes).
  void OnSideDisplay() override;
  // Makes the other list pane active.
  void OnSwitchPane();
  // Starts another copy of the program.
  void OnNewWindow();
  // Stores the active view's window rectangle (screen) in m_rcSaved.
  void SaveChildWindowRect();
  // Top-level window whose title equals `name` (mode 2: contains it), both
  // without regard to case, and contains `extra` when that is not empty.
  CWnd* FindExternalAppWindow(CString name, CString extra, int mode) override;
  // Rewrites the menu captions for (kind, form, state) or selects a toolbar set.
  void UpdateMenuTexts(int kind, int form, int state) override;
  // The menu's captions with their key hints and the accelerators, both from
  // the command table (mainfrm_commands.cpp).
  void ApplyCommandTable();
  // A command's "prompt\ntooltip": its row of the command table.
  CString GetCommandText(UINT id) override;

  // Esc poll of long operations: looks at one pending key-down; on Esc removes
  // it and asks string 330 Yes/No; Yes sets the document's m_bAbort and gives 1.
  int CheckEscapeAbort() override;

  // --- the rest of what the views ask of the frame (app::FrameHost) --------
  CFrameWnd* FrameWnd() override { return this; }
  bool ShowsTextPane(int paneIndex) override;
  bool TakeSkippedPaint() override;
  CString StartCommandLine() override;
  bool RestoreLayoutAtStart() override;
  void SetToolbarWord(int word) override { m_nToolbarWord = word; }

  CToolBar m_wndToolBar;
  CStatusBar m_wndStatusBar;

  // --- frame fields ---------------------------------------------------------
  std::int32_t m_nTextSplitMode = 0;    // text-pane split mode 0-20
  std::int32_t m_nTextLayoutWord = 0;   // layout the macro asks for (0 = none)
  std::int32_t m_nToolbarWord = 0;      // 0 = "full tbar"
  std::int32_t m_nSplitCycleState = 0;  // cleared when macro debugging ends
  std::int32_t m_nSkipPaints = 0;       // paints the list panes swallow
  CWnd* m_pBrowserWnd = nullptr;        // browser window after an external hand-over
  std::int32_t m_nBrowserPass = 0;      // 0, 1, 9

  // Frame timers and how often they ran (diagnostics and tests).
  enum : UINT_PTR { kTimerSchedule = 1, kTimerReload = 2, kTimerStartup = 3 };
  static const UINT kScheduleMs = 1000, kReloadMs = 10000, kStartupMs = 1000;
  int m_nScheduleTicks = 0;
  int m_nReloadTicks = 0;
  int m_nStartupTicks = 0;
  std::int64_t m_tLastTick = 0;  // the clock value the last timer passed on

  // Handlers.
  int OnCreate(LPCREATESTRUCTA cs);
  void OnDestroy();
  bool m_bExitWritten = false;
  void OnTimer(UINT_PTR id);
  void OnWindowSplit();
  void OnAppExit();
  void OnAppAbout();
  void OnViewToolbar();
  void OnViewStatusBar();
  void OnUpdateViewToolbar(CCmdUI* ui);
  void OnUpdateViewStatusBar(CCmdUI* ui);
  void OnUpdateKana(CCmdUI* ui);

 private:
  struct ToolButton {
    UINT id;
    int image;
  };
  static const ToolButton kFullToolbar[];
  static const ToolButton kSelectionToolbar[];
  void SetToolbarButtons(const ToolButton* buttons, int count);
  void ApplyToolbarSet(app::ToolbarSet set);
  static int ClampIndex(int row, int col);
  void SizeListSide();
  void SizeTextPanes();
  void ShowBar(CControlBar& bar, bool show);
  void TrackModifierKeys(const MSG* msg);
  LRESULT OnActivateMsg(WPARAM wp, LPARAM lp);

  bool m_bMainSplit2x1 = false;
  bool m_bListsStacked = false;
  bool m_bReloadArmed = false;
  int m_nListPermille = 330;       // share of the list side in the main splitter
  int m_nTextRowPermille = 1000;   // share of the first row / column of the text panes
  int m_nTextColPermille = 1000;
  CSplitterWnd m_wndMainSplit;
  CSplitterWnd m_wndListSplit;
  CSplitterWnd m_wndTextSplit;
  CSplitterWnd m_wndTextPane[4];
};
