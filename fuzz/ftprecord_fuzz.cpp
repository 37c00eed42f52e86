// Server entries as list records over random names (0-400 bytes, any byte),
// sizes, times and "now": no crash, and
// - a kept name is the name given, safe to join to a folder: at most 255
//   bytes, no "/" or "\" of its own, no control byte, not dots only;
// - the extension is "*" or the text after the name's last ".";
// - a folder has size -1, a file its whole 64-bit size (below 2^63);
// - the time is 0 or within 1970 - 2037.
//
// Input: 8 bytes size, 8 bytes time, 8 bytes now, 1 flag byte, the name.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "core/docsvc/ftppath.h"
#include "filelist/flistcore/ftprecord.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 25 || size > 25 + 400) return 0;
  std::uint64_t fileSize;
  std::int64_t t, now;
  std::memcpy(&fileSize, data, 8);
  std::memcpy(&t, data + 8, 8);
  std::memcpy(&now, data + 16, 8);
  // Times the calendar functions take: +-10000 years around 1970.
  t %= 315569520000LL;
  now %= 315569520000LL;
  fileSize &= 0x7FFFFFFFFFFFFFFFull;
  const std::uint8_t flags = data[24];
  fileops::FolderEntry e;
  e.name.assign(reinterpret_cast<const char*>(data + 25), size - 25);
  e.size = fileSize;
  e.mtime = t;
  e.attributes = (flags & 1) ? fileops::kAttrFolder : fileops::kAttrArchive;
  flist::WorkEntry w;
  const bool kept = flist::FtpWorkEntry(e, (flags & 2) != 0, now, &w);
  if (kept != (docsvc::IsSafeFtpName(e.name) && e.name != "." && e.name != "..")) __builtin_trap();
  if (!kept) return 0;
  if (w.name != e.name || w.name.size() > 255 || w.name.empty()) __builtin_trap();
  if (w.name.find('/') != std::string::npos) __builtin_trap();
  if (w.name.find_first_not_of('.') == std::string::npos) __builtin_trap();
  for (unsigned char c : w.name)
    if (c < 0x20 || c == 0x7F) __builtin_trap();
  if (flags & 1) {
    if (w.size != -1 || !w.IsFolderLike()) __builtin_trap();
  } else {
    if (w.WholeSize() != fileSize) __builtin_trap();
    const std::size_t dot = w.name.rfind('.');
    const std::string want = dot == std::string::npos || dot == 0 ? "*" : w.name.substr(dot + 1);
    if (w.ext != want) __builtin_trap();
  }
  if (w.time != 0 && w.time >= 2145916800u) __builtin_trap();
  return 0;
}
