// What the document's display commands do to a shown picture's settings:
// zoom steps word 5 within 1-9, the flip toggles word 25, the display style
// toggles word 28, and the fit-width command cycles the fit mode 0, 1, 2.
// Each command then reopens the picture (the reload), whose path and style
// rule are here too.
#pragma once

#include <cstdint>
#include <string>

namespace img {

constexpr int kPictureZoomMin = 1;
constexpr int kPictureZoomMax = 9;
constexpr int kPictureZoomPlain = 5;  // 1:1

// Whether a file kind is a picture the image view shows (12-28).
inline bool IsShownPictureKind(int kind) { return kind >= 12 && kind <= 28; }

// The zoom level after one step (+1 in, -1 out), kept within 1-9; a level
// outside that range counts as 1:1.
int StepPictureZoom(int level, int step);

// The fit mode after the fit-width command: 0 -> 1 -> 2 -> 0.
uint32_t NextFitMode(uint32_t mode);

// The thirteen option words a reload looks at (31, 36-41, 43-48): when all
// are 0 for a picture, the reload clears the display style (word 28).
bool PictureOptionWordsClear(const uint32_t* settings, int words);

// The file a reload opens: the picture a conversion loaded for the view when
// there is one, else the active side's path.
std::string PictureReloadPath(const std::string& shownImagePath, const std::string& activePath);

}  // namespace img
