// Class 3 of the statement loop: "system_para" / "sys_para" sets, for the
// rest of the run, the size limits and display switches its operand names
// (macro_display_words.h reads them). The ten size settings go back at the
// end of the run (m_nSysParaSaved 2); the background colour, the value of a
// division by zero, the hide-quotes switch and the edit mode stay.
#pragma once

#include "macro/macro_outcome.h"

namespace macro {

struct MacroRunContext;

Outcome MacroExecSysPara(MacroRunContext& rc);

}  // namespace macro
