// The program's command table: one row per command (commands.def) with its
// id, owner, handler names, menu caption, status-bar prompt and tooltip,
// default keys and macro word. The frame's accelerators, the text view's key
// dispatcher, the menus' key hints, the prompts and tooltips and the macro
// word lookup all read these rows.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace cmd {

// The subsystem that handles a command.
enum class Owner : unsigned char { kFramework, kFrame, kDocument, kTextView, kFileList, kCsv, kTable, kMacro, kImage, kConvert };

// How a command's menu item and toolbar button get their enabled state.
enum class Enable : unsigned char {
  kWhereHandled,   // enabled wherever its handler is reached along the routing
  kUpdateHandler,  // its update handler decides
  kNotBuilt,       // no handler yet: always greyed
};

struct Command {
  unsigned id;
  const char* symbol;   // the id's name in res/resource.h
  Owner owner;
  const char* handler;  // "" for a command that is not built
  const char* update;   // "" without an update handler
  Enable enable;
  const char* caption;  // menu text without the key hint
  const char* prompt;   // "prompt\ntooltip"
  const char* keys;     // "Ctrl+S", several separated by ", "
  const char* word;     // macro word, "" when none
};

// One key of the key table (virtual-key code and modifiers).
struct KeyBinding {
  unsigned vk = 0;
  bool ctrl = false;
  bool shift = false;
  bool alt = false;
  unsigned id = 0;  // the command
};

// All rows, in the order of commands.def.
const std::vector<Command>& Commands();
// A list form: the file list's handler of a command whose row has another
// owner (TABRYE_LIST_FORM rows of commands.def).
struct ListForm {
  unsigned id;
  const char* symbol;
  const char* handler;
  const char* update;  // "" without an update handler
};
const std::vector<ListForm>& ListForms();
// The row of `id`, nullptr when the id has none.
const Command* FindCommand(unsigned id);
const char* OwnerName(Owner owner);

// The status-bar prompt (the text before "\n") and the tooltip (after it);
// "" when the command has none or is unknown.
std::string PromptFor(unsigned id);
std::string TooltipFor(unsigned id);

// The key hint of the command's first key ("Ctrl+S"), "" when it has none.
std::string KeyHintFor(unsigned id);
// `caption` with the command's key hint after a TAB; a caption that holds a
// TAB already is returned as it is.
std::string WithKeyHint(unsigned id, const std::string& caption);
// The command's own caption with its key hint.
std::string MenuTextFor(unsigned id);

// Parses one key text ("Ctrl+Shift+F3", "F8", "Ctrl+B"); false for a text
// that names no key.
bool ParseKey(const std::string& text, KeyBinding* out);
// Formats a key as the menus show it.
std::string KeyText(const KeyBinding& key);

// The one key table: every key of every row, built once.
const std::vector<KeyBinding>& KeyTable();
// The command bound to a key, 0 when none.
unsigned CommandForKey(unsigned vk, bool ctrl, bool shift, bool alt = false);

// The macro language's word of a command and back (case-insensitive); ""
// and 0 when there is none.
std::string WordFor(unsigned id);
unsigned CommandForWord(const std::string& word);

}  // namespace cmd
