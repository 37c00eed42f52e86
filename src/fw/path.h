// File paths. The program writes paths as Shift-JIS byte strings with "\"
// separators. On Windows they reach the system as UTF-16 (converted with
// code page 932, so the system's ANSI code page does not matter). In native
// builds they are mapped to POSIX paths:
//   1. the Shift-JIS text is converted to UTF-8 (a 0x5C trail byte, as in
//      "表", is part of its character and no separator);
//   2. every "\" becomes "/" ("/" is taken as a separator on both sides);
//   3. a leading drive "X:" is dropped, so "Z:\tmp\a.txt" is "/tmp/a.txt"
//      (Wine's Z: drive is the POSIX root) and "C:\data" is "/data".
// Native names are case-sensitive; names read back from a folder are
// converted from UTF-8 to Shift-JIS.
#pragma once

#include <string>

namespace fw {

std::string ToPosixPath(const char* path);
std::u16string ToWidePath(const char* path);

// Position of the last "\" or "/" of a Shift-JIS path (whole characters
// only), or -1.
int LastPathSeparator(const char* path, int len);
// The folder of a Shift-JIS path without its last separator ("C:\" keeps
// it); "" when the path names no folder.
std::string FolderOfPath(const std::string& path);

// Folder operations on program paths (Shift-JIS); true on success.
bool MakeDir(const char* path);
bool RemoveDir(const char* path);
// Bytes the caller may still write on the volume of a folder ("" = the
// current one); -1 when it cannot be told.
long long FreeDiskSpace(const char* path);
// The absolute form of a program path (relative to the current directory;
// natively "." and ".." resolved by text and the result in the native form).
std::string FullPath(const std::string& path);

}  // namespace fw
