#include "csv/csv_checklist.h"

#include <cstring>

#include "fw/alloc.h"

namespace csv {

bool CheckList::Reset(std::uint32_t capacity) {
  const std::uint64_t bytes = static_cast<std::uint64_t>(capacity) * sizeof(std::uint32_t) + 40;
  if (bytes > 0x7FFFFFFFull) return false;
  auto* list = static_cast<std::uint32_t*>(fw::Alloc(static_cast<std::size_t>(bytes)));
  if (!list) return false;
  std::memset(list, 0, static_cast<std::size_t>(bytes));
  fw::Free(m_pEntryList);
  m_pEntryList = list;
  m_nEntryListCount = capacity;
  return true;
}

void CheckList::Release() {
  fw::Free(m_pEntryList);
  m_pEntryList = nullptr;
  m_nEntryListCount = 0;
  m_nEntryListPos = 0;
}

bool CheckList::CheckRow(std::uint32_t row) {
  m_nEntryListMode = 1;
  for (std::uint32_t i = 0; i < m_nEntryListCount; ++i) {
    if (Entry(i) != 0) continue;
    Set(i, row);
    if (i + 1 > m_nEntryListPos) m_nEntryListPos = i + 1;
    return true;
  }
  return false;
}

bool CheckList::UncheckRow(std::uint32_t row) {
  const std::uint32_t used = UsedEnd();
  bool checkedBefore = false;
  for (std::uint32_t i = 0; i < used; ++i) {
    const std::uint32_t v = Entry(i);
    if (v != row) {
      if (static_cast<std::int32_t>(v) > 0) checkedBefore = true;
      continue;
    }
    for (std::uint32_t j = i; j + 1 < used; ++j) Set(j, Entry(j + 1));
    Set(used - 1, 0);
    m_nEntryListPos = used - 1;
    if (!checkedBefore && Entry(0) == 0) m_nEntryListMode = 0;
    return true;
  }
  return false;
}

}  // namespace csv
