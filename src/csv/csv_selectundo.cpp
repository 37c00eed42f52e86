// The record and the counter of the narrowing undo.
#include "csv/csv_selectundo.h"

#include <cstdio>

namespace csv {

std::string SelectUndoLog::SnapshotName(std::uint32_t pane, std::int32_t number, std::uint32_t instance) {
  char buf[64];
  if (instance == 0)
    std::snprintf(buf, sizeof buf, "TMP_select%02u%02d.csv", static_cast<unsigned>(pane), static_cast<int>(number));
  else
    std::snprintf(buf, sizeof buf, "TMP_select%02u%02d_%u.csv", static_cast<unsigned>(pane), static_cast<int>(number),
                  static_cast<unsigned>(instance));
  return buf;
}

std::int32_t SelectUndoLog::BeginStep(std::int32_t* count) {
  std::int32_t n = *count < 0 ? 0 : *count;
  if (n >= kLastSnapshot) {
    // The 20th step and any after it write nothing; undo goes back to 19.
    *count = kMaxCount;
    return 0;
  }
  *count = n + 1;
  return n + 1;
}

void SelectUndoLog::Written(std::int32_t number) {
  if (number >= 1 && number <= kLastSnapshot) m_written |= 1u << number;
}

void SelectUndoLog::StepFailed(std::int32_t* count, std::int32_t before) { *count = before; }

bool SelectUndoLog::WasWritten(std::int32_t number) const {
  return number >= 1 && number <= kLastSnapshot && (m_written & (1u << number)) != 0;
}

SelectUndoLog::UndoPlan SelectUndoLog::PlanUndo(std::int32_t count) const {
  UndoPlan plan;
  if (count <= 0) return plan;  // the source file, the counter stays 0
  plan.source = UndoSource::kSnapshot;
  if (count >= kMaxCount) {
    plan.snapshot = kLastSnapshot;
    plan.countAfter = kLastSnapshot - 1;
    plan.joined = true;
  } else {
    plan.snapshot = count;
    plan.countAfter = count - 1;
  }
  if (!WasWritten(plan.snapshot)) {
    plan.source = UndoSource::kNotRecorded;
    plan.countAfter = count;
  }
  return plan;
}

}  // namespace csv
