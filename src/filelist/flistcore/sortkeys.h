// Ordering of a listing: the 256-byte sort-key records, the four
// comparators, the keys of each file order, the folder order and the placing
// of ".." , the folders and the files. Portable.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace flist {

// One entry as a reader delivers it (work positions 0 and 1 are "." and "..").
struct WorkEntry {
  std::string name;        // at most 255 bytes
  std::string folder;      // folder relative to the list folder (multi-folder lists)
  std::string ext;         // text after the last "." of a file's name
  std::int32_t size = -1;  // -1 folder, -2 neither file nor folder, else the low 32 bits
  std::uint32_t sizeHigh = 0;  // kSizeHighFile | bits 32-62 for files
  std::uint32_t time = 0;
  std::uint32_t attributes = 0;

  bool IsFolderLike() const { return sizeHigh == 0 && (size == -1 || size == -2); }
  std::uint64_t WholeSize() const;
};

constexpr int kSortKeyBytes = 256;
constexpr int kSortKeyCompared = 250;
constexpr int kSortKeyText = 251;     // key text bytes including its NUL at most
// The entry's work position rides in bytes 251-253, high byte first.
constexpr std::uint32_t kMaxWorkPosition = 0xFFFFFF;

struct SortKeyRecord {
  unsigned char bytes[kSortKeyBytes];
  std::uint32_t Position() const {
    return (static_cast<std::uint32_t>(bytes[251]) << 16) | (static_cast<std::uint32_t>(bytes[252]) << 8) | bytes[253];
  }
  void SetPosition(std::uint32_t p) {
    bytes[251] = static_cast<unsigned char>(p >> 16);
    bytes[252] = static_cast<unsigned char>(p >> 8);
    bytes[253] = static_cast<unsigned char>(p);
  }
};

// The comparators: bytewise, and Shift-JIS text with ASCII letters lowered
// outside double-byte characters (lead bytes 0x80-0x9F, 0xE0-0xEF, 0xFA-0xFC).
int CompareSortKeyAsc(const void* a, const void* b);
int CompareSortKeyDesc(const void* a, const void* b);
int CompareSortTextAsc(const void* a, const void* b);
int CompareSortTextDesc(const void* a, const void* b);
// Lead bytes of the text comparators.
bool IsSortLeadByte(unsigned char b);

// Key builders (the record's position bytes are not touched).
void KeyFromText(SortKeyRecord* key, const std::string& text);
// A number of up to 64 bits: 8 bytes high first, then NUL. Below 2^32 the
// first four bytes are 0, so it orders as a 4-byte key.
void KeyFromNumber(SortKeyRecord* key, std::uint64_t value);
// Extension key of modes 7/8: lowered extension padded to 5, then the
// secondary text chosen by `buildWork` (the last order below 7).
void KeyFromExtension(SortKeyRecord* key, const WorkEntry& e, int buildWork);

// Which file orders take a key, and with which comparator (null: none).
using KeyComparator = int (*)(const void*, const void*);
KeyComparator FileOrderComparator(unsigned sortMode);
void BuildFileKey(SortKeyRecord* key, const WorkEntry& e, unsigned sortMode, int buildWork);

struct PlaceSettings {
  unsigned sortMode = 0;       // m_nSortMode
  int buildWork = 0;           // m_nBuildWork (secondary key of 7/8)
  unsigned displayMode = 0;    // m_nDisplayMode: last digit folder order, /100 == 1 folders after files
  bool networkList = false;    // folders keep the order read
};

// The order of a listing: `folders` and `files` are work positions. `count`
// is the number of work entries taken (n, "." and ".." included).
struct Placing {
  std::vector<std::uint32_t> folders;
  std::vector<std::uint32_t> files;
  bool foldersAfterFiles = false;
};

// Orders the work entries 2..count-1. Random modes 51/52 draw from
// fw::hooks::RandomBelow.
Placing PlaceEntries(const std::vector<WorkEntry>& work, std::size_t count, const PlaceSettings& s);

}  // namespace flist
