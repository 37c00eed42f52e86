#include "convert/cfb_reader.h"

#include <climits>
#include <cstring>

#include "core/docopen/opentexts.h"
#include "fw/alloc.h"

namespace convert {
namespace {

constexpr std::int32_t kEntrySize = 128;
constexpr int kEntriesPerSector = 4;
constexpr int kHeaderDifat = 109;
constexpr std::int64_t kDifatEnd = 0x1FFFE00;   // the DIFAT position that ends the list
constexpr std::int32_t kEndMarker = 65531;      // FAT values above it end a chain
constexpr int kWalkEntries = 100;
constexpr int kWalkWordStreams = 80;
constexpr std::int32_t kTailScan = 8192;
constexpr std::int32_t kSummaryTag = 0x1000;
constexpr int kSummarySectors = 4;
constexpr std::int32_t kMiniSector = 64;
constexpr std::int32_t kFileOrderBelow = 4096;  // chains ending in the first sectors go on in file order
constexpr std::int32_t kCopyStart = 512;

std::uint32_t U16(const std::uint8_t* p) { return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8; }
std::uint32_t U32(const std::uint8_t* p) { return U16(p) | U16(p + 2) << 16; }
std::uint32_t U24(const std::uint8_t* p) { return U16(p) | static_cast<std::uint32_t>(p[2]) << 16; }

// The root entry: "R", 0, "o", 0 (UTF-16LE), or 0 then "R".
bool IsRootName(const std::uint8_t* e) {
  return (e[0] == 'R' && e[1] == 0 && e[2] == 'o' && e[3] == 0) || (e[0] == 0 && e[1] == 'R');
}

std::int32_t Clamp32(std::int64_t v) {
  return static_cast<std::int32_t>(v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : v);
}

std::string EntryName(const std::uint8_t* e) {
  std::string name;
  for (int i = 0; i < 32; ++i) {
    const std::uint8_t c = e[2 * i];
    if (!c && !e[2 * i + 1]) break;
    name += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
  }
  return name;
}

}  // namespace

int IsSjisLeadByteConv(std::uint8_t b) {
  return (b >= 0x80 && b <= 0x9F) || (b >= 0xE0 && b <= 0xEF) || (b >= 0xFA && b <= 0xFC) ? 1 : 0;
}

CfbReader::CfbReader(RenderJob& job) : m_job(job) {
  m_kind = job.m_nKind;
  m_fileSize = job.m_nConvSize > 0 ? job.m_nConvSize : 0;
  m_nSectorCount = m_fileSize / kCfbSectorSize;
  // The table holds 81,920 entries; it is grown as the FAT fills it (an
  // entry never stored reads as 0 either way), so a small file does not
  // clear the whole table.
  GrowFat(m_nSectorCount + 2);
  for (std::int64_t& s : m_slotSize) s = -1;
}

std::int32_t CfbReader::FatAt(std::int64_t index) const {
  if (index < 0 || index >= static_cast<std::int64_t>(m_anFat.size())) return 0;
  return m_anFat[static_cast<std::size_t>(index)];
}

void CfbReader::GrowFat(std::int64_t entries) {
  if (entries > kCfbFatEntries) entries = kCfbFatEntries;
  if (entries > static_cast<std::int64_t>(m_anFat.size())) m_anFat.resize(static_cast<std::size_t>(entries), 0);
}

void CfbReader::PresetStraightChain(std::int32_t count) {
  if (count > kCfbFatEntries) count = kCfbFatEntries;
  GrowFat(count);
  for (std::int32_t i = 0; i < count; ++i) m_anFat[static_cast<std::size_t>(i)] = i + 1;
}

bool CfbReader::ReadSector(std::int64_t position, std::uint8_t* into) {
  SourceFile* file = m_job.File();
  std::size_t got = 0;
  if (file && position >= 0) got = file->ReadAt(position, into, kCfbSectorSize);
  if (got < static_cast<std::size_t>(kCfbSectorSize)) std::memset(into + got, 0, kCfbSectorSize - got);
  return got == static_cast<std::size_t>(kCfbSectorSize);
}

// --- cursor operations ---------------------------------------------------------

void CfbReader::Hop() {
  m_nSectorOffset = 0;
  m_nPrevSector = m_nCurSector;
  const std::int32_t next = FatAt(m_nCurSector);
  if (next >= 0 && next < m_nSectorCount) {
    m_nCurSector = next;
    m_job.m_nConvPos = Clamp32((static_cast<std::int64_t>(next) + 1) * kCfbSectorSize);
  } else {
    m_nChainState = next > kEndMarker ? 2 : 1;
    m_nCurSector = m_nPrevSector < INT32_MAX ? m_nPrevSector + 1 : m_nPrevSector;
  }
}

void CfbReader::CfbAdvanceByte() {
  m_job.m_nConvPos = Clamp32(static_cast<std::int64_t>(m_job.m_nConvPos) + 1);
  if (++m_nSectorOffset >= kCfbSectorSize) Hop();
}

void CfbReader::CfbSkipBytes(std::int32_t n) {
  if (n <= 0) return;
  std::int64_t left = n;
  const std::int64_t rest = kCfbSectorSize - m_nSectorOffset;
  if (left < rest) {
    m_job.m_nConvPos = Clamp32(static_cast<std::int64_t>(m_job.m_nConvPos) + left);
    m_nSectorOffset += static_cast<std::int32_t>(left);
    return;
  }
  m_job.m_nConvPos = Clamp32(static_cast<std::int64_t>(m_job.m_nConvPos) + rest);
  left -= rest;
  Hop();
  // Whole sectors, one hop each; a chain that loops is followed at most as
  // many hops as the file has sectors.
  std::int32_t hops = 0;
  while (left > kCfbSectorSize && m_nChainState == 0 && m_job.m_nConvPos < m_fileSize) {
    if (++hops > m_nSectorCount) {
      m_nChainState = 1;
      m_damage.Mark("FAT");
      break;
    }
    Hop();
    left -= kCfbSectorSize;
  }
  if (left == kCfbSectorSize) {
    Hop();
    left = 0;
  }
  m_nSectorOffset = static_cast<std::int32_t>(left > kCfbSectorSize ? kCfbSectorSize : left);
  m_job.m_nConvPos = Clamp32(static_cast<std::int64_t>(m_job.m_nConvPos) + left);
}

void CfbReader::CfbSeekMiniStream(std::int32_t miniOffset, std::int32_t containerPos) {
  if (miniOffset < 0) miniOffset = 0;
  std::int64_t start = containerPos / kCfbSectorSize - 1;
  if (start < 0) start = 0;
  std::int64_t hops = miniOffset / kCfbSectorSize;
  m_nSectorOffset = miniOffset % kCfbSectorSize;
  std::int64_t sector = start;
  // A mini-stream that starts at sector 0: its first two links are taken as
  // consecutive sectors.
  if (start == 0 && hops >= 3) {
    sector = 2;
    hops -= 2;
  }
  if (hops > m_nSectorCount) {
    sector = 0;  // longer than any chain of the file
  } else {
    for (std::int64_t i = 0; i < hops; ++i) {
      if (sector < 0 || sector >= kCfbFatEntries) {
        sector = 0;
        break;
      }
      sector = FatAt(sector) & 0xFFFFFF;
      if (sector >= kEndMarker + 1) {
        sector = 0;
        break;
      }
    }
  }
  m_nCurSector = static_cast<std::int32_t>(sector);
  m_job.m_nConvPos = Clamp32((sector + 1) * kCfbSectorSize + m_nSectorOffset);
}

int CfbReader::IsCursorAtLineEnd() const {
  const std::int32_t pos = m_job.m_nConvPos;
  // Within the bytes read and the buffer that holds them.
  std::int64_t held = m_job.readSize;
  if (m_job.headCapacity && static_cast<std::int64_t>(m_job.headCapacity) < held)
    held = static_cast<std::int64_t>(m_job.headCapacity);
  if (!m_job.Head() || pos < 0 || pos >= held) return 0;
  const std::uint8_t b = m_job.Head()[pos];
  return b == '\r' || b == '\n' ? 1 : 0;
}

void CfbReader::SetSectorCursor(std::int32_t position) {
  if (position < 0) position = 0;
  m_job.m_nConvPos = position;
  m_nCurSector = position / kCfbSectorSize - 1;
  m_nSectorOffset = position % kCfbSectorSize;
  m_nChainState = 0;
}

// --- LoadCompoundStreams --------------------------------------------------------

void CfbReader::LoadFat(const std::uint8_t* header) {
  // A first DIFAT entry of 0xFF bytes: every sector follows the one before.
  if (header[0x4E] == 0xFF) {
    PresetStraightChain(m_nSectorCount);
    return;
  }
  std::uint8_t sector[kCfbSectorSize];
  std::int32_t next = 0;  // next FAT slot to fill
  // One DIFAT entry: false when the list ends.
  auto take = [&](const std::uint8_t* entry) {
    if (entry[1] == 0xFF) return false;
    const std::int64_t pos = (static_cast<std::int64_t>(U16(entry)) + 1) * kCfbSectorSize;
    if (pos + kCfbSectorSize <= m_fileSize && ReadSector(pos, sector)) {
      GrowFat(static_cast<std::int64_t>(next) + kCfbSectorSize / 4);
      for (int k = 0; k < kCfbSectorSize / 4 && next < kCfbFatEntries; ++k)
        m_anFat[static_cast<std::size_t>(next++)] = static_cast<std::int32_t>(U16(sector + 4 * k));
    }
    return next < kCfbFatEntries;
  };
  for (int i = 0; i < kHeaderDifat; ++i)
    if (!take(header + 0x4C + 4 * i)) return;
  std::uint8_t difat[kCfbSectorSize];
  std::int64_t pos = (static_cast<std::int64_t>(U16(header + 0x44)) + 1) * kCfbSectorSize;
  std::int32_t read = 0;
  while (pos < kDifatEnd) {
    if (pos + kCfbSectorSize > m_fileSize || !ReadSector(pos, difat)) return;
    if (++read > m_nSectorCount) {  // a DIFAT chain that loops
      m_damage.Mark("DIFAT");
      return;
    }
    for (int k = 0; k < kCfbSectorSize / 4 - 1; ++k)
      if (!take(difat + 4 * k)) return;
    pos = (static_cast<std::int64_t>(U16(difat + 508)) + 1) * kCfbSectorSize;
  }
}

void CfbReader::SetSlot(int slot, std::int64_t start, std::int64_t size, const std::uint8_t* e) {
  m_slotFound[slot] = true;
  m_slotStart[slot] = static_cast<std::int32_t>(start);
  m_slotSize[slot] = size;
  m_slotFromRoot[slot] = false;
  m_slotName[slot] = e ? EntryName(e) : std::string("Root Entry");
}

void CfbReader::HandleEntry(const std::uint8_t* e, int& index, bool& wordFound, int& wordStreams) {
  const std::int64_t start = U24(e + 0x74);
  const std::int64_t size = U32(e + 0x78);
  const std::uint8_t c0 = e[0], c1 = e[2], c3 = e[6];
  if (index == 0) SetSlot(kSlotMain, start, size, e);
  if (c0 == 0x05 && c1 == 'D') {
    if (start != 0 && (U16(e + 0x78) == static_cast<std::uint32_t>(kSummaryTag))) SetSlot(kSlotDocSummary, start, size, e);
  } else if (c0 == 'P' && (c1 == 'o' || c1 == 'P') && m_kind == 1) {
    if (m_miniStart == 3 && start == 0) {
      SetSlot(kSlotMain, 3, -1, nullptr);
      m_slotFromRoot[kSlotMain] = true;
    } else {
      SetSlot(kSlotMain, start, size, e);
    }
    m_mainFound = true;
  } else if (c0 == 'P' && c1 == 'i') {
    SetSlot(kSlotPictures, start, size, e);
  } else if (c0 == 'W' && c1 == 'o') {
    if (c3 == 'd' && index == 0 && start != 0) {
      SetSlot(kSlotMain, start, size, e);
      m_miniStart = static_cast<std::int32_t>(start);
      m_mainFound = true;
      wordFound = true;
    } else if (!wordFound) {
      SetSlot(kSlotMain, start, size, e);
      m_mainFound = true;
      wordFound = true;
    } else if (c3 == 'd') {
      ++wordStreams;
      index = 1;
      return;
    }
  } else if (c0 == 'O' && c1 == 'b' && index == 0) {
    SetSlot(kSlotMain, m_miniStart, m_rootSize, nullptr);
    m_slotFromRoot[kSlotMain] = true;
  } else if (c0 == 'D' && c1 == 'a' && index == 0) {
    m_slotFound[kSlotData] = m_slotFound[kSlotMain];
    m_slotStart[kSlotData] = m_slotStart[kSlotMain];
    m_slotSize[kSlotData] = m_slotSize[kSlotMain];
    m_slotFromRoot[kSlotData] = m_slotFromRoot[kSlotMain];
    m_slotName[kSlotData] = m_slotName[kSlotMain];
  } else if (c0 == 'D' && c1 == 'a' && (m_kind == 2 || m_kind == 42)) {
    // A Word file keeps its inline pictures and large paragraph properties
    // in "Data" wherever the entry stands in the directory.
    SetSlot(kSlotData, start, size, e);
  } else if (c0 == '1' && c1 == 'T') {
    SetSlot(kSlotTable1, start, size, e);
  } else if (c0 == '0' && c1 == 'T') {
    SetSlot(kSlotTable0, start, size, e);
  }
  ++index;
}

void CfbReader::WalkDirectory(const std::uint8_t* header, CompoundStreamTable& table) {
  (void)header;
  std::uint8_t dir[kCfbSectorSize];
  std::int64_t current = table.directoryPos / kCfbSectorSize - 1;
  // What the file holds of the sector is used; the rest reads as zeros.
  ReadSector(table.directoryPos, dir);
  m_rootStart = U32(dir + 0x74);
  m_rootSize = U32(dir + 0x78);
  m_miniStart = static_cast<std::int32_t>(U16(dir + 0x74));
  int index = 0;          // entries after the root (set back by further Word streams)
  int wordStreams = 0;
  bool wordFound = false;
  int k = 1;              // the root entry is skipped
  std::int32_t hops = 0;
  while (true) {
    for (; k < kEntriesPerSector; ++k) {
      HandleEntry(dir + k * kEntrySize, index, wordFound, wordStreams);
      if (index >= kWalkEntries || wordStreams >= kWalkWordStreams) return;
    }
    k = 0;
    // The next directory sector: FAT[current], or the next number for a
    // current number outside the table.
    const std::int64_t next = (current < 0 || current >= kCfbFatEntries) ? current + 1 : FatAt(current);
    if (next < 1 || next > m_nSectorCount - 1) {
      if (next <= kEndMarker && next != 0 && !m_job.inputCut) m_damage.Mark("Directory");
      return;
    }
    if (++hops > m_nSectorCount) {
      m_damage.Mark("Directory");
      return;
    }
    const std::int64_t pos = (next + 1) * kCfbSectorSize;
    if (pos >= m_fileSize || !ReadSector(pos, dir)) return;
    current = next;
  }
}

void CfbReader::ScanSheetNames(CompoundStreamTable& table) {
  (void)table;
  std::int64_t base = (static_cast<std::int64_t>(m_fileSize) / kCfbSectorSize) * kCfbSectorSize - kTailScan;
  if (base < 0) base = kCfbSectorSize;
  std::vector<std::uint8_t> tail;
  if (m_job.File()) ReadWindow(*m_job.File(), base, kTailScan, tail);
  // Backwards for 1E 10 00 00 (a vector of 8-bit strings in a property set).
  std::int64_t steps = 0;
  for (std::int64_t i = static_cast<std::int64_t>(tail.size()) - 4; i >= 0 && steps < kTailScan; --i, ++steps) {
    if (tail[i] == 0x1E && tail[i + 1] == 0x10 && tail[i + 2] == 0 && tail[i + 3] == 0) {
      std::int64_t sectorPos = ((base + i) / kCfbSectorSize) * kCfbSectorSize;
      if (sectorPos < kCfbSectorSize) sectorPos = kCfbSectorSize;
      m_slotFound[kSlotSheetNames] = true;
      m_slotStart[kSlotSheetNames] = static_cast<std::int32_t>(sectorPos / kCfbSectorSize - 1);
      m_slotSize[kSlotSheetNames] = -1;
      m_slotFromRoot[kSlotSheetNames] = true;  // a sector, not a directory stream
      m_slotName[kSlotSheetNames] = "SummaryInformation";
      return;
    }
  }
}

bool CfbReader::CopyChain(int slot, std::int64_t position, std::int32_t& dest, std::int32_t capacity,
                          CompoundStreamTable& table) {
  (void)table;
  std::uint8_t* head = m_job.m_pConvData;
  const std::int64_t limit = m_job.readSize;
  // The directory's size bounds the copy: a chain (or a straight chain
  // without a FAT) never runs on into the next stream.
  const std::int64_t want = m_slotSize[slot];
  std::int64_t current = position / kCfbSectorSize - 1;
  std::vector<bool> visited(static_cast<std::size_t>(m_nSectorCount > 0 ? m_nSectorCount : 0), false);
  std::int32_t copied = 0;
  bool cutByLimit = false;
  bool broken = false;
  while (true) {
    if (static_cast<std::int64_t>(dest) + kCfbSectorSize > capacity) {
      cutByLimit = true;
      break;
    }
    if (current >= 0 && current < m_nSectorCount) {
      // A sector met twice: the chain loops.
      if (visited[static_cast<std::size_t>(current)]) {
        broken = true;
        break;
      }
      visited[static_cast<std::size_t>(current)] = true;
    }
    const bool full = ReadSector(position, head + dest);
    dest += kCfbSectorSize;
    ++copied;
    if (want > 0 && static_cast<std::int64_t>(copied) * kCfbSectorSize >= want) break;
    // Every FAT index outside the table ends the chain.
    std::int64_t next;
    if (current < 0 || current >= kCfbFatEntries) {
      next = -1;
    } else {
      next = FatAt(current);
      if (next > m_nSectorCount && position < kFileOrderBelow) next = current + 1;
    }
    current = next;
    if (current >= 0 && current < m_nSectorCount) position = (current + 1) * kCfbSectorSize;
    if (current < 0 || current >= m_nSectorCount) {
      // Past the sectors: an end marker ends the stream, anything else
      // leaves the file (damage unless the file was cut at the read size).
      if (current < 0) broken = true;
      else if (current <= kEndMarker && !m_job.inputCut) broken = true;
      break;
    }
    if (!full || position >= m_fileSize || dest >= m_fileSize) break;
    if (dest >= limit) {
      cutByLimit = true;
      break;
    }
    if (slot == kSlotDocSummary && copied >= kSummarySectors) break;
  }
  if (cutByLimit) {
    m_truncated = true;
    m_job.inputCut = true;
  }
  if (broken || (!cutByLimit && !m_job.inputCut && want > 0 && slot != kSlotDocSummary &&
                 static_cast<std::int64_t>(copied) * kCfbSectorSize < want)) {
    m_damage.Mark(m_slotName[slot].c_str());
  }
  return true;
}

bool CfbReader::LoadMiniTables(const std::uint8_t* header) {
  if (m_miniLoaded) return !m_rootChain.empty();
  m_miniLoaded = true;
  std::uint8_t sector[kCfbSectorSize];
  // The mini-FAT: its sectors along the FAT from header 0x3C.
  std::int64_t s = U32(header + 0x3C);
  std::int64_t count = U32(header + 0x40);
  for (std::int64_t n = 0; n < count && s >= 0 && s < m_nSectorCount && n <= m_nSectorCount; ++n) {
    if (!ReadSector((s + 1) * kCfbSectorSize, sector)) break;
    for (int k = 0; k < kCfbSectorSize / 4; ++k) m_miniFat.push_back(U32(sector + 4 * k));
    s = FatAt(s);
  }
  // The mini-stream's container: the root entry's chain.
  s = m_rootStart;
  while (s >= 0 && s < m_nSectorCount && static_cast<std::int64_t>(m_rootChain.size()) < m_nSectorCount) {
    m_rootChain.push_back(static_cast<std::int32_t>(s));
    s = FatAt(s);
  }
  return !m_rootChain.empty();
}

bool CfbReader::CopyMini(int slot, std::int64_t startMini, std::int64_t size, std::int32_t& dest,
                         std::int32_t capacity, const std::uint8_t* header, CompoundStreamTable& table) {
  (void)table;
  std::uint8_t* head = m_job.m_pConvData;
  const std::int32_t from = dest;
  // The copy takes whole sectors of room (the stream's bytes, then zeros).
  const std::int64_t room = ((size + kCfbSectorSize - 1) / kCfbSectorSize) * kCfbSectorSize;
  if (static_cast<std::int64_t>(dest) + (room ? room : kCfbSectorSize) > capacity) {
    m_truncated = true;
    m_job.inputCut = true;
    return false;
  }
  std::memset(head + dest, 0, static_cast<std::size_t>(room ? room : kCfbSectorSize));
  std::int64_t got = 0;
  bool broken = !LoadMiniTables(header) && size > 0;
  std::int64_t mini = startMini;
  std::int64_t steps = 0;
  while (!broken && got < size) {
    if (mini < 0 || mini >= static_cast<std::int64_t>(m_miniFat.size()) || ++steps > size / kMiniSector + 1) {
      broken = true;
      break;
    }
    const std::int64_t at = mini * kMiniSector;
    const std::int64_t sectorIndex = at / kCfbSectorSize;
    if (sectorIndex >= static_cast<std::int64_t>(m_rootChain.size())) {
      broken = true;
      break;
    }
    const std::int64_t filePos =
        (static_cast<std::int64_t>(m_rootChain[static_cast<std::size_t>(sectorIndex)]) + 1) * kCfbSectorSize +
        at % kCfbSectorSize;
    const std::int64_t want = size - got < kMiniSector ? size - got : kMiniSector;
    const std::size_t read =
        m_job.File() ? m_job.File()->ReadAt(filePos, head + from + got, static_cast<std::size_t>(want)) : 0;
    if (static_cast<std::int64_t>(read) < want) {
      broken = true;
      break;
    }
    got += want;
    mini = m_miniFat[static_cast<std::size_t>(mini)];
  }
  if (broken && !m_job.inputCut) m_damage.Mark(m_slotName[slot].c_str());
  dest += static_cast<std::int32_t>(room ? room : kCfbSectorSize);
  return true;
}

bool CfbReader::CopyStreams(const std::uint8_t* header, CompoundStreamTable& table) {
  const std::int64_t limit = m_job.readSize;
  // Room for the copies: the buffer limit plus 99,000 bytes and a sector, and
  // never more than the file's sectors need (each slot may end one sector on).
  std::int64_t need = limit + kCfbCopySlack;
  const std::int64_t byFile = static_cast<std::int64_t>(m_fileSize) + (kCompoundSlots + 1) * kCfbSectorSize;
  if (need > byFile) need = byFile;
  need += 2 * kCfbSectorSize + kCfbMiniCutoff;
  if (need > INT32_MAX) need = INT32_MAX;
  if (m_job.headCapacity < static_cast<std::size_t>(need) || !m_job.m_pConvData) {
    void* grown = fw::Realloc(m_job.m_pConvData, static_cast<std::size_t>(need));
    if (!grown) {
      m_job.out.Append(static_cast<const char*>(docopen::GetOpenText(docopen::OpenText::kRenderMemory)));
      m_job.out.Append(" 002");
      return false;
    }
    m_job.m_pConvData = static_cast<std::uint8_t*>(grown);
    m_job.headCapacity = static_cast<std::size_t>(need);
  }
  const std::int32_t capacity = static_cast<std::int32_t>(m_job.headCapacity);
  std::memset(m_job.m_pConvData, 0, kCopyStart);
  std::int32_t dest = kCopyStart;
  for (int slot = 0; slot < kCompoundSlots; ++slot) {
    if (!m_slotFound[slot] || dest >= limit + kCfbCopySlack) continue;
    const std::int64_t start = m_slotStart[slot];
    table.filePos[slot] = Clamp32((start + 1) * kCfbSectorSize);
    table.streamSize[slot] = m_slotSize[slot];
    const std::int32_t from = dest;
    bool ok;
    if (!m_slotFromRoot[slot] && m_slotSize[slot] >= 0 && m_slotSize[slot] < kCfbMiniCutoff) {
      table.viaMiniStream[slot] = true;
      ok = CopyMini(slot, start, m_slotSize[slot], dest, capacity, header, table);
    } else if (start >= m_nSectorCount) {
      // A start sector past the file: nothing to copy.
      if (!m_job.inputCut) m_damage.Mark(m_slotName[slot].c_str());
      table.filePos[slot] = 0;
      continue;
    } else {
      ok = CopyChain(slot, (start + 1) * kCfbSectorSize, dest, capacity, table);
    }
    if (!ok) break;
    table.slot[slot] = from;
    table.length[slot] = dest - from;
    if (table.viaMiniStream[slot]) table.length[slot] = static_cast<std::int32_t>(m_slotSize[slot]);
  }
  table.end = dest;
  return true;
}

CompoundLoad CfbReader::LoadCompoundStreams(CompoundStreamTable& table) {
  table = CompoundStreamTable();
  m_job.m_nConvPos = 0;
  std::uint8_t header[kCfbSectorSize];
  ReadSector(0, header);
  auto unsupported = [&] {
    m_job.out.Append(static_cast<const char*>(GetConvertText(ConvertText::kUnsupportedOffice)));
    return CompoundLoad::kUnsupported;
  };
  // Step 2: the directory start.
  const std::int64_t dirPos = (static_cast<std::int64_t>(U16(header + 0x30)) + 1) * kCfbSectorSize;
  if (dirPos >= m_fileSize) return unsupported();
  table.directoryPos = static_cast<std::int32_t>(dirPos);

  // Step 3: the first directory sector (and the first entry after it, for
  // the kind of an unclassified file).
  std::uint8_t dir[kCfbSectorSize + kEntrySize] = {};
  ReadSector(dirPos, dir);
  if (m_job.File() && dirPos + kCfbSectorSize < m_fileSize) {
    const std::int64_t more = m_fileSize - dirPos - kCfbSectorSize;
    m_job.File()->ReadAt(dirPos + kCfbSectorSize, dir + kCfbSectorSize,
                         static_cast<std::size_t>(more < kEntrySize ? more : kEntrySize));
  }
  if (m_kind == 99 && ((dir[0] == 'R' && dir[2] == 'o') || (dir[0] == 0 && dir[1] == 'R'))) {
    struct NameTest {
      char c0, c3;
      int kind;
    };
    const NameTest tests[] = {{'B', 'k', 3}, {'W', 'k', 3}, {'W', 'd', 2}, {'P', 'e', 1}};
    int found = 0;
    for (const NameTest& t : tests) {
      for (int e = 1; e <= 4 && !found; ++e) {
        const std::uint8_t* entry = dir + e * kEntrySize;
        if (entry[0] == static_cast<std::uint8_t>(t.c0) && entry[6] == static_cast<std::uint8_t>(t.c3)) found = t.kind;
      }
      if (found) break;
    }
    if (!found && dir[kEntrySize] == 'P' && dir[kEntrySize + 6] == 't') found = 1;
    if (found) {
      m_kind = found;
      m_job.m_nKind = found;
      m_job.m_nFileKind = found;
    }
  }
  // Step 4: the FAT, only under a root entry.
  if (IsRootName(dir)) LoadFat(header);
  // Step 5: the directory walk.
  WalkDirectory(header, table);
  table.miniStreamStart = m_miniStart;
  // Step 6: the main stream.
  if (m_kind == 32) {
    table.slot[kSlotMain] = m_miniStart;
    table.slot[kSlotData] = table.directoryPos;
    table.end = 0;
    return CompoundLoad::kLoaded;
  }
  // (A main stream below 4,096 bytes lies in the mini-stream: its start is a
  // mini-sector number, which the copy takes through the mini-FAT.)
  const bool mainIsMini = !m_slotFromRoot[kSlotMain] && m_slotSize[kSlotMain] >= 0 &&
                          m_slotSize[kSlotMain] < kCfbMiniCutoff;
  if (!m_slotFound[kSlotMain] ||
      (!mainIsMini && (static_cast<std::int64_t>(m_slotStart[kSlotMain]) + 1) * kCfbSectorSize >= m_fileSize))
    return unsupported();
  // Step 7: the sheet names of a workbook without a usable summary stream.
  if (m_kind == 3 && (!m_slotFound[kSlotDocSummary] ||
                      (static_cast<std::int64_t>(m_slotStart[kSlotDocSummary]) + 1) * kCfbSectorSize >= m_fileSize))
    ScanSheetNames(table);
  // Step 8: the copies.
  if (!CopyStreams(header, table)) return CompoundLoad::kNoMemory;
  table.miniStreamStart = m_miniStart;
  return CompoundLoad::kLoaded;
}

}  // namespace convert
