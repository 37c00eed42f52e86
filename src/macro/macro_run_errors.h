// The run errors of the macro interpreter as one table: each named error
// with its text or memory code, how it is shown and how the run goes on.
// Executors raise errors by name and never format their own texts.
#pragma once

#include <cstdint>

#include "fw/cstring.h"
#include "macro/macro_outcome.h"

namespace macro {

class MacroHost;

enum class RunError {
  kTitleEror,            // a row reference of a statement could not be parsed
  kNeedsAmpersand,       // a count or sum operand that is no address
  kPaneTextMemory,       // the document text cannot grow for the hand-over to a pane
  kOverCallStack,        // a call at call depth 20 or more
  kOverParameterStack,   // parameters would pass slot 5181
  kOverDefineFunction,   // a 101st defined function
  kDefineVariables,      // a malformed declaration list
  kOverDefineVariables,  // declarations would pass slot 5180
  kUnknownCommand,       // a command no vocabulary knows
  kNotAvailableYet,      // a statement whose family is not built yet
  kMmapSizeCheck,        // shared memory: the size probe failed
  kMmapReadMemory,       // shared memory: the view buffer cannot take the data
  kMmapRead,             // shared memory: the read failed
  kMmapDelete,           // shared memory: the delete failed
  kMmapVolumeOver,       // shared memory: the text is over 10 MB
  kMmapSave,             // shared memory: the save failed
  kTooManyMatchings,     // the key join answered -2
  kSilent,               // a routine failed and said so itself
  kNoData,               // table data needed, the CSV view text is empty
  kCopyMemory059,        // the double-size copy cannot be had
  kCopyMemory060,        // the view buffer cannot grow during that copy
  kCopyMemory,           // a double-size copy in one family
  kMemory115,            // lookup buffer for a data file
  kMemory116,            // document text buffer
  kMemory117,            // copy buffer of text length + 1,000
  kMemory119,            // view buffer
  kMemory120,            // view buffer for a folder listing (the statement goes on)
  kMemory121,            // 201,000-byte block of a list statement
  kMemory123,            // view buffer, or a double copy + 10,000
  kMemory123AtOnce,      // work copy of the text
  kMemory124AtOnce,      // document buffer while the view text is copied back
  kMemory125,            // row index array
  kMemory126,            // row index array growth
  kMemory127,            // lookup buffer for a listing or a file read
  kMemory128,            // view buffer while a file is read
  kMemory129,            // view buffer during a file conversion
  kRichTextLoad,         // a load that opened rich text: the run ends quietly
  kCount
};

// How an error is shown.
enum class RunErrorShow {
  kStatusPane,  // status bar pane 0
  kReport,      // ReportMessage with code 2 and the text
  kReportCode,  // ReportMessage with the memory code and an empty text
  kBox,         // a plain message box, shown even when messages are silenced
  kNothing,
};

// Where the run goes after it.
enum class RunErrorExit {
  kCommon,  // the common error exit
  kAtOnce,  // the immediate exit
  kGoesOn,  // the statement ends there and the run goes on
};

struct RunErrorEntry {
  RunError id;
  const char* text;  // the fixed text (or format), empty for memory codes
  int code;          // the memory code; 2 for texts reported with code 2; 0 otherwise
  RunErrorShow show;
  RunErrorExit exit;
};

// The entry of an error.
const RunErrorEntry& MacroRunErrorEntry(RunError id);

// What some texts are built from.
struct RunErrorArgs {
  CString command;            // m_strStmtCommand
  CString operand;            // m_strStmtOperand
  int line = 0;               // m_nCmdLineNo
  std::uint64_t length = 0;   // kMmapVolumeOver: the text length in bytes
};

// The text the error shows: for a memory code the empty text (ReportMessage
// makes the message), for the copy failures string 152 and the code.
CString MacroRunErrorText(RunError id, const RunErrorArgs& args = RunErrorArgs());

// The outcome the loop acts on after the error.
Outcome MacroRunErrorOutcome(RunError id);

// Shows the error through the host (none: nothing shown) and returns its outcome.
Outcome MacroRaiseRunError(MacroHost* host, RunError id, const RunErrorArgs& args = RunErrorArgs());

// The error whose fixed text is `text` (the texts the variable routines
// stop with); kCount when none has it.
RunError MacroRunErrorByText(const CString& text);

// Largest text that may go into shared memory (10 MB).
constexpr std::uint64_t kMmapMaxBytes = 10485760;

}  // namespace macro
