// The file list's delete command.
#include "filelist/flistview.h"

void CFlistView::OnDelete() {}
