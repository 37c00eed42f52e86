// Checksums of the archive codec and the two output sinks through which
// extracted bytes leave it: LzhCrc16 (CRC-16, polynomial 0xA001) for LZH
// members and ZipCrc32 (CRC-32, polynomial 0xEDB88320) for ZIP members.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>

#include "archive/arc_state.h"

namespace arc {

// Running CRC-32 update (reflected, 0xEDB88320) over a block; the caller
// starts at 0xFFFFFFFF and complements at the end.
uint32_t Crc32Update(uint32_t crc, const uint8_t* p, size_t n) noexcept;
// One-shot CRC-32 of a block (already complemented).
uint32_t Crc32(const uint8_t* p, size_t n) noexcept;
// The two ways Crc32Update computes (identical values): slicing-by-16 tables,
// and carry-less multiplication (arc_crc32_clmul.cpp), taken when
// Crc32ClmulAvailable() says the build and the CPU have it. Crc32UpdateClmul
// must not be called otherwise.
uint32_t Crc32UpdateTables(uint32_t crc, const uint8_t* p, size_t n) noexcept;
uint32_t Crc32UpdateClmul(uint32_t crc, const uint8_t* p, size_t n) noexcept;
bool Crc32ClmulAvailable() noexcept;
// Running CRC-16 update (reflected, 0xA001); LZH starts at 0.
uint16_t Crc16Update(uint16_t crc, const uint8_t* p, size_t n) noexcept;

// Header checksum helper of LZH level 1 and 2 headers.
class Crc16Table {
 public:
  Crc16Table(uint16_t poly = 0xA001, uint16_t start = 0) noexcept;
  void Update(uint8_t byte) noexcept { crc_ = table_[(crc_ ^ byte) & 0xFF] ^ (crc_ >> 8); }
  uint16_t Value() const noexcept { return crc_; }

 private:
  uint16_t table_[256];
  uint16_t crc_;
};

// Output sink of one LZH member. Throws "026" when the stream is not usable.
class LzhCrc16 {
 public:
  LzhCrc16(std::ostream& out, int64_t targetSize);
  // Puts one byte; true once the count reached the target size.
  bool Put(uint8_t byte);
  // Puts a block (the caller never passes more than the target needs).
  bool Write(const uint8_t* p, size_t n);
  uint16_t Crc() const noexcept { return crc_; }
  int64_t Count() const noexcept { return count_; }
  int64_t Target() const noexcept { return target_; }

 private:
  std::ostream& out_;
  int64_t target_;
  int64_t count_ = 0;
  uint16_t crc_ = 0;
};

// Output sink of one ZIP member: to the stream, or with m_nArcOutMax > 0 into
// m_pArcOutBuf (bytes at member positions from m_nArcOutMax on are dropped).
// Throws "026" when it writes to a stream that is not usable.
class ZipCrc32 {
 public:
  ZipCrc32(ArcState& st, std::ostream* out, int64_t targetSize);
  bool Put(uint8_t byte);
  bool Write(const uint8_t* p, size_t n);
  // CRC update alone.
  void Update(uint8_t byte) noexcept { crc_ = Crc32Update(crc_, &byte, 1); }
  // The member's CRC-32 (complement of the running value).
  uint32_t Crc() const noexcept { return ~crc_; }
  int64_t Count() const noexcept { return count_; }
  int64_t Target() const noexcept { return target_; }
  ArcState& State() noexcept { return st_; }

 private:
  ArcState& st_;
  std::ostream* out_;
  int64_t target_;
  int64_t count_ = 0;
  uint32_t crc_ = 0xFFFFFFFFu;
};

}  // namespace arc
