// The one-member ZIP plan and the names the double-click writes under, over
// random heads (held in a buffer of exactly their length, so any read past
// them stops the run), archive lengths and member names: the plan takes the
// one-member path only for a head that holds its name and data, its buffer
// holds both the archive and the output room, and a member's file name
// never leaves the archive's folder.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/fileops/folderhost.h"
#include "filelist/flistcore/entryopen.h"
#include "fw/sjis.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

std::uint32_t Le(const std::uint8_t* p, int n) {
  std::uint32_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

// True when `name` holds a separator ("/" or a "\" at a character boundary).
bool HasSeparator(const std::string& name) {
  for (std::size_t i = 0; i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (fw::IsSjisLeadByte(c) && i + 1 < name.size()) {
      ++i;
      continue;
    }
    if (c == '\\' || c == '/' || c == ':') return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 6) return 0;
  const std::uint64_t archiveLen = Le(data, 4);
  const bool utf8Flag = data[4] & 1, utf8Mode = data[4] & 2;
  const std::size_t headLen = data[5] % 2 ? std::min<std::size_t>(size - 6, flist::kZipHeadBytes) : size - 6;
  std::vector<std::uint8_t> head(data + 6, data + 6 + headLen);
  const flist::ZipHeadPlan p = flist::PlanZipHead(head.data(), head.size(), archiveLen);
  if (p.single) {
    Check(head.size() >= 30 && std::memcmp(head.data(), "PK\x03\x04", 4) == 0);
    const std::size_t dataAt = 30 + Le(head.data() + 26, 2) + Le(head.data() + 28, 2);
    Check(dataAt <= head.size() && dataAt <= flist::kZipHeadBytes);
    Check(!(Le(head.data() + 6, 2) & 1));
    Check(dataAt + p.compressedSize <= archiveLen);
    Check(p.readBytes == archiveLen && p.bufferBytes > p.readBytes && p.bufferBytes > p.outRoom);
    Check(p.uncompressedSize <= flist::kSingleMemberMax);
  }
  // The member's file name (the head's name, or the whole input as one).
  const std::string raw = p.rawName.empty() ? std::string(reinterpret_cast<const char*>(data + 6), size - 6) : p.rawName;
  const std::string name = flist::SingleMemberFileName(raw, utf8Flag, utf8Mode);
  if (!name.empty()) {
    Check(name != "." && name != ".." && !HasSeparator(name));
    const std::string resolved = fileops::ResolvePath("C:\\arc", name);
    Check(resolved.size() > 7 && resolved.compare(0, 7, "C:\\arc\\") == 0);
    for (int n = 2; n <= 9; ++n) {
      const std::string numbered = flist::NumberedTarget("C:\\arc\\" + name, n);
      Check(numbered.compare(0, 7, "C:\\arc\\") == 0 && !HasSeparator(numbered.substr(7)));
    }
  }
  // The "_DIR" folder stays beside the archive.
  const std::string archive = "C:\\d\\" + raw.substr(0, 200);
  const std::string folder = flist::ArchiveFolderFor(archive);
  Check(folder.size() >= 9 && folder.compare(folder.size() - 5, 5, "_DIR\\") == 0);
  const flist::MemberTime t = flist::MemberTimeFromDos(static_cast<std::uint16_t>(archiveLen),
                                                       static_cast<std::uint16_t>(archiveLen >> 16));
  Check(t.year >= 1970 && t.year <= 2037 && t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 31);
  return 0;
}
