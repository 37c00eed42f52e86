#include "export/xlsx/xlsx_style_slots.h"

#include <cstring>

namespace xlsx {

XlsxCellStyleRecord DefaultCellStyleRecord() {
  XlsxCellStyleRecord r;
  std::memset(r.c, '_', sizeof r.c);
  r.c[0] = '@';
  r.c[7] = 0;
  return r;
}

void XlsxStyleSlots::Reset() {
  m_aSlots[0] = DefaultCellStyleRecord();
  m_nCount = 1;
  std::memset(m_aHash, 0, sizeof m_aHash);
}

std::uint32_t XlsxStyleSlots::Hash(const unsigned char* record) {
  std::uint32_t h = 2166136261u;  // FNV-1a
  for (int i = 0; i < kStyleRecordSize; ++i) h = (h ^ record[i]) * 16777619u;
  return h ^ (h >> 15);
}

int XlsxStyleSlots::FindOrAdd(const unsigned char* record) {
  // Every slot from 1 on holds a record no earlier slot holds (a record is
  // added only when no slot matched), so the one hash entry that matches is
  // the first equal slot.
  std::uint32_t i = Hash(record) & (kHashSize - 1);
  while (m_aHash[i] != 0) {
    const int slot = m_aHash[i];
    if (std::memcmp(m_aSlots[slot].c, record, kStyleRecordSize) == 0) return slot;
    i = (i + 1) & (kHashSize - 1);
  }
  if (m_nCount >= kStyleSlotCount) return kStyleSlotCount - 1;
  const int slot = m_nCount++;
  std::memcpy(m_aSlots[slot].c, record, kStyleRecordSize);
  m_aHash[i] = static_cast<std::uint16_t>(slot);
  return slot;
}

}  // namespace xlsx
