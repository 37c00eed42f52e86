#include "image/jpeg/jpeg_decoder.h"

#include <cstring>
#include <new>

#include "image/jpeg/jpeg_tables.h"

namespace jpeg {

void AllocIntArray(int** slot, int count, int fill, JErr name) {
  JFree(*slot);
  *slot = nullptr;
  if (count < 0) ThrowMemory(count, name);
  int* p = static_cast<int*>(JAlloc(static_cast<std::size_t>(count) * sizeof(int)));
  if (p == nullptr) ThrowMemory(count, name);
  for (int i = 0; i < count; ++i) p[i] = fill;
  *slot = p;
}

JDecoder::JDecoder() {
  std::memset(mCoef, 0, sizeof mCoef);
  std::memset(mPixel, 0, sizeof mPixel);
  std::memset(mFrame, 0, sizeof mFrame);
  std::memset(mScan, 0, sizeof mScan);
  std::memset(mQuant, 0, sizeof mQuant);
}

JDecoder::~JDecoder() {
  for (auto& cls : mHuff) {
    for (auto& t : cls) {
      JFree(t.sizes);
      JFree(t.codes);
      JFree(t.values);
    }
  }
  FreeUnits();
  JFree(mComment);
}

int JDecoder::ReadHeader(const uint8_t* data, int64_t size) {
  mStream = new (mStreamStore) JInBitStream(data, size);
  try {
    ReadMarkers();
    return 0;
  } catch (const JMemoryError&) {
    return -1;
  } catch (const JIndexError&) {
  } catch (const JBufferError&) {
  } catch (const JDataFormatError&) {
  } catch (const JNotSupported&) {
  }
  return -2;
}

int JDecoder::Decode() { return DecodeWith<JScanBits>(); }

void JDecoder::GetInfo(uint8_t** r, uint8_t** g, uint8_t** b, int* width, int* height,
                       int* components) const {
  *r = mRgbPA[0];
  *g = mRgbPA[1];
  *b = mRgbPA[2];
  *width = mWidth;
  *height = mHeight;
  *components = mComponents;
}

void JDecoder::FreePlanes() {
  for (auto& p : mRgbPA) {
    JFree(p);
    p = nullptr;
  }
}

void JDecoder::FreeUnits() {
  for (auto& u : mUnit) {
    JFree(u);
    u = nullptr;
  }
}

// ---- markers -----------------------------------------------------------------

int JDecoder::NextMarker() {
  for (;;) {
    if (mStream->GetByte() != 0xFF) continue;
    int c = mStream->GetByte();
    if (c == 0) continue;
    return (c >= 3 && c <= 0xBF) ? 255 : c;
  }
}

void JDecoder::ReadMarkers() {
  mState = 0;
  mPhotoFlag = 0;
  while (NextMarker() != 0xD8) {
  }
  mState = 1;
  while (mState == 1) {
    mFlags |= AnalyzeMarker();
    if (mFlags & 16) break;
  }
}

int JDecoder::SegmentLength() {
  int l = mStream->GetWord();
  if (l < 2) ThrowFormat(mStream->Position(), JErr::SegmentLength);
  return l;
}

int JDecoder::AnalyzeMarker() {
  const int code = NextMarker();
  switch (code) {
    case 0xC0: {
      int l = SegmentLength();
      int64_t from = mStream->AlignedOffset();
      AnalyzeFrame();
      if (mStream->AlignedOffset() - from > l - 2) ThrowFormat(mStream->Position(), JErr::SegmentLength);
      return 0;
    }
    case 0xC4:
      AnalyzeDHT(SegmentLength() - 2);
      return 1;
    case 0xD9:
      mState = 0;
      return 0;
    case 0xDA: {
      int l = SegmentLength();
      int64_t from = mStream->AlignedOffset();
      AnalyzeScan();
      if (mStream->AlignedOffset() - from > l - 2) ThrowFormat(mStream->Position(), JErr::SegmentLength);
      return 16;
    }
    case 0xDB:
      AnalyzeDQT(SegmentLength() - 2);
      return 2;
    case 0xDC:
      if (SegmentLength() < 4) ThrowFormat(mStream->Position(), JErr::SegmentLength);
      mHeight = mStream->GetWord();
      if (mHeight == 0) ThrowFormat(mStream->Position(), JErr::FrameSize);
      return 0;
    case 0xDD:
      if (SegmentLength() < 4) ThrowFormat(mStream->Position(), JErr::SegmentLength);
      mRestartInterval = mStream->GetWord();
      return 0;
    case 0xE0:
    case 0xED:
      AnalyzeApp(code);
      return 0;
    case 0xFE: {
      int n = SegmentLength() - 2;
      JFree(mComment);
      mComment = static_cast<char*>(JAlloc(static_cast<std::size_t>(n) + 1));
      if (mComment == nullptr) ThrowMemory(int64_t(n) + 1, JErr::CommentAlloc);
      mComment[0] = '\0';
      mStream->CopyByte(reinterpret_cast<uint8_t*>(mComment), n);
      mComment[n] = '\0';
      return 8;
    }
    default:
      break;
  }
  if ((code >= 0xC1 && code <= 0xC3) || (code >= 0xC5 && code <= 0xC7) || (code >= 0xC9 && code <= 0xCF) ||
      code == 0xDE || code == 0xDF) {
    ThrowNotSupported(code, mStream->Position());
  }
  if ((code >= 0xE1 && code <= 0xEC) || code == 0xEE || code == 0xEF) {
    mStream->SkipByte(SegmentLength() - 2);
    return 0;
  }
  ThrowFormat(mStream->Position() - 1, JErr::MarkerError);
}

void JDecoder::AnalyzeFrame() {
  mPrecision = mStream->GetByte();
  mHeight = mStream->GetWord();
  mWidth = mStream->GetWord();
  mComponents = mStream->GetByte();
  // A frame without pixels is as malformed as any other bad frame value.
  if (mWidth == 0 || mHeight == 0) ThrowFormat(mStream->Position(), JErr::FrameSize);
  if (mComponents != 1 && mComponents != 3 && mComponents != 4) {
    ThrowNotSupported(192, mStream->Position());
  }
  mHmax = 0;
  mVmax = 0;
  for (int i = 0; i < mComponents; ++i) {
    FrameComponent& f = mFrame[i];
    f.id = static_cast<uint8_t>(mStream->GetByte());
    int samp = mStream->GetByte();
    if (mComponents == 1) samp = 0x11;
    int h = samp >> 4, v = samp & 15;
    // A factor of 0 would divide by zero in the MCU geometry; more than 4 is
    // outside the format.
    if (h < 1 || h > 4 || v < 1 || v > 4) {
      mHmax = mVmax = 0;
      ThrowFormat(mStream->Position(), JErr::FrameSampling);
    }
    f.h = static_cast<int8_t>(h);
    f.v = static_cast<int8_t>(v);
    if (h > mHmax) mHmax = static_cast<int8_t>(h);
    if (v > mVmax) mVmax = static_cast<int8_t>(v);
    int tq = mStream->GetByte();
    if (tq > 3) {
      mHmax = mVmax = 0;
      ThrowFormat(mStream->Position(), JErr::FrameQuantTable);
    }
    f.tq = static_cast<int8_t>(tq);
  }
}

void JDecoder::AnalyzeScan() {
  int ns = mStream->GetByte();
  mScanHeader[0] = static_cast<uint8_t>(ns);
  // Only one interleaved scan of every frame component is decoded.
  if (ns > 4 || ns != mComponents) ThrowNotSupported(0xDA, mStream->Position());
  for (int i = 0; i < ns; ++i) {
    mScan[i].cs = static_cast<uint8_t>(mStream->GetByte());
    int t = mStream->GetByte();
    int td = t >> 4, ta = t & 15;
    if (td > 2) ThrowIndex(2, td, JErr::ScanTdOver);
    if (ta > 2) ThrowIndex(2, ta, JErr::ScanTaOver);
    mScan[i].td = static_cast<uint8_t>(td);
    mScan[i].ta = static_cast<uint8_t>(ta);
  }
  mScanHeader[1] = static_cast<uint8_t>(mStream->GetByte());
  mScanHeader[2] = static_cast<uint8_t>(mStream->GetByte());
  int a = mStream->GetByte();
  mScanHeader[3] = static_cast<uint8_t>(a >> 4);
  mScanHeader[4] = static_cast<uint8_t>(a & 15);
}

void JDecoder::AnalyzeDHT(int length) {
  if (mStream->IsValid() == nullptr) ThrowFormat(0, JErr::DhtLength);
  const int64_t end = mStream->AlignedOffset() + length;
  while (mStream->AlignedOffset() < end) {
    int b = mStream->GetByte();
    int tc = b >> 4, th = b & 15;
    if (tc >= 2) ThrowFormat(mStream->Position() - 1, JErr::DhtTc);
    if (th > 3) ThrowFormat(mStream->Position() - 1, JErr::DhtTh);
    int counts[16];
    int total = 0;
    for (int& n : counts) {
      n = mStream->GetByte();
      total += n;
    }
    JHuffTable& t = mHuff[tc][th];
    t.count = 0;
    AllocIntArray(&t.sizes, total, 0, JErr::HuffmanSize);
    AllocIntArray(&t.codes, total, 0, JErr::HuffmanCode);
    AllocIntArray(&t.values, total, 0, JErr::HuffmanValue);
    int k = 0;
    for (int len = 1; len <= 16; ++len)
      for (int i = 0; i < counts[len - 1]; ++i) t.sizes[k++] = len;
    if (total > 0) {
      int code = 0, si = t.sizes[0];
      k = 0;
      for (;;) {
        while (k < total && t.sizes[k] == si) {
          t.codes[k++] = code++;
        }
        if (k >= total) break;
        do {
          code <<= 1;
          ++si;
        } while (t.sizes[k] != si);
      }
    }
    for (int i = 0; i < total; ++i) t.values[i] = mStream->GetByte();
    t.count = total;
    if (mStream->AlignedOffset() > end) ThrowFormat(mStream->Position(), JErr::SegmentLength);
  }
}

void JDecoder::AnalyzeDQT(int length) {
  const int64_t end = mStream->AlignedOffset() + length;
  while (mStream->AlignedOffset() < end) {
    int b = mStream->GetByte();
    int index = (b & 15) % 4;
    bool words = (b >> 4) != 0;
    for (int i = 0; i < 64; ++i) {
      int v = words ? mStream->GetWord() : mStream->GetByte();
      mQuant[index][kZigzag[i]] = v;
    }
    if (mStream->AlignedOffset() > end) ThrowFormat(mStream->Position(), JErr::SegmentLength);
  }
}

void JDecoder::AnalyzeApp(int code) {
  const int n = SegmentLength() - 2;
  if (n < 5) {
    mStream->SkipByte(n);
    return;
  }
  uint8_t id[5];
  mStream->CopyByte(id, 5);
  const bool phot = std::memcmp(id, "Phot", 4) == 0;
  if (code == 0xE0 && std::memcmp(id, "JFIF", 4) == 0) {
    mPhotoFlag = 1;
    AnalyzeJFIF(n);
    return;
  }
  if (code == 0xE0 && std::memcmp(id, "JFXX", 4) == 0) {
    AnalyzeJFXX(n);
    return;
  }
  if (phot) mPhotoFlag = 1;
  mStream->SkipByte(n - 5);
}

void JDecoder::AnalyzeJFIF(int n) {
  if (n < 14) ThrowFormat(mStream->Position(), JErr::SegmentLength);
  mJfifKind = 1;
  mVersionMajor = static_cast<uint8_t>(mStream->GetByte());
  mVersionMinor = static_cast<uint8_t>(mStream->GetByte());
  mDensityUnits = mStream->GetByte();
  mXDensity = mStream->GetWord();
  mYDensity = mStream->GetWord();
  mXThumbnail = mStream->GetByte();
  mYThumbnail = mStream->GetByte();
  mFlags |= 4;
  mStream->SkipByte(n - 14);
}

void JDecoder::AnalyzeJFXX(int n) {
  if (n < 6) ThrowFormat(mStream->Position(), JErr::SegmentLength);
  mJfifKind = 2;
  mJfxxCode = mStream->GetByte();
  mStream->SkipByte(n - 6);
}

}  // namespace jpeg
