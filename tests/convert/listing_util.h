// Small ZIP and LZH archives and wave headers built byte by byte for the
// converter and open tests, and a listing run over bytes in memory.
#pragma once

#include <cstdint>
#include <string>

#include "convert/archive_listing.h"
#include "convert/load_buffer.h"
#include "convert/source_file.h"

namespace convert_test {

inline void Put16(std::string& s, std::uint32_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>(v >> 8 & 0xFF);
}

inline void Put32(std::string& s, std::uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}

// A local header and its data; sizes as given (the data as it is).
inline std::string ZipMember(const std::string& name, const std::string& data, std::uint32_t compressed,
                             std::uint32_t original, std::uint16_t date = 0x5A21, std::uint16_t time = 0x6000) {
  std::string s = "PK\x03\x04";
  Put16(s, 20);
  Put16(s, 0);
  Put16(s, 0);
  Put16(s, time);
  Put16(s, date);
  Put32(s, 0);
  Put32(s, compressed);
  Put32(s, original);
  Put16(s, static_cast<std::uint32_t>(name.size()));
  Put16(s, 0);
  return s + name + data;
}

inline std::string ZipStored(const std::string& name, const std::string& data) {
  auto n = static_cast<std::uint32_t>(data.size());
  return ZipMember(name, data, n, n);
}

// A central directory record start, enough to end the member walk.
inline std::string ZipCentralTail() { return std::string("PK\x01\x02", 4) + std::string(60, '\0'); }

// A level-0 LZH header of one stored member and its data (no end mark).
inline std::string LzhLevel0(const std::string& name, const std::string& data, char system = 0) {
  std::string h = "-lh0-";
  Put32(h, static_cast<std::uint32_t>(data.size()));
  Put32(h, static_cast<std::uint32_t>(data.size()));
  Put32(h, 0);
  h += '\x20';
  h += '\0';
  h += static_cast<char>(name.size());
  h += name;
  Put16(h, 0);
  if (system) h += system;
  return static_cast<char>(h.size()) + std::string(1, '\0') + h + data;
}

// A PCM wave header of `dataBytes` of samples (the samples themselves left out).
inline std::string Wave(std::uint32_t rate, int bits, int channels, std::uint32_t dataBytes) {
  std::string s = "RIFF";
  Put32(s, 36 + dataBytes);
  s += "WAVEfmt ";
  Put32(s, 16);
  Put16(s, 1);
  Put16(s, static_cast<std::uint32_t>(channels));
  Put32(s, rate);
  Put32(s, rate * static_cast<std::uint32_t>(bits / 8 * channels));
  Put16(s, static_cast<std::uint32_t>(bits / 8 * channels));
  Put16(s, static_cast<std::uint32_t>(bits));
  s += "data";
  Put32(s, dataBytes);
  return s;  // the samples do not matter
}

inline std::string ListZip(const std::string& bytes, std::int64_t outdata = 1 << 20) {
  convert::MemorySource file(bytes.data(), bytes.size());
  convert::LoadBuffer out;
  convert::ListZipArchive(file, outdata, out);
  return std::string(out.Data(), out.Size());
}

inline std::string ListLzh(const std::string& bytes, std::int64_t outdata = 1 << 20) {
  convert::MemorySource file(bytes.data(), bytes.size());
  convert::LoadBuffer out;
  convert::ListLzhArchive(file, outdata, out);
  return std::string(out.Data(), out.Size());
}

// The member lines of a listing: the lines between its two rule lines.
inline std::string MemberLines(const std::string& listing) {
  std::size_t first = listing.find("---\r\n");
  std::size_t last = listing.rfind("\r\n", listing.rfind("---\r\n"));
  if (first == std::string::npos || last == std::string::npos || last <= first) return "";
  first += 5;
  return listing.substr(first, last + 2 > first ? last + 2 - first : 0);
}

inline std::string TotalsLine(const std::string& listing) {
  std::size_t rule = listing.rfind("---\r\n");
  return rule == std::string::npos ? "" : listing.substr(rule + 5);
}

}  // namespace convert_test
