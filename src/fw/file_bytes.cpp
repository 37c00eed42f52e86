#include "fw/file_bytes.h"

#include "fw/file.h"

namespace fw {

bool ReadFileBytes(const CString& path, std::vector<std::uint8_t>* bytes) {
  bytes->clear();
  CFile file;
  if (!file.Open(path, CFile::modeRead | CFile::typeBinary)) return false;
  try {
    std::uint8_t block[65536];
    for (;;) {
      const UINT got = file.Read(block, sizeof block);
      if (got == 0) break;
      bytes->insert(bytes->end(), block, block + got);
    }
    file.Close();
  } catch (...) {
    return false;
  }
  return true;
}

}  // namespace fw
