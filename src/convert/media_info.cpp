#include "convert/media_info.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "fw/codepage.h"

namespace convert {
namespace {

constexpr int kKindMidi = 51;
constexpr int kKindWave = 52;
constexpr int kKindAudio = 56;        // ".mp3" ".wma"
constexpr std::size_t kMp3Tail = 2000;  // the tail tag is looked for in these last bytes
constexpr std::size_t kId3FramesBelow = 1000;
constexpr std::size_t kAsfHeaderMax = 8000;
constexpr std::size_t kAsfFirstObject = 30;
constexpr std::size_t kAsfObjectMin = 24;  // its GUID and its size
constexpr std::size_t kAsfTextMax = 2000;
constexpr std::size_t kUnitBytesMax = 100;

constexpr char kRule[] = "\n -------------------------------------------------------------\n";

// The ASF objects whose text is shown: first four GUID bytes, where their
// text starts after the GUID.
struct AsfObject {
  std::uint8_t guid[4];
  std::size_t textAfterGuid;
};
constexpr AsfObject kAsfObjects[] = {
    {{0x33, 0x26, 0xB2, 0x75}, 18},  // content description
    {{0x40, 0xA4, 0xD0, 0xD2}, 0},   // extended content description
    {{0x40, 0x52, 0xD1, 0x86}, 28},  // codec list
};

// Days from 1601-01-01 to the day the calendar below counts as day 0 of
// 1900. The calendar takes every fourth year as a leap year, 1900 included,
// so it is one day ahead of the real one after February 1900.
constexpr std::uint64_t kDaysFrom1601 = 109207 - 1;
constexpr int kMonthStart[13] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365};

struct Bytes {
  const std::uint8_t* p;
  std::size_t n;
  bool Has(std::size_t at, std::size_t len) const { return at <= n && len <= n - at; }
  std::uint32_t U16(std::size_t at) const { return p[at] | static_cast<std::uint32_t>(p[at + 1]) << 8; }
  std::uint32_t U32(std::size_t at) const { return U16(at) | U16(at + 2) << 16; }
  std::uint64_t U64(std::size_t at) const { return U32(at) | static_cast<std::uint64_t>(U32(at + 4)) << 32; }
};

// One UTF-16 unit in the system code page; a unit it lacks ("?" alone)
// becomes `blanks`. Only bytes above 0x1F are kept.
void AppendUnit(std::string& text, char16_t unit, const char* blanks) {
  std::string sjis = fw::Utf16ToCp932(&unit, 1);
  if (sjis.size() > kUnitBytesMax) sjis.resize(kUnitBytesMax);
  if (sjis == "?" && unit != u'?') {
    text += blanks;
    return;
  }
  for (char c : sjis) {
    if (static_cast<unsigned char>(c) > 0x1F) text += c;
  }
}

void AppendPrintable(std::string& text, const std::uint8_t* p, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    if (p[i] > 0x1F) text += static_cast<char>(p[i]);
  }
}

// "WM" in tag text (a Windows Media attribute name) starts a line.
void BreakAtWm(std::string& text, std::size_t from) {
  for (std::size_t at; (at = text.find("WM", from)) != std::string::npos; from = at + 1) text.replace(at, 2, "\r");
}

std::string WaveFields(const Bytes& h) {
  // The fields run to byte 35; a shorter head has none.
  if (!h.Has(0, 36)) return "";
  const std::uint64_t riff = h.U32(4);
  const unsigned channels = h.p[22];
  const std::uint32_t rate = h.U32(24);
  const unsigned bits = h.p[34];
  char line[200];
  std::snprintf(line, sizeof line, "\n\n Sampling frequency %u Hz\n bit/sample %u\n channel number %u", rate, bits,
                channels);
  std::string text = line;
  const std::uint64_t frame = bits / 8 * channels;
  if (rate == 0 || frame == 0) return text;
  const std::uint64_t ms = riff * 1000 / rate / frame;
  const unsigned long long seconds = ms / 1000, rest = ms % 1000;
  std::snprintf(line, sizeof line, "\n length %llu.%03llu sec ( %llu min %llu.%03llu sec)", seconds, rest,
                seconds / 60, seconds % 60, rest);
  return text + line;
}

std::string Mp3Tags(const MediaFile& m, const Bytes& h) {
  std::string text = " ";
  if (m.file) {
    const std::int64_t length = m.file->Length();
    const std::int64_t from = length < static_cast<std::int64_t>(kMp3Tail) ? 0 : length - static_cast<std::int64_t>(kMp3Tail);
    std::vector<std::uint8_t> tail;
    ReadWindow(*m.file, from, kMp3Tail, tail);
    for (std::size_t i = 0; i + 3 <= tail.size(); ++i) {
      if (std::memcmp(tail.data() + i, "TAG", 3) == 0) {
        AppendPrintable(text, tail.data() + i, tail.size() - i);
        break;
      }
    }
  }
  text += "\r\n";
  // ID3v2 frames after the 10-byte tag header: a 4-letter id, a 32-bit size
  // (its low 16 bits are read), 2 flag bytes, then the data.
  for (std::size_t pos = 10; pos < kId3FramesBelow && h.Has(pos, 10);) {
    const std::uint8_t a = h.p[pos], b = h.p[pos + 1];
    if (a < 'A' || a > 'Z' || b < 'A' || b > 'Z') break;
    const std::size_t end = pos + 10 + (static_cast<std::size_t>(h.p[pos + 6]) << 8 | h.p[pos + 7]);
    const std::size_t held = end < h.n ? end : h.n;
    const std::size_t mark = text.size();
    text += ' ';
    const std::uint8_t* data = h.p + pos + 10;
    const std::size_t dataSize = held - (pos + 10);
    const void* bom = std::memchr(data, 0xFF, dataSize);
    if (bom) {
      text += '\n';
      for (std::size_t at = static_cast<const std::uint8_t*>(bom) - h.p + 2; at + 2 <= held; at += 2) {
        AppendUnit(text, static_cast<char16_t>(h.U16(at)), "  ");
      }
    } else {
      AppendPrintable(text, data, dataSize);
    }
    BreakAtWm(text, mark);
    if (end > h.n) break;  // the frame runs past the bytes held
    pos = end;
  }
  return text;
}

std::string AsfText(const Bytes& h) {
  std::string text = " ";
  if (!h.Has(16, 2)) return text;
  std::size_t headerEnd = h.U16(16);
  if (headerEnd > kAsfHeaderMax) headerEnd = kAsfHeaderMax;
  if (headerEnd > h.n) headerEnd = h.n;
  for (std::size_t pos = kAsfFirstObject; h.Has(pos, kAsfObjectMin) && pos < headerEnd && text.size() < kAsfTextMax;) {
    const std::size_t size = h.U16(pos + 16);
    if (size < kAsfObjectMin) break;  // a damaged object would hold the walk
    const AsfObject* known = nullptr;
    for (const AsfObject& o : kAsfObjects) {
      if (std::memcmp(h.p + pos, o.guid, 4) == 0) known = &o;
    }
    if (known) {
      std::size_t end = pos + size < headerEnd ? pos + size : headerEnd;
      std::size_t at = pos + 16 + known->textAfterGuid;
      while (at + 2 <= end && text.size() < kAsfTextMax) {
        const std::uint32_t unit = h.U16(at);
        const bool hasNext = at + 4 <= end;
        const std::uint32_t next = hasNext ? h.U16(at + 2) : 0xFFFFFFFF;
        if (unit == 0 && next == 0) {
          text += "  ";
          at += 4;
        } else if (unit == 3 && next == 4 && at + 8 <= end) {
          text += std::to_string(h.U32(at + 4) & 0xFFFFFF);
          at += 8;
        } else if (unit == 4 && next == 8 && at + 12 <= end) {
          text += FormatMediaTime(h.U64(at + 4));
          at += 12;
        } else if (unit == 'W' && next == 'M' && at + 6 <= end && (h.U16(at + 4) == '/' || h.U16(at + 4) == 'F')) {
          text += "\r\n ";
          at += 4;
        } else {
          AppendUnit(text, static_cast<char16_t>(unit), " ");
          at += 2;
        }
      }
      text += "\r\n ";
    }
    pos += size;
  }
  return text;
}

void MidiTexts(const Bytes& h, LoadBuffer& out) {
  for (std::size_t i = 1; h.Has(i, 3);) {
    if (h.p[i] == 0xFF && h.p[i + 1] >= 1 && h.p[i + 1] <= 9) {
      const std::size_t length = h.p[i + 2];
      if (!h.Has(i + 3, length)) break;  // the text runs past the bytes held
      out.Append(" ");
      out.Append(h.p + i + 3, length);
      out.Append("\r\n");
      i += 3 + length;
    } else {
      ++i;
    }
  }
}

}  // namespace

std::string FormatMediaTime(std::uint64_t ticks) {
  const std::uint64_t seconds = ticks / 10000000;
  std::uint64_t days = seconds / 86400;
  const unsigned daySeconds = static_cast<unsigned>(seconds % 86400);
  days = days > kDaysFrom1601 ? days - kDaysFrom1601 : 0;
  std::uint64_t year = 1900 + days / 1461 * 4;
  days %= 1461;
  for (;;) {
    const unsigned yearDays = year % 4 == 0 ? 366 : 365;
    if (days < yearDays) break;
    days -= yearDays;
    ++year;
  }
  const int leap = year % 4 == 0 ? 1 : 0;
  int month = 0;
  while (month < 11 && static_cast<int>(days) >= kMonthStart[month + 1] + (month + 1 >= 2 ? leap : 0)) ++month;
  const int day = static_cast<int>(days) - kMonthStart[month] - (month >= 2 ? leap : 0) + 1;
  char text[80];
  std::snprintf(text, sizeof text, " %llu/%02d/%02d %uh%02um%02us (UTC)", static_cast<unsigned long long>(year),
                month + 1, day, daySeconds / 3600, daySeconds / 60 % 60, daySeconds % 60);
  return text;
}

void WriteMediaInfo(const MediaFile& m, LoadBuffer& out) {
  const Bytes h{m.head, m.head ? m.headSize : 0};
  std::string text;
  if (m.kind == kKindMidi) {
    text = std::string(" MIDI  file") + kRule + "\r\n\r\n";
  } else if (m.kind == kKindWave || m.kind == kKindAudio) {
    text = std::string(" Audio file") + kRule;
  } else {
    text = std::string(" Video file") + kRule;
  }
  if (m.kind != kKindAudio && m.extension == "wav") {
    text += WaveFields(h);
  } else if (m.kind == kKindAudio && m.extension == "mp3") {
    text += "\n\n" + Mp3Tags(m, h);
  } else if (m.kind == kKindAudio) {
    text += "\n\n" + AsfText(h);
  }
  out.Append(text.data(), text.size());
  if (m.kind == kKindMidi) MidiTexts(h, out);
}

}  // namespace convert
