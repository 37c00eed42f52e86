#include "core/docsvc/schedule_runner.h"

#include "core/docsvc/settings_io.h"
#include "fw/clock.h"
#include "fw/datetime.h"
#include "fw/file.h"

namespace docsvc {

LocalTime CurrentLocalTime() { return LocalFromTm(fw::LocalFields(fw::CurrentTime())); }

ScheduleRunner::Stamp ScheduleRunner::StampOf(const CString& path) {
  Stamp s;
  CFileStatus st;
  if (CFile::GetStatus(path, st)) {
    s.exists = true;
    s.mtime = st.m_mtime.GetTime();
    s.size = st.m_size;
  }
  return s;
}

void ScheduleRunner::Load(const CString& programDir) {
  m_dir = programDir;
  const CString sch = ProgramFilePath(programDir, kScheduleFileName);
  const CString tmr = ProgramFilePath(programDir, kTimerFileName);
  m_schStamp = StampOf(sch);
  m_tmrStamp = StampOf(tmr);
  std::string bytes;
  ReadWholeFile(sch, &bytes, 1 << 20);
  m_sch = ParseScheduleText(bytes);
  m_last = CurrentLocalTime();
  ReadWholeFile(tmr, &bytes, 1 << 20);
  m_tmr = ParseTimerText(bytes, m_last);
}

std::vector<DueEvent> ScheduleRunner::Tick() {
  const LocalTime now = CurrentLocalTime();
  std::vector<DueEvent> due = DueEntries(m_sch, m_tmr, m_last, now);
  m_last = now;
  return due;
}

bool ScheduleRunner::ReloadIfChanged() {
  if (StampOf(ProgramFilePath(m_dir, kScheduleFileName)) == m_schStamp &&
      StampOf(ProgramFilePath(m_dir, kTimerFileName)) == m_tmrStamp)
    return false;
  const LocalTime last = m_last;
  Load(m_dir);
  m_last = last;  // nothing between the last tick and now is lost
  return true;
}

std::vector<LineIssue> ScheduleRunner::Skipped() const {
  std::vector<LineIssue> out = m_sch.skipped;
  out.insert(out.end(), m_tmr.skipped.begin(), m_tmr.skipped.end());
  return out;
}

}  // namespace docsvc
