// What the double-click on a list entry does, decided without the window:
// the extension dispatch, the path-line cut, the special folders of the
// drive list, and the archive plans (the "_DIR" folder beside an archive,
// the bounded read of a one-member ZIP, the target name of its member and
// the numbered names tried when the target exists). Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace flist {

// --- The extension dispatch ---------------------------------------------------

enum class OpenKind {
  kEnter,    // no extension (a folder, a drive row, a bare name): entered
  kExecute,  // any other file: the Execute command
  kZip,      // extracted as a ZIP archive
  kLzh,      // extracted as an LZH archive
};

struct OpenExtension {
  std::string ext;      // lower case, at most 3 characters
  bool marked = false;  // one of the program's compressed forms ("+zip", "-lzh", ...)
  OpenKind kind = OpenKind::kEnter;
};

// The entry's extension text as the double-click reads it: "=zip" under the
// RTZX edit (`forceZip`); a marked form reduced to its last 3 characters;
// a longer text to its first 3. In the drive list every row is entered.
OpenExtension ClassifyExtension(const std::string& extText, bool forceZip, bool driveList);

// --- The path line ---------------------------------------------------------------

// The number of path-bar segments whose right end (positive values of the
// 20-value table, 0 ends it) lies left of x; at most 19.
int PathBarSegment(const std::int32_t* pathBarX, int x);
// `dir` cut just after its k-th backslash (the backslash stays); "" when
// k < 1 or `dir` has fewer backslashes. A backslash that is the trail byte
// of a double-byte character does not count.
std::string CutAfterBackslash(const std::string& dir, int k);

// --- The special folders of the drive list -------------------------------------

// The folder below "C:\Users\<user>" that a drive-list row names ("\Documents\"
// for "ドキュメント"), or nullptr for any other row.
const char* SpecialFolderSuffix(const std::string& rowName);
// "C:\Users\" + user + the suffix without its trailing "\" (the user name
// is cut at its first NUL and at 200 bytes).
std::string SpecialFolderPath(const std::string& userName, const char* suffix);

// --- Archives ----------------------------------------------------------------------

// The folder an archive is extracted into: the archive path without its
// extension, with "_" for every blank of its file name (blanks of the
// folders above stay), + "_DIR" and a trailing "\". The archive itself is
// never renamed.
std::string ArchiveFolderFor(const std::string& archivePath);

// The head of a ZIP archive as the single-member extraction reads it.
constexpr std::size_t kZipHeadBytes = 256;

struct ZipHeadPlan {
  bool single = false;         // extract the one member in memory (else the whole archive)
  std::string rawName;         // the member name as stored
  bool utf8Name = false;       // general-purpose flag bit 11
  std::uint16_t dosTime = 0;   // bytes 10-11
  std::uint16_t dosDate = 0;   // bytes 12-13
  std::uint32_t compressedSize = 0;
  std::uint32_t uncompressedSize = 0;
  std::size_t readBytes = 0;   // bytes of the archive to read for the decoding (the whole archive)
  std::size_t outRoom = 0;     // output room handed to the decoder (uncompressed size + 1000)
  std::size_t bufferBytes = 0; // the buffer for both: the larger need + 1
};

// Upper bound of a member's declared size for the in-memory path; a larger
// member takes the whole-archive path, which streams to the disk.
constexpr std::uint32_t kSingleMemberMax = 256u * 1024u * 1024u;

// Decides from the first `headLen` bytes (at most 256) of an archive of
// `archiveLen` bytes. The single-member path is taken only when the head
// starts with "PK\3\4", its name and extra field end within the bytes held,
// the method is stored (0) or deflated (8), the member is not encrypted and
// carries no data descriptor, the compressed data ends within the archive,
// the archive holds nothing but this member and at most 200 bytes more
// (compressed size + 200 above the archive's length, the rule of the
// one-member archives), and the member's size is within kSingleMemberMax.
// Every read stays inside `head[0..headLen)`.
ZipHeadPlan PlanZipHead(const std::uint8_t* head, std::size_t headLen, std::uint64_t archiveLen);

// The file name a member is written under beside the archive: its last
// component after "/" or a "\" at a character boundary, made safe (":" and
// the characters Windows refuses become "_", a device name gets "_" in
// front, trailing dots and blanks go). "" when nothing usable is left
// ("", ".", ".."): the member is not written.
std::string SingleMemberFileName(const std::string& rawName, bool utf8Flag, bool utf8Mode);

// The member's time from its DOS time and date words: seconds × 2, minutes,
// hours, day, month, year + 1980. A year outside 1970-2037, a month outside
// 1-12, a day outside 1-31 or an hour, minute or second out of its range
// gives 1 January 1970, 00:00:00.
struct MemberTime {
  int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};
MemberTime MemberTimeFromDos(std::uint16_t dosTime, std::uint16_t dosDate);

// The target with "_n" inserted before the extension of its file name
// (n 2-9): "C:\a\m.txt" -> "C:\a\m_3.txt"; a name without extension gets
// the number at its end.
std::string NumberedTarget(const std::string& target, int n);

}  // namespace flist
