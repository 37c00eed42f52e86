// The image state of one text view: the loaded picture, the shown one, its
// page and reduction, the display options, the region, paste, figure,
// picture-slot and box-selection words. Plain data; the view holds it as its
// member m_image and the window code reads the fields by name
// (`m_image.m_hImageBitmap`). Window handles and headers are opaque here, so
// this header stays free of windows.h.
#pragma once

#include <cstdint>

#include "fw/cstring.h"
#include "fw/geometry.h"

namespace image {

constexpr int kPictureSlots = 100;         // picture slots of the image canvas
constexpr int kImageSettingsWords = 49;    // words of the image settings
constexpr int kBitmapInfoBytes = 2000;     // header + palette of a loaded picture

struct ImageViewState {
  std::uint32_t m_bImageGrab = 0;
  CRect m_rcImageSel{-1, -1, -1, -1};
  std::int32_t m_nImageSelMode = 0;
  std::int32_t m_nImageViewState = 0;
  CPoint m_ptImageCursor;                      // also the last right-click point
  std::uint8_t m_bmiLoaded[kBitmapInfoBytes] = {};
  void* m_pLoadedInfo = nullptr;
  std::uint8_t* m_pLoadedBits = nullptr;
  std::uint32_t m_nLoadedBitsSize = 0;
  std::uint8_t m_bmiImage[kBitmapInfoBytes] = {};
  void* m_pImageInfo = nullptr;
  void* m_hImageBitmap = nullptr;              // HBITMAP
  std::int32_t m_nImageWidth = 0;
  std::int32_t m_nImageHeight = 0;
  std::int32_t m_nImageBits = 0;
  std::int32_t m_nPrevImageWidth = 0;
  std::int32_t m_nPrevImageHeight = 0;
  std::int32_t m_nImagePage = 0;
  std::int32_t m_nImageReduce = 1;
  CPoint m_ptImageScroll;
  std::uint32_t m_aImageSettings[kImageSettingsWords] = {};
  std::uint32_t m_aImageSettingsPrint[kImageSettingsWords] = {};
  CRect m_rcImageSelSaved, m_rcImageSelShown, m_rcImageSelPix;  // region
  std::int32_t m_nImageDragState = 0;
  std::int32_t m_nImageDragHandle = 0;
  std::int32_t m_nPasteState = 0;
  CPoint m_ptPasteOffset;
  std::uint32_t m_bRegionSet = 0;
  std::int32_t m_nRegionCornerMode = 0;
  std::uint8_t* m_pRegionUndo = nullptr;
  std::uint32_t m_nRegionUndoSize = 0;
  // What the undo buffer holds: 0 nothing to put back, 1 region rows saved
  // by a compositing, 2 the whole previous picture of a crop (a BMP file).
  std::int32_t m_nRegionUndoKind = 0;
  // After a copy the clip's file bytes; after SetImageFromDib (mode 1) the
  // pixel bytes + 54 + 4 x colours.
  std::uint64_t m_nWorkSize = 0;
  CPoint m_ptRegionDragLast;
  std::int32_t m_nImageTool = 0;               // paint
  std::int32_t m_nShapeKind = 0;
  std::int32_t m_nLineStyle = 0;
  std::int32_t m_nLabelFrame = 0;
  std::uint32_t m_clrImageFill = 0;
  std::uint32_t m_clrImageBrush = 0;
  std::uint32_t m_clrImageBack = 0xF8F9FA;     // RGB(250,249,248)
  std::uint32_t m_clrImageText = 0x010203;     // RGB(3,2,1)
  std::uint32_t m_clrPicked = 0xFFFFFF;
  std::uint32_t m_clrProbe = 0xFFFFFFFF;        // none read yet
  CPoint m_ptProbe{-1, -1};                    // where m_clrProbe was read
  std::int32_t m_nGrabTool = 0;
  std::int32_t m_aPictureX[kPictureSlots] = {};  // picture slots
  std::int32_t m_aPictureY[kPictureSlots] = {};
  std::int32_t m_aPictureWidth[kPictureSlots] = {};
  std::int32_t m_aPictureHeight[kPictureSlots] = {};
  std::int32_t m_aPictureNatural[kPictureSlots] = {};
  std::int32_t m_nLogPixelsX = 96;
  std::int32_t m_nLogPixelsY = 96;
  CRect m_rcLastFigure;
  CRect m_rcCapture;
  std::int32_t m_nBoxSelMode = 0;              // box selection
  std::int32_t m_nBoxStartX = 0;
  std::int32_t m_nBoxEndX = 0;
  std::int32_t m_nBoxStartLine = 0;
  std::int32_t m_nBoxEndLine = 0;
  std::int32_t m_nBoxPaintedFirst = 0;
  std::int32_t m_nBoxPaintedLast = 0;
  std::uint32_t m_bTableDragMoved = 0;
  std::int32_t m_nFitMode = 0;                 // the view's copy of the document's m_bSizeHigh
  CString m_strImagePath;                      // the shown picture's path, default of the save dialogs
  // The display bitmap as the window paints it: a picture shown a page at
  // a time, and the bands a larger previous picture left (erased in
  // m_clrTextBack, light cyan below a partial first page).
  std::uint32_t m_bImagePaged = 0;
  std::int32_t m_nBitmapRows = 0;              // rows of m_hImageBitmap
  std::int32_t m_nEraseWidth = 0;
  std::int32_t m_nEraseHeight = 0;
  std::uint32_t m_bEraseCyan = 0;
};

}  // namespace image
