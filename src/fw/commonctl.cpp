#include "fw/commonctl.h"

#include <windows.h>
#include <commctrl.h>

void fw::InitCommonControlsOnce() {
  static const bool done = [] {
    INITCOMMONCONTROLSEX icc = {};
    icc.dwSize = sizeof icc;
    icc.dwICC = ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_UPDOWN_CLASS |
                ICC_TAB_CLASSES | ICC_DATE_CLASSES | ICC_WIN95_CLASSES;
    return InitCommonControlsEx(&icc) != FALSE;
  }();
  (void)done;
}
