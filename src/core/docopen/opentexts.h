// The texts of opening and saving documents: one table. Numbered texts are
// taken from the string table when it has them, else from here.
#pragma once

#include <cstddef>
#include <cstdint>

#include "fw/cstring.h"

namespace docopen {

enum class OpenText {
  kCannotOpen,        // string 237
  kDisplayOver,       // string 150: only part of the text is shown
  kFileOver,          // string 238: "%d" = the read limit in MB
  kDataOmitted,       // string 239
  kWriteProtectedAsk, // string 329: "%s" = path, Yes/No
  kWriteProtected,    // string 179: "%s" = path
  kKindNotYet,        // "%s" = kind name: this kind has no reader yet
  kPictureNotYet,     // pictures cannot be shown yet
  kReplacedChars,     // "%u" characters became the replacement character
  kDecodeError,       // "%s" = the decoder's error text
  kOutOfMemory,       // no memory for the text
  kTooLarge,          // larger than the program's 4 GB text limit
  kMarkedNotImage,    // string 406: a marked name is no picture target
  kEncodingMenuTitle, // the encoding choice menu
  kLoadProgress,      // "%d": percent of a file read
  kLoadStopped,       // the user stopped reading a file
  kShowStopped,       // after the part shown when the user stopped showing a text
  kCount
};

struct OpenTextEntry {
  OpenText id;
  unsigned stringId;  // 0: no string-table number
  const char* text;
};

const OpenTextEntry& OpenTextFor(OpenText id);

// The text (string table first when it has a number).
CString GetOpenText(OpenText id);

// String 238 for a limit in bytes: the limit in whole megabytes; below 1 MB
// the first 24 bytes of the text and "(>500KB)".
CString FileOverText(std::int64_t limitBytes);

// Name of a file kind for kKindNotYet ("PDF", "Excel", ...; "kind %d" when
// the table has none).
CString KindName(int kind);

}  // namespace docopen
