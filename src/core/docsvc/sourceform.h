// The program's compressed and enciphered source forms, by name: a marker
// as the first character of the extension ("+" enciphered, "-" one-member
// ZIP then enciphered, "=" one-member ZIP), ".rtz" (a one-member ZIP of an
// ".rtf"), ".bmz" (of a ".bmp") and "rtzx" (a ZIP of an ".rtf" with its
// pictures). These rules decide what a conversion does; the document does it
// (app/dvkdoc_sourceform.cpp). Paths are Shift-JIS with "\" separators.
#pragma once

#include <cstdint>

#include "fw/cstring.h"

namespace docsvc {

// '+', '-' or '=' when the file name's extension begins with one, else 0.
char SourceMarkerOf(const CString& path);

// The conversion modes of the document's SaveEncryptedSource.
enum SourceMode : int {
  kSourceDecode = 0,        // any marked form (and ".rtz", ".bmz") to its plain work file
  kSourceEncipher = 1,      // "name.+ext", user key
  kSourceZipEncipher = 3,   // "name.-ext", user key
  kSourceZip = 4,           // "name.=ext", no key
  kSourceDecodeMacro = 6,   // mode 0 for "+rmcx"/"+rmcz" macro files
  kSourceEncipherMacro = 7, // "name.+rmcx", program key
  kSourceRtz = 8,           // ".rtf" to "name.rtz"
};

// The encoding mode that writes a marker's form back (1, 3, 4; 0 for none).
int SourceModeForMarker(char marker);

// What decoding a path means.
enum class SourceDecode {
  kNotMarked,  // none of the forms: nothing to do
  kEnvelope,   // "+" or "-": the envelope (its header says whether a ZIP is inside)
  kZip,        // "=", ".rtz", ".bmz": a one-member ZIP
};

struct SourceDecodePlan {
  SourceDecode how = SourceDecode::kNotMarked;
  CString plainName;  // the file name of the plain form ("report.txt", "x.rtf")
  CString plainExt;   // its extension without the dot ("" when none)
};

// Modes 0 and 6 (6 takes only "+rmcx" and "+rmcz" names); other modes and
// other names give kNotMarked.
SourceDecodePlan PlanSourceDecode(int mode, const CString& path);

// Why an encoding is refused.
enum class SourceRefusal {
  kNone,
  kBadMode,       // not an encoding mode
  kNoExtension,   // nothing to put a marker before
  kAlreadyMarked, // the file already is one of the forms
  kNotMacro,      // mode 7 on a name that is no "rmcx"/"rmcz" macro file
  kNotRtf,        // mode 8 on anything but an ".rtf"
};

struct SourceEncodePlan {
  SourceRefusal refusal = SourceRefusal::kNone;
  CString output;            // the form's path ("extra" when given, else beside the source)
  bool zip = false;          // the source goes into a one-member ZIP first
  bool envelope = false;     // the result is enciphered
  bool programKey = false;   // with the program key (else the user key)
  std::uint32_t iterations = 0;
  bool ok() const { return refusal == SourceRefusal::kNone; }
};

// Modes 1, 3, 4, 7, 8. `extra`, when not empty, names the output file.
SourceEncodePlan PlanSourceEncode(int mode, const CString& path, const CString& extra);

// "a.b.txt" + '+' -> "a.b.+txt"; "" for a name without an extension.
CString MarkedPath(const CString& path, char marker);

// The user key code is usable: at least 4 characters, the last four not all
// blanks.
bool IsUsableSourceKey(const CString& key);

// The plain work file of a decoded form: programDir + "\TMP\DorvikE" +
// instance + "_" + counter + "." + ext (no dot for an empty ext).
CString SourceWorkFileName(const CString& programDir, int instance, unsigned counter, const CString& ext);

// The work file's prefix below the program folder (a view shows the marked
// path instead of a work file that starts with it).
constexpr const char* kSourceWorkPrefix = "\\TMP\\DorvikE";

// Whether `path` is one of this program's work files below `programDir`.
bool IsSourceWorkFile(const CString& programDir, const CString& path);

}  // namespace docsvc
