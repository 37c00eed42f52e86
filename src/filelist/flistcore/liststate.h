// The list state of a pane beside its entry table: cursor, top line, marks
// and their order, the sort and display modes, the scroll position. The
// field names are the pane's. Portable.
#pragma once

#include <cstdint>

#include "filelist/flistcore/deleteplan.h"
#include "filelist/flistcore/entries.h"

namespace flist {

struct ListState {
  std::int32_t m_nCurEntry = 0;
  std::int32_t m_nPrevEntry = 0;
  std::int32_t m_nTopEntry = 0;
  std::int32_t m_bScrollTight = 0;
  std::uint32_t m_nMarkCount = 0;
  std::uint32_t m_aMarkOrder[100] = {};  // slots 1-99 used (index 0 unused)
  std::uint32_t m_nSortMode = 0;
  std::uint32_t m_nDisplayMode = 0;
  std::int32_t m_nBuildWork = 0;
  std::int32_t m_nScrollPos = 0;
  std::int32_t m_nScrollMax = 500;
  // The delete command's ask-none and confirmed flags and the compress
  // command's staging flag, which it passes on to the tree deletion.
  DeleteFlags m_delete;
};

// Zeroes every mark up to the capacity and the mark count.
void ClearMarkBytes(EntryTable& t, ListState& s);
// Marks entries 1 to count-2, unmarks "..", and moves a cursor on ".." to 1.
void SelectAllEntries(EntryTable& t, ListState& s);

// Packs a pane's display mode into the document's "posi<" digits: side 1
// the units digit (hundreds cleared), side 2 the tens digit (thousands
// cleared).
int PackDirSort(int dirSort, int side, unsigned displayMode);
// The display mode a side takes from those digits at the first build.
unsigned DisplayModeFromDirSort(int dirSort, int side);

}  // namespace flist

namespace flist {

constexpr int kCompareSlots = 9000;

// The compare hand-over: the first n name records of `t` (n = the entry
// count held to 2..9000) into a new block of n*256 + 900 bytes, the sizes
// and times into the 9000-value tables (made when missing). A block
// published before is freed first. Returns n, or 0 (block null) when
// memory ran out. All blocks come from fw::Alloc.
int PublishNames(const EntryTable& t, char** names, std::uint32_t** sizes, std::uint32_t** times);

}  // namespace flist
