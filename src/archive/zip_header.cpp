#include "archive/zip_header.h"

#include <algorithm>

#include "archive/arc_error.h"
#include "archive/inflater.h"

namespace arc {
namespace {

void Put(std::vector<uint8_t>& b, size_t at, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t Field32(int64_t v, const char* code) {
  if (v < 0 || v >= 0xFFFFFFFFll) Fail(code);
  return static_cast<uint32_t>(v);
}

}  // namespace

bool ZipHeader::ReadUntil(ZipBitReader& r, size_t n) {
  while (raw.size() < n) {
    int b = r.GetByte();
    if (b < 0) return false;
    raw.push_back(static_cast<uint8_t>(b));
  }
  return true;
}

uint32_t ZipHeader::Num(size_t at, int bytes) const {
  if (at + static_cast<size_t>(bytes) > raw.size()) Fail("029");
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | raw[at + static_cast<size_t>(i)];
  return v;
}

void ZipHeader::Read(ZipBitReader& r) {
  *this = ZipHeader();
  if (!ReadUntil(r, 4)) return;
  signature = static_cast<int32_t>(Num(0, 4));
  if (signature == kZipLocalSig) {
    if (!ReadUntil(r, 30)) return;
    versionNeeded = static_cast<int32_t>(Num(4, 2));
    flags = static_cast<int32_t>(Num(6, 2));
    method = static_cast<int32_t>(Num(8, 2));
    time = FromDosDateTime(Num(10, 4));
    crc = Num(14, 4);
    compressedSize = Num(18, 4);
    uncompressedSize = Num(22, 4);
    size_t n = Num(26, 2), e = Num(28, 2);
    if (!ReadUntil(r, 30 + n + e)) return;
    if (30 + n > raw.size()) Fail("028");
    name.assign(reinterpret_cast<const char*>(raw.data() + 30), n);
    if (!name.empty() && static_cast<unsigned char>(name.back()) < 0x20) name.pop_back();
    complete = true;
  } else if (signature == kZipCentralSig) {
    if (!ReadUntil(r, 46)) return;
    versionNeeded = static_cast<int32_t>(Num(6, 2));
    flags = static_cast<int32_t>(Num(8, 2));
    method = static_cast<int32_t>(Num(10, 2));
    time = FromDosDateTime(Num(12, 4));
    crc = Num(16, 4);
    compressedSize = Num(20, 4);
    uncompressedSize = Num(24, 4);
    r.State().m_nArcAttr = static_cast<int32_t>(Num(38, 4));
    size_t n = Num(28, 2), e = Num(30, 2), c = Num(32, 2);
    if (!ReadUntil(r, 46 + n + e + c)) return;
    if (46 + n > raw.size()) Fail("028");
    name.assign(reinterpret_cast<const char*>(raw.data() + 46), n);
    complete = true;
  } else if (signature == kZipEndSig) {
    complete = ReadUntil(r, 22);
  } else {
    complete = true;
  }
}

void ZipHeader::BuildLocal(std::vector<uint8_t>& b) const {
  if (signature != kZipLocalSig) Fail("031");
  if (name.size() > 0xFFFF) Fail("058");
  b.assign(30 + name.size(), 0);
  Put(b, 0, static_cast<uint32_t>(kZipLocalSig), 4);
  Put(b, 4, static_cast<uint32_t>(versionNeeded), 2);
  Put(b, 6, static_cast<uint32_t>(flags), 2);
  Put(b, 8, static_cast<uint32_t>(method), 2);
  Put(b, 10, ToDosDateTime(time), 4);
  Put(b, 14, crc, 4);
  Put(b, 18, Field32(compressedSize, "053"), 4);
  Put(b, 22, Field32(uncompressedSize, "053"), 4);
  Put(b, 26, name.size(), 2);
  Put(b, 28, 0, 2);
  std::copy(name.begin(), name.end(), b.begin() + 30);
}

void ZipHeader::BuildCentral(uint64_t localOffset, int32_t attr, std::vector<uint8_t>& b) const {
  if (signature != kZipCentralSig) Fail("032");
  if (name.size() > 0xFFFF) Fail("058");
  b.assign(46 + name.size(), 0);
  Put(b, 0, static_cast<uint32_t>(kZipCentralSig), 4);
  Put(b, 4, 20, 2);
  Put(b, 6, static_cast<uint32_t>(versionNeeded), 2);
  Put(b, 8, static_cast<uint32_t>(flags), 2);
  Put(b, 10, static_cast<uint32_t>(method), 2);
  Put(b, 12, ToDosDateTime(time), 4);
  Put(b, 16, crc, 4);
  Put(b, 20, Field32(compressedSize, "053"), 4);
  Put(b, 24, Field32(uncompressedSize, "053"), 4);
  Put(b, 28, name.size(), 2);
  Put(b, 38, static_cast<uint32_t>(attr), 4);
  Put(b, 42, Field32(static_cast<int64_t>(std::min<uint64_t>(localOffset, INT64_MAX)), "055"), 4);
  std::copy(name.begin(), name.end(), b.begin() + 46);
}

void BuildZipEnd(uint64_t entries, uint64_t centralSize, uint64_t centralOffset, std::vector<uint8_t>& b) {
  if (entries > 0xFFFF) Fail("054");
  if (centralSize >= 0xFFFFFFFFull || centralOffset >= 0xFFFFFFFFull ||
      centralOffset + centralSize >= 0xFFFFFFFFull)
    Fail("055");
  b.assign(22, 0);
  Put(b, 0, static_cast<uint32_t>(kZipEndSig), 4);
  Put(b, 8, entries, 2);
  Put(b, 10, entries, 2);
  Put(b, 12, centralSize, 4);
  Put(b, 16, centralOffset, 4);
}

void CheckZipPlan(const std::vector<uint64_t>& sizes, const std::vector<size_t>& names) {
  if (sizes.size() > 0xFFFF || names.size() > 0xFFFF) Fail("054");
  // Worst case of the own encoder: 9 bits per byte plus a block header per
  // 16 KiB; headers twice with the name.
  uint64_t total = 22;
  for (size_t i = 0; i < sizes.size(); ++i) {
    uint64_t n = sizes[i];
    if (n >= 0xFFFFFFFFull) Fail("053");
    size_t name = i < names.size() ? names[i] : 0;
    if (name > 0xFFFF) Fail("058");
    total += 76 + 2 * static_cast<uint64_t>(name) + n + n / 8 + (n / 16384 + 1) * 320;
    if (total >= 0xFFFFFFFFull) Fail("055");
  }
}

bool ZipExtractMember(ZipBitReader& r, const ZipHeader& h, ZipCrc32& sink) {
  if (h.method == 8) {
    Inflater inf(r);
    Inflater::Inflate(inf, sink);
    return true;
  }
  if (h.method != 0) return false;
  for (int64_t left = h.uncompressedSize; left > 0; --left) {
    int b = r.GetByte();
    if (b < 0) Fail("050");
    sink.Put(static_cast<uint8_t>(b));
  }
  return true;
}

}  // namespace arc
