// The answers a nested file run (mode 12) takes from its argument list
// instead of asking: "msgif" and the input statements read the list field by
// field, in statement order, through one shared read position.
#pragma once

#include <cstdint>

#include "fw/cstring.h"

namespace macro {

struct MacroState;

// Answers are taken only while the read position is below this.
constexpr std::int32_t kMacroArgPosLimit = 2000;

// The next mode-12 answer of `arg` from *pos on ("1,0,..."): true with the
// answer text, false when used up. A field ends at ',' or at a byte below
// 0x20; *pos moves past the ',' (to the end of `arg` after the last field).
// A position outside 0 .. kMacroArgPosLimit - 1 or at the end of `arg` is
// used up.
bool MacroNextArgAnswer(const CString& arg, std::int32_t* pos, CString* answer);

// The run's argument list, its run mode and the read position, set at a
// fresh start and kept across a resume; a nested run puts the outer run's
// values back when it returns.
class MacroArgScope {
 public:
  MacroArgScope(MacroState& st, int mode, const CString& arg, bool nested);
  ~MacroArgScope();
  MacroArgScope(const MacroArgScope&) = delete;
  MacroArgScope& operator=(const MacroArgScope&) = delete;

 private:
  MacroState& st_;
  bool restore_;
  CString arg_;
  std::int32_t mode_, pos_;
};

}  // namespace macro
