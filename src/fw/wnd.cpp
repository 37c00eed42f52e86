#include "fw/wnd.h"

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>

#include "fw/cmdui.h"
#include "fw/frame.h"
#include "fw/gdi.h"
#include "fw/msgbox.h"

namespace {

// Per-thread state: windows belong to the thread that created them.
struct ThreadState {
  std::unordered_map<HWND, CWnd*> permanent;
  std::unordered_map<HWND, std::unique_ptr<CWnd>> temporary;
  CWnd* pendingCreate = nullptr;  // bound by the CBT hook on its first message
  MSG current = {};               // message being handled (for Default)
};

ThreadState& State() {
  static thread_local ThreadState s;
  return s;
}

std::string ClassKey(UINT style, HCURSOR cursor, HBRUSH bg, HICON icon) {
  char buf[96];
  snprintf(buf, sizeof buf, "FwWnd:%x:%p:%p:%p", style, static_cast<void*>(cursor),
           static_cast<void*>(bg), static_cast<void*>(icon));
  return buf;
}

}  // namespace

// --- message-map lookup ----------------------------------------------------------

const fw::MsgEntry* fw::FindMsgEntry(const MsgMap* map, MsgKind kind, UINT msg, UINT code,
                                     UINT id) {
  for (; map; map = map->base) {
    for (const MsgEntry* e = map->entries; e->kind != MsgKind::End; ++e) {
      if (e->kind != kind) continue;
      switch (kind) {
        case MsgKind::Message:
          if (e->msg == msg) return e;
          break;
        case MsgKind::Command:
        case MsgKind::Notify:
          if (e->code == code && id >= e->first && id <= e->last) return e;
          break;
        case MsgKind::UpdateUI:
          if (id >= e->first && id <= e->last) return e;
          break;
        case MsgKind::Reflect:
          if (e->msg == msg && e->code == code) return e;
          break;
        case MsgKind::End:
          break;
      }
    }
  }
  return nullptr;
}

const fw::MsgEntry CCmdTarget::kMsgEntries[] = {fw::MsgEntry{}};
const fw::MsgMap CCmdTarget::kMsgMap = {nullptr, CCmdTarget::kMsgEntries};

BOOL CCmdTarget::OnCmdMsg(UINT id, int code, void* extra, CmdHandlerInfo* info) {
  fw::MsgCall call;
  call.id = id;
  const fw::MsgEntry* e = nullptr;
  if (const fw::MsgEntry* set = GetCommandSet()) {
    const fw::MsgMap own = {nullptr, set};
    if (code == CN_UPDATE_COMMAND_UI) {
      e = fw::FindMsgEntry(&own, fw::MsgKind::UpdateUI, 0, 0, id);
    } else if (code != CN_NOTIFY) {
      e = fw::FindMsgEntry(&own, fw::MsgKind::Command, 0, static_cast<UINT>(code), id);
    }
  }
  if (e) {
    if (code == CN_UPDATE_COMMAND_UI) call.ui = static_cast<CCmdUI*>(extra);
  } else if (code == CN_UPDATE_COMMAND_UI) {
    e = fw::FindMsgEntry(GetMessageMap(), fw::MsgKind::UpdateUI, 0, 0, id);
    call.ui = static_cast<CCmdUI*>(extra);
  } else if (code == CN_NOTIFY) {
    fw::MsgCall* nc = static_cast<fw::MsgCall*>(extra);
    const NMHDR* nm = reinterpret_cast<const NMHDR*>(nc->lp);
    e = fw::FindMsgEntry(GetMessageMap(), fw::MsgKind::Notify, 0, nm->code, id);
    call = *nc;
    call.id = id;
  } else {
    e = fw::FindMsgEntry(GetMessageMap(), fw::MsgKind::Command, 0, static_cast<UINT>(code), id);
  }
  if (!e) return FALSE;
  if (info) {
    info->target = this;
    info->entry = e;
    return TRUE;
  }
  if (code == CN_UPDATE_COMMAND_UI && !call.ui) return FALSE;
  bool handled = e->thunk(this, call);
  if (code == CN_NOTIFY) static_cast<fw::MsgCall*>(extra)->result = call.result;
  if (code == CN_UPDATE_COMMAND_UI && call.ui->m_bContinueRouting) {
    call.ui->m_bContinueRouting = false;
    return FALSE;
  }
  return handled ? TRUE : FALSE;
}

// --- CCmdUI ----------------------------------------------------------------------------

void CCmdUI::Enable(BOOL on) {
  if (m_hMenu) {
    EnableMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (on ? MF_ENABLED : (MF_DISABLED | MF_GRAYED)));
  } else if (m_pOther) {
    if (!on && ::GetFocus() == m_pOther->m_hWnd) {
      ::SendMessageA(::GetParent(m_pOther->m_hWnd), WM_NEXTDLGCTL, 0, FALSE);
    }
    ::EnableWindow(m_pOther->m_hWnd, on);
  }
  m_bEnableChanged = true;
}

void CCmdUI::SetCheck(int check) {
  if (m_hMenu) {
    CheckMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (check ? MF_CHECKED : MF_UNCHECKED));
  } else if (m_pOther && (m_pOther->SendMessage(WM_GETDLGCODE) & DLGC_BUTTON)) {
    m_pOther->SendMessage(BM_SETCHECK, check);
  }
}

void CCmdUI::SetRadio(BOOL on) {
  if (m_hMenu) {
    UINT last = GetMenuItemCount(m_hMenu);
    CheckMenuRadioItem(m_hMenu, m_nIndex, m_nIndex, on ? m_nIndex : last, MF_BYPOSITION);
    if (!on) CheckMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | MF_UNCHECKED);
  } else {
    SetCheck(on ? 1 : 0);
  }
}

void CCmdUI::SetText(const char* text) {
  if (m_hMenu) {
    MENUITEMINFOA mi = {};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_STRING;
    mi.dwTypeData = const_cast<char*>(text ? text : "");
    SetMenuItemInfoA(m_hMenu, m_nIndex, TRUE, &mi);
  } else if (m_pOther) {
    m_pOther->SetWindowText(text);
  }
}

BOOL CCmdUI::DoUpdate(CCmdTarget* target, BOOL disableIfNoHandler) {
  m_bEnableChanged = false;
  BOOL handled = target->OnCmdMsg(m_nID, CN_UPDATE_COMMAND_UI, this, nullptr);
  if (!handled && disableIfNoHandler && !m_bEnableChanged) {
    CmdHandlerInfo info;
    Enable(target->OnCmdMsg(m_nID, CN_COMMAND, nullptr, &info));
  }
  return handled;
}

// --- window classes -------------------------------------------------------------------

HINSTANCE fw::ResourceHandle() { return ResourceModule(); }

const char* fw::RegisterWndClass(UINT style, HCURSOR cursor, HBRUSH background, HICON icon) {
  static std::map<std::string, std::string> names;
  std::string key = ClassKey(style, cursor, background, icon);
  auto it = names.find(key);
  if (it != names.end()) return it->second.c_str();
  WNDCLASSA wc = {};
  wc.style = style;
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = cursor;
  wc.hbrBackground = background;
  wc.hIcon = icon;
  std::string& name = names[key];
  name = key;
  wc.lpszClassName = name.c_str();
  RegisterClassA(&wc);
  return name.c_str();
}

const char* fw::WndClassName() {
  static const char* n = RegisterWndClass(CS_DBLCLKS, LoadCursor(nullptr, IDC_ARROW),
                                          reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
  return n;
}

const char* fw::FrameClassName() {
  static const char* n = RegisterWndClass(
      CS_DBLCLKS, LoadCursor(nullptr, IDC_ARROW), reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1),
      LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(328)));
  return n;
}

const char* fw::ViewClassName() {
  static const char* n = RegisterWndClass(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW,
                                          LoadCursor(nullptr, IDC_ARROW),
                                          reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
  return n;
}

// --- handle map and subclassing --------------------------------------------------------

CWnd* fw::WndFromHandle(HWND h) { return CWnd::FromHandle(h); }

const fw::MsgEntry CWnd::kMsgEntries[] = {fw::MsgEntry{}};
const fw::MsgMap CWnd::kMsgMap = {&CCmdTarget::kMsgMap, CWnd::kMsgEntries};

CWnd::CWnd() = default;

CWnd::~CWnd() {
  if (m_hWnd && FromHandlePermanent(m_hWnd) == this) {
    ::DestroyWindow(m_hWnd);
  }
  if (m_hWnd && FromHandlePermanent(m_hWnd) == this) Detach();
}

CWnd* CWnd::FromHandlePermanent(HWND h) {
  if (!h) return nullptr;
  auto& m = State().permanent;
  auto it = m.find(h);
  return it == m.end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND h) {
  if (!h) return nullptr;
  if (CWnd* w = FromHandlePermanent(h)) return w;
  auto& t = State().temporary;
  auto it = t.find(h);
  if (it != t.end() && IsWindow(h)) return it->second.get();
  auto w = std::make_unique<CWnd>();
  w->m_hWnd = h;
  CWnd* raw = w.get();
  t[h] = std::move(w);
  return raw;
}

void CWnd::DeleteTempMap() {
  auto& t = State().temporary;
  for (auto& kv : t) kv.second->m_hWnd = nullptr;
  t.clear();
}

BOOL CWnd::Attach(HWND h) {
  if (!h || m_hWnd) return FALSE;
  auto& s = State();
  auto it = s.temporary.find(h);
  if (it != s.temporary.end()) {
    it->second->m_hWnd = nullptr;
    s.temporary.erase(it);
  }
  s.permanent[h] = this;
  m_hWnd = h;
  return TRUE;
}

HWND CWnd::Detach() {
  HWND h = m_hWnd;
  if (h) {
    auto& m = State().permanent;
    auto it = m.find(h);
    if (it != m.end() && it->second == this) m.erase(it);
  }
  m_hWnd = nullptr;
  return h;
}

void CWnd::BindAndSubclass(HWND h) {
  Attach(h);
  m_pfnSuper = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FwWndProc)));
}

BOOL CWnd::SubclassWindow(HWND h) {
  if (!h || m_hWnd || FromHandlePermanent(h)) return FALSE;
  BindAndSubclass(h);
  return TRUE;
}

HWND CWnd::UnsubclassWindow() {
  if (!m_hWnd) return nullptr;
  if (m_pfnSuper) {
    SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = nullptr;
  }
  return Detach();
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
  HWND h = ::GetDlgItem(FwGetSafeHwnd(parent), static_cast<int>(id));
  return h ? SubclassWindow(h) : FALSE;
}

LRESULT CALLBACK FwCbtHook(int code, WPARAM wp, LPARAM lp) {
  ThreadState& s = State();
  if (code == HCBT_CREATEWND && s.pendingCreate) {
    CWnd* w = s.pendingCreate;
    s.pendingCreate = nullptr;
    w->BindAndSubclass(reinterpret_cast<HWND>(wp));
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

fw::CreateBinding::CreateBinding(CWnd* w) {
  State().pendingCreate = w;
  hook_ = SetWindowsHookExA(WH_CBT, FwCbtHook, nullptr, GetCurrentThreadId());
}

fw::CreateBinding::~CreateBinding() {
  State().pendingCreate = nullptr;
  if (hook_) UnhookWindowsHookEx(hook_);
}

LRESULT CALLBACK FwWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  ThreadState& s = State();
  CWnd* w = CWnd::FromHandlePermanent(hwnd);
  if (!w) return DefWindowProcA(hwnd, msg, wp, lp);
  MSG saved = s.current;
  s.current.hwnd = hwnd;
  s.current.message = msg;
  s.current.wParam = wp;
  s.current.lParam = lp;
  LRESULT r = w->WindowProc(msg, wp, lp);
  s.current = saved;
  if (msg == WM_NCDESTROY && CWnd::FromHandlePermanent(hwnd) == w) {
    if (w->m_pfnSuper &&
        GetWindowLongPtrA(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&FwWndProc)) {
      SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(w->m_pfnSuper));
    }
    w->m_pfnSuper = nullptr;
    w->Detach();
    auto& t = s.temporary;
    t.erase(hwnd);
    w->PostNcDestroy();  // may delete w
  } else if (msg == WM_NCDESTROY) {
    s.temporary.erase(hwnd);
  }
  return r;
}

// --- creation -------------------------------------------------------------------------

BOOL CWnd::PreCreateWindow(CREATESTRUCTA& cs) {
  if (!cs.lpszClass) cs.lpszClass = fw::WndClassName();
  return TRUE;
}

BOOL CWnd::CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                    int x, int y, int width, int height, HWND parent, HMENU idOrMenu,
                    LPVOID param) {
  if (m_hWnd) return FALSE;
  CREATESTRUCTA cs = {};
  cs.dwExStyle = exStyle;
  cs.lpszClass = className;
  cs.lpszName = windowName;
  cs.style = style;
  cs.x = x;
  cs.y = y;
  cs.cx = width;
  cs.cy = height;
  cs.hwndParent = parent;
  cs.hMenu = idOrMenu;
  cs.hInstance = GetModuleHandleA(nullptr);
  cs.lpCreateParams = param;
  if (!PreCreateWindow(cs)) {
    PostNcDestroy();
    return FALSE;
  }
  HWND h;
  {
    fw::CreateBinding bind(this);
    h = CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y, cs.cx,
                        cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
  }
  if (!h) {
    // A window that failed in WM_CREATE is gone already (PostNcDestroy ran).
    return FALSE;
  }
  return TRUE;
}

BOOL CWnd::CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                    const RECT& rect, CWnd* parent, UINT id, LPVOID param) {
  return CreateEx(exStyle, className, windowName, style, rect.left, rect.top,
                  rect.right - rect.left, rect.bottom - rect.top, FwGetSafeHwnd(parent),
                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), param);
}

BOOL CWnd::Create(const char* className, const char* windowName, DWORD style, const RECT& rect,
                  CWnd* parent, UINT id, CCreateContext* context) {
  return CreateEx(0, className, windowName, style | WS_CHILD, rect, parent, id, context);
}

BOOL CWnd::DestroyWindow() {
  if (!m_hWnd) return FALSE;
  return ::DestroyWindow(m_hWnd);
}

void CWnd::PostNcDestroy() {}

// --- message handling ------------------------------------------------------------------

LRESULT CWnd::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT r = 0;
  if (!OnWndMsg(msg, wp, lp, &r)) r = DefWindowProc(msg, wp, lp);
  return r;
}

BOOL CWnd::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
  if (msg == WM_COMMAND) {
    if (!OnCommand(wp, lp)) return FALSE;
    *result = 0;
    return TRUE;
  }
  if (msg == WM_NOTIFY) {
    LRESULT r = 0;
    if (!OnNotify(wp, lp, &r)) return FALSE;
    *result = r;
    return TRUE;
  }
  const fw::MsgEntry* e = fw::FindMsgEntry(GetMessageMap(), fw::MsgKind::Message, msg, 0, 0);
  if (!e) return FALSE;
  fw::MsgCall call;
  call.msg = msg;
  call.wp = wp;
  call.lp = lp;
  if (!e->thunk(this, call)) return FALSE;
  *result = call.result;
  return TRUE;
}

BOOL CWnd::OnCommand(WPARAM wp, LPARAM lp) {
  UINT id = LOWORD(wp);
  HWND control = reinterpret_cast<HWND>(lp);
  int code = CN_COMMAND;
  if (control) {
    code = HIWORD(wp);
    CWnd* child = FromHandlePermanent(control);
    if (child && child->OnChildNotify(WM_COMMAND, wp, lp, nullptr)) return TRUE;
  }
  return OnCmdMsg(id, code, nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM wp, LPARAM lp, LRESULT* result) {
  const NMHDR* nm = reinterpret_cast<const NMHDR*>(lp);
  if (!nm) return FALSE;
  CWnd* child = FromHandlePermanent(nm->hwndFrom);
  if (child && child->OnChildNotify(WM_NOTIFY, wp, lp, result)) return TRUE;
  fw::MsgCall call;
  call.msg = WM_NOTIFY;
  call.wp = wp;
  call.lp = lp;
  if (!OnCmdMsg(static_cast<UINT>(nm->idFrom), CN_NOTIFY, &call, nullptr)) return FALSE;
  *result = call.result;
  return TRUE;
}

BOOL CWnd::OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
  UINT code = msg == WM_NOTIFY ? reinterpret_cast<const NMHDR*>(lp)->code : HIWORD(wp);
  const fw::MsgEntry* e = fw::FindMsgEntry(GetMessageMap(), fw::MsgKind::Reflect, msg, code, 0);
  if (!e) return FALSE;
  fw::MsgCall call;
  call.msg = msg;
  call.wp = wp;
  call.lp = lp;
  if (!e->thunk(this, call)) return FALSE;
  if (result) *result = call.result;
  return TRUE;
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (m_pfnSuper) return CallWindowProcA(m_pfnSuper, m_hWnd, msg, wp, lp);
  return ::DefWindowProcA(m_hWnd, msg, wp, lp);
}

LRESULT CWnd::Default() {
  const MSG& m = State().current;
  return DefWindowProc(m.message, m.wParam, m.lParam);
}

// --- operations ---------------------------------------------------------------------------

LRESULT CWnd::SendMessage(UINT msg, WPARAM wp, LPARAM lp) const {
  return ::SendMessageA(m_hWnd, msg, wp, lp);
}
BOOL CWnd::PostMessage(UINT msg, WPARAM wp, LPARAM lp) const {
  return ::PostMessageA(m_hWnd, msg, wp, lp);
}
UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapseMs, TIMERPROC proc) {
  return ::SetTimer(m_hWnd, id, elapseMs, proc);
}
BOOL CWnd::KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }

void CWnd::GetClientRect(RECT* r) const { ::GetClientRect(m_hWnd, r); }
void CWnd::GetClientRect(CRect* r) const {
  RECT rc = {};
  ::GetClientRect(m_hWnd, &rc);
  *r = fw::ToCRect(rc);
}
void CWnd::GetWindowRect(RECT* r) const { ::GetWindowRect(m_hWnd, r); }
void CWnd::GetWindowRect(CRect* r) const {
  RECT rc = {};
  ::GetWindowRect(m_hWnd, &rc);
  *r = fw::ToCRect(rc);
}
void CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint) {
  ::MoveWindow(m_hWnd, x, y, width, height, repaint);
}
void CWnd::MoveWindow(const CRect& r, BOOL repaint) {
  ::MoveWindow(m_hWnd, r.left, r.top, r.Width(), r.Height(), repaint);
}
BOOL CWnd::SetWindowPos(const CWnd* after, int x, int y, int cx, int cy, UINT flags) {
  return ::SetWindowPos(m_hWnd, FwGetSafeHwnd(after), x, y, cx, cy, flags);
}
namespace {
using MapFn = BOOL(WINAPI*)(HWND, LPPOINT);
void MapPoint(HWND w, MapFn map, CPoint* p) {
  POINT pt = {p->x, p->y};
  map(w, &pt);
  *p = CPoint(pt.x, pt.y);
}
void MapRect(HWND w, MapFn map, CRect* r) {
  POINT a = {r->left, r->top}, b = {r->right, r->bottom};
  map(w, &a);
  map(w, &b);
  r->SetRect(a.x, a.y, b.x, b.y);
}
}  // namespace

void CWnd::ClientToScreen(CPoint* p) const { MapPoint(m_hWnd, ::ClientToScreen, p); }
void CWnd::ClientToScreen(CRect* r) const { MapRect(m_hWnd, ::ClientToScreen, r); }
void CWnd::ScreenToClient(CPoint* p) const { MapPoint(m_hWnd, ::ScreenToClient, p); }
void CWnd::ScreenToClient(CRect* r) const { MapRect(m_hWnd, ::ScreenToClient, r); }

void CWnd::Invalidate(BOOL erase) { ::InvalidateRect(m_hWnd, nullptr, erase); }
void CWnd::InvalidateRect(const CRect* r, BOOL erase) {
  RECT rc = r ? fw::ToRECT(*r) : RECT{};
  ::InvalidateRect(m_hWnd, r ? &rc : nullptr, erase);
}
void CWnd::ValidateRect(const CRect* r) {
  RECT rc = r ? fw::ToRECT(*r) : RECT{};
  ::ValidateRect(m_hWnd, r ? &rc : nullptr);
}
void CWnd::UpdateWindow() { ::UpdateWindow(m_hWnd); }
BOOL CWnd::RedrawWindow(const CRect* r, HRGN rgn, UINT flags) {
  RECT rc = r ? fw::ToRECT(*r) : RECT{};
  return ::RedrawWindow(m_hWnd, r ? &rc : nullptr, rgn, flags);
}
void CWnd::SetRedraw(BOOL redraw) { SendMessage(WM_SETREDRAW, redraw); }
BOOL CWnd::LockWindowUpdate() { return ::LockWindowUpdate(m_hWnd); }
void CWnd::UnlockWindowUpdate() { ::LockWindowUpdate(nullptr); }

void CWnd::SetWindowText(const char* text) { ::SetWindowTextA(m_hWnd, text ? text : ""); }
int CWnd::GetWindowText(char* buf, int size) const { return ::GetWindowTextA(m_hWnd, buf, size); }
int CWnd::GetWindowTextLength() const { return ::GetWindowTextLengthA(m_hWnd); }
void CWnd::GetWindowText(CString& text) const {
  int n = GetWindowTextLength();
  std::string buf(static_cast<size_t>(n) + 1, '\0');
  int got = ::GetWindowTextA(m_hWnd, &buf[0], n + 1);
  buf.resize(got > 0 ? static_cast<size_t>(got) : 0);
  text = CString(std::move(buf));
}

CDC* CWnd::GetDC() { return new CClientDC(this); }
int CWnd::ReleaseDC(CDC* dc) {
  delete dc;
  return 1;
}

int CWnd::MessageBox(const char* text, const char* caption, UINT type) {
  std::string title = caption ? std::string(caption) : fw::MessageBoxTitle();
  return fw::ShowMessageBox(m_hWnd, text ? text : "", title.c_str(), type);
}

CWnd* CWnd::SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
CWnd* CWnd::GetFocus() { return FromHandle(::GetFocus()); }
CWnd* CWnd::SetCapture() { return FromHandle(::SetCapture(m_hWnd)); }
CWnd* CWnd::GetCapture() { return FromHandle(::GetCapture()); }
void CWnd::ReleaseCapture() { ::ReleaseCapture(); }

CWnd* CWnd::GetDlgItem(int id) const { return FromHandle(::GetDlgItem(m_hWnd, id)); }
int CWnd::GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
int CWnd::SetDlgCtrlID(int id) {
  return static_cast<int>(SetWindowLongPtrA(m_hWnd, GWLP_ID, id));
}
void CWnd::SetDlgItemText(int id, const char* text) { ::SetDlgItemTextA(m_hWnd, id, text ? text : ""); }
int CWnd::GetDlgItemText(int id, CString& text) const {
  HWND h = ::GetDlgItem(m_hWnd, id);
  if (!h) {
    text.Empty();
    return 0;
  }
  int n = ::GetWindowTextLengthA(h);
  std::string buf(static_cast<size_t>(n) + 1, '\0');
  int got = ::GetWindowTextA(h, &buf[0], n + 1);
  buf.resize(got > 0 ? static_cast<size_t>(got) : 0);
  text = CString(std::move(buf));
  return text.GetLength();
}
void CWnd::SetDlgItemInt(int id, UINT value, BOOL isSigned) {
  ::SetDlgItemInt(m_hWnd, id, value, isSigned);
}
UINT CWnd::GetDlgItemInt(int id, BOOL* translated, BOOL isSigned) const {
  return ::GetDlgItemInt(m_hWnd, id, translated, isSigned);
}
void CWnd::CheckDlgButton(int id, UINT check) { ::CheckDlgButton(m_hWnd, id, check); }
UINT CWnd::IsDlgButtonChecked(int id) const { return ::IsDlgButtonChecked(m_hWnd, id); }
void CWnd::CheckRadioButton(int first, int last, int check) {
  ::CheckRadioButton(m_hWnd, first, last, check);
}
LRESULT CWnd::SendDlgItemMessage(int id, UINT msg, WPARAM wp, LPARAM lp) const {
  return ::SendDlgItemMessageA(m_hWnd, id, msg, wp, lp);
}

BOOL CWnd::ShowWindow(int cmd) { return ::ShowWindow(m_hWnd, cmd); }
BOOL CWnd::IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
BOOL CWnd::EnableWindow(BOOL enable) { return ::EnableWindow(m_hWnd, enable); }
BOOL CWnd::IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
BOOL CWnd::IsIconic() const { return ::IsIconic(m_hWnd); }
BOOL CWnd::IsZoomed() const { return ::IsZoomed(m_hWnd); }
DWORD CWnd::GetStyle() const { return static_cast<DWORD>(GetWindowLongPtrA(m_hWnd, GWL_STYLE)); }
DWORD CWnd::GetExStyle() const {
  return static_cast<DWORD>(GetWindowLongPtrA(m_hWnd, GWL_EXSTYLE));
}
namespace {

// Changes the style word `index` (GWL_STYLE or GWL_EXSTYLE); FALSE when it
// stays the same. With swpFlags the frame is redrawn as SetWindowPos says.
BOOL ModifyStyleWord(HWND hwnd, int index, DWORD remove, DWORD add, UINT swpFlags) {
  DWORD s = static_cast<DWORD>(GetWindowLongPtrA(hwnd, index)), n = (s & ~remove) | add;
  if (s == n) return FALSE;
  SetWindowLongPtrA(hwnd, index, static_cast<LONG_PTR>(n));
  if (swpFlags) {
    ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | swpFlags);
  }
  return TRUE;
}

}  // namespace

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT swpFlags) {
  return ModifyStyleWord(m_hWnd, GWL_STYLE, remove, add, swpFlags);
}
BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags) {
  return ModifyStyleWord(m_hWnd, GWL_EXSTYLE, remove, add, swpFlags);
}
void CWnd::SetFont(HFONT font, BOOL redraw) {
  SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw);
}
HFONT CWnd::GetFontHandle() const { return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)); }
HMENU CWnd::GetMenuHandle() const { return ::GetMenu(m_hWnd); }
BOOL CWnd::SetMenuHandle(HMENU menu) { return ::SetMenu(m_hWnd, menu); }
void CWnd::DrawMenuBar() { ::DrawMenuBar(m_hWnd); }
void CWnd::CenterWindow(CWnd* alternate) {
  HWND ref = alternate ? alternate->m_hWnd : ::GetWindow(m_hWnd, GW_OWNER);
  if (!ref) ref = ::GetParent(m_hWnd);
  const bool child = (GetStyle() & WS_CHILD) != 0;
  RECT work = {};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  RECT area = work;
  // A hidden or minimised owner gives no place to centre over: the screen does.
  if (ref && (child || (::IsWindowVisible(ref) && !::IsIconic(ref)))) ::GetWindowRect(ref, &area);
  RECT me = {};
  ::GetWindowRect(m_hWnd, &me);
  int w = me.right - me.left, h = me.bottom - me.top;
  int x = (area.left + area.right - w) / 2, y = (area.top + area.bottom - h) / 2;
  if (!child) {
    // Wholly on the screen where it fits.
    if (x + w > work.right) x = work.right - w;
    if (y + h > work.bottom) y = work.bottom - h;
    if (x < work.left) x = work.left;
    if (y < work.top) y = work.top;
  }
  if (child) {
    POINT p = {x, y};
    ::ScreenToClient(::GetParent(m_hWnd), &p);
    x = p.x;
    y = p.y;
  }
  ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
void CWnd::DragAcceptFiles(BOOL accept) { ModifyStyleEx(accept ? 0 : WS_EX_ACCEPTFILES, accept ? WS_EX_ACCEPTFILES : 0); }
void CWnd::BringWindowToTop() { ::BringWindowToTop(m_hWnd); }
BOOL CWnd::SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }

CWnd* CWnd::GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
CWnd* CWnd::SetParent(CWnd* parent) { return FromHandle(::SetParent(m_hWnd, FwGetSafeHwnd(parent))); }
CWnd* CWnd::GetOwner() const { return FromHandle(::GetWindow(m_hWnd, GW_OWNER)); }
CWnd* CWnd::GetWindow(UINT cmd) const { return FromHandle(::GetWindow(m_hWnd, cmd)); }
CWnd* CWnd::GetTopLevelParent() const {
  HWND h = m_hWnd, p;
  while (h && (GetWindowLongPtrA(h, GWL_STYLE) & WS_CHILD) && (p = ::GetParent(h)) != nullptr) h = p;
  return FromHandle(h);
}
BOOL CWnd::IsChild(const CWnd* w) const { return ::IsChild(m_hWnd, FwGetSafeHwnd(w)); }

CFrameWnd* CWnd::GetParentFrame() const {
  for (HWND h = ::GetParent(m_hWnd); h; h = ::GetParent(h)) {
    CWnd* w = FromHandlePermanent(h);
    if (w && w->IsFrameWnd()) return static_cast<CFrameWnd*>(w);
  }
  return nullptr;
}

CFrameWnd* CWnd::GetTopLevelFrame() const {
  CFrameWnd* f = IsFrameWnd() ? static_cast<CFrameWnd*>(const_cast<CWnd*>(this)) : GetParentFrame();
  while (f) {
    CFrameWnd* up = f->GetParentFrame();
    if (!up) break;
    f = up;
  }
  return f;
}

void CWnd::SendMessageToDescendants(UINT msg, WPARAM wp, LPARAM lp, BOOL deep) {
  for (HWND c = ::GetTopWindow(m_hWnd); c; c = ::GetNextWindow(c, GW_HWNDNEXT)) {
    ::SendMessageA(c, msg, wp, lp);
    if (deep) {
      if (CWnd* w = FromHandlePermanent(c)) {
        w->SendMessageToDescendants(msg, wp, lp, TRUE);
      } else {
        CWnd tmp;
        tmp.m_hWnd = c;
        tmp.SendMessageToDescendants(msg, wp, lp, TRUE);
        tmp.m_hWnd = nullptr;
      }
    }
  }
}
