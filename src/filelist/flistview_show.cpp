// Showing the cursor entry in the text pane of the pane's side.
#include "filelist/flistview.h"

void CFlistView::ShowEntry(int index, int mode, int noRepaint) {
  (void)index, (void)mode, (void)noRepaint;
}
