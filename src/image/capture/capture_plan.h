// The decisions of the screen capture: the target path and its format, the
// numbered name of the quick capture, the timed series, and the region of
// the desktop a picture takes. The view's members do the dialogs, the waits,
// the device contexts and the block transfer; everything they decide on is
// here, free of any window.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "fw/geometry.h"

namespace image::capture {

using RectI = ::CRect;

enum Mode { kDesktop = 1, kNumbered = 2, kClicked = 40, kSeries = 41, kSeriesWindow = -1 };

// Format code of a path ending in ".pdf": the capture is refused.
constexpr int kRefusedFormat = -1;
// Bytes allocated past the pixel rows of a grab.
constexpr std::uint32_t kCaptureBufferSlack = 10000;

// The path a capture starts from: the shown file, else the document's
// current file, else the active side's folder (side 1: path1, else path2).
// A path without any '.' is a folder and gets the mode's default name:
// "\temp#10s200m.bmp" (series), "\" (numbered), "\temp.png" (others). A
// folder that already ends in "\" gets no second one.
std::string CaptureBasePath(const std::string& shown, const std::string& curFile, const std::string& path1,
                            const std::string& path2, int activeSide, int mode);

// A path longer than 4 whose file kind (the caller's) lies outside 12-21 is
// given the extension ".png" in place of its own. A path ending in "\" (a
// folder for the numbered name) has no name to change and is kept.
std::string CaptureTargetPath(const std::string& path, int fileKind);

// The format code from the path's last three characters, lower-cased:
// bmz 4, png 5, jpg 7, peg 8, pdf kRefusedFormat, anything else 3 (BMP).
int CaptureFormatCode(const std::string& path);

// The numbered name of the quick capture: the path without its extension,
// its two last digits stepped on ("shot05" gives "shot06.png"); a name not
// ending in a number 01-99 (or of two characters or fewer) gets "TMP01". A
// name never overwrites: numbers whose file `exists` are stepped over, and
// past 99 the name gets "TMP01" again ("x99" gives "x99TMP01.png"). Gives ""
// when no free name turns up within kMaxNumberedTries names.
constexpr int kMaxNumberedTries = 1000;
std::string NumberedCaptureName(const std::string& path, const std::function<bool(const std::string&)>& exists);

// A timed series: `count` pictures `intervalMs` apart, written as
// base_0001.ext, base_0002.ext, ... The name "...#<S>?<I>..." (the last '#'
// after the base's first character, a base longer than 5) asks for S
// seconds at I milliseconds: count = S x 1000 / I (at most 9000), interval I
// (at most 10000). A missing or zero I is 1000 ms. Other names: 10 pictures
// a second apart. `ext` is the path's last three characters lower-cased, as
// the format code reads them (so "x.jpeg" gives x_0001.peg).
struct SeriesPlan {
  int count = 10;
  int intervalMs = 1000;
  std::string base;  // the path without its extension
  std::string ext;
};
SeriesPlan PlanSeries(const std::string& path);
// The pictures to take: a count of 0 still takes one (the first picture is
// taken before the count is looked at).
int SeriesPictures(const SeriesPlan& p);
// "%s_%04d.%s" of base, k and ext.
std::string SeriesFileName(const SeriesPlan& p, int k);
// The picture the document opens after a series of `taken` pictures: the
// last one written (the first when `taken` is below 1).
std::string SeriesOpenName(const SeriesPlan& p, int taken);

// One grab of the desktop. Coordinates are screen pixels; every sum is
// clamped to +-kCoordLimit, so any difference of two fits an int.
constexpr int kCoordLimit = 1 << 29;
struct GrabInput {
  RectI window;                   // the desktop's window rectangle (modes 1, 2), else the foreground window's
  RectI capture;                  // the view's capture rectangle (m_rcCapture)
  int mode = kDesktop;
  int clientW = 0, clientH = 0;   // the desktop's client size
  RectI sel{-1, -1, -1, -1};      // the image selection (m_rcImageSel), -1 = none
  int fileKind = 0;               // the view's file kind
  bool hasLastLine = false;
  int lastLineY = 0;              // client y of the first character of the text's last line
};
struct GrabPlan {
  RectI rc;                     // the window rectangle, or the capture rectangle when its left is negative
  bool setCapture = false;      // modes 1 and 2: the capture rectangle becomes rc
  RectI region;                 // left = x0, top = y0, right = x1, bottom = y1
  bool hidesSelection = false;  // the selection frame is hidden before the grab
  bool tooFlat = false;         // height 50 or less: "Eror", nothing written
};
GrabPlan PlanGrab(const GrabInput& in);

// The 24-bit bottom-up DIB of a w x h grab: the row stride (padded to four
// bytes) and the image size. False when w or h is not positive, or the
// image with kCaptureBufferSlack after it would pass 2^31 - 1 bytes.
bool CaptureDibSizes(int w, int h, std::uint32_t* stride, std::uint32_t* imageBytes);

}  // namespace image::capture
