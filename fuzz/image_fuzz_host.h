// The loaders' host for fuzz targets: small memory settings, nothing shown.
#pragma once

#include <string>

#include "image/load/image_dispatch.h"
#include "image/load/image_host.h"
#include "image/load/image_record.h"

namespace imgfuzz {

class QuietHost : public img::LoadHost {
 public:
  // Small memory settings keep each run fast; the limit checks are the same.
  QuietHost() {
    textBufSize = 1u << 20;
    textBufSize2 = 1u << 20;
  }
  void SetMessage(unsigned) override {}
  void AppendMessage(unsigned) override {}
  void MessageBox(unsigned) override {}
  void StatusText(const std::string&) override {}
};

// Loads through the dispatcher and checks the record's consistency.
inline void LoadAndCheck(const uint8_t* data, size_t size, int kind, const img::LoadRecord& setup) {
  img::LoadRecord rec = setup;
  QuietHost host;
  img::LoadRequest req;
  req.kind = kind;
  const img::LoadOutcome o = img::LoadImageBytes(rec, host, data, uint32_t(size), size, req);
  if (o.result == 0 && !o.metafile) {
    if (rec.m_nLoadDataSize > rec.m_nLoadBitsAlloc) __builtin_trap();
    if (uint64_t(rec.m_nLoadHeight) * rec.m_nLoadStride > rec.m_nLoadDataSize) __builtin_trap();
    if (rec.m_nLoadInfoSize > img::kMaxInfoSize) __builtin_trap();
    // Touch every byte the view would copy.
    volatile uint8_t sum = 0;
    for (uint32_t i = 0; i < rec.m_nLoadDataSize; i += 61) sum = uint8_t(sum + rec.m_pLoadBits[i]);
    if (rec.m_nLoadDataSize) sum = uint8_t(sum + rec.m_pLoadBits[rec.m_nLoadDataSize - 1]);
  } else if (rec.m_nLoadBitsOwner != 0) {
    __builtin_trap();
  }
  img::ReleaseLoadBits(rec);
}

}  // namespace imgfuzz
