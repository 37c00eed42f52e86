#include "macro/macro_state.h"

#include "fw/alloc.h"

namespace macro {

MacroState::~MacroState() { fw::Free(m_pMacroLookup); }

}  // namespace macro
