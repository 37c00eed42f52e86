// The texts of the pixel probe: the point under the mouse relative to the
// measuring origin, the colour there with its lightness, chroma and hue, and
// the image region measured as a 300 dots-per-inch scan of a map at 1 : Scl
// (width, height, diagonal and area in thousandths of the map's unit); a
// second pane gets the region's corners and side ratio. The view reads the
// pixel and the scroll positions and sets the texts into its status bar.
#pragma once

#include <cstdint>
#include <string>

#include "fw/geometry.h"

namespace image {

struct PixelProbeInput {
  int x = 0, y = 0;             // client point
  int scrollH = 0, scrollV = 0; // the view's scroll positions
  int zoomFine = 10;            // nZoomFine (tenths) and nZoomLevel of the image options
  int zoomLevel = 5;
  CPoint origin{-1, -1};        // the measuring origin; (-1, -1) none: (0, 0)
  uint32_t probe = 0;           // COLORREF 0x00BBGGRR read under the point
  CRect sel{-1, -1, -1, -1};    // m_rcImageSel
  int mapScale = 0;             // Scl
  bool grab = false;            // m_bImageGrab is 1
  int grabTool = 0;             // colours are shown for tools 0 and 9 only
  int pasteState = 0;
};

struct PixelProbeTexts {
  std::string pane0;
  bool hasPane104 = false;      // false: that pane keeps what it shows
  std::string pane104;
};

// Lightness, chroma and hue of a colour.
struct ProbeColour {
  int r = 0, g = 0, b = 0;
  int lightness = 0;  // percent
  int chroma = 0;     // percent; 99 shows as 100
  double hue = 0;     // degrees, 0 up to about 360
};
ProbeColour MeasureProbeColour(uint32_t colorref);

// The region in thousandths of the map unit: W and H from the sides (pixels
// x Scl x 1693 / 19996, the millimetres per pixel of a 300 dpi scan), made
// good for the zoom (levels below 5 multiply by 2^(5 - level), above divide
// by 2^(level - 5); levels outside 1-9 count as 5, as the display draws
// them), the diagonal D and the area A = W x H / 1000. 64-bit throughout;
// values past the int64 range stop at its end.
struct RegionMeasure {
  int64_t w = 0, h = 0, d = 0, a = 0;
};
RegionMeasure MeasureRegion(const CRect& sel, int mapScale, int zoomLevel);

PixelProbeTexts ComputePixelProbe(const PixelProbeInput& in);

}  // namespace image
