// The word spacing of shown PDF text: one scale the two view commands walk a
// step at a time. From the tightest end to the widest:
//
//   width adjust 5, TD adjust 40 ... 85 (the default) ... 115 (steps of 5),
//   then TD adjust 115 with width adjust 4, 3, 2, 1.
//
// Widening first raises the TD adjust to 115, then lowers the width adjust;
// tightening undoes those steps, then lowers the TD adjust to 40.
#pragma once

#include <cstdint>

#include "fw/cstring.h"

namespace convert {

struct PdfWordGap {
  std::int32_t widthAdjust = 5;  // "pdfwadj", 1-5
  std::int32_t tdAdjust = 85;    // "pdftadj", 40-115
  bool changed = false;          // a step was taken (false at the scale's end)
  CString status;                // the value that changed, as the status bar shows it
};

// One step along the scale from (widthAdjust, tdAdjust): wider when `widen`,
// else tighter. Values off the scale are first brought inside their ranges.
PdfWordGap StepPdfWordGap(std::int32_t widthAdjust, std::int32_t tdAdjust, bool widen);

}  // namespace convert
