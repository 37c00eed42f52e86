// Names the document derives: display-size letters, text-file names, the
// visited-path history and the parts of a split file.
#pragma once

#include "fw/cstring.h"

namespace docsvc {

// The display size: index 0-11 and the two switches m_bSizeHigh (letters
// M-X) and m_bSizeLower (lower-case letters).
struct SizeCode {
  int index = 0;
  bool high = false;
  bool lower = false;
};

// "A" + index (+ 12 when high), lower case when lower. An index outside 0-11
// is taken as 0.
char GetSizeCode(const SizeCode& code);
// From a letter A-L / a-l (index 0-11) or M-X / m-x (index 12-23, high set);
// false and `code` unchanged for any other character.
bool SetSizeCode(char letter, SizeCode& code);

// Text-file name of a file name: when the last "." of the name lies within
// its last 8 characters, the name before it, else the whole name; then "#",
// the size letter and ".txt" ("memo.doc" with "c" gives "memo#c.txt"). In
// open context 1 the same base + ".txb".
CString MakeTextFileName(const CString& name, char sizeLetter, int openContext);

// The visited-path history: 30 entries.
constexpr int kHistoryMax = 30;
// Stores the entry at history[count] and counts it; when the count reaches
// 30 the entries move down by one (the oldest is dropped), the last slot is
// emptied and the count becomes 29. A count outside 0-29 is first clamped.
void AddToHistory(CString (&history)[kHistoryMax], int& count, const CString& entry);

// Name of part n (from 1) of a split file: the path without its extension,
// "_part<n>", then the extension with its dot ("a\memo.txt" part 2 gives
// "a\memo_part2.txt"; "a\data" gives "a\data_part2").
CString SplitPartName(const CString& path, int part);

struct SplitResult {
  bool ok = false;
  int parts = 0;     // parts written (also on failure: those already done)
  CString error;     // what went wrong, with the path
};

// Cuts the file into consecutive parts of `partBytes` bytes (the last one
// shorter) named by SplitPartName; existing parts are overwritten, the source
// is left alone. An empty file gives no part. Fails cleanly (a message, no
// exception) for a part size below 1, a source that cannot be read or a part
// that cannot be written.
SplitResult SplitFileIntoParts(const CString& path, long long partBytes);

}  // namespace docsvc
