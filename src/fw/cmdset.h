// Command sets: a class may keep its command handlers in a table of its own,
// apart from its message map. CCmdTarget::OnCmdMsg looks the set up first,
// then the message map, so a set takes part in the usual routing
// (view -> document -> frame -> application).
//
//   class CMyView : public CView {
//     FW_DECLARE_COMMAND_SET()
//     ...
//   };
//   const fw::MsgEntry CMyView::kCommandSet[] = {
//     fw::SetCommand<CMyView, &CMyView::OnFoo>(ID_FOO),
//     fw::SetUpdate<CMyView, &CMyView::OnUpdateFoo>(ID_FOO),
//     fw::MsgEntry{},
//   };
//
// The table is defined in the class's scope, so handlers may be protected.
#pragma once

#include <type_traits>

#include "fw/msgmap.h"

namespace fw {

// The command entry of `id` in the set of class T. The handler must be a
// member of T or of a base: the entry calls it on the object that owns the set.
template <class T, auto F>
constexpr MsgEntry SetCommand(UINT id) {
  static_assert(std::is_base_of_v<ClassOf<F>, T>, "a command set holds handlers of its own class");
  return OnCommand<F>(id);
}

// The update-UI entry of `id` in the set of class T, or with nullptr an
// entry that never matches (a command without an update handler keeps the
// framework's rule: enabled where a handler is reached).
template <class T, auto F>
constexpr MsgEntry SetUpdate(UINT id) {
  if constexpr (std::is_null_pointer_v<decltype(F)>) {
    (void)id;
    return MsgEntry{MsgKind::UpdateUI, 0, 0, 1, 0, nullptr};  // first > last
  } else {
    static_assert(std::is_base_of_v<ClassOf<F>, T>, "a command set holds handlers of its own class");
    return OnUpdateCommandUI<F>(id);
  }
}

}  // namespace fw

#define FW_DECLARE_COMMAND_SET()                                             \
 public:                                                                     \
  static const fw::MsgEntry kCommandSet[];                                   \
  const fw::MsgEntry* GetCommandSet() const override { return kCommandSet; }
