#include "macroui/macro_dialogs.h"

#include "macroui/progress_dlg.h"

namespace macroui {

MacroDialogs::MacroDialogs(DialogOwner& owner) : owner_(owner) {}

// Open windows go with their owner.
MacroDialogs::~MacroDialogs() {
  CloseProgress();
  if (m_holdInput.IsOpen()) m_holdInput.DestroyWindow();
  if (m_choice.IsOpen()) m_choice.DestroyWindow();
}

CProgressDlg& MacroDialogs::Progress() {
  if (!m_pProgressDlg) {
    m_pProgressDlg = std::make_unique<CProgressDlg>(owner_.OwnerWnd());
    m_pProgressDlg->SetOwner(&owner_);
  }
  return *m_pProgressDlg;
}

void MacroDialogs::CloseProgress() {
  if (m_pProgressDlg && m_pProgressDlg->m_hWnd) m_pProgressDlg->DestroyWindow();
}

}  // namespace macroui
