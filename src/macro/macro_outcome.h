// What one statement's executor tells the statement loop. The loop alone acts
// on it, so executors never leave the loop or end the run themselves.
#pragma once

namespace macro {

enum class Outcome {
  kNext,        // go on with the statement after this one
  kContinueAt,  // go on at the position (and line) the executor set
  kPause,       // leave the run; the position is stored in m_nMacroResumePos
  kErrorExit,   // end through the common error exit
  kExitAtOnce,  // end at once: release the buffers, return -1, nothing else
  kEndRun,      // the end statement "E": end the run
  kHandOver,    // "text n": leave as kPause does, the run counting as ended (1)
};

}  // namespace macro
