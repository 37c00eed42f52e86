// The undo of the narrowing selection: the names of the snapshot files, the
// counter's steps and the record of the snapshots this view wrote in this
// run. Snapshot k holds the table as it was before the k-th narrowing step;
// the counter (the view's m_nSelectUndoCount, 0-20) counts the steps that
// can be undone.
//
// Undo reads only snapshots recorded here, so a stale file of an earlier run
// or of another copy of the program is never loaded. The 20th step writes no
// snapshot: undo at 20 goes back to snapshot 19, undoing the steps since it
// together, and leaves the counter at 18.
#pragma once

#include <cstdint>
#include <string>

namespace csv {

class SelectUndoLog {
 public:
  static constexpr std::int32_t kMaxCount = 20;     // the counter's top
  static constexpr std::int32_t kLastSnapshot = 19; // highest snapshot number written

  // "TMP_select%02d%02d.csv" of the pane and the snapshot number; a later
  // running copy (instance above 0) adds "_" and its number before ".csv".
  static std::string SnapshotName(std::uint32_t pane, std::int32_t number, std::uint32_t instance);

  // A narrowing step (keep or delete) begins: raises *count (at most to 20)
  // and returns the snapshot number to write, 0 when none is written.
  std::int32_t BeginStep(std::int32_t* count);
  // The snapshot `number` was written.
  void Written(std::int32_t number);
  // The snapshot could not be written: the counter goes back to `before`.
  static void StepFailed(std::int32_t* count, std::int32_t before);

  enum class UndoSource {
    kSourceFile,   // counter 0: the file the table was loaded from
    kSnapshot,     // the snapshot `snapshot`
    kNotRecorded,  // that snapshot was not written by this view: nothing is loaded
  };
  struct UndoPlan {
    UndoSource source = UndoSource::kSourceFile;
    std::int32_t snapshot = 0;
    std::int32_t countAfter = 0;  // the counter once the snapshot is loaded
    bool joined = false;          // at 20: the steps since snapshot 19 are undone together
  };
  UndoPlan PlanUndo(std::int32_t count) const;

  bool WasWritten(std::int32_t number) const;
  // A new table in the view: nothing recorded.
  void Clear() { m_written = 0; }

 private:
  std::uint32_t m_written = 0;  // bit n: snapshot n written in this run
};

}  // namespace csv
