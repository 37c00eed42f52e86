// What one refresh of the picture view decides before it touches a window:
// whether the document must open the file again, which effect flags and
// zoom the options get, how large the two work buffers are, whether the
// picture goes to 24 bits and whether the display transform runs. The view's
// refresh member acts on this plan.
#pragma once

#include <cstdint>
#include <string>

#include "image/view/view_types.h"

namespace img {

// The words that must all be 0 for the colour effects to be off: the twelve
// colour-engine words and bForceEffects. The document's reload keeps the
// same thirteen.
constexpr int kEffectWords[13] = {36, 37, 38, 39, 40, 41, 43, 44, 45, 46, 47, 48, 31};

struct RefreshState {
  int32_t mode = 0;              // 0 refresh, 3 from the document's update, 5 re-open, 9 frozen
  int32_t fileKind = 0;          // the view's m_nFileKind
  uint64_t loadedBitsSize = 0;   // m_nLoadedBitsSize
  std::string shownFile;         // m_strShownFile (bytes)
  // The loaded header (m_bmiLoaded).
  int32_t width = 0;
  int32_t height = 0;
  uint32_t bits = 0;
  uint32_t clrUsed = 0;
  uint32_t sizeImage = 0;
  ImageViewOptions options;      // the view's 49 words and the region word
  uint32_t fitMode = 0;          // m_nFitMode
  int64_t windowWidth = 0;       // from the view's window rectangle
  int32_t pasteState = 0;        // m_nPasteState
  int32_t docZoomLevel = 5;      // nZoomLevel of the document's options copy
};

struct RefreshPlan {
  // Re-open branch: the view holds no picture it can show (or mode 5).
  bool reopen = false;
  bool reopenOpensFile = false;   // modes 0 and 5 call the document's open
  bool reopenStoresZoom = false;  // the PDF import's scratch picture keeps its zoom below 6
  // The options as the refresh leaves them (effect style, transform flag,
  // 24-bit switch, zoom level and fine factor).
  ImageViewOptions options;
  // Header fixes on the loaded copy.
  uint32_t clrUsed = 0;           // biClrUsed to keep (256, 16, 2 filled in when 0)
  uint64_t sizeImage = 0;         // biSizeImage (H x S when it was 0)
  uint64_t stride = 0;            // S
  // The fit to the window width.
  bool fitApplied = false;
  uint32_t fitMode = 0;           // the new m_nFitMode (a 2 is consumed)
  bool storeZoomInDocument = false;  // mode 3: level and fine go to the document's copy
  bool clearDocumentSizeHigh = false;  // the document's m_bSizeHigh becomes 0
  // Buffers: the destination D of `workSize` bytes and the source copy T
  // of `copySize` + 910000 bytes.
  uint64_t workSize = 0;          // N
  uint64_t copySize = 0;          // K
  int32_t zoomLevel = 5;          // the level the transform decision used
  // The transform decision, and the caption that follows (zoom first after
  // a transform; none after a transform in mode 3).
  bool transform = false;
  bool caption = false;
  bool captionZoomFirst = false;
};

RefreshPlan PlanImageRefresh(const RefreshState& state);

}  // namespace img
