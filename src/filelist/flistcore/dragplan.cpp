#include "filelist/flistcore/dragplan.h"

#include <cstring>

namespace flist {

std::vector<std::string> MarkedPathsUpTo(const EntryTable& t, int cursor,
                                         const std::function<std::string(int)>& pathOf) {
  std::vector<std::string> out;
  if (!t.m_pMarks) return out;
  const int last = cursor < t.m_nCapacity ? cursor : t.m_nCapacity - 1;
  for (int i = 0; i <= last; ++i)
    if (t.m_pMarks[i]) out.push_back(pathOf(i));
  return out;
}

namespace {

void PutU32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t GetU32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace

std::vector<std::uint8_t> BuildDropBlock(const std::vector<std::string>& paths, std::size_t* taken) {
  std::vector<std::uint8_t> b(kDropBlockBytes, 0);
  // DROPFILES: pFiles, pt.x, pt.y, fNC, fWide.
  PutU32(b.data(), static_cast<std::uint32_t>(kDropHeaderBytes));
  std::size_t pos = kDropHeaderBytes;
  std::size_t n = 0;
  for (const std::string& p : paths) {
    // A NUL inside a name would end the list early; such a name is cut there.
    const std::size_t len = std::strlen(p.c_str());
    if (len == 0) continue;
    // The name, its NUL and the closing NUL must stay inside the block.
    if (pos + len + 1 + 1 > kDropBlockBytes) break;
    std::memcpy(b.data() + pos, p.data(), len);
    pos += len + 1;
    ++n;
  }
  if (taken) *taken = n;
  return b;
}

std::vector<std::string> ReadDropBlock(const std::vector<std::uint8_t>& block) {
  std::vector<std::string> out;
  if (block.size() < kDropHeaderBytes) return out;
  std::size_t pos = GetU32(block.data());
  while (pos < block.size()) {
    std::size_t end = pos;
    while (end < block.size() && block[end] != 0) ++end;
    if (end == pos || end == block.size()) break;
    out.emplace_back(reinterpret_cast<const char*>(block.data() + pos), end - pos);
    pos = end + 1;
  }
  return out;
}

}  // namespace flist
