// The list pane's keyboard as data and rules: the key table (key, the
// modifier it needs, the action: a command sent through the routing or a
// named routine of the list), the cursor moves with their marking rules,
// the media keys and F11's layout step. Portable; the pane's key member
// looks keys up here and acts.
//
// Letters, digits, Delete and Space act only in a list pane, so they live
// here and not among the frame's accelerators (which would take them from
// the text view too); keys that act everywhere (F8) stay in the command
// table.
#pragma once

#include <cstdint>
#include <vector>

#include "filelist/flistcore/entries.h"
#include "filelist/flistcore/liststate.h"

namespace flist {

// Virtual-key codes the list reads (the platform's values).
namespace vk {
constexpr unsigned kBack = 0x08, kReturn = 0x0D, kShift = 0x10, kControl = 0x11, kEscape = 0x1B, kSpace = 0x20;
constexpr unsigned kPrior = 0x21, kNext = 0x22, kEnd = 0x23, kHome = 0x24;
constexpr unsigned kLeft = 0x25, kUp = 0x26, kRight = 0x27, kDown = 0x28, kDelete = 0x2E;
constexpr unsigned kF1 = 0x70, kF2 = 0x71, kF4 = 0x73, kF5 = 0x74, kF11 = 0x7A, kF12 = 0x7B;
constexpr unsigned kOem1 = 0xBA, kOemPlus = 0xBB, kOemComma = 0xBC, kOemMinus = 0xBD, kOemPeriod = 0xBE;
constexpr unsigned kOem2 = 0xBF, kOem3 = 0xC0, kOem4 = 0xDB, kOem6 = 0xDD;
}  // namespace vk

// The modifier a row needs (Shift is the document's held word, Ctrl the
// pane's own).
enum class KeyCondition : std::uint8_t { kAny, kShift, kNoShift, kCtrl };

// The named routines of the list a key may run.
enum class ListRoutine : std::uint8_t {
  kNone,            // the key does nothing more
  kParentFolder,    // GoToParentFolder
  kOpenEntry,       // the double-click action on the cursor entry
  kShiftHeld,       // m_bShiftHeld = 1
  kCtrlHeld,        // m_bCtrlHeld = 1 and the pane's m_bCtrlDown = 1
  kLeftClick,       // the left-button action at 0,0 with no flags
  kQuickCapture,    // m_nPendingViewCmd = 2, then update all views
  kTextLayoutPlain, // the frame's text layout with request `arg` (no lock)
  kTextLayout,      // the same under the window-update lock, list pane active after
  kFullLayout,      // F11
  kReloadAndSwitch, // m_nListReloadRequest = 2, then the other list pane
  kFlipOrWrap,      // flip a picture (32988), else wrap (32782)
  kJumpRegister,    // jump register `arg`
  kAssociation,     // the file-association list with `arg`
};

struct ListKey {
  unsigned vk = 0;
  KeyCondition when = KeyCondition::kAny;
  unsigned command = 0;                    // sent through the routing when not 0
  ListRoutine routine = ListRoutine::kNone;
  int arg = 0;
};

// The whole table, in lookup order.
const std::vector<ListKey>& ListKeyTable();
// The first row for `vkey` whose condition holds; nullptr for a key the
// table does not know.
const ListKey* FindListKey(unsigned vkey, bool shiftHeld, bool ctrlHeld);

// Commands of the key table that other parts of the list carry out: the
// ids the table sends.
namespace listcmd {
constexpr unsigned kForward = 32883, kDelete = 32815, kHelp = 32850, kCopyNames = 57634, kTwoTextPanes = 32856;
constexpr unsigned kSelectAll = 32829, kBinaryView = 32818, kCopy = 32820, kSortDate = 32794, kSortExt = 32798;
constexpr unsigned kEndAndRun = 32780, kDisplayStyle = 32784, kListSync = 32910, kDriveList = 32806;
constexpr unsigned kNewFolder = 32814, kSortName = 32796, kFlipImage = 32988, kWrap = 32782, kFontSwitch = 32786;
constexpr unsigned kListDisplay = 32827, kRename = 32811, kSortSize = 32792, kMove = 32821, kReload = 32854;
constexpr unsigned kTotalSize = 32858, kExecute = 32808, kSideDisplay = 32860, kNewWindow = 32925;
constexpr unsigned kZoomOut = 32778, kZoomIn = 32777, kEditSchedule = 32928;
}  // namespace listcmd

// --- cursor keys --------------------------------------------------------------------
enum class CursorKey { kDown, kUp, kPageDown, kPageUp, kHome, kEnd };
bool CursorKeyOf(unsigned vkey, CursorKey* key);

// Lines of a page: client height / line height - 1, or 5 when that is below 3.
int ListPageLines(int clientHeight, int lineHeight);

// The new cursor for a cursor key; false when the key does nothing (Down
// from the entry before the closing one or beyond, Up and Page Up at 0,
// Page Down beyond the entry before the closing one).
bool MoveCursor(CursorKey key, int cur, int entryCount, int page, int* next);

// The marks after a cursor move from `old` to s.m_nCurEntry. Without Shift
// or Ctrl only the new cursor is marked; with them the range rules of the
// key apply and entry 0 and the closing entry end unmarked (a cursor on
// them moves inside).
void MarkAfterMove(EntryTable& t, ListState& s, CursorKey key, int old, bool shiftOrCtrl);

// --- media keys ---------------------------------------------------------------------
// The media code of a key while a media file or slide show of this pane
// plays: > 0 a code, 0 the key goes on, -1 the key is swallowed.
// `secondState`: the second media state word is above 0.
int MediaKeyCode(unsigned vkey, bool secondState, bool ctrlDown);

// --- F11 ----------------------------------------------------------------------------
struct FullLayout {
  int layoutMode = 0;
  bool activateText = false;  // activate text pane (row, col) first
  int row = 0, col = 0;
};
// F11: layout modes 4-8 become 0, above 13 become 10; a 2 then becomes 0
// and activates the text pane numbered `activeTextPane` (1 or less: row 0
// and col1, 2: row 1 and col0, 3: row 0 and col0, 4 and up: row 1 and
// col1, where col0/col1 are the document's two pane-column words).
FullLayout F11Layout(int layoutMode, int activeTextPane, int col0, int col1);

}  // namespace flist
