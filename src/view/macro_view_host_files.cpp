// The host side of the load, save and join statements.
#include "fw/commondlg.h"
#include "view/dvkview.h"
#include "view/macro_view_host.h"

namespace view {

bool MacroViewHost::AskFileToOpen(const CString& filter, const CString& initialName, CString* path) {
  CFileDialog dlg(true, nullptr, initialName, OFN_HIDEREADONLY, filter, &view_);
  if (dlg.DoModal() != IDOK) return false;
  *path = dlg.GetPathName();
  return true;
}

}  // namespace view
