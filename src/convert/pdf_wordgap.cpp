// The word-spacing scale of the two PDF view commands.
#include "convert/pdf_wordgap.h"

namespace convert {

PdfWordGap StepPdfWordGap(std::int32_t widthAdjust, std::int32_t tdAdjust, bool widen) {
  PdfWordGap g;
  g.widthAdjust = widthAdjust < 1 ? 1 : widthAdjust > 5 ? 5 : widthAdjust;
  std::int32_t td = tdAdjust < 40 ? 40 : tdAdjust > 115 ? 115 : tdAdjust;
  g.tdAdjust = td - (td - 40) % 5;  // onto the steps of 5
  bool width = false;
  if (widen) {
    if (g.tdAdjust < 115) {
      g.tdAdjust += 5;
      g.changed = true;
    } else if (g.widthAdjust > 1) {
      --g.widthAdjust;
      g.changed = width = true;
    }
  } else {
    if (g.widthAdjust < 5) {
      ++g.widthAdjust;
      g.changed = width = true;
    } else if (g.tdAdjust > 40) {
      g.tdAdjust -= 5;
      g.changed = true;
    }
  }
  // At an end nothing moves: the status names the value that would have.
  if (!g.changed) width = widen;
  if (width) {
    g.status.Format("width adjust %d", static_cast<int>(5 - g.widthAdjust));
  } else {
    g.status.Format("TD adjust %d", static_cast<int>(g.tdAdjust - 85));
  }
  return g;
}

}  // namespace convert
