#include "archive/lzh_header.h"

#include <algorithm>
#include <cstring>

#include "archive/arc_error.h"
#include "archive/arc_path.h"
#include "archive/lzh_decoder.h"

namespace arc {

int64_t LzhHeader::ReadMore(ArcBitReader& r, size_t n) {
  while (raw.size() < n) {
    int b = r.GetByte();
    if (b < 0) return -1;
    raw.push_back(static_cast<uint8_t>(b));
  }
  return static_cast<int64_t>(n);
}

uint32_t LzhHeader::Num(size_t at, int bytes, size_t held) const {
  if (at + static_cast<size_t>(bytes) > held) Fail("060");
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | raw[at + static_cast<size_t>(i)];
  return v;
}

void LzhHeader::ReadExtended(ArcBitReader& r, uint32_t size, size_t pos, bool fromStream) {
  size_t crcAt = 0;
  bool haveCrc = false;
  uint16_t storedCrc = 0;
  uint64_t extBytes = 0;
  while (size != 0) {
    if (size < 3) Fail("056");
    if (fromStream && ReadMore(r, pos + size) < 0) Fail("060");
    if (pos + size > raw.size()) Fail("060");
    const uint8_t* ext = raw.data() + pos;
    uint8_t type = ext[0];
    size_t body = size - 3;
    if (type == 0) {
      if (size < 5) Fail("060");
      haveCrc = true;
      crcAt = pos + 1;
      storedCrc = static_cast<uint16_t>(ext[1] | ext[2] << 8);
    } else if (type == 1) {
      fileName.assign(reinterpret_cast<const char*>(ext + 1), body);
    } else if (type == 2) {
      std::string dir(reinterpret_cast<const char*>(ext + 1), body);
      for (char& c : dir)
        if (static_cast<unsigned char>(c) == 0xFF) c = '/';
      folderName = dir;
    } else {
      unknownExt.emplace_back(ext, ext + size - 2);
    }
    extBytes += size;
    size_t here = size;
    size = static_cast<uint32_t>(ext[here - 2] | ext[here - 1] << 8);
    pos += here;
  }
  if (haveCrc) {
    Crc16Table crc(0xA001, 0);
    for (size_t i = 0; i < raw.size(); ++i) crc.Update(i == crcAt || i == crcAt + 1 ? 0 : raw[i]);
    headerOk = crc.Value() == storedCrc;
  }
  if (level == 1) {
    // A level-1 packed size counts the extended headers as well.
    if (extBytes > packedSize) Fail("057");
    dataSize = packedSize - extBytes;
  }
}

bool LzhHeader::Read(ArcBitReader& r) {
  raw.clear();
  level = -1;
  method.clear();
  fileName.clear();
  folderName.clear();
  unknownExt.clear();
  headerOk = false;
  int first = r.GetByte();
  if (first <= 0) {
    // The end of the archive, or its end mark.
    return false;
  }
  raw.push_back(static_cast<uint8_t>(first));
  ReadMore(r, 21);
  if (raw.size() < 7) Fail("059");
  method.assign(reinterpret_cast<const char*>(raw.data() + 2), 5);
  if (raw.size() < 21) Fail("060");
  int lv = raw[20];
  if (lv != 0 && lv != 1 && lv != 2) Fail("061");
  level = lv;

  if (lv == 0 || lv == 1) {
    size_t h = raw[0];
    if (ReadMore(r, h + 2) < 0) Fail("060");
    size_t held = std::min(raw.size(), h + 2);
    unsigned sum = 0;
    for (size_t i = 2; i < held; ++i) sum += raw[i];
    headerOk = (sum & 0xFF) == raw[1];
    packedSize = Num(7, 4, held);
    origSize = Num(11, 4, held);
    time = FromDosDateTime(Num(15, 4, held));
    size_t n = Num(21, 1, held);
    if (22 + n > held) Fail("059");
    fileName.assign(reinterpret_cast<const char*>(raw.data() + 22), n);
    dataCrc = static_cast<uint16_t>(Num(22 + n, 2, held));
    dataSize = packedSize;
    if (lv == 0) {
      // Level-0 names use '\' as the folder separator.
      fileName = SlashForm(fileName);
    } else {
      os = static_cast<uint8_t>(Num(24 + n, 1, held));
      uint32_t ext = Num(h, 2, held);
      ReadExtended(r, ext, h + 2, true);
    }
  } else {
    size_t t = Num(0, 2, raw.size());
    if (ReadMore(r, t) < 0) Fail("060");
    size_t held = std::min(raw.size(), t);
    packedSize = Num(7, 4, held);
    origSize = Num(11, 4, held);
    time = FromUnixTime(Num(15, 4, held));
    dataCrc = static_cast<uint16_t>(Num(21, 2, held));
    os = static_cast<uint8_t>(Num(23, 1, held));
    uint32_t ext = Num(24, 2, held);
    dataSize = packedSize;
    // The extended headers lie inside the t bytes already held.
    raw.resize(held);
    ReadExtended(r, ext, 26, false);
  }
  // The folder part of the file name moves to the folder name.
  std::vector<char> mask = LeadByteMask(fileName);
  for (size_t i = fileName.size(); i-- > 0;) {
    if (fileName[i] == '/' && !mask[i]) {
      folderName = PathForm(folderName) + fileName.substr(0, i + 1);
      fileName.erase(0, i + 1);
      break;
    }
  }
  // A folder always ends in '/' so that folder + file is the member's path.
  folderName = PathForm(folderName);
  dataStart = r.Tell();
  return true;
}

void LzhExtractMember(ArcBitReader& r, const LzhHeader& h, LzhCrc16& sink, bool wideWindows) {
  const uint64_t end = h.dataStart + h.dataSize;
  if (h.method == "-lhd-") {
    r.SkipTo(end);
    return;
  }
  int dictBits = h.method == "-lh5-" ? 13 : !wideWindows ? 0 : h.method == "-lh6-" ? 15 : h.method == "-lh7-" ? 16 : 0;
  if (h.method != "-lh0-" && dictBits == 0) Fail("083");
  r.SetLimit(end);
  if (h.method == "-lh0-") {
    uint8_t chunk[1 << 14];
    int64_t left = sink.Target() - sink.Count();
    while (left > 0) {
      size_t want = static_cast<size_t>(std::min<int64_t>(left, sizeof(chunk)));
      size_t got = r.ReadBytes(chunk, want);
      sink.Write(chunk, got);
      left -= static_cast<int64_t>(got);
      if (got < want) Fail("050");
    }
  } else {
    LzhDecoder dec(r, dictBits);
    LzhDecoder::Decode(dec, sink);
  }
  r.ClearLimit();
  r.SkipTo(end);
}

}  // namespace arc
