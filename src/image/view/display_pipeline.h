// The display pipeline: turns a copy of the loaded pixels into the picture
// the view shows (24-bit conversion, colour option, mirror, flip, rotation,
// zoom with its fine factor, the colour engine, the region cut, the 3x3
// filter), stepping between two buffers, and answers the sizes, the header
// and the numbers of the caption. It reads no document and allocates
// nothing: the view passes what it needs and stores what comes back.
#pragma once

#include <cstdint>

#include "image/view/display_caption.h"
#include "image/view/display_sizes.h"
#include "image/view/view_types.h"

namespace img {

struct DisplayRequest {
  // Buffer A: the copy of the loaded pixels (`srcBytes` of them) with its
  // slack; `aSize` is every byte of it. Buffer B receives the picture.
  uint8_t* a = nullptr;
  uint32_t aSize = 0;
  uint32_t srcBytes = 0;
  uint8_t* b = nullptr;
  uint32_t bSize = 0;
  // The displayed header and colour table (2000 bytes), changed in place;
  // `infoSize` is the loaded header's used bytes (handed to the colour engine).
  uint8_t* info = nullptr;
  uint32_t infoSize = 40;
  ImageViewOptions options;
  ImageRect selection;
  int32_t fileKind = 12;
  uint32_t textBufSize = 41943040;   // the output setting ("membuf")
  uint32_t textBufSize2 = 41943040;  // the input setting ("membuf2")
  int32_t loadState = 0;             // the view's load state: 0 lets the scaler work
  int32_t trimMode = 0;              // the document's trimming mode
  int32_t imageReduce = 1;           // the view's reduction of a rendered page
};

// The services the pipeline is handed; either may be empty: without a
// scaler the own reduction and enlargement scale every depth, without a
// colour engine its step does nothing.
struct DisplayServices {
  ImageScaler scaler;
  ColorEngine colorEngine;
};

struct DisplayResult {
  uint32_t size = 0;  // bytes of the displayed picture in B; 0: nothing to paint
  // What the caption shows and the view stores.
  int32_t widthBefore = 0, heightBefore = 0, bitsBefore = 0;  // before the transforms
  int32_t width = 0, height = 0, bits = 0;                    // the displayed picture
  bool regionCut = false;        // widthBefore/heightBefore then hold the cut's size
  bool overMark = false;         // the loaded image was cut by the input setting
  bool heightCut = false;        // the displayed height was cut to the final size
  DisplaySizes sizes;            // E, A, the input read and the advice
  int32_t imageReduce = 1;       // the view's reduction after the run (99 becomes 1)
  bool showCaption = false;      // load state and trimming mode both 0
  int steps = 0;                 // steps that wrote the other buffer
};

DisplayResult TransformImageForDisplay(const DisplayRequest& request, const DisplayServices& services);

// The services of a display that has no window: the colour engine
// (ApplyColorEffects), no scaler (the own reduction and enlargement).
DisplayServices StandardDisplayServices();

// The transform's caption of a run: the sizes before the transforms, the
// depth after them, the zoom and rotation of the options and the advice.
CaptionInput TransformCaptionInput(const DisplayRequest& request, const DisplayResult& result);

}  // namespace img
