#include "filelist/flistcore/keyplan.h"

namespace flist {

namespace {

using C = KeyCondition;
using R = ListRoutine;

ListKey Cmd(unsigned key, unsigned id, C when = C::kAny) { return ListKey{key, when, id, R::kNone, 0}; }
ListKey Run(unsigned key, R routine, int arg = 0, C when = C::kAny) { return ListKey{key, when, 0, routine, arg}; }

std::vector<ListKey> MakeTable() {
  using namespace listcmd;
  std::vector<ListKey> t = {
      Run(vk::kEscape, R::kParentFolder),
      Run(vk::kLeft, R::kParentFolder),
      Run(vk::kBack, R::kParentFolder),
      Cmd(vk::kRight, kForward),
      Run(vk::kReturn, R::kOpenEntry),
      Run(vk::kShift, R::kShiftHeld),
      Run(vk::kControl, R::kCtrlHeld),
      Cmd(vk::kDelete, kDelete),
      Run(vk::kSpace, R::kLeftClick),
      Cmd(vk::kF1, kHelp),
      Run(vk::kF2, R::kQuickCapture),
      Run(vk::kF4, R::kTextLayoutPlain, 0),
      Cmd(vk::kF5, kCopyNames),
      Run(vk::kF11, R::kFullLayout),
      Cmd(vk::kF12, kTwoTextPanes),
      Cmd('A', kSelectAll),
      Cmd('B', kBinaryView),
      Cmd('C', kCopy),
      Cmd('D', kSortDate),
      Cmd('E', kSortExt),
      Run('F', R::kNone),
      Cmd('G', kEndAndRun),
      Cmd('I', kDisplayStyle),
      Cmd('J', kListSync),
      Run('K', R::kReloadAndSwitch),
      Cmd('L', kDriveList),
      Cmd('M', kNewFolder),
      Cmd('N', kSortName),
      Run('O', R::kFlipOrWrap),
      Cmd('P', kFontSwitch),
      Cmd('Q', kListDisplay),
      Cmd('R', kRename),
      Cmd('S', kSortSize),
      Cmd('T', kMove),
      Cmd('U', kReload),
      Cmd('V', kTotalSize),
      // Ctrl+W loads a list macro from the text: the list-macro player's.
      Run('W', R::kNone, 0, C::kCtrl),
      Cmd('W', kTwoTextPanes),
      Cmd('X', kExecute),
      Cmd('Y', kSideDisplay),
      Cmd('Z', kNewWindow),
      Cmd(vk::kOemComma, kZoomOut),
      Cmd(vk::kOemPeriod, kZoomIn),
      Cmd(vk::kOem2, kHelp, C::kShift),
      Run(vk::kOem2, R::kTextLayout, 5),
      Run(vk::kOem1, R::kTextLayout, 6),
      Run(vk::kOem6, R::kTextLayout, 7),
      Run(vk::kOem4, R::kTextLayout, 8),
      Run('0', R::kJumpRegister, 20),
      Run(vk::kOem3, R::kJumpRegister, 25),
      Run(vk::kOemPlus, R::kJumpRegister, 25),
      Run(vk::kOemMinus, R::kAssociation, 0, C::kShift),
      Cmd(vk::kOemMinus, kEditSchedule),
  };
  for (int d = 1; d <= 9; ++d) t.push_back(Run('0' + static_cast<unsigned>(d), R::kJumpRegister, 10 + d));
  return t;
}

}  // namespace

const std::vector<ListKey>& ListKeyTable() {
  static const std::vector<ListKey> t = MakeTable();
  return t;
}

const ListKey* FindListKey(unsigned vkey, bool shiftHeld, bool ctrlHeld) {
  for (const ListKey& k : ListKeyTable()) {
    if (k.vk != vkey) continue;
    switch (k.when) {
      case KeyCondition::kAny: return &k;
      case KeyCondition::kShift:
        if (shiftHeld) return &k;
        break;
      case KeyCondition::kNoShift:
        if (!shiftHeld) return &k;
        break;
      case KeyCondition::kCtrl:
        if (ctrlHeld) return &k;
        break;
    }
  }
  return nullptr;
}

bool CursorKeyOf(unsigned vkey, CursorKey* key) {
  switch (vkey) {
    case vk::kDown: *key = CursorKey::kDown; return true;
    case vk::kUp: *key = CursorKey::kUp; return true;
    case vk::kNext: *key = CursorKey::kPageDown; return true;
    case vk::kPrior: *key = CursorKey::kPageUp; return true;
    case vk::kHome: *key = CursorKey::kHome; return true;
    case vk::kEnd: *key = CursorKey::kEnd; return true;
    default: return false;
  }
}

int ListPageLines(int clientHeight, int lineHeight) {
  const int page = lineHeight > 0 ? clientHeight / lineHeight - 1 : 0;
  return page < 3 ? 5 : page;
}

bool MoveCursor(CursorKey key, int cur, int entryCount, int page, int* next) {
  int c = cur;
  switch (key) {
    case CursorKey::kDown:
      if (cur >= entryCount - 2) return false;
      c = cur + 1;
      break;
    case CursorKey::kUp:
      if (cur <= 0) return false;
      c = cur - 1;
      break;
    case CursorKey::kPageDown:
      if (cur > entryCount - 2) return false;
      c = cur + page;
      if (c > entryCount - 1) c = entryCount - 1;
      break;
    case CursorKey::kPageUp:
      if (cur <= 0) return false;
      c = cur - page;
      if (c < 0) c = 0;
      break;
    case CursorKey::kHome:
      c = 0;
      break;
    case CursorKey::kEnd:
      c = entryCount - 2;
      break;
  }
  if (c < 0) c = 0;
  *next = c;
  return true;
}

namespace {

bool Marked(const EntryTable& t, int i) { return i >= 0 && i < t.m_nCapacity && t.m_pMarks[i] != 0; }
void SetMark(EntryTable& t, int i, std::uint8_t v) {
  if (i >= 0 && i < t.m_nCapacity) t.m_pMarks[i] = v;
}
void SetRange(EntryTable& t, int from, int to, std::uint8_t v) {
  for (int i = from; i <= to; ++i) SetMark(t, i, v);
}

// The step of Down and Up with a modifier: `beyond` is the entry passed over.
void StepMark(EntryTable& t, ListState& s, int c, int beyond) {
  if (Marked(t, c)) {
    if (!Marked(t, beyond)) return;
    SetMark(t, beyond, 0);
    for (int slot = 2; slot <= 99; ++slot)
      if (s.m_aMarkOrder[slot] == static_cast<std::uint32_t>(beyond)) {
        s.m_aMarkOrder[slot] = 0;
        break;
      }
    return;
  }
  SetMark(t, c, 1);
  if (s.m_nMarkCount < 99) ++s.m_nMarkCount;
  s.m_aMarkOrder[s.m_nMarkCount] = static_cast<std::uint32_t>(c);
}

}  // namespace

void MarkAfterMove(EntryTable& t, ListState& s, CursorKey key, int o, bool shiftOrCtrl) {
  if (!t.m_pMarks) return;
  const int c = s.m_nCurEntry;
  if (!shiftOrCtrl) {
    ClearMarkBytes(t, s);
    SetMark(t, c, 1);
    s.m_nMarkCount = 1;
    s.m_aMarkOrder[1] = static_cast<std::uint32_t>(c < 0 ? 0 : c);
    return;
  }
  switch (key) {
    case CursorKey::kPageDown:
    case CursorKey::kEnd:
      if (o < c) SetRange(t, o, c - 1, Marked(t, c) ? 0 : 1);
      break;
    case CursorKey::kPageUp:
    case CursorKey::kHome:
      if (Marked(t, c)) {
        if (c <= o) SetRange(t, c, o, 0);
      } else if (c < o) {
        SetRange(t, c, o - 1, 1);
      }
      break;
    case CursorKey::kDown:
      StepMark(t, s, c, c - 1);
      break;
    case CursorKey::kUp:
      StepMark(t, s, c, c + 1);
      break;
  }
  const int closing = t.m_nEntryCount - 1;
  SetMark(t, 0, 0);
  SetMark(t, closing, 0);
  if (s.m_nCurEntry == 0 && closing > 1) s.m_nCurEntry = 1;
  if (s.m_nCurEntry == closing && closing > 1) s.m_nCurEntry = closing - 1;
}

int MediaKeyCode(unsigned vkey, bool secondState, bool ctrlDown) {
  if (secondState) {
    if (vkey == vk::kSpace || vkey == 'R') return 31;
    if (vkey == 'B') return 32;
    return -1;
  }
  switch (vkey) {
    case 'I': return 9;
    case vk::kSpace: return 4;
    case 'B':
    case vk::kShift: return 3;
    case vk::kOemComma: return 41;
    case vk::kOemPeriod: return 42;
    case vk::kLeft: return ctrlDown ? 7 : 1;
    case vk::kRight: return ctrlDown ? 8 : 2;
    default: return 0;
  }
}

FullLayout F11Layout(int layoutMode, int activeTextPane, int col0, int col1) {
  FullLayout r;
  int m = layoutMode;
  if (m >= 4 && m <= 8) m = 0;
  else if (m > 13) m = 10;
  if (m == 2) {
    m = 0;
    r.activateText = true;
    if (activeTextPane <= 1) r.row = 0, r.col = col1;
    else if (activeTextPane == 2) r.row = 1, r.col = col0;
    else if (activeTextPane == 3) r.row = 0, r.col = col0;
    else r.row = 1, r.col = col1;
  }
  r.layoutMode = m;
  return r;
}

}  // namespace flist
