// Reading and writing the settings files of the program folder. Reading
// never changes a file; a file is written only when asked to (saving the
// settings, or writing the defaults of a missing file).
#pragma once

#include <string>
#include <vector>

#include "core/docsvc/inf_settings.h"
#include "core/docsvc/kvtext.h"
#include "core/docsvc/sys_settings.h"
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
// (path + ".new"), so a failed write leaves the old file as it was. False
// with a message on failure.
bool ReplaceFileContent(const CString& path, const std::string& bytes, CString* error);

// A settings file as read: the values, the keys kept for the next rewrite,
// and the lines that were skipped (for display).
struct InfFile {
  InfSettings s = DefaultInfSettings();
  std::vector<KvLine> unknown;
  std::vector<LineIssue> issues;
};
struct SysFile {
  SysSettings s = DefaultSysSettings();
  std::vector<KvLine> unknown;
  std::vector<LineIssue> issues;
};

// Loads over the defaults; Missing / Unreadable leave the defaults.
FileRead LoadInfFile(const CString& path, InfFile& f);
FileRead LoadSysFile(const CString& path, SysFile& f);

// Saving the settings (the user's save, or defaults for a missing file).
bool SaveInfFile(const CString& path, const InfFile& f, CString* error);
bool SaveSysFile(const CString& path, const SysFile& f, CString* error);

// Writes "Dorvik.inf" and "Dorvik.sys" with defaults where they are missing;
// existing files are left alone. False with a message when one could not be
// written.
bool WriteMissingSettingsFiles(const CString& programDir, CString* error);

}  // namespace docsvc
