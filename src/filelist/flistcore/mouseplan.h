// What a mouse action in a list pane decides: which line and entry a click
// hits, what a click on the path line or on the heading line does, how a
// click marks entries, how a dragged column divider moves the columns and
// what the button-up stores. Portable; the pane's mouse members act on the
// results.
#pragma once

#include <cstdint>
#include <string>

#include "filelist/flistcore/entries.h"
#include "filelist/flistcore/liststate.h"
#include "filelist/flistcore/paint.h"

namespace flist {

// The line a button-down lands on. Only a real click (nFlags not 0) reaches
// the path line, the heading line or an entry line; a click of the list
// macro (nFlags 0) and a click on a border pixel take the single-click tail.
enum class ClickZone { kPathLine, kHeading, kEntryLine, kTail };
ClickZone ClickZoneOf(unsigned nFlags, int y, int lineHeight);

// The hit test: y / H + top - 1 (integer division); -1 is the path line.
int HitTestEntry(int y, int lineHeight, int topEntry);
// The entry a button-down acts on: the hit test for a real click (-1 gives
// 0, any other negative value 1, 0 gives 1), the cursor for nFlags 0 (a
// negative cursor gives 1).
int ClickEntryIndex(unsigned nFlags, int y, int lineHeight, int topEntry, int curEntry);

// --- the path line ------------------------------------------------------------------
// k: the path-bar right edges that are positive and left of x (at most 19).
int PathBarCount(const std::int32_t bars[kPathBarSegments], int x);

// `curDir` + "\" cut just after its k-th separator (separators only at
// character boundaries: the trail byte 0x5C of a Shift-JIS character is no
// separator); "" when k is below 1.
std::string CutAfterSeparator(const std::string& curDir, int k);

struct PathClick {
  enum Kind { kDriveList, kParentOnce, kParentTimes, kEnter } kind = kDriveList;
  int times = 0;        // kParentTimes: how often to go up (at least 1)
  std::string folder;   // kEnter: the folder to list
};
// A click at x on the path line of a pane that lists `curDir`. Segment 0 of
// the bar is the ">" lead-in, so k 0 shows the drive list and k n lists the
// folder of the first n components; the current folder itself (or the empty
// bar beyond it) goes up once. In a network path the click goes up as many
// levels as lie beyond the segment; a count below 1 does nothing (kParentTimes
// with times 0).
PathClick PlanPathClick(const std::string& curDir, const std::int32_t bars[kPathBarSegments], int x);

// --- the heading line ---------------------------------------------------------------
// The divider a press at x starts to drag: 1-3 the columns' starts
// (strictly within 5 pixels), 4 the folder column (sub-folder list only), 5
// the strip just left of the kind column (c0-20 < x < c0-13, outside a
// sub-folder list); 0 none. The first match wins.
int DividerAt(int x, const ColumnLayout& l, bool subfolderList);

struct HeadingState {
  std::uint32_t sortMode = 0;      // m_nSortMode
  std::uint32_t displayMode = 0;   // m_nDisplayMode
  std::uint32_t headerSwitch = 0;  // m_bHeaderSwitch
  std::int32_t listFlag = 0;       // m_nListFlag (sub-folder list)
};
// A click at x on the heading as a row of sort buttons (or, in the drive
// list, the font switch at its left end). Returns true when the document's
// compare buffer is to be emptied (the folder-column switch, or any sort
// mode but 5 afterwards).
bool ApplyHeadingClick(int x, const ColumnLayout& l, bool driveList, bool orderedSelect, HeadingState* s);

// The document's "posi<" digits after a heading click of pane `side` with
// display mode m: pane 1 stores m + 10 x (tens of d) + 1000 x (thousands of
// d), pane 2 (units of d) + 10 x (m + 10 x (hundreds of d)).
int PackDirSortAfterHeading(int d, int side, std::uint32_t displayMode);

// --- entry lines --------------------------------------------------------------------
// A click on entry `index`: an unmarked entry is marked and becomes the
// cursor (the only one in the mark order, or appended to it with the
// ordered selection, which stops at 99 entries); a marked one is unmarked,
// leaves the mark order, and the cursor goes to the nearest marked entry
// above, else below, else -1. An index outside the table changes nothing.
void ClickMarkEntry(EntryTable& t, ListState& s, int index, bool orderedSelect);

// --- dividers and the button-up -----------------------------------------------------
// Moves the columns for divider `kind` dragged to x (see DividerAt); the
// folder column never goes below 30.
void DragDivider(int kind, int x, ColumnLayout* l);
// The "posi;" word after a drag: w = (client width - c2) / 8, at most 99,
// replaces pane 1's two low digits or pane 2's digits above them. Nothing
// changes when w is not above 0 or the layout mode is 3 or 13.
int FlistDAfterDrag(int flistD, int side, int clientWidth, int c2, int layoutMode);

// The list extent the button-up stores in the sixth "posi" value, or -1 for
// none: the pane's height for layout modes up to 8, its width + 11 for 9
// and 10, its width + 25 from 11; stored when above 10, in layouts 0 and 1
// (or 9 to 11 with the layout flag 0), once the start-up schedule passed 1.
int ListExtentToStore(int layoutMode, int height, int width, int layoutFlag, int scheduleState);

// Whether a mouse move starts a drag of the marked entries out of the pane:
// the "fdrag" setting above 0, a button held (nFlags neither 0 nor Shift or
// Ctrl alone: 4, 8) and the mouse within 10 pixels of the client edge.
bool DragOutStarts(int fdrag, unsigned nFlags, int x, int y, int right, int bottom);

}  // namespace flist
