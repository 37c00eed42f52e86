// The file list's per-entry tables and the small operations on them: the
// 256-byte name records, the size and date texts of a list line and the plain
// byte comparison of sort records. Portable; the pane holds one EntryTable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace flist {

constexpr int kRecordBytes = 256;       // one name or text record
constexpr int kRecordText = 255;        // longest text a record holds
constexpr int kRecordSlack = 10000;     // bytes beyond the capacity of a record table
constexpr int kValueSlack = 40000;      // bytes beyond the capacity of a value table
constexpr int kMarkSlack = 10000;       // bytes beyond the capacity of the marks
constexpr int kStartCapacity = 9000;

// Size values: -1 nothing to show, -2 a folder (or a sum), shown as "+".
constexpr std::int32_t kSizeNone = -1;
constexpr std::int32_t kSizeFolder = -2;
// High word of a file's size: this bit says "a file" (so a file of
// 0xFFFFFFFF bytes is told from the marker -1), the rest the bits 32-62.
constexpr std::uint32_t kSizeHighFile = 0x80000000u;

// The seven per-entry tables plus the high words of the sizes. Entry i is
// index i of each; entry 0 is "..". Records are reached only through the
// record operations below.
class EntryTable {
 public:
  EntryTable() = default;
  ~EntryTable();
  EntryTable(const EntryTable&) = delete;
  EntryTable& operator=(const EntryTable&) = delete;

  // Allocates the tables for `capacity` entries (old contents dropped) and
  // writes ".." into record 0; false (tables freed) when memory runs out.
  bool AllocateEntryBuffers(int capacity);
  // Grows or shrinks to `capacity` keeping the contents up to the smaller
  // size, then rewrites record 0 (".." and two empty texts).
  bool Resize(int capacity);
  void FreeEntryBuffers();

  // The whole size of entry i (files only: the marker values give -1/-2).
  std::int64_t WholeSize(int i) const;
  void SetSize(int i, std::int64_t size, bool isFile);

  char* m_pNameRecs = nullptr;    // capacity*256 + 10000 bytes
  char* m_pTextRecs2 = nullptr;
  char* m_pTextRecs3 = nullptr;
  std::uint32_t* m_pEntryVal1 = nullptr;  // size (low 32 bits / markers)
  std::uint32_t* m_pEntryVal2 = nullptr;  // attribute bits
  std::uint32_t* m_pEntryVal3 = nullptr;  // time
  std::uint8_t* m_pMarks = nullptr;       // capacity + 10000 bytes
  std::uint32_t* m_pSizeHigh = nullptr;   // beside m_pEntryVal1, same size
  std::int32_t m_nCapacity = 0;
  std::int32_t m_nEntryCount = 0;
};

// Values per entry a table may be indexed with: capacity plus the slack.
inline std::size_t ValueSlots(int capacity) { return static_cast<std::size_t>(capacity) + kValueSlack / 4; }
inline std::size_t RecordSlots(int capacity) {
  return static_cast<std::size_t>(capacity) + kRecordSlack / kRecordBytes;
}

// Stores `text` (cut to 255 bytes) as record i; returns the offset of its
// NUL (i*256 + length), or 0 for a negative index (nothing stored).
std::size_t StoreNameRecord(char* table, int i, const std::string& text);
std::size_t StoreNameRecord(char* table, int i, const char* text, std::size_t len);
// The text of record i ("" for a negative index or a null table).
std::string GetNameRecord(const char* table, int i);
// Copies the whole 256-byte record; returns the offset just past it in the
// destination, or 0 when an index is negative.
std::size_t CopyNameRecord(char* dst, const char* src, int dstIndex, int srcIndex);

// The size column. `size` is the table's 32-bit value, `high` its high word
// (kSizeHighFile | bits 32-62 for files; 0 otherwise).
std::string FormatSizeText(std::int32_t size, int mode, std::uint32_t high = 0);
// The date column: -1 "", -2 " ", mode 1 megabytes, 0 the 1970 text, else
// the local time as " %m/%d'%y %H:%M".
std::string FormatDateText(std::int64_t date, int mode);

// Time comparisons: equal, and the first not earlier than the second.
inline int TimesEqual(std::int64_t a, std::int64_t b) { return a == b ? 1 : 0; }
inline int TimeNotBefore(std::int64_t a, std::int64_t b) { return a >= b ? 1 : 0; }

// Bytes 0-249 of two sort records compared unsigned: -1, 0 or 1.
int CompareSortKeysAscending(const void* a, const void* b);

}  // namespace flist
