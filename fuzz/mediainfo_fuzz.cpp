// The media information text over any bytes, in each of its forms (MIDI,
// WAV, MP3, Windows Media, video), against small models of what the head
// holds:
//  - WAV: the sample rate (32 bits at 24), bits (byte 34) and channels (byte
//    22), and the length from the RIFF size in one exact division; a head
//    under 36 bytes shows the title alone;
//  - MIDI: every text event (FF 01-09, a length byte, the text) found by a
//    walk of its own, each on a line, in order;
//  - video: the title alone;
//  - MP3 and Windows Media: the text is bounded by the bytes it comes from.
// The head is an exact-size copy, so a read past it is found.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "convert/media_info.h"

namespace {

[[noreturn]] void Fail() { __builtin_trap(); }

const char kRule[] = "\n -------------------------------------------------------------\n";

std::uint32_t Le32(const std::vector<std::uint8_t>& h, std::size_t at) {
  return h[at] | h[at + 1] << 8 | h[at + 2] << 16 | static_cast<std::uint32_t>(h[at + 3]) << 24;
}

std::string WaveModel(const std::vector<std::uint8_t>& h) {
  if (h.size() < 36) return "";
  const unsigned channels = h[22], bits = h[34];
  const std::uint32_t rate = Le32(h, 24);
  char line[200];
  std::snprintf(line, sizeof line, "\n\n Sampling frequency %u Hz\n bit/sample %u\n channel number %u", rate, bits,
                channels);
  std::string text = line;
  const unsigned __int128 bytesPerSecond = static_cast<unsigned __int128>(rate) * (bits / 8 * channels);
  if (bytesPerSecond == 0) return text;
  const unsigned long long ms =
      static_cast<unsigned long long>(static_cast<unsigned __int128>(Le32(h, 4)) * 1000 / bytesPerSecond);
  std::snprintf(line, sizeof line, "\n length %llu.%03llu sec ( %llu min %llu.%03llu sec)", ms / 1000, ms % 1000,
                ms / 1000 / 60, ms / 1000 % 60, ms % 1000);
  return text + line;
}

std::string MidiModel(const std::vector<std::uint8_t>& h) {
  std::string text;
  std::size_t i = 1;
  while (i + 3 <= h.size()) {
    const std::uint8_t* at = static_cast<const std::uint8_t*>(std::memchr(h.data() + i, 0xFF, h.size() - i));
    if (!at) break;
    i = static_cast<std::size_t>(at - h.data());
    if (i + 3 > h.size()) break;
    const unsigned type = h[i + 1], length = h[i + 2];
    if (type < 1 || type > 9) {
      ++i;
      continue;
    }
    if (i + 3 + length > h.size()) break;
    text += " " + std::string(h.begin() + static_cast<std::ptrdiff_t>(i + 3),
                              h.begin() + static_cast<std::ptrdiff_t>(i + 3 + length)) + "\r\n";
    i += 3 + length;
  }
  return text;
}

}  // namespace

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
  if (out.Size() < 12 || out.Size() > out.Capacity()) Fail();
  const std::string text(out.Data(), out.Size());
  const std::string audio = std::string(" Audio file") + kRule;
  switch (form.kind) {
    case 51:
      if (text != std::string(" MIDI  file") + kRule + "\r\n\r\n" + MidiModel(head)) Fail();
      break;
    case 52:
      if (text != audio + WaveModel(head)) Fail();
      break;
    case 53:
      if (text != std::string(" Video file") + kRule) Fail();
      break;
    default:
      // The tail tag (2000 bytes at most) and the frames below offset 1000,
      // or the header objects as UTF-16 units: never more than a few bytes
      // of text for each byte held.
      if (text.compare(0, audio.size(), audio) != 0) Fail();
      if (text.size() > audio.size() + 8 + 4 * head.size()) Fail();
      break;
  }
  return 0;
}
