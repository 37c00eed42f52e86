// The compound-document reader: the container of the older Office files
// (Word, Excel, PowerPoint, mail items). It checks the directory, loads the
// sector allocation table (FAT), walks the directory for the streams the
// Office readers need and copies each, sector by sector along its chain, into
// one contiguous stretch of the head buffer. Its cursor operations follow a
// FAT chain through a file image held in the head buffer (the mail reader).
//
// One reader object per run owns the FAT and the cursor state; the cursor
// itself is the frame's m_nConvPos, shared with the Office readers.
//
// Every read of the file is bounded by what the file gave, every index into
// the FAT is checked, and every chain is followed at most as many hops as the
// file has sectors.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "convert/convert_texts.h"
#include "convert/render_frame.h"

namespace convert {

constexpr std::int32_t kCfbFatEntries = 81920;  // FAT entries held (640 FAT sectors)
constexpr std::int32_t kCfbSectorSize = 512;
constexpr std::int32_t kCfbMiniCutoff = 4096;   // streams below this size lie in the mini-stream
constexpr std::int32_t kCfbCopySlack = 99000;   // the copies may pass the buffer limit by this (and a sector)
constexpr int kCompoundSlots = 7;

// The slots of the stream table.
enum CompoundSlot : int {
  kSlotMain = 0,        // "WordDocument", "Workbook"/"Book", "PowerPoint Document"; kind 32: root start sector
  kSlotData = 1,        // "Data" (first entry after the root); kind 32: first directory position
  kSlotTable0 = 2,      // "0Table"
  kSlotTable1 = 3,      // "1Table"
  kSlotPictures = 4,    // "Pictures"
  kSlotDocSummary = 5,  // "\x05DocumentSummaryInformation" of 0x1000 bytes (2,048 copied)
  kSlotSheetNames = 6,  // the sector holding the sheet-name property (Excel tail scan)
};

// The streams a compound document's readers take. After LoadCompoundStreams
// a slot's copy lies in the head buffer (job.Head()) at [slot[i], slot[i] +
// length[i]); slot[i] 0 means the stream is absent. The copies start at
// offset 512 and end at `end`.
//
// Kind 32 (mail items) is not copied: the head buffer keeps the file image,
// slot 0 holds the root entry's start sector and slot 1 the file position of
// the first directory sector, as the mail reader expects.
struct CompoundStreamTable {
  std::int32_t slot[kCompoundSlots] = {};        // offset of the copy in the head buffer (0: absent)
  std::int32_t length[kCompoundSlots] = {};      // bytes of the copy (whole sectors, or the stream's size)
  std::int32_t filePos[kCompoundSlots] = {};     // file position of the first sector (0: absent)
  std::int64_t streamSize[kCompoundSlots] = {};  // size from the directory entry (32 bits), -1 unknown
  bool viaMiniStream[kCompoundSlots] = {};       // copied through the mini-FAT (a stream below 4,096 bytes)
  std::int32_t end = 0;                          // end of the copies in the head buffer
  std::int32_t miniStreamStart = 0;              // the root entry's start sector
  std::int32_t directoryPos = 0;                 // file position of the first directory sector
};

enum class CompoundLoad {
  kLoaded,       // the table holds the streams (some may be absent)
  kUnsupported,  // directory or main stream beyond the file: string 240 written
  kNoMemory,     // the head buffer could not hold the copies: string 152 and " 002" written
};

class CfbReader {
 public:
  // The reader works on the job's open file, head buffer, cursor
  // (m_nConvPos), file size (m_nConvSize, already lowered to the read size)
  // and read size (the buffer limit).
  explicit CfbReader(RenderJob& job);

  // Steps 1-8: the directory, the FAT, the directory walk, the main-stream
  // check, the Excel tail scan and the copies. Resolves kind 99 (job.m_nKind
  // and job.m_nFileKind); sets job.inputCut when the buffer limit stopped a
  // copy.
  CompoundLoad LoadCompoundStreams(CompoundStreamTable& table);

  // The kind after LoadCompoundStreams (99 resolved to 1, 2 or 3 when a stream
  // name says so).
  int Kind() const { return m_kind; }
  // True when the buffer limit stopped a copy.
  bool Truncated() const { return m_truncated; }
  // Set when a chain or the directory was found damaged (fault line text).
  DamageNote& Damage() { return m_damage; }

  // --- cursor operations over the file image in the head buffer
  // One byte forward; a hop at the end of a sector.
  void CfbAdvanceByte();
  // n bytes forward along the chain.
  void CfbSkipBytes(std::int32_t n);
  // To the start of the next sector of the chain.
  void Hop();
  // The cursor to byte `miniOffset` of the mini-stream whose container's
  // first sector lies at file position `containerPos`.
  void CfbSeekMiniStream(std::int32_t miniOffset, std::int32_t containerPos);
  // 1 when the byte at the cursor is CR or LF (0 past the bytes read).
  int IsCursorAtLineEnd() const;
  // The sector cursor for a file position: sector = position / 512 - 1,
  // offset = position mod 512 (and m_nConvPos = position).
  void SetSectorCursor(std::int32_t position);
  // FAT[index], or 0 when the index is outside the table.
  std::int32_t FatAt(std::int64_t index) const;
  // Fills the first `count` FAT entries as a straight chain (i + 1).
  void PresetStraightChain(std::int32_t count);

  // --- the reader's state (the names the readers know)
  std::vector<std::int32_t> m_anFat;  // kCfbFatEntries entries: next sector (16 bits)
  std::int32_t m_nChainState = 0;     // 0 following; 1 left the file; 2 end marker
  std::int32_t m_nSectorCount = 0;    // m_nConvSize / 512
  std::int32_t m_nSectorOffset = 0;   // offset of the cursor in its sector
  std::int32_t m_nCurSector = 0;
  std::int32_t m_nPrevSector = 0;

 private:
  bool ReadSector(std::int64_t position, std::uint8_t* into);
  void LoadFat(const std::uint8_t* header);
  void WalkDirectory(const std::uint8_t* header, CompoundStreamTable& table);
  void ScanSheetNames(CompoundStreamTable& table);
  bool CopyStreams(const std::uint8_t* header, CompoundStreamTable& table);
  bool CopyChain(int slot, std::int64_t position, std::int32_t& dest, std::int32_t capacity,
                 CompoundStreamTable& table);
  bool CopyMini(int slot, std::int64_t startMini, std::int64_t size, std::int32_t& dest, std::int32_t capacity,
                const std::uint8_t* header, CompoundStreamTable& table);
  bool LoadMiniTables(const std::uint8_t* header);
  void HandleEntry(const std::uint8_t* e, int& index, bool& wordFound, int& wordStreams);
  void SetSlot(int slot, std::int64_t start, std::int64_t size, const std::uint8_t* e);

  RenderJob& m_job;
  int m_kind = 0;
  bool m_truncated = false;
  DamageNote m_damage;
  std::int32_t m_fileSize = 0;  // m_nConvSize at the start
  std::int32_t m_slotStart[kCompoundSlots] = {};   // start sectors found by the walk
  bool m_slotFound[kCompoundSlots] = {};
  std::int64_t m_slotSize[kCompoundSlots] = {};
  bool m_slotFromRoot[kCompoundSlots] = {};
  std::int64_t m_rootSize = 0;
  std::int32_t m_miniStart = 0;                  // the walk's mini-stream start (16 bits, as the walk sets it)
  bool m_mainFound = false;
  std::int64_t m_rootStart = -1;                 // the root entry's start sector (32 bits)
  std::string m_slotName[kCompoundSlots];       // the directory names (damage line)
  bool m_miniLoaded = false;
  std::vector<std::uint32_t> m_miniFat;         // the mini-FAT (fault-free copy of small streams)
  std::vector<std::int32_t> m_rootChain;        // the sectors of the mini-stream's container
};

// The converters' lead-byte test: 0x80-0x9F, 0xE0-0xEF, 0xFA-0xFC (0x80
// included, unlike the shared test).
int IsSjisLeadByteConv(std::uint8_t byte);

}  // namespace convert
