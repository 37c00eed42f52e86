// The start of a macro run, in the parts that need no editor: the macro
// text each mode runs (the one-line statement of mode 1, the escapes of
// mode 4, the comma form of a '$' file, the "@BAT" test), the folder of the
// run, and the fresh start of the variable store with its system slots.
// The run entry (which reads files, grows buffers and asks the editor)
// calls these.
#pragma once

#include <cstdint>
#include <string>

#include "fw/cstring.h"

namespace macro {

struct MacroState;

// The modes of a run (every caller passes one of these).
constexpr int kRunStatement = 1;     // one statement a command built
constexpr int kRunFile = 2;          // a key or list macro file
constexpr int kRunDocument = 3;      // the document's text (a ".rmc" loaded)
constexpr int kRunText = 4;          // macro text given as `source`
constexpr int kRunNestedFile = 12;   // nested file run
constexpr int kRunNestedDocument = 13;

// Bytes of a file or document text a run takes at most.
constexpr std::uint32_t kMaxRunText = 900000;

// The folder of a run: `folder`, or when empty `source` up to (not
// including) its last '\' (empty without one).
CString RunFolder(const CString& source, const CString& folder);

// Mode 1: the command and operand as one line after an empty label column
// (TAB, command, TAB, operand). A command of more than one
// byte that starts with '&' and a lower-case ASCII letter loses the '&',
// except before "re"; a TAB joins the operand; each "\\t" (backslash,
// backslash, 't') becomes one TAB.
std::string StatementRunText(const CString& command, const CString& operand);

// Mode 4: each backslash-'t' becomes a TAB and each backslash-'n' CR LF,
// read left to right; a backslash before any other byte stays.
std::string ExpandTextRunEscapes(const std::string& source);

// A macro file whose first byte is '$' is in comma form: that byte becomes a
// blank and every ',' not right after a '\' becomes a TAB (the '\' stays).
// Returns false (and changes nothing) for other texts.
bool CommaFormToColumns(std::string* text);

// The "@BAT" test: after any leading lines that begin with "//", a line that
// begins with "@BAT" in a text longer than 3 bytes makes the text a
// document, not a macro: that line's "@B" becomes "//" and true is returned.
bool TakeBatchText(std::string* text);

// What the fresh start writes into the system slots.
struct RunStartValues {
  std::int64_t now = 0;       // seconds since 1970 (the framework's clock)
  CString nameField1;         // the document's two name fields
  CString nameField2;
  int documentNumber = 0;
  CString paramPath;          // the document's parameter path ("&PARA")
  CString source;
  CString folder;             // as RunFolder gave it
  CString userName;
};

// The fresh start of the store for `mode`: the declared names and the next
// slot (unless mode 13), the variable slots the mode does not keep (text,
// flag and reference word), then the system slots.
void FreshRunStart(MacroState& state, int mode, const RunStartValues& values);

}  // namespace macro
