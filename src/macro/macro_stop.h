// The stop after a statement: step mode and the break statements ("BK" in
// debug mode, '7', '8', '9') stop the run; the dump of the variables goes to
// the variable display in debug mode, where the run pauses, and otherwise to
// the modal stop dialog, whose answer goes on or ends the run.
#pragma once

#include <string_view>

#include "fw/cstring.h"

namespace macro {

struct MacroRunContext;

// The options, height and width of the modal stop dialog.
constexpr char kStopDialogOptions[] = "twDV5:Brake stop (BK,9,8)";
constexpr int kStopDialogHeight = 300;
constexpr int kStopDialogWidth = 500;

// What the run does after the stop step.
enum class StopVerdict {
  kGoOn,       // no stop, or the stop dialog answered OK
  kEndRun,     // the statement was "E": the run ends as by "E"
  kPaused,     // debug mode: the run waits at st.m_nMacroResumePos
  kCancelled,  // the stop dialog was not answered OK: the run ends
};

// The previous statement of one run call, as it stood in the macro text.
struct StopMemory {
  CString command, operand;
};

// Runs after every statement whose command is not empty. `scanned` holds the
// statement's columns as the scanner collected them. Reads and writes the
// document's debug words (rc.docUpdate) and the run state; on a pause the
// resume offset and line are stored for the next call of the run.
StopVerdict MacroStopAfterStatement(MacroRunContext& rc, std::string_view text, const StopMemory& scanned,
                                    StopMemory* previous);

}  // namespace macro
