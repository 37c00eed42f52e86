// A ZIP archive in memory: the record walk of the extraction entry, with
// stored and Deflate members extracted to bounded memory.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "archive/arc_error.h"
#include "archive/zip_header.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1 << 20)) return 0;
  arc::ArcState st;
  st.m_nArcInSize = static_cast<int32_t>(size);
  std::vector<uint8_t> mem(4096 + 2000);
  st.m_nArcOutMax = 4096;
  st.m_pArcOutBuf = mem.data();
  try {
    arc::ZipBitReader r(st, data);
    for (int records = 0; records < 256; ++records) {
      arc::ZipHeader h;
      h.Read(r);
      if (h.signature == arc::kZipLocalSig && h.complete) {
        if (!arc::IsSafeMemberPath(h.name)) continue;
        int64_t target = h.uncompressedSize > (1 << 22) ? (1 << 22) : h.uncompressedSize;
        arc::ZipCrc32 sink(st, nullptr, target);
        if (!arc::ZipExtractMember(r, h, sink)) break;
        std::vector<uint8_t> bytes;
        h.BuildLocal(bytes);
      } else if (h.signature == arc::kZipCentralSig && h.complete) {
        std::vector<uint8_t> bytes;
        h.BuildCentral(0, st.m_nArcAttr, bytes);
      } else {
        break;
      }
    }
  } catch (const arc::ArchiveError&) {
  }
  return 0;
}
