// The line format of the settings files: one "key<TAB>value" per line,
// sections opened by "[name]" and ended by "#end/", "~" comment lines.
// Reading never fails: a line that fits none of these forms is skipped and
// reported; a last section without "#end/" still counts.
#pragma once

#include <string>
#include <vector>

#include "fw/cstring.h"

namespace docsvc {

struct KvLine {
  CString section;  // "" outside any section
  CString key;
  CString value;    // the rest of the line after the first TAB, as written
  int line = 0;     // 1-based line number
};

// A line that was skipped, for display.
struct LineIssue {
  int line = 0;
  CString reason;
};

struct KvText {
  std::vector<KvLine> entries;     // in file order
  std::vector<LineIssue> skipped;  // malformed lines
};

// Longest line taken; longer ones are skipped as malformed.
constexpr int kKvMaxLine = 8192;

KvText ParseKvText(const std::string& bytes);

// Splits text into lines (LF, CR LF) and calls fn(lineNo, line) for each;
// a trailing line without a line end counts. Shared with the schedule files.
template <class Fn>
void ForEachLine(const std::string& bytes, Fn fn) {
  std::size_t pos = 0;
  int no = 0;
  while (pos < bytes.size()) {
    std::size_t end = bytes.find('\n', pos);
    std::size_t next = end == std::string::npos ? bytes.size() : end + 1;
    if (end == std::string::npos) end = bytes.size();
    std::size_t stop = end;
    if (stop > pos && bytes[stop - 1] == '\r') --stop;
    fn(++no, bytes.substr(pos, stop - pos));
    pos = next;
  }
}

// A value made safe for one line: TAB, CR, LF and NUL become blanks.
CString OneLineValue(const CString& value);

// Appends "key<TAB>value<CR LF>", the value made safe for one line.
void AppendKvLine(std::string& out, const char* key, const CString& value);

// Parses a decimal integer with optional sign and surrounding blanks; false
// for anything else or a value outside int.
bool ParseInt(const CString& text, int* value);

// Comma-separated integers, exactly `count` of them.
bool ParseIntList(const CString& text, int* values, int count);

}  // namespace docsvc
