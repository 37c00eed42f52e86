// Stream copies for the Word reader's tests: streams laid out one after the
// other in one buffer from offset 512, the way the compound reader leaves
// them, with each slot's offset and size.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "convert/load_buffer.h"
#include "convert/word_text.h"

namespace word_test {

struct Copies {
  std::string buffer;           // the copies
  convert::WordStreams streams; // pointing into `buffer`

  // Streams by slot (an empty string: absent).
  void Build(const std::vector<std::string>& slots) {
    buffer.assign(512, '\0');
    std::vector<std::int32_t> at(slots.size());
    for (std::size_t i = 0; i < slots.size() && i < convert::kWordSlots; ++i) {
      if (slots[i].empty()) continue;
      at[i] = static_cast<std::int32_t>(buffer.size());
      buffer += slots[i];
      // Sector-sized copies, as the compound reader makes them.
      buffer.append((512 - slots[i].size() % 512) % 512, '\0');
    }
    streams = convert::WordStreams();
    streams.data = reinterpret_cast<const std::uint8_t*>(buffer.data());
    streams.size = buffer.size();
    for (std::size_t i = 0; i < slots.size() && i < convert::kWordSlots; ++i) {
      streams.slot[i] = at[i];
      streams.slotSize[i] = static_cast<std::int32_t>(slots[i].size());
    }
  }
};

inline std::string Text(const convert::WordStreams& s, const convert::WordRequest& req,
                        const std::vector<convert::WordPicture>& pictures = {}) {
  convert::LoadBuffer out;
  convert::WordCompoundToText(s, req, out, pictures);
  return std::string(out.Data(), out.Size());
}

inline void Put16(std::string& s, std::size_t at, std::uint32_t v) {
  if (s.size() < at + 2) s.resize(at + 2, '\0');
  s[at] = static_cast<char>(v & 0xFF);
  s[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
inline void Put32(std::string& s, std::size_t at, std::uint32_t v) {
  Put16(s, at, v & 0xFFFF);
  Put16(s, at + 2, v >> 16);
}

}  // namespace word_test
