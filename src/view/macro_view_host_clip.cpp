// The clipboard, the web page, the opener look-up and the export saves of
// the macro statements, through the framework and the document.
#include <string>

#include "fw/clipboard.h"
#include "view/dvkview.h"
#include "view/macro_view_host.h"

namespace view {

int MacroViewHost::ReadClipboardText(CString* text) {
  *text = CString();
  if (!fw::ClipboardHasText()) return 0;  // no text: an empty table
  std::string got;
  if (!fw::GetClipboardText(view_.m_hWnd, &got)) return -1;
  *text = CString(std::move(got));
  return 0;
}

}  // namespace view
