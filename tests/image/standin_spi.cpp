// A stand-in image plug-in for the tests: exports GetPicture, decodes PNG
// bytes in memory with the program's own PNG loader and hands out the
// header and the rows in local-memory handles, as image plug-ins do.
#include <windows.h>

#include <cstring>
#include <string>

#include "image/load/image_dispatch.h"
#include "image/load/image_host.h"
#include "image/load/image_record.h"

namespace {
class Quiet : public img::LoadHost {
 public:
  void SetMessage(unsigned) override {}
  void AppendMessage(unsigned) override {}
  void MessageBox(unsigned) override {}
  void StatusText(const std::string&) override {}
};
}  // namespace

extern "C" int __stdcall GetPicture(char* buf, long len, unsigned int flag, HLOCAL* pHBInfo, HLOCAL* pHBm,
                                    FARPROC progress, long lData) {
  if (!buf || len <= 0 || !(flag & 1) || !pHBInfo || !pHBm) return 1;
  img::LoadRecord rec;
  Quiet host;
  img::LoadRequest req;
  req.kind = img::kKindPng;
  const img::LoadOutcome o =
      img::LoadImageBytes(rec, host, reinterpret_cast<const uint8_t*>(buf), uint32_t(len), uint32_t(len), req);
  if (o.result != 0) return 2;
  HLOCAL info = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, rec.m_nLoadInfoSize);
  HLOCAL bits = LocalAlloc(LMEM_MOVEABLE, rec.m_nLoadDataSize ? rec.m_nLoadDataSize : 1);
  if (!info || !bits) {
    img::ReleaseLoadBits(rec);
    return 3;
  }
  std::memcpy(LocalLock(info), rec.m_bmiLoad, rec.m_nLoadInfoSize);
  std::memcpy(LocalLock(bits), rec.m_pLoadBits, rec.m_nLoadDataSize);
  LocalUnlock(info);
  LocalUnlock(bits);
  img::ReleaseLoadBits(rec);
  *pHBInfo = info;
  *pHBm = bits;
  return 0;
}
