// The selection-condition dialogs of the macro (187, the smaller one, and
// 188, the extended one): their control tables and the rules of their
// combo boxes, without windows. The dialog classes
// (view/select_cond_dlg.h) show what these decide.
//
// A combo's text on entry is its item list text: items separated
// by "|"; a leading "!" makes it a dependent list of sections separated by
// "!" (section k holds the items for choice k - 1 of the combo before it in
// the chain); a leading "$" makes it a file picker (the "$" dropped; with a
// "!" the list is section 2).
#pragma once

#include <array>
#include <string>
#include <vector>

namespace csv {

constexpr int kCondListMax = 100;

// The items of section `index` of `listText` (index 0, or a text without "!":
// the whole text). Sections are cut from the text after its first
// character at each "!"; a section that does not exist gives no items. A
// section is split at "|" (the rest after the last "|" is the last item)
// unless it begins with "|": then it is one item. An empty section gives
// no items; at most 100 items.
std::vector<std::string> LoadCondList(const std::string& listText, int index);

enum CondListMode { kListPlain = 0, kListDependent = 1, kListFile = 2 };

// Mode of a list text and the working copy its list is loaded from
// (the "$" of a file picker dropped), and the section shown on entry.
struct CondListStart {
  int mode = kListPlain;
  std::string listText;  // the working copy
  int index = 0;     // section loaded when the dialog opens
};
CondListStart ClassifyCondList(const std::string& text);

// True when an operator combo's text switches its date pickers off.
bool CondOperatorDisablesDates(const std::string& text);

// --- Control tables --------------------------------------------------------
enum class CondField { Combo, Date, Edit, Check };

struct CondPrompt {
  int prompt;   // read-only prompt edit
  int control;  // the input it labels; hidden when the prompt is empty
};

// One value the macro fills and reads: the control and the index of the
// member array (combo texts, dates, edit values, checks) that holds it.
struct CondFieldEntry {
  CondField kind;
  int control;
  int slot;
};

struct CondOperator {
  int combo;  // slot in the combo arrays
  int dateA;  // slots in the date array
  int dateB;
};

struct CondDialogTable {
  int dialogId;
  int comboCount;
  std::vector<int> comboIds;        // combo order (the members' index)
  std::vector<int> chain;           // combo slots in dependency order
  std::vector<int> dateIds;         // date order
  std::vector<int> editIds;         // value edits, m_strValue order
  std::vector<int> checkIds;        // check order
  std::vector<CondPrompt> prompts;  // prompt table order
  std::vector<CondOperator> operators;
  std::vector<CondFieldEntry> fields;  // the macro's order
  int freeEdit;                        // the edit without a prompt
};

const CondDialogTable& SelectCondTable();    // 187
const CondDialogTable& SelectCondExTable();  // 188

// What a caller outside the window side (the macro's user-dialog statement)
// fills and reads: the prompts in prompt-table order, the caption, and one
// text per field in the table's field order: a combo's list text in and
// its chosen text out, a date as "YYYYMMDD" (empty in: the picker's own
// date), a check as "0" or "1", an edit's text.
struct CondDialogValues {
  std::vector<std::string> prompts;
  std::string caption;
  std::vector<std::string> fields;
};

// --- The combo boxes of one dialog ---------------------------------------
// Keeps each combo's own list text for reloading: a selection change
// replaces the combo's text (what the macro reads back) but never its list.
class CondCombos {
 public:
  explicit CondCombos(const CondDialogTable& table) : table_(table) {}

  // The texts the macro set; returns, per combo slot, the items to load
  // (empty: the combo stays empty).
  std::vector<std::vector<std::string>> Open(const std::vector<std::string>& texts);

  // The user chose item `index` (text `chosen`) in combo `slot`. Returns
  // the slot of the combo to reload with *items (-1: none).
  int Choose(int slot, int index, const std::string& chosen, std::vector<std::string>* items);

  // A slot outside the dialog's combos reads as 0 / empty.
  int Mode(int slot) const { return Valid(slot) ? mode_[static_cast<std::size_t>(slot)] : 0; }
  int Selection(int slot) const { return Valid(slot) ? sel_[static_cast<std::size_t>(slot)] : 0; }
  std::string Text(int slot) const { return Valid(slot) ? text_[static_cast<std::size_t>(slot)] : std::string(); }
  void SetText(int slot, const std::string& text) {
    if (Valid(slot)) text_[static_cast<std::size_t>(slot)] = text;
  }

 private:
  bool Valid(int slot) const { return slot >= 0 && slot < table_.comboCount && slot < 10; }

  const CondDialogTable& table_;
  std::array<int, 10> mode_{};
  std::array<int, 10> sel_{};
  std::array<std::string, 10> listTexts_;  // the private copies
  std::array<std::string, 10> text_;  // the chosen texts
};

}  // namespace csv
