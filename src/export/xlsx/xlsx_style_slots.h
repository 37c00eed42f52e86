// The run's cell style table: up to 1000 distinct 16-character cell style
// records, numbered by slot. Slot 0 holds the default record and is never
// matched; a cell's style index is the slot its record finds or takes.
//
// FindOrAdd gives the first slot from 1 on that holds an equal record, adds
// the record at the next free slot when none does, and gives slot 999 once
// the table is full. A hash over the 16 characters finds the slot without
// comparing every slot; the slots are the ones that walk would give.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace xlsx {

constexpr int kStyleSlots = 1000;  // cell style slots
constexpr int kStyleRecordLength = 16;

// One cell style record. Position 0 alignment ('@' = not set), 1 number or
// type code, 2/3 left/right border, 4 protection, 5 font colour, 6 fill
// colour, 7 font flags (NUL = none), 8 size digit, 9 object border mode,
// 10/11 top/bottom border, 12-15 border colour letters; '_' = not set.
using XlsxCellStyleRecord = std::array<char, kStyleRecordLength>;

// The default record: '@', then '_' everywhere except a NUL in position 7.
XlsxCellStyleRecord DefaultCellStyleRecord();

class XlsxStyleSlots {
 public:
  XlsxStyleSlots() { clear(); }

  // Back to the default slot alone.
  void clear();

  // The slot of `record`: see the file comment.
  int FindOrAdd(const XlsxCellStyleRecord& record);

  // Slots in use, the default one included (1 to 1000), and the record of
  // a slot below that.
  std::size_t size() const { return static_cast<std::size_t>(m_nCount); }
  int Count() const { return m_nCount; }
  const XlsxCellStyleRecord& operator[](std::size_t slot) const { return m_aSlots[slot]; }
  const XlsxCellStyleRecord& Record(int slot) const { return m_aSlots[slot]; }

 private:
  static constexpr int kHashSize = 2048;  // power of two, over twice the slots
  static std::uint32_t Hash(const XlsxCellStyleRecord& record);

  XlsxCellStyleRecord m_aSlots[kStyleSlots];
  int m_nCount = 1;
  std::uint16_t m_aHash[kHashSize];  // slot number, 0 = empty (slot 0 is never entered)
};

}  // namespace xlsx
