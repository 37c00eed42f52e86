// The folder listing of the macro's file statements: the entries of a folder
// as table text (fields separated by 0x06, rows by CR LF), optionally with
// its sub-folders. The listing names folders by their joined paths and never
// changes the process's working folder.
#pragma once

#include "fw/cstring.h"

namespace macro {

// Writes the listing of `folder` into out[*pos, *limit) and advances *pos.
// `folder` empty or relative is taken from the working folder. *limit is the
// end of the buffer: a row is written only when it and the two closing NUL
// bytes fit below it, and the listing stops at the first row that does not.
// At *pos 0 a header row "name,ext,vol,date" (",dir" in modes 2 and up) comes
// first, with 0x06 for the commas. Each row: CR LF, name, extension (from the
// last '.', empty for a one-byte name or none), size ("+" for a folder),
// local last-write time "YYYYMMDDhhmmss", and in modes 2 and up the folder
// argument as given. Modes: 0 files and folders; 1 files; 2 files and folders
// and their sub-folders; 3 and up files of the folder and its sub-folders
// (whose argument is the parent's, '\' and the name). Two NUL bytes end the
// text (*pos stays before them). Returns the rows written, -1 when the folder
// has no entries, -2 when it cannot be opened.
int ListFolderForMacro(const CString& folder, char* out, int* limit, int* pos, int mode);

}  // namespace macro
