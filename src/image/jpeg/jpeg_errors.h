// Failure records of the JPEG codec and its one allocation function.
//
// The five records are plain values, thrown by value and caught by type at the
// codec's entry points only (JDecoder::ReadHeader / Decode, JEncoder::Encode),
// which turn them into the result codes 0 / -1 / -2. Every text a record
// carries comes from the one table in jpeg_errors.cpp (JErrorText).
#pragma once

#include <cstddef>
#include <cstdint>

namespace jpeg {

// Index into the codec's error-text table.
enum class JErr : int {
  GetByte,
  GetWord,
  CopyByte,
  SkipByte,
  SetBitsMaxBitOver,
  SetBits,
  SetByte,
  SetWord,
  OutCopyByte,
  OutStream,
  MarkerError,
  DhtLength,
  DhtTc,
  DhtTh,
  HuffmanLengthOver,
  WrongHuffmanValue,
  ScanTdOver,
  ScanTaOver,
  EncodeDc,
  EncodeAc,
  HuffmanSize,
  HuffmanCode,
  HuffmanValue,
  Plane0,
  Plane1,
  Plane2,
  Unit1,
  Unit2,
  Unit3,
  Unit4,
  FrameSampling,
  FrameQuantTable,
  DcCategory,
  SegmentLength,
  NoFrame,
  PlaneLimit,
  CommentAlloc,
  EncodeSize,
  FrameSize,
  Count
};

// The table's text for an index ("" out of range).
const char* JErrorText(JErr e) noexcept;

struct JBufferError {
  const char* where;
};
struct JNotSupported {
  int marker;
  int position;
};
struct JDataFormatError {
  int position;
  const char* message;
};
struct JIndexError {
  int limit;
  int value;
  const char* message;
};
struct JMemoryError {
  int64_t size;
  const char* where;
};

[[noreturn]] void ThrowBuffer(JErr e);
[[noreturn]] void ThrowFormat(int position, JErr e);
[[noreturn]] void ThrowNotSupported(int marker, int position);
[[noreturn]] void ThrowIndex(int limit, int value, JErr e);
[[noreturn]] void ThrowMemory(int64_t size, JErr e);

// Every allocation of the codec goes through these two. JAlloc returns null
// when the memory cannot be had (callers raise JMemoryError); JFree takes
// null. Planes handed to a caller are freed with JFree.
void* JAlloc(std::size_t bytes) noexcept;
// JAlloc of cleared bytes (a large block comes cleared from the system
// without a pass over it).
void* JAllocZeroed(std::size_t bytes) noexcept;
void JFree(void* p) noexcept;

// Test hook: the n-th JAlloc from now on (1 = the next one) fails; 0 turns
// the hook off. Returns the number of JAlloc calls since the last setting.
int JSetAllocFailure(int n) noexcept;
int JAllocCount() noexcept;

}  // namespace jpeg
