// The status-bar caption of a shown picture: its size and depth, the zoom,
// the rotation, the advice on the memory settings when the picture did not
// fit, and the reduction of a picture rendered from a metafile. One builder
// serves the plain caption of a refresh and the caption of the display
// transform.
#pragma once

#include <cstdint>
#include <string>

namespace img {

enum class CaptionKind {
  kPlain,      // the refresh's caption: zoom part first when asked
  kTransform,  // the transform's caption: size, zoom, rotation, then the advice
};

struct CaptionInput {
  CaptionKind kind = CaptionKind::kPlain;
  int32_t width = 0;   // before the transforms (the region's size when one was cut)
  int32_t height = 0;
  int32_t bits = 0;    // after the transforms
  bool over = false;   // the loaded picture was cut by the input limit ("Over!")
  int32_t zoomLevel = 5;  // 1..9, 5 = 1:1
  int32_t zoomFine = 0;   // 1..9 tenths on top of the level; other values: none
  int32_t rotation = 0;   // quarter turns clockwise
  int32_t imageReduce = 1;  // reduction of a metafile picture; 99 = no caption once
  bool zoomFirst = false;   // plain caption: the zoom part in front (not at 1:1)
  // The memory advice (transform caption only).
  uint64_t imageSize = 0;     // the loaded picture's size in bytes
  uint64_t expected = 0;      // the expected output size E
  uint64_t outputLimit = 0;   // m_nTextBufSize
  uint64_t inputLimit = 0;    // m_nTextBufSize2
  // Where it may be shown: only while both are 0.
  int32_t loadState = 0;  // the view's m_nLoadState
  int32_t trimMode = 0;   // the document's m_nTrimMode
};

struct CaptionText {
  std::string text;
  bool built = false;        // false: a reduction of 99 suppressed the caption
  bool show = false;         // goes to status pane 0
  int32_t imageReduce = 1;   // the view's new m_nImageReduce (99 becomes 1)
};

CaptionText BuildImageCaption(const CaptionInput& in);

// The plain caption's "Over!" test: a bitmap file (kind 12) whose image size
// equals the input limit was cut by the loader.
inline bool PlainCaptionOver(int32_t fileKind, uint64_t sizeImage, uint64_t inputLimit) {
  return fileKind == 12 && sizeImage == inputLimit;
}

}  // namespace img
