// Parts of program paths (Shift-JIS, "\" separators) and the FTP entry
// fields. A trail byte 0x5C of a double-byte character ("表", "ソ") is never
// taken for a "\".
#pragma once

#include "fw/cstring.h"

// Path parts by mode. The extension is the text after the last "." of the
// file name, when that "." is not the name's first character.
//   1  the file name: the text after the last "\" (the whole path without one)
//   2  the file name without its extension
//   3  the folder: the text before the last "\"; the path unchanged when it
//      has no "\" or only one at position 0
//   4  the file name with a "+", "-" or "=" marker right after the extension's
//      dot removed ("memo.+rtf" gives "memo.rtf")
//   5  the extension without its dot ("" when there is none)
//   6  the path without its extension and dot (unchanged when there is none)
//   other modes: the file name.
CString GetPathPart(const CString& path, int mode);

// Position of the last "\" of a Shift-JIS path (whole characters only), or -1.
int LastBackslash(const CString& path);

// The folder ChangeDir makes current. `pathIsFile` tells (from the file
// system) that the path names a file: with mode 1 its folder is taken. A bare
// drive "X:" becomes "X:\" (the drive's root, not its remembered folder), and
// a trailing "\" other than a root's is dropped. Backslashes are not doubled:
// the system folds repeated separators anyway, and a doubled "\\" would spoil
// a network path.
CString ChangeDirTarget(const CString& path, int mode, bool pathIsFile);

// Fields of an FTP or network pseudo-drive entry
//   letter ":~" description "~/" address ";BASE=" folder ";USER=" user ";PWRD=" password
// part 0: the address (host and path) with a leading "ftp:"/"FTP:" and the
// slashes after it dropped; 1: user (";USER="); 2: password (";PWRD=");
// 3: base folder (";BASE="). A field runs to the next of the three markers
// (so a password may hold ";"), or to the end; a missing field is "". An entry
// without the "X:~...~" head has its address at its start.
CString ParseFtpEntry(const CString& entry, int part);
