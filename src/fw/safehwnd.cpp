// The handle of a window that may be null. It sits in the UI half (menus,
// GDI, common dialogs use it), so that half needs nothing of the window
// classes' code; only the class layout from the header.
#include "fw/wnd.h"

HWND FwGetSafeHwnd(const CWnd* w) { return w ? w->m_hWnd : nullptr; }
