// Opens `path` as the program opens a CSV it shows: the one pass from the
// mapped file into the table (csv_fileopen.h), the file unmapped, the
// document's text given back from the table; the careful path (decode, then
// the working form and index from the decoded text) when the pass declines.
// Prints the row count; 0 on success.
#pragma once

int OpenOnce(const char* path);
