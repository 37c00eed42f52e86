// The whole framework in one include (Windows code only; portable code
// includes the portable headers it needs one by one).
#pragma once

// Portable half.
#include "fw/alloc.h"
#include "fw/clock.h"
#include "fw/codepage.h"
#include "fw/collections.h"
#include "fw/cstring.h"
#include "fw/datetime.h"
#include "fw/file.h"
#include "fw/filefind.h"
#include "fw/geometry.h"
#include "fw/oledate.h"
#include "fw/path.h"
#include "fw/sjis.h"
#include "fw/stdiofile.h"
#include "fw/strtable.h"
#include "fw/types.h"
#include "fw/uihooks.h"

// Windows, documents and views.
#include "fw/app.h"
#include "fw/bars.h"
#include "fw/cmdtarget.h"
#include "fw/cmdui.h"
#include "fw/controls.h"
#include "fw/creator.h"
#include "fw/ddx.h"
#include "fw/dialog.h"
#include "fw/docview.h"
#include "fw/frame.h"
#include "fw/listview.h"
#include "fw/msgmap.h"
#include "fw/richedit.h"
#include "fw/splitter.h"
#include "fw/wnd.h"

// Message boxes, common dialogs, GDI, menus and the clipboard.
#include "fw/clipboard.h"
#include "fw/commondlg.h"
#include "fw/gdi.h"
#include "fw/menu.h"
#include "fw/msgbox.h"
