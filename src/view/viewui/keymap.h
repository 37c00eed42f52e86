// The text view's own key commands: one table from a key with its Ctrl and
// Shift state to the command the key handler sends (accelerators named by
// the menu texts).
#pragma once

namespace viewui {

struct KeyCommand {
  unsigned vk;       // virtual-key code
  bool ctrl;
  bool shift;
  unsigned command;  // WM_COMMAND id
};

// The command of a key, or 0 when the key is not one of the table's.
unsigned KeyCommandFor(unsigned vk, bool ctrl, bool shift);

// The whole table (for tests and the help text).
const KeyCommand* KeyCommands(int* count);

}  // namespace viewui
