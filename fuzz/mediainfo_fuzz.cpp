// The media information text over any bytes, in each of its forms (MIDI,
// WAV, MP3, Windows Media, video), against small models of what the head
// holds:
//  - WAV: the sample rate (32 bits at 24), bits (byte 34) and channels (byte
//    22), and the length from the RIFF size in one exact division; a head
//    under 36 bytes shows the title alone;
//  - MIDI: every text event (FF 01-09, a length byte, the text) found by a
//    walk of its own, each on a line, in order;
//  - video: the title alone;
//  - MP3: the tail tag (from "TAG" in the last 2000 bytes of the file, its
//    bytes above 0x1F) on the first line, then each ID3v2 frame below offset
//    1000 (upper-case id, 16-bit size at byte 6 of its header), its text as
//    bytes or, after an 0xFF mark, as UTF-16 units in the code page, with
//    "WM" starting a line;
//  - Windows Media: the three text objects of the header (content
//    description, extended content description, codec list), found by a walk
//    over the objects within the header's size, their UTF-16 text with the
//    number and time values of the extended description;
//  - every form: the text stays within a few bytes for each byte held.
// The head is an exact-size copy, so a read past it is found.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "convert/media_info.h"
#include "fw/codepage.h"

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

std::uint32_t Le16(const std::vector<std::uint8_t>& h, std::size_t at) { return h[at] | h[at + 1] << 8; }

// One UTF-16 unit as the text shows it: its code-page bytes above 0x1F, or
// `missing` when the code page has no such character.
std::string UnitText(std::uint32_t unit, const char* missing) {
  const char16_t u = static_cast<char16_t>(unit);
  const std::string bytes = fw::Utf16ToCp932(&u, 1);
  if (bytes == "?" && u != u'?') return missing;
  std::string text;
  for (char c : bytes)
    if (static_cast<unsigned char>(c) > 0x1F) text += c;
  return text;
}

std::string Printable(const std::uint8_t* p, std::size_t n) {
  std::string text;
  for (std::size_t i = 0; i < n; ++i)
    if (p[i] > 0x1F) text += static_cast<char>(p[i]);
  return text;
}

std::string Mp3Model(const std::vector<std::uint8_t>& h) {
  std::string text = "\n\n ";
  const std::size_t from = h.size() < 2000 ? 0 : h.size() - 2000;
  const std::string tail(h.begin() + static_cast<std::ptrdiff_t>(from), h.end());
  const std::size_t tag = tail.find("TAG");
  if (tag != std::string::npos) text += Printable(h.data() + from + tag, tail.size() - tag);
  text += "\r\n";
  for (std::size_t pos = 10; pos < 1000 && pos + 10 <= h.size();) {
    if (h[pos] < 'A' || h[pos] > 'Z' || h[pos + 1] < 'A' || h[pos + 1] > 'Z') break;
    const std::size_t end = pos + 10 + (h[pos + 6] << 8 | h[pos + 7]);
    const std::size_t held = end < h.size() ? end : h.size();
    std::string frame = " ";
    std::size_t mark = pos + 10;
    while (mark < held && h[mark] != 0xFF) ++mark;
    if (mark < held) {
      frame += '\n';
      for (std::size_t at = mark + 2; at + 2 <= held; at += 2) frame += UnitText(Le16(h, at), "  ");
    } else {
      frame += Printable(h.data() + pos + 10, held - pos - 10);
    }
    // "WM" (a Windows Media name) starts a line, left to right.
    for (std::size_t i = 0; i + 1 < frame.size(); ++i)
      if (frame[i] == 'W' && frame[i + 1] == 'M') frame.replace(i, 2, "\r");
    text += frame;
    if (end > h.size()) break;
    pos = end;
  }
  return text;
}

std::string AsfModel(const std::vector<std::uint8_t>& h) {
  std::string text = "\n\n ";
  if (h.size() < 18) return text;
  std::size_t headerEnd = Le16(h, 16);
  headerEnd = std::min<std::size_t>(std::min<std::size_t>(headerEnd, 8000), h.size());
  // First four GUID bytes of each text object, and where its text starts
  // after the GUID.
  static const struct {
    std::uint8_t guid[4];
    std::size_t text;
  } kObjects[] = {{{0x33, 0x26, 0xB2, 0x75}, 18}, {{0x40, 0xA4, 0xD0, 0xD2}, 0}, {{0x40, 0x52, 0xD1, 0x86}, 28}};
  const std::size_t limit = 2000 + 2;  // the text counts from its " ", after "\n\n"
  for (std::size_t pos = 30; pos + 24 <= h.size() && pos < headerEnd && text.size() < limit;) {
    const std::size_t size = Le16(h, pos + 16);
    if (size < 24) break;
    for (const auto& o : kObjects) {
      if (std::memcmp(h.data() + pos, o.guid, 4) != 0) continue;
      const std::size_t end = std::min(pos + size, headerEnd);
      for (std::size_t at = pos + 16 + o.text; at + 2 <= end && text.size() < limit;) {
        const std::uint32_t unit = Le16(h, at), next = at + 4 <= end ? Le16(h, at + 2) : 0x10000;
        if (unit == 0 && next == 0) {
          text += "  ";
          at += 4;
        } else if (unit == 3 && next == 4 && at + 8 <= end) {
          text += std::to_string(Le32(h, at + 4) & 0xFFFFFF);
          at += 8;
        } else if (unit == 4 && next == 8 && at + 12 <= end) {
          text += convert::FormatMediaTime(Le32(h, at + 4) | static_cast<std::uint64_t>(Le32(h, at + 8)) << 32);
          at += 12;
        } else if (unit == 'W' && next == 'M' && at + 6 <= end && (Le16(h, at + 4) == '/' || Le16(h, at + 4) == 'F')) {
          text += "\r\n ";
          at += 4;
        } else {
          text += UnitText(unit, " ");
          at += 2;
        }
      }
      text += "\r\n ";
    }
    pos += size;
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
      if (text != audio + (form.extension[1] == 'p' ? Mp3Model(head) : AsfModel(head))) Fail();
      break;
  }
  // The tail tag (2000 bytes at most) and the frames below offset 1000, the
  // header objects as UTF-16 units, the text events: never more than a few
  // bytes of text for each byte held.
  if (text.size() > audio.size() + 8 + 4 * head.size()) Fail();
  return 0;
}
