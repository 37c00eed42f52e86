// The command texts of the archiver libraries, taken apart by the library
// stand-ins: blanks separate words, double quotes keep blanks inside one.
#pragma once

#include <string>
#include <vector>

namespace arc {

std::vector<std::string> SplitCommand(const std::string& cmd);

struct ArchiverCommand {
  bool ok = false;
  char op = 0;          // 'x' extract, 'a' add (LZH)
  std::string archive;  // the archive file
  std::string target;   // destination folder (x) or what to pack (a)
};

// "-x" "archive" "folder" "*.*", optionally after "--i -o " (unzip32).
ArchiverCommand ParseUnZipCommand(const std::string& cmd);
// "a -x -r1 "archive" "target"" or "x "archive" -a1 "folder" *.*" (unlha32).
ArchiverCommand ParseUnlhaCommand(const std::string& cmd);

// Writes a one-line report into a caller's buffer of `size` bytes (always
// terminated when size > 0, never past it).
void WriteReport(char* out, unsigned long size, const std::string& text);

}  // namespace arc
