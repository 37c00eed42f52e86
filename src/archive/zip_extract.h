// The program's own ZIP extraction: every member of an archive into files
// below a destination, or into a bounded memory buffer.
//
// Archives read from a file are checked: the central directory is read first
// and paired with the local headers; ZIP64 records, overlapping members and
// a total larger than the free space are refused before anything is written;
// each member whose CRC-32 is not 0 must give its declared size, use its
// whole compressed size and match its CRC. Archives the caller holds in
// memory, and members with CRC 0, are extracted as their local headers say
// (the program's own one-member scratch archives carry CRC 0 and an upper
// bound as their size); their output never passes the declared size either.
// Every name goes through MemberNameToSjis and SafeMemberPath.
#pragma once

#include <cstdint>
#include <string>

#include "archive/arc_state.h"
#include "archive/extract_target.h"

namespace arc {

// Codes of the extraction entries (besides the codec's own).
constexpr const char* kCodeCrc32 = "027";        // a member's CRC-32 differs
constexpr const char* kCodeCrc16 = "066";        // an LZH member's CRC-16 differs
constexpr const char* kCodeSize = "073";         // output differs from the declared size
constexpr const char* kCodePacked = "074";       // compressed bytes used differ from the size
constexpr const char* kCodeMethod = "075";       // a method the extractor does not handle
constexpr const char* kCodeEncrypted = "076";    // an encrypted member
constexpr const char* kCodeZip64 = "077";        // ZIP64 record or field
constexpr const char* kCodeTooLarge = "078";     // an archive file of 2 GiB or more
constexpr const char* kCodeParent = "079";       // a member name with a ".." component
constexpr const char* kCodeMismatch = "080";     // local header and central record disagree
constexpr const char* kCodeDirectory = "081";    // end record or central directory missing or bad
constexpr const char* kCodeOverlap = "084";      // members whose data overlap
constexpr const char* kCodeNoSpace = "085";      // declared sizes above the free space

// What an entry reports: the result, and on failure the code with a short
// reason for the title or message ("075 method 12").
struct ArcOutcome {
  int32_t result = 0;
  std::string code;
  std::string detail;
  // The memory message's suffix (" 029", " 030  zipoutmax = 100") when
  // memory ran out (result -9).
  std::string memoryText;
  std::string Title() const { return detail.empty() ? code : code + " " + detail; }
  bool Failed() const { return !code.empty(); }
};

struct ZipExtractOptions {
  bool checked = true;     // the archive came from a file
  bool utf8Names = false;  // the document's UTF-8 names switch
};

// Extracts the archive block. st.m_nArcOutMax > 0 extracts into
// st.m_pArcOutBuf (each member from its position 0, bytes below
// m_nArcOutMax); otherwise into files of the target. On return
// st.m_nArcOutLen holds the count of the Part's rule, not yet clamped: the
// inflater's (each member's bytes less one), raised the same way for stored
// members. result 0 (files) or -1 with a code.
ArcOutcome ZipExtractBlock(ArcState& st, const uint8_t* data, size_t size, const ZipExtractOptions& opt,
                           ExtractTarget& target);

// The own path of the ZIP extraction entry after the folder choice: count 0
// or 1 reads the archive file `zipName` (a leading "PK00" marker skipped;
// 2 GiB or more refused before anything is allocated) and extracts to files;
// count 2 or more takes `buffer` as the archive of `count` bytes and, with
// outMax > 0, extracts into memory and copies the first result + 1 bytes into
// `buffer` (which must hold outMax + 1 bytes). Results: m_nArcOutLen clamped
// to outMax (0 for files), -1 (file does not open, no message; or a code),
// -9 when memory ran out (memoryText set).
ArcOutcome UnzipOwn(ArcState& st, const std::string& zipName, int32_t count, int32_t outMax, uint8_t* buffer,
                    bool utf8Names, ExtractTarget& target);

}  // namespace arc
