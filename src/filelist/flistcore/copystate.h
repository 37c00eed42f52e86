// The state of one running copy or move of a list pane: the answers given
// so far, the stop requests and the counters. One object per pane; the copy
// command resets all of it, the move command only the stop word (an
// overwrite-all answer of an earlier copy still holds for a move). Portable.
#pragma once

#include <cstdint>

#include "fw/datetime.h"

namespace flist {

// Values of m_nOverwriteAll.
constexpr std::int32_t kOverwriteNotAsked = 0;
constexpr std::int32_t kOverwriteAll = 1;
constexpr std::int32_t kOverwriteAskEach = 2;
// Values of m_nCopyStop.
constexpr std::int32_t kCopyGoOn = 0;
constexpr std::int32_t kCopyStopped = 1;
constexpr std::int32_t kCopyNewerOnly = 9;  // the older-file question was answered No

struct CopyState {
  std::int32_t m_nOverwriteAll = kOverwriteNotAsked;
  std::int32_t m_nCopyStop = kCopyGoOn;
  // Set by the Esc polls: the running copy (or search) is to stop.
  std::uint32_t m_bCopyAbort = 0;
  // The last-write time of the FTP entry being transferred; 0 for none.
  CTime m_tmFtpEntry;
  // Files an update copy could not write.
  std::uint32_t m_nProtectedSkipped = 0;
  // A caller copies on the user's behalf: no question, no reload after.
  std::uint32_t m_bQuietCopy = 0;

  // The start of a copy command.
  void ResetForCopy() {
    m_nOverwriteAll = kOverwriteNotAsked;
    m_nCopyStop = kCopyGoOn;
    m_bCopyAbort = 0;
  }
  // The start of a move command.
  void ResetForMove() { m_nCopyStop = kCopyGoOn; }
  bool Stopped() const { return m_nCopyStop == kCopyStopped || m_bCopyAbort != 0; }
};

}  // namespace flist
