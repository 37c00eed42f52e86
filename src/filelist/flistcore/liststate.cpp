#include "filelist/flistcore/liststate.h"

#include <cstring>

namespace flist {

void ClearMarkBytes(EntryTable& t, ListState& s) {
  if (t.m_pMarks && t.m_nCapacity > 0) std::memset(t.m_pMarks, 0, static_cast<std::size_t>(t.m_nCapacity));
  s.m_nMarkCount = 0;
}

void SelectAllEntries(EntryTable& t, ListState& s) {
  if (!t.m_pMarks) return;
  for (int i = 1; i <= t.m_nEntryCount - 2 && i < t.m_nCapacity; ++i) t.m_pMarks[i] = 1;
  t.m_pMarks[0] = 0;
  if (s.m_nCurEntry == 0 && t.m_nEntryCount > 2) s.m_nCurEntry = 1;
}

int PackDirSort(int dirSort, int side, unsigned displayMode) {
  const int d = static_cast<int>(displayMode % 10);
  const int units = dirSort % 10, tens = (dirSort / 10) % 10, hundreds = (dirSort / 100) % 10,
            thousands = (dirSort / 1000) % 10;
  if (side == 1) return thousands * 1000 + tens * 10 + d;
  return hundreds * 100 + d * 10 + units;
}

unsigned DisplayModeFromDirSort(int dirSort, int side) {
  if (dirSort < 0) dirSort = 0;
  if (side == 1) return static_cast<unsigned>(100 * ((dirSort / 100) % 10) + dirSort % 10);
  return static_cast<unsigned>(100 * ((dirSort / 1000) % 10) + (dirSort / 10) % 10);
}

}  // namespace flist

#include "fw/alloc.h"

namespace flist {

int PublishNames(const EntryTable& t, char** names, std::uint32_t** sizes, std::uint32_t** times) {
  int n = t.m_nEntryCount;
  if (n < 2) n = 2;
  if (n > kCompareSlots) n = kCompareSlots;
  if (n > t.m_nCapacity) n = t.m_nCapacity;  // never read past the table
  fw::Free(*names);
  *names = static_cast<char*>(fw::Alloc(static_cast<std::size_t>(n) * kRecordBytes + 900));
  if (!*sizes) *sizes = static_cast<std::uint32_t*>(fw::Alloc(sizeof(std::uint32_t) * kCompareSlots));
  if (!*times) *times = static_cast<std::uint32_t*>(fw::Alloc(sizeof(std::uint32_t) * kCompareSlots));
  if (!*names || !*sizes || !*times || !t.m_pNameRecs) {
    fw::Free(*names);
    *names = nullptr;
    return 0;
  }
  std::memcpy(*names, t.m_pNameRecs, static_cast<std::size_t>(n) * kRecordBytes);
  for (int i = 0; i < n; ++i) {
    (*sizes)[i] = t.m_pEntryVal1[i];
    (*times)[i] = t.m_pEntryVal3[i];
  }
  return n;
}

}  // namespace flist
