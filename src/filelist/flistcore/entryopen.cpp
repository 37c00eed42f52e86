#include "filelist/flistcore/entryopen.h"

#include <cstring>

#include "archive/arc_names.h"
#include "filelist/flistcore/drivelist.h"
#include "fw/sjis.h"

namespace flist {

namespace {

std::string AsciiLower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

// Position of the last "\" (or also "/" with `slash`) that stands at a
// character boundary; npos when none.
std::size_t LastSeparator(const std::string& s, bool slash) {
  std::size_t last = std::string::npos;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (fw::IsSjisLeadByte(c) && i + 1 < s.size()) {
      ++i;
      continue;
    }
    if (c == '\\' || (slash && c == '/')) last = i;
  }
  return last;
}

std::uint32_t Le(const std::uint8_t* p, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

}  // namespace

OpenExtension ClassifyExtension(const std::string& extText, bool forceZip, bool driveList) {
  OpenExtension r;
  std::string e = forceZip ? std::string("=zip") : AsciiLower(extText);
  if (e.size() == 4 && (e[0] == '+' || e[0] == '-' || e[0] == '=') && (e.compare(1, 3, "zip") == 0 || e.compare(1, 3, "lzh") == 0)) {
    r.marked = true;
    e = e.substr(1);
  } else if (e.size() > 3) {
    e.resize(3);
  }
  r.ext = e;
  if (e.empty() || driveList) r.kind = OpenKind::kEnter;
  else if (e == "zip") r.kind = OpenKind::kZip;
  else if (e == "lzh") r.kind = OpenKind::kLzh;
  else r.kind = OpenKind::kExecute;
  return r;
}

int PathBarSegment(const std::int32_t* pathBarX, int x) {
  int k = 0;
  for (int i = 0; i < 19; ++i) {
    if (pathBarX[i] == 0) break;
    if (pathBarX[i] > 0 && pathBarX[i] < x) ++k;
  }
  return k;
}

std::string CutAfterBackslash(const std::string& dir, int k) {
  if (k < 1) return std::string();
  int seen = 0;
  for (std::size_t i = 0; i < dir.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(dir[i]);
    if (fw::IsSjisLeadByte(c) && i + 1 < dir.size()) {
      ++i;
      continue;
    }
    if (c == '\\' && ++seen == k) return dir.substr(0, i + 1);
  }
  return std::string();
}

const char* SpecialFolderSuffix(const std::string& rowName) {
  // kSpecialFolders: desktop, OneDrive, documents, music, pictures, videos, downloads.
  static const char* const kSuffix[7] = {"\\Desktop\\", "\\OneDrive\\", "\\Documents\\", "\\Music\\",
                                         "\\Pictures\\", "\\Videos\\", "\\Downloads\\"};
  for (int i = 0; i < 7; ++i)
    if (rowName == kSpecialFolders[i]) return kSuffix[i];
  return nullptr;
}

std::string SpecialFolderPath(const std::string& userName, const char* suffix) {
  std::string user = userName.substr(0, std::min<std::size_t>(userName.size(), 200));
  const std::size_t nul = user.find('\0');
  if (nul != std::string::npos) user.resize(nul);
  std::string tail = suffix ? suffix : "";
  if (!tail.empty() && tail.back() == '\\') tail.pop_back();
  return "C:\\Users\\" + user + tail;
}

std::string ArchiveFolderFor(const std::string& archivePath) {
  const std::size_t sep = LastSeparator(archivePath, false);
  const std::size_t nameAt = sep == std::string::npos ? 0 : sep + 1;
  std::string name = archivePath.substr(nameAt);
  // Without the extension: up to the last "." of the file name.
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.resize(dot);
  for (std::size_t i = 0; i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (fw::IsSjisLeadByte(c) && i + 1 < name.size()) {
      ++i;
      continue;
    }
    if (c == ' ') name[i] = '_';
  }
  return archivePath.substr(0, nameAt) + name + "_DIR\\";
}

ZipHeadPlan PlanZipHead(const std::uint8_t* head, std::size_t headLen, std::uint64_t archiveLen) {
  ZipHeadPlan p;
  if (!head || headLen > kZipHeadBytes) headLen = head ? kZipHeadBytes : 0;
  if (headLen < 30 || std::memcmp(head, "PK\x03\x04", 4) != 0) return p;
  const std::uint32_t flags = Le(head + 6, 2);
  const std::uint32_t method = Le(head + 8, 2);
  p.dosTime = static_cast<std::uint16_t>(Le(head + 10, 2));
  p.dosDate = static_cast<std::uint16_t>(Le(head + 12, 2));
  p.compressedSize = Le(head + 18, 4);
  p.uncompressedSize = Le(head + 22, 4);
  const std::size_t nameLen = Le(head + 26, 2);
  const std::size_t extraLen = Le(head + 28, 2);
  p.utf8Name = (flags & 0x800) != 0;
  // The name must end within the bytes held; the extra field too, so the
  // data start is known.
  if (nameLen == 0 || 30 + nameLen + extraLen > headLen) return p;
  p.rawName.assign(reinterpret_cast<const char*>(head + 30), nameLen);
  if (flags & 0x1) return p;  // encrypted
  if (flags & 0x8) return p;  // sizes in a data descriptor: the head's are not the member's
  if (method != 0 && method != 8) return p;
  if (method == 0 && p.compressedSize != p.uncompressedSize) return p;
  const std::uint64_t dataAt = 30 + nameLen + extraLen;
  if (dataAt + p.compressedSize > archiveLen) return p;  // sizes beyond the archive
  // The one-member rule: the compressed data plus 200 bytes pass the end.
  if (static_cast<std::uint64_t>(p.compressedSize) + 200 <= archiveLen) return p;
  if (p.uncompressedSize > kSingleMemberMax) return p;
  p.readBytes = static_cast<std::size_t>(archiveLen);
  p.outRoom = static_cast<std::size_t>(p.uncompressedSize) + 1000;
  p.bufferBytes = (p.readBytes > p.outRoom ? p.readBytes : p.outRoom) + 1;
  p.single = true;
  return p;
}

std::string SingleMemberFileName(const std::string& rawName, bool utf8Flag, bool utf8Mode) {
  const std::string sjis = arc::MemberNameToSjis(rawName, utf8Flag, utf8Mode);
  const std::size_t sep = LastSeparator(sjis, true);
  const std::string last = sep == std::string::npos ? sjis : sjis.substr(sep + 1);
  if (last.empty() || last == "." || last == "..") return std::string();
  std::string safe;
  bool folder = false;
  if (arc::SafeMemberPath(last, &safe, &folder) != arc::NameCheck::kOk || folder) return std::string();
  // One component went in; the rules never add a separator, but a name
  // that still holds one is refused rather than written below the folder.
  if (LastSeparator(safe, true) != std::string::npos || safe == "." || safe == "..") return std::string();
  return safe;
}

MemberTime MemberTimeFromDos(std::uint16_t dosTime, std::uint16_t dosDate) {
  MemberTime t;
  const int second = (dosTime & 0x1F) * 2;
  const int minute = (dosTime >> 5) & 0x3F;
  const int hour = (dosTime >> 11) & 0x1F;
  const int day = dosDate & 0x1F;
  const int month = (dosDate >> 5) & 0x0F;
  const int year = ((dosDate >> 9) & 0x7F) + 1980;
  if (year < 1970 || year > 2037 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 ||
      second > 59)
    return t;
  t.year = year;
  t.month = month;
  t.day = day;
  t.hour = hour;
  t.minute = minute;
  t.second = second;
  return t;
}

std::string NumberedTarget(const std::string& target, int n) {
  const std::size_t sep = LastSeparator(target, true);
  const std::size_t nameAt = sep == std::string::npos ? 0 : sep + 1;
  const std::size_t dot = target.rfind('.');
  const std::size_t at = dot != std::string::npos && dot > nameAt ? dot : target.size();
  return target.substr(0, at) + "_" + std::to_string(n) + target.substr(at);
}

}  // namespace flist
