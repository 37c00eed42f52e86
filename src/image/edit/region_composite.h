// Writing the clip (or its scaled working copy) into the picture at the
// region, one scan line at a time, saving the bytes it overwrites for undo.
// The window side reads each scan line with GetDIBits, calls CompositeLine
// for it and writes it back with SetDIBits; every decision and byte position
// is made here. The picture is 24-bit while this runs (3 bytes a pixel).
#pragma once

#include <cstddef>
#include <cstdint>

#include "fw/geometry.h"
#include "image/edit/region_geometry.h"

namespace image {

// The compositing modes.
enum CompositeMode : int {
  kCompositePaste = 0,
  kCompositeClear = 1,       // the region becomes the background
  kCompositeSaveOnly = 2,    // only the undo bytes are saved
  kCompositeRestoreClip = 3, // the clip put back after a cut (no undo)
  kCompositeOffsetPaste = 4, // paste shifted by the paste offset, never rescaled
  kCompositePaint = 5,       // flood fill / pen dot (no undo)
  kCompositePaint2 = 6,
  kCompositeLabel = 7,
  kCompositeFill = 8,
  kCompositeKeepBits = 9,
  kCompositeRotate = 10,
  kCompositeLabel2 = 11,
  kCompositeKeyPaste = 12,   // offset paste that leaves near-white pixels out
};

// Source bytes above this value in all three of a pixel's bytes are left
// out by the transparent paste.
constexpr int kNearWhiteAbove = 199;
// The label frames whose key-colour pixels darken what lies under them.
constexpr int kShadowFrames[] = {8, 18};

// The key colour of labels (a COLORREF): the background with red + 1, green
// + 2, blue + 3, each component that would pass 255 taking - 1, - 2, - 3.
uint32_t LabelKeyColour(uint32_t background);

// The byte a clear writes into a picture that is not 24-bit: at 8 bits the
// index of the first colour-table entry (blue, green, red, reserved) equal
// to the background, else 0; at other bit counts 0. Only entries inside
// tableBytes are looked at.
uint8_t ClearIndexByte(int bits, const uint8_t* colourTable, size_t tableBytes, int64_t colours,
                       uint32_t background);

// The selection mode after a compositing: 2 (cut) becomes 4, 4 stays, any
// other becomes 1.
int SelModeAfterComposite(int selMode);

// --- Sizes ---------------------------------------------------------------------

struct CompositeSizeInput {
  int mode = kCompositePaste;  // an offset paste turned transparent counts as 4 here
  CRect region{-1, -1, -1, -1};
  CRect clipRect{-1, -1, -1, -1};  // the region the clip was taken from
  int rotation = 0;                // 0-3
  int dragState = 0;
  int imageWidth = 0;
  int imageHeight = 0;
  int displayedBits = 24;
  bool needTransform = false;
};

struct CompositeSizes {
  bool ok = false;        // false: sizes past the limits (the memory message)
  CRect region;           // the region normalised (the whole picture with none and drag state 1)
  int64_t clipWidth = 0, clipHeight = 0;      // cw, ch
  int64_t targetWidth = 0, targetHeight = 0;  // tw, th (crosswise for rotations 1 and 3)
  int64_t targetStride = 0;                   // 24-bit stride of tw
  bool rescale = false;
  bool workCopy = false;
  int64_t workBytes = 0;       // targetStride x th, or 100 without a working copy
  int64_t workBufferBytes = 0; // plus the spare bytes
};
CompositeSizes PlanCompositeSizes(const CompositeSizeInput& in);

// --- The line engine -------------------------------------------------------------

struct CompositeInput {
  int mode = kCompositePaste;  // the final mode (12 for a transparent offset paste)
  int imageHeight = 0;
  CompositeSizes sizes;
  CPoint pasteOffset;          // m_ptPasteOffset (modes 4 and 12)
  int64_t sourceLimit = 0;     // clip size + 54, or the transformed size of image + 54
  uint32_t background = 0;     // COLORREF
  bool loaded24 = true;        // the loaded picture is 24-bit (else a clear writes clearByte)
  uint8_t clearByte = 0;
  int dragState = 0;
  int labelFrame = 0;
};

struct CompositePlan {
  bool ok = false;
  int mode = 0;
  LineRange lines;              // region rows: height - bottom .. height - top
  int64_t imageHeight = 0;
  int64_t left = 0;             // region bytes left x 3 .. right x 3, each at most 15000
  int64_t right = 0;
  int64_t spanEnd = 0;          // left + target stride
  int64_t firstWrite = 0;       // left, moved right by a negative paste offset
  int64_t stride = 0;           // target stride: bytes handled (and saved) per line
  int64_t undoBytes = 0;        // rows x stride, 0 for a clear
  int64_t sourceStart = 0;      // source row of the region's first scan line
  int64_t sourceAdvance = 0;    // bytes from one source row to the next
  int64_t sourceRowBytes = 0;   // bytes of a source row that hold pixels
  int64_t sourceLimit = 0;
  uint32_t background = 0;
  uint32_t keyColour = 0;
  bool saveUndo = false;
  bool write = false;           // false in mode 2
  bool keyed = false;           // key-colour pixels are left alone
  bool shadow = false;          // ... and the bytes under them halved
  bool nearWhite = false;       // mode 12's rule
  bool loaded24 = true;
  uint8_t clearByte = 0;
};
CompositePlan PlanComposite(const CompositeInput& in);

// The source row of scan line `line` (may lie outside the source; such
// bytes are the background) and its first undo byte (-1 when the line is
// not composited).
int64_t CompositeSourceRow(const CompositePlan& plan, int64_t line);
int64_t CompositeUndoOffset(const CompositePlan& plan, int64_t line);

// Composites scan line `line` (rowBytes bytes in `row`): saves the bytes
// under the span into `undo` while room is left (0x7F for positions left of
// the row, or past it), then writes the new bytes inside the region. Reads
// `source` only below min(sourceBytes, sourceLimit) and at 54 or above; never
// touches bytes outside the three buffers. Other lines are left alone.
void CompositeLine(const CompositePlan& plan, int64_t line, uint8_t* row, size_t rowBytes, const uint8_t* source,
                   size_t sourceBytes, uint8_t* undo, size_t undoBytes);

}  // namespace image
