// LZH member headers and the "-lh5-" decoder on hand-made archives.
#include <gtest/gtest.h>

#include <sstream>

#include "archive/lzh_decoder.h"
#include "archive/lzh_header.h"
#include "archive_test_util.h"

namespace arc {
namespace {

void Le(std::string& s, uint32_t v, int n) {
  for (int i = 0; i < n; ++i) s += static_cast<char>(v >> (8 * i));
}

// Level-0 header for a member.
std::string Level0(const std::string& name, const std::string& method, uint32_t packed, uint32_t orig,
                   bool goodSum = true) {
  std::string h;
  h += method;
  Le(h, packed, 4);
  Le(h, orig, 4);
  Le(h, 0x586570E4u, 4);
  h += '\x20';
  h += '\0';  // level
  h += static_cast<char>(name.size());
  h += name;
  Le(h, 0, 2);  // data CRC
  unsigned sum = 0;
  for (char c : h) sum += static_cast<unsigned char>(c);
  std::string out;
  out += static_cast<char>(h.size());
  out += static_cast<char>(goodSum ? sum : sum + 1);
  return out + h;
}

// Level-1 header with extended headers (type byte + body each).
std::string Level1(const std::string& name, uint32_t dataSize, uint32_t orig,
                   const std::vector<std::string>& ext) {
  uint32_t extBytes = 0;
  for (const auto& e : ext) extBytes += static_cast<uint32_t>(e.size()) + 2;
  std::string h = "-lh0-";
  Le(h, dataSize + extBytes, 4);
  Le(h, orig, 4);
  Le(h, 0x586570E4u, 4);
  h += '\x20';
  h += '\x01';
  h += static_cast<char>(name.size());
  h += name;
  Le(h, 0, 2);
  h += 'U';
  Le(h, ext.empty() ? 0 : static_cast<uint32_t>(ext[0].size()) + 2, 2);
  unsigned sum = 0;
  for (char c : h) sum += static_cast<unsigned char>(c);
  std::string out;
  out += static_cast<char>(h.size());
  out += static_cast<char>(sum);
  out += h;
  for (size_t i = 0; i < ext.size(); ++i) {
    out += ext[i];
    Le(out, i + 1 < ext.size() ? static_cast<uint32_t>(ext[i + 1].size()) + 2 : 0, 2);
  }
  return out;
}

LzhHeader ReadOne(const std::string& archive) {
  std::istringstream in(archive);
  ArcBitReader r(in);
  LzhHeader h;
  h.Read(r);
  return h;
}

TEST(LzhHeader, EndsAndLevels) {
  EXPECT_EQ(ReadOne("").level, -1);
  std::istringstream in0(std::string(1, '\0'));
  ArcBitReader r0(in0);
  LzhHeader h0;
  EXPECT_FALSE(h0.Read(r0));
  EXPECT_EQ(h0.level, -1);
  std::string bad = Level0("a", "-lh0-", 0, 0);
  bad[20] = 3;
  EXPECT_ARC_CODE(ReadOne(bad), "061");
  std::string cut = Level0("name.txt", "-lh0-", 0, 0);
  cut.resize(cut.size() - 1);
  EXPECT_ARC_CODE(ReadOne(cut), "060");
  EXPECT_ARC_CODE(ReadOne("\x20\x00-lh"), "059");
}

TEST(LzhHeader, LevelZeroNames) {
  LzhHeader h = ReadOne(Level0("sub/x.txt", "-lh0-", 0, 0, false));
  EXPECT_EQ(h.level, 0);
  EXPECT_FALSE(h.headerOk);
  EXPECT_EQ(h.method, "-lh0-");
  EXPECT_EQ(h.folderName, "sub/");
  EXPECT_EQ(h.fileName, "x.txt");
  EXPECT_EQ(h.time.year, 2024);
  EXPECT_EQ(h.time.minute, 7);
  // '\' separates folders in level-0 names, except as a second byte.
  h = ReadOne(Level0("sub\\x.txt", "-lh0-", 0, 0));
  EXPECT_TRUE(h.headerOk);
  EXPECT_EQ(h.OutputPath(), "sub/x.txt");
  h = ReadOne(Level0("d\\\x83\x5C.txt", "-lh0-", 0, 0));
  EXPECT_EQ(h.folderName, "d/");
  EXPECT_EQ(h.fileName, "\x83\x5C.txt");
  // The extension rows' lead bytes as well ("\xFA\x5C.txt" is a one-character name).
  for (const char* name : {"\xFA\x5C.txt", "\xFB\x5C.txt", "\xFC\x5C.txt"}) {
    h = ReadOne(Level0(name, "-lh0-", 0, 0));
    EXPECT_EQ(h.folderName, "");
    EXPECT_EQ(h.fileName, name);
    h = ReadOne(Level0(std::string("d\\") + name, "-lh0-", 0, 0));
    EXPECT_EQ(h.folderName, "d/");
    EXPECT_EQ(h.OutputPath(), std::string("d/") + name);
  }
}

TEST(LzhHeader, LevelOneExtendedHeaders) {
  std::string arc = Level1("", 3, 3, {std::string("\x01") + "f.txt", std::string("\x02") + "dir\xFFsub"}) + "xyz";
  std::istringstream in(arc);
  ArcBitReader r(in);
  LzhHeader h;
  ASSERT_TRUE(h.Read(r));
  EXPECT_EQ(h.fileName, "f.txt");
  EXPECT_EQ(h.folderName, "dir/sub/");
  EXPECT_EQ(h.dataSize, 3u);
  std::ostringstream out;
  LzhCrc16 sink(out, h.origSize);
  LzhExtractMember(r, h, sink);
  EXPECT_EQ(out.str(), "xyz");
  EXPECT_FALSE(h.Read(r));  // nothing follows
  // An extended header of 2 bytes cannot hold its type and next size.
  std::string tiny = Level1("a", 0, 0, {});
  tiny[tiny.size() - 2] = 2;
  tiny += std::string(4, '\0');
  EXPECT_ARC_CODE(ReadOne(tiny), "056");
  // Packed size smaller than the extended headers.
  std::string small = Level1("a", 0, 0, {std::string("\x01") + "long-name.txt"});
  small[7] = 1;
  EXPECT_ARC_CODE(ReadOne(small), "057");
}

TEST(LzhHeader, LevelTwoTimeAndBounds) {
  std::string h = "XX-lh0-";
  Le(h, 0, 4);
  Le(h, 0, 4);
  Le(h, 0, 4);  // time 0
  h += '\x20';
  h += '\x02';
  Le(h, 0, 2);
  h += 'U';
  std::string ext = std::string("\x01") + "n.txt";
  Le(h, static_cast<uint32_t>(ext.size()) + 2, 2);
  h += ext;
  Le(h, 0, 2);
  h[0] = static_cast<char>(h.size());
  h[1] = 0;
  LzhHeader r = ReadOne(h);
  EXPECT_EQ(r.level, 2);
  EXPECT_EQ(r.fileName, "n.txt");
  ArcDateTime t0 = FromUnixTime(0);
  EXPECT_EQ(r.time.year, t0.year);
  EXPECT_EQ(r.time.hour, t0.hour);
  std::string lying = h;
  lying[0] = static_cast<char>(h.size() + 40);  // header size beyond the archive
  EXPECT_ARC_CODE(ReadOne(lying), "060");
  std::string extPast = h;
  extPast[24] = 60;  // first extended header runs past the header
  EXPECT_ARC_CODE(ReadOne(extPast), "060");
}

// "-lh5-" block data written most significant bit first.
struct MsbBits {
  std::string out;
  uint32_t acc = 0;
  int n = 0;
  MsbBits& put(uint32_t v, int bits) {
    for (int b = bits - 1; b >= 0; --b) {
      acc = acc << 1 | ((v >> b) & 1);
      if (++n == 8) {
        out += static_cast<char>(acc);
        acc = 0;
        n = 0;
      }
    }
    return *this;
  }
  std::string done() {
    if (n) out += static_cast<char>(acc << (8 - n));
    n = 0;
    acc = 0;
    return out;
  }
};

// A block whose three tables are each sent with a count of 0: every code of
// the block is the character c, sent with no bits at all.
MsbBits& SingleBlock(MsbBits& b, int codes, int c, int pos) {
  return b.put(static_cast<uint32_t>(codes), 16).put(0, 5).put(0, 5).put(0, 9).put(static_cast<uint32_t>(c), 9).put(0, 4).put(static_cast<uint32_t>(pos), 4);
}

std::string Decode(const std::string& data, uint32_t orig) {
  std::string arc = Level0("m", "-lh5-", static_cast<uint32_t>(data.size()), orig) + data;
  std::istringstream in(arc);
  ArcBitReader r(in);
  LzhHeader h;
  if (!h.Read(r)) return "<none>";
  std::ostringstream out;
  LzhCrc16 sink(out, h.origSize);
  LzhExtractMember(r, h, sink);
  return out.str();
}

TEST(LzhDecoder, ZeroBitSingleSymbolTables) {
  MsbBits b;
  SingleBlock(b, 1, 'A', 0);               // one literal A
  SingleBlock(b, 2, 256 + 100 - 3, 0);      // matches of 100 at distance 1
  EXPECT_EQ(Decode(b.done(), 201), std::string(201, 'A'));
  MsbBits far;
  SingleBlock(far, 1, 'B', 0);
  SingleBlock(far, 1, 256, 2);  // position symbol 2: distance 2 + 1 extra bit
  far.put(0, 1);
  EXPECT_ARC_CODE(Decode(far.done(), 4), "051");
}

TEST(LzhDecoder, RefusesBadTablesAndShortData) {
  EXPECT_ARC_CODE(Decode(MsbBits().put(1, 16).put(0, 5).put(19, 5).done(), 1), "043");
  EXPECT_ARC_CODE(Decode(MsbBits().put(1, 16).put(20, 5).done(), 1), "044");
  EXPECT_ARC_CODE(Decode(MsbBits().put(1, 16).put(0, 5).put(0, 5).put(511, 9).done(), 1), "044");
  EXPECT_ARC_CODE(Decode(MsbBits().put(1, 16).put(0, 5).put(0, 5).put(0, 9).put(510, 9).done(), 1), "044");
  // Temporary code of one symbol: 2 (a run of 9 bits + 20 zeros) past 510.
  EXPECT_ARC_CODE(Decode(MsbBits().put(1, 16).put(0, 5).put(2, 5).put(510, 9).put(511, 9).done(), 1), "045");
  // The data ends before the member's size: no 0xFF filling.
  MsbBits b;
  SingleBlock(b, 3, 'A', 0);
  EXPECT_ARC_CODE(Decode(b.done(), 10), "050");
  // An empty member decodes to nothing, even without data.
  EXPECT_EQ(Decode("", 0), "");
}

TEST(LzhDecoder, MembersFollowEachOtherWhateverTheDecoderRead) {
  MsbBits b;
  SingleBlock(b, 4, 'Q', 0);
  std::string data = b.done() + "pad";  // bytes the decoder never needs
  std::string arc = Level0("one", "-lh5-", static_cast<uint32_t>(data.size()), 4) + data +
                    Level0("two", "-lh0-", 2, 2) + "ok" + std::string(1, '\0');
  std::istringstream in(arc);
  ArcBitReader r(in);
  LzhHeader h;
  std::string got;
  while (h.Read(r)) {
    std::ostringstream out;
    LzhCrc16 sink(out, h.origSize);
    LzhExtractMember(r, h, sink);
    got += h.fileName + "=" + out.str() + ";";
  }
  EXPECT_EQ(got, "one=QQQQ;two=ok;");
  std::string other = Level0("x", "-lh7-", 0, 0);
  std::istringstream in2(other);
  ArcBitReader r2(in2);
  ASSERT_TRUE(h.Read(r2));
  std::ostringstream out;
  LzhCrc16 sink(out, 0);
  EXPECT_ARC_CODE(LzhExtractMember(r2, h, sink), "083");
}

}  // namespace
}  // namespace arc
