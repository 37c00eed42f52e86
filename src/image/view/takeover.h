// What the view decides when the document's picture waits for it, and the
// two rules of a refresh that touch files and memory: which pending command
// is a write request, and how large the work buffers may grow.
#pragma once

#include <cstdint>

namespace img {

// --- Take-over -------------------------------------------------------------

struct TakeOverState {
  uint32_t loadReady = 0;     // the document's m_nLoadReady
  int32_t viewKind = 0;       // the view's m_nFileKind
  uint32_t sourceView = 0;    // the view's display form (0 normal)
  int32_t viewLoadState = 0;  // the view's m_nLoadState
  uint32_t loadDataSize = 0;  // the record's m_nLoadDataSize
  uint32_t bitsOwner = 0;     // the record's m_nLoadBitsOwner
  const uint8_t* loadInfo = nullptr;  // the record's m_bmiLoad (40 header bytes at least)
};

enum class TakeOver {
  kNone,       // nothing for this view (not ready, state 2, not a picture in form 0)
  kTake,       // copy the settings, the pixels and the header, then redraw
  kSettings,   // copy the settings only (no pixels held by the record)
  kNoPicture,  // width or height 0 or less: release the block, say it cannot be shown
};

TakeOver PlanTakeOver(const TakeOverState& s);

// The settings the view takes: the whole block while its load state is 0,
// else only the zoom level, the transform code and the fine factor (words
// 5, 8 and 10). Then the last digit of the transform code turns and flips
// the picture: 1-3 add quarter turns (modulo 4), 4 toggles the left-right
// flip, 5 the up-down flip, 9 clears all three.
void TakeSettings(const uint32_t* doc, int32_t viewLoadState, uint32_t* view, int words);

// The pixel buffer the view allocates for the record: data size + 100000.
constexpr uint64_t kTakeOverSlack = 100000;
inline uint64_t TakeOverBufferSize(uint32_t loadDataSize) { return uint64_t(loadDataSize) + kTakeOverSlack; }

// --- Write request of a refresh ----------------------------------------------

// A pending view command of 21 to 31 asks the refresh to write the shown
// picture over the current file in format command - 20 (1-11); every other
// value (33 a metafile, 40 and 41 captures, 99 a capture running) only
// paints. 0: no write.
int WriteRequestFormat(int32_t pendingViewCmd);

// Formats 9-11 go through the writer by file that handles them, the others
// straight to the writer by format.
inline bool WriteRequestThroughFileWriter(int format) { return format >= 9 && format <= 11; }

// The loaded pixels go to 24 bits first: format 5 (command 25) with 32 bits,
// or any format above 5 with a depth other than 24.
bool WriteRequestNeeds24(int format, int32_t bits);

// The conversion buffer: work size x 24 / bits (unless bits is 32 or 0), in
// 64 bits.
uint64_t WriteRequestBufferSize(uint64_t workSize, int32_t bits);

// --- Work sizes ------------------------------------------------------------------

// Slack the refresh adds to the destination and to the source copy.
constexpr uint64_t kWorkSlack = 100000;
constexpr uint64_t kSourceCopySlack = 910000;

// The destination size N of the refresh capped at what can be shown: the
// output limit, the source size and the slack (the transform cuts its output
// at the output limit, so the picture is the same). 64-bit throughout.
uint64_t CapWorkSize(uint64_t planned, uint64_t outputLimit, uint64_t sourceSize);

// True when a buffer of `size` bytes can be asked of the 32-bit sized
// pipeline buffers.
inline bool FitsBuffer(uint64_t size) { return size > 0 && size <= 0xFFFFFFFFull; }

}  // namespace img
