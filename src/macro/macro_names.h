// Declared names of the macro language: declaration lists, array indexes,
// the argument references of a call and the names shown for slots.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fw/cstring.h"
#include "macro/macro_state.h"

namespace macro {

class MacroHost;
struct MacroState;

// Declares the names of `list` ("a,b=1,tbl<3|4>,v<3>={a|b|c},12:n,B:x,#alias")
// from slot `next`: stores initial values, appends the entries to the names
// table and returns the next free slot. Returns 0 and changes nothing when a
// slot or an array would pass kLastVarSlot, the next free slot would pass
// `limit`, or the table is full; returns -1 after showing the message box
// when a '[' follows a separator.
int MacroDeclareVariables(MacroState& state, MacroHost* host, const CString& list, int next,
                          int limit = kLastVarSlot + 1);

// Reads one index of "<a>" or "<a|b>" at *pos (just after '<' or '|') and
// moves *pos past it. Returns the value, or -1 - value when a '|' ended it.
int MacroParseIndexRef(const MacroState& state, const CString& text, int* pos);

// The variable references of a call's argument text ("&D5*,&D7,A") as slot
// numbers, followed by a 0 when any was found. A reference followed by '*'
// marks its slot's flag word with kVarByRefMark when `flags` is given.
int MacroCollectArgumentRefs(const CString& text, std::vector<int>* slots, std::uint32_t* flags);

// The declared name of `slot`, or of the array element it is ("tbl<1|2>");
// "" for a slot no declaration covers.
CString MacroVariableDisplayName(const MacroState& state, int slot);

// The slot of a declared name (the base slot of an array); the names of the
// running subroutine are searched first. -1 when the name is not declared.
int MacroFindDeclaredSlot(const MacroState& state, const std::string& name);

// A declared name as the reference evaluator finds it: a variable (its slot)
// or an alias ("#", "&" or "@" and the text after its '=').
struct DeclaredName {
  char alias = 0;  // 0 for a variable
  int slot = 0;
  std::string text;
};

// Looks `name` up among the declared names: an entry matches when its name
// up to ';', '<' or '=' equals `name`. With `subroutineFirst` the entries
// after the last 0x05 mark are searched before the whole table.
bool MacroFindDeclaredName(const MacroState& state, const std::string& name, bool subroutineFirst,
                           DeclaredName* found);

// Length of the names table's text (kNameTableSize when it has no end).
int MacroNameTableLength(const MacroState& state);

}  // namespace macro
