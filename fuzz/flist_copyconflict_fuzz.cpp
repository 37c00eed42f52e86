// The copy conflict plan over random states, inputs, answers and copy
// outcomes: it always ends within a few steps, a moved file's source is
// removed only after a complete copy that was not stopped, the result says
// "moved" only after that removal and "copied" only after a complete copy,
// and a run of files asks the overwrite-all question at most once.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "filelist/flistcore/copyconflict.h"

namespace {

struct Bytes {
  const uint8_t* data;
  size_t size;
  size_t at = 0;
  uint8_t Next() { return at < size ? data[at++] : 0; }
};

std::string Text(flist::CopyText id) { return id == flist::CopyText::kCannotPlace ? "%s x" : "t"; }

const int kAnswers[] = {flist::kCopyAnswerYes, flist::kCopyAnswerNo, flist::kCopyAnswerCancel, flist::kCopyAnswerOk};
const std::uint32_t kErrors[] = {0, 2, 3, 5, 32, 80, 112, 123, 206};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Bytes b{data, size};
  flist::CopyRunState state;
  const uint8_t mode = b.Next();
  const bool isMove = mode & 1;
  if (isMove) state.StartMove();
  else state.StartCopy();
  state.m_nOverwriteAll = (mode >> 1) % 3;
  state.m_tmFtpEntry = (mode & 8) ? 500 : 0;
  const int files = 1 + b.Next() % 8;
  int overwriteAllAsked = 0;
  for (int f = 0; f < files && state.m_nCopyStop != flist::kCopyStopAll; ++f) {
    flist::ConflictInput in;
    in.source = "C:\\s\\f";
    in.destination = "C:\\%s%d\\f";
    in.isMove = isMove;
    in.count = files > 1 ? files : 1 + b.Next() % 2;
    in.error = kErrors[b.Next() % (sizeof kErrors / sizeof kErrors[0])];
    in.updateCopy = (mode >> 4) & 1;
    in.sourceOnFtp = (mode >> 5) & 1;
    const uint8_t times = b.Next();
    in.sourceTimeKnown = times & 1;
    in.destinationTimeKnown = times & 2;
    in.sourceTime = static_cast<std::int64_t>(b.Next()) - 128;
    in.destinationTime = static_cast<std::int64_t>(b.Next()) - 128;
    if (times & 4) in.destinationTime = INT64_MIN + (times >> 3);
    if (times & 128) in.sourceTime = INT64_MAX - (times >> 3);
    flist::ConflictPlan plan(in, state, Text);
    flist::ConflictStep s = plan.Start();
    bool completeCopy = false, removed = false, removalAsked = false;
    int steps = 0;
    while (s.kind != flist::ConflictStep::kDone) {
      if (++steps > 12) std::abort();  // the plan never loops
      switch (s.kind) {
        case flist::ConflictStep::kAsk: {
          if (s.text == flist::CopyText::kOverwriteAll) ++overwriteAllAsked;
          if (s.message.empty()) std::abort();
          s = plan.Answer(kAnswers[b.Next() % 4]);
          break;
        }
        case flist::ConflictStep::kCopy: {
          const uint8_t c = b.Next();
          const bool placed = c & 1;
          if (c & 2) state.m_bCopyAbort = 1;  // Esc during this copy
          if (placed && !state.m_bCopyAbort) completeCopy = true;
          s = plan.Copied(placed, kErrors[(c >> 2) % (sizeof kErrors / sizeof kErrors[0])]);
          break;
        }
        case flist::ConflictStep::kRemoveSource: {
          if (!isMove || !completeCopy || removalAsked) std::abort();
          removalAsked = true;
          removed = b.Next() & 1;
          s = plan.Removed(removed);
          break;
        }
        default:
          std::abort();
      }
    }
    const int r = plan.Result();
    if (r == flist::kConflictMoved && !(isMove && removed && completeCopy)) std::abort();
    if (r == flist::kConflictCopied && !completeCopy) std::abort();
    if (r != flist::kConflictNotPlaced && r != flist::kConflictMoved && r != flist::kConflictCopied) std::abort();
    if (state.m_nCopyStop != 0 && state.m_nCopyStop != 1 && state.m_nCopyStop != 9) std::abort();
    if (!in.sourceOnFtp && state.m_tmFtpEntry != 0) std::abort();
    state.m_bCopyAbort = 0;  // the walk goes on with the next file
  }
  if (overwriteAllAsked > 1) std::abort();
  return 0;
}
