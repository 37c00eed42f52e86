// The user dialog a macro describes as text (dialog 196): its 200 slots as the
// input statements fill and read them, the readers of the definition and the
// binding texts, the OK rule, the value conversions of "inputread" and
// "inputwrite" per control letter, and the design description handed back on
// the clipboard. No windows: the dialog builds its controls from these slots.
#pragma once

#include <cstdint>

#include "fw/cstring.h"

namespace macro {

struct MacroState;

constexpr int kUserDialogSlots = 200;   // slots 0-199; slot 0 holds the answer
constexpr int kUserDialogLastSlot = 199;
constexpr int kUserDialogResultFields = 100;  // slots 0-99 answer the macro
constexpr int kTrackBarSlots = 4;       // track bars 1-4
constexpr int kDateSlots = 10;          // date pickers 1-10
constexpr int kDesignClipMax = 25000;   // clipboard block of the design text, NUL included
constexpr int kEditReadMax = 9000;      // bytes "inputread" takes from an edit field

struct UserDialogState {
  CString m_strItemDef[kUserDialogSlots];    // layout line: letter, x, y, w, h, style, '$' caption
  CString m_strItemLink[kUserDialogSlots];   // the entry's tail from its '>' on
  CString m_strItemValue[kUserDialogSlots];  // value text (initial value, then the answer)
  std::int32_t m_nItemVar[kUserDialogSlots] = {};    // bound variable, 0 for none
  char m_chItemKind[kUserDialogSlots] = {};          // control letter, set when the control is built
  std::int32_t m_nItemCurSel[kUserDialogSlots] = {};  // selected index or position
  std::int32_t m_nItemSlot[kUserDialogSlots] = {};    // number within its kind
  void* m_hItemWnd[kUserDialogSlots] = {};            // the control's window (opaque here)
  std::int32_t m_bDesignMode = 0;
  std::int32_t m_bModeless = 0;   // 1 while the dialog runs beside the macro
  std::int32_t m_nAnswerVar = 0;  // the open dialog's answer variable
  CString m_strFontFace;          // the "btitle" font
  // Per track bar 1-4 (index 0 unused): range base and reversal value.
  std::int32_t m_nSlidOffset[kTrackBarSlots + 1] = {};
  std::int32_t m_nSlidReverse[kTrackBarSlots + 1] = {};

  // Every slot emptied: texts, bound variable, letter, numbers, window.
  void ClearSlots();
  // True when the dialog has ended: slot 0 holds "@OK" or "@CANCEL".
  bool Ended() const;
};

// The default description of design mode (a definition under 10 bytes).
extern const char* const kUserDialogDefaultLines[3];  // slots 1-3

// Reads the definition text D into the slots' layout lines and tails:
// entries "#n,line;" or "#n,line>tail;". Slot numbers saturate at 199.
// `design`: a text under 10 bytes gives the default description.
void UserDialogReadDefinition(UserDialogState& d, const CString& text, bool design);

// Reads the binding text (V2's text when over 3 bytes, else "#1;#2;#3;"):
// entries "#n,var=value;" bind slot n to a variable (digits, or a letter
// 'A'-'~' but 'T' giving its code + 45) with an initial value ("@": the
// variable's text, "\@": "@"). `vars` is the variable store.
void UserDialogReadBindings(UserDialogState& d, const CString& v2Text, const CString* vars);

// The variable number of a letter variable's text "&Da" (142) or of a number;
// the character written for a slot 110-169 after "&D".
char UserDialogLetterOf(int slot);

// After a modal OK: "@OK" into slot 146, slot 1's value into 155, and each
// bound slot's value into its variable (edit fields, check boxes and radio
// buttons always; other controls only with a value neither "" nor "0").
void UserDialogCollectOk(const UserDialogState& d, MacroState& st);

// The state of one control as its window reports it ("inputread").
struct ControlReading {
  CString text;          // 'E': the edit field's text
  int selIndex = -1;     // 'M', 'L', 'm', 'l': the selection, -1 for none
  CString selText;       // 'm', 'l': the selected item's text
  int check = 0;         // 'K', 'R'
  int year = 0, month = 0, day = 0;  // 'D'
  int position = 0;      // 'I', 'U'
};
// The text "inputread" stores for a control of letter `kind`; false when the
// letter gives nothing ('T', 'P', others, and date pickers beyond 10).
// `base` and `reverse` are the track bar's; `ordinal` the control's number.
bool UserDialogReadConversion(char kind, int ordinal, int base, int reverse, const ControlReading& r,
                              CString* out);

// What "inputwrite" does to a control of letter `kind` for a variable text.
struct ControlWrite {
  enum Action { kNone, kText, kSelect, kCheck, kProgress, kTrack, kSpin };
  Action action = kNone;
  int value = 0;            // selection, check, position
  CString text;             // kText
  bool setsCurSel = false;  // the slot's current number becomes `value` (for 'U': the whole N)
  int curSel = 0;
};
ControlWrite UserDialogWriteConversion(char kind, const CString& varText, int base, int reverse);

// The design description: "\t&D..\t" heads for V1 and V2, a definition
// entry per slot with a line, a value entry per slot above 3, and three line
// ends. Its size with the NUL may exceed kDesignClipMax: the caller refuses it.
CString UserDialogDesignText(const UserDialogState& d, int v1, int v2);

}  // namespace macro
