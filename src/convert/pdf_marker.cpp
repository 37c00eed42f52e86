// Picture markers of PDF pages.
#include "convert/pdf_marker.h"

namespace convert {

CString PdfImageMarker(int index, int orientation, int angle, int large, int filter) {
  // Orientation code to (mirror, quarter turns).
  static const int kMirror[8] = {0, 1, 1, 0, 1, 0, 0, 1};
  static const int kTurns[8] = {0, 2, 0, 2, 1, 3, 1, 3};
  int mirror = 0;
  int turns = 0;
  if (orientation >= 1 && orientation <= 7) {
    mirror = kMirror[orientation];
    turns = kTurns[orientation];
  }
  if (angle >= 1 && angle <= 389) {
    turns += (angle + 10) / 90;
  } else if (angle >= -389 && angle <= -1) {
    turns += (angle - 10) / 90 + 4;
  }
  if (turns > 3) turns -= 4;
  const int letter = 'a' + turns + 4 * mirror;
  CString text;
  if (letter > 'a') {
    text.Format("[Im%c%d]", letter, index);
  } else if (large == 1) {
    text.Format("[Image%d]", index);
  } else {
    text.Format("[Im%d]", index);
  }
  switch (filter) {
    case 6: text += "TIF"; break;
    case 2:
    case 8: text += "JPG"; break;
    case 12: text += "JPX"; break;
    case 9: text += "JBIG2"; break;
    case 7: text += "LZW"; break;
    default: break;
  }
  return text;
}

}  // namespace convert
