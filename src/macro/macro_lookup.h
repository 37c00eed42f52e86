// The lookup data file of the "#" statements: loaded into the state's
// lookup buffer and indexed by the first bytes of each line, so that the
// LD functions find the lines of a key quickly.
#pragma once

#include <cstdint>

#include "fw/cstring.h"
#include "macro/macro_outcome.h"

namespace macro {

struct MacroState;
class MacroRunHost;

constexpr int kLookupKeys = 4096;
constexpr std::uint32_t kFirstLookupKey = 514;  // 0x202: lower keys are not indexed

// The key of a line that begins with the bytes b0 and b1.
inline std::uint32_t MacroLookupKey(unsigned char b0, unsigned char b1) {
  return (static_cast<std::uint32_t>(b0) * 16u + b1 / 16u) % kLookupKeys;
}

// Fills `index` (kLookupKeys entries) for `data`: all 0, and for a text
// beginning with "$$" the offset of the first line of each key from 514 on,
// keys taken only while they rise (a line break is CR, LF or CR LF).
void MacroIndexLookupData(const char* data, std::uint32_t length, std::uint32_t* index);

// The file's largest size: the buffer holds the file and 1,000 bytes more
// in 32 bits.
constexpr std::uint64_t kLookupFileMax = 0x7FFFFFFFull - 1000;

// Loads the file `operand` (looked for as it is, then in the program folder
// and in `folder` by its file part) into st.m_pMacroLookup and indexes it.
// A file that opens nowhere asks string 237 ("file = ", "cmnd = " lines)
// through ReportMessage code 3: OK (1) or the silenced answer (9) goes on
// without loading, any other answer ends the run (kErrorExit). A file too
// large or memory short raises memory code 115. A marked source form
// (".xxx=", "-", "+") cannot be restored here: it is looked for under its
// name followed by "??", which opens nowhere, and the question follows.
Outcome MacroLoadLookupFile(MacroState& st, MacroRunHost& host, const CString& operand, const CString& folder);

}  // namespace macro
