// Subroutine calls, jumps and returns: the statements "call" ('C'), "jump"
// ('J'), "para" ('P') and "return" ('R', or "E" inside a '$' subroutine),
// the label search they share, the argument list of a call and the
// built-in ":Graph" subroutine appended on demand.
//
// Positions follow the statement scanner (macro_scan.h): a statement's
// position is the offset of the line break that ends it and m_nCmdLineNo
// the line it ends on, so a return puts both back exactly as they were after
// the call, and a found label leaves the position just after the label's
// name with the line of the label.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fw/cstring.h"
#include "macro/macro_outcome.h"

namespace macro {

struct MacroState;
struct MacroRunContext;

constexpr int kMaxCallDepth = 20;          // calls that may be active at once
constexpr int kMaxTargetName = 99;         // bytes of a call's or jump's name that count
constexpr int kMaxLabelCompare = 100;      // bytes of a label compared at most
// The run's command buffer holds 3,600,000 bytes with its closing NUL; the
// text with an appended template must fit in it.
constexpr std::uint32_t kMaxCommandText = 3600000 - 1;

// A label found: the offset just after its name (the statement after the
// label on its line starts there) and the line of the label.
struct LabelHit {
  std::uint32_t next = 0;
  int line = 0;
};

// Searches text[from, length) for a label line: a byte right after a CR or
// an LF that is ':' or `marker` ('S' for calls, 'L' for jumps), followed by
// exactly `name` (at most kMaxLabelCompare bytes compared) and then a
// control byte or the end of the text. A NUL ends the text. `line` is the
// line at `from`; every line break passed (CR LF once) adds one. The byte at
// offset 0 follows no line break, so a label there is never found.
bool MacroFindLabel(const char* text, std::uint32_t length, std::uint32_t from, int line, char marker,
                    const std::string& name, LabelHit* hit);

// The name a call or jump goes to: `rest` (the command after its ':'); when
// empty, the command after its first byte; for the bare letter, the
// operand. At most kMaxTargetName bytes.
std::string MacroCallTarget(const CString& command, const CString& rest, const CString& operand);

// The argument list of a call from its operand after substitution: pieces
// split at commas; a final '*' is dropped; a piece "first<N>" or
// "first<N|M>" stands for N (or N x M + 1) slot values from its first slot
// followed by one empty entry. `first` is an "&D" reference, a slot number,
// a declared name (bare or in square brackets) or a letter. False, with
// `out` left as it was, when the list would pass kMacroArgs entries or a
// piece would read a slot past kLastVarSlot.
bool MacroBuildCallArguments(const MacroState& st, const CString& arguments, std::vector<CString>* out);

// Class 32: "call" and "jump". `text` is the run's macro text; a call of
// "Graph" that finds no label appends the template to it.
Outcome MacroExecCallOrJump(MacroRunContext& rc, std::string* text, const CString& rest);

// Class 33: "para" binds the latest call's arguments.
Outcome MacroExecPara(MacroRunContext& rc);

// Class 34: "return" ('R', or "E" while a '$' subroutine runs).
Outcome MacroExecReturn(MacroRunContext& rc);

}  // namespace macro
