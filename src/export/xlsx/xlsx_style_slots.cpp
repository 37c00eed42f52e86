#include "export/xlsx/xlsx_style_slots.h"

#include <cstring>

namespace xlsx {

XlsxCellStyleRecord DefaultCellStyleRecord() {
  XlsxCellStyleRecord r;
  r.fill('_');
  r[0] = '@';
  r[7] = 0;
  return r;
}

void XlsxStyleSlots::clear() {
  m_aSlots[0] = DefaultCellStyleRecord();
  m_nCount = 1;
  std::memset(m_aHash, 0, sizeof m_aHash);
}

std::uint32_t XlsxStyleSlots::Hash(const XlsxCellStyleRecord& record) {
  std::uint32_t h = 2166136261u;  // FNV-1a
  for (char ch : record) h = (h ^ static_cast<unsigned char>(ch)) * 16777619u;
  return h ^ (h >> 15);
}

int XlsxStyleSlots::FindOrAdd(const XlsxCellStyleRecord& record) {
  // Every slot from 1 on holds a record no earlier slot holds (a record is
  // added only when no slot matched), so the one hash entry that matches is
  // the first equal slot.
  std::uint32_t i = Hash(record) & (kHashSize - 1);
  while (m_aHash[i] != 0) {
    const int slot = m_aHash[i];
    if (m_aSlots[slot] == record) return slot;
    i = (i + 1) & (kHashSize - 1);
  }
  if (m_nCount >= kStyleSlots) return kStyleSlots - 1;
  const int slot = m_nCount++;
  m_aSlots[slot] = record;
  m_aHash[i] = static_cast<std::uint16_t>(slot);
  return slot;
}

}  // namespace xlsx
