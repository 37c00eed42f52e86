// Decisions of two of the view's ticks, apart from the window: which
// top-level window the "TEMPID" tick closes, and what the media position
// tick does (stop, or play again from the loop start).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace viewui {

// --- "TEMPID" ---------------------------------------------------------------

constexpr int kTempWindowWalkLimit = 500;  // top-level windows looked at per tick
constexpr const char* kTempWindowTitle = "TEMPID";

struct TopWindow {
  std::uintptr_t handle = 0;
  bool exists = true;  // false: the window went away during the walk
  std::string title;
};

// The index in `windows` (z-order, from the top) of the window to close:
// the first titled "TEMPID" among the first 500, skipping the program's own
// frame and its top-level parent; the walk stops at a window that no longer
// exists. -1 when there is none.
int FindTempWindow(const std::vector<TopWindow>& windows, std::uintptr_t frame, std::uintptr_t frameParent);

// --- Media position ------------------------------------------------------------

struct MediaTickState {
  bool mediumPlays = false;         // the view's play flag
  bool soundPlays = false;          // the document's sound-play flag
  std::int32_t position = 0;        // the medium's position (ms), from the status query
  std::int32_t length = 0;          // the medium's length (ms); 0 or less: unknown
  std::int32_t soundPosition = 0;   // the document's sound counters: they stand
  std::int32_t soundLength = 0;     // for position and length while a sound plays
  bool loopPlay = false;            // the view's loop-play flag
  std::int32_t loopStart = 0;       // ms; negative counts as 0
  std::int32_t loopEnd = 0;         // ms; 0 or less: none set
};

struct MediaTick {
  bool kill = false;        // nothing plays: the tick stops
  bool play = false;        // play again from `from`
  std::int32_t from = 0;
};

// Positions within this span after the loop end still count as its end.
constexpr std::int32_t kLoopEndWindowMs = 5000;
// The loop ends this much before the medium's length when no end is set.
constexpr std::int32_t kLoopLengthMarginMs = 10;

// One tick: nothing playing kills it. With loop play on (a medium, not a
// sound) the loop end, or the length - 10 when none is set: a position from
// the end to the end + 5000, or past the length - 10, plays again from the
// loop start. A length of 0 or less is unknown, so only the loop end applies.
MediaTick PlanMediaTick(const MediaTickState& s);

}  // namespace viewui
