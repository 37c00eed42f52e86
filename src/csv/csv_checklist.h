// The check list of a text view: row numbers of checked rows, from entry 1.
// One reader (Entry, UsedEnd) for every caller, so that no caller reads past
// the capacity even when the next-free position has run beyond it.
#pragma once

#include <cstdint>

namespace csv {

struct CheckList {
  std::uint32_t* m_pEntryList = nullptr; // entries (fw::Alloc); entry 0 unused by the row checks
  std::uint32_t m_nEntryListCount = 0;   // capacity
  std::uint32_t m_nEntryListPos = 0;     // next free entry (may pass the capacity)
  std::uint32_t m_nEntryListMode = 0;    // 0, 1 filled by a check command, 99 while a command runs

  // Entry i, 0 past the capacity or without a list.
  std::uint32_t Entry(std::uint32_t i) const {
    return m_pEntryList && i < m_nEntryListCount ? m_pEntryList[i] : 0;
  }
  // One past the last entry in use that lies inside the capacity.
  std::uint32_t UsedEnd() const {
    if (!m_pEntryList) return 0;
    return m_nEntryListPos < m_nEntryListCount ? m_nEntryListPos : m_nEntryListCount;
  }
  // Writes entry i when it lies inside the capacity.
  void Set(std::uint32_t i, std::uint32_t row) {
    if (m_pEntryList && i < m_nEntryListCount) m_pEntryList[i] = row;
  }
  // A new zeroed list of `capacity` entries (and 40 spare bytes). False when
  // memory is short; the old list is then kept as it was.
  bool Reset(std::uint32_t capacity);
  // Frees the list.
  void Release();

  // The double-click's check of one row (row numbers as the table's
  // 1-based rows; -1 is stored as its 32-bit pattern). Entries 0 .. pos - 1
  // are the slots in use, so m_nEntryListPos is the highest slot number.
  // CheckRow stores the row in the first free entry and sets mode 1; false
  // when every entry is taken (nothing stored). UncheckRow removes the first
  // entry that holds the row, the later ones moving down, and returns the
  // list to mode 0 when no checked row is left before it and the first
  // entry is free; false when the row is not in the list.
  bool CheckRow(std::uint32_t row);
  bool UncheckRow(std::uint32_t row);
};

}  // namespace csv
