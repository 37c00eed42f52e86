// The words the archive codec objects of one run share. The caller owns one
// ArcState (the document holds none); the codec objects keep a reference to
// it, so the codec runs the same in tests and in the program.
#pragma once

#include <cstdint>

namespace arc {

struct ArcState {
  // Length in bytes of the in-memory ZIP archive that ZipBitReader reads.
  int32_t m_nArcInSize = 0;
  // End-of-input state of ZipBitReader: 0 while source bytes remain unread,
  // 1 once the last byte was taken into the reader, 2 once a read asked for
  // bits beyond the end. Inflater::Inflate sets it back to 0 when a member ends.
  int32_t m_nArcProgress = 0;
  // 0: members go to the output stream; > 0: member bytes whose position in
  // the member is below this go to m_pArcOutBuf.
  int32_t m_nArcOutMax = 0;
  // Memory output (at least m_nArcOutMax bytes; owned by the caller).
  uint8_t* m_pArcOutBuf = nullptr;
  // Raised by 1 for each byte Inflater::Inflate emits except the byte that
  // completes a member (saturates at INT32_MAX).
  int32_t m_nArcOutLen = 0;
  // External attributes of the last central directory record read; written
  // into the central records that ZipHeader::BuildCentral makes.
  int32_t m_nArcAttr = 0;
};

}  // namespace arc
