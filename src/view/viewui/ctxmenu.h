// The text view's right-click menus as data: which menu a press opens and
// the rows of the general menu (edit, overwrite, block edit, find, the CSV
// section for tables, the macro section), of the ruled-table menu and of the
// image menu, each ending in the print-origin item; and what a right press
// on a picture does (grab, forget the point, open the menu). The window side
// turns the rows into a popup menu and greys commands nobody handles yet.
#pragma once

#include <cstdint>
#include <vector>

#include "fw/cstring.h"

namespace viewui {

enum class ContextMenuKind { kImage, kRuledTable, kGeneral };

struct ContextMenuState {
  int fileKind = 0;           // the view's m_nFileKind
  int displayKind = 0;        // m_nDisplayKind (4: picture display)
  int sourceForm = 0;         // m_nSourceView
  bool tableEditMode = false; // the document's m_bTableEditMode
  int blockMode = 0;          // m_nBlockMode
  int insertWord = 1;         // m_nInsertWord (0 = overwrite)
  int editMode = 0;           // m_nEditMode (3 = ruled-table mode)
  int selectUndoCount = 0;    // m_nSelectUndoCount
  bool titleRowFixed = false; // m_bTitleRowFixed
  std::uint32_t curLine = 1;  // m_nCurLine (title line)
  bool macroStopped = false;  // kind 98 with a stopped macro
  int originX = 0;            // print origin: scroll + press point
  int originY = 0;
  // The image menu.
  bool regionSelected = false;  // an image region is selected (m_rcImageSel.left >= 0)
  bool pastedImage = false;     // the document holds a pasted image
  int imageSelMode = 0;         // m_nImageSelMode
  bool internalKey = false;     // m_bInternalKey is 1
  bool backDiffers = false;     // the view's background differs from the document's
};

// Image menu for kinds 12-28 and 53-54 or display kind 4 in source form 0;
// ruled-table menu for kinds 4 and 9 while the table flag is set; else the
// general menu.
ContextMenuKind ChooseContextMenu(const ContextMenuState& s);

struct MenuRow {
  unsigned id = 0;           // 0 with separator and submenu
  CString text;
  bool separator = false;
  bool checked = false;
  bool grayed = false;
  std::vector<MenuRow> submenu;  // not empty: the row opens these rows
};

// "印刷開始点(x,y)\t<x>,<y>" (string 364); y below 10 counts 0.
CString PrintOriginText(int x, int y);
// The print origin of a press at (x, y) with the scroll position (sx, sy):
// y below 10 after adding is 0 unless `image`.
void PrintOrigin(int sx, int sy, int x, int y, bool image, int* ox, int* oy);

// Rows of the menu `kind` for state `s`. The image menu's commands belong to
// the image view (greyed until it handles them); the print-origin item is
// last in every menu.
std::vector<MenuRow> BuildContextMenu(ContextMenuKind kind, const ContextMenuState& s);

// A right press on a picture, in order: the first press grabs the picture
// (and remembers its point); while the picture is being dragged nothing
// happens; a press on the remembered point forgets it (its x becomes 0);
// any other press remembers its point and opens the image menu.
enum class ImagePress { kGrab, kBusy, kForget, kOpenMenu };
ImagePress PlanImagePress(bool grabbed, bool dragBusy, int rememberedX, int rememberedY, int x, int y);

// After the image menu: the cursor goes back to the press point while it
// still lies 10-120 pixels right of and 10-150 pixels below it (screen).
bool PutCursorBack(int pressX, int pressY, int cursorX, int cursorY);

}  // namespace viewui
