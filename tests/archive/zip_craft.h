// Builds ZIP archives byte by byte for the extraction tests: any member
// (stored or deflated, any name, flags, sizes and CRC), data descriptors with
// or without their signature, and the central directory, which can be left
// out or made to disagree.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/arc_crc.h"
#include "archive/deflater.h"

namespace arc {

struct CraftMember {
  std::string name;
  std::string data;           // uncompressed bytes
  int method = 8;             // 0 or 8 (others: data stored as given)
  int flags = 0;
  bool descriptor = false;    // flag bit 3: sizes and CRC after the data
  bool descriptorSig = true;  // the descriptor's "PK\7\8"
  int64_t crc = -1;           // -1: the real CRC
  int64_t csize = -1, usize = -1;  // -1: the real sizes (local and central)
  int64_t centralCsize = -1, centralUsize = -1, centralCrc = -1;
  int centralMethod = -1;
  std::string centralName;    // empty: the member's name
  uint32_t attr = 0x20;
  std::string extra;          // local and central extra field
};

inline void PutLe(std::string& s, uint64_t v, int n) {
  for (int i = 0; i < n; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

struct CraftOptions {
  bool directory = true;
  std::string prefix;       // bytes in front (offsets stay those of the archive)
  std::string comment;
  std::string trailing;     // bytes after the end record
};

inline std::string CraftZip(const std::vector<CraftMember>& ms, const CraftOptions& o = CraftOptions()) {
  std::string out, central;
  for (const CraftMember& m : ms) {
    std::string packed = m.data;
    if (m.method == 8) {
      std::vector<uint8_t> d =
          DeflateBytes(reinterpret_cast<const uint8_t*>(m.data.data()), m.data.size());
      packed.assign(d.begin(), d.end());
    }
    uint32_t realCrc = Crc32(reinterpret_cast<const uint8_t*>(m.data.data()), m.data.size());
    uint32_t crc = m.crc >= 0 ? static_cast<uint32_t>(m.crc) : realCrc;
    uint64_t cs = m.csize >= 0 ? static_cast<uint64_t>(m.csize) : packed.size();
    uint64_t us = m.usize >= 0 ? static_cast<uint64_t>(m.usize) : m.data.size();
    int flags = m.flags | (m.descriptor ? 8 : 0);
    uint64_t offset = out.size();
    out += "PK\x03\x04";
    PutLe(out, 20, 2);
    PutLe(out, static_cast<uint64_t>(flags), 2);
    PutLe(out, static_cast<uint64_t>(m.method), 2);
    PutLe(out, 0x58A57000u, 4);
    PutLe(out, m.descriptor ? 0 : crc, 4);
    PutLe(out, m.descriptor ? 0 : cs, 4);
    PutLe(out, m.descriptor ? 0 : us, 4);
    PutLe(out, m.name.size(), 2);
    PutLe(out, m.extra.size(), 2);
    out += m.name + m.extra + packed;
    if (m.descriptor) {
      if (m.descriptorSig) out += "PK\x07\x08";
      PutLe(out, crc, 4);
      PutLe(out, cs, 4);
      PutLe(out, us, 4);
    }
    std::string cname = m.centralName.empty() ? m.name : m.centralName;
    central += "PK\x01\x02";
    PutLe(central, 20, 2);
    PutLe(central, 20, 2);
    PutLe(central, static_cast<uint64_t>(flags), 2);
    PutLe(central, static_cast<uint64_t>(m.centralMethod >= 0 ? m.centralMethod : m.method), 2);
    PutLe(central, 0x58A57000u, 4);
    PutLe(central, m.centralCrc >= 0 ? static_cast<uint64_t>(m.centralCrc) : crc, 4);
    PutLe(central, m.centralCsize >= 0 ? static_cast<uint64_t>(m.centralCsize) : cs, 4);
    PutLe(central, m.centralUsize >= 0 ? static_cast<uint64_t>(m.centralUsize) : us, 4);
    PutLe(central, cname.size(), 2);
    PutLe(central, m.extra.size(), 2);
    PutLe(central, 0, 2);
    PutLe(central, 0, 2);
    PutLe(central, 0, 2);
    PutLe(central, m.attr, 4);
    PutLe(central, offset, 4);
    central += cname + m.extra;
  }
  if (o.directory) {
    uint64_t cdOffset = out.size();
    out += central;
    out += "PK\x05\x06";
    PutLe(out, 0, 4);
    PutLe(out, ms.size(), 2);
    PutLe(out, ms.size(), 2);
    PutLe(out, central.size(), 4);
    PutLe(out, cdOffset, 4);
    PutLe(out, o.comment.size(), 2);
    out += o.comment;
  }
  return o.prefix + out + o.trailing;
}

}  // namespace arc
