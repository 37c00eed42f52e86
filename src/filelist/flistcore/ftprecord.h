// An FTP folder's entries as the list's work records: the name and its
// extension ("*" for a name without a dot), the time with the site's time
// rules, the attributes and the size. Portable, so that the rules are tested
// over any time and "now".
#pragma once

#include <cstdint>

#include "core/fileops/folderhost.h"
#include "filelist/flistcore/entries.h"
#include "filelist/flistcore/sortkeys.h"

namespace flist {

constexpr std::int64_t kFtpNineHours = 32400;

// The time the list shows for a server entry's time `t`, `now` being the
// current time (both seconds since 1970, UTC; calendar fields are local):
//   - an odd flag digit of the site's entry (the site reports local time as
//     GMT): 9 hours earlier;
//   - a server that lists a date of the last twelve months without its year
//     gives it a year too early: when the local years of now and t are 0-2
//     apart and now - t is one year of 365 or 366 days (within 2,000
//     seconds), t moves to the same local date and time in the current year;
//     one year and 9 hours apart, the same plus 9 hours.
// Times outside 1970 - 2037 read as 0, as for local files.
std::int64_t FtpListTime(std::int64_t t, bool oddFlag, std::int64_t now);

// The extension of a server name: the text after its last "." (a "." in
// the first position does not count), else "*".
std::string FtpExtension(const std::string& name);

// The work record of a server entry; false for an entry the list leaves out:
// "." and "..", and names that are not safe (docsvc::IsSafeFtpName: paths,
// dots only, control bytes, longer than 255 bytes).
bool FtpWorkEntry(const fileops::FolderEntry& e, bool oddFlag, std::int64_t now, WorkEntry* out);

}  // namespace flist
