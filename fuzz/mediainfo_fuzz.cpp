// The media information text over any bytes, in each of its forms (MIDI,
// WAV, MP3, Windows Media, video): it ends, starts with its title, and reads
// nothing past the bytes given (the head is an exact-size copy).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "convert/media_info.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  static const struct {
    int kind;
    const char* extension;
  } kForms[] = {{51, "mid"}, {52, "wav"}, {56, "mp3"}, {56, "wma"}, {53, "avi"}};
  const auto& form = kForms[data[0] % (sizeof kForms / sizeof kForms[0])];
  std::vector<std::uint8_t> head(data + 1, data + size);
  convert::MemorySource file(head.data(), head.size());
  convert::MediaFile m;
  m.kind = form.kind;
  m.extension = form.extension;
  m.head = head.data();
  m.headSize = head.size();
  m.file = &file;
  convert::LoadBuffer out;
  convert::WriteMediaInfo(m, out);
  if (out.Size() < 12 || out.Size() > out.Capacity()) __builtin_trap();
  if (std::strncmp(out.Data() + 6, " file", 5) != 0) __builtin_trap();
  return 0;
}
