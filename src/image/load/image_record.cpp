#include "image/load/image_record.h"

#include "fw/alloc.h"

namespace img {

DibHeader ReadDibHeader(const uint8_t* p) {
  DibHeader h;
  h.biSize = GetLe32(p);
  h.biWidth = int32_t(GetLe32(p + 4));
  h.biHeight = int32_t(GetLe32(p + 8));
  h.biPlanes = GetLe16(p + 12);
  h.biBitCount = GetLe16(p + 14);
  h.biCompression = GetLe32(p + 16);
  h.biSizeImage = GetLe32(p + 20);
  h.biXPelsPerMeter = int32_t(GetLe32(p + 24));
  h.biYPelsPerMeter = int32_t(GetLe32(p + 28));
  h.biClrUsed = GetLe32(p + 32);
  h.biClrImportant = GetLe32(p + 36);
  return h;
}

void WriteDibHeader(uint8_t* p, const DibHeader& h) {
  PutLe32(p, h.biSize);
  PutLe32(p + 4, uint32_t(h.biWidth));
  PutLe32(p + 8, uint32_t(h.biHeight));
  PutLe16(p + 12, h.biPlanes);
  PutLe16(p + 14, h.biBitCount);
  PutLe32(p + 16, h.biCompression);
  PutLe32(p + 20, h.biSizeImage);
  PutLe32(p + 24, uint32_t(h.biXPelsPerMeter));
  PutLe32(p + 28, uint32_t(h.biYPelsPerMeter));
  PutLe32(p + 32, h.biClrUsed);
  PutLe32(p + 36, h.biClrImportant);
}

void ReleaseLoadBits(LoadRecord& rec, void (*releasePlugin)(void* handle)) {
  if (rec.m_nLoadBitsOwner == kOwnerHeap) fw::Free(rec.m_pLoadBits);
  if (rec.m_nLoadBitsOwner == kOwnerPlugin && releasePlugin) releasePlugin(rec.m_hLoadBits);
  rec.m_pLoadBits = nullptr;
  rec.m_hLoadBits = nullptr;
  rec.m_nLoadBitsAlloc = 0;
  rec.m_nLoadBitsOwner = kOwnerNone;
}

}  // namespace img
