#include "view/viewui/ctxmenu.h"

#include <string>

#include "cmd/command_table.h"
#include "core/docsvc/filekind.h"
#include "fw/strtable.h"
#include "res/resource.h"

namespace viewui {
namespace {

// One row of a menu table. `stringId` names the string-table text; without
// one (or when the string table has no such string) the text is the
// command's caption in the command table.
enum class When {
  kAlways,
  kBlockMode,         // while block mode is on
  kRegionKinds,       // block mode off, kinds below 12 or 30-39
  kSeparator,
};

struct Row {
  unsigned id;
  unsigned stringId;
  When when;
};

// General menu, up to the CSV section. The overwrite item is checked while
// the insert word is 0; block edit is checked in block mode.
const Row kGeneralRows[] = {
    {ID_TEXT_CUT, IDS_MENU_CUT, When::kAlways},
    {ID_TEXT_COPY, IDS_MENU_COPY, When::kAlways},
    {ID_TEXT_PASTE, IDS_MENU_PASTE, When::kAlways},
    {0, 0, When::kSeparator},
    {ID_TEXT_OVERWRITE, 0, When::kAlways},
    {ID_BLOCK_EDIT, IDS_MENU_BLOCK_EDIT, When::kAlways},
    {ID_BLOCK_TOP_LEFT, 0, When::kBlockMode},
    {ID_BLOCK_BOTTOM_RIGHT, 0, When::kBlockMode},
    {ID_REGION_TOP_LEFT, 0, When::kRegionKinds},
    {ID_REGION_BOTTOM_RIGHT, 0, When::kRegionKinds},
    {ID_REGION_CLEAR, 0, When::kRegionKinds},
    {0, 0, When::kSeparator},
    {ID_FIND, IDS_MENU_FIND, When::kAlways},
    {ID_FIND_REPLACE, IDS_MENU_FIND_REPLACE, When::kAlways},
};

// CSV section (kind 33), in its order. The undo item gets "\t<count>" and
// the title-row item is built apart (its id and text follow the state).
const Row kCsvRows[] = {
    {ID_CSV_FIND_COLUMN, 0, When::kAlways},
    {0, 0, When::kSeparator},
    {ID_CSV_NARROW_SELECT, 0, When::kAlways},
    {ID_CSV_NARROW_DELETE, 0, When::kAlways},
    {ID_CSV_SELECT_CHECK, 0, When::kAlways},
    {ID_CSV_UNDO_SELECT, 0, When::kAlways},
    {0, 0, When::kSeparator},
    {ID_CSV_COLUMN_SUM, 0, When::kAlways},
    {ID_CSV_CROSS_TAB, 0, When::kAlways},
    {ID_CSV_CHECKED_SUM, 0, When::kAlways},
    {0, 0, When::kSeparator},
    {ID_CSV_CHECK_TO_MARK, 0, When::kAlways},
    {ID_CSV_MARK_TO_CHECK, 0, When::kAlways},
    {ID_CSV_CLEAR_CHECKS, 0, When::kAlways},
    {ID_CSV_SAVE_HTML, 0, When::kAlways},
    {0, 0, When::kSeparator},
    {ID_CSV_QUOTE_CUT, 0, When::kAlways},
    {ID_CSV_QUOTE_ADD, 0, When::kAlways},
    {ID_CSV_THOUSANDS, 0, When::kAlways},
    {0, 0, When::kSeparator},
    {ID_CSV_ALIGN_RIGHT, 0, When::kAlways},
    {ID_CSV_ALIGN_LEFT, 0, When::kAlways},
    {ID_CSV_ALIGN_CENTER, 0, When::kAlways},
    {ID_CSV_TRIM_TRAILING, 0, When::kAlways},
};

// Macro section (a stopped macro, kind 98).
const Row kMacroRows[] = {
    {0, 0, When::kSeparator},
    {ID_MACRO_HELP_EDIT, 0, When::kAlways},
    {ID_MACRO_HELP_FILE, 0, When::kAlways},
    {ID_MACRO_HELP_VARS, 0, When::kAlways},
    {ID_MACRO_HELP_COLUMNS, 0, When::kAlways},
    {0, 0, When::kSeparator},
    {ID_MACRO_INSERT_DIALOG, 0, When::kAlways},
    {ID_MACRO_INSERT_GRAPH, 0, When::kAlways},
};

// Ruled-table menu.
const Row kRuledRows[] = {
    {ID_TBL_NEW, IDS_TBL_NEW, When::kAlways},
    {ID_TBL_CONVERT, IDS_TBL_CONVERT, When::kAlways},
    {0, 0, When::kSeparator},
    {ID_TBL_ADD_COLUMN, IDS_TBL_ADD_COLUMN, When::kAlways},
    {ID_TBL_DEL_COLUMN, IDS_TBL_DEL_COLUMN, When::kAlways},
    {0, 0, When::kSeparator},
    {ID_TBL_ADD_ROW, IDS_TBL_ADD_ROW, When::kAlways},
    {ID_TBL_DEL_ROW, IDS_TBL_DEL_ROW, When::kAlways},
    {0, 0, When::kSeparator},
    {ID_TBL_TOP_RULE, 0, When::kAlways},
    {ID_TBL_BOTTOM_RULE, 0, When::kAlways},
    {ID_TBL_LEFT_RULE, IDS_TBL_LEFT_RULE, When::kAlways},
    {ID_TBL_RIGHT_RULE, IDS_TBL_RIGHT_RULE, When::kAlways},
    {0, 0, When::kSeparator},
    {ID_TBL_CELL_TOP_RULE, 0, When::kAlways},
    {ID_TBL_CELL_BOTTOM_RULE, 0, When::kAlways},
    {ID_TBL_CELL_LEFT_RULE, 0, When::kAlways},
    {ID_TBL_CELL_RIGHT_RULE, 0, When::kAlways},
    {0, 0, When::kSeparator},
    {ID_TBL_UNDO, 0, When::kAlways},
    {ID_TBL_END, 0, When::kAlways},
};

// Image menu. The copy and insert items read "画像" instead of "領域" while
// no region is selected (the first word of the save-as text); the undo item
// shows while the selection mode is above 0.
enum class ImageWhen {
  kAlways,
  kNoRegionPasted,     // no region, the document holds a pasted image
  kNoRegionPastedSel,  // and the selection mode is above 0
  kImageWord,          // no region: the text's first word is the image's
  kRegion,
  kRegionSel,          // a region and the selection mode above 0
  kSeparatorNoRegion,
  kSeparatorRegion,
};

struct ImageRow {
  unsigned id;
  ImageWhen when;
};

const ImageRow kImageRows[] = {
    {ID_REGION_TOP_LEFT, ImageWhen::kAlways},
    {ID_REGION_BOTTOM_RIGHT, ImageWhen::kAlways},
    {0, ImageWhen::kSeparatorNoRegion},
    {ID_REGION_PASTE, ImageWhen::kNoRegionPasted},
    {ID_REGION_UNDO, ImageWhen::kNoRegionPastedSel},
    {ID_REGION_COPY, ImageWhen::kImageWord},
    {ID_REGION_INSERT_FILE, ImageWhen::kImageWord},
    {ID_REGION_CLEAR, ImageWhen::kRegion},
    {0, ImageWhen::kSeparatorRegion},
    {ID_REGION_COPY, ImageWhen::kRegion},
    {ID_REGION_CUT, ImageWhen::kRegion},
    {ID_REGION_PASTE, ImageWhen::kRegion},
    {ID_REGION_CROP, ImageWhen::kRegion},
    {ID_REGION_INSERT_FILE, ImageWhen::kRegion},
    {ID_REGION_SAVE_FILE, ImageWhen::kRegion},
    {ID_REGION_UNDO, ImageWhen::kRegionSel},
    {ID_REGION_PRINT, ImageWhen::kRegion},
    {0, ImageWhen::kSeparatorRegion},
    {ID_IMAGE_SAVE_AS, ImageWhen::kAlways},
    {ID_IMAGE_BACK_COLOR, ImageWhen::kAlways},
};

bool ImageApplies(ImageWhen w, const ContextMenuState& s) {
  const bool region = s.regionSelected;
  switch (w) {
    case ImageWhen::kAlways:
      return true;
    case ImageWhen::kSeparatorNoRegion:
    case ImageWhen::kImageWord:
      return !region;
    case ImageWhen::kNoRegionPasted:
      return !region && s.pastedImage;
    case ImageWhen::kNoRegionPastedSel:
      return !region && s.pastedImage && s.imageSelMode > 0;
    case ImageWhen::kRegion:
    case ImageWhen::kSeparatorRegion:
      return region;
    case ImageWhen::kRegionSel:
      return region && s.imageSelMode > 0;
  }
  return false;
}

// The text after the first word of `text` (from its first blank on).
std::string AfterFirstWord(const std::string& text) {
  const std::size_t blank = text.find(' ');
  return blank == std::string::npos ? std::string() : text.substr(blank);
}

std::string FirstWord(const std::string& text) { return text.substr(0, text.find(' ')); }

// The "図形" submenu at the end of the image menu: the figure kinds, the
// stepping line style and fill kind, the colours and the paint actions
// (their captions and marks come from the rows' update handlers).
const unsigned kFigureRows[] = {
    ID_FIGURE_RECT,        ID_FIGURE_DOUBLE,      ID_FIGURE_ROUNDED,     ID_FIGURE_ELLIPSE,
    ID_FIGURE_ARC,         ID_FIGURE_HATCH,       ID_FIGURE_LINE,        ID_FIGURE_PEN,
    0,                     ID_FIGURE_LINE_STYLE,  ID_FIGURE_FILL_KIND,   0,
    ID_FIGURE_PEN_COLOR,   ID_FIGURE_BRUSH_COLOR, ID_FIGURE_AREA_COLOR,  ID_FIGURE_SCREEN_COLOR,
    0,                     ID_FIGURE_FILL_REGION, ID_FIGURE_FLOOD_FILL,
};
constexpr char kFigureMenuText[] = "図形";

MenuRow FigureSubmenu() {
  MenuRow popup;
  popup.text = kFigureMenuText;
  for (unsigned id : kFigureRows) {
    MenuRow m;
    m.id = id;
    m.separator = id == 0;
    if (id) m.text = CString(cmd::MenuTextFor(id).c_str());
    popup.submenu.push_back(m);
  }
  return popup;
}

void AppendImage(const ContextMenuState& s, std::vector<MenuRow>& out) {
  const std::string imageWord = FirstWord(cmd::MenuTextFor(ID_IMAGE_SAVE_AS));
  for (const ImageRow& r : kImageRows) {
    if (!ImageApplies(r.when, s)) continue;
    MenuRow m;
    if (r.id == 0) {
      m.separator = true;
      out.push_back(m);
      continue;
    }
    m.id = r.id;
    std::string text = cmd::MenuTextFor(r.id);
    if (r.when == ImageWhen::kImageWord) text = imageWord + AfterFirstWord(text);
    if (r.id == ID_IMAGE_BACK_COLOR) {
      if (s.internalKey) text += "*";
      m.checked = s.backDiffers;
    }
    m.text = CString(text.c_str());
    out.push_back(m);
  }
}

CString RowText(const Row& r) {
  std::string s;
  if (r.stringId && fw::LookupString(r.stringId, s)) return CString(s.c_str());
  return CString(cmd::MenuTextFor(r.id).c_str());
}

bool Applies(const Row& r, const ContextMenuState& s) {
  switch (r.when) {
    case When::kAlways:
    case When::kSeparator:
      return true;
    case When::kBlockMode:
      return s.blockMode != 0;
    case When::kRegionKinds:
      return s.blockMode == 0 && (s.fileKind < 12 || (s.fileKind >= 30 && s.fileKind <= 39));
  }
  return false;
}

template <std::size_t N>
void AppendRows(const Row (&rows)[N], const ContextMenuState& s, std::vector<MenuRow>& out) {
  for (const Row& r : rows) {
    if (!Applies(r, s)) continue;
    MenuRow m;
    if (r.when == When::kSeparator) {
      m.separator = true;
    } else {
      m.id = r.id;
      m.text = RowText(r);
    }
    out.push_back(m);
  }
}

MenuRow Separator() {
  MenuRow m;
  m.separator = true;
  return m;
}

void AppendGeneral(const ContextMenuState& s, std::vector<MenuRow>& out) {
  AppendRows(kGeneralRows, s, out);
  for (MenuRow& m : out) {
    if (m.id == ID_TEXT_OVERWRITE) m.checked = s.insertWord == 0;
    if (m.id == ID_BLOCK_EDIT) m.checked = s.blockMode != 0;
  }
  if (s.fileKind == docsvc::kKindCsv) {
    AppendRows(kCsvRows, s, out);
    for (MenuRow& m : out) {
      if (m.id == ID_CSV_UNDO_SELECT && s.selectUndoCount > 0) {
        CString t;
        t.Format("\t%d", s.selectUndoCount);
        m.text += t;
      }
      if ((m.id == ID_CSV_QUOTE_CUT || m.id == ID_CSV_QUOTE_ADD) && s.editMode == 3) m.grayed = true;
    }
    MenuRow title;
    title.id = s.titleRowFixed ? ID_CSV_TITLE_AUTO : ID_CSV_TITLE_FIX;
    title.text.Format("%s\t%u", cmd::MenuTextFor(title.id).c_str(), s.curLine);
    out.push_back(title);
  }
  if (s.fileKind == docsvc::kKindMacro && s.macroStopped) AppendRows(kMacroRows, s, out);
}

}  // namespace

ContextMenuKind ChooseContextMenu(const ContextMenuState& s) {
  const bool pictureKind =
      docsvc::IsPictureKind(s.fileKind) || s.fileKind == docsvc::kKindVideo || s.fileKind == docsvc::kKindMpeg;
  if ((pictureKind || s.displayKind == 4) && s.sourceForm == 0) return ContextMenuKind::kImage;
  if ((s.fileKind == docsvc::kKindRichText || s.fileKind == docsvc::kKindText) && s.tableEditMode) return ContextMenuKind::kRuledTable;
  return ContextMenuKind::kGeneral;
}

void PrintOrigin(int sx, int sy, int x, int y, bool image, int* ox, int* oy) {
  long long px = static_cast<long long>(sx) + x;
  long long py = static_cast<long long>(sy) + y;
  if (!image && py < 10) py = 0;
  auto clamp = [](long long v) {
    return static_cast<int>(v < -0x7FFFFFFFLL ? -0x7FFFFFFFLL : v > 0x7FFFFFFFLL ? 0x7FFFFFFFLL : v);
  };
  if (ox) *ox = clamp(px);
  if (oy) *oy = clamp(py);
}

CString PrintOriginText(int x, int y) {
  std::string base;
  if (!fw::LookupString(IDS_MENU_PRINT_ORIGIN, base)) base = "印刷開始点";
  CString t;
  t.Format("%s(x,y)\t%d,%d", base.c_str(), x, y < 10 ? 0 : y);
  return t;
}

std::vector<MenuRow> BuildContextMenu(ContextMenuKind kind, const ContextMenuState& s) {
  std::vector<MenuRow> out;
  switch (kind) {
    case ContextMenuKind::kImage:
      AppendImage(s, out);
      break;
    case ContextMenuKind::kRuledTable:
      AppendRows(kRuledRows, s, out);
      out.push_back(Separator());
      break;
    case ContextMenuKind::kGeneral:
      AppendGeneral(s, out);
      out.push_back(Separator());
      break;
  }
  MenuRow origin;
  origin.id = ID_PRINT_ORIGIN;
  origin.text = PrintOriginText(s.originX, s.originY);
  out.push_back(origin);
  if (kind == ContextMenuKind::kImage) out.push_back(FigureSubmenu());
  return out;
}

ImagePress PlanImagePress(bool grabbed, bool dragBusy, int rememberedX, int rememberedY, int x, int y) {
  if (!grabbed) return ImagePress::kGrab;
  if (dragBusy) return ImagePress::kBusy;
  if (x == rememberedX && y == rememberedY) return ImagePress::kForget;
  return ImagePress::kOpenMenu;
}

bool PutCursorBack(int pressX, int pressY, int cursorX, int cursorY) {
  const long long dx = static_cast<long long>(cursorX) - pressX;
  const long long dy = static_cast<long long>(cursorY) - pressY;
  return dx >= 10 && dx <= 120 && dy >= 10 && dy <= 150;
}

}  // namespace viewui
