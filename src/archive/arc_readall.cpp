#include "archive/arc_readall.h"

#include <algorithm>
#include <new>

#include "fw/file.h"

namespace arc {

WholeRead ReadWholeArchive(const std::string& path, std::size_t spare, std::vector<std::uint8_t>* block,
                           std::size_t* got) {
  *got = 0;
  CFile f;
  if (!f.Open(path.c_str(), CFile::modeRead | CFile::typeBinary)) return WholeRead::kCannotOpen;
  const ULONGLONG len = f.GetLength();
  if (len >= 0x80000000ull) {
    f.Abort();
    return WholeRead::kTooLarge;
  }
  try {
    block->assign(static_cast<std::size_t>(len) + spare, 0);
  } catch (const std::bad_alloc&) {
    f.Abort();
    return WholeRead::kNoMemory;
  }
  try {
    while (*got < len) {
      const UINT n = f.Read(block->data() + *got, static_cast<UINT>(std::min<ULONGLONG>(len - *got, 1u << 24)));
      if (n == 0) break;
      *got += n;
    }
  } catch (const CFileException&) {
    f.Abort();
    return WholeRead::kReadFailed;
  }
  f.Abort();
  return WholeRead::kOk;
}

}  // namespace arc
