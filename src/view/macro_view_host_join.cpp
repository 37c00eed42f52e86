// The web page and the opener look-up of the macro statements, through the
// document.
#include "host/doc_host.h"
#include "view/dvkview.h"
#include "view/macro_view_host.h"

namespace view {

int MacroViewHost::FetchAddress(const CString& address, CString* page) {
  *page = CString();
  app::DocHost* doc = view_.GetDocument();
  if (!doc) return -1;
  *page = doc->ScratchFolder(0) + "Dorviktmp.htm";
  return doc->FetchAddress(address);
}

CString MacroViewHost::DefaultOpener(const CString& ext) {
  app::DocHost* doc = view_.GetDocument();
  return doc ? doc->DefaultOpener(ext) : CString();
}

void MacroViewHost::SetDefaultAssociations() {
  if (app::DocHost* doc = view_.GetDocument()) doc->SetDefaultAssociations();
}

}  // namespace view
