// Office packages made in memory for the package tests: a ZIP of stored
// members with their CRC-32, as any writer of these files makes them.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "archive/arc_crc.h"

namespace ooxmltest {

inline void Put16(std::string& s, unsigned v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>(v >> 8 & 0xFF);
}
inline void Put32(std::string& s, std::uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}

using Members = std::vector<std::pair<std::string, std::string>>;

inline std::string StoredZip(const Members& members) {
  std::string zip, central;
  for (const auto& m : members) {
    const std::uint32_t crc =
        arc::Crc32(reinterpret_cast<const std::uint8_t*>(m.second.data()), m.second.size());
    const std::uint32_t offset = static_cast<std::uint32_t>(zip.size());
    Put32(zip, 0x04034b50);
    Put16(zip, 20);
    Put16(zip, 0);
    Put16(zip, 0);  // stored
    Put16(zip, 0);
    Put16(zip, 0x21);
    Put32(zip, crc);
    Put32(zip, static_cast<std::uint32_t>(m.second.size()));
    Put32(zip, static_cast<std::uint32_t>(m.second.size()));
    Put16(zip, static_cast<unsigned>(m.first.size()));
    Put16(zip, 0);
    zip += m.first;
    zip += m.second;
    Put32(central, 0x02014b50);
    Put16(central, 20);
    Put16(central, 20);
    Put16(central, 0);
    Put16(central, 0);
    Put16(central, 0);
    Put16(central, 0x21);
    Put32(central, crc);
    Put32(central, static_cast<std::uint32_t>(m.second.size()));
    Put32(central, static_cast<std::uint32_t>(m.second.size()));
    Put16(central, static_cast<unsigned>(m.first.size()));
    Put16(central, 0);
    Put16(central, 0);
    Put16(central, 0);
    Put16(central, 0);
    Put32(central, 0);
    Put32(central, offset);
    central += m.first;
  }
  const std::uint32_t at = static_cast<std::uint32_t>(zip.size());
  zip += central;
  Put32(zip, 0x06054b50);
  Put16(zip, 0);
  Put16(zip, 0);
  Put16(zip, static_cast<unsigned>(members.size()));
  Put16(zip, static_cast<unsigned>(members.size()));
  Put32(zip, static_cast<std::uint32_t>(central.size()));
  Put32(zip, at);
  Put16(zip, 0);
  return zip;
}

}  // namespace ooxmltest
