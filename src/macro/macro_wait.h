// Class 31 of the statement loop: the waits ("W" and a letter).
//
// "wait" pauses N seconds (10 without a number), N milliseconds when the
// command ends in 'm', and by the calendar clock from 600 seconds on. The
// file waits ('f'/'F', 'n'/'N', 'u'/'U') look once a second, up to N times
// (60 without a number), for a file written lately, a file gone, or a file
// newer than the run's reference time. "waitkey" ('k') stores the name of
// the first key pressed within N seconds in variable k. The timed resumes
// ('d'/'D', 'p'/'P' with a number) and 'm'/'M' leave the run paused; timer
// 25 or an outside resume continues it. "waitprocess" without a number
// takes this copy's mark out of the instance file.
//
// Every busy wait goes through the framework's one wait (fw::Wait), which
// sleeps between looks and answers the fixed clock of the tests; Esc
// answered Yes ends the wait and the run.
#pragma once

#include <cstddef>
#include <cstdint>

#include "fw/cstring.h"
#include "macro/macro_outcome.h"

namespace app {
struct DocUpdateFields;
}

namespace macro {

class MacroHost;
struct MacroState;
struct MacroRunContext;

// Times of the wait statements, tuning data.
constexpr int kWaitDefaultSeconds = 10;      // "wait" without a number
constexpr int kWaitCalendarFrom = 600;       // from here on by the calendar clock
constexpr int kFileWaitDefaultLooks = 60;    // file waits without a number
constexpr int kFileWaitRecentSeconds = 30;   // "waitfile": written at most this long before the start
constexpr int kFileWaitUpdateMargin = 3;     // "waitupdate": newer than the reference time by more
constexpr int kWaitKeySettleMs = 300;        // "waitkey" before it discards a pending key
constexpr int kWaitPollMs = 10;              // between two looks at the key queue
constexpr int kResumeShortMs = 100;          // a timed resume without a number
constexpr int kResumeTickMs = 1000;          // the tick of a wait on another running copy
constexpr int kInstanceHeadBytes = 256;      // the head of the instance file "waitprocess" edits

// The times a wait command gives, read from the command (code form, "W"
// first) and its first number `n` (-1: none).
//
// The fraction form: "0." and digits right after 'W' or right after its
// letter ("W0.5", "Wd0.3"): the plain wait lasts that fraction of a second
// ("0.5" 500 ms, "0.25" 250 ms, "0.05" 50 ms; digits past the third add
// nothing), a timed resume takes the first digit as tenths of a second.
struct WaitTime {
  bool fraction = false;
  bool calendar = false;       // the plain wait counts calendar seconds
  std::int64_t plainMs = 0;    // the plain wait by the process clock
  std::int64_t seconds = 0;    // the plain wait by the calendar clock
  std::int64_t resumeMs = 0;   // the delay of a timed resume
};
WaitTime MacroReadWaitTime(const CString& command, std::int32_t n);

// The file waits' test after one look. `letter` 'f'/'F', 'n'/'N' or
// 'u'/'U'; `modified` the file's modification time and `started` the time
// the wait began (seconds since 1970); `refTime` the run's reference time.
bool MacroFileWaitDone(char letter, bool exists, std::int64_t modified, std::int64_t started, std::int64_t refTime);

// "waitprocess" without a number: takes `mark` (1-99) out of both lists of
// the instance file's head (`size` bytes, at most kInstanceHeadBytes: a
// shorter file is edited only as far as it goes). The first of bytes 0-127
// equal to the mark goes; the bytes after it in both lists (0-127 and
// 128-255, from the same index) move one place forward, 127 and 255 become
// 0. False, with the head unchanged, when the mark is not there.
bool MacroRemoveInstanceMark(std::uint8_t* head, std::size_t size, int mark);

// The statement on the run's state: `textLen` is the length of the macro
// text (Esc puts the next statement past it, which ends the run).
Outcome MacroRunWait(MacroState& st, MacroHost& host, app::DocUpdateFields& doc, std::uint32_t textLen);

// The executor of class 31.
Outcome MacroExecWait(MacroRunContext& rc, std::uint32_t textLen);

}  // namespace macro
