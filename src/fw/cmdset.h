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
//
// The framework's application, document and rich-edit view classes wire no
// standard command (New, Open, Save, Undo, Copy...) in their message maps:
// they only supply the handlers. A class derived from one of them names the
// ones it uses in its set (SetInheritedCommand below takes them from a list
// of rows), so each standard command is wired in one place.
#pragma once

#include <type_traits>

#include "fw/msgmap.h"

namespace fw {

// The command entry of `id` in the set of class T. The handler must be a
// member of T or of a base: the entry calls it on the object that owns the
// set. A handler that takes a UINT is given the command's id (the recent-file
// items share one handler).
template <class T, auto F>
constexpr MsgEntry SetCommand(UINT id) {
  static_assert(std::is_base_of_v<ClassOf<F>, T>, "a command set holds handlers of its own class");
  if constexpr (std::is_invocable_v<decltype(F), ClassOf<F>&, UINT>) {
    return OnCommandRange<F>(id, id);
  } else {
    return OnCommand<F>(id);
  }
}

// An entry that never matches (first > last): it stands where a row adds
// nothing to a set.
constexpr MsgEntry NoSetEntry(MsgKind kind) { return MsgEntry{kind, 0, 0, 1, 0, nullptr}; }

// The update-UI entry of `id` in the set of class T, or with nullptr an
// entry that never matches (a command without an update handler keeps the
// framework's rule: enabled where a handler is reached).
template <class T, auto F>
constexpr MsgEntry SetUpdate(UINT id) {
  if constexpr (std::is_null_pointer_v<decltype(F)>) {
    (void)id;
    return NoSetEntry(MsgKind::UpdateUI);
  } else {
    static_assert(std::is_base_of_v<ClassOf<F>, T>, "a command set holds handlers of its own class");
    return OnUpdateCommandUI<F>(id);
  }
}

// The framework's own commands (New, Save, Undo...) are carried out by
// members of its application, document and rich-edit view classes. The set
// of a class derived from one of them takes the rows whose handler it
// inherits; other rows add entries that never match. The update handler
// goes with the command's handler, so it must be a member of the same class
// line.
template <class T, auto F>
constexpr MsgEntry SetInheritedCommand(UINT id) {
  if constexpr (std::is_base_of_v<ClassOf<F>, T>) {
    return SetCommand<T, F>(id);
  } else {
    (void)id;
    return NoSetEntry(MsgKind::Command);
  }
}
template <class T, auto F, auto U>
constexpr MsgEntry SetInheritedUpdate(UINT id) {
  if constexpr (std::is_base_of_v<ClassOf<F>, T>) {
    return SetUpdate<T, U>(id);
  } else {
    (void)id;
    return NoSetEntry(MsgKind::UpdateUI);
  }
}

}  // namespace fw

#define FW_DECLARE_COMMAND_SET()                                             \
 public:                                                                     \
  static const fw::MsgEntry kCommandSet[];                                   \
  const fw::MsgEntry* GetCommandSet() const override { return kCommandSet; }
