// The byte and bit streams of the JPEG codec: stuffing, markers met inside
// entropy-coded data, the end of the data, and the writer's fill and
// full-buffer rules.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/jpeg/jpeg_bitstream.h"
#include "image/jpeg/jpeg_errors.h"

namespace jpeg {
namespace {

std::vector<int> Bits(JInBitStream& in, int n) {
  std::vector<int> v;
  for (int i = 0; i < n; ++i) v.push_back(in.GetBit());
  return v;
}

std::vector<int> ByteBits(int b) {
  std::vector<int> v;
  for (int i = 7; i >= 0; --i) v.push_back((b >> i) & 1);
  return v;
}

std::string BufferErrorOf(void (*f)(JInBitStream&), const std::vector<uint8_t>& data) {
  JInBitStream in(data.data(), static_cast<int64_t>(data.size()));
  try {
    f(in);
  } catch (const JBufferError& e) {
    return e.where;
  }
  return "";
}

TEST(JpegInStream, StuffedZeroIsSteppedOverAndMarkersStopTheBits) {
  const std::vector<uint8_t> stuffed = {0xFF, 0x00, 0x12};
  JInBitStream a(stuffed.data(), 3);
  EXPECT_EQ(Bits(a, 8), ByteBits(0xFF));
  EXPECT_EQ(Bits(a, 8), ByteBits(0x12));
  EXPECT_EQ(a.GetBit(), -99);

  // A marker reached by an advance is reported and the reader stays there.
  const std::vector<uint8_t> marker = {0xA5, 0xFF, 0xD9};
  JInBitStream b(marker.data(), 3);
  EXPECT_EQ(Bits(b, 8), ByteBits(0xA5));
  EXPECT_EQ(b.GetBit(), -217);
  // Reported once: the next reads take the 0xFF and the code as data.
  EXPECT_EQ(Bits(b, 8), ByteBits(0xFF));
  EXPECT_EQ(Bits(b, 8), ByteBits(0xD9));
  EXPECT_EQ(b.GetBit(), -99);

  // A value read across a marker is the negative code.
  JInBitStream c(marker.data(), 3);
  EXPECT_EQ(c.GetBits(4), 0xA);
  EXPECT_EQ(c.GetBits(6), -217);
  EXPECT_EQ(c.GetBits(0), 0);

  // A 0xFF as the very last byte ends the data.
  const std::vector<uint8_t> lastFF = {0x0F, 0xFF};
  JInBitStream d(lastFF.data(), 2);
  EXPECT_EQ(Bits(d, 8), ByteBits(0x0F));
  EXPECT_EQ(d.GetBit(), -99);
  EXPECT_EQ(d.GetBit(), -99);
}

TEST(JpegInStream, EndOfDataAndByteReads) {
  const std::vector<uint8_t> one = {0x80};
  JInBitStream in(one.data(), 1);
  EXPECT_EQ(in.GetBits(8), 0x80);
  EXPECT_EQ(in.GetBit(), -99);
  EXPECT_EQ(in.GetBits(3), -99);
  EXPECT_THROW(in.GetByte(), JBufferError);

  // GetByte after three bits skips the other five bits of that byte.
  const std::vector<uint8_t> two = {0xE0, 0x5A, 0x01, 0x02};
  JInBitStream b(two.data(), 4);
  EXPECT_EQ(b.GetBits(3), 7);
  EXPECT_EQ(b.GetByte(), 0x5A);
  EXPECT_EQ(b.GetWord(), 0x0102);
  EXPECT_EQ(b.IsValid(), nullptr);

  // Byte-aligning onto the end must not read past the data.
  EXPECT_EQ(BufferErrorOf([](JInBitStream& s) { s.GetBits(8); s.GetBit(); s.GetByte(); }, {0x11}), "GetByte");
  EXPECT_EQ(BufferErrorOf([](JInBitStream& s) { s.GetBits(8); s.GetByte(); }, {0x11}), "GetByte");
  EXPECT_EQ(BufferErrorOf([](JInBitStream& s) { s.GetWord(); }, {0x11}), "GetWord");
  EXPECT_EQ(BufferErrorOf([](JInBitStream& s) { s.GetByte(); s.GetWord(); }, {0x11, 0x22}), "GetWord");
  EXPECT_EQ(BufferErrorOf([](JInBitStream& s) { uint8_t b[4]; s.CopyByte(b, 3); }, {1, 2}), "CopyByte");
  EXPECT_EQ(BufferErrorOf([](JInBitStream& s) { s.SkipByte(3); }, {1, 2}), "SkipByte");
  EXPECT_EQ(BufferErrorOf([](JInBitStream& s) { s.SkipByte(-1); }, {1, 2}), "SkipByte");
  EXPECT_EQ(BufferErrorOf([](JInBitStream& s) { s.SkipByte(2); s.GetByte(); }, {1, 2}), "GetByte");
}

TEST(JpegInStream, ZeroSizeAndNullData) {
  JInBitStream a(nullptr, 0);
  EXPECT_EQ(a.GetBit(), -99);
  EXPECT_EQ(a.IsValid(), nullptr);
  EXPECT_THROW(a.GetByte(), JBufferError);
}

std::vector<uint8_t> Written(const JOutBitStream& o) {
  return std::vector<uint8_t>(o.Data(), o.Data() + o.Written());
}

TEST(JpegOutStream, StuffingAndOneBitFill) {
  JOutBitStream a(16);
  a.SetBits(0xFF, 8);
  a.SetByte(0xD9);
  EXPECT_EQ(Written(a), (std::vector<uint8_t>{0xFF, 0x00, 0xD9}));

  JOutBitStream b(16);
  b.SetBits(5, 3);  // 101
  b.SetByte(0x00);
  EXPECT_EQ(Written(b), (std::vector<uint8_t>{0xBF, 0x00}));

  // A byte of 1s made by the fill is stuffed too; n = 0 writes nothing.
  JOutBitStream c(16);
  c.SetBits(0x7, 3);
  c.SetBits(0x1234, 0);
  c.Flush();
  c.SetWord(0x1234);
  EXPECT_EQ(Written(c), (std::vector<uint8_t>{0xFF, 0x00, 0x12, 0x34}));

  // Values over 8 bits: high part first; bits across byte boundaries.
  JOutBitStream d(16);
  d.SetBits(0x1ABC, 13);
  d.SetBits(0x3, 2);
  d.Flush();
  EXPECT_EQ(Written(d), (std::vector<uint8_t>{0xD5, 0xE7}));

  JOutBitStream e(16);
  EXPECT_THROW(e.SetBits(1, 17), JBufferError);
  try {
    e.SetBits(1, 17);
  } catch (const JBufferError& err) {
    EXPECT_STREQ(err.where, "SetBits:Max Bit Over");
  }
}

TEST(JpegOutStream, FullBufferRaisesInsteadOfWritingPastTheEnd) {
  auto errorOf = [](int size, void (*f)(JOutBitStream&)) -> std::string {
    JOutBitStream o(size);
    try {
      f(o);
    } catch (const JBufferError& e) {
      return e.where;
    }
    return "";
  };
  EXPECT_EQ(errorOf(2, [](JOutBitStream& o) { o.SetByte(1); o.SetByte(2); o.SetByte(3); }), "SetByte");
  EXPECT_EQ(errorOf(3, [](JOutBitStream& o) { o.SetByte(1); o.SetWord(2); o.SetWord(3); }), "SetWord");
  // CopyByte always leaves one byte free.
  EXPECT_EQ(errorOf(4, [](JOutBitStream& o) { o.CopyByte(reinterpret_cast<const uint8_t*>("abcd"), 4); }),
            "CopyByte");
  EXPECT_EQ(errorOf(4, [](JOutBitStream& o) { o.CopyByte(reinterpret_cast<const uint8_t*>("abc"), 3); }), "");
  // An 0xFF of bits in the last byte has no room for its stuffed 0x00.
  EXPECT_EQ(errorOf(1, [](JOutBitStream& o) { o.SetBits(0xFF, 8); }), "SetBits");
  // Bits into a full buffer.
  EXPECT_EQ(errorOf(1, [](JOutBitStream& o) { o.SetBits(0x12, 8); o.SetBits(1, 1); }), "SetBits");
  // The fill before a byte write can take the last byte; the byte itself
  // then has no room. A fill that makes 0xFF needs room for its 0x00.
  EXPECT_EQ(errorOf(1, [](JOutBitStream& o) { o.SetBits(0, 1); o.SetByte(0); }), "SetByte");
  EXPECT_EQ(errorOf(1, [](JOutBitStream& o) { o.SetBits(1, 1); o.SetByte(0); }), "SetBits");
  EXPECT_THROW(JOutBitStream(0), JMemoryError);
}

TEST(JpegOutStream, GrowingStreamKeepsTheBytes) {
  JOutBitStream o(2, true);
  for (int i = 0; i < 1000; ++i) o.SetBits(static_cast<uint32_t>(i * 37), 11);
  o.CopyByte(reinterpret_cast<const uint8_t*>("xyz"), 3);
  JOutBitStream ref(4000);
  for (int i = 0; i < 1000; ++i) ref.SetBits(static_cast<uint32_t>(i * 37), 11);
  ref.CopyByte(reinterpret_cast<const uint8_t*>("xyz"), 3);
  EXPECT_EQ(Written(o), Written(ref));
}

TEST(JpegErrors, EveryTextIsSetAndAllocationFailureHookCounts) {
  for (int i = 0; i < static_cast<int>(JErr::Count); ++i)
    EXPECT_STRNE(JErrorText(static_cast<JErr>(i)), "") << i;
  JSetAllocFailure(2);
  void* a = JAlloc(4);
  void* b = JAlloc(4);
  void* c = JAlloc(4);
  EXPECT_NE(a, nullptr);
  EXPECT_EQ(b, nullptr);
  EXPECT_NE(c, nullptr);
  EXPECT_EQ(JSetAllocFailure(0), 3);
  JFree(a);
  JFree(c);
}

}  // namespace
}  // namespace jpeg
