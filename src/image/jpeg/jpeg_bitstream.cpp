#include "image/jpeg/jpeg_bitstream.h"

#include <cstring>

#include "image/jpeg/jpeg_errors.h"

namespace jpeg {

// ---- reader ----------------------------------------------------------------

JInBitStream::JInBitStream(const uint8_t* begin, int64_t size)
    : mBegin(begin), mCur(begin), mEnd(begin == nullptr || size < 0 ? begin : begin + size) {}

int JInBitStream::GetBit() {
  if (mCur == nullptr || mCur >= mEnd) return -99;
  if (mBitPos < 0) {
    ++mCur;
    mBitPos = 7;
    if (mStuffPending) {
      ++mCur;
      mStuffPending = false;
    }
    if (mCur >= mEnd) {
      mValid = 0;
      return -99;
    }
    mCheck = true;
  }
  if (mCheck) {
    if (*mCur == 0xFF) {
      if (mCur + 1 >= mEnd) return -99;  // a 0xFF as the last byte ends the data
      int next = mCur[1];
      if (next != 0) {
        mCheck = false;  // reported once; further reads take the 0xFF as data
        return -next;
      }
      mStuffPending = true;
    }
    mCheck = false;
  }
  return (*mCur >> mBitPos--) & 1;
}

int JInBitStream::GetBits(int n) {
  int v = 0;
  for (int i = 0; i < n; ++i) {
    int b = GetBit();
    if (b < 0) return b;
    v = v * 2 + b;
  }
  return v;
}

void JInBitStream::AlignForByteRead() {
  if (mBitPos != 7) {
    ++mCur;
    mBitPos = 7;
  }
}

int JInBitStream::GetByte() {
  if (mValid == 0) ThrowBuffer(JErr::GetByte);
  AlignForByteRead();
  if (mCur >= mEnd) {
    mValid = 0;
    ThrowBuffer(JErr::GetByte);
  }
  int b = *mCur++;
  mStuffPending = false;
  mCheck = true;
  if (mCur >= mEnd) mValid = 0;
  return b;
}

int JInBitStream::GetWord() {
  if (mValid == 0) ThrowBuffer(JErr::GetWord);
  AlignForByteRead();
  if (mEnd - mCur < 2) {
    mValid = 0;
    ThrowBuffer(JErr::GetWord);
  }
  int w = (mCur[0] << 8) | mCur[1];
  mCur += 2;
  mStuffPending = false;
  mCheck = true;
  if (mCur >= mEnd) mValid = 0;
  return w;
}

void JInBitStream::CopyByte(uint8_t* dest, int n) {
  AlignForByteRead();
  if (n < 0 || mCur > mEnd || mEnd - mCur < n) ThrowBuffer(JErr::CopyByte);
  if (n > 0) std::memcpy(dest, mCur, static_cast<std::size_t>(n));
  mCur += n;
  mStuffPending = false;
  mCheck = true;
  if (mCur >= mEnd) mValid = 0;
}

void JInBitStream::SkipByte(int n) {
  // A negative count would move backwards and could loop on one marker.
  if (n < 0 || mCur > mEnd || mEnd - mCur < n) ThrowBuffer(JErr::SkipByte);
  mCur += n;
  mBitPos = 7;
  mStuffPending = false;
  mCheck = true;
  if (mCur >= mEnd) mValid = 0;
}

const uint8_t* JInBitStream::IsValid() const {
  if (mCur == nullptr || mCur >= mEnd) return nullptr;
  return mBitPos == 7 ? mCur : mCur + 1;
}

int JInBitStream::Position() const {
  const uint8_t* p = IsValid();
  if (p == nullptr) return 0;
  int64_t off = p - mBegin + 1;
  return off > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(off);
}

int64_t JInBitStream::AlignedOffset() const {
  return (mCur - mBegin) + (mBitPos != 7 ? 1 : 0);
}

void JInBitStream::Seek(int64_t offset, int bitPos, bool stuffPending, bool check) {
  mCur = mBegin + offset;
  mBitPos = bitPos;
  mStuffPending = stuffPending;
  mCheck = check;
  mValid = mCur < mEnd ? 1 : 0;
}

// ---- writer ----------------------------------------------------------------

JOutBitStream::JOutBitStream(int64_t size, bool growing) : mGrowing(growing) {
  if (size < 1 || static_cast<uint64_t>(size) > (SIZE_MAX >> 1)) ThrowMemory(size, JErr::OutStream);
  mBegin = static_cast<uint8_t*>(JAlloc(static_cast<std::size_t>(size)));
  if (mBegin == nullptr) ThrowMemory(size, JErr::OutStream);
  std::memset(mBegin, 0, static_cast<std::size_t>(size));
  mCur = mBegin;
  mEnd = mBegin + size;
}

JOutBitStream::~JOutBitStream() { JFree(mBegin); }

void JOutBitStream::Room(int64_t bytes, int e) {
  if (mEnd - mCur >= bytes) return;
  if (!mGrowing) {
    mValid = 0;
    ThrowBuffer(static_cast<JErr>(e));
  }
  int64_t used = mCur - mBegin;
  int64_t cap = mEnd - mBegin;
  int64_t want = used + bytes;
  int64_t grown = cap;
  while (grown < want) {
    if (grown > (INT64_MAX >> 2)) ThrowMemory(want, JErr::OutStream);
    grown *= 2;
  }
  auto* p = static_cast<uint8_t*>(JAlloc(static_cast<std::size_t>(grown)));
  if (p == nullptr) ThrowMemory(grown, JErr::OutStream);
  std::memcpy(p, mBegin, static_cast<std::size_t>(cap));
  std::memset(p + cap, 0, static_cast<std::size_t>(grown - cap));
  JFree(mBegin);
  mBegin = p;
  mCur = p + used;
  mEnd = p + grown;
  mValid = 1;
}

void JOutBitStream::CloseByte() {
  if (*mCur == 0xFF) {
    Room(2, static_cast<int>(JErr::SetBits));  // the stuffed 0x00 needs its own byte
    mCur[1] = 0;
    mCur += 2;
  } else {
    ++mCur;
  }
  mBitPos = 7;
  if (mCur >= mEnd) mValid = 0;
}

void JOutBitStream::Put(uint32_t v, int n) {
  v &= (1u << n) - 1;
  Room(1, static_cast<int>(JErr::SetBits));
  int room = mBitPos + 1;
  if (n <= room) {
    *mCur |= static_cast<uint8_t>(v << (room - n));
    mBitPos -= n;
    if (mBitPos < 0) CloseByte();
    return;
  }
  int r = n - room;
  *mCur |= static_cast<uint8_t>(v >> r);
  CloseByte();
  Room(1, static_cast<int>(JErr::SetBits));
  *mCur |= static_cast<uint8_t>((v << (8 - r)) & 0xFF);
  mBitPos = 7 - r;
}

void JOutBitStream::SetBits(uint32_t value, int n) {
  if (n <= 0) return;
  if (n > 16) ThrowBuffer(JErr::SetBitsMaxBitOver);
  if (mEnd - mCur >= 8) {
    // Room for every byte these bits can close, stuffing included: the bits
    // of the current byte and the new ones go through one accumulator.
    const int have = 7 - mBitPos;  // bits already in the current byte
    uint32_t acc = (static_cast<uint32_t>(*mCur) >> (mBitPos + 1) << n) | (value & ((1u << n) - 1));
    int total = have + n;
    while (total >= 8) {
      total -= 8;
      const uint8_t byte = static_cast<uint8_t>(acc >> total);
      *mCur = byte;
      if (byte == 0xFF) {
        mCur[1] = 0;
        mCur += 2;
      } else {
        ++mCur;
      }
    }
    *mCur = static_cast<uint8_t>((acc << (8 - total)) & 0xFF);
    mBitPos = 7 - total;
    if (mCur >= mEnd) mValid = 0;
    return;
  }
  if (n > 8) {
    Put(value >> 8, n - 8);
    Put(value & 0xFF, 8);
  } else {
    Put(value, n);
  }
}

void JOutBitStream::Flush() {
  if (mBitPos != 7) Put((1u << (mBitPos + 1)) - 1, mBitPos + 1);
}

void JOutBitStream::SetByte(int b) {
  if (mValid == 0 && !mGrowing) ThrowBuffer(JErr::SetByte);
  Flush();
  Room(1, static_cast<int>(JErr::SetByte));
  *mCur++ = static_cast<uint8_t>(b);
  if (mCur >= mEnd) mValid = 0;
}

void JOutBitStream::SetWord(int w) {
  if (mValid == 0 && !mGrowing) ThrowBuffer(JErr::SetWord);
  Flush();
  Room(2, static_cast<int>(JErr::SetWord));
  *mCur++ = static_cast<uint8_t>((w >> 8) & 0xFF);
  *mCur++ = static_cast<uint8_t>(w & 0xFF);
  if (mCur >= mEnd) mValid = 0;
}

void JOutBitStream::CopyByte(const uint8_t* src, int n) {
  if (n < 0) ThrowBuffer(JErr::OutCopyByte);
  // At least one byte always stays free.
  if (!mGrowing && mEnd - mCur <= n) ThrowBuffer(JErr::OutCopyByte);
  Flush();
  Room(static_cast<int64_t>(n) + 1, static_cast<int>(JErr::OutCopyByte));
  if (n > 0) std::memcpy(mCur, src, static_cast<std::size_t>(n));
  mCur += n;
  if (mCur >= mEnd) mValid = 0;
}

}  // namespace jpeg
