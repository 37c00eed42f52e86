#include "macroui/macro_dialogs.h"

namespace macroui {

MacroDialogs::MacroDialogs() = default;

// Open windows go with their owner.
MacroDialogs::~MacroDialogs() {
  if (m_holdInput.IsOpen()) m_holdInput.DestroyWindow();
  if (m_choice.IsOpen()) m_choice.DestroyWindow();
}

}  // namespace macroui
