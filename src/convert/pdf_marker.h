// The text marker that stands for a picture of a PDF page: "[Image12]JPG",
// "[Im7]" or, for a turned or mirrored picture, "[Imb5]" with a letter that
// codes the turn and the mirror.
#pragma once

#include "fw/cstring.h"

namespace convert {

// index: the picture's object number; orientation: 0-7 from the drawing
// matrix; angle: the page's rotation in degrees; large: 1 gives "[Image%d]"
// for an upright picture; filter: the image filter (TIF, JPG, JPX, JBIG2,
// LZW suffixes).
CString PdfImageMarker(int index, int orientation, int angle, int large, int filter);

}  // namespace convert
