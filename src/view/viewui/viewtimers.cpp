#include "view/viewui/viewtimers.h"

namespace viewui {

int FindTempWindow(const std::vector<TopWindow>& windows, std::uintptr_t frame, std::uintptr_t frameParent) {
  const std::size_t n = windows.size() < static_cast<std::size_t>(kTempWindowWalkLimit)
                            ? windows.size()
                            : static_cast<std::size_t>(kTempWindowWalkLimit);
  for (std::size_t i = 0; i < n; ++i) {
    const TopWindow& w = windows[i];
    if (!w.exists) return -1;
    if (w.handle == frame || (frameParent != 0 && w.handle == frameParent)) continue;
    if (w.title == kTempWindowTitle) return static_cast<int>(i);
  }
  return -1;
}

MediaTick PlanMediaTick(const MediaTickState& s) {
  MediaTick t;
  if (!s.mediumPlays && !s.soundPlays) {
    t.kill = true;
    return t;
  }
  // While a sound plays, the position and the length are the document's
  // counters. The loop is a medium's only.
  if (!s.mediumPlays || !s.loopPlay) return t;
  const long long position = s.soundPlays ? s.soundPosition : s.position;
  const long long length = s.soundPlays ? s.soundLength : s.length;
  const bool lengthKnown = length > 0;
  long long end = 0;
  bool endKnown = false;
  if (s.loopEnd > 0) {
    end = s.loopEnd;
    endKnown = true;
  } else if (lengthKnown) {
    end = length - kLoopLengthMarginMs;
    endKnown = true;
  }
  bool again = endKnown && position >= end && position <= end + kLoopEndWindowMs;
  if (lengthKnown && position > length - kLoopLengthMarginMs) again = true;
  if (!again) return t;
  t.play = true;
  t.from = s.loopStart < 0 ? 0 : s.loopStart;
  return t;
}

}  // namespace viewui
