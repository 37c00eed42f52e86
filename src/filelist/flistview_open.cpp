// The double-click action of the file list.
#include "filelist/flistview.h"

void CFlistView::OpenEntryAt(UINT nFlags, CPoint point) { (void)nFlags, (void)point; }

void CFlistView::OpenEntryAt(int index) {
  m_state.m_nCurEntry = index;
  OpenEntryAt(0, CPoint(0, 0));
}

void CFlistView::OnLButtonDblClk(UINT nFlags, CPoint point) { OpenEntryAt(nFlags, point); }
