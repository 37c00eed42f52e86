// File-name operands and the escapes of message and loop operands.
#pragma once

#include "fw/cstring.h"

namespace macro {

class MacroHost;
struct MacroState;

constexpr int kSlotChangeFolder = 157;  // folder of the last change-folder statement

// The path a load, save, file or export statement works on: "&PARA" filled
// from the host's parameter path, variables substituted, and a relative name
// anchored in the change folder (slot 157), else the macro's folder (slot
// 132), else the active list side's folder.
CString MacroExpandParameters(MacroState& state, MacroHost& host, const CString& path);

// "\n" becomes CR LF (mode 1: only a final "\n") and "\;" the field
// separator 0x06; "\\n" and "\\;" stay as "\n" and "\;".
CString MacroExpandLineEscapes(const CString& text, int mode);

}  // namespace macro
