#include "macroui/macro_dialogs.h"

#include "macroui/progress_dlg.h"

namespace macroui {

MacroDialogs::MacroDialogs(DialogOwner& owner) : owner_(owner) {}

MacroDialogs::~MacroDialogs() { CloseProgress(); }

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
