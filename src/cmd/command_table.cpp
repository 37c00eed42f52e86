#include "cmd/command_table.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "res/resource.h"

namespace cmd {

// Every row's number must be the value of its symbol in res/resource.h.
#define TABRYE_COMMAND(sym, id, owner, run, update, caption, prompt, keys, word) \
  static_assert((sym) == (id), #sym " in res/resource.h differs from its command row");
#define TABRYE_PLANNED(sym, id, owner, caption, prompt, keys, word) \
  static_assert((sym) == (id), #sym " in res/resource.h differs from its command row");
#include "cmd/commands.def"
#undef TABRYE_COMMAND
#undef TABRYE_PLANNED

namespace {

constexpr Owner OwnerOf(const char* name) {
  struct N {
    const char* name;
    Owner owner;
  };
  constexpr N kNames[] = {
      {"fw", Owner::kFramework}, {"frame", Owner::kFrame},   {"doc", Owner::kDocument},
      {"view", Owner::kTextView}, {"list", Owner::kFileList}, {"csv", Owner::kCsv},
      {"table", Owner::kTable},  {"macro", Owner::kMacro},   {"image", Owner::kImage},
      {"convert", Owner::kConvert},
  };
  for (const N& n : kNames) {
    const char* a = n.name;
    const char* b = name;
    while (*a && *a == *b) ++a, ++b;
    if (*a == 0 && *b == 0) return n.owner;
  }
  throw "unknown owner";  // not a constant expression: a bad owner fails the build
}

// A handler is named by its member pointer ("&CDvkDoc::OnViewWrap"); the
// table keeps the member's name.
const char* MemberName(const char* text) {
  const char* colon = std::strrchr(text, ':');
  return colon ? colon + 1 : (std::strcmp(text, "nullptr") == 0 ? "" : text);
}

std::vector<Command> BuildRows() {
  std::vector<Command> rows;
#define TABRYE_COMMAND(sym, id, owner, run, update, caption, prompt, keys, word)                     \
  {                                                                                                    \
    constexpr Owner o = OwnerOf(#owner);                                                               \
    const char* u = MemberName(#update);                                                               \
    rows.push_back(Command{id, #sym, o, MemberName(#run), u,                                           \
                           *u ? Enable::kUpdateHandler : Enable::kWhereHandled, caption, prompt, keys, \
                           word});                                                                     \
  }
#define TABRYE_PLANNED(sym, id, owner, caption, prompt, keys, word)                                  \
  {                                                                                                    \
    constexpr Owner o = OwnerOf(#owner);                                                               \
    rows.push_back(Command{id, #sym, o, "", "", Enable::kNotBuilt, caption, prompt, keys, word});      \
  }
#include "cmd/commands.def"
#undef TABRYE_COMMAND
#undef TABRYE_PLANNED
  return rows;
}

std::vector<ListForm> BuildListForms() {
  std::vector<ListForm> forms;
#define TABRYE_COMMAND(sym, id, owner, run, update, caption, prompt, keys, word)
#define TABRYE_PLANNED(sym, id, owner, caption, prompt, keys, word)
#define TABRYE_LIST_FORM(sym, run, update) forms.push_back(ListForm{sym, #sym, MemberName(#run), MemberName(#update)});
#include "cmd/commands.def"
#undef TABRYE_COMMAND
#undef TABRYE_PLANNED
#undef TABRYE_LIST_FORM
  return forms;
}

struct KeyName {
  const char* name;
  unsigned vk;
};

// Names of the keys that are not a letter, a digit or F1-F24 (the values of
// windows.h).
const KeyName kKeyNames[] = {
    {"Backspace", 0x08}, {"Tab", 0x09},   {"Enter", 0x0D}, {"Esc", 0x1B},   {"Space", 0x20},
    {"PgUp", 0x21},      {"PgDn", 0x22},  {"End", 0x23},   {"Home", 0x24},  {"Left", 0x25},
    {"Up", 0x26},        {"Right", 0x27}, {"Down", 0x28},  {"Ins", 0x2D},   {"Del", 0x2E},
};

bool SameText(const std::string& a, const char* b) {
  if (a.size() != std::strlen(b)) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// The key texts of a row: "Ctrl+S, Ctrl+Shift+S" → {"Ctrl+S", "Ctrl+Shift+S"}.
std::vector<std::string> SplitKeys(const char* keys) {
  std::vector<std::string> out;
  std::string cur;
  for (const char* p = keys; ; ++p) {
    if (*p == ',' || *p == 0) {
      std::size_t b = cur.find_first_not_of(' ');
      std::size_t e = cur.find_last_not_of(' ');
      if (b != std::string::npos) out.push_back(cur.substr(b, e - b + 1));
      cur.clear();
      if (*p == 0) break;
    } else {
      cur += *p;
    }
  }
  return out;
}

std::vector<KeyBinding> BuildKeys() {
  std::vector<KeyBinding> keys;
  for (const Command& c : Commands()) {
    for (const std::string& text : SplitKeys(c.keys)) {
      KeyBinding k;
      if (!ParseKey(text, &k)) continue;  // the command-table test names such a row
      k.id = c.id;
      keys.push_back(k);
    }
  }
  return keys;
}

}  // namespace

const std::vector<Command>& Commands() {
  static const std::vector<Command> rows = BuildRows();
  return rows;
}

const std::vector<ListForm>& ListForms() {
  static const std::vector<ListForm> forms = BuildListForms();
  return forms;
}

const Command* FindCommand(unsigned id) {
  for (const Command& c : Commands())
    if (c.id == id) return &c;
  return nullptr;
}

const char* OwnerName(Owner owner) {
  switch (owner) {
    case Owner::kFramework: return "fw";
    case Owner::kFrame: return "frame";
    case Owner::kDocument: return "doc";
    case Owner::kTextView: return "view";
    case Owner::kFileList: return "list";
    case Owner::kCsv: return "csv";
    case Owner::kTable: return "table";
    case Owner::kMacro: return "macro";
    case Owner::kImage: return "image";
    case Owner::kConvert: return "convert";
  }
  return "";
}

std::string PromptFor(unsigned id) {
  const Command* c = FindCommand(id);
  if (!c) return std::string();
  const char* nl = std::strchr(c->prompt, '\n');
  return nl ? std::string(c->prompt, nl) : std::string(c->prompt);
}

std::string TooltipFor(unsigned id) {
  const Command* c = FindCommand(id);
  if (!c) return std::string();
  const char* nl = std::strchr(c->prompt, '\n');
  return nl ? std::string(nl + 1) : std::string();
}

std::string KeyHintFor(unsigned id) {
  const Command* c = FindCommand(id);
  if (!c) return std::string();
  for (const std::string& text : SplitKeys(c->keys)) {
    KeyBinding k;
    if (ParseKey(text, &k)) return KeyText(k);
  }
  return std::string();
}

std::string WithKeyHint(unsigned id, const std::string& caption) {
  if (caption.find('\t') != std::string::npos) return caption;
  std::string hint = KeyHintFor(id);
  return hint.empty() ? caption : caption + "\t" + hint;
}

std::string MenuTextFor(unsigned id) {
  const Command* c = FindCommand(id);
  return c ? WithKeyHint(id, c->caption) : std::string();
}

bool ParseKey(const std::string& text, KeyBinding* out) {
  KeyBinding k;
  std::size_t pos = 0;
  for (;;) {
    std::size_t plus = text.find('+', pos);
    if (plus == std::string::npos || plus == pos) break;  // "Ctrl++" is no key here
    std::string mod = text.substr(pos, plus - pos);
    if (SameText(mod, "Ctrl")) k.ctrl = true;
    else if (SameText(mod, "Shift")) k.shift = true;
    else if (SameText(mod, "Alt")) k.alt = true;
    else return false;
    pos = plus + 1;
  }
  const std::string key = text.substr(pos);
  if (key.size() == 1 && std::isalnum(static_cast<unsigned char>(key[0]))) {
    k.vk = static_cast<unsigned>(std::toupper(static_cast<unsigned char>(key[0])));
  } else if (key.size() >= 2 && key.size() <= 3 && (key[0] == 'F' || key[0] == 'f') &&
             std::all_of(key.begin() + 1, key.end(), [](char ch) { return ch >= '0' && ch <= '9'; })) {
    int n = std::atoi(key.c_str() + 1);
    if (n < 1 || n > 24) return false;
    k.vk = 0x70u + static_cast<unsigned>(n - 1);
  } else {
    for (const KeyName& kn : kKeyNames)
      if (SameText(key, kn.name)) k.vk = kn.vk;
    if (k.vk == 0) return false;
  }
  if (out) *out = k;
  return true;
}

std::string KeyText(const KeyBinding& key) {
  std::string s;
  if (key.ctrl) s += "Ctrl+";
  if (key.shift) s += "Shift+";
  if (key.alt) s += "Alt+";
  if ((key.vk >= 'A' && key.vk <= 'Z') || (key.vk >= '0' && key.vk <= '9')) {
    s += static_cast<char>(key.vk);
  } else if (key.vk >= 0x70 && key.vk <= 0x87) {
    s += "F" + std::to_string(key.vk - 0x70 + 1);
  } else {
    for (const KeyName& kn : kKeyNames)
      if (kn.vk == key.vk) s += kn.name;
  }
  return s;
}

const std::vector<KeyBinding>& KeyTable() {
  static const std::vector<KeyBinding> keys = BuildKeys();
  return keys;
}

unsigned CommandForKey(unsigned vk, bool ctrl, bool shift, bool alt) {
  for (const KeyBinding& k : KeyTable())
    if (k.vk == vk && k.ctrl == ctrl && k.shift == shift && k.alt == alt) return k.id;
  return 0;
}

std::string WordFor(unsigned id) {
  const Command* c = FindCommand(id);
  return c ? std::string(c->word) : std::string();
}

unsigned CommandForWord(const std::string& word) {
  if (word.empty()) return 0;
  for (const Command& c : Commands())
    if (*c.word && SameText(word, c.word)) return c.id;
  return 0;
}

}  // namespace cmd
