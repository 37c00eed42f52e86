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

}  // namespace csv
