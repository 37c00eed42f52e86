// The media information text over files built byte by byte: the WAV fields
// and length, MP3 tail and head tags (UTF-16 text in Shift-JIS), the Windows
// Media descriptions with their value forms and date, MIDI text events, and
// damaged headers that must give a shorter text.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>

#include "convert/media_info.h"
#include "fw/civil.h"
#include "listing_util.h"

namespace {

using convert_test::Put16;
using convert_test::Put32;
using convert_test::Wave;

const char kRule[] = "\n -------------------------------------------------------------\n";

std::string Info(int kind, const std::string& extension, const std::string& bytes) {
  convert::MemorySource file(bytes.data(), bytes.size());
  convert::MediaFile m;
  m.kind = kind;
  m.extension = extension;
  m.head = reinterpret_cast<const std::uint8_t*>(bytes.data());
  m.headSize = bytes.size();
  m.file = &file;
  convert::LoadBuffer out;
  convert::WriteMediaInfo(m, out);
  return std::string(out.Data(), out.Size());
}


TEST(MediaInfo, WaveFieldsAndLength) {
  // The RIFF size counts the 36 header bytes after it as well.
  EXPECT_EQ(std::string(" Audio file") + kRule +
                "\n\n Sampling frequency 44100 Hz\n bit/sample 16\n channel number 2\n length 1.000 sec ( 0 min 1.000 sec)",
            Info(52, "wav", Wave(44100, 16, 2, 176400 - 36)));
  EXPECT_NE(std::string::npos, Info(52, "wav", Wave(44100, 16, 2, 264600 - 36)).find("length 1.500 sec ( 0 min 1.500 sec)"));
  EXPECT_NE(std::string::npos, Info(52, "wav", Wave(44100, 16, 2, 185220 - 36)).find("length 1.050 sec ( 0 min 1.050 sec)"));
  EXPECT_NE(std::string::npos, Info(52, "wav", Wave(8000, 8, 1, 8000 * 125 - 36)).find("length 125.000 sec ( 2 min 5.000 sec)"));
  EXPECT_NE(std::string::npos, Info(52, "wav", Wave(96000, 24, 2, 1000)).find("Sampling frequency 96000 Hz"));
  // No length without a rate or a frame size.
  std::string noRate = Info(52, "wav", Wave(0, 16, 2, 1000));
  EXPECT_NE(std::string::npos, noRate.find("channel number 2"));
  EXPECT_EQ(std::string::npos, noRate.find("length"));
}

TEST(MediaInfo, TitlesAndCaseSensitiveExtensions) {
  const std::string wave = Wave(44100, 16, 2, 1000);
  EXPECT_EQ(std::string(" Audio file") + kRule, Info(52, "WAV", wave));
  EXPECT_EQ(std::string(" Video file") + kRule, Info(53, "avi", wave));
  EXPECT_EQ(std::string(" MIDI  file") + kRule + "\r\n\r\n", Info(51, "mid", "MThd"));
  // A WAV head of 20 bytes: the title only.
  EXPECT_EQ(std::string(" Audio file") + kRule, Info(52, "wav", wave.substr(0, 20)));
}

std::string Id3Frame(const char* id, const std::string& data) {
  std::string s = id;
  Put32(s, 0);
  s[s.size() - 2] = static_cast<char>(data.size() >> 8);
  s[s.size() - 1] = static_cast<char>(data.size() & 0xFF);
  Put16(s, 0);
  return s + data;
}

std::string Id3v2(const std::string& frames) {
  std::string s = "ID3\x03";
  s += std::string(6, '\0');
  return s + frames;
}

std::string Id3v1(const std::string& title, const std::string& artist, const std::string& album) {
  auto field = [](std::string v, std::size_t n) {
    v.resize(n, '\0');
    return v;
  };
  return "TAG" + field(title, 30) + field(artist, 30) + field(album, 30) + "2024" + field("", 30) + '\x0C';
}

TEST(MediaInfo, Mp3TailAndHeadTags) {
  std::string audio(5000, '\x55');
  std::string head = Id3v2(Id3Frame("TIT2", std::string(1, '\0') + "Head Title") +
                           Id3Frame("TPE1", std::string(1, '\0') + "Head Artist"));
  std::string file = head + audio + Id3v1("Tail Title", "Tail Artist", "Tail Album");
  std::string text = Info(56, "mp3", file);
  EXPECT_EQ(0u, text.find(std::string(" Audio file") + kRule + "\n\n ")) << text;
  EXPECT_NE(std::string::npos, text.find("TAGTail TitleTail ArtistTail Album2024")) << text;
  EXPECT_NE(std::string::npos, text.find("\r\n Head Title Head Artist")) << text;
  // "X.MP3": the title only.
  EXPECT_EQ(std::string(" Audio file") + kRule + "\n\n " , Info(56, "MP3", file).substr(0, 79));
}

TEST(MediaInfo, Utf16TagTextInShiftJis) {
  // UTF-16 with a byte-order mark: 日本 (93FA 967B in Shift-JIS), and a
  // character the code page lacks, which shows as two blanks.
  std::string data = std::string("\x01\xFF\xFE", 3);
  for (char16_t c : {u'\u65E5', u'\u672C', u'\u0E01', u'x'}) Put16(data, c);
  std::string text = Info(56, "mp3", Id3v2(Id3Frame("TIT2", data)));
  EXPECT_NE(std::string::npos, text.find("\r\n \n\x93\xFA\x96\x7B  x")) << text;
}

TEST(MediaInfo, Mp3FramesPastTheDataEndTheText) {
  // A frame that claims 60 KB in a 3 KB file: its bytes are read up to the
  // end of the data only.
  std::string frame = Id3Frame("TIT2", std::string(1, '\0') + "Cut" + std::string(2900, 'z'));
  frame[6] = static_cast<char>(0xEA);
  frame[7] = 0x60;
  std::string text = Info(56, "mp3", Id3v2(frame));
  EXPECT_NE(std::string::npos, text.find(" Cutzzz"));
  EXPECT_LT(text.size(), 3200u);
  // A lower-case identifier ends the frames.
  EXPECT_EQ(std::string::npos, Info(56, "mp3", Id3v2(Id3Frame("tIT2", "\1Hidden"))).find("Hidden"));
}

// A Windows Media header: the header object (30 bytes) and the objects after it.
std::string AsfObject(const char* guid4, const std::string& body) {
  std::string s(guid4, 4);
  s += std::string(12, '\x11');
  Put32(s, static_cast<std::uint32_t>(24 + body.size()));
  Put32(s, 0);
  return s + body;
}

std::string Utf16(const std::u16string& text) {
  std::string s;
  for (char16_t c : text) Put16(s, c);
  return s;
}

std::string AsfHeader(const std::string& objects) {
  std::string s = AsfObject("\x30\x26\xB2\x75", std::string(6, '\0'));
  std::uint32_t size = static_cast<std::uint32_t>(s.size() + objects.size());
  s[16] = static_cast<char>(size & 0xFF);
  s[17] = static_cast<char>(size >> 8);
  return s + objects;
}

constexpr std::uint64_t kTicksPerDay = 864000000000ull;

// Ticks since 1601-01-01 for a civil date and time.
std::uint64_t Ticks(int y, int mo, int d, int h, int mi, int s) {
  std::int64_t days = fw::DaysFromCivil(y, mo, d) - fw::DaysFromCivil(1601, 1, 1);
  return static_cast<std::uint64_t>(days) * kTicksPerDay + static_cast<std::uint64_t>((h * 3600 + mi * 60 + s)) * 10000000ull;
}

TEST(MediaInfo, WindowsMediaDescriptions) {
  std::string title = Utf16(u"Song");
  std::string author = Utf16(u"Singer");
  std::string content;
  Put16(content, static_cast<std::uint32_t>(title.size() + 2));
  Put16(content, static_cast<std::uint32_t>(author.size() + 2));
  Put16(content, 0);
  Put16(content, 0);
  Put16(content, 0);
  content += title + std::string(2, '\0') + author + std::string(2, '\0');

  auto descriptor = [](const std::u16string& name, int type, const std::string& value) {
    std::string d;
    std::string n = Utf16(name) + std::string(2, '\0');
    Put16(d, static_cast<std::uint32_t>(n.size()));
    d += n;
    Put16(d, static_cast<std::uint32_t>(type));
    Put16(d, static_cast<std::uint32_t>(value.size()));
    return d + value;
  };
  std::string dword;
  Put32(dword, 7);
  std::string qword;
  std::uint64_t when = Ticks(2021, 3, 4, 5, 6, 7);
  Put32(qword, static_cast<std::uint32_t>(when));
  Put32(qword, static_cast<std::uint32_t>(when >> 32));
  std::string extended;
  Put16(extended, 3);
  extended += descriptor(u"WM/Genre", 0, Utf16(u"Jazz") + std::string(2, '\0'));
  extended += descriptor(u"WM/TrackNumber", 3, dword);
  extended += descriptor(u"WM/EncodingTime", 4, qword);

  std::string codecs = std::string(16, '\0');
  Put32(codecs, 1);
  codecs += Utf16(u"Codec Name");

  std::string file = AsfHeader(AsfObject("\x33\x26\xB2\x75", content) + AsfObject("\xA1\xDC\xAB\x8C", std::string(50, 'q')) +
                               AsfObject("\x40\xA4\xD0\xD2", extended) + AsfObject("\x40\x52\xD1\x86", codecs));
  std::string text = Info(56, "wma", file);
  // Strings back to back run together; each object ends its line.
  EXPECT_NE(std::string::npos, text.find("\n\n SongSinger\r\n")) << text;
  EXPECT_NE(std::string::npos, text.find("\r\n /Genre")) << text;
  EXPECT_NE(std::string::npos, text.find("Jazz")) << text;
  EXPECT_NE(std::string::npos, text.find("/TrackNumber7")) << text;
  EXPECT_NE(std::string::npos, text.find("/EncodingTime 2021/03/04 5h06m07s (UTC)")) << text;
  EXPECT_NE(std::string::npos, text.find("Codec Name")) << text;
  EXPECT_EQ(std::string::npos, text.find("qqq")) << text;  // other objects are skipped
}

TEST(MediaInfo, MediaTimesFrom1901To2099) {
  for (int year = 1901; year <= 2099; year += 7) {
    for (int month : {1, 2, 3, 12}) {
      int day = month == 2 ? fw::DaysInMonth(year, 2) : 28;
      char expect[80];
      std::snprintf(expect, sizeof expect, " %d/%02d/%02d 23h59m58s (UTC)", year, month, day);
      EXPECT_EQ(expect, convert::FormatMediaTime(Ticks(year, month, day, 23, 59, 58)));
    }
  }
  EXPECT_EQ(" 2000/02/29 0h00m00s (UTC)", convert::FormatMediaTime(Ticks(2000, 2, 29, 0, 0, 0)));
  EXPECT_EQ(" 2000/03/01 0h00m00s (UTC)", convert::FormatMediaTime(Ticks(2000, 3, 1, 0, 0, 0)));
}

TEST(MediaInfo, DamagedWindowsMediaEndsTheWalk) {
  // An object of size 0 would hold the walk forever.
  std::string stuck = AsfHeader(AsfObject("\x33\x26\xB2\x75", std::string(20, '\0')));
  stuck[30 + 16] = stuck[30 + 17] = 0;
  auto begin = std::chrono::steady_clock::now();
  EXPECT_EQ(0u, Info(56, "wma", stuck).find(" Audio file"));
  // An object body past the data, and random bytes.
  std::string past = AsfHeader(AsfObject("\x33\x26\xB2\x75", std::string(30, 'a')));
  past[30 + 16] = static_cast<char>(0xF0);
  past[30 + 17] = 0x1F;
  past[16] = static_cast<char>(0xFF);
  past[17] = 0x1F;
  Info(56, "wma", past);
  std::mt19937 rng(105);
  for (int round = 0; round < 200; ++round) {
    std::string bytes(rng() % 9000, '\0');
    for (char& c : bytes) c = static_cast<char>(rng());
    Info(56, "wma", bytes);
    Info(56, "mp3", bytes);
    Info(51, "mid", bytes);
  }
  EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(10));
}

std::string MidiFile(const std::string& events) {
  std::string s = "MThd";
  s += std::string("\0\0\0\x06\0\0\0\x01\0\x60", 10);
  s += "MTrk";
  std::string track = events + std::string("\0\xFF\x2F\0", 4);
  s += static_cast<char>(0);
  s += static_cast<char>(0);
  s += static_cast<char>(track.size() >> 8);
  s += static_cast<char>(track.size() & 0xFF);
  return s + track;
}

TEST(MediaInfo, MidiTextEventsAfterTheTitle) {
  std::string events = std::string("\0\xFF\x03\x05", 4) + "Piano" + std::string("\0\xFF\x01\x0A", 4) + "hello text";
  EXPECT_EQ(std::string(" MIDI  file") + kRule + "\r\n\r\n Piano\r\n hello text\r\n", Info(51, "mid", MidiFile(events)));
  // A text length past the end of the data ends the events.
  std::string cut = MidiFile(std::string("\0\xFF\x03\x05", 4) + "Piano") + std::string("\xFF\x01\x40", 3) + "short";
  EXPECT_EQ(std::string(" MIDI  file") + kRule + "\r\n\r\n Piano\r\n", Info(51, "mid", cut));
}

}  // namespace
