// Message maps: each class that handles window messages or commands has one
// static table of entries, and a pointer to its base class's table. A lookup
// walks the chain from the most derived class to CCmdTarget's empty table.
//
// An entry is plain data: which message (or command id range, or update-UI id
// range, or notification), and a thunk that calls the member function. The
// thunks are instantiated from the member-function pointer, so a handler with
// the wrong signature does not compile.
//
//   class CMyDoc : public CDocument {
//     FW_DECLARE_MESSAGE_MAP()            // leaves the access at "public:"
//    protected:
//     void OnFoo();
//     void OnUpdateFoo(CCmdUI* ui);
//   };
//
//   FW_BEGIN_MESSAGE_MAP(CMyDoc, CDocument)
//     fw::OnCommand<&CMyDoc::OnFoo>(ID_FOO),
//     fw::OnUpdateCommandUI<&CMyDoc::OnUpdateFoo>(ID_FOO),
//   FW_END_MESSAGE_MAP()
//
// The table is defined in the class's scope, so handlers may be protected.
#pragma once

#include <windows.h>

#include "fw/geometry.h"

class CCmdTarget;
class CCmdUI;
class CWnd;

namespace fw {

// Kinds of entries.
enum class MsgKind : unsigned char {
  End,        // terminates a table
  Message,    // window message `msg`
  Command,    // WM_COMMAND with notification `code` from ids first..last
  UpdateUI,   // update-UI request for ids first..last
  Notify,     // WM_NOTIFY with notification `code` from ids first..last
  Reflect,    // notification a control's parent reflected back to it (`msg` is
              // WM_COMMAND or WM_NOTIFY, `code` the notification code)
};

// Everything a thunk may need; thunks read what their signature needs and
// store a message result in `result`.
struct MsgCall {
  UINT msg = 0;
  WPARAM wp = 0;
  LPARAM lp = 0;
  UINT id = 0;          // command id (commands, update-UI, notifications)
  CCmdUI* ui = nullptr; // update-UI
  LRESULT result = 0;
};

// A thunk returns false when the handler declined (commands with a BOOL result).
using MsgThunk = bool (*)(CCmdTarget* target, MsgCall& call);

struct MsgEntry {
  MsgKind kind = MsgKind::End;
  UINT msg = 0;
  UINT code = 0;
  UINT first = 0;
  UINT last = 0;
  MsgThunk thunk = nullptr;
};

struct MsgMap {
  const MsgMap* base;
  const MsgEntry* entries;  // ends with an entry of kind End
};

// Finds the first entry of the chain that matches; nullptr when none.
const MsgEntry* FindMsgEntry(const MsgMap* map, MsgKind kind, UINT msg, UINT code, UINT id);

// --- thunk helpers ------------------------------------------------------------
template <class M>
struct MemberClass;
template <class C, class R, class... A>
struct MemberClass<R (C::*)(A...)> {
  using type = C;
};
template <auto F>
using ClassOf = typename MemberClass<decltype(F)>::type;

template <auto F>
ClassOf<F>* Self(CCmdTarget* t) {
  return static_cast<ClassOf<F>*>(t);
}

CWnd* WndFromHandle(HWND h);  // defined with CWnd
inline CPoint PointFromLParam(LPARAM lp) {
  return CPoint(static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)));
}

// --- commands ---------------------------------------------------------------------

// void OnFoo(): menu, accelerator or toolbar command `id`.
template <auto F>
constexpr MsgEntry OnCommand(UINT id) {
  return {MsgKind::Command, WM_COMMAND, 0, id, id, [](CCmdTarget* t, MsgCall&) {
            (Self<F>(t)->*F)();
            return true;
          }};
}
// void OnRange(UINT id): commands first..last.
template <auto F>
constexpr MsgEntry OnCommandRange(UINT first, UINT last) {
  return {MsgKind::Command, WM_COMMAND, 0, first, last, [](CCmdTarget* t, MsgCall& c) {
            (Self<F>(t)->*F)(c.id);
            return true;
          }};
}
// BOOL OnFooEx(UINT id): returns FALSE to let the routing go on.
template <auto F>
constexpr MsgEntry OnCommandEx(UINT first, UINT last) {
  return {MsgKind::Command, WM_COMMAND, 0, first, last,
          [](CCmdTarget* t, MsgCall& c) { return (Self<F>(t)->*F)(c.id) != 0; }};
}
// void OnUpdateFoo(CCmdUI*): update-UI of ids first..last (last 0: only first).
template <auto F>
constexpr MsgEntry OnUpdateCommandUI(UINT first, UINT last = 0) {
  return {MsgKind::UpdateUI, 0, 0, first, last ? last : first, [](CCmdTarget* t, MsgCall& c) {
            (Self<F>(t)->*F)(c.ui);
            return true;
          }};
}
// void OnChange(): control notification `code` (EN_CHANGE, BN_CLICKED...) from `id`.
template <auto F>
constexpr MsgEntry OnControl(UINT code, UINT id) {
  return {MsgKind::Command, WM_COMMAND, code, id, id, [](CCmdTarget* t, MsgCall&) {
            (Self<F>(t)->*F)();
            return true;
          }};
}
// void OnNm(NMHDR*, LRESULT*): WM_NOTIFY `code` from `id`.
template <auto F>
constexpr MsgEntry OnNotify(UINT code, UINT id) {
  return {MsgKind::Notify, WM_NOTIFY, code, id, id, [](CCmdTarget* t, MsgCall& c) {
            (Self<F>(t)->*F)(reinterpret_cast<NMHDR*>(c.lp), &c.result);
            return true;
          }};
}
// void OnNm(NMHDR*, LRESULT*) in the control itself: its parent's WM_NOTIFY
// `code` reflected back.
template <auto F>
constexpr MsgEntry OnNotifyReflect(UINT code) {
  return {MsgKind::Reflect, WM_NOTIFY, code, 0, 0xFFFFFFFFu, [](CCmdTarget* t, MsgCall& c) {
            (Self<F>(t)->*F)(reinterpret_cast<NMHDR*>(c.lp), &c.result);
            return true;
          }};
}
// void OnChange() in the control itself: WM_COMMAND notification `code`
// reflected back by its parent.
template <auto F>
constexpr MsgEntry OnControlReflect(UINT code) {
  return {MsgKind::Reflect, WM_COMMAND, code, 0, 0xFFFFFFFFu, [](CCmdTarget* t, MsgCall&) {
            (Self<F>(t)->*F)();
            return true;
          }};
}

// --- window messages -----------------------------------------------------------------

// LRESULT OnMsg(WPARAM, LPARAM): any message, including registered ones.
template <auto F>
constexpr MsgEntry OnMessage(UINT msg) {
  return {MsgKind::Message, msg, 0, 0, 0, [](CCmdTarget* t, MsgCall& c) {
            c.result = (Self<F>(t)->*F)(c.wp, c.lp);
            return true;
          }};
}
// void OnX(): WM_PAINT, WM_DESTROY, WM_CLOSE, WM_NCDESTROY...; result 0.
template <auto F>
constexpr MsgEntry OnMessageVoid(UINT msg) {
  return {MsgKind::Message, msg, 0, 0, 0, [](CCmdTarget* t, MsgCall& c) {
            (Self<F>(t)->*F)();
            c.result = 0;
            return true;
          }};
}
// int OnCreate(LPCREATESTRUCTA): -1 fails the creation.
template <auto F>
constexpr MsgEntry OnWmCreate() {
  return {MsgKind::Message, WM_CREATE, 0, 0, 0, [](CCmdTarget* t, MsgCall& c) {
            c.result = (Self<F>(t)->*F)(reinterpret_cast<LPCREATESTRUCTA>(c.lp));
            return true;
          }};
}
// void OnSize(UINT type, int cx, int cy)
template <auto F>
constexpr MsgEntry OnWmSize() {
  return {MsgKind::Message, WM_SIZE, 0, 0, 0, [](CCmdTarget* t, MsgCall& c) {
            (Self<F>(t)->*F)(static_cast<UINT>(c.wp), static_cast<short>(LOWORD(c.lp)),
                             static_cast<short>(HIWORD(c.lp)));
            return true;
          }};
}
// void OnTimer(UINT_PTR id)
template <auto F>
constexpr MsgEntry OnWmTimer() {
  return {MsgKind::Message, WM_TIMER, 0, 0, 0, [](CCmdTarget* t, MsgCall& c) {
            (Self<F>(t)->*F)(static_cast<UINT_PTR>(c.wp));
            return true;
          }};
}
// void OnSetFocus(CWnd* old) / OnKillFocus(CWnd* next); `msg` WM_SETFOCUS or WM_KILLFOCUS.
template <auto F>
constexpr MsgEntry OnWmFocus(UINT msg) {
  return {MsgKind::Message, msg, 0, 0, 0, [](CCmdTarget* t, MsgCall& c) {
            (Self<F>(t)->*F)(WndFromHandle(reinterpret_cast<HWND>(c.wp)));
            return true;
          }};
}
// void OnMouse(UINT flags, CPoint pt): WM_LBUTTONDOWN, WM_MOUSEMOVE, ... (client coordinates).
template <auto F>
constexpr MsgEntry OnWmMouse(UINT msg) {
  return {MsgKind::Message, msg, 0, 0, 0, [](CCmdTarget* t, MsgCall& c) {
            (Self<F>(t)->*F)(static_cast<UINT>(c.wp), PointFromLParam(c.lp));
            return true;
          }};
}
// void OnKey(UINT ch, UINT repeat, UINT flags): WM_KEYDOWN, WM_KEYUP, WM_CHAR, ...
template <auto F>
constexpr MsgEntry OnWmKey(UINT msg) {
  return {MsgKind::Message, msg, 0, 0, 0, [](CCmdTarget* t, MsgCall& c) {
            (Self<F>(t)->*F)(static_cast<UINT>(c.wp), static_cast<UINT>(LOWORD(c.lp)),
                             static_cast<UINT>(HIWORD(c.lp)));
            return true;
          }};
}
// void OnContextMenu(CWnd* wnd, CPoint screenPt)
template <auto F>
constexpr MsgEntry OnWmContextMenu() {
  return {MsgKind::Message, WM_CONTEXTMENU, 0, 0, 0, [](CCmdTarget* t, MsgCall& c) {
            (Self<F>(t)->*F)(WndFromHandle(reinterpret_cast<HWND>(c.wp)), PointFromLParam(c.lp));
            return true;
          }};
}

}  // namespace fw

// Declares the table and the virtual that returns it. Leaves the access at public.
#define FW_DECLARE_MESSAGE_MAP()                                  \
 public:                                                          \
  static const fw::MsgEntry kMsgEntries[];                        \
  static const fw::MsgMap kMsgMap;                                \
  const fw::MsgMap* GetMessageMap() const override { return &kMsgMap; }

// Defines the table of `cls`, chained to the table of `base`.
#define FW_BEGIN_MESSAGE_MAP(cls, base)                           \
  const fw::MsgMap cls::kMsgMap = {&base::kMsgMap, cls::kMsgEntries}; \
  const fw::MsgEntry cls::kMsgEntries[] = {
#define FW_END_MESSAGE_MAP() \
  fw::MsgEntry{}             \
  }                          \
  ;
