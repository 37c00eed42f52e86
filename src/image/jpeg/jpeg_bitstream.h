// Byte and bit streams of the JPEG codec.
//
// JInBitStream reads a memory range: byte-level reads for marker segments and
// bit reads for entropy-coded data, which step over the 0x00 stuffed after
// each 0xFF and stop at markers (a negative result: -code, or -99 at the end).
// JOutBitStream writes into an owned buffer: bits with 0x00 stuffed after each
// 0xFF made of bits, and byte-level writes that first fill a partly written
// byte with 1 bits.
#pragma once

#include <cstddef>
#include <cstdint>

namespace jpeg {

class JInBitStream {
 public:
  JInBitStream(const uint8_t* begin, int64_t size);

  // Next bit, or -99 at the end of the data, or -code at a marker (the reader
  // then stays at the 0xFF; a further call reads that 0xFF as data).
  int GetBit();
  // n bits, first bit most significant; 0 for n <= 0; stops at the first
  // negative GetBit result and returns it.
  int GetBits(int n);
  int GetByte();
  int GetWord();
  void CopyByte(uint8_t* dest, int n);
  void SkipByte(int n);
  // Address of the next unread byte, or null at the end.
  const uint8_t* IsValid() const;
  // IsValid as an offset from the start plus one (0 at the end): the
  // position carried by error records.
  int Position() const;

  // Offset of the byte a byte-level read would take next (after dropping the
  // rest of a partly read byte).
  int64_t AlignedOffset() const;
  const uint8_t* Begin() const { return mBegin; }
  const uint8_t* End() const { return mEnd; }
  int64_t Size() const { return mEnd - mBegin; }

  // Places the reader inside the data (used by the table-driven scan reader
  // to hand over to bit-by-bit reading). bitPos 7..0; check: the 0xFF test is
  // still due on the byte at offset.
  void Seek(int64_t offset, int bitPos, bool stuffPending, bool check);

 private:
  void AlignForByteRead();

  const uint8_t* mBegin;
  const uint8_t* mCur;
  const uint8_t* mEnd;
  int mBitPos = 7;
  bool mStuffPending = false;
  int mValid = 1;
  bool mCheck = true;  // the 0xFF test is due on the current byte
};

class JOutBitStream {
 public:
  // size < 1 or a failed allocation raises JMemoryError "JOutBitStream".
  // A growing stream doubles its buffer instead of raising full-buffer errors.
  explicit JOutBitStream(int64_t size, bool growing = false);
  ~JOutBitStream();
  JOutBitStream(const JOutBitStream&) = delete;
  JOutBitStream& operator=(const JOutBitStream&) = delete;

  void SetBits(uint32_t value, int n);
  void SetByte(int b);
  void SetWord(int w);
  void CopyByte(const uint8_t* src, int n);
  void Flush();

  const uint8_t* Data() const { return mBegin; }
  int64_t Written() const { return mCur - mBegin; }
  int64_t Capacity() const { return mEnd - mBegin; }

 private:
  void Put(uint32_t v, int n);
  void CloseByte();
  // Makes room for `bytes` bytes at mCur, or raises `e`.
  void Room(int64_t bytes, int e);

  uint8_t* mBegin = nullptr;
  uint8_t* mCur = nullptr;
  uint8_t* mEnd = nullptr;
  int mBitPos = 7;
  int mValid = 1;
  bool mGrowing = false;
};

}  // namespace jpeg
