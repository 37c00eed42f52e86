#include "filelist/flistcore/entries.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fw/alloc.h"
#include "fw/datetime.h"

namespace flist {

namespace {

template <typename T>
T* AllocBytes(std::size_t n) {
  return static_cast<T*>(fw::Alloc(n));
}

template <typename T>
bool ReallocBytes(T*& p, std::size_t n) {
  void* q = fw::Realloc(p, n);
  if (!q) return false;
  p = static_cast<T*>(q);
  return true;
}

std::string Printf(const char* fmt, long long a, long long b) {
  char buf[64];
  std::snprintf(buf, sizeof buf, fmt, a, b);
  return buf;
}

std::string Printf1(const char* fmt, long long a) {
  char buf[64];
  std::snprintf(buf, sizeof buf, fmt, a);
  return buf;
}

}  // namespace

EntryTable::~EntryTable() { FreeEntryBuffers(); }

bool EntryTable::AllocateEntryBuffers(int capacity) {
  FreeEntryBuffers();
  if (capacity < 1) capacity = 1;
  const std::size_t n = static_cast<std::size_t>(capacity);
  m_pNameRecs = AllocBytes<char>(n * kRecordBytes + kRecordSlack);
  m_pTextRecs2 = AllocBytes<char>(n * kRecordBytes + kRecordSlack);
  m_pTextRecs3 = AllocBytes<char>(n * kRecordBytes + kRecordSlack);
  m_pEntryVal1 = AllocBytes<std::uint32_t>(n * 4 + kValueSlack);
  m_pEntryVal2 = AllocBytes<std::uint32_t>(n * 4 + kValueSlack);
  m_pEntryVal3 = AllocBytes<std::uint32_t>(n * 4 + kValueSlack);
  m_pSizeHigh = AllocBytes<std::uint32_t>(n * 4 + kValueSlack);
  m_pMarks = AllocBytes<std::uint8_t>(n + kMarkSlack);
  if (!m_pNameRecs || !m_pTextRecs2 || !m_pTextRecs3 || !m_pEntryVal1 || !m_pEntryVal2 || !m_pEntryVal3 ||
      !m_pSizeHigh || !m_pMarks) {
    FreeEntryBuffers();
    return false;
  }
  std::memset(m_pNameRecs, 0, n * kRecordBytes + kRecordSlack);
  std::memset(m_pTextRecs2, 0, n * kRecordBytes + kRecordSlack);
  std::memset(m_pTextRecs3, 0, n * kRecordBytes + kRecordSlack);
  std::memset(m_pEntryVal1, 0xFF, n * 4 + kValueSlack);
  std::memset(m_pEntryVal2, 0, n * 4 + kValueSlack);
  std::memset(m_pEntryVal3, 0xFF, n * 4 + kValueSlack);
  std::memset(m_pSizeHigh, 0, n * 4 + kValueSlack);
  std::memset(m_pMarks, 0, n + kMarkSlack);
  m_nCapacity = capacity;
  std::memcpy(m_pNameRecs, "..", 3);
  return true;
}

bool EntryTable::Resize(int capacity) {
  if (capacity < 1) capacity = 1;
  if (!m_pNameRecs) return AllocateEntryBuffers(capacity);
  const std::size_t n = static_cast<std::size_t>(capacity);
  const std::size_t old = static_cast<std::size_t>(m_nCapacity);
  const std::size_t rec = n * kRecordBytes + kRecordSlack, oldRec = old * kRecordBytes + kRecordSlack;
  const std::size_t val = n * 4 + kValueSlack, oldVal = old * 4 + kValueSlack;
  const std::size_t mk = n + kMarkSlack, oldMk = old + kMarkSlack;
  bool ok = ReallocBytes(m_pNameRecs, rec) && ReallocBytes(m_pTextRecs2, rec) && ReallocBytes(m_pTextRecs3, rec) &&
            ReallocBytes(m_pEntryVal1, val) && ReallocBytes(m_pEntryVal2, val) && ReallocBytes(m_pEntryVal3, val) &&
            ReallocBytes(m_pSizeHigh, val) && ReallocBytes(m_pMarks, mk);
  if (!ok) {
    FreeEntryBuffers();
    return false;
  }
  if (rec > oldRec) {
    std::memset(m_pNameRecs + oldRec, 0, rec - oldRec);
    std::memset(m_pTextRecs2 + oldRec, 0, rec - oldRec);
    std::memset(m_pTextRecs3 + oldRec, 0, rec - oldRec);
  }
  if (val > oldVal) {
    const std::size_t from = oldVal / 4, count = (val - oldVal) / 4;
    std::memset(m_pEntryVal1 + from, 0xFF, count * 4);
    std::memset(m_pEntryVal2 + from, 0, count * 4);
    std::memset(m_pEntryVal3 + from, 0xFF, count * 4);
    std::memset(m_pSizeHigh + from, 0, count * 4);
  }
  if (mk > oldMk) std::memset(m_pMarks + oldMk, 0, mk - oldMk);
  m_nCapacity = capacity;
  if (m_nEntryCount > capacity) m_nEntryCount = capacity;
  std::memcpy(m_pNameRecs, "..", 3);
  m_pTextRecs2[0] = 0;
  m_pTextRecs3[0] = 0;
  return true;
}

void EntryTable::FreeEntryBuffers() {
  fw::Free(m_pNameRecs);
  fw::Free(m_pTextRecs2);
  fw::Free(m_pTextRecs3);
  fw::Free(m_pEntryVal1);
  fw::Free(m_pEntryVal2);
  fw::Free(m_pEntryVal3);
  fw::Free(m_pSizeHigh);
  fw::Free(m_pMarks);
  m_pNameRecs = m_pTextRecs2 = m_pTextRecs3 = nullptr;
  m_pEntryVal1 = m_pEntryVal2 = m_pEntryVal3 = m_pSizeHigh = nullptr;
  m_pMarks = nullptr;
  m_nCapacity = 0;
  m_nEntryCount = 0;
}

std::int64_t EntryTable::WholeSize(int i) const {
  const std::uint32_t low = m_pEntryVal1[i], high = m_pSizeHigh[i];
  if (!(high & kSizeHighFile)) return static_cast<std::int32_t>(low);
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(high & ~kSizeHighFile) << 32) | low);
}

void EntryTable::SetSize(int i, std::int64_t size, bool isFile) {
  const std::uint64_t u = static_cast<std::uint64_t>(size);
  m_pEntryVal1[i] = static_cast<std::uint32_t>(u);
  m_pSizeHigh[i] = isFile ? (kSizeHighFile | static_cast<std::uint32_t>((u >> 32) & 0x7FFFFFFFu)) : 0;
}

std::size_t StoreNameRecord(char* table, int i, const char* text, std::size_t len) {
  if (i < 0 || !table) return 0;
  if (len > static_cast<std::size_t>(kRecordText)) len = kRecordText;
  char* rec = table + static_cast<std::size_t>(i) * kRecordBytes;
  if (len) std::memcpy(rec, text, len);
  rec[len] = 0;
  return static_cast<std::size_t>(i) * kRecordBytes + len;
}

std::size_t StoreNameRecord(char* table, int i, const std::string& text) {
  // A text holding a NUL ends there, as a C string would.
  return StoreNameRecord(table, i, text.c_str(), std::strlen(text.c_str()));
}

std::string GetNameRecord(const char* table, int i) {
  if (i < 0 || !table) return std::string();
  const char* rec = table + static_cast<std::size_t>(i) * kRecordBytes;
  return std::string(rec, strnlen(rec, kRecordBytes));
}

std::size_t CopyNameRecord(char* dst, const char* src, int dstIndex, int srcIndex) {
  if (dstIndex < 0 || srcIndex < 0 || !dst || !src) return 0;
  std::memmove(dst + static_cast<std::size_t>(dstIndex) * kRecordBytes,
               src + static_cast<std::size_t>(srcIndex) * kRecordBytes, kRecordBytes);
  return (static_cast<std::size_t>(dstIndex) + 1) * kRecordBytes;
}

std::string FormatSizeText(std::int32_t size, int mode, std::uint32_t high) {
  const bool file = (high & kSizeHighFile) != 0;
  if (!file && size == kSizeNone) return std::string();
  if (!file && size == kSizeFolder) return "      +";
  if (mode == 1) return Printf1("%lld MB ", size);
  if (mode == 2) {
    const long long n = -10LL - size;
    const long long q = n / 10000, r = n % 10000;
    return q > 0 ? Printf("%3lldM%03lld", q, r) : Printf1("  0M%03lld", r);
  }
  const std::uint64_t whole =
      file ? ((static_cast<std::uint64_t>(high & ~kSizeHighFile) << 32) | static_cast<std::uint32_t>(size))
           : static_cast<std::uint32_t>(size);
  if (whole >= 0x80000000ULL) {
    // 2 GB and more (a value from -3 down in the 32-bit table).
    const unsigned long long m = whole >> 20;
    const unsigned long long k = ((whole & 0xFFFFFULL) + 500) / 1024;
    return m > 0 ? Printf("%3lldM%03lld", static_cast<long long>(m), static_cast<long long>(k))
                 : Printf1("  0M%03lld", static_cast<long long>(k));
  }
  const long long s = static_cast<long long>(whole);
  if (s < 1048576) {
    const long long t = s / 1000, r = s % 1000;
    return t > 0 ? Printf("%3lld,%03lld", t, r) : Printf1("%7lld", r);
  }
  const long long kb = s / 1024, m = kb / 1024, k = kb % 1024;
  if (k < 1000) return m > 0 ? Printf("%3lldM%03lld", m, k) : Printf1("  0M%03lld", k);
  return m > 0 ? Printf("%2lldM%4lld", m, k) : Printf1(" 0M%4lld", k);
}

std::string FormatDateText(std::int64_t date, int mode) {
  if (date == -1) return std::string();
  if (date == -2) return " ";
  if (mode == 1) return Printf1("%6lld", date) + " MB";
  if (date == 0) return " 01/01'70 00:00";
  const std::tm fields = fw::LocalFields(date);
  return std::string(static_cast<const char*>(fw::FormatTime(" %m/%d'%y %H:%M", fields)));
}

int CompareSortKeysAscending(const void* a, const void* b) {
  const int c = std::memcmp(a, b, 250);
  return c > 0 ? 1 : c < 0 ? -1 : 0;
}

}  // namespace flist
