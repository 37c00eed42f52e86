// The program's own LZH extraction: every member of an archive into files
// below a destination. Names go through MemberNameToSjis and SafeMemberPath
// (level-0 names and the folder fields of levels 1 and 2 alike); each
// member's CRC-16 and size are compared with its header.
#pragma once

#include <cstdint>
#include <string>

#include "archive/extract_target.h"
#include "archive/zip_extract.h"

namespace arc {

// Extracts the archive held in memory. wideWindows also decodes "-lh6-" and
// "-lh7-" (the library stand-in); otherwise they stop with "083".
// *lastFolder: the folder (relative, '\' separated) of the last member
// written. result 0, or -1 with a code; members before a failure stay.
ArcOutcome LzhExtractBlock(const uint8_t* data, size_t size, ExtractTarget& target, bool wideWindows,
                           std::string* lastFolder);

// The same for an archive file: -1 without a code when it does not open,
// "078" for a file of 2 GiB or more, -9 (memoryText " 028") when its block
// cannot be allocated.
ArcOutcome LzhExtractFile(const std::string& archive, ExtractTarget& target, bool wideWindows,
                          std::string* lastFolder);

}  // namespace arc
