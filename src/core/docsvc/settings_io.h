// Whole-file reads and replacements for the small files of the program
// folder (settings, schedules). Reading never changes a file.
#pragma once

#include <string>
#include <vector>

#include "fw/cstring.h"

namespace docsvc {

constexpr char kInfFileName[] = "Dorvik.inf";
constexpr char kSysFileName[] = "Dorvik.sys";
constexpr char kTimerFileName[] = "Dorvik.tmr";
constexpr char kScheduleFileName[] = "Dorvik.sch";

// programDir + "\" + name (no doubled "\" when programDir ends in one).
CString ProgramFilePath(const CString& programDir, const char* name);

enum class FileRead { Loaded, Missing, Unreadable };

// Reads a whole file (at most maxBytes; the rest counts as not there).
FileRead ReadWholeFile(const CString& path, std::string* bytes, long long maxBytes = 16 << 20);

// Writes `bytes` as the file's new content through a scratch file beside it
// (path + ".new"): the old file moves aside (path + ".old") until the new one
// has its name, so a failed write or rename leaves the old file as it was and
// no scratch file behind. False with a message on failure.
bool ReplaceFileContent(const CString& path, const std::string& bytes, CString* error);

}  // namespace docsvc
