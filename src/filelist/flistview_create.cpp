// The file list's new file and new folder commands.
#include "filelist/flistview.h"

void CFlistView::OnNewFile() {}

void CFlistView::OnNewFolder() {}
