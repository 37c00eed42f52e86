#include "csv/csv_table.h"

#include <cstring>
#include <thread>

#include "csv/csv_index.h"
#include "csv/csv_loadscan.h"
#include "fw/alloc.h"

namespace csv {

Table::~Table() { fw::Free(m_pTextBuf); }

std::uint32_t Table::UsedLength() const {
  if (!m_pTextBuf || m_nWorkSize == 0) return 0;
  return m_nTextLen < m_nWorkSize ? m_nTextLen : m_nWorkSize - 1;
}

bool Table::Reserve(std::uint64_t bytes) {
  if (m_pTextBuf && bytes <= m_nWorkSize) return true;
  if (bytes > 0xFFFFFFFFull) return false;
  if (bytes == 0) bytes = 1;
  void* p = fw::Realloc(m_pTextBuf, static_cast<std::size_t>(bytes));
  if (!p) return false;
  if (!m_pTextBuf) static_cast<std::uint8_t*>(p)[0] = 0;
  m_pTextBuf = static_cast<std::uint8_t*>(p);
  m_nWorkSize = static_cast<std::uint32_t>(bytes);
  return true;
}

bool Table::Assign(const void* bytes, std::size_t n, std::uint32_t margin) {
  const auto* src = static_cast<const std::uint8_t*>(bytes);
  if (m_pTextBuf && n && src >= m_pTextBuf && src < m_pTextBuf + m_nWorkSize &&
      static_cast<std::uint64_t>(n) + 1 + margin > m_nWorkSize) {
    // Part of this table's own content into a larger buffer: the block may
    // move, so the bytes go aside first.
    const std::string aside(reinterpret_cast<const char*>(src), n);
    return Assign(aside.data(), aside.size(), margin);
  }
  if (!Reserve(static_cast<std::uint64_t>(n) + 1 + margin)) return false;
  if (n) std::memmove(m_pTextBuf, bytes, n);
  m_pTextBuf[n] = 0;
  m_nTextLen = static_cast<std::uint32_t>(n);
  Rescan();
  return true;
}

bool Table::LoadFileText(const void* text, std::size_t n, std::uint32_t margin, CellBreakLoad* breaks) {
  if (!Reserve(static_cast<std::uint64_t>(n) + 1 + margin)) return false;
  const CellBreakLoad load = CommasToFieldSeparators(static_cast<const std::uint8_t*>(text), n, m_pTextBuf);
  m_bCellCodesAreData = load.codesAreData;
  if (breaks) *breaks = load;
  m_pTextBuf[n] = 0;
  m_nTextLen = static_cast<std::uint32_t>(n);
  Rescan();
  return true;
}

bool Table::LoadSjisFileBytes(const void* bytes, std::size_t n, std::uint32_t margin, int threads, bool index,
                              const docopen::LoadProgress* progress, bool* stopped) {
  if (stopped) *stopped = false;
  const std::uint64_t size = static_cast<std::uint64_t>(n) + 1 + margin;
  if (size > 0xFFFFFFFFull) return false;
  auto* buf = static_cast<std::uint8_t*>(fw::Alloc(static_cast<std::size_t>(size)));
  if (!buf) return false;
  // A file the pass cuts into pieces is indexed on another thread, one piece
  // behind the pass, into a copy of the fields (the table stays unchanged
  // when the pass gives up).
  PassWatch watch;
  TableFields indexed = *this;
  std::int32_t indexResult = kIndexAbandoned;
  std::uint32_t indexColumns = 0;
  std::thread follower;
  if (index && threads != 1 && n >= kThreadedBytes) {
    try {
      follower = std::thread([&] {
        const IndexFollow follow{[](void* w, std::uint64_t need, std::uint32_t* ready) {
                                   return static_cast<PassWatch*>(w)->Wait(need, ready);
                                 },
                                 &watch};
        indexResult = BuildCsvIndexFollowing(indexed, buf, static_cast<std::uint32_t>(n), &indexColumns, follow);
      });
    } catch (...) {
    }
  }
  const bool made = SjisToWorkingForm(static_cast<const std::uint8_t*>(bytes), n, buf, threads, 0, progress, stopped,
                                      follower.joinable() ? &watch : nullptr);
  if (follower.joinable()) follower.join();
  if (!made) {
    fw::Free(buf);
    return false;
  }
  buf[n] = 0;
  fw::Free(m_pTextBuf);
  if (indexResult != kIndexAbandoned) {
    static_cast<TableFields&>(*this) = indexed;
    m_nFieldCount = indexColumns;
    index = false;
  }
  m_pTextBuf = buf;
  m_nWorkSize = static_cast<std::uint32_t>(size);
  m_nTextLen = static_cast<std::uint32_t>(n);
  m_bCellCodesAreData = false;  // the pass takes no text with code bytes
  if (index) Rescan();
  return true;
}

std::string Table::FileText(CommaFormKind kind, CommaFormStats* stats) const {
  return ToCommaForm(m_pTextBuf, UsedLength(), kind, stats, m_bCellCodesAreData);
}

std::int32_t Table::Rescan() {
  std::uint32_t len = 0, cols = 0;
  const std::int32_t last = BuildCsvIndex(*this, m_pTextBuf, UsedLength(), &len, &cols, kCsvScanOnly, -1);
  m_nFieldCount = cols;
  return last;
}

bool Table::CopyFrom(const Table& other) {
  if (&other == this) return true;
  const std::uint32_t n = other.UsedLength();
  if (!Reserve(other.m_nWorkSize > n ? other.m_nWorkSize : static_cast<std::uint64_t>(n) + 1)) return false;
  if (n) std::memcpy(m_pTextBuf, other.m_pTextBuf, n);
  m_pTextBuf[n] = 0;
  m_nTextLen = n;
  std::uint8_t* buf = m_pTextBuf;
  const std::uint32_t size = m_nWorkSize;
  static_cast<TableFields&>(*this) = other;
  m_pTextBuf = buf;
  m_nWorkSize = size;
  m_nTextLen = n;
  return true;
}

void Table::TakeContentOf(Table& other) {
  if (&other == this) return;
  fw::Free(m_pTextBuf);
  static_cast<TableFields&>(*this) = other;
  static_cast<TableFields&>(other) = TableFields();
}

void Table::Clear() {
  fw::Free(m_pTextBuf);
  static_cast<TableFields&>(*this) = TableFields();
}

}  // namespace csv
