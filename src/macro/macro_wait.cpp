#include "macro/macro_wait.h"

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "core/docdata/doc_fields.h"
#include "fw/clock.h"
#include "fw/file.h"
#include "macro/macro_fileentry.h"
#include "macro/macro_host.h"
#include "macro/macro_keynames.h"
#include "macro/macro_paths.h"
#include "macro/macro_run.h"
#include "macro/macro_state.h"

namespace macro {

namespace {

constexpr int kSlotKeyName = 152;               // variable k
constexpr char kResumeOverText[] = "@OVER";     // variable e of "waitdisp"
constexpr std::int64_t kLongestTimerMs = INT_MAX;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Where "0." would start: right after 'W', or after its letter.
bool FractionAt(const std::string& s, std::size_t at) {
  return s.size() > at + 1 && s[at] == '0' && s[at + 1] == '.';
}

bool PollEscape(void* ctx) { return static_cast<MacroHost*>(ctx)->CheckEscapeAbort(); }

// Waits `ms` by the process clock with the Esc poll; false when Esc ended
// it. In slices of at most a second, so that the fixed clock of the tests
// sees the polls a real wait makes.
bool WaitMs(MacroHost& host, std::int64_t ms) {
  do {
    const std::int64_t slice = std::min<std::int64_t>(ms, 1000);
    if (!fw::Wait(slice, PollEscape, &host)) return false;
    ms -= slice;
  } while (ms > 0);
  return true;
}

// Waits until the calendar clock reaches `until` (whole seconds); false
// when Esc ended it.
bool WaitUntilSecond(MacroHost& host, std::int64_t until) {
  for (;;) {
    const std::int64_t now = fw::CurrentTimeMs();
    const std::int64_t left = until * 1000 - now;
    if (left <= 0) return true;
    if (!WaitMs(host, std::min<std::int64_t>(left, 1000))) return false;
  }
}

Outcome EndByEscape(MacroState& st, std::uint32_t textLen) {
  st.m_nMacroPos = textLen;
  return Outcome::kNext;
}

CString InstancePath(MacroState& st) { return st.m_strMacroDir() + "\\" + kInstanceFileName; }

// "waitprocess" without a number.
void LeaveInstanceFile(MacroState& st) {
  CFile f;
  if (!f.Open(InstancePath(st), CFile::modeReadWrite | CFile::typeBinary | CFile::shareDenyNone)) return;
  try {
    std::uint8_t head[kInstanceHeadBytes] = {};
    const UINT got = f.Read(head, kInstanceHeadBytes);
    if (MacroRemoveInstanceMark(head, got, st.m_nMacroInstanceMark)) {
      f.SeekToBegin();
      f.Write(head, got);
    }
    f.Close();
  } catch (const CFileException&) {
    f.Abort();
  }
}

Outcome FileWait(MacroState& st, MacroHost& host, char letter, std::int32_t n, std::uint32_t textLen) {
  st.m_strStmtOperand = MacroExpandParameters(st, host, st.m_strStmtOperand);
  const CString path = st.m_strStmtOperand;
  const std::int64_t started = fw::CurrentTime();
  const std::int32_t looks = n <= 0 ? kFileWaitDefaultLooks : n;
  for (std::int32_t k = 0; k < looks; ++k) {
    if (!WaitMs(host, 1000)) return EndByEscape(st, textLen);
    CFileStatus status;
    const bool exists = !path.IsEmpty() && CFile::GetStatus(path, status);
    const std::int64_t modified = exists ? status.m_mtime.GetTime() : 0;
    if (MacroFileWaitDone(letter, exists, modified, started, st.m_tMacroRefTime)) break;
  }
  return Outcome::kNext;
}

Outcome WaitKey(MacroState& st, MacroHost& host, std::int32_t n) {
  fw::Wait(kWaitKeySettleMs);
  host.TakeKeyDown();  // a key still pending from before the statement
  const std::int64_t until = fw::CurrentTime() + std::max<std::int32_t>(n, 0);
  CString name;
  while (name.IsEmpty()) {
    const int code = host.TakeKeyDown();
    if (code > 0) {
      name = MacroKeyName(code);
      continue;
    }
    if (fw::CurrentTime() >= until) break;
    fw::Wait(kWaitPollMs);
  }
  st.m_strMacroVars[kSlotKeyName] = name;
  return Outcome::kNext;
}

Outcome TimedResume(MacroState& st, MacroHost& host, char letter, const WaitTime& t) {
  if (letter == 'P' && st.m_nMacroInstanceMark > 0) {
    // The delay as a count of ticks: the wait on the other copy gives up
    // after the time the statement names.
    const std::int64_t ticks = (t.resumeMs + kResumeTickMs - 1) / kResumeTickMs;
    st.m_nMacroWaitTicks = static_cast<std::int32_t>(std::clamp<std::int64_t>(ticks, 1, INT_MAX));
    host.ArmMacroResume(kResumeTickMs);
  } else {
    st.m_nMacroWaitTicks = 0;
    if (letter == 'D' || letter == 'd') st.m_strLastResult() = kResumeOverText;
    host.ArmMacroResume(static_cast<int>(std::clamp<std::int64_t>(t.resumeMs, 1, kLongestTimerMs)));
  }
  return Outcome::kPause;
}

}  // namespace

WaitTime MacroReadWaitTime(const CString& command, std::int32_t n) {
  const std::string& s = command.Str();
  WaitTime t;
  std::size_t at = 0;
  if (FractionAt(s, 1)) {
    at = 3;
  } else if (s.size() > 1 && !IsDigit(s[1]) && FractionAt(s, 2)) {
    at = 4;
  }
  if (at > 0) {
    // The digits are a decimal fraction of a second: the first three give
    // the milliseconds, so "0.05" is 50 ms and "0.12345" 123 ms.
    t.fraction = true;
    std::int64_t scale = 100;
    for (std::size_t i = at; i < s.size() && IsDigit(s[i]) && scale > 0; ++i, scale /= 10)
      t.plainMs += (s[i] - '0') * scale;
    const std::int64_t tenths = s.size() > at && IsDigit(s[at]) ? s[at] - '0' : 0;
    t.resumeMs = tenths > 0 ? tenths * 100 : kResumeShortMs;
    return t;
  }
  t.resumeMs = n <= 0 ? kResumeShortMs : std::min<std::int64_t>(static_cast<std::int64_t>(n) * 1000, kLongestTimerMs);
  const std::int64_t plain = n <= 0 ? kWaitDefaultSeconds : n;
  if (plain >= kWaitCalendarFrom) {
    t.calendar = true;
    t.seconds = plain;
  } else {
    t.plainMs = !s.empty() && s.back() == 'm' ? plain : plain * 1000;
  }
  return t;
}

bool MacroFileWaitDone(char letter, bool exists, std::int64_t modified, std::int64_t started, std::int64_t refTime) {
  switch (letter) {
    case 'n':
    case 'N':
      return !exists;
    case 'u':
    case 'U':
      return exists && modified > refTime + kFileWaitUpdateMargin;
    default:
      // Whole times, not times of day: a file of an earlier day never
      // counts, and midnight needs no rule of its own.
      return exists && modified + kFileWaitRecentSeconds >= started;
  }
}

bool MacroRemoveInstanceMark(std::uint8_t* head, std::size_t size, int mark) {
  if (head == nullptr || mark < 1 || mark > kInstanceMarkMax) return false;
  const std::size_t n = std::min<std::size_t>(size, kInstanceHeadBytes);
  constexpr std::size_t kSecond = 128;
  std::size_t at = 0;
  while (at < std::min(n, kSecond) && head[at] != mark) ++at;
  if (at >= std::min(n, kSecond)) return false;
  for (std::size_t base : {std::size_t{0}, kSecond}) {
    // A shorter head ends the list early; what would follow it reads as 0.
    const std::size_t end = std::min(n, base + kSecond);
    const std::size_t from = base + at;
    if (from >= end) continue;
    for (std::size_t k = from; k + 1 < end; ++k) head[k] = head[k + 1];
    head[end - 1] = 0;
  }
  return true;
}

Outcome MacroRunWait(MacroState& st, MacroHost& host, app::DocUpdateFields& doc, std::uint32_t textLen) {
  const CString& cmd = st.m_strStmtCommand;
  const char letter = cmd.GetLength() > 1 ? cmd[1] : '\0';
  const std::int32_t n = st.m_anStmtNumbers[0];
  const WaitTime t = MacroReadWaitTime(cmd, n);
  if ((letter == 'P' || letter == 'p') && n <= 0 && !t.fraction) {
    LeaveInstanceFile(st);
    return Outcome::kNext;
  }
  switch (letter) {
    case 'N':
    case 'n':
    case 'F':
    case 'f':
    case 'U':
    case 'u':
      return FileWait(st, host, letter, n, textLen);
    case 'k':
      return WaitKey(st, host, n);
    case 'P':
    case 'p':
    case 'D':
    case 'd':
      return TimedResume(st, host, letter, t);
    case 'm':
    case 'M':
      // The document keeps the place: F5 (or the debug continue) resumes it.
      doc.m_nMacroStopPos = static_cast<std::int32_t>(st.m_nMacroPos);
      doc.m_nMacroStopLine = st.m_nCmdLineNo;
      return Outcome::kPause;
    default:
      break;
  }
  const bool done = t.calendar ? WaitUntilSecond(host, fw::CurrentTime() + t.seconds) : WaitMs(host, t.plainMs);
  return done ? Outcome::kNext : EndByEscape(st, textLen);
}

Outcome MacroExecWait(MacroRunContext& rc, std::uint32_t textLen) {
  return MacroRunWait(rc.state, rc.host, rc.docUpdate, textLen);
}

}  // namespace macro
