// CWnd: a C++ object bound to one window handle. Every window created through
// CWnd is subclassed from its first message on and listed in the thread's
// handle map, so messages reach WindowProc and the message map of the object.
#pragma once

#include <windows.h>

#include "fw/cmdtarget.h"
#include "fw/cstring.h"
#include "fw/geometry.h"

class CDC;
class CFrameWnd;
class CDataExchange;
struct CCreateContext;

namespace fw {

inline RECT ToRECT(const CRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }
inline CRect ToCRect(const RECT& r) {
  return CRect(static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.right),
               static_cast<int>(r.bottom));
}

// Names of the framework's window classes, registered on first use.
const char* WndClassName();     // plain child windows
const char* FrameClassName();   // frames (icon IDR_MAINFRAME when present)
const char* ViewClassName();    // views (redraw on size, double clicks)
// Registers (once per distinct argument set) a class with these properties and
// returns its name.
const char* RegisterWndClass(UINT style, HCURSOR cursor = nullptr, HBRUSH background = nullptr,
                             HICON icon = nullptr);

// While alive, the next window this thread creates is bound to `w` and
// subclassed from its very first message (CreateEx and dialogs use it).
class CreateBinding {
 public:
  explicit CreateBinding(CWnd* w);
  ~CreateBinding();
  CreateBinding(const CreateBinding&) = delete;
  CreateBinding& operator=(const CreateBinding&) = delete;

 private:
  HHOOK hook_;
};

// The module whose resources (dialogs, menus, strings, toolbars) are used.
HINSTANCE ResourceHandle();

}  // namespace fw

class CWnd : public CCmdTarget {
  FW_DECLARE_MESSAGE_MAP()

  CWnd();
  ~CWnd() override;  // destroys the window if this object still owns it
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND m_hWnd = nullptr;
  // For a pointer that may be null use FwGetSafeHwnd(w).
  HWND GetSafeHwnd() const { return m_hWnd; }
  operator HWND() const { return m_hWnd; }

  // --- handle map ------------------------------------------------------------
  // The object bound to `h`, or a temporary wrapper (freed at idle time or when
  // the window is destroyed) when none is; nullptr for a null handle.
  static CWnd* FromHandle(HWND h);
  // The object bound to `h` only.
  static CWnd* FromHandlePermanent(HWND h);
  // Frees the temporary wrappers (called by the message loop when idle).
  static void DeleteTempMap();

  BOOL Attach(HWND h);   // binds without subclassing
  HWND Detach();
  BOOL SubclassWindow(HWND h);  // binds and routes the window's messages here
  HWND UnsubclassWindow();
  BOOL SubclassDlgItem(UINT id, CWnd* parent);

  // --- creation ----------------------------------------------------------------
  virtual BOOL PreCreateWindow(CREATESTRUCTA& cs);
  // className nullptr: the framework's plain class.
  virtual BOOL Create(const char* className, const char* windowName, DWORD style,
                      const RECT& rect, CWnd* parent, UINT id, CCreateContext* context = nullptr);
  BOOL CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                int x, int y, int width, int height, HWND parent, HMENU idOrMenu,
                LPVOID param = nullptr);
  BOOL CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                const RECT& rect, CWnd* parent, UINT id, LPVOID param = nullptr);
  virtual BOOL DestroyWindow();
  // Called after the window is gone (WM_NCDESTROY); frames and views delete
  // themselves here.
  virtual void PostNcDestroy();

  // --- message handling --------------------------------------------------------
  virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);
  virtual BOOL OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);
  virtual BOOL OnCommand(WPARAM wp, LPARAM lp);
  virtual BOOL OnNotify(WPARAM wp, LPARAM lp, LRESULT* result);
  // A parent passes a child's notification back to the child first (reflect
  // entries of the child's table); TRUE when the child handled it.
  virtual BOOL OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);
  virtual BOOL PreTranslateMessage(MSG* msg);
  virtual LRESULT DefWindowProc(UINT msg, WPARAM wp, LPARAM lp);
  // The default processing of the message being handled now.
  LRESULT Default();
  // Frames answer true (GetParentFrame looks for them).
  virtual bool IsFrameWnd() const { return false; }

  // --- data exchange (dialogs and form-like windows) ---------------------------
  virtual void DoDataExchange(CDataExchange* dx);
  // save TRUE: controls to members with validation; FALSE: members to controls.
  BOOL UpdateData(BOOL save = TRUE);

  // --- operations -----------------------------------------------------------------
  LRESULT SendMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const;
  BOOL PostMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const;
  UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs, TIMERPROC proc = nullptr);
  BOOL KillTimer(UINT_PTR id);

  void GetClientRect(CRect* r) const;
  void GetClientRect(RECT* r) const;
  void GetWindowRect(CRect* r) const;
  void GetWindowRect(RECT* r) const;
  void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
  void MoveWindow(const CRect& r, BOOL repaint = TRUE);
  BOOL SetWindowPos(const CWnd* after, int x, int y, int cx, int cy, UINT flags);
  void ClientToScreen(CPoint* p) const;
  void ClientToScreen(CRect* r) const;
  void ScreenToClient(CPoint* p) const;
  void ScreenToClient(CRect* r) const;

  void Invalidate(BOOL erase = TRUE);
  void InvalidateRect(const CRect* r, BOOL erase = TRUE);
  void ValidateRect(const CRect* r);
  void UpdateWindow();
  BOOL RedrawWindow(const CRect* r = nullptr, HRGN rgn = nullptr,
                    UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
  void SetRedraw(BOOL redraw = TRUE);
  BOOL LockWindowUpdate();
  void UnlockWindowUpdate();

  void SetWindowText(const char* text);
  int GetWindowText(char* buf, int size) const;
  void GetWindowText(CString& text) const;
  int GetWindowTextLength() const;

  // The client area's DC; give it back with ReleaseDC (which deletes it).
  CDC* GetDC();
  int ReleaseDC(CDC* dc);

  // Goes through the message-box test hook first.
  int MessageBox(const char* text, const char* caption = nullptr, UINT type = MB_OK);

  CWnd* SetFocus();
  static CWnd* GetFocus();
  CWnd* SetCapture();
  static CWnd* GetCapture();
  static void ReleaseCapture();

  CWnd* GetDlgItem(int id) const;
  int GetDlgCtrlID() const;
  int SetDlgCtrlID(int id);
  void SetDlgItemText(int id, const char* text);
  int GetDlgItemText(int id, CString& text) const;
  void SetDlgItemInt(int id, UINT value, BOOL isSigned = TRUE);
  UINT GetDlgItemInt(int id, BOOL* translated = nullptr, BOOL isSigned = TRUE) const;
  void CheckDlgButton(int id, UINT check);
  UINT IsDlgButtonChecked(int id) const;
  void CheckRadioButton(int first, int last, int check);
  LRESULT SendDlgItemMessage(int id, UINT msg, WPARAM wp = 0, LPARAM lp = 0) const;

  BOOL ShowWindow(int cmd);
  BOOL IsWindowVisible() const;
  BOOL EnableWindow(BOOL enable = TRUE);
  BOOL IsWindowEnabled() const;
  BOOL IsIconic() const;
  BOOL IsZoomed() const;
  DWORD GetStyle() const;
  DWORD GetExStyle() const;
  BOOL ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0);
  BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags = 0);
  void SetFont(HFONT font, BOOL redraw = TRUE);
  HFONT GetFontHandle() const;
  HMENU GetMenuHandle() const;
  BOOL SetMenuHandle(HMENU menu);
  void DrawMenuBar();
  void CenterWindow(CWnd* alternate = nullptr);
  // Files dropped from the shell arrive as WM_DROPFILES.
  void DragAcceptFiles(BOOL accept = TRUE);
  void BringWindowToTop();
  BOOL SetForegroundWindow();

  CWnd* GetParent() const;
  CWnd* SetParent(CWnd* parent);
  CWnd* GetOwner() const;
  CWnd* GetWindow(UINT cmd) const;
  CWnd* GetTopLevelParent() const;
  BOOL IsChild(const CWnd* w) const;
  // The nearest ancestor that is a frame (not this window itself).
  CFrameWnd* GetParentFrame() const;
  // The top-level frame of this window (this window when it is one).
  CFrameWnd* GetTopLevelFrame() const;
  void SendMessageToDescendants(UINT msg, WPARAM wp = 0, LPARAM lp = 0, BOOL deep = TRUE);

  // --- default handlers (derived handlers call them as Base::OnX) -------------
  int OnCreate(LPCREATESTRUCTA cs) { return static_cast<int>(Default()); }
  void OnDestroy() { Default(); }
  void OnClose() { Default(); }
  void OnPaint() { Default(); }
  void OnSize(UINT type, int cx, int cy) { Default(); }
  void OnTimer(UINT_PTR id) { Default(); }
  void OnSetFocus(CWnd* old) { Default(); }
  void OnKillFocus(CWnd* next) { Default(); }
  void OnLButtonDown(UINT flags, CPoint pt) { Default(); }
  void OnLButtonUp(UINT flags, CPoint pt) { Default(); }
  void OnLButtonDblClk(UINT flags, CPoint pt) { Default(); }
  void OnRButtonDown(UINT flags, CPoint pt) { Default(); }
  void OnRButtonUp(UINT flags, CPoint pt) { Default(); }
  void OnMouseMove(UINT flags, CPoint pt) { Default(); }
  void OnKeyDown(UINT ch, UINT repeat, UINT flags) { Default(); }
  void OnKeyUp(UINT ch, UINT repeat, UINT flags) { Default(); }
  void OnChar(UINT ch, UINT repeat, UINT flags) { Default(); }
  void OnContextMenu(CWnd* w, CPoint pt) { Default(); }

 protected:
  WNDPROC m_pfnSuper = nullptr;  // the window's own procedure, below ours

 private:
  friend LRESULT CALLBACK FwWndProc(HWND, UINT, WPARAM, LPARAM);
  friend LRESULT CALLBACK FwCbtHook(int, WPARAM, LPARAM);
  void BindAndSubclass(HWND h);
};

// The handle of `w`, nullptr for nullptr (used by the GDI, menu and dialog code).
HWND FwGetSafeHwnd(const CWnd* w);

// The window procedure of every subclassed window.
LRESULT CALLBACK FwWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
