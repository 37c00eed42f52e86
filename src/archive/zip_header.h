// ZIP header records: reading the next local file header, central directory
// header or end record from a ZipBitReader, and building the local and
// central headers and the end record for the archive writer. No ZIP64 is
// written: sizes and offsets of 0xFFFFFFFF or more, more than 65535 entries
// and names over 65535 bytes are refused ("053", "055", "054", "058").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/arc_bits.h"
#include "archive/arc_crc.h"
#include "archive/arc_path.h"
#include "archive/arc_state.h"
#include "archive/arc_time.h"

namespace arc {

constexpr int32_t kZipLocalSig = 0x04034B50;
constexpr int32_t kZipCentralSig = 0x02014B50;
constexpr int32_t kZipEndSig = 0x06054B50;

class ZipHeader {
 public:
  // Reads the next record. Bytes cut off by the end of the archive leave the
  // fields not yet read at their initial values (complete stays false).
  // A central record stores its external attributes in m_nArcAttr.
  void Read(ZipBitReader& r);
  // 30-byte local header + name ("031" unless signature is the local one).
  void BuildLocal(std::vector<uint8_t>& bytes) const;
  // 46-byte central header + name ("032" unless the central signature);
  // external attributes from attr (the document's m_nArcAttr).
  void BuildCentral(uint64_t localOffset, int32_t attr, std::vector<uint8_t>& bytes) const;
  bool RestoreFileTime(const std::string& path) const { return SetFileDateTime(path, time); }

  std::vector<uint8_t> raw;
  int32_t signature = -1;
  int32_t versionNeeded = 0, flags = 0, method = 0;
  int64_t compressedSize = -1, uncompressedSize = -1;
  ArcDateTime time{1900, 1, 1, 0, 0, 0};
  uint32_t crc = 0;
  std::string name;
  std::vector<uint8_t> extra;  // written after the name (empty as built)
  bool complete = false;       // every byte of the record was read

 private:
  uint32_t Num(size_t at, int bytes) const;
  bool ReadUntil(ZipBitReader& r, size_t n);
};

// End of central directory record (22 bytes).
void BuildZipEnd(uint64_t entries, uint64_t centralSize, uint64_t centralOffset, std::vector<uint8_t>& bytes);

// Refuses, before anything is written, an archive the 32-bit format cannot
// hold: a file of 0xFFFFFFFF bytes or more ("053"), more than 65535 entries
// ("054"), a name over 65535 bytes ("058"), or a worst-case archive size of
// 0xFFFFFFFF bytes or more ("055").
void CheckZipPlan(const std::vector<uint64_t>& fileSizes, const std::vector<size_t>& nameLengths);

// Copies (method 0) or inflates (method 8) the member whose local header was
// just read into the sink. Returns false for any other method (nothing read).
// Stored bytes do not change m_nArcOutLen; input that ends inside the member
// throws "050".
bool ZipExtractMember(ZipBitReader& r, const ZipHeader& h, ZipCrc32& sink);

}  // namespace arc
