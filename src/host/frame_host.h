// What the text views and the file list ask of the main frame (and, through
// it, of the application). The frame (app/mainfrm.h) implements this and
// registers itself in g_pFrameHost while it exists; the window libraries
// beneath the application include only this header.
#pragma once

#include "fw/bars.h"
#include "fw/cstring.h"
#include "fw/frame.h"

namespace app {

class FrameHost {
 public:
  // The frame window itself.
  virtual CFrameWnd* FrameWnd() = 0;
  // Makes text pane (row, col) of the 2x2 text splitter active.
  virtual void ActivateTextPane(int row, int col) = 0;
  // The text-pane split mode (1, 2 and 9 are two-pane layouts) and its
  // layout applied again; the split-cycle state word cleared (macro
  // debugging ends).
  virtual int TextSplitMode() = 0;
  virtual void SetTextSplitMode(int mode) = 0;
  virtual void ApplyTextLayout(int a, int b) = 0;
  virtual void ClearSplitCycleState() = 0;
  // Rewrites the menu captions for (kind, form, state) or selects a toolbar set.
  virtual void UpdateMenuTexts(int kind, int form, int state) = 0;
  // Esc poll of long operations: 1 when the user asked to stop.
  virtual int CheckEscapeAbort() = 0;
  // Applies the document's side display to the window.
  virtual void OnSideDisplay() = 0;
  // Applies the document's layout mode to the share of the list side.
  virtual void OnListDisplay() = 0;
  // Whether the frame's text layout shows text pane `paneIndex` (1-4).
  virtual bool ShowsTextPane(int paneIndex) = 0;
  // True (and one fewer left) when the frame asked the lists to swallow a paint.
  virtual bool TakeSkippedPaint() = 0;
  // The start command of the application: the command line (quotes
  // stripped) and whether the saved window placement is restored.
  virtual CString StartCommandLine() = 0;
  virtual bool RestoreLayoutAtStart() = 0;
  // The macro's display and window statements: the text-layout word
  // (applied by the next ApplyTextLayout or CycleTextLayout), the toolbar
  // word, and the layout cycle with (shift, apply) (apply 0 applies the word).
  virtual void SetTextLayoutWord(int word) { (void)word; }
  virtual void SetToolbarWord(int word) { (void)word; }
  virtual void CycleTextLayout(int shift, int apply) { (void)shift, (void)apply; }
  // The list keys' text layouts (request 5-8: one pane, side by side,
  // stacked, four; anything else does nothing) and list pane (row, col)
  // made active.
  virtual void SetTextLayout(int request) { (void)request; }
  virtual void ActivateListPane(int row, int col) { (void)row, (void)col; }
  // Stores the frame's child window rectangle in the document's m_rcSaved
  // (the view's redraw after a load).
  virtual void SaveChildWindowRect() {}
  // The top-level window of another program whose title equals `name`
  // (mode 2: contains it), without regard to case, and contains `extra`
  // when that is not empty; null when there is none.
  virtual CWnd* FindExternalAppWindow(CString name, CString extra, int mode) {
    (void)name, (void)extra, (void)mode;
    return nullptr;
  }
  // The outside browser's hand-over: the pass word (0, 1 or 9) and the
  // browser window found after it.
  virtual int BrowserPass() { return 0; }
  virtual void SetBrowserPass(int pass) { (void)pass; }
  virtual void SetBrowserWindow(CWnd* window) { (void)window; }

 protected:
  ~FrameHost() = default;
};

// The frame while it exists (null before creation and after exit).
inline FrameHost* g_pFrameHost = nullptr;

}  // namespace app

// The frame's status bar (null without a frame).
inline CStatusBar* g_pStatusBar = nullptr;
