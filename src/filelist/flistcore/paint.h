// What the list painter and the scroll bar decide: the column layout, the
// path-bar segments, the colour of a line, the line geometry and the scroll
// arithmetic. Portable; the pane's members draw with the results.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace flist {

constexpr int kPathBarSegments = 20;
constexpr int kLinesPerPaint = 99;

struct ColumnLayout {
  int x[3] = {445, 485, 585};  // m_aColumnX: kind, size, date
  int subdirX = 250;           // m_nSubdirColumnX
};

// Step 2 of the path-bar painter. `layoutPass` is true while the frame's
// countdown runs; `flistD` (the "posi;" pair) may be rewritten.
void LayoutColumns(int width, bool layoutPass, int side, int listFlag, int* flistD, ColumnLayout* layout);

struct PathSegment {
  std::string text;
  int left = 0;
  int right = 0;   // the m_aPathBarX value
};

// The path bar: " >|" + the folder with every separator turned into "|",
// cut at each "|" (separators only at character boundaries): segment 0 is
// the ">" lead-in, segment k the folder's k-th component; each segment
// advances by (length + 1) * (4H / 9). At most 20 segments.
std::vector<PathSegment> PathBarSegments(const std::string& curDir, int lineHeight);

// Colours as 0x00BBGGRR; kColourBlack stands for the value 4278190080
// (top byte 255), drawn as black.
constexpr std::uint32_t kColourBlack = 0x000000;

struct LineColours {
  std::uint32_t normal = 0, folder = 0, hidden = 0, system = 0, readOnly = 0, exeFile = 0;
  std::uint32_t back = 0xFFFFFF, onSelect = 0, offSelect = 0;
};

struct LineFacts {
  bool selected = false;       // cursor or marked
  bool active = false;
  std::int32_t size = 0;       // m_pEntryVal1
  std::uint32_t sizeHigh = 0;
  std::uint32_t attributes = 0;
  std::string ext;             // m_pTextRecs3
  bool comparing = false;      // m_nCompareCount > 1
  int index = 0;
  int compareMark = -1;        // the entry's compare result (-1: none kept)
};

struct LineColour {
  std::uint32_t back = 0;
  std::uint32_t text = 0;
};
LineColour ChooseLineColour(const LineFacts& f, const LineColours& c);

// Geometry: line k (entry top + k) starts at y = 2H + 4 + (k - 1) * H.
inline int EntryLineTop(int lineHeight, int k) { return 2 * lineHeight + 4 + (k - 1) * lineHeight; }

// Scroll-to-cursor: the new scroll position; clears *tight in the moving cases.
int ScrollForCursor(int clientHeight, int lineHeight, int top, int cur, int scrollPos, int* tight);

// WM_VSCROLL: the new position for a scroll code (SB_* values).
int VScrollPosition(int code, int trackPos, int scrollPos, int clientHeight, int lineHeight, int scrollMax);

// The UTF-8 names of a folder as Shift-JIS for display (three-byte UTF-8
// sequences only; at most 2000 bytes).
std::string Utf8PathToSjis(const std::string& text);

}  // namespace flist
