// The text view's right-click menus as data: which menu a press opens and
// the rows of the general menu (edit, overwrite, block edit, find, the CSV
// section for tables, the macro section) and of the ruled-table menu, each
// ending in the print-origin item. The window side turns the rows into a
// popup menu and greys commands nobody handles yet.
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
};

// Image menu for kinds 12-28 and 53-54 or display kind 4 in source form 0;
// ruled-table menu for kinds 4 and 9 while the table flag is set; else the
// general menu.
ContextMenuKind ChooseContextMenu(const ContextMenuState& s);

struct MenuRow {
  unsigned id = 0;           // 0 with separator
  CString text;
  bool separator = false;
  bool checked = false;
  bool grayed = false;
};

// "印刷開始点(x,y)\t<x>,<y>" (string 364); y below 10 counts 0.
CString PrintOriginText(int x, int y);
// The print origin of a press at (x, y) with the scroll position (sx, sy):
// y below 10 after adding is 0 unless `image`.
void PrintOrigin(int sx, int sy, int x, int y, bool image, int* ox, int* oy);

// Rows of the menu `kind` for state `s`. The image menu's own rows belong
// to the image view; here it holds the print-origin item only.
std::vector<MenuRow> BuildContextMenu(ContextMenuKind kind, const ContextMenuState& s);

}  // namespace viewui
